#pragma once
#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace pitbox::test {

// A toolkit without a display, driven by a script. Tests queue steps (clicks, row
// selections, close requests, or any function that looks at the state and returns
// the next event) and answers for the requesters, run the program's actions, and
// read back windows, gadget texts, rows, selection and the texts drawn on pictures.
// A click on a disabled gadget or on a closed window is dropped, as a platform
// would. When the script runs out, every untimed wait returns a close request of
// window 0, so a program under test always ends.
class ScriptedToolkit : public ui::Toolkit {
public:
    struct Gadget {
        enum class Kind {
            Table,
            ImageButton,
            Text,
            Image,
            TextField,
            TextButton,
            ProgressBar,
            CheckBox
        } kind = Kind::Text;
        ui::Rect rect;
        std::string text;
        bool enabled = true;
        int picture = 0;
        int font = 0;
        ui::Align align = ui::Align::Left;
        std::vector<ui::Column> columns;
        ui::TableRows* source = nullptr;
        std::size_t focusRow = static_cast<std::size_t>(-1);
        int sortColumn = -1;
        bool sortAscending = true;
        unsigned anchor = ui::kFixed;
        int downTo = -1;
        std::string hint;
        std::vector<int> widths;          // a table's column widths as the user left them
        bool shown = true;                // false: a progress bar hidden
        std::size_t done = 0, total = 0;  // what a progress bar shows
        bool checked = false;             // a check box's
    };
    struct Window {
        ui::WindowSpec layout;
        std::vector<int> creationOrder;
        std::map<int, Gadget> gadgets;
        ui::WindowPlace place;  // where the user moved it
    };
    struct DrawnText {
        int font;
        int x, y;
        std::string text;
        raster::Colour front, back;
    };
    struct Request {
        std::string kind;  // "folder", "save", "text", "question"
        std::string title, start, filter;
    };
    using Step = std::function<std::optional<ui::Event>()>;

    // The script.
    void push(Step step) { steps_.push_back(std::move(step)); }
    void pushEvent(const ui::Event& e);
    void click(int window, int gadget);
    void closeRequest(int window);
    // Types into a text field (replacing its text) and reports the change.
    void typeText(int window, int gadget, const std::string& text);
    void clickHeader(int window, int gadget, int column);
    // A navigation key pressed in a window that reports keys, or Escape in the main window.
    void pressKey(int window, ui::Key key);
    // Selects the given rows of a table (replacing the selection) and reports it.
    void selectRows(int window, int gadget, const std::vector<std::size_t>& rows);
    void answerFolder(std::string answer) { folderAnswers_.push_back(std::move(answer)); }
    void answerSave(std::string answer, std::size_t type = 0) { saveAnswers_.push_back({std::move(answer), type}); }
    void answerText(std::string answer) { textAnswers_.push_back(std::move(answer)); }
    // A question unanswered is cancelled.
    void answerQuestion(bool agree) { questionAnswers_.push_back(agree); }

    // What the program did.
    const Window* window(int number) const;
    const Gadget* gadget(int window, int gadget) const;
    // A table's rows as texts, the cells joined by line feeds.
    std::vector<std::string> rows(int window, int gadget) const;
    const std::vector<DrawnText>& drawnTexts() const { return drawn_; }
    const std::vector<Request>& requests() const { return requests_; }
    std::vector<ui::WindowSpec> openedWindows() const { return opened_; }
    // The windows brought to the front, in order.
    const std::vector<int>& raisedWindows() const { return raised_; }
    std::optional<std::pair<int, int>> focus() const { return focus_; }
    // Whether the last wait found the script empty; whether it is empty now.
    bool scriptExhausted() const { return exhausted_; }
    bool scriptEmpty() const { return steps_.empty(); }
    const std::map<int, raster::FontSpec>& fonts() const { return fonts_; }
    // Sets a table's selection without reporting it (as a user's control click on
    // the main window while a secondary window's loop drops its events).
    void setSelection(int window, int gadget, const std::vector<std::size_t>& rows);
    // The rows a table draws as selected.
    std::vector<std::size_t> selectedRows(int window, int gadget) const;

    void loadFont(int id, const raster::FontSpec& wanted) override { fonts_[id] = wanted; }
    void drawText(raster::Picture& picture, int font, int x, int y, const std::string& utf8, raster::Colour front,
                  raster::Colour back) override;
    void openWindow(const ui::WindowSpec& layout) override;
    void closeWindow(int window) override;
    bool isWindowOpen(int window) const override { return windows_.count(window) != 0; }
    void setTitle(int window, const std::string& title) override;
    void raiseWindow(int window) override;
    ui::WindowPlace windowPlace(int window) const override;
    void placeWindow(int window, const ui::WindowPlace& place) override;
    std::vector<int> columnWidths(int window, int gadget) const override;
    void setColumnWidths(int window, int gadget, const std::vector<int>& widths) override;
    void addTable(int window, int gadget, ui::Rect r, const std::vector<ui::Column>& columns) override;
    void addImageButton(int window, int gadget, ui::Rect r, int picture) override;
    void addText(int window, int gadget, ui::Rect r, ui::Align align, int font) override;
    void addImage(int window, int gadget, ui::Rect r, int picture) override;
    void addTextButton(int window, int gadget, ui::Rect r, const std::string& caption) override;
    void addCheckBox(int window, int gadget, ui::Rect r, const std::string& caption) override;
    void setChecked(int window, int gadget, bool checked) override;
    bool isChecked(int window, int gadget) const override;
    void setText(int window, int gadget, const std::string& text) override;
    std::string text(int window, int gadget) const override;
    void setEnabled(int window, int gadget, bool enabled) override;
    void setFocus(int window, int gadget) override;
    void addTextField(int window, int gadget, ui::Rect r, int downTo, const std::string& hint) override;
    void addProgressBar(int window, int gadget, ui::Rect r) override;
    void setButtonPicture(int window, int gadget, int picture) override;
    void showProgress(int window, int gadget, std::size_t done, std::size_t total) override;
    void hideProgress(int window, int gadget) override;
    void setAnchor(int window, int gadget, unsigned anchor) override;
    void setTableRows(int window, int gadget, ui::TableRows* rows) override;
    void refreshTable(int window, int gadget) override;
    void showTableSelection(int window, int gadget, std::size_t focus) override;
    void setSortIndicator(int window, int gadget, int column, bool ascending) override;
    std::size_t rowCount(int window, int gadget) const override;
    // A wake (from any thread) is the next event waited for.
    void wake() override;
    ui::Event waitEvent() override;
    ui::Event waitEvent(int milliseconds) override;
    void sleep(int) override {}
    std::string folderRequester(const std::string& title, const std::string& startFolder) override;
    ui::SaveAnswer saveFileRequester(const std::string& title, const std::string& proposedPath,
                                     const std::vector<ui::FileFilter>& types) override;
    std::string textRequester(const std::string& title, const std::string& message,
                              const std::string& initial) override;
    bool questionRequester(const std::string& title, const std::string& question, const std::string& action) override;

private:
    Gadget& add(int window, int gadget, Gadget g);
    Gadget* find(int window, int gadget);
    static std::string take(std::deque<std::string>& answers);

    std::deque<Step> steps_;
    std::deque<std::string> folderAnswers_, textAnswers_;
    std::deque<ui::SaveAnswer> saveAnswers_;
    std::deque<bool> questionAnswers_;
    std::map<int, Window> windows_;
    std::vector<ui::WindowSpec> opened_;
    std::vector<int> raised_;
    std::vector<DrawnText> drawn_;
    std::vector<Request> requests_;
    std::map<int, raster::FontSpec> fonts_;
    std::optional<std::pair<int, int>> focus_;
    bool exhausted_ = false;
    std::atomic<bool> woken_{false};
};

}  // namespace pitbox::test
