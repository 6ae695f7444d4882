#pragma once
// The operations that replace or write the whole document.
#include <string>

namespace tarpon {

struct Editor;
class FileIo;

void InitDocument(Editor& ed);
// Replaces the document with the file at path and makes path the document's file
// name; the undo history starts afresh. A refused or unreadable file leaves a message; see the implementation.
void LoadFile(Editor& ed, const std::string& path);
void LoadFile(Editor& ed, const std::string& path, FileIo& io);
// Writes the document to path; true when it was written, also when only a step
// after the writing failed (a message says which). When the writing fails the
// message is "Problems Saving" and the reason, and the old file is intact (or,
// failing even that, the message names its backup). The document's own file,
// when it has changed on disk since it was loaded or last saved, is overwritten
// only when the user says so ("NAME has changed on disk since it was opened.
// Overwrite it?", Cancel the default).
bool SaveFile(Editor& ed, const std::string& path);
bool SaveFile(Editor& ed, const std::string& path, FileIo& io);

std::string tooLargeMessage();
// The file name a question shows: the path without its folders.
std::string documentName(const std::string& path);

}  // namespace tarpon
