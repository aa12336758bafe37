// The desktop program: Qt backend, start-up, the main event loop.
#include <QApplication>
#include <unistd.h>

#include <climits>
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "ui/qt/app_icon.h"
#include "ui/qt/qt_toolkit.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrun Pitbox");
    QApplication::setDesktopFileName("kestrun-pitbox");
    QApplication::setWindowIcon(pitbox::ui::applicationIcon());

    char cwd[PATH_MAX];
    const std::string workingFolder = ::getcwd(cwd, sizeof cwd) ? cwd : "/";

    pitbox::ui::QtToolkit toolkit;
    pitbox::AppState state(toolkit);
    pitbox::startUp(state, workingFolder);
    return pitbox::runMainLoop(state);
}
