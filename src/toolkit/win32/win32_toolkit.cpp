#include "toolkit/win32/win32_toolkit.h"

#include <windows.h>
// The common-control and COM headers after windows.h.
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <climits>
#include <string_view>
#include <tuple>
#include <vector>

#include "toolkit/win32/gdi.h"
#include "toolkit/win32/win32_drag_drop.h"
#include "toolkit/win32/win32_internal.h"

namespace pitbox::ui {
using namespace win32;
namespace {

bool isButton(HWND control) {
    wchar_t name[16] = {};
    GetClassNameW(control, name, 16);
    return _wcsicmp(name, L"Button") == 0;
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
            if (data->minClient.cx > 0) {
                RECT frame{0, 0, data->tk->px(data->minClient.cx), data->tk->px(data->minClient.cy)};
                AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                                   static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            }
            return 0;
        case WM_DPICHANGED:
            data->tk->dpiChanged(data->number, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DRAWITEM:
            data->tk->drawImageButton(data->number, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DROPFILES: {
            // Files from another program; what our own table drags out is not
            // dropped back on us.
            const auto drop = reinterpret_cast<HDROP>(wParam);
            if (!data->tk->draggingOut()) {
                Event dropped{EventKind::Drop, data->number};
                dropped.paths = droppedFiles(drop);
                if (!dropped.paths.empty()) data->tk->post(std::move(dropped));
            }
            DragFinish(drop);
            return 0;
        }
        case WM_NOTIFY: return onTableNotify(*data, *reinterpret_cast<const NMHDR*>(lParam), lParam);
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
            if (parent) parent->tk->paintImage(parent->number, gadget, dc);
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_LBUTTONDOWN:
            if (parent) parent->tk->post({EventKind::Gadget, parent->number, gadget});
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

// A button's picture; greyed, it is drawn faint, as Wine draws a disabled
// bitmap button blank.
HBITMAP bitmapOf(const Picture& picture, bool greyed = false) {
    BITMAPINFO info = gdi::dibInfo(picture);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return bitmap;
    std::vector<std::uint32_t> pixels = gdi::dibPixels(picture);
    if (greyed)
        for (std::uint32_t& p : pixels) {
            const std::uint32_t grey = (((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10;
            const std::uint32_t faint = 160 + grey * 80 / 255;
            p = faint << 16 | faint << 8 | faint;
        }
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    return bitmap;
}

Rect workAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return {};
    const RECT& work = info.rcWork;
    return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

// The work area of the monitor a window is on, or nearest to.
Rect workAreaAround(HWND hwnd) { return workAreaOf(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST)); }

}  // namespace

Win32Toolkit::Win32Toolkit() {
    // OLE for the drags of files out of the tables (COM, apartment-threaded, besides).
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    registerClasses();
    wakeEvent_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    dpi_ = gdi::dpiOf(nullptr);
    dialogFont_ = gdi::dialogFont(dpi_);
}

Win32Toolkit::~Win32Toolkit() {
    for (int number : openWindows()) closeWindow(number);
    for (auto& [id, font] : fonts_) DeleteObject(static_cast<HFONT>(font));
    for (auto* bitmaps : {&buttonBitmaps_, &greyBitmaps_})
        for (auto& [id, bitmap] : *bitmaps) DeleteObject(static_cast<HBITMAP>(bitmap));
    if (wakeEvent_) CloseHandle(static_cast<HANDLE>(wakeEvent_));
    if (dialogFont_) DeleteObject(static_cast<HFONT>(dialogFont_));
    OleUninitialize();
}

// The pictures' texts keep their pixels; the gadgets' fonts follow the screen.
void Win32Toolkit::loadFont(int id, const FontSpec& wanted) {
    text_.loadFont(id, wanted);
    if (auto it = fonts_.find(id); it != fonts_.end()) DeleteObject(static_cast<HFONT>(it->second));
    fonts_[id] = gdi::createFont(wanted, dpi_);
    fontSpecs_[id] = wanted;
}

int Win32Toolkit::px(int v) const { return MulDiv(v, dpi_, 96); }
Rect Win32Toolkit::px(Rect r) const { return {px(r.x), px(r.y), px(r.width), px(r.height)}; }
int Win32Toolkit::unpx(int v) const { return MulDiv(v, 96, dpi_); }

void Win32Toolkit::setFont(void* gadget, int font) {
    HFONT f = static_cast<HFONT>(font == kDialogFont ? dialogFont_ : (fonts_.count(font) ? fonts_[font] : nullptr));
    if (!gadget || !f) return;
    gadgetFonts_[gadget] = font;
    SendMessageW(static_cast<HWND>(gadget), WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}

void Win32Toolkit::applyDpi(int dpi) {
    if (dpi == dpi_ || dpi <= 0) return;
    const int old = dpi_;
    dpi_ = dpi;
    for (auto& [id, font] : fonts_) {
        DeleteObject(static_cast<HFONT>(font));
        font = gdi::createFont(fontSpecs_[id], dpi_);
    }
    if (dialogFont_) DeleteObject(static_cast<HFONT>(dialogFont_));
    dialogFont_ = gdi::dialogFont(dpi_);
    std::erase_if(gadgetFonts_, [](const auto& g) { return !IsWindow(static_cast<HWND>(g.first)); });
    for (const auto& [gadget, font] : std::map<void*, int>(gadgetFonts_)) setFont(gadget, font);
    scaleColumns(old);
}

void Win32Toolkit::dpiChanged(int window, int dpi, const void* suggested) {
    applyDpi(dpi);
    HWND hwnd = static_cast<HWND>(windowHandle(window));
    const RECT* r = static_cast<const RECT*>(suggested);
    if (hwnd && r)
        SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

// A picture keeps its pixels, drawn at the largest whole-number scale the
// gadget has room for, centred.
void Win32Toolkit::paintImage(int window, int gadget, void* dcHandle) {
    HDC dc = static_cast<HDC>(dcHandle);
    HWND hwnd = static_cast<HWND>(gadgetHandle(window, gadget));
    RECT area{};
    GetClientRect(hwnd, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    const Picture* picture = imagePicture(window, gadget);
    if (!picture || picture->width() <= 0 || picture->height() <= 0) return;
    const int areaWidth = area.right, areaHeight = area.bottom;
    const int scale = std::max(1, std::min(areaWidth / picture->width(), areaHeight / picture->height()));
    const int width = picture->width() * scale, height = picture->height() * scale;
    const std::vector<std::uint32_t> pixels = gdi::dibPixels(*picture);
    const BITMAPINFO info = gdi::dibInfo(*picture);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, std::max(0, (areaWidth - width) / 2), std::max(0, (areaHeight - height) / 2), width, height, 0, 0,
                  picture->width(), picture->height(), pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
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
    const SIZE frame = frameOf(px(layout.clientWidth), px(layout.clientHeight));
    int x = layout.x, y = layout.y;
    if ((layout.centreOnOwner || layout.besideOwner) && owner) {
        RECT o{};
        GetWindowRect(owner, &o);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        std::tie(x, y) = ownedPlace(layout, {o.left, o.top, o.right - o.left, o.bottom - o.top}, frame.cx, frame.cy,
                                    {work.left, work.top, work.right - work.left, work.bottom - work.top});
    }
    auto* data = new WindowData{this, layout.number};
    if (layout.resizable) data->minClient = {layout.minClientWidth, layout.minClientHeight};
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
    if (layout.takesDrops) DragAcceptFiles(hwnd, TRUE);
    // Opened on a monitor of another pixels-an-inch than the one it was laid out for.
    if (const int dpi = gdi::dpiOf(hwnd); dpi != dpi_) applyDpi(dpi);
    // Wholly inside the monitor's work area, shrunk towards its least size
    // where a scaled layout is larger than the screen (a window of a fixed
    // size as far as the screen needs, its growing gadgets taking the loss).
    const SIZE scaled = frameOf(px(layout.clientWidth), px(layout.clientHeight));
    const SIZE least = layout.resizable ? frameOf(px(layout.minClientWidth), px(layout.minClientHeight)) : SIZE{};
    const Rect fitted = fitOnScreen({x, y, scaled.cx, scaled.cy}, least.cx, least.cy, workAreaAround(hwnd));
    SetWindowPos(hwnd, nullptr, fitted.x, fitted.y, fitted.width, fitted.height, SWP_NOZORDER | SWP_NOACTIVATE);
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
    // The places are the program's, at 96 dpi.
    relayout(window, unpx(width), unpx(height), [this, &moves](void* handle, Rect logical) {
        const Rect r = px(logical);
        if (moves)
            moves = DeferWindowPos(moves, static_cast<HWND>(handle), nullptr, r.x, r.y, r.width, r.height,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    });
    if (moves) EndDeferWindowPos(moves);
    for (const auto& [tableWindow, gadget] : tables_)
        if (tableWindow == window) fitLastColumn(window, gadget);
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
    return {frame.left, frame.top, unpx((frame.right - frame.left) - (edges.right - edges.left)),
            unpx((frame.bottom - frame.top) - (edges.bottom - edges.top)), placement.showCmd == SW_SHOWMAXIMIZED};
}

void Win32Toolkit::placeWindow(int window, const WindowPlace& place) {
    HWND hwnd = static_cast<HWND>(windowHandle(window));
    if (!hwnd || place.width <= 0 || place.height <= 0) return;
    RECT frame{0, 0, px(place.width), px(place.height)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    OffsetRect(&frame, place.x - frame.left, place.y - frame.top);
    // The title bar must lie on a screen, or the window could not be moved back.
    const POINT title{(frame.left + frame.right) / 2, frame.top + 10};
    HMONITOR monitor = MonitorFromPoint(title, MONITOR_DEFAULTTONULL);
    if (!monitor) return;
    // And the whole window in the monitor's work area, as far as its least size allows.
    const WindowData* data = dataOf(hwnd);
    RECT least{0, 0, data ? px(data->minClient.cx) : 0, data ? px(data->minClient.cy) : 0};
    AdjustWindowRectEx(&least, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    const Rect fitted = fitOnScreen({frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top},
                                    least.right - least.left, least.bottom - least.top, workAreaOf(monitor));
    frame = {fitted.x, fitted.y, fitted.x + fitted.width, fitted.y + fitted.height};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd, &placement);
    placement.rcNormalPosition = frame;
    placement.showCmd = place.maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    SetWindowPlacement(hwnd, &placement);
}

void Win32Toolkit::raiseWindow(int window) {
    HWND hwnd = static_cast<HWND>(windowHandle(window));
    if (!hwnd) return;
    if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
}

void Win32Toolkit::closeWindow(int window) {
    // Owned windows go with their owner, by name.
    for (int owned : ownedBy(window)) closeWindow(owned);
    HWND hwnd = static_cast<HWND>(forgetWindow(window));
    if (!hwnd) return;
    std::erase_if(fields_, [window](const auto& f) { return f.second.window == window; });
    std::erase_if(tables_, [window](const auto& t) { return t.first == window; });
    std::erase_if(cutColumns_, [window](const auto& t) { return t.second.window == window; });
    HWND owner = GetWindow(hwnd, GW_OWNER);
    DestroyWindow(hwnd);
    if (owner) SetActiveWindow(owner);
}

void* Win32Toolkit::place(int window, int gadget, const wchar_t* className, unsigned long style, unsigned long exStyle,
                          Rect r) {
    HWND parent = static_cast<HWND>(windowHandle(window));
    if (!parent) return nullptr;
    // Clipped by their siblings: the progress bar lies over the end of a status line.
    const Rect at = px(r);
    HWND control =
        CreateWindowExW(exStyle, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, at.x, at.y, at.width,
                        at.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(gadget)), instance(), nullptr);
    if (control) registerGadget(window, gadget, control, r);
    return control;
}

// Drawn by the program: a bitmap button that Wine leaves blank while it is
// disabled would not show what it is.
void Win32Toolkit::addImageButton(int window, int gadget, Rect r, int pictureId) {
    if (place(window, gadget, L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0, r)) setButtonPicture(window, gadget, pictureId);
}

void Win32Toolkit::setButtonPicture(int window, int gadget, int pictureId) {
    GadgetRecord* g = gadgetRecord(window, gadget);
    if (!g || !picture(pictureId)) return;
    g->picture = pictureId;
    InvalidateRect(static_cast<HWND>(g->handle), nullptr, FALSE);
}

void Win32Toolkit::drawImageButton(int window, const void* drawItem) {
    const auto& item = *static_cast<const DRAWITEMSTRUCT*>(drawItem);
    const GadgetRecord* g = gadgetRecord(window, static_cast<int>(item.CtlID));
    const Picture* p = g ? picture(g->picture) : nullptr;
    RECT frame = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool greyed = item.itemState & ODS_DISABLED;
    DrawFrameControl(item.hDC, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    if (p) {
        auto& bitmap = (greyed ? greyBitmaps_ : buttonBitmaps_)[g->picture];
        if (!bitmap) bitmap = bitmapOf(*p, greyed);
        HDC source = CreateCompatibleDC(item.hDC);
        HGDIOBJ old = SelectObject(source, static_cast<HBITMAP>(bitmap));
        const int shift = pressed ? 1 : 0;
        // At the screen's scale, smoothed where it is not a whole number.
        const int width = px(p->width()), height = px(p->height());
        SetStretchBltMode(item.hDC, width % p->width() == 0 ? COLORONCOLOR : HALFTONE);
        SetBrushOrgEx(item.hDC, 0, 0, nullptr);
        StretchBlt(item.hDC, (frame.right - frame.left - width) / 2 + shift,
                   (frame.bottom - frame.top - height) / 2 + shift, width, height, source, 0, 0, p->width(),
                   p->height(), SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = frame;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(item.hDC, &focus);
    }
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
        const ProgressSteps steps = progressSteps(done, total);
        SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(steps.range));
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(steps.position), 0);
    }
    SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Win32Toolkit::hideProgress(int window, int gadget) {
    if (HWND bar = static_cast<HWND>(gadgetHandle(window, gadget))) ShowWindow(bar, SW_HIDE);
}

// A window made smaller to fit its screen before its gadgets had their
// anchors: they take their places now.
void Win32Toolkit::setAnchor(int window, int gadget, unsigned anchor) {
    ToolkitCore::setAnchor(window, gadget, anchor);
    HWND hwnd = static_cast<HWND>(windowHandle(window));
    const WindowSpec* layout = layoutOf(window);
    RECT client{};
    if (!hwnd || !layout || !GetClientRect(hwnd, &client)) return;
    if (client.right != px(layout->clientWidth) || client.bottom != px(layout->clientHeight))
        windowResized(window, client.right, client.bottom);
}

void Win32Toolkit::addTextButton(int window, int gadget, Rect r, const std::string& caption) {
    HWND button = static_cast<HWND>(place(window, gadget, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0, r));
    if (!button) return;
    setFont(button, kDialogFont);
    SetWindowTextW(button, gdi::widen(caption).c_str());
}

void Win32Toolkit::addCheckBox(int window, int gadget, Rect r, const std::string& caption) {
    HWND box = static_cast<HWND>(place(window, gadget, L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, r));
    if (!box) return;
    setFont(box, kDialogFont);
    SetWindowTextW(box, gdi::widen(caption).c_str());
}

void Win32Toolkit::setChecked(int window, int gadget, bool checked) {
    if (HWND box = static_cast<HWND>(gadgetHandle(window, gadget)))
        SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Toolkit::isChecked(int window, int gadget) const {
    HWND box = static_cast<HWND>(gadgetHandle(window, gadget));
    return box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Toolkit::addText(int window, int gadget, Rect r, Align align, int font) {
    HWND label = static_cast<HWND>(
        place(window, gadget, L"STATIC", (align == Align::Centre ? SS_CENTER : SS_LEFT) | SS_NOPREFIX, 0, r));
    setFont(label, font);
}

void Win32Toolkit::addImage(int window, int gadget, Rect r, int pictureId) {
    if (place(window, gadget, kImageClass, 0, 0, r))
        if (GadgetRecord* g = gadgetRecord(window, gadget)) g->picture = pictureId;
}

void Win32Toolkit::addTextField(int window, int gadget, Rect r, int downTo, const std::string& hint) {
    HWND field = static_cast<HWND>(place(window, gadget, L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, r));
    if (!field) return;
    setFont(field, kDialogFont);
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
    HWND w = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!w) return;
    EnableWindow(w, enabled ? TRUE : FALSE);
}

void Win32Toolkit::setFocus(int window, int gadget) {
    HWND w = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!w) return;
    SetActiveWindow(GetAncestor(w, GA_ROOT));
    SetFocus(w);
}

}  // namespace pitbox::ui
