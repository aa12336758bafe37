#include "toolkit/win32/win32_toolkit.h"

#include <windows.h>
// The shell and common-control headers after windows.h.
#include <commctrl.h>
#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <climits>
#include <string_view>
#include <tuple>

#include "platform/paths.h"
#include "toolkit/win32/gdi.h"

namespace pitbox::ui {
namespace {

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
    SIZE minFrame{0, 0};   // the smallest frame of a resizable window
    bool reportsKeys = false;
};

WindowData* dataOf(HWND hwnd) { return reinterpret_cast<WindowData*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

bool isOurWindow(HWND hwnd) {
    wchar_t name[32] = {};
    GetClassNameW(hwnd, name, 32);
    return wcscmp(name, kWindowClass) == 0;
}

bool isButton(HWND control) {
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return _wcsicmp(name, L"Button") == 0;
}

LRESULT onNotify(WindowData& data, const NMHDR& header, LPARAM lParam) {
    const int gadget = static_cast<int>(header.idFrom);
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            // Cells are made when the list view draws them, never up front.
            auto& info = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
            const TableRows* rows = data.tk->tableRows(data.number, gadget);
            if ((info.mask & LVIF_TEXT) && rows && info.iItem >= 0 &&
                static_cast<std::size_t>(info.iItem) < rows->rowCount() && info.cchTextMax > 0) {
                std::string cell;
                rows->appendCell(static_cast<std::size_t>(info.iItem), static_cast<std::size_t>(info.iSubItem), cell);
                const std::wstring text = gdi::widen(cell);
                const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(info.cchTextMax) - 1);
                std::copy_n(text.data(), n, info.pszText);
                info.pszText[n] = L'\0';
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) &&
                !data.tk->quiet())
                data.tk->post({EventKind::Gadget, data.number, gadget});
            return 0;
        }
        case LVN_ODFINDITEMW: {
            // Typing in the table: the first row from the start given (wrapping
            // round) whose name begins with the letters typed, as the program's
            // rows tell.
            const auto* find = reinterpret_cast<const NMLVFINDITEMW*>(lParam);
            const TableRows* rows = data.tk->tableRows(data.number, gadget);
            const std::size_t n = rows ? rows->rowCount() : 0;
            if (n == 0 || !(find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find->lvfi.psz) return -1;
            const std::size_t start = find->iStart >= 0 ? static_cast<std::size_t>(find->iStart) % n : 0;
            const auto found = rows->findRow(gdi::narrow(find->lvfi.psz), start);
            return found ? static_cast<LRESULT>(*found) : -1;
        }
        case LVN_COLUMNCLICK: {
            const auto* click = reinterpret_cast<const NMLISTVIEW*>(lParam);
            data.tk->post({EventKind::HeaderClick, data.number, gadget, click->iSubItem});
            return 0;
        }
        case LVN_ODSTATECHANGED:
        case NM_CLICK:
        case NM_RCLICK:
        case NM_DBLCLK:
        case NM_RDBLCLK:
        case LVN_BEGINDRAG:
        case LVN_BEGINRDRAG:
            if (!data.tk->quiet()) data.tk->post({EventKind::Gadget, data.number, gadget});
            return 0;
        default: return 0;
    }
}

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

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    WindowData* data = dataOf(hwnd);
    if (!data) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_CLOSE:
            // The close box only asks; the program closes the window itself.
            data->tk->post({EventKind::CloseRequest, data->number, -1});
            return 0;
        case WM_COMMAND: {
            // A button's click, or a change of a text field's text the user made.
            const bool clicked = HIWORD(wParam) == BN_CLICKED && isButton(reinterpret_cast<HWND>(lParam));
            const bool typed = HIWORD(wParam) == EN_CHANGE && !data->tk->quiet();
            if (lParam != 0 && (clicked || typed))
                data->tk->post({EventKind::Gadget, data->number, static_cast<int>(LOWORD(wParam))});
            return 0;
        }
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) data->tk->windowResized(data->number, LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_GETMINMAXINFO:
            if (data->minFrame.cx > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = {data->minFrame.cx, data->minFrame.cy};
            }
            return 0;
        case WM_NOTIFY: return onNotify(*data, *reinterpret_cast<const NMHDR*>(lParam), lParam);
        case WM_ACTIVATE:
            // As a dialog does: the gadget that had the focus gets it back.
            if (LOWORD(wParam) == WA_INACTIVE) {
                // A window disabled under a requester has lost the focus already:
                // the gadget it had stays remembered.
                if (HWND focus = GetFocus(); focus && IsChild(hwnd, focus)) data->focus = focus;
            } else if (data->focus && IsWindow(data->focus)) {
                SetFocus(data->focus);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            delete data;
            break;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// An image gadget: paints its picture and reports a click.
LRESULT CALLBACK imageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowData* parent = dataOf(GetParent(hwnd));
    const int gadget = GetDlgCtrlID(hwnd);
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            if (const Picture* picture = parent ? parent->tk->imagePicture(parent->number, gadget) : nullptr) {
                const std::vector<std::uint32_t> pixels = gdi::dibPixels(*picture);
                const BITMAPINFO info = gdi::dibInfo(*picture);
                SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(picture->width()), static_cast<DWORD>(picture->height()),
                                  0, 0, 0, static_cast<UINT>(picture->height()), pixels.data(), &info, DIB_RGB_COLORS);
            }
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (parent) parent->tk->post({EventKind::Gadget, parent->number, gadget});
            return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

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

void registerClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    WNDCLASSEXW window{};
    window.cbSize = sizeof window;
    window.lpfnWndProc = windowProc;
    window.hInstance = instance();
    window.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window.lpszClassName = kWindowClass;
    // The program's icon, when the program carries one (resource 1).
    window.hIcon = static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    window.hIconSm = static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    RegisterClassExW(&window);
    WNDCLASSEXW image = window;
    image.lpfnWndProc = imageProc;
    image.hIcon = image.hIconSm = nullptr;
    image.lpszClassName = kImageClass;
    RegisterClassExW(&image);
    WNDCLASSEXW ask = window;
    ask.lpfnWndProc = askProc;
    ask.lpszClassName = kAskClass;
    RegisterClassExW(&ask);
}

HBITMAP bitmapOf(const Picture& picture) {
    BITMAPINFO info = gdi::dibInfo(picture);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    const std::vector<std::uint32_t> pixels = gdi::dibPixels(picture);
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    return bitmap;
}

}  // namespace

Win32Toolkit::Win32Toolkit() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    registerClasses();
}

Win32Toolkit::~Win32Toolkit() {
    for (int number : openWindows()) closeWindow(number);
    for (auto& [id, font] : fonts_) DeleteObject(static_cast<HFONT>(font));
    for (auto& [id, bitmap] : buttonBitmaps_) DeleteObject(static_cast<HBITMAP>(bitmap));
    CoUninitialize();
}

void Win32Toolkit::loadFont(int id, const FontSpec& wanted) {
    text_.loadFont(id, wanted);
    if (auto it = fonts_.find(id); it != fonts_.end()) DeleteObject(static_cast<HFONT>(it->second));
    fonts_[id] = gdi::createFont(wanted);
}

void Win32Toolkit::openWindow(const WindowSpec& layout) {
    closeWindow(layout.number);
    HWND owner = static_cast<HWND>(windowHandle(layout.owner));
    const DWORD style = layout.resizable ? kResizableStyle : kWindowStyle;
    auto frameOf = [style](int clientWidth, int clientHeight) {
        RECT frame{0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&frame, style, FALSE, kWindowExStyle);
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    };
    const SIZE frame = frameOf(layout.clientWidth, layout.clientHeight);
    int x = layout.x, y = layout.y;
    if (layout.centreOnOwner && owner) {
        RECT o{};
        GetWindowRect(owner, &o);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        std::tie(x, y) = centredOver({o.left, o.top, o.right - o.left, o.bottom - o.top}, frame.cx, frame.cy,
                                     {work.left, work.top, work.right - work.left, work.bottom - work.top});
    }
    auto* data = new WindowData{this, layout.number};
    if (layout.resizable) data->minFrame = frameOf(layout.minClientWidth, layout.minClientHeight);
    data->reportsKeys = layout.reportsKeys;
    // Known before it exists, so that its first WM_SIZE finds its gadgets' places.
    registerWindow(layout, nullptr);
    HWND hwnd = CreateWindowExW(kWindowExStyle, kWindowClass, gdi::widen(layout.title).c_str(), style, x, y, frame.cx,
                                frame.cy, owner, nullptr, instance(), data);
    if (!hwnd) {
        forgetWindow(layout.number);
        return;
    }
    registerWindow(layout, hwnd);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
}

void Win32Toolkit::windowResized(int window, int width, int height) {
    HWND hwnd = static_cast<HWND>(windowHandle(window));
    if (!hwnd) return;
    // All gadgets move at once, then the whole window is painted anew: moved
    // one by one, a button could be painted over by its neighbour's old place.
    HDWP moves = BeginDeferWindowPos(16);
    relayout(window, width, height, [&moves](void* handle, Rect r) {
        if (moves)
            moves = DeferWindowPos(moves, static_cast<HWND>(handle), nullptr, r.x, r.y, r.width, r.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    });
    if (moves) EndDeferWindowPos(moves);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool Win32Toolkit::shiftHeld() const { return GetKeyState(VK_SHIFT) < 0; }

void Win32Toolkit::setTitle(int window, const std::string& title) {
    if (HWND hwnd = static_cast<HWND>(windowHandle(window))) SetWindowTextW(hwnd, gdi::widen(title).c_str());
}

WindowPlace Win32Toolkit::windowPlace(int window) const {
    HWND hwnd = static_cast<HWND>(windowHandle(window));
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!hwnd || !GetWindowPlacement(hwnd, &placement)) return {};
    // The normal place, which a maximised window returns to; its client size
    // is the frame's less the frame's edges.
    const RECT& frame = placement.rcNormalPosition;
    RECT edges{0, 0, 0, 0};
    AdjustWindowRectEx(&edges, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    return {frame.left, frame.top, (frame.right - frame.left) - (edges.right - edges.left),
            (frame.bottom - frame.top) - (edges.bottom - edges.top), placement.showCmd == SW_SHOWMAXIMIZED};
}

void Win32Toolkit::placeWindow(int window, const WindowPlace& place) {
    HWND hwnd = static_cast<HWND>(windowHandle(window));
    if (!hwnd || place.width <= 0 || place.height <= 0) return;
    RECT frame{0, 0, place.width, place.height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    OffsetRect(&frame, place.x - frame.left, place.y - frame.top);
    // The title bar must lie on a screen, or the window could not be moved back.
    const POINT title{(frame.left + frame.right) / 2, frame.top + 10};
    if (!MonitorFromPoint(title, MONITOR_DEFAULTTONULL)) return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd, &placement);
    placement.rcNormalPosition = frame;
    placement.showCmd = place.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    SetWindowPlacement(hwnd, &placement);
}

std::vector<int> Win32Toolkit::columnWidths(int window, int gadget) const {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    HWND header = view ? ListView_GetHeader(view) : nullptr;
    std::vector<int> widths(static_cast<std::size_t>(header ? std::max(Header_GetItemCount(header), 0) : 0));
    for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = ListView_GetColumnWidth(view, static_cast<int>(c));
    return widths;
}

void Win32Toolkit::setColumnWidths(int window, int gadget, const std::vector<int>& widths) {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    HWND header = view ? ListView_GetHeader(view) : nullptr;
    const int columns = header ? Header_GetItemCount(header) : 0;
    for (int c = 0; c < columns && c < static_cast<int>(widths.size()); ++c)
        if (widths[static_cast<std::size_t>(c)] > 0)
            ListView_SetColumnWidth(view, c, widths[static_cast<std::size_t>(c)]);
}

void Win32Toolkit::closeWindow(int window) {
    // Owned windows go with their owner, by name.
    for (int owned : ownedBy(window)) closeWindow(owned);
    HWND hwnd = static_cast<HWND>(forgetWindow(window));
    if (!hwnd) return;
    std::erase_if(fields_, [window](const auto& f) { return f.second.window == window; });
    HWND owner = GetWindow(hwnd, GW_OWNER);
    DestroyWindow(hwnd);
    if (owner) SetActiveWindow(owner);
}

void* Win32Toolkit::place(int window, int gadget, const wchar_t* className, unsigned long style, unsigned long exStyle,
                          Rect r) {
    HWND parent = static_cast<HWND>(windowHandle(window));
    if (!parent) return nullptr;
    HWND control = CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | style, r.x, r.y, r.width, r.height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(gadget)), instance(), nullptr);
    if (control) registerGadget(window, gadget, control, r);
    return control;
}

void Win32Toolkit::addTable(int window, int gadget, Rect r, const std::vector<Column>& columns) {
    HWND view =
        static_cast<HWND>(place(window, gadget, WC_LISTVIEWW,
                                LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE, r));
    if (!view) return;
    ListView_SetExtendedListViewStyle(view, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        std::wstring title = gdi::widen(columns[c].title);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = columns[c].width;
        column.pszText = title.data();
        column.iSubItem = static_cast<int>(c);
        ListView_InsertColumn(view, static_cast<int>(c), &column);
    }
}

void Win32Toolkit::addImageButton(int window, int gadget, Rect r, int pictureId) {
    if (place(window, gadget, L"BUTTON", BS_PUSHBUTTON | BS_BITMAP | WS_TABSTOP, 0, r))
        setButtonPicture(window, gadget, pictureId);
}

void Win32Toolkit::setButtonPicture(int window, int gadget, int pictureId) {
    HWND button = static_cast<HWND>(gadgetHandle(window, gadget));
    const Picture* p = picture(pictureId);
    if (!button || !p) return;
    auto& bitmap = buttonBitmaps_[pictureId];
    if (!bitmap) bitmap = bitmapOf(*p);
    SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void Win32Toolkit::addProgressBar(int window, int gadget, Rect r) {
    if (HWND bar = static_cast<HWND>(place(window, gadget, PROGRESS_CLASSW, 0, 0, r))) ShowWindow(bar, SW_HIDE);
}

void Win32Toolkit::showProgress(int window, int gadget, std::size_t done, std::size_t total) {
    HWND bar = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!bar) return;
    // Not known yet: the control's marquee, which only says work goes on.
    const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
    const bool marquee = total == 0;
    if (((style & PBS_MARQUEE) != 0) != marquee) {
        SetWindowLongPtrW(bar, GWL_STYLE, marquee ? style | PBS_MARQUEE : style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
        SendMessageW(bar, PBM_SETMARQUEE, marquee, 50);
    }
    if (!marquee) {
        // The control counts in int: large counts are scaled down together.
        int shift = 0;
        while ((total >> shift) > static_cast<std::size_t>(INT_MAX)) ++shift;
        SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total >> shift));
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::min(done, total) >> shift), 0);
    }
    ShowWindow(bar, SW_SHOWNA);
}

void Win32Toolkit::hideProgress(int window, int gadget) {
    if (HWND bar = static_cast<HWND>(gadgetHandle(window, gadget))) ShowWindow(bar, SW_HIDE);
}

void Win32Toolkit::addTextButton(int window, int gadget, Rect r, const std::string& caption) {
    HWND button = static_cast<HWND>(place(window, gadget, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, r));
    if (!button) return;
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    SetWindowTextW(button, gdi::widen(caption).c_str());
}

void Win32Toolkit::addText(int window, int gadget, Rect r, Align align, int font) {
    HWND label = static_cast<HWND>(
        place(window, gadget, L"STATIC", (align == Align::Centre ? SS_CENTER : SS_LEFT) | SS_NOPREFIX, 0, r));
    if (label && fonts_.count(font)) SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[font]), TRUE);
}

void Win32Toolkit::addImage(int window, int gadget, Rect r, int pictureId) {
    if (place(window, gadget, kImageClass, 0, 0, r))
        if (GadgetRecord* g = gadgetRecord(window, gadget)) g->picture = pictureId;
}

void Win32Toolkit::addTextField(int window, int gadget, Rect r, int downTo, const std::string& hint) {
    HWND field = static_cast<HWND>(place(window, gadget, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, r));
    if (!field) return;
    SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    const std::wstring cue = gdi::widen(hint);
    SendMessageW(field, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(cue.c_str()));
    fields_[field] = Field{window, downTo};
}

void Win32Toolkit::pictureChanged(int id) {
    for (void* handle : imagesShowing(id)) InvalidateRect(static_cast<HWND>(handle), nullptr, FALSE);
}

void Win32Toolkit::setText(int window, int gadget, const std::string& text) {
    if (HWND w = static_cast<HWND>(gadgetHandle(window, gadget))) {
        quiet_ = true;
        SetWindowTextW(w, gdi::widen(text).c_str());
        quiet_ = false;
    }
}

std::string Win32Toolkit::text(int window, int gadget) const {
    HWND w = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!w) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(w, text.data(), static_cast<int>(text.size()))));
    return gdi::narrow(text);
}

void Win32Toolkit::setEnabled(int window, int gadget, bool enabled) {
    if (HWND w = static_cast<HWND>(gadgetHandle(window, gadget))) EnableWindow(w, enabled ? TRUE : FALSE);
}

void Win32Toolkit::setFocus(int window, int gadget) {
    HWND w = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!w) return;
    SetActiveWindow(GetAncestor(w, GA_ROOT));
    SetFocus(w);
}

void Win32Toolkit::setTableRows(int window, int gadget, const TableRows* rows) {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!view) return;
    setRowsOf(window, gadget, rows);
    quiet_ = true;
    // Emptying the view drops its selection at once; asking each of 100,000
    // virtual rows to deselect would visit them all.
    if (ListView_GetSelectedCount(view) > 0) ListView_SetItemCountEx(view, 0, LVSICF_NOSCROLL);
    const int count = static_cast<int>(rows ? rows->rowCount() : 0);
    if (ListView_GetItemCount(view) != count)
        ListView_SetItemCountEx(view, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    InvalidateRect(view, nullptr, TRUE);
    quiet_ = false;
}

void Win32Toolkit::refreshTable(int window, int gadget) {
    // The list view asks its owner for what it shows as it paints.
    if (HWND view = static_cast<HWND>(gadgetHandle(window, gadget))) InvalidateRect(view, nullptr, FALSE);
}

void Win32Toolkit::setTableSelection(int window, int gadget, const TableSelection& selection) {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!view) return;
    const int items = ListView_GetItemCount(view);
    const auto count = static_cast<std::size_t>(items);
    quiet_ = true;
    // Dropping a selection row by row visits every row: emptying the view and
    // filling it again drops it at once.
    if (ListView_GetSelectedCount(view) > 0) {
        ListView_SetItemCountEx(view, 0, LVSICF_NOSCROLL);
        ListView_SetItemCountEx(view, items, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
    // Without redrawing, each row set is only noted; one repaint follows.
    const bool many = selection.rows.size() > 64;
    if (many) SendMessageW(view, WM_SETREDRAW, FALSE, 0);
    for (std::size_t row : selection.rows)
        if (row < count) ListView_SetItemState(view, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
    if (many) {
        SendMessageW(view, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(view, nullptr, TRUE);
    }
    if (selection.focus < count) {
        const int focus = static_cast<int>(selection.focus);
        ListView_SetItemState(view, focus, LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_SetSelectionMark(view, focus);
        ListView_EnsureVisible(view, focus, FALSE);
    }
    quiet_ = false;
}

void Win32Toolkit::setSortIndicator(int window, int gadget, int column, bool ascending) {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!view) return;
    HWND header = ListView_GetHeader(view);
    const int columns = Header_GetItemCount(header);
    for (int c = 0; c < columns; ++c) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, c, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == column) item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        Header_SetItem(header, c, &item);
    }
}

std::vector<std::size_t> Win32Toolkit::selectedRows(int window, int gadget) const {
    std::vector<std::size_t> rows;
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!view) return rows;
    for (int i = ListView_GetNextItem(view, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(view, i, LVNI_SELECTED))
        rows.push_back(static_cast<std::size_t>(i));
    return rows;
}

// The keys a text field takes from the dialog manager: Escape clears it, Down
// moves on to the gadget below it. Ctrl+F in a window with a text field puts
// the focus there.
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
        SetWindowTextW(msg.hwnd, L"");  // reported as a change
        return true;
    }
    if (msg.wParam == VK_DOWN) {
        if (HWND next = static_cast<HWND>(gadgetHandle(it->second.window, it->second.downTo))) SetFocus(next);
        return true;
    }
    return false;
}

// Takes one message off the queue (waiting for one when asked) and hands it on;
// Tab and Shift+Tab move the focus through a window's gadgets.
bool Win32Toolkit::pumpOne(bool wait) {
    MSG msg;
    if (wait) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return false;
    } else if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    if (fieldKey(&msg)) return true;
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
    // Ctrl+A in a table selects every row, as in Qt's tables: Wine's list
    // view does not.
    if (msg.message == WM_KEYDOWN && msg.wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && root && isOurWindow(root)) {
        wchar_t kind[32] = {};
        const WindowData* data = dataOf(root);
        if (data && data->tk == this && GetClassNameW(msg.hwnd, kind, 32) && std::wstring_view(kind) == WC_LISTVIEWW) {
            ListView_SetItemState(msg.hwnd, -1, LVIS_SELECTED, LVIS_SELECTED);
            post({EventKind::Gadget, data->number, GetDlgCtrlID(msg.hwnd)});
            return true;
        }
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

Event Win32Toolkit::waitEvent() {
    restoreFocus();
    while (!hasEvent())
        if (!pumpOne(true)) return {EventKind::CloseRequest, 0, -1};
    return take();
}

Event Win32Toolkit::waitEvent(int milliseconds) {
    restoreFocus();
    while (!hasEvent() && pumpOne(false)) {}
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(std::max(milliseconds, 0));
    while (!hasEvent()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= until) break;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(until - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        while (!hasEvent() && pumpOne(false)) {}
    }
    return take();
}

void Win32Toolkit::sleep(int milliseconds) { Sleep(static_cast<DWORD>(std::max(milliseconds, 0))); }

void Win32Toolkit::keepPainted() {
    dropInput(true);
    while (pumpOne(false)) {}
    dropInput(false);
}

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

std::string Win32Toolkit::saveFileRequester(const std::string& title, const std::string& proposedPath,
                                            const std::string& filter) {
    // The dialog wants "name\0pattern\0\0".
    const FileFilter f = splitFilter(filter);
    std::wstring filters = gdi::widen(f.name);
    filters += L'\0';
    filters += gdi::widen(f.pattern);
    filters.append(2, L'\0');
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
    return gdi::narrow(file.c_str());
}

std::string Win32Toolkit::textRequester(const std::string& title, const std::string& message,
                                        const std::string& initial) {
    HWND owner = static_cast<HWND>(dialogOwner());
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, 420, 118};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT o{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &o);
    Ask ask;
    HWND window =
        CreateWindowExW(exStyle, kAskClass, gdi::widen(title).c_str(), style, o.left + (o.right - o.left - width) / 2,
                        o.top + (o.bottom - o.top - height) / 2, width, height, owner, nullptr, instance(), &ask);
    if (!window) return {};
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    auto control = [&](const wchar_t* cls, const std::wstring& text, DWORD controlStyle, DWORD controlEx, int id,
                       RECT r) {
        HWND c =
            CreateWindowExW(controlEx, cls, text.c_str(), WS_CHILD | WS_VISIBLE | controlStyle, r.left, r.top, r.right,
                            r.bottom, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance(), nullptr);
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
    if (owner) SetActiveWindow(owner);
    return ask.confirmed ? gdi::narrow(ask.answer) : std::string{};
}

}  // namespace pitbox::ui
