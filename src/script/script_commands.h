#pragma once
// Table > "Dump Script..." and "Insert Script...": scripts to and from files, through
// the editor's table, with the file chooser and messages.
#include <functional>
#include <string>

#include "script/block_dump.h"
#include "script/script_dump.h"
#include "script/script_insert.h"

namespace tarpon {

struct Editor;

// The Dump Script window's opening values: the selection as the range, the pointer
// settings as last used.
DumpRequest dumpRequestOpening(const Editor& ed);
// Dumps (as long work) and asks where to save the script; true when it was saved (the
// window then closes), false after a message or a cancel.
bool DumpScriptToFile(Editor& ed, const DumpRequest& request);
// Asks for a Cartographer command file, dumps every block of it (as long work, its
// tables found by `loadTables`) and asks where to save the script; true when saved.
bool DumpCommandFileToFile(Editor& ed, const CommandTableLoader& loadTables);
// Asks for a script and inserts it into the document as one undo step, with the
// tables it names (found through `sourcesFor` the script's path) or else the
// editor's; a message says what was written, or why nothing was. Reading the
// script is long work: cancelled, the document is unchanged.
void InsertScriptFile(Editor& ed, const std::function<ScriptSources(const std::string&)>& sourcesFor);

}  // namespace tarpon
