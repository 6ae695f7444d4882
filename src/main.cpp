#include <QApplication>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/startup.h"
#include "app/tool_commands.h"
#include "qt/no_settings.h"
#include "qt/startup_icons.h"

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) must fail a save's write with EFBIG, which the
    // save reports and recovers from, instead of killing the editor with the edits.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The build-script commands need no display, and Qt is never started for them.
    if (tarpon::isToolCommand(args)) {
        std::string out, err;
        const int status = tarpon::runToolCommand(args, out, err);
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fwrite(err.data(), 1, err.size(), stderr);
        return status;
    }
    // Options are read before Qt starts, so --help works without a display.
    const tarpon::CommandLine cl = tarpon::parseCommandLine(args);
    switch (cl.action) {
    case tarpon::CommandLine::Action::Help: std::fputs(tarpon::helpText().c_str(), stdout); return 0;
    case tarpon::CommandLine::Action::Version: std::fputs(tarpon::versionText().c_str(), stdout); return 0;
    case tarpon::CommandLine::Action::Error: std::fprintf(stderr, "%s\n", cl.message.c_str()); return 2;
    case tarpon::CommandLine::Action::Run: break;
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
