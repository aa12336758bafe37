// The desktop program: Qt backend, start-up, the main event loop. An optional
// argument names a folder to load at once.
#include <QApplication>
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
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
    const std::string startFolder = argc > 1 ? argv[1] : "";

    pitbox::ui::QtToolkit toolkit;
    pitbox::AppState state(toolkit);
    pitbox::startUp(state, pitbox::platform::workingFolder(), startFolder);
    return pitbox::runMainLoop(state);
}
