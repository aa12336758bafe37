// The Win32 backend's tables: report-style list views in owner-data mode,
// whose cells the program's rows give as they are drawn. The rows hold the
// selection; an owner-data list view keeps its own as well, to draw and to
// handle clicks and keys, which the backend copies into the rows once an
// event is taken and draws from the rows whenever the program changes it.
// (Having the list view ask for each row's state instead makes it visit every
// row whenever it counts the selected ones, as Wine's does on every click.)
#include <algorithm>
#include <climits>
#include <string_view>

#include "toolkit/win32/gdi.h"
#include "toolkit/win32/win32_drag_drop.h"
#include "toolkit/win32/win32_internal.h"
#include "toolkit/win32/win32_toolkit.h"

namespace pitbox::ui {
using namespace win32;

namespace win32 {

LRESULT onTableNotify(WindowData& data, const NMHDR& header, LPARAM lParam) {
    // A column's new width, which the list view passes on from its header.
    if (header.code == HDN_ITEMCHANGEDW || header.code == HDN_ITEMCHANGEDA) {
        const auto* change = reinterpret_cast<const NMHEADERW*>(lParam);
        if (change->pitem && (change->pitem->mask & HDI_WIDTH))
            data.tk->columnResized(data.number, GetDlgCtrlID(GetParent(header.hwndFrom)), change->iItem);
        return 0;
    }
    // A table's tooltip asks for the cell under the mouse (its tool is the table).
    if (header.code == TTN_GETDISPINFOW) {
        auto* tip = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        static std::wstring text;  // the tooltip copies it before the next asks
        text = data.tk->cellTip(reinterpret_cast<void*>(header.idFrom));
        tip->lpszText = text.data();
        return 0;
    }
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
                const std::wstring text = data.tk->shownCell(header.hwndFrom, info.iSubItem, gdi::widen(cell));
                const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(info.cchTextMax) - 1);
                std::copy_n(text.data(), n, info.pszText);
                info.pszText[n] = L'\0';
            }
            return 0;
        }
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
                data.tk->tableTouched(data.number, gadget);
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
        case LVN_BEGINRDRAG: data.tk->tableTouched(data.number, gadget); return 0;
        case LVN_BEGINDRAG:
            data.tk->tableTouched(data.number, gadget);
            data.tk->dragRowsOut(data.number, gadget);
            return 0;
        default: return 0;
    }
}

}  // namespace win32

namespace {

int columnCount(HWND view) {
    HWND header = view ? ListView_GetHeader(view) : nullptr;
    return header ? std::max(Header_GetItemCount(header), 0) : 0;
}

}  // namespace

std::vector<int> Win32Toolkit::columnWidths(int window, int gadget) const {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    std::vector<int> widths(static_cast<std::size_t>(columnCount(view)));
    for (std::size_t c = 0; c < widths.size(); ++c)
        widths[c] = unpx(ListView_GetColumnWidth(view, static_cast<int>(c)));
    if (const GadgetRecord* g = gadgetRecord(window, gadget)) reportGivenLastWidth(*g, widths);
    return widths;
}

void Win32Toolkit::setColumnWidths(int window, int gadget, const std::vector<int>& widths) {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    const int columns = columnCount(view);
    for (int c = 0; c < columns && c < static_cast<int>(widths.size()); ++c)
        if (widths[static_cast<std::size_t>(c)] > 0)
            ListView_SetColumnWidth(view, c, px(widths[static_cast<std::size_t>(c)]));
    // Not every list view reports a width the program set.
    if (GadgetRecord* g = gadgetRecord(window, gadget);
        g && columns > 0 && widths.size() >= std::size_t(columns) && widths[std::size_t(columns) - 1] > 0)
        g->lastColumnWidth = widths[std::size_t(columns) - 1];
    fitLastColumn(window, gadget);
}

void Win32Toolkit::scaleColumns(int oldDpi) {
    // The tables' columns keep their widths at 96 dpi.
    for (const auto& [window, gadget] : tables_) {
        HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
        for (int c = 0; c < columnCount(view); ++c)
            ListView_SetColumnWidth(view, c, MulDiv(ListView_GetColumnWidth(view, c), dpi_, oldDpi));
    }
}

void Win32Toolkit::columnResized(int window, int gadget, int column) {
    GadgetRecord* g = gadgetRecord(window, gadget);
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    if (g && takeColumnWidth(*g, column, columnCount(view), unpx(ListView_GetColumnWidth(view, column))))
        fitLastColumn(window, gadget);
}

void Win32Toolkit::fitLastColumn(int window, int gadget) {
    GadgetRecord* g = gadgetRecord(window, gadget);
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    const int last = columnCount(view) - 1;
    if (!g || last < 0) return;
    RECT client{};
    GetClientRect(view, &client);
    int room = client.right - client.left;
    for (int c = 0; c < last; ++c) room -= ListView_GetColumnWidth(view, c);
    stretchLastColumn(*g, px(g->lastColumnWidth), room, ListView_GetColumnWidth(view, last),
                      [&](int width) { ListView_SetColumnWidth(view, last, width); });
}

std::wstring Win32Toolkit::shownCell(void* view, int column, std::wstring text) const {
    const auto cut = cutColumns_.find(view);
    if (cut == cutColumns_.end() || column < 0 || static_cast<std::size_t>(column) >= cut->second.middle.size() ||
        !cut->second.middle[static_cast<std::size_t>(column)])
        return text;
    HWND hwnd = static_cast<HWND>(view);
    // The list view keeps some room on either side of a cell's text.
    const int room = ListView_GetColumnWidth(hwnd, column) - px(12);
    HDC dc = GetDC(hwnd);
    if (!dc || room <= 0) return text;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (size.cx > room) {
        // The system's own cut of a path: the start, "...", and the end from the last "\" on.
        const std::size_t length = text.size();
        text.resize(length + 5, L'\0');
        RECT bounds{0, 0, room, 1000};
        DrawTextW(dc, text.data(), -1, &bounds,
                  DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        text.resize(wcsnlen(text.c_str(), length + 4));
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return text;
}

std::wstring Win32Toolkit::cellTip(void* view) const {
    const auto cut = cutColumns_.find(view);
    if (cut == cutColumns_.end()) return {};
    HWND hwnd = static_cast<HWND>(view);
    LVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(hwnd, &hit.pt);
    const TableRows* rows = tableRows(cut->second.window, cut->second.gadget);
    if (ListView_SubItemHitTest(hwnd, &hit) < 0 || !rows || hit.iItem < 0 ||
        static_cast<std::size_t>(hit.iItem) >= rows->rowCount() || hit.iSubItem < 0 ||
        static_cast<std::size_t>(hit.iSubItem) >= cut->second.middle.size() ||
        !cut->second.middle[static_cast<std::size_t>(hit.iSubItem)])
        return {};
    std::string cell;
    rows->appendCell(static_cast<std::size_t>(hit.iItem), static_cast<std::size_t>(hit.iSubItem), cell);
    std::wstring whole = gdi::widen(cell);
    return shownCell(view, hit.iSubItem, whole) == whole ? std::wstring() : whole;
}

void Win32Toolkit::mouseMessage(const tagMSG& msg) {
    switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP: break;
        default: return;
    }
    const auto cut = cutColumns_.find(msg.hwnd);
    if (cut == cutColumns_.end() || !cut->second.tip) return;
    HWND tip = static_cast<HWND>(cut->second.tip);
    if (msg.message == WM_MOUSEMOVE) {
        LVHITTESTINFO hit{};
        GetCursorPos(&hit.pt);
        ScreenToClient(msg.hwnd, &hit.pt);
        ListView_SubItemHitTest(msg.hwnd, &hit);
        // Another cell: the tip shown goes, and the next asks anew.
        if (hit.iItem != cut->second.row || hit.iSubItem != cut->second.column) SendMessageW(tip, TTM_POP, 0, 0);
        cut->second.row = hit.iItem;
        cut->second.column = hit.iSubItem;
    }
    SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

void Win32Toolkit::addTable(int window, int gadget, Rect r, const std::vector<Column>& columns) {
    HWND view =
        static_cast<HWND>(place(window, gadget, WC_LISTVIEWW,
                                LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP, WS_EX_CLIENTEDGE, r));
    if (!view) return;
    ListView_SetExtendedListViewStyle(view, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    setFont(view, kDialogFont);
    tables_.emplace_back(window, gadget);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        std::wstring title = gdi::widen(columns[c].title);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = px(columns[c].width);
        column.pszText = title.data();
        column.iSubItem = static_cast<int>(c);
        ListView_InsertColumn(view, static_cast<int>(c), &column);
    }
    if (GadgetRecord* g = gadgetRecord(window, gadget); g && !columns.empty())
        g->lastColumnWidth = columns.back().width;
    fitLastColumn(window, gadget);
    // Columns that cut their texts in the middle show them whole in a tooltip.
    if (std::none_of(columns.begin(), columns.end(), [](const Column& c) { return c.elideMiddle; })) return;
    CutColumns& cut = cutColumns_[view];
    cut.window = window;
    cut.gadget = gadget;
    for (const Column& c : columns) cut.middle.push_back(c.elideMiddle);
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               static_cast<HWND>(windowHandle(window)), nullptr, instance(), nullptr);
    if (!tip) return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    // The message loop passes the table's mouse messages on: a tooltip that
    // subclasses its tool makes every message to the list view cost Wine a
    // hundred times as much (a sort keeping 50,000 rows selected took 13 s).
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = static_cast<HWND>(windowHandle(window));
    tool.uId = reinterpret_cast<UINT_PTR>(view);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, px(1600));
    cut.tip = tip;
}

void Win32Toolkit::setTableRows(int window, int gadget, TableRows* rows) {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!view) return;
    setRowsOf(window, gadget, rows);
    quiet_ = true;
    const int count = static_cast<int>(rows ? rows->rowCount() : 0);
    if (ListView_GetItemCount(view) != count)
        ListView_SetItemCountEx(view, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    ListView_SetSelectionMark(view, -1);
    quiet_ = false;
    drawSelection(window, gadget);
    InvalidateRect(view, nullptr, TRUE);
}

void Win32Toolkit::refreshTable(int window, int gadget) {
    // The list view asks its owner for what it shows as it paints.
    if (HWND view = static_cast<HWND>(gadgetHandle(window, gadget))) InvalidateRect(view, nullptr, FALSE);
}

void Win32Toolkit::drawSelection(int window, int gadget) {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    const TableRows* rows = tableRows(window, gadget);
    if (!view || !rows) return;
    const int items = ListView_GetItemCount(view);
    const std::size_t count = std::min(static_cast<std::size_t>(items), rows->rowCount());
    quiet_ = true;
    // Dropping a selection row by row visits every row: emptying the view and
    // filling it again drops it at once.
    if (ListView_GetSelectedCount(view) > 0) {
        ListView_SetItemCountEx(view, 0, LVSICF_NOSCROLL);
        ListView_SetItemCountEx(view, items, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }
    // Without redrawing, each row set is only noted; one repaint follows.
    // Each row set costs the list view a message (under Wine a few
    // microseconds): when most rows are selected, all are at once and the
    // others dropped.
    std::size_t selected = 0;
    for (std::size_t row = 0; row < count; ++row) selected += rows->isSelected(row) ? 1U : 0U;
    const bool most = count == static_cast<std::size_t>(items) && selected * 2 > count;
    SendMessageW(view, WM_SETREDRAW, FALSE, 0);
    if (most) ListView_SetItemState(view, -1, LVIS_SELECTED, LVIS_SELECTED);
    for (std::size_t row = 0; row < count && selected > 0; ++row)
        if (rows->isSelected(row) != most)
            ListView_SetItemState(view, static_cast<int>(row), most ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    SendMessageW(view, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view, nullptr, TRUE);
    quiet_ = false;
}

void Win32Toolkit::showTableSelection(int window, int gadget, std::size_t focus) {
    HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
    if (!view) return;
    drawSelection(window, gadget);
    if (focus < static_cast<std::size_t>(ListView_GetItemCount(view))) {
        quiet_ = true;
        const int row = static_cast<int>(focus);
        ListView_SetItemState(view, row, LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_SetSelectionMark(view, row);
        ListView_EnsureVisible(view, row, FALSE);
        quiet_ = false;
    }
}

void Win32Toolkit::tableTouched(int window, int gadget) {
    if (quiet_) return;
    if (std::find(touched_.begin(), touched_.end(), std::pair{window, gadget}) == touched_.end())
        touched_.emplace_back(window, gadget);
    post({EventKind::Gadget, window, gadget});
}

void Win32Toolkit::dragRowsOut(int window, int gadget) {
    // The rows hold what the user just selected before they say what it gives.
    takeTouchedSelections();
    const TableRows* rows = tableRows(window, gadget);
    const std::vector<std::string> files = rows ? rows->dragFiles() : std::vector<std::string>();
    if (files.empty()) return;
    draggingOut_ = true;
    dragFilesOut(files);
    draggingOut_ = false;
}

void Win32Toolkit::takeTouchedSelections() {
    for (const auto& [window, gadget] : touched_) {
        HWND view = static_cast<HWND>(gadgetHandle(window, gadget));
        TableRows* rows = tableRows(window, gadget);
        if (!view || !rows) continue;
        rows->clearSelection();
        // The selected rows come in ascending order: each run of them at once.
        int first = -1, last = -1;
        for (int i = ListView_GetNextItem(view, -1, LVNI_SELECTED); i >= 0;
             i = ListView_GetNextItem(view, i, LVNI_SELECTED)) {
            if (first >= 0 && i == last + 1) {
                last = i;
                continue;
            }
            if (first >= 0) rows->setSelected(std::size_t(first), std::size_t(last), true);
            first = last = i;
        }
        if (first >= 0) rows->setSelected(std::size_t(first), std::size_t(last), true);
    }
    touched_.clear();
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

}  // namespace pitbox::ui
