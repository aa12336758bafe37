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

// Ctrl+F in a window with a text field puts the focus there.
bool Win32Toolkit::fieldKey(const void* message) {
    const MSG& msg = *static_cast<const MSG*>(message);
    if (msg.message != WM_KEYDOWN || msg.wParam != 'F' || GetKeyState(VK_CONTROL) >= 0) return false;
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    for (const auto& [handle, field] : fields_)
        if (GetAncestor(static_cast<HWND>(handle), GA_ROOT) == root) {
            SetFocus(static_cast<HWND>(handle));
            SendMessageW(static_cast<HWND>(handle), EM_SETSEL, 0, -1);
            return true;
        }
    return false;
}

// The keys the toolkit's rules name, taken before the dialog manager: what
// the rules make of them is done here, the rest goes on as it came.
bool Win32Toolkit::ruledKey(const void* message) {
    const MSG& msg = *static_cast<const MSG*>(message);
    if (msg.message != WM_KEYDOWN) return false;
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    const WindowData* data = root && isOurWindow(root) ? dataOf(root) : nullptr;
    if (!data || data->tk != this) return false;
    KeyPress press;
    press.key = msg.wParam == VK_ESCAPE   ? Key::Escape
                : msg.wParam == VK_DELETE ? Key::Delete
                                          : win32::navigationKey(msg.wParam);
    if (press.key == Key::None) return false;
    press.plain = GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0;
    press.ownedWindow = GetWindow(root, GW_OWNER) != nullptr;
    press.windowReportsKeys = data->reportsKeys;
    wchar_t kind[32] = {};
    press.inTable = GetClassNameW(msg.hwnd, kind, 32) && std::wstring_view(kind) == WC_LISTVIEWW;
    const auto field = fields_.find(msg.hwnd);
    press.inField = field != fields_.end();
    press.fieldHasText = press.inField && GetWindowTextLengthW(msg.hwnd) > 0;
    switch (keyAction(press)) {
        case KeyAction::ClearField: SetWindowTextW(msg.hwnd, L""); return true;  // reported as a change
        case KeyAction::FocusBelow:
            if (HWND next = static_cast<HWND>(gadgetHandle(field->second.window, field->second.downTo))) SetFocus(next);
            return true;
        case KeyAction::Close: post({EventKind::CloseRequest, data->number, -1}); return true;
        case KeyAction::Report: post({EventKind::Key, data->number, -1, -1, press.key}); return true;
        case KeyAction::Native: return false;
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
    mouseMessage(msg);
    if (ruledKey(&msg)) return true;
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    // Ctrl+A in a table selects every row, as in Qt's tables: Wine's list
    // view does not.
    if (msg.message == WM_KEYDOWN && msg.wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && root && isOurWindow(root)) {
        wchar_t kind[32] = {};
        const WindowData* data = dataOf(root);
        if (data && data->tk == this && GetClassNameW(msg.hwnd, kind, 32) && std::wstring_view(kind) == WC_LISTVIEWW) {
            ListView_SetItemState(msg.hwnd, -1, LVIS_SELECTED, LVIS_SELECTED);
            tableTouched(data->number, GetDlgCtrlID(msg.hwnd));
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
    takeTouchedSelections();
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
