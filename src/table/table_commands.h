#pragma once
// The "&Table" menu's file commands.
#include <optional>
#include <string>

#include "core/text_encoding.h"

namespace tarpon {

struct Editor;

void SaveTable(Editor& ed);
void LoadTable(Editor& ed);
// Load Table with the file's encoding chosen by the user (or found, with "Automatic").
void LoadTableAs(Editor& ed);

// Merges the table file at `path` into the table, repaints the text pane, and
// reports a file that could not be loaded, or whose lines were not all read or gave
// a key twice. `encoding`: the file's encoding, found when not given. Returns how
// many entries the file gave (0 when it failed). The load runs as long work: cancelled,
// the table is as it was.
int LoadTableFile(Editor& ed, const std::string& path, std::optional<TextEncoding> encoding = std::nullopt);

}  // namespace tarpon
