// The desktop program: Qt backend, start-up, the main event loop. An optional
// argument names a folder to load at once; --forget starts without the
// remembered library.
#include <QApplication>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "library/library_store.h"
#include "platform/files.h"
#include "toolkit/qt/app_icon.h"
#include "toolkit/qt/qt_toolkit.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrun Pitbox");
    QApplication::setDesktopFileName("kestrun-pitbox");
    QApplication::setWindowIcon(pitbox::ui::applicationIcon());
    // Taken from argv, not from Qt's copy, so that a name in any encoding stays
    // the bytes the file system knows.
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool forget = !args.empty() && args.front() == "--forget";
    if (forget) args.erase(args.begin());
    const std::string startFolder = args.empty() ? "" : args.front();

    pitbox::ui::QtToolkit toolkit;
    pitbox::AppState state(toolkit);
    state.storePath = pitbox::libraryStorePath();
    state.watchesLibrary = true;
    state.forgetStore = forget;
    pitbox::startUp(state, pitbox::platform::workingFolder(), startFolder);
    return pitbox::runMainLoop(state);
}
