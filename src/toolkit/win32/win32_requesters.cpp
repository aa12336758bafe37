// The Win32 backend's requesters: the folder and save dialogs of the shell and
// comdlg32, and a small text requester of its own.
#include <windows.h>

#include "toolkit/win32/win32_toolkit.h"
// The shell and common-dialog headers after windows.h.
#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <climits>
#include <string_view>

#include "platform/paths.h"
#include "toolkit/win32/gdi.h"
#include "toolkit/win32/win32_internal.h"

namespace pitbox::ui {
using namespace win32;

namespace win32 {

// The text requester: a message line, an edit field and OK; Enter confirms,
// Escape and the close box cancel. The controls' numbers stay clear of IDOK and
// IDCANCEL, which their notifications would otherwise pass for.
constexpr int kAskMessage = 100;
constexpr int kAskEdit = 101;
struct Ask {
    bool done = false;
    bool confirmed = false;
    std::wstring answer;
};

LRESULT CALLBACK askProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* ask = reinterpret_cast<Ask*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case DM_GETDEFID: return MAKELONG(IDOK, DC_HASDEFID);
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) {
                SetFocus(GetDlgItem(hwnd, kAskEdit));
                return 0;
            }
            return DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_COMMAND:
            if (ask && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
                ask->confirmed = LOWORD(wParam) == IDOK;
                if (ask->confirmed) {
                    HWND edit = GetDlgItem(hwnd, kAskEdit);
                    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
                    text.resize(
                        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
                    ask->answer = std::move(text);
                }
                ask->done = true;
            }
            return 0;
        case WM_CLOSE:
            if (ask) ask->done = true;
            return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace win32

void* Win32Toolkit::dialogOwner() const {
    if (HWND active = GetActiveWindow()) return active;
    const std::vector<int> open = openWindows();
    return open.empty() ? nullptr : windowHandle(open.back());
}

std::string Win32Toolkit::folderRequester(const std::string& title, const std::string& startFolder) {
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) return {};
    std::string chosen;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR);
    dialog->SetTitle(gdi::widen(title).c_str());
    IShellItem* start = nullptr;
    if (SUCCEEDED(SHCreateItemFromParsingName(gdi::widen(startFolder).c_str(), nullptr, IID_PPV_ARGS(&start)))) {
        dialog->SetFolder(start);
        start->Release();
    }
    if (SUCCEEDED(dialog->Show(static_cast<HWND>(dialogOwner())))) {
        IShellItem* result = nullptr;
        if (SUCCEEDED(dialog->GetResult(&result))) {
            wchar_t* path = nullptr;
            if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                chosen = platform::withSeparator(gdi::narrow(path));
                CoTaskMemFree(path);
            }
            result->Release();
        }
    }
    dialog->Release();
    return chosen;
}

SaveAnswer Win32Toolkit::saveFileRequester(const std::string& title, const std::string& proposedPath,
                                           const std::vector<FileFilter>& types) {
    // The dialog wants "name\0pattern\0" for each, then one more NUL.
    std::wstring filters;
    for (const FileFilter& f : types) {
        filters += gdi::widen(f.name);
        filters += L'\0';
        filters += gdi::widen(f.pattern);
        filters += L'\0';
    }
    filters += L'\0';
    const std::wstring folder = gdi::widen(platform::pathPart(proposedPath));
    std::wstring file(32768, L'\0');
    const std::wstring name = gdi::widen(platform::filePart(proposedPath));
    std::copy(name.begin(), name.end(), file.begin());
    const std::wstring caption = gdi::widen(title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = static_cast<HWND>(dialogOwner());
    ofn.lpstrFilter = filters.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = caption.c_str();
    // The platform's question before an existing file is replaced; no extension
    // added, the working folder kept.
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameW(&ofn)) return {};
    return {gdi::narrow(file.c_str()), ofn.nFilterIndex > 0 ? ofn.nFilterIndex - 1 : 0};
}

// The system's message box: its buttons read OK and Cancel in the system's
// language, OK the default.
bool Win32Toolkit::questionRequester(const std::string& title, const std::string& question,
                                     const std::string& /*action*/) {
    HWND owner = static_cast<HWND>(dialogOwner());
    return MessageBoxW(owner, gdi::widen(question).c_str(), gdi::widen(title).c_str(),
                       MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1) == IDOK;
}

std::string Win32Toolkit::textRequester(const std::string& title, const std::string& message,
                                        const std::string& initial) {
    HWND owner = static_cast<HWND>(dialogOwner());
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, px(420), px(118)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT o{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &o);
    Ask ask;
    HWND window =
        CreateWindowExW(exStyle, kAskClass, gdi::widen(title).c_str(), style, o.left + (o.right - o.left - width) / 2,
                        o.top + (o.bottom - o.top - height) / 2, width, height, owner, nullptr, instance(), &ask);
    if (!window) return {};
    HFONT font = gdi::dialogFont(dpi());
    auto control = [&](const wchar_t* cls, const std::wstring& text, DWORD controlStyle, DWORD controlEx, int id,
                       RECT r) {
        HWND c = CreateWindowExW(controlEx, cls, text.c_str(), WS_CHILD | WS_VISIBLE | controlStyle, px(r.left),
                                 px(r.top), px(r.right), px(r.bottom), window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        return c;
    };
    control(L"STATIC", gdi::widen(message), SS_LEFT | SS_NOPREFIX, 0, kAskMessage, {12, 12, 396, 20});
    HWND edit = control(L"EDIT", gdi::widen(initial), ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, kAskEdit,
                        {12, 38, 396, 24});
    control(L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, IDOK, {170, 76, 80, 28});
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(edit);
    while (!ask.done) {
        MSG msg;
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            ask.done = true;
            continue;
        }
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(window);
    DeleteObject(font);
    if (owner) SetActiveWindow(owner);
    return ask.confirmed ? gdi::narrow(ask.answer) : std::string{};
}

}  // namespace pitbox::ui
