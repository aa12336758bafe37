#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "raster/picture.h"
#include "raster/text_painter.h"

namespace pitbox::ui {

// The raster's types, as the toolkit shows and paints them.
using raster::Colour;
using raster::FontSpec;
using raster::FontStyle;
using raster::Picture;
using raster::TextPainter;

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

enum class EventKind { None, Gadget, CloseRequest };

struct Event {
    EventKind kind = EventKind::None;
    int window = -1;
    int gadget = -1;
    bool isGadget(int w, int g) const { return kind == EventKind::Gadget && window == w && gadget == g; }
};

struct WindowSpec {
    int number = 0;
    std::string title;
    int x = 0, y = 0;  // top-left corner of the frame, screen coordinates
    int clientWidth = 0, clientHeight = 0;
    int owner = -1;              // number of the owning window, -1 for none
    bool centreOnOwner = false;  // ignore x, y and centre over the owner
};

enum class Align { Left, Centre };

struct Column {
    std::string title;
    int width = 0;
};

// The rows of a table: each row one text with its cells joined by line feeds,
// all rows held in one block, so that a table of 100,000 rows is built with a
// handful of allocations.
class RowTexts {
public:
    void reserve(std::size_t rows, std::size_t bytes) {
        ends_.reserve(rows);
        text_.reserve(bytes);
    }
    // Appends a row that `write` appends to the text it is given.
    template <class Write>
    void add(Write&& write) {
        write(text_);
        ends_.push_back(text_.size());
    }
    void add(std::string_view row) {
        add([row](std::string& text) { text.append(row); });
    }
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(start, ends_[i] - start);
    }

private:
    std::string text_;
    std::vector<std::size_t> ends_;
};

// The text of one cell of a row: the part between the line feeds around it.
std::string_view cellOf(std::string_view row, std::size_t column);

// The window and drawing toolkit the program talks to. Windows, gadgets, pictures
// and fonts are addressed by small numbers; gadget numbers are unique within a
// window. Every user action reaches the program as an Event taken from one queue;
// a close request is only a request, the program closes the window itself.
// Pictures are plain pixels held here; a platform backend only shows them.
class Toolkit : public TextPainter {
public:
    ~Toolkit() override = default;

    // Pictures. Creating a picture under a number in use replaces it.
    void setPicture(int id, Picture picture);
    bool hasPicture(int id) const { return pictures_.count(id) != 0; }
    Picture* picture(int id);
    const Picture* picture(int id) const;

    virtual void loadFont(int id, const FontSpec& wanted) = 0;

    virtual void openWindow(const WindowSpec& layout) = 0;
    virtual void closeWindow(int window) = 0;
    virtual bool isWindowOpen(int window) const = 0;

    virtual void addTable(int window, int gadget, Rect r, const std::vector<Column>& columns) = 0;
    virtual void addImageButton(int window, int gadget, Rect r, int picture) = 0;
    virtual void addText(int window, int gadget, Rect r, Align align, int font) = 0;
    // An image gadget shows a picture and reports a click on it.
    virtual void addImage(int window, int gadget, Rect r, int picture) = 0;

    virtual void setText(int window, int gadget, const std::string& text) = 0;
    virtual std::string text(int window, int gadget) const = 0;
    virtual void setEnabled(int window, int gadget, bool enabled) = 0;
    virtual void setFocus(int window, int gadget) = 0;

    // Tables. A row text holds the cells joined by line feeds.
    virtual void clearRows(int window, int gadget) = 0;
    virtual void appendRow(int window, int gadget, std::string_view rowText) = 0;
    virtual void setRows(int window, int gadget, RowTexts rows) = 0;
    virtual std::size_t rowCount(int window, int gadget) const = 0;
    // Selected rows in ascending order.
    virtual std::vector<std::size_t> selectedRows(int window, int gadget) const = 0;

    virtual Event waitEvent() = 0;
    // Waits at most the given time; an Event of kind None when nothing came.
    virtual Event waitEvent(int milliseconds) = 0;
    virtual void sleep(int milliseconds) = 0;

    // Called often during a long action: repaints the windows. User input that
    // arrives meanwhile is not turned into gadget events; a close request is kept.
    virtual void keepPainted() = 0;

    // Requesters return an empty text when cancelled. The folder requester's
    // answer ends in "/".
    virtual std::string folderRequester(const std::string& title, const std::string& startFolder) = 0;
    virtual std::string saveFileRequester(const std::string& title, const std::string& proposedPath,
                                          const std::string& filter) = 0;
    virtual std::string textRequester(const std::string& title, const std::string& message,
                                      const std::string& initial) = 0;

protected:
    // A backend hears of every picture replaced or changed, to refresh its display.
    virtual void pictureChanged(int /*id*/) {}

private:
    std::map<int, Picture> pictures_;
};

}  // namespace pitbox::ui
