#include "toolkit/toolkit_core.h"

#include <algorithm>
#include <climits>

namespace pitbox::ui {

void ToolkitCore::post(Event e) {
    if (e.kind == EventKind::Gadget) e.shift = shiftHeld();
    queue_.push_back(e);
}

Event ToolkitCore::pop() {
    if (queue_.empty()) return {};
    Event e = queue_.front();
    queue_.pop_front();
    return e;
}

void ToolkitCore::registerWindow(const WindowSpec& layout, void* handle) { windows_[layout.number] = {handle, layout}; }

ToolkitCore::GadgetRecord& ToolkitCore::registerGadget(int window, int gadget, void* handle, Rect r) {
    GadgetRecord& g = gadgets_[{window, gadget}];
    g = GadgetRecord{handle, r};
    return g;
}

std::vector<int> ToolkitCore::openWindows() const {
    std::vector<int> open;
    for (const auto& [number, w] : windows_) open.push_back(number);
    return open;
}

std::vector<int> ToolkitCore::ownedBy(int window) const {
    std::vector<int> owned;
    for (const auto& [number, w] : windows_)
        if (w.layout.owner == window && number != window) owned.push_back(number);
    return owned;
}

void* ToolkitCore::forgetWindow(int window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return nullptr;
    void* handle = it->second.handle;
    windows_.erase(it);
    std::erase_if(gadgets_, [window](const auto& g) { return g.first.first == window; });
    return handle;
}

ToolkitCore::GadgetRecord* ToolkitCore::gadgetRecord(int window, int gadget) {
    auto it = gadgets_.find({window, gadget});
    return it == gadgets_.end() ? nullptr : &it->second;
}

const ToolkitCore::GadgetRecord* ToolkitCore::gadgetRecord(int window, int gadget) const {
    auto it = gadgets_.find({window, gadget});
    return it == gadgets_.end() ? nullptr : &it->second;
}

void* ToolkitCore::windowHandle(int window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.handle;
}

void* ToolkitCore::gadgetHandle(int window, int gadget) const {
    const GadgetRecord* g = gadgetRecord(window, gadget);
    return g ? g->handle : nullptr;
}

const WindowSpec* ToolkitCore::layoutOf(int window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second.layout;
}

void ToolkitCore::setAnchor(int window, int gadget, unsigned anchor) {
    if (GadgetRecord* g = gadgetRecord(window, gadget)) g->anchor = anchor;
}

void ToolkitCore::setRowsOf(int window, int gadget, TableRows* rows) {
    if (GadgetRecord* g = gadgetRecord(window, gadget)) g->rows = rows;
}

TableRows* ToolkitCore::tableRows(int window, int gadget) const {
    const GadgetRecord* g = gadgetRecord(window, gadget);
    return g ? g->rows : nullptr;
}

std::size_t ToolkitCore::rowCount(int window, int gadget) const {
    const TableRows* rows = tableRows(window, gadget);
    return rows ? rows->rowCount() : 0;
}

const Picture* ToolkitCore::imagePicture(int window, int gadget) const {
    const GadgetRecord* g = gadgetRecord(window, gadget);
    return g && g->picture >= 0 ? picture(g->picture) : nullptr;
}

std::vector<void*> ToolkitCore::imagesShowing(int pictureId) const {
    std::vector<void*> found;
    for (const auto& [key, g] : gadgets_)
        if (g.picture == pictureId) found.push_back(g.handle);
    return found;
}

std::pair<int, int> ownedPlace(const WindowSpec& layout, Rect ownerFrame, int width, int height, Rect screen) {
    const bool onScreen = screen.width > 0 && screen.height > 0;
    // Beside the owner, level with its top, where the screen has room on either side.
    if (layout.besideOwner && onScreen) {
        const int y = std::max(screen.y, std::min(ownerFrame.y, screen.y + screen.height - height));
        if (ownerFrame.x + ownerFrame.width + width <= screen.x + screen.width)
            return {ownerFrame.x + ownerFrame.width, y};
        if (ownerFrame.x - width >= screen.x) return {ownerFrame.x - width, y};
    }
    int x = ownerFrame.x + (ownerFrame.width - width) / 2;
    int y = ownerFrame.y + (ownerFrame.height - height) / 2;
    // On the owner's screen, the title bar first when the window is larger.
    if (onScreen) {
        x = std::max(screen.x, std::min(x, screen.x + screen.width - width));
        y = std::max(screen.y, std::min(y, screen.y + screen.height - height));
    }
    return {x, y};
}

Rect fitOnScreen(Rect frame, int leastWidth, int leastHeight, Rect screen) {
    if (screen.width <= 0 || screen.height <= 0) return frame;
    frame.width = std::max(std::min(frame.width, screen.width), std::min(frame.width, leastWidth));
    frame.height = std::max(std::min(frame.height, screen.height), std::min(frame.height, leastHeight));
    frame.x = std::max(screen.x, std::min(frame.x, screen.x + screen.width - frame.width));
    frame.y = std::max(screen.y, std::min(frame.y, screen.y + screen.height - frame.height));
    return frame;
}

KeyAction keyAction(const KeyPress& press) {
    if (press.inField && press.plain && press.key == Key::Escape && press.fieldHasText) return KeyAction::ClearField;
    if (press.inField && press.plain && press.key == Key::Down) return KeyAction::FocusBelow;
    if (press.key == Key::Escape) {
        if (press.ownedWindow) return KeyAction::Close;
        return press.plain ? KeyAction::Report : KeyAction::Native;
    }
    if (!press.plain || press.inField) return KeyAction::Native;
    if (press.key == Key::Delete) return press.inTable && !press.ownedWindow ? KeyAction::Report : KeyAction::Native;
    if (press.key != Key::None && press.windowReportsKeys) return KeyAction::Report;
    return KeyAction::Native;
}

ProgressSteps progressSteps(std::size_t done, std::size_t total) {
    int shift = 0;
    while ((total >> shift) > static_cast<std::size_t>(INT_MAX)) ++shift;
    return {static_cast<int>(total >> shift), static_cast<int>(std::min(done, total) >> shift)};
}

void ToolkitCore::reportGivenLastWidth(const GadgetRecord& g, std::vector<int>& widths) {
    if (!widths.empty() && g.lastColumnWidth > 0) widths.back() = g.lastColumnWidth;
}

bool ToolkitCore::takeColumnWidth(GadgetRecord& g, int column, int columns, int width) {
    if (g.fitting) return false;
    if (column != columns - 1) return true;
    g.lastColumnWidth = width;
    return false;
}

}  // namespace pitbox::ui
