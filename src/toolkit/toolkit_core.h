#pragma once
#include <algorithm>
#include <climits>
#include <cstddef>
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

// A key pressed in one of the program's windows, as the backend finds it.
struct KeyPress {
    Key key = Key::None;                         // Key::None for any key the rules below do not name
    bool plain = true;                           // no Ctrl, Shift or Alt held
    bool ownedWindow = false;                    // a window over the main window (the viewer, Copy Tracks)
    bool windowReportsKeys = false;              // it asked for its navigation keys (the viewer)
    bool inTable = false;                        // the focus is in a table
    bool inField = false, fieldHasText = false;  // the focus is in a text field
};

// What the key does, the same with every backend; each makes the native call.
enum class KeyAction {
    Native,      // the focused control takes it as it would
    ClearField,  // the text field is emptied (reported as a change)
    FocusBelow,  // the focus moves on from the text field to the gadget below it
    Close,       // the window is asked to close, as its close box does
    Report,      // an Event of kind Key is posted for the window
};
// Escape clears a text field that holds text; otherwise it closes an owned
// window and is reported in the main window. Down moves on from a text field.
// Delete with the focus in the main window's table is reported, and so are
// the navigation keys in a window that asked for them.
KeyAction keyAction(const KeyPress& press);

// A progress bar counts in int: large counts are scaled down together.
struct ProgressSteps {
    int range = 0, position = 0;
};
ProgressSteps progressSteps(std::size_t done, std::size_t total);

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
    TableRows* tableRows(int window, int gadget) const;
    // The picture an image gadget shows.
    const Picture* imagePicture(int window, int gadget) const;

protected:
    struct GadgetRecord {
        void* handle = nullptr;
        Rect opened;  // its place as created
        unsigned anchor = kFixed;
        int picture = -1;  // what an image gadget shows
        TableRows* rows = nullptr;
        // A table's last column takes the room the others leave, never less
        // than the width the program or the user last gave it (which is what
        // columnWidths reports for it). `fitting` while the backend sets it.
        int lastColumnWidth = 0;
        bool fitting = false;
    };

    // The rule of a table's last column, which takes the room the others
    // leave: the widths the program is told (the last column's as given it,
    // not as stretched) ...
    static void reportGivenLastWidth(const GadgetRecord& g, std::vector<int>& widths);
    // ... what a column's new width means: the last column's is taken as
    // given; after another's the last is fitted again (true) ...
    static bool takeColumnWidth(GadgetRecord& g, int column, int columns, int width);
    // ... and fitting it: `setLast` gets the width it now takes, when it is
    // not the width it has, with `fitting` held meanwhile. The widths are in
    // the backend's own units, `given` the last column's width given it.
    template <class SetLast>
    static void stretchLastColumn(GadgetRecord& g, int given, int room, int current, SetLast&& setLast) {
        const int width = std::max(given, room);
        if (width == current) return;
        g.fitting = true;
        setLast(width);
        g.fitting = false;
    }
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
    void setRowsOf(int window, int gadget, TableRows* rows);

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
