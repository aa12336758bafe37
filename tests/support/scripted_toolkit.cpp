#include "support/scripted_toolkit.h"

#include <algorithm>

#include "platform/paths.h"

namespace pitbox::test {

void ScriptedToolkit::pushEvent(const ui::Event& e) {
    push([e] { return std::optional<ui::Event>(e); });
}

void ScriptedToolkit::click(int window, int gadget) {
    push([this, window, gadget]() -> std::optional<ui::Event> {
        Gadget* g = find(window, gadget);
        if (!g || !g->enabled) return std::nullopt;
        if (g->kind == Gadget::Kind::CheckBox) g->checked = !g->checked;
        return ui::Event{ui::EventKind::Gadget, window, gadget};
    });
}

void ScriptedToolkit::closeRequest(int window) {
    push([this, window]() -> std::optional<ui::Event> {
        if (!isWindowOpen(window)) return std::nullopt;
        return ui::Event{ui::EventKind::CloseRequest, window, -1};
    });
}

void ScriptedToolkit::typeText(int window, int gadget, const std::string& text) {
    push([this, window, gadget, text]() -> std::optional<ui::Event> {
        Gadget* g = find(window, gadget);
        if (!g || !g->enabled) return std::nullopt;
        g->text = text;
        return ui::Event{ui::EventKind::Gadget, window, gadget};
    });
}

void ScriptedToolkit::clickHeader(int window, int gadget, int column) {
    push([this, window, gadget, column]() -> std::optional<ui::Event> {
        const Gadget* g = this->gadget(window, gadget);
        if (!g || !g->enabled) return std::nullopt;
        return ui::Event{ui::EventKind::HeaderClick, window, gadget, column};
    });
}

void ScriptedToolkit::pressKey(int window, ui::Key key) {
    push([this, window, key]() -> std::optional<ui::Event> {
        const Window* w = this->window(window);
        const bool mainWindowKey = (key == ui::Key::Escape || key == ui::Key::Delete) && w && w->layout.owner < 0;
        if (!w || (!w->layout.reportsKeys && !mainWindowKey)) return std::nullopt;
        return ui::Event{ui::EventKind::Key, window, -1, -1, key};
    });
}

void ScriptedToolkit::selectRows(int window, int gadget, const std::vector<std::size_t>& rows) {
    push([this, window, gadget, rows]() -> std::optional<ui::Event> {
        Gadget* g = find(window, gadget);
        if (!g || !g->enabled) return std::nullopt;
        setSelection(window, gadget, rows);
        return ui::Event{ui::EventKind::Gadget, window, gadget};
    });
}

void ScriptedToolkit::setSelection(int window, int gadget, const std::vector<std::size_t>& rows) {
    Gadget* g = find(window, gadget);
    if (!g || !g->source) return;
    g->source->clearSelection();
    // In runs of rows one after another, as a real backend hands a range on.
    const std::size_t count = g->source->rowCount();
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1) ++end;
        if (rows[i] < count) g->source->setSelected(rows[i], std::min(rows[end - 1], count - 1), true);
        i = end;
    }
}

const ScriptedToolkit::Window* ScriptedToolkit::window(int number) const {
    auto it = windows_.find(number);
    return it == windows_.end() ? nullptr : &it->second;
}

const ScriptedToolkit::Gadget* ScriptedToolkit::gadget(int window, int gadget) const {
    const Window* w = this->window(window);
    if (!w) return nullptr;
    auto it = w->gadgets.find(gadget);
    return it == w->gadgets.end() ? nullptr : &it->second;
}

ScriptedToolkit::Gadget* ScriptedToolkit::find(int window, int gadget) {
    return const_cast<Gadget*>(static_cast<const ScriptedToolkit*>(this)->gadget(window, gadget));
}

std::vector<std::string> ScriptedToolkit::rows(int window, int gadget) const {
    const Gadget* g = this->gadget(window, gadget);
    std::vector<std::string> rows;
    if (!g || !g->source) return rows;
    for (std::size_t r = 0; r < g->source->rowCount(); ++r) {
        std::string& row = rows.emplace_back();
        for (std::size_t c = 0; c < g->columns.size(); ++c) {
            if (c > 0) row += '\n';
            g->source->appendCell(r, c, row);
        }
    }
    return rows;
}

void ScriptedToolkit::drawText(raster::Picture&, int font, int x, int y, const std::string& utf8, raster::Colour front,
                               raster::Colour back) {
    drawn_.push_back({font, x, y, utf8, front, back});
}

void ScriptedToolkit::openWindow(const ui::WindowSpec& layout) {
    windows_[layout.number] = Window{layout, {}, {}, {}};
    opened_.push_back(layout);
}

void ScriptedToolkit::raiseWindow(int window) {
    if (isWindowOpen(window)) raised_.push_back(window);
}

void ScriptedToolkit::setTitle(int window, const std::string& title) {
    if (auto it = windows_.find(window); it != windows_.end()) it->second.layout.title = title;
}

ui::WindowPlace ScriptedToolkit::windowPlace(int window) const {
    const Window* w = this->window(window);
    if (!w) return {};
    if (w->place.width > 0) return w->place;
    return {w->layout.x, w->layout.y, w->layout.clientWidth, w->layout.clientHeight, false};
}

void ScriptedToolkit::placeWindow(int window, const ui::WindowPlace& place) {
    if (auto it = windows_.find(window); it != windows_.end()) it->second.place = place;
}

std::vector<int> ScriptedToolkit::columnWidths(int window, int gadget) const {
    const Gadget* g = this->gadget(window, gadget);
    if (!g) return {};
    if (!g->widths.empty()) return g->widths;
    std::vector<int> widths;
    for (const ui::Column& c : g->columns) widths.push_back(c.width);
    return widths;
}

void ScriptedToolkit::setColumnWidths(int window, int gadget, const std::vector<int>& widths) {
    if (Gadget* g = find(window, gadget)) g->widths = widths;
}

void ScriptedToolkit::closeWindow(int window) {
    windows_.erase(window);
    if (focus_ && focus_->first == window) focus_.reset();
}

ScriptedToolkit::Gadget& ScriptedToolkit::add(int window, int gadget, Gadget g) {
    Window& w = windows_.at(window);
    w.creationOrder.push_back(gadget);
    return w.gadgets[gadget] = std::move(g);
}

void ScriptedToolkit::addTable(int window, int gadget, ui::Rect r, const std::vector<ui::Column>& columns) {
    Gadget g;
    g.kind = Gadget::Kind::Table;
    g.rect = r;
    g.columns = columns;
    add(window, gadget, std::move(g));
}

void ScriptedToolkit::addImageButton(int window, int gadget, ui::Rect r, int picture) {
    Gadget g;
    g.kind = Gadget::Kind::ImageButton;
    g.rect = r;
    g.picture = picture;
    add(window, gadget, std::move(g));
}

void ScriptedToolkit::addText(int window, int gadget, ui::Rect r, ui::Align align, int font) {
    Gadget g;
    g.kind = Gadget::Kind::Text;
    g.rect = r;
    g.align = align;
    g.font = font;
    add(window, gadget, std::move(g));
}

void ScriptedToolkit::addImage(int window, int gadget, ui::Rect r, int picture) {
    Gadget g;
    g.kind = Gadget::Kind::Image;
    g.rect = r;
    g.picture = picture;
    add(window, gadget, std::move(g));
}

void ScriptedToolkit::setText(int window, int gadget, const std::string& text) {
    if (Gadget* g = find(window, gadget)) g->text = text;
}

std::string ScriptedToolkit::text(int window, int gadget) const {
    const Gadget* g = this->gadget(window, gadget);
    return g ? g->text : std::string{};
}

void ScriptedToolkit::addProgressBar(int window, int gadget, ui::Rect r) {
    Gadget g;
    g.kind = Gadget::Kind::ProgressBar;
    g.rect = r;
    g.shown = false;
    add(window, gadget, std::move(g));
}

void ScriptedToolkit::setButtonPicture(int window, int gadget, int picture) {
    if (Gadget* g = find(window, gadget)) g->picture = picture;
}

void ScriptedToolkit::showProgress(int window, int gadget, std::size_t done, std::size_t total) {
    if (Gadget* g = find(window, gadget)) {
        g->shown = true;
        g->done = done;
        g->total = total;
    }
}

void ScriptedToolkit::hideProgress(int window, int gadget) {
    if (Gadget* g = find(window, gadget)) g->shown = false;
}

void ScriptedToolkit::setEnabled(int window, int gadget, bool enabled) {
    if (Gadget* g = find(window, gadget)) g->enabled = enabled;
}

void ScriptedToolkit::setFocus(int window, int gadget) {
    if (find(window, gadget)) focus_ = std::make_pair(window, gadget);
}

void ScriptedToolkit::addTextButton(int window, int gadget, ui::Rect r, const std::string& caption) {
    Gadget g;
    g.kind = Gadget::Kind::TextButton;
    g.rect = r;
    g.text = caption;
    add(window, gadget, std::move(g));
}

void ScriptedToolkit::addCheckBox(int window, int gadget, ui::Rect r, const std::string& caption) {
    Gadget g;
    g.kind = Gadget::Kind::CheckBox;
    g.rect = r;
    g.text = caption;
    add(window, gadget, std::move(g));
}

void ScriptedToolkit::setChecked(int window, int gadget, bool checked) {
    if (Gadget* g = find(window, gadget)) g->checked = checked;
}

bool ScriptedToolkit::isChecked(int window, int gadget) const {
    const Gadget* g = this->gadget(window, gadget);
    return g && g->checked;
}

void ScriptedToolkit::addTextField(int window, int gadget, ui::Rect r, int downTo, const std::string& hint) {
    Gadget g;
    g.kind = Gadget::Kind::TextField;
    g.hint = hint;
    g.rect = r;
    g.downTo = downTo;
    add(window, gadget, std::move(g));
}

void ScriptedToolkit::setAnchor(int window, int gadget, unsigned anchor) {
    if (Gadget* g = find(window, gadget)) g->anchor = anchor;
}

void ScriptedToolkit::setTableRows(int window, int gadget, ui::TableRows* rows) {
    if (Gadget* g = find(window, gadget)) {
        g->source = rows;
        g->focusRow = static_cast<std::size_t>(-1);
    }
}

void ScriptedToolkit::refreshTable(int, int) {}

void ScriptedToolkit::showTableSelection(int window, int gadget, std::size_t focus) {
    if (Gadget* g = find(window, gadget)) g->focusRow = focus;
}

void ScriptedToolkit::setSortIndicator(int window, int gadget, int column, bool ascending) {
    if (Gadget* g = find(window, gadget)) {
        g->sortColumn = column;
        g->sortAscending = ascending;
    }
}

std::size_t ScriptedToolkit::rowCount(int window, int gadget) const {
    const Gadget* g = this->gadget(window, gadget);
    return g && g->source ? g->source->rowCount() : 0;
}

std::vector<std::size_t> ScriptedToolkit::selectedRows(int window, int gadget) const {
    const Gadget* g = this->gadget(window, gadget);
    std::vector<std::size_t> rows;
    for (std::size_t r = 0; g && g->source && r < g->source->rowCount(); ++r)
        if (g->source->isSelected(r)) rows.push_back(r);
    return rows;
}

void ScriptedToolkit::wake() { woken_ = true; }

ui::Event ScriptedToolkit::waitEvent() {
    exhausted_ = false;
    if (woken_.exchange(false)) return ui::Event{ui::EventKind::Wake};
    while (!steps_.empty()) {
        Step step = std::move(steps_.front());
        steps_.pop_front();
        if (auto e = step()) return *e;
    }
    exhausted_ = true;
    return ui::Event{ui::EventKind::CloseRequest, 0, -1};
}

// A timed wait on an empty script times out instead of ending the program.
ui::Event ScriptedToolkit::waitEvent(int) {
    if (woken_.exchange(false)) return ui::Event{ui::EventKind::Wake};
    if (steps_.empty()) return {};
    return waitEvent();
}

std::string ScriptedToolkit::take(std::deque<std::string>& answers) {
    if (answers.empty()) return {};
    std::string a = std::move(answers.front());
    answers.pop_front();
    return a;
}

std::string ScriptedToolkit::folderRequester(const std::string& title, const std::string& startFolder) {
    requests_.push_back({"folder", title, startFolder, {}});
    const std::string a = take(folderAnswers_);
    return a.empty() ? a : platform::withSeparator(a);
}

ui::SaveAnswer ScriptedToolkit::saveFileRequester(const std::string& title, const std::string& proposedPath,
                                                  const std::vector<ui::FileFilter>& types) {
    std::string offered;
    for (const ui::FileFilter& f : types) offered += (offered.empty() ? "" : ";") + f.name + "|" + f.pattern;
    requests_.push_back({"save", title, proposedPath, offered});
    if (saveAnswers_.empty()) return {};
    ui::SaveAnswer a = std::move(saveAnswers_.front());
    saveAnswers_.pop_front();
    return a;
}

std::string ScriptedToolkit::textRequester(const std::string& title, const std::string& message,
                                           const std::string& initial) {
    requests_.push_back({"text", title, message, initial});
    return take(textAnswers_);
}

bool ScriptedToolkit::questionRequester(const std::string& title, const std::string& question,
                                        const std::string& action) {
    requests_.push_back({"question", title, question, action});
    if (questionAnswers_.empty()) return false;
    const bool agree = questionAnswers_.front();
    questionAnswers_.pop_front();
    return agree;
}

}  // namespace pitbox::test
