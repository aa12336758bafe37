#pragma once
// What the files of the Win32 backend share, and nothing outside it uses.
#include <windows.h>
// The common-control headers after windows.h.
#include <commctrl.h>

#include "toolkit/win32/win32_toolkit.h"

namespace pitbox::ui::win32 {

constexpr wchar_t kWindowClass[] = L"KestrunPitboxWindow";
constexpr wchar_t kImageClass[] = L"KestrunPitboxImage";
constexpr wchar_t kAskClass[] = L"KestrunPitboxAsk";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kResizableStyle = kWindowStyle | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

// What a window of ours knows of itself.
struct WindowData {
    Win32Toolkit* tk;
    int number;
    HWND focus = nullptr;  // the gadget that had the keyboard focus when the window was left
    SIZE minClient{0, 0};  // the smallest client area of a resizable window, at 96 dpi
    bool reportsKeys = false;
};

inline WindowData* dataOf(HWND hwnd) { return reinterpret_cast<WindowData*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

inline HINSTANCE instance() { return GetModuleHandleW(nullptr); }

inline bool isOurWindow(HWND hwnd) {
    wchar_t name[32] = {};
    GetClassNameW(hwnd, name, 32);
    return wcscmp(name, kWindowClass) == 0;
}

// A list view's notification: cells asked for, selections, type-to-find (win32_tables.cpp).
LRESULT onTableNotify(WindowData& data, const NMHDR& header, LPARAM lParam);
// The arrows and Page Up/Down as the program's keys (win32_input.cpp).
Key navigationKey(WPARAM virtualKey);
void rememberFocus();
void restoreFocus();
// The text requester's window (win32_requesters.cpp).
LRESULT CALLBACK askProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace pitbox::ui::win32
