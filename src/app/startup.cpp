#include "app/startup.h"

#include "app/document.h"
#include "app/file_commands.h"
#include "app/layout.h"
#include "core/editor.h"
#include "view/cursor.h"
#include "view/modes.h"

namespace tarpon {

void Form_Load(Editor& ed, const std::string& commandLine) {
    EditorState& s = ed.s;
    s.offsetMode = true;
    ed.v.ShpHex[1] = Mark{0, 0, 0, ed.v.ShpHex[1].height, true, ed.v.ShpHex[1].rop};
    ed.v.ShpText[1] = Mark{0, 0, 0, ed.v.ShpText[1].height, true, ed.v.ShpText[1].rop};
    wireScrollBar(ed);
    InitDocument(ed);
    ed.v.VScroll.setRange(-32768, 32767);
    ed.v.VScroll.setValue(-32768);
    ed.v.picHex.background = ed.v.PicText.background = kWhite;
    ed.services.resizeMainWindow(kStartWidth, kStartHeight);
    if (!commandLine.empty()) LoadFile(ed, commandLine);
    lblViewMode_Click(ed, s.viewMode ? 1 : 0);
}

bool Form_QueryUnload(Editor& ed) { return QueryUnsavedChanges(ed); }

void Form_Unload(Editor& ed) {
    ed.s.fileData.assign(1, 0);
    ed.s.fileData.shrink_to_fit();
    ed.s.fileSize = 0;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine cl;
    size_t i = 0;
    if (i < args.size() && args[i] == "--") {
        ++i;
    } else if (i < args.size() && args[i].size() > 1 && args[i][0] == '-') {
        if (args[i] == "--help" || args[i] == "-h") cl.action = CommandLine::Action::Help;
        else if (args[i] == "--version") cl.action = CommandLine::Action::Version;
        else {
            cl.action = CommandLine::Action::Error;
            cl.message = "tarpon-hex: unknown option '" + args[i] + "'\nTry 'tarpon-hex --help'.";
        }
        return cl;
    }
    if (i < args.size()) cl.path = args[i++];
    if (i < args.size()) {
        cl.action = CommandLine::Action::Error;
        cl.message = "tarpon-hex: one file at a time; quote a path that holds blanks.";
    }
    return cl;
}

std::string helpText() {
    return "Usage: tarpon-hex [--] [FILE]\n"
           "A hex editor for files that store text in a private character encoding.\n"
           "\n"
           "FILE is opened at start-up; a path that names no file is created empty.\n"
           "Without FILE the editor shows the 256 bytes 00 to FF.\n"
           "Files of 9 MiB (9437184 bytes) or more are refused.\n"
           "\n"
           "  --help      show this text and exit\n"
           "  --version   show the version and exit\n"
           "  --          end of options: the next argument is FILE even if it starts with '-'\n";
}

std::string versionText() { return std::string("tarpon-hex ") + TARPON_VERSION + "\n"; }

}  // namespace tarpon
