#include <QApplication>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "app/tool_commands.h"
#include "core/output.h"
#include "qt/no_settings.h"
#include "qt/startup_icons.h"

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) must fail a save's write with EFBIG, which the
    // save reports and recovers from, instead of killing the editor with the edits.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Options are read before Qt starts, so that --help and the build-script
    // commands work without a display; Qt is never started for them.
    const tarpon::CommandLine cl = tarpon::parseCommandLine(args);
    if (cl.action != tarpon::CommandLine::Action::Run) {
        // A closed pipe must fail the write with EPIPE, which is reported, rather than end the program unheard.
        std::signal(SIGPIPE, SIG_IGN);
        tarpon::FdOutput out(STDOUT_FILENO, "standard output", true), err(STDERR_FILENO, "standard error");
        return tarpon::runWithoutWindow(cl, args, out, err);
    }
    // Qt sees no arguments: a file named like one of its options must not be taken by it.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    tarpon::KeepNoSettings();
    // Ties the window to its desktop entry (its icon and name in docks and task lists).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarpon_hex.tarpon_hex"));
    // PNGs, not the SVG: that would load the SVG icon engine and QtSvg at every start.
    QApplication::setWindowIcon(tarpon::ApplicationIcon());
    tarpon::UseMenuBarIconsWithoutPlugins();
    tarpon::MainWindow window(cl.path);
    window.show();
    if (!cl.tablePath.empty()) {
        tarpon::LoadStartupTable(window.editor(), cl.tablePath);
        window.refresh();
    }
    return app.exec();
}
