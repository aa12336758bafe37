// pitbox.exe: the desktop program on Windows, the Win32 backend, start-up and
// the main event loop. An optional argument names a folder to load at once.
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "platform/files.h"
#include "toolkit/win32/gdi.h"
#include "toolkit/win32/win32_toolkit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::string startFolder = argv && argc > 1 ? pitbox::ui::gdi::narrow(argv[1]) : std::string{};
    if (argv) LocalFree(argv);

    pitbox::ui::Win32Toolkit toolkit;
    pitbox::AppState state(toolkit);
    pitbox::startUp(state, pitbox::platform::workingFolder(), startFolder);
    return pitbox::runMainLoop(state);
}
