#include "app/startup.h"

#include <sys/stat.h>

#include "app/document.h"
#include "app/file_commands.h"
#include "app/layout.h"
#include "app/tool_runner.h"
#include "core/editor.h"
#include "table/table_commands.h"
#include "view/cursor.h"
#include "view/modes.h"

namespace tarpon {

void Form_Load(Editor& ed, const std::string& commandLine) {
    EditorState& s = ed.s;
    s.view.offsetMode = true;
    ed.v.ShpHex[1] = Mark{0, 0, 0, ed.v.ShpHex[1].height, true, ed.v.ShpHex[1].rop};
    ed.v.ShpText[1] = Mark{0, 0, 0, ed.v.ShpText[1].height, true, ed.v.ShpText[1].rop};
    wireScrollBar(ed);
    InitDocument(ed);
    ed.v.VScroll.setRange(-32768, 32767);
    ed.v.VScroll.setValue(-32768);
    ed.v.picHex.background = ed.v.PicText.background = kWhite;
    ed.services.resizeMainWindow(kStartWidth, kStartHeight);
    if (!commandLine.empty()) LoadFile(ed, commandLine);
    lblViewMode_Click(ed, s.view.viewMode ? 1 : 0);
}

bool Form_QueryUnload(Editor& ed) { return QueryUnsavedChanges(ed); }

void Form_Unload(Editor& ed) {
    ed.s.doc.fileData.assign(1, 0);
    ed.s.doc.fileData.shrink_to_fit();
    ed.s.doc.fileSize = 0;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    return parseCommandLine(args, [](const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0;
    });
}

CommandLine parseCommandLine(const std::vector<std::string>& args,
                             const std::function<bool(const std::string&)>& exists) {
    CommandLine cl;
    auto error = [&cl](const std::string& message) {
        cl.action = CommandLine::Action::Error;
        cl.message = "tarpon-hex: " + message + "\nTry 'tarpon-hex --help'.";
        return cl;
    };
    if (isToolCommand(args)) {
        cl.action = CommandLine::Action::Tool;
        return cl;
    }
    if (const std::optional<std::string> mistyped = noSuchCommand(args, exists)) return error(*mistyped);
    size_t i = 0;
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "--help" || arg == "-h") cl.action = CommandLine::Action::Help;
        else if (arg == "--version") cl.action = CommandLine::Action::Version;
        else if (arg.rfind("--table=", 0) == 0 && arg.size() > 8) cl.tablePath = arg.substr(8);
        else if (arg == "--table" && i + 1 < args.size() && !args[i + 1].empty()) cl.tablePath = args[++i];
        else if (arg == "--table" || arg == "--table=") return error("option '--table' needs a table file");
        else return error("unknown option '" + arg + "'");
        if (cl.action != CommandLine::Action::Run) return cl;
    }
    if (i < args.size()) cl.path = args[i++];
    if (i < args.size()) return error("one file at a time; quote a path that holds blanks.");
    if (cl.path == "-") return error("'-' (standard input) cannot be opened; write ./- for a file named -.");
    return cl;
}

std::string helpText() {
    return "Usage: tarpon-hex [--table FILE.tbl] [--] [FILE]\n"
           "       tarpon-hex find [--table T.tbl] [--relative [--alphabet A]] TEXT FILE\n"
           "       tarpon-hex dump --table T.tbl --from OFFSET --to OFFSET [--out SCRIPT] FILE\n"
           "       tarpon-hex dump --table T.tbl --pointers OFFSET --count N --size 2|3|4\n"
           "                       [--big-endian] [--add NUMBER] [--length N] [--out SCRIPT] FILE\n"
           "       tarpon-hex insert --table T.tbl --script SCRIPT FILE\n"
           "       tarpon-hex COMMAND --help\n"
           "A hex editor for files that store text in a private character encoding.\n"
           "\n"
           "FILE is opened at start-up; a path that names no file is created empty.\n"
           "Without FILE the editor shows the 256 bytes 00 to FF.\n"
           "The window refuses files of 9 MiB (9437184 bytes) or more; the commands\n"
           "take files up to 2 GiB, memory permitting. '-' is no file: write ./- for one.\n"
           "\n"
           "  --table FILE.tbl  load the character table FILE.tbl and show the text\n"
           "                    through it (the \"Table\" view)\n"
           "  --help            show this text and exit\n"
           "  --version         show the version and exit\n"
           "  --                end of options: the next argument is FILE even if it starts with '-'\n"
           "                    (tarpon-hex -- dump opens a file named dump)\n"
           "\n"
           "These commands open no window. find prints the offset of every place that\n"
           "holds TEXT, one a line as 0x and hex digits: TEXT is read through the table\n"
           "T.tbl when one is given, as Latin-1 characters otherwise; --relative looks for\n"
           "the same steps between the letters, in the order --alphabet names (ascii, the\n"
           "default; hiragana; katakana; or a SEQUENCE of characters). dump writes the\n"
           "strings of a range, or those a pointer table points at, as a script (to standard\n"
           "output unless --out names a file); insert writes a script's strings and\n"
           "pointers into FILE, or nothing at all when one does not fit. Numbers are\n"
           "hexadecimal after 0x or $, decimal otherwise; --add may be negative.\n"
           "A first argument of small letters that names no file and is followed by more,\n"
           "or is within two letters of a command's name, is refused as no such command.\n"
           "Exit status: 0 done, 1 the work could not be done (no hit, a string too long,\n"
           "a file that cannot be read, output that cannot be written; the reason on\n"
           "standard error), 2 a usage error.\n";
}

int runWithoutWindow(const CommandLine& cl, const std::vector<std::string>& args, Output& out, Output& err) {
    switch (cl.action) {
    case CommandLine::Action::Tool: return runToolCommand(args, out, err);
    case CommandLine::Action::Help: out.write(helpText()); break;
    case CommandLine::Action::Version: out.write(versionText()); break;
    case CommandLine::Action::Error: err.write(cl.message + "\n"); return finishOutput(kExitUsage, out, err);
    case CommandLine::Action::Run: break;
    }
    return finishOutput(kExitDone, out, err);
}

void LoadStartupTable(Editor& ed, const std::string& path) {
    if (LoadTableFile(ed, path) > 0) lblViewMode_Click(ed, 1);
}

std::string versionText() { return std::string("tarpon-hex ") + TARPON_VERSION + "\n"; }

}  // namespace tarpon
