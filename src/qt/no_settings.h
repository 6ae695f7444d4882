#pragma once
// The editor keeps no settings. Qt's own file dialog stores its history, last
// folder and view in the user's settings file (QtProject.conf) whenever one
// closes; after this call no such store reaches a file.

namespace tarpon {

// Call once, before the first file dialog is made.
void KeepNoSettings();

}  // namespace tarpon
