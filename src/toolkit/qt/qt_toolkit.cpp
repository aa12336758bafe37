#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <algorithm>

#include "toolkit/qt/row_table_model.h"

namespace pitbox::ui {
namespace {

// A top-level window whose close box only reports a close request.
class ToolkitWindow : public QWidget {
public:
    ToolkitWindow(QtToolkit& tk, int number, QWidget* owner) : QWidget(owner, Qt::Window), tk_(tk), number_(number) {}

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        tk_.post({EventKind::CloseRequest, number_, -1});
    }
    // Escape in a window over the main window asks to close it, as its close box does.
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape && parentWidget() != nullptr)
            tk_.post({EventKind::CloseRequest, number_, -1});
        else
            QWidget::keyPressEvent(e);
    }

private:
    QtToolkit& tk_;
    int number_;
};

class ClickableImage : public QLabel {
public:
    ClickableImage(QtToolkit& tk, int window, int gadget, QWidget* parent)
        : QLabel(parent), tk_(tk), window_(window), gadget_(gadget) {}

protected:
    void mousePressEvent(QMouseEvent*) override { tk_.post({EventKind::Gadget, window_, gadget_}); }

private:
    QtToolkit& tk_;
    int window_, gadget_;
};

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string ss(const QString& s) { return s.toUtf8().toStdString(); }

}  // namespace

QtToolkit::QtToolkit() = default;

QtToolkit::~QtToolkit() {
    for (auto& [n, w] : windows_) delete w.data();
}

void QtToolkit::post(Event e) {
    if (dropInput_ && e.kind == EventKind::Gadget) return;
    queue_.push_back(e);
}

QWidget* QtToolkit::windowWidget(int window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second.data();
}

QWidget* QtToolkit::gadgetWidget(int window, int gadget) const {
    auto it = gadgets_.find({window, gadget});
    return it == gadgets_.end() ? nullptr : it->second.data();
}

QTableView* QtToolkit::tableView(int window, int gadget) const {
    Table* t = table(window, gadget);
    return t ? t->view : nullptr;
}

void QtToolkit::openWindow(const WindowSpec& layout) {
    closeWindow(layout.number);
    QWidget* owner = windowWidget(layout.owner);
    auto* w = new ToolkitWindow(*this, layout.number, owner);
    w->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    w->setWindowTitle(qs(layout.title));
    w->setFixedSize(layout.clientWidth, layout.clientHeight);
    if (!QApplication::windowIcon().isNull()) w->setWindowIcon(QApplication::windowIcon());
    if (layout.centreOnOwner && owner) {
        const QRect o = owner->frameGeometry();
        w->move(o.x() + (o.width() - layout.clientWidth) / 2, o.y() + (o.height() - layout.clientHeight) / 2);
    } else {
        w->move(layout.x, layout.y);
    }
    windows_[layout.number] = w;
    w->show();
    w->raise();
    w->activateWindow();
}

void QtToolkit::closeWindow(int window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    QWidget* w = it->second.data();
    windows_.erase(it);
    for (auto g = gadgets_.begin(); g != gadgets_.end();)
        g = g->first.first == window ? gadgets_.erase(g) : std::next(g);
    for (auto t = tables_.begin(); t != tables_.end();) t = t->first.first == window ? tables_.erase(t) : std::next(t);
    for (auto i = imageGadgets_.begin(); i != imageGadgets_.end();)
        i = i->first.first == window ? imageGadgets_.erase(i) : std::next(i);
    QWidget* owner = w ? w->parentWidget() : nullptr;
    delete w;
    if (owner) owner->activateWindow();
}

void QtToolkit::place(int window, int gadget, QWidget* w, Rect r) {
    w->setGeometry(r.x, r.y, r.width, r.height);
    w->setObjectName(QStringLiteral("gadget-%1").arg(gadget));
    w->show();
    gadgets_[{window, gadget}] = w;
}

void QtToolkit::addTable(int window, int gadget, Rect r, const std::vector<Column>& columns) {
    QWidget* parent = windowWidget(window);
    if (!parent) return;
    auto* view = new QTableView(parent);
    auto* model = new RowTableModel(columns, view);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setFrameShadow(QFrame::Sunken);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);  // Tab moves on to the buttons, not across cells
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setSectionsClickable(false);
    view->horizontalHeader()->setHighlightSections(false);
    view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->setTextElideMode(Qt::ElideRight);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (std::size_t c = 0; c < columns.size(); ++c) view->setColumnWidth(static_cast<int>(c), columns[c].width);
    view->horizontalHeader()->setStretchLastSection(false);
    auto report = [this, window, gadget] {
        if (!quiet_) post({EventKind::Gadget, window, gadget});
    };
    QObject::connect(view, &QAbstractItemView::pressed, view, report);
    QObject::connect(view, &QAbstractItemView::doubleClicked, view, report);
    QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, view, report);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, view, report);
    place(window, gadget, view, r);
    tables_[{window, gadget}] = Table{view, model};
}

void QtToolkit::addImageButton(int window, int gadget, Rect r, int pictureId) {
    QWidget* parent = windowWidget(window);
    if (!parent) return;
    auto* button = new QPushButton(parent);
    if (const Picture* p = picture(pictureId)) {
        button->setIcon(QPixmap::fromImage(toQImage(*p)));
        button->setIconSize(QSize(p->width(), p->height()));
    }
    button->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(button, &QPushButton::clicked, button, [this, window, gadget] {
        post({EventKind::Gadget, window, gadget});
    });
    place(window, gadget, button, r);
}

void QtToolkit::addText(int window, int gadget, Rect r, Align align, int font) {
    QWidget* parent = windowWidget(window);
    if (!parent) return;
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment((align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    if (font != 0) label->setFont(text_.font(font));
    place(window, gadget, label, r);
}

void QtToolkit::addImage(int window, int gadget, Rect r, int pictureId) {
    QWidget* parent = windowWidget(window);
    if (!parent) return;
    auto* image = new ClickableImage(*this, window, gadget, parent);
    if (const Picture* p = picture(pictureId)) image->setPixmap(QPixmap::fromImage(toQImage(*p)));
    imageGadgets_[{window, gadget}] = pictureId;
    place(window, gadget, image, r);
}

void QtToolkit::pictureChanged(int id) {
    for (auto& [key, pictureId] : imageGadgets_)
        if (pictureId == id)
            if (auto* label = qobject_cast<QLabel*>(gadgetWidget(key.first, key.second)))
                label->setPixmap(QPixmap::fromImage(toQImage(*picture(id))));
}

void QtToolkit::setText(int window, int gadget, const std::string& text) {
    QWidget* w = gadgetWidget(window, gadget);
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(qs(text));
    else if (auto* button = qobject_cast<QPushButton*>(w))
        button->setText(qs(text));
    else if (w)
        w->setWindowTitle(qs(text));
}

std::string QtToolkit::text(int window, int gadget) const {
    QWidget* w = gadgetWidget(window, gadget);
    if (auto* label = qobject_cast<QLabel*>(w)) return ss(label->text());
    if (auto* button = qobject_cast<QPushButton*>(w)) return ss(button->text());
    return {};
}

void QtToolkit::setEnabled(int window, int gadget, bool enabled) {
    QWidget* w = gadgetWidget(window, gadget);
    if (!w) return;
    // Qt hands the focus of a gadget being disabled on to the next one (Scan's to
    // Save List); it comes back when the gadget is enabled again.
    if (!enabled && w->hasFocus()) disabledFocus_ = w;
    w->setEnabled(enabled);
    if (enabled && disabledFocus_ == w) {
        disabledFocus_ = nullptr;
        w->setFocus(Qt::OtherFocusReason);
    }
}

void QtToolkit::setFocus(int window, int gadget) {
    QWidget* w = gadgetWidget(window, gadget);
    if (!w) return;
    w->window()->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
}

QtToolkit::Table* QtToolkit::table(int window, int gadget) const {
    auto it = tables_.find({window, gadget});
    if (it == tables_.end() || !gadgetWidget(window, gadget)) return nullptr;
    return const_cast<Table*>(&it->second);
}

void QtToolkit::clearRows(int window, int gadget) { setRows(window, gadget, {}); }

void QtToolkit::appendRow(int window, int gadget, std::string_view rowText) {
    if (Table* t = table(window, gadget)) t->model->append(rowText);
}

void QtToolkit::setRows(int window, int gadget, RowTexts rows) {
    Table* t = table(window, gadget);
    if (!t) return;
    quiet_ = true;
    t->view->selectionModel()->clear();
    t->model->replace(std::move(rows));
    quiet_ = false;
}

std::size_t QtToolkit::rowCount(int window, int gadget) const {
    Table* t = table(window, gadget);
    return t ? t->model->size() : 0;
}

std::vector<std::size_t> QtToolkit::selectedRows(int window, int gadget) const {
    Table* t = table(window, gadget);
    if (!t) return {};
    std::vector<std::size_t> rows;
    for (const QItemSelectionRange& range : t->view->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(static_cast<std::size_t>(row));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void QtToolkit::flushTables() {
    quiet_ = true;
    for (auto& [key, t] : tables_)
        if (t.model) t.model->flush();
    quiet_ = false;
}

Event QtToolkit::pop() {
    if (queue_.empty()) return {};
    Event e = queue_.front();
    queue_.pop_front();
    return e;
}

Event QtToolkit::waitEvent() {
    flushTables();
    while (queue_.empty()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return pop();
}

Event QtToolkit::waitEvent(int milliseconds) {
    flushTables();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (queue_.empty() && milliseconds > 0) {
        bool expired = false;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&expired] { expired = true; });
        timer.start(milliseconds);
        while (queue_.empty() && !expired) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return pop();
}

void QtToolkit::sleep(int milliseconds) { QThread::msleep(static_cast<unsigned long>(std::max(milliseconds, 0))); }

void QtToolkit::keepPainted() {
    flushTables();
    dropInput_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    dropInput_ = false;
}

QWidget* QtToolkit::dialogParent() const {
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if (it->second) return it->second.data();
    return nullptr;
}

std::string QtToolkit::folderRequester(const std::string& title, const std::string& startFolder) {
    const QString chosen =
        QFileDialog::getExistingDirectory(dialogParent(), qs(title), qs(startFolder), QFileDialog::ShowDirsOnly);
    std::string path = ss(chosen);
    if (!path.empty() && path.back() != '/') path.push_back('/');
    return path;
}

std::string QtToolkit::saveFileRequester(const std::string& title, const std::string& proposedPath,
                                         const std::string& filter) {
    // The filter arrives as "name|pattern", the form the program keeps.
    const auto bar = filter.find('|');
    const QString qtFilter =
        bar == std::string::npos ? qs(filter) : qs(filter.substr(0, bar)) + " (" + qs(filter.substr(bar + 1)) + ")";
    return ss(QFileDialog::getSaveFileName(dialogParent(), qs(title), qs(proposedPath), qtFilter, nullptr,
                                           QFileDialog::DontConfirmOverwrite));
}

std::string QtToolkit::textRequester(const std::string& title, const std::string& message, const std::string& initial) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(dialogParent(), qs(title), qs(message), QLineEdit::Normal, qs(initial), &ok);
    return ok ? ss(answer) : std::string{};
}

}  // namespace pitbox::ui
