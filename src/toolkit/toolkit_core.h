#pragma once
#include <climits>
#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"

namespace pitbox::ui {

// The top-left corner for an owned window's frame of `width` by `height` where
// its layout asks for it (centred over the owner's frame, or beside it), kept
// on the screen area around the owner.
std::pair<int, int> ownedPlace(const WindowSpec& layout, Rect ownerFrame, int width, int height, Rect screen);

// A window's frame moved onto the screen's work area, and where it is larger,
// shrunk towards its least size (`leastWidth` by `leastHeight`) so that it lies
// wholly there; a frame that cannot shrink enough keeps its top-left corner,
// and so its title bar, on the screen.
Rect fitOnScreen(Rect frame, int leastWidth, int leastHeight, Rect screen);

// What every backend keeps alike: the one event queue, the registry of numbered windows and gadgets with their
// platform handles, places and anchors, the tables' row sources and the
// pictures the image gadgets show. A backend creates the platform's widgets and
// hands their handles here.
class ToolkitCore : public Toolkit {
public:
    // For the platform's callbacks: an event for the queue.
    void post(Event e);

    bool isWindowOpen(int window) const override { return windows_.count(window) != 0; }
    void setAnchor(int window, int gadget, unsigned anchor) override;
    std::size_t rowCount(int window, int gadget) const override;

    // The handles behind the numbers (nullptr for none).
    void* windowHandle(int window) const;
    void* gadgetHandle(int window, int gadget) const;
    // A table's rows as the program last set them.
    const TableRows* tableRows(int window, int gadget) const;
    // The picture an image gadget shows.
    const Picture* imagePicture(int window, int gadget) const;

protected:
    struct GadgetRecord {
        void* handle = nullptr;
        Rect opened;  // its place as created
        unsigned anchor = kFixed;
        int picture = -1;  // what an image gadget shows
        const TableRows* rows = nullptr;
        // A table's last column takes the room the others leave, never less
        // than the width the program or the user last gave it (which is what
        // columnWidths reports for it). `fitting` while the backend sets it.
        int lastColumnWidth = 0;
        bool fitting = false;
    };
    struct WindowRecord {
        void* handle = nullptr;
        WindowSpec layout;  // as opened
    };

    void registerWindow(const WindowSpec& layout, void* handle);
    // The layout a window was opened with; none for a window not open.
    const WindowSpec* layoutOf(int window) const;
    GadgetRecord& registerGadget(int window, int gadget, void* handle, Rect r);
    std::vector<int> openWindows() const;
    std::vector<int> ownedBy(int window) const;
    // Forgets a window and its gadgets; returns the window's handle.
    void* forgetWindow(int window);
    GadgetRecord* gadgetRecord(int window, int gadget);
    const GadgetRecord* gadgetRecord(int window, int gadget) const;
    void setRowsOf(int window, int gadget, const TableRows* rows);

    // Calls place(handle, rect) for each gadget of a window whose client area is
    // now `width` by `height`.
    template <class Place>
    void relayout(int window, int width, int height, Place&& place) const {
        auto w = windows_.find(window);
        if (w == windows_.end()) return;
        const WindowSpec& opened = w->second.layout;
        for (auto it = gadgets_.lower_bound({window, INT_MIN}); it != gadgets_.end() && it->first.first == window; ++it)
            place(it->second.handle, anchoredRect(it->second.opened, it->second.anchor, opened.clientWidth,
                                                  opened.clientHeight, width, height));
    }
    // The image gadgets showing a picture.
    std::vector<void*> imagesShowing(int picture) const;

    // Whether Shift is held down now (the click being posted was made with it).
    virtual bool shiftHeld() const { return false; }

    Event pop();
    bool hasEvent() const { return !queue_.empty(); }

private:
    std::deque<Event> queue_;
    std::map<int, WindowRecord> windows_;
    std::map<std::pair<int, int>, GadgetRecord> gadgets_;
};

}  // namespace pitbox::ui
