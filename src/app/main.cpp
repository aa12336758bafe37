// The desktop program: Qt backend, start-up, the main event loop. The arguments
// name a folder to load at once, or track files to show; --forget starts without the
// remembered library.
#include <QApplication>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/open_given.h"
#include "app/program_options.h"
#include "library/library_store.h"
#include "platform/files.h"
#include "toolkit/qt/app_icon.h"
#include "toolkit/qt/qt_toolkit.h"

int main(int argc, char** argv) {
    if (pitbox::asksForHelp({argv + 1, argv + argc})) {
        const auto help = pitbox::parseProgramOptions({argv + 1, argv + argc});
        if (const auto* end = std::get_if<pitbox::ProgramEnd>(&help)) std::cout << end->text;
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrun Pitbox");
    QApplication::setDesktopFileName("kestrun-pitbox");
    QApplication::setWindowIcon(pitbox::ui::applicationIcon());
    // Taken from argv, not from Qt's copy, so that a name in any encoding stays
    // the bytes the file system knows.
    const auto parsed = pitbox::parseProgramOptions({argv + 1, argv + argc});
    if (const auto* end = std::get_if<pitbox::ProgramEnd>(&parsed)) {
        (end->code == 0 ? std::cout : std::cerr) << end->text;
        return end->code;
    }
    const auto& options = *std::get_if<pitbox::ProgramOptions>(&parsed);

    pitbox::ui::QtToolkit toolkit;
    pitbox::AppState state(toolkit);
    state.storePath = pitbox::libraryStorePath();
    state.watchesLibrary = true;
    state.forgetStore = options.forget;
    const std::string working = pitbox::platform::workingFolder();
    const auto instance = pitbox::claimProgram(state, options, working);
    if (instance.handedOver) return 0;
    if (instance.anotherRuns) {
        std::cerr << "pitbox: " << pitbox::kRunsAlready << "\n";
        return 1;
    }
    pitbox::startUp(state, working, options.folder, options.tracks);
    return pitbox::runMainLoop(state);
}
