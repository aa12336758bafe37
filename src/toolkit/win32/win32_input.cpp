// The Win32 backend's input: the message pump that turns messages into the
// program's events, the keys it takes before the dialog manager, and the
// keyboard focus given back after an action.
#include <algorithm>
#include <climits>
#include <string_view>

#include "toolkit/win32/gdi.h"
#include "toolkit/win32/win32_internal.h"
#include "toolkit/win32/win32_toolkit.h"

namespace pitbox::ui {
using namespace win32;

namespace win32 {

Key navigationKey(WPARAM virtualKey) {
    switch (virtualKey) {
        case VK_UP: return Key::Up;
        case VK_DOWN: return Key::Down;
        case VK_LEFT: return Key::Left;
        case VK_RIGHT: return Key::Right;
        case VK_PRIOR: return Key::PageUp;
        case VK_NEXT: return Key::PageDown;
        default: return Key::None;
    }
}

// The gadget that has the focus, remembered for its window whenever an event is
// taken, so that it can be given back.
void rememberFocus() {
    HWND focus = GetFocus();
    HWND root = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
    if (root && root != focus && isOurWindow(root))
        if (WindowData* data = dataOf(root)) data->focus = focus;
}

// An action can leave no gadget with the focus (a button disabled while it
// worked, a requester that took it): the gadget that had it gets it back before
// the next event is awaited, so Tab, the arrows and Space work without a click.
void restoreFocus() {
    HWND active = GetActiveWindow();
    if (!active || !isOurWindow(active)) return;
    if (HWND focus = GetFocus(); focus && IsChild(active, focus)) return;
    const WindowData* data = dataOf(active);
    if (data && data->focus && IsWindow(data->focus) && IsChild(active, data->focus) && IsWindowEnabled(data->focus))
        SetFocus(data->focus);
}

}  // namespace win32

// The keys a text field takes from the dialog manager: Escape clears it (in an
// empty field it is the window's key), Down moves on to the gadget below it.
// Ctrl+F in a window with a text field puts the focus there.
bool Win32Toolkit::fieldKey(const void* message) {
    const MSG& msg = *static_cast<const MSG*>(message);
    if (msg.message != WM_KEYDOWN) return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    if (msg.wParam == 'F' && control) {
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        for (const auto& [handle, field] : fields_)
            if (GetAncestor(static_cast<HWND>(handle), GA_ROOT) == root) {
                SetFocus(static_cast<HWND>(handle));
                SendMessageW(static_cast<HWND>(handle), EM_SETSEL, 0, -1);
                return true;
            }
        return false;
    }
    auto it = fields_.find(msg.hwnd);
    if (it == fields_.end() || control) return false;
    if (msg.wParam == VK_ESCAPE) {
        if (GetWindowTextLengthW(msg.hwnd) == 0) return false;
        SetWindowTextW(msg.hwnd, L"");  // reported as a change
        return true;
    }
    if (msg.wParam == VK_DOWN) {
        if (HWND next = static_cast<HWND>(gadgetHandle(it->second.window, it->second.downTo))) SetFocus(next);
        return true;
    }
    return false;
}

// Tab and Shift+Tab move the focus through a window's gadgets.
bool Win32Toolkit::pumpOne() {
    MSG msg;
    if (quit_ || !PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        quit_ = true;
        return false;
    }
    if (fieldKey(&msg)) return true;
    if (msg.message == WM_MOUSEMOVE) mouseMoved(msg.hwnd);
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    // Escape in a window over the main window asks to close it, as its close
    // box does; in the main window it is reported.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && root && isOurWindow(root)) {
        if (const WindowData* data = dataOf(root); data && data->tk == this) {
            if (GetWindow(root, GW_OWNER))
                post({EventKind::CloseRequest, data->number, -1});
            else
                post({EventKind::Key, data->number, -1, -1, Key::Escape});
            return true;
        }
    }
    // Keys pressed in a table of one of our windows.
    const WindowData* table = nullptr;
    if (msg.message == WM_KEYDOWN && root && isOurWindow(root)) {
        wchar_t kind[32] = {};
        const WindowData* data = dataOf(root);
        if (data && data->tk == this && GetClassNameW(msg.hwnd, kind, 32) && std::wstring_view(kind) == WC_LISTVIEWW)
            table = data;
    }
    // Delete in a table of the main window is reported.
    if (table && msg.wParam == VK_DELETE && !GetWindow(root, GW_OWNER) && GetKeyState(VK_CONTROL) >= 0 &&
        GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0) {
        post({EventKind::Key, table->number, -1, -1, Key::Delete});
        return true;
    }
    // Ctrl+A in a table selects every row, as in Qt's tables: Wine's list
    // view does not.
    if (table && msg.wParam == 'A' && GetKeyState(VK_CONTROL) < 0) {
        ListView_SetItemState(msg.hwnd, -1, LVIS_SELECTED, LVIS_SELECTED);
        post({EventKind::Gadget, table->number, GetDlgCtrlID(msg.hwnd)});
        return true;
    }
    if (msg.message == WM_KEYDOWN && root && isOurWindow(root)) {
        const WindowData* data = dataOf(root);
        const Key key = navigationKey(msg.wParam);
        if (data && data->tk == this && data->reportsKeys && key != Key::None && GetKeyState(VK_CONTROL) >= 0 &&
            GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0) {
            post({EventKind::Key, data->number, -1, -1, key});
            return true;
        }
    }
    if (!root || !IsDialogMessageW(root, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

Event Win32Toolkit::take() {
    if (!hasEvent()) return {};
    rememberFocus();
    return pop();
}

void Win32Toolkit::wake() { SetEvent(static_cast<HANDLE>(wakeEvent_)); }

void Win32Toolkit::waitForInput(unsigned long milliseconds) {
    HANDLE wake = static_cast<HANDLE>(wakeEvent_);
    if (MsgWaitForMultipleObjectsEx(1, &wake, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0)
        post({EventKind::Wake});
}

Event Win32Toolkit::waitEvent() {
    restoreFocus();
    for (;;) {
        while (!hasEvent() && pumpOne()) {}
        if (quit_) return {EventKind::CloseRequest, 0, -1};
        if (hasEvent()) return take();
        waitForInput(INFINITE);
    }
}

void Win32Toolkit::sleep(int milliseconds) { Sleep(static_cast<DWORD>(std::max(milliseconds, 0))); }

Event Win32Toolkit::waitEvent(int milliseconds) {
    restoreFocus();
    while (!hasEvent() && pumpOne()) {}
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::max(milliseconds, 0));
    while (!hasEvent() && !quit_) {
        const ULONGLONG now = GetTickCount64();
        if (now >= until) break;
        waitForInput(static_cast<DWORD>(until - now));
        while (!hasEvent() && pumpOne()) {}
    }
    return take();
}

}  // namespace pitbox::ui
