#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/raster_types.h"

namespace pitbox::ui {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// How a gadget follows its window when the window is resized: it keeps its
// place relative to the top-left corner unless told to grow with the window's
// width or height, or to keep its distance to the right or bottom edge.
enum Anchor : unsigned {
    kFixed = 0,
    kGrowWidth = 1,
    kGrowHeight = 2,
    kFollowRight = 4,
    kFollowBottom = 8,
};

// A gadget's place in a window whose client area is `width` by `height`, given
// its place in the window as it was opened (`openWidth` by `openHeight`).
Rect anchoredRect(Rect opened, unsigned anchor, int openWidth, int openHeight, int width, int height);

enum class EventKind {
    None,
    Gadget,       // a click, a table's selection, a text field's change
    HeaderClick,  // a click on a table's column header; `column` says which
    Key,          // a navigation key in a window that reports keys, or Escape; `key` says which
    CloseRequest,
    Wake,  // another thread asked the program to look (Toolkit::wake)
    Drop,  // files or folders dropped onto a window that takes them; `paths` names them
};

// Escape is reported in a window that has no owner (the main window) unless a
// text field takes it; in an owned window it asks to close the window. Delete
// is reported from a table in a window that has no owner.
enum class Key { None, Up, Down, Left, Right, PageUp, PageDown, Escape, Delete };

struct Event {
    EventKind kind = EventKind::None;
    int window = -1;
    int gadget = -1;
    int column = -1;
    Key key = Key::None;
    bool shift = false;                // Shift was held at a gadget's click
    std::vector<std::string> paths{};  // a Drop's files and folders, absolute, as the system names them
    bool isGadget(int w, int g) const { return kind == EventKind::Gadget && window == w && gadget == g; }
};

struct WindowSpec {
    int number = 0;
    std::string title;
    int x = 0, y = 0;  // top-left corner of the frame, screen coordinates
    int clientWidth = 0, clientHeight = 0;
    int owner = -1;              // number of the owning window, -1 for none
    bool centreOnOwner = false;  // ignore x, y and centre over the owner
    // Ignore x, y and open beside the owner on its screen: to its right where
    // there is room, else to its left, else centred over it.
    bool besideOwner = false;
    // A resizable window can also be maximised; its client area never gets
    // smaller than the minimum. Every window opens wholly on its screen: one
    // larger (a scaled layout on a small screen) is made smaller, a resizable
    // one as far as its minimum, its gadgets following their anchors.
    bool resizable = false;
    int minClientWidth = 0, minClientHeight = 0;
    // The arrows and Page Up/Down pressed in the window reach the program as Key
    // events (a window without gadgets that take keys, such as a picture's).
    bool reportsKeys = false;
    // Files and folders dragged from other programs may be dropped on the
    // window, as copies; the drop is reported as a Drop event.
    bool takesDrops = false;
};

// Where the user left a window: its frame's top-left corner in screen
// coordinates, its client size, and whether it is maximised.
struct WindowPlace {
    int x = 0, y = 0, width = 0, height = 0;
    bool maximised = false;
};

enum class Align { Left, Centre };

struct Column {
    std::string title;
    int width = 0;
    // A text too long for the column is cut in its middle, keeping its end
    // (a path's file name), and shows whole as the cell's tooltip.
    bool elideMiddle = false;
};

// The rows a table shows, asked for cell by cell as the table draws them, so
// that showing 100,000 rows costs nothing up front; and which of them are
// selected. The selection is the rows' own: the table draws it from here and
// makes the user's clicks and keys change it here, then reports a Gadget
// event, so there is never a second selection to keep in step.
class TableRows {
public:
    virtual ~TableRows() = default;
    virtual std::size_t rowCount() const = 0;
    virtual void appendCell(std::size_t row, std::size_t column, std::string& out) const = 0;
    virtual bool isSelected(std::size_t row) const = 0;
    // Selects, or lets go of, the rows `first` to `last`, both included.
    virtual void setSelected(std::size_t first, std::size_t last, bool selected) = 0;
    virtual void clearSelection() = 0;
    // What typing in the table finds a row by: its first column, unless the
    // rows say otherwise.
    virtual void appendFindText(std::size_t row, std::string& out) const { appendCell(row, 0, out); }
    // Typing in the table: the first row from `from` on (wrapping round) whose
    // find text begins with `typed`, letter case and accents ignored as the
    // filter ignores them; none when no row does.
    std::optional<std::size_t> findRow(std::string_view typed, std::size_t from) const;
    // The files a drag of the selected rows hands to where it is dropped, as
    // copies (a file manager, another program); none, and no drag, unless the
    // rows name some.
    virtual std::vector<std::string> dragFiles() const { return {}; }
};

// A file type a save requester offers: its name and its pattern ("*.txt").
struct FileFilter {
    std::string name, pattern;
};
// What the save requester answered: the file (empty when cancelled), and
// which of the file types offered the user chose.
struct SaveAnswer {
    std::string path;
    std::size_t type = 0;
};

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
    const Picture* picture(int id) const;

    virtual void loadFont(int id, const FontSpec& wanted) = 0;

    virtual void openWindow(const WindowSpec& layout) = 0;
    virtual void closeWindow(int window) = 0;
    virtual bool isWindowOpen(int window) const = 0;
    virtual void setTitle(int window, const std::string& title) = 0;
    // Brings an open window in front of the program's other windows and gives it the keys.
    virtual void raiseWindow(int window) = 0;
    virtual WindowPlace windowPlace(int window) const = 0;
    // Moves and sizes a window as the user left it; a place on none of the
    // screens is not taken.
    virtual void placeWindow(int window, const WindowPlace& place) = 0;

    virtual void addTable(int window, int gadget, Rect r, const std::vector<Column>& columns) = 0;
    virtual void addImageButton(int window, int gadget, Rect r, int picture) = 0;
    virtual void addText(int window, int gadget, Rect r, Align align, int font) = 0;
    // A push button with a caption (setText changes it) that reports a click.
    virtual void addTextButton(int window, int gadget, Rect r, const std::string& caption) = 0;
    // An image gadget shows a picture and reports a click on it.
    virtual void addImage(int window, int gadget, Rect r, int picture) = 0;
    // A check box with its caption, unchecked: a click checks or unchecks it and
    // is reported as the gadget's event.
    virtual void addCheckBox(int window, int gadget, Rect r, const std::string& caption) = 0;
    virtual void setChecked(int window, int gadget, bool checked) = 0;
    virtual bool isChecked(int window, int gadget) const = 0;
    // A one-line text field that reports every change of its text and shows
    // `hint` while it is empty. Ctrl+F in its window puts the focus in it,
    // Escape in it clears it (in an empty field Escape is the window's key),
    // Down moves the focus on to the gadget `downTo`.
    virtual void addTextField(int window, int gadget, Rect r, int downTo, const std::string& hint) = 0;
    // A progress bar, hidden until it has something to show.
    virtual void addProgressBar(int window, int gadget, Rect r) = 0;
    // How the gadget follows its window's size (Anchor values or-ed together).
    virtual void setAnchor(int window, int gadget, unsigned anchor) = 0;

    virtual void setText(int window, int gadget, const std::string& text) = 0;
    virtual std::string text(int window, int gadget) const = 0;
    virtual void setEnabled(int window, int gadget, bool enabled) = 0;
    // The picture an image button shows.
    virtual void setButtonPicture(int window, int gadget, int picture) = 0;
    // A progress bar shows `done` of `total` (a total of 0: not known yet, the
    // bar only says work goes on), or nothing.
    virtual void showProgress(int window, int gadget, std::size_t done, std::size_t total) = 0;
    virtual void hideProgress(int window, int gadget) = 0;
    virtual void setFocus(int window, int gadget) = 0;

    // Tables. The rows changed, in number or content: the table asks for what it
    // shows and which rows are selected again, and forgets where a Shift
    // click would extend from. `rows` stays the program's and must live until
    // the next call or the window's close.
    virtual void setTableRows(int window, int gadget, TableRows* rows) = 0;
    // The rows' texts changed, not their number: the table draws them again.
    virtual void refreshTable(int window, int gadget) = 0;
    // The program changed the rows' selection: the table draws it again, with
    // the keyboard focus on row `focus` (none for npos), scrolled into view.
    // Nothing is reported.
    virtual void showTableSelection(int window, int gadget, std::size_t focus) = 0;
    // Shows which column the rows are sorted by (-1 for none) and in which direction.
    virtual void setSortIndicator(int window, int gadget, int column, bool ascending) = 0;
    virtual std::vector<int> columnWidths(int window, int gadget) const = 0;
    virtual void setColumnWidths(int window, int gadget, const std::vector<int>& widths) = 0;
    virtual std::size_t rowCount(int window, int gadget) const = 0;

    // From any thread: a Wake event joins the queue, ending a wait.
    virtual void wake() = 0;
    virtual Event waitEvent() = 0;
    // Waits at most the given time; an Event of kind None when nothing came.
    virtual Event waitEvent(int milliseconds) = 0;
    virtual void sleep(int milliseconds) = 0;

    // Requesters return an empty text when cancelled. The folder requester's
    // answer ends in "/". The save requester asks before an existing file is
    // chosen, as every platform's does.
    virtual std::string folderRequester(const std::string& title, const std::string& startFolder) = 0;
    virtual SaveAnswer saveFileRequester(const std::string& title, const std::string& proposedPath,
                                         const std::vector<FileFilter>& types) = 0;
    virtual std::string textRequester(const std::string& title, const std::string& message,
                                      const std::string& initial) = 0;
    // Asks before an action, over the main window: true when the user takes
    // `action` (the default button), false when they cancel.
    virtual bool questionRequester(const std::string& title, const std::string& question,
                                   const std::string& action) = 0;

protected:
    // A backend hears of every picture replaced, to refresh its display.
    virtual void pictureChanged(int /*id*/) {}

private:
    std::map<int, Picture> pictures_;
};

}  // namespace pitbox::ui
