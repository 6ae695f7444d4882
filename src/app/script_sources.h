#pragma once
// The files an insertion script names, read from the disk: its tables and pointer
// lists, looked for from the script's folder.
#include <string>

#include "script/script_insert.h"

namespace tarpon {

ScriptSources scriptSourcesOnDisk(const std::string& scriptPath);

}  // namespace tarpon
