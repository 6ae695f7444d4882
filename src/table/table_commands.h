#pragma once
// The "&Table" menu's file commands.
namespace tarpon {

struct Editor;

void SaveTable(Editor& ed);
void LoadTable(Editor& ed);

}  // namespace tarpon
