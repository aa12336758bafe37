// pitbox.exe: the desktop program on Windows, the Win32 backend, start-up and
// the main event loop. The arguments name a folder to load at once, or track files to show;
// --forget starts without the remembered library.
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <string>
#include <variant>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/open_given.h"
#include "app/program_options.h"
#include "library/library_store.h"
#include "platform/files.h"
#include "toolkit/win32/gdi.h"
#include "toolkit/win32/win32_toolkit.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv && i < argc; ++i) args.push_back(pitbox::ui::gdi::narrow(argv[i]));
    if (argv) LocalFree(argv);
    // A program without a console shows its help, or why it cannot start, in a box.
    const auto parsed = pitbox::parseProgramOptions(args);
    if (const auto* end = std::get_if<pitbox::ProgramEnd>(&parsed)) {
        MessageBoxW(nullptr, pitbox::ui::gdi::widen(end->text).c_str(), L"Kestrun Pitbox",
                    end->code == 0 ? MB_ICONINFORMATION : MB_ICONERROR);
        return end->code;
    }
    const auto& options = *std::get_if<pitbox::ProgramOptions>(&parsed);

    pitbox::ui::Win32Toolkit toolkit;
    pitbox::AppState state(toolkit);
    state.storePath = pitbox::libraryStorePath();
    state.watchesLibrary = true;
    state.forgetStore = options.forget;
    const std::string working = pitbox::platform::workingFolder();
    const auto instance = pitbox::claimProgram(state, options, working);
    if (instance.handedOver) return 0;
    if (instance.anotherRuns) {
        MessageBoxW(nullptr, pitbox::ui::gdi::widen(pitbox::kRunsAlready).c_str(), L"Kestrun Pitbox", MB_ICONERROR);
        return 1;
    }
    pitbox::startUp(state, working, options.folder, options.tracks);
    return pitbox::runMainLoop(state);
}
