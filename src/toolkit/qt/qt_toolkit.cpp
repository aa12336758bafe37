#include "toolkit/qt/qt_toolkit.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFont>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <cmath>

#include "toolkit/qt/file_urls.h"
#include "toolkit/qt/row_table_model.h"
#include "toolkit/qt/track_table_view.h"

namespace pitbox::ui {
namespace {

// A top-level window whose close box only reports a close request.
class ToolkitWindow : public QWidget {
public:
    ToolkitWindow(QtToolkit& tk, int number, QWidget* owner, bool reportsKeys, bool takesDrops)
        : QWidget(owner, Qt::Window), tk_(tk), number_(number), reportsKeys_(reportsKeys) {
        setAcceptDrops(takesDrops);
    }

protected:
    // Local files from another program, taken as copies. Rows dragged out of
    // our own table are not dropped back on us.
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->source() || !(e->possibleActions() & Qt::CopyAction) || localPathsOf(e->mimeData()->urls()).empty())
            return;
        e->setDropAction(Qt::CopyAction);
        e->accept();
    }
    void dragMoveEvent(QDragMoveEvent* e) override {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    }
    void dropEvent(QDropEvent* e) override {
        std::vector<std::string> paths = localPathsOf(e->mimeData()->urls());
        if (paths.empty()) return;
        e->setDropAction(Qt::CopyAction);
        e->accept();
        Event drop{EventKind::Drop, number_};
        drop.paths = std::move(paths);
        tk_.post(std::move(drop));
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        tk_.post({EventKind::CloseRequest, number_, -1});
    }
    // The keys the field and the table left to the window, by the core's rules.
    void keyPressEvent(QKeyEvent* e) override {
        KeyPress press;
        press.key = keyOf(e->key());
        press.plain = e->modifiers() == Qt::NoModifier;
        press.ownedWindow = parentWidget() != nullptr;
        press.windowReportsKeys = reportsKeys_;
        press.inTable = qobject_cast<QTableView*>(focusWidget()) != nullptr;
        switch (keyAction(press)) {
            case KeyAction::Close: tk_.post({EventKind::CloseRequest, number_, -1}); break;
            case KeyAction::Report: tk_.post({EventKind::Key, number_, -1, -1, press.key}); break;
            default: QWidget::keyPressEvent(e);
        }
    }
    static Key keyOf(int qtKey) {
        switch (qtKey) {
            case Qt::Key_Up: return Key::Up;
            case Qt::Key_Down: return Key::Down;
            case Qt::Key_Left: return Key::Left;
            case Qt::Key_Right: return Key::Right;
            case Qt::Key_PageUp: return Key::PageUp;
            case Qt::Key_PageDown: return Key::PageDown;
            case Qt::Key_Escape: return Key::Escape;
            case Qt::Key_Delete: return Key::Delete;
            default: return Key::None;
        }
    }
    void resizeEvent(QResizeEvent* e) override {
        tk_.windowResized(number_, e->size().width(), e->size().height());
        QWidget::resizeEvent(e);
    }

private:
    QtToolkit& tk_;
    int number_;
    bool reportsKeys_;
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

// The filter field: Escape clears it (in an empty field it is the window's
// key, which stops work), Down moves on into the table.
class FilterField : public QLineEdit {
public:
    FilterField(QtToolkit& tk, int window, int downTo, QWidget* parent)
        : QLineEdit(parent), tk_(tk), window_(window), downTo_(downTo) {}

protected:
    void keyPressEvent(QKeyEvent* e) override {
        KeyPress press;
        press.key = e->key() == Qt::Key_Escape ? Key::Escape : e->key() == Qt::Key_Down ? Key::Down : Key::None;
        press.plain = e->modifiers() == Qt::NoModifier;
        press.inField = true;
        press.fieldHasText = !text().isEmpty();
        switch (keyAction(press)) {
            case KeyAction::ClearField: clear(); break;
            case KeyAction::FocusBelow:
                if (QWidget* next = tk_.gadgetWidget(window_, downTo_)) next->setFocus(Qt::TabFocusReason);
                break;
            case KeyAction::Native: QLineEdit::keyPressEvent(e); return;
            default: e->ignore(); return;  // on to the window, whose key it is
        }
        e->accept();
    }

private:
    QtToolkit& tk_;
    int window_, downTo_;
};

// A column whose long texts are cut in the middle, keeping their ends.
class MiddleElided : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideMiddle;
    }
};

// A picture keeps its pixels on a scaled screen: shown at the largest
// whole-number scale at or below the screen's, centred in its gadget.
QPixmap pixelExact(const QImage& image, const QWidget* shownIn) {
    QPixmap pixmap = QPixmap::fromImage(image);
    const qreal ratio = shownIn->devicePixelRatioF();
    const qreal scale = std::max<qreal>(1, std::floor(ratio + 1e-6));
    pixmap.setDevicePixelRatio(ratio / scale);
    return pixmap;
}

QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string ss(const QString& s) { return s.toUtf8().toStdString(); }

}  // namespace

QtToolkit::~QtToolkit() {
    for (int n : openWindows()) closeWindow(n);
}

QTableView* QtToolkit::tableView(int window, int gadget) const {
    return qobject_cast<QTableView*>(gadgetWidget(window, gadget));
}

void QtToolkit::openWindow(const WindowSpec& layout) {
    closeWindow(layout.number);
    QWidget* owner = windowWidget(layout.owner);
    auto* w = new ToolkitWindow(*this, layout.number, owner, layout.reportsKeys, layout.takesDrops);
    // An owned window is a dialog to the window manager: marked as belonging to
    // its owner (WM_TRANSIENT_FOR), it stays above it.
    Qt::WindowFlags flags = (owner ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    flags |= layout.resizable ? Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint
                              : Qt::MSWindowsFixedSizeDialogHint;
    w->setWindowFlags(flags);
    w->setWindowTitle(qs(layout.title));
    // Registered before its size is set, so that the first resize lays out nothing.
    registerWindow(layout, w);
    if (layout.resizable) {
        w->setMinimumSize(layout.minClientWidth, layout.minClientHeight);
        w->resize(layout.clientWidth, layout.clientHeight);
    } else {
        w->setFixedSize(layout.clientWidth, layout.clientHeight);
    }
    if (!QApplication::windowIcon().isNull()) w->setWindowIcon(QApplication::windowIcon());
    // A place whose title bar lies off every screen (a monitor since
    // unplugged) is not taken: beside the owner instead.
    const bool offScreen = !QGuiApplication::screenAt(QPoint(layout.x + layout.clientWidth / 2, layout.y + 10));
    if ((layout.centreOnOwner || layout.besideOwner || offScreen) && owner) {
        WindowSpec beside = layout;
        beside.besideOwner = beside.besideOwner || offScreen;
        const QRect o = owner->frameGeometry();
        const QRect screen = owner->screen() ? owner->screen()->availableGeometry() : QRect();
        // Not shown yet, the window has no frame: it will have one like its owner's.
        const QSize frame = o.size() - owner->size();
        const auto [x, y] =
            ownedPlace(beside, {o.x(), o.y(), o.width(), o.height()}, layout.clientWidth + frame.width(),
                       layout.clientHeight + frame.height(), {screen.x(), screen.y(), screen.width(), screen.height()});
        w->move(x, y);
    } else {
        w->move(layout.x, layout.y);
    }
    w->show();
    w->raise();
    w->activateWindow();
}

bool QtToolkit::shiftHeld() const { return QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier); }

void QtToolkit::setTitle(int window, const std::string& title) {
    if (QWidget* w = windowWidget(window)) w->setWindowTitle(qs(title));
}

void QtToolkit::raiseWindow(int window) {
    QWidget* w = windowWidget(window);
    if (!w) return;
    if (w->isMinimized()) w->showNormal();
    w->raise();
    w->activateWindow();
}

WindowPlace QtToolkit::windowPlace(int window) const {
    const QWidget* w = windowWidget(window);
    if (!w) return {};
    // A maximised window gives the place it returns to.
    const QRect normal = w->isMaximized() ? w->normalGeometry() : w->geometry();
    const QPoint corner = w->isMaximized() ? normal.topLeft() - (w->geometry().topLeft() - w->pos()) : w->pos();
    return {corner.x(), corner.y(), normal.width(), normal.height(), w->isMaximized()};
}

void QtToolkit::placeWindow(int window, const WindowPlace& place) {
    QWidget* w = windowWidget(window);
    if (!w || place.width <= 0 || place.height <= 0) return;
    // The title bar must lie on a screen, or the window could not be moved back.
    if (!QGuiApplication::screenAt(QPoint(place.x + place.width / 2, place.y + 10))) return;
    w->resize(std::max(place.width, w->minimumWidth()), std::max(place.height, w->minimumHeight()));
    w->move(place.x, place.y);
    if (place.maximised) w->showMaximized();
}

std::vector<int> QtToolkit::columnWidths(int window, int gadget) const {
    std::vector<int> widths;
    if (const QTableView* view = tableView(window, gadget))
        for (int c = 0; c < view->model()->columnCount(); ++c) widths.push_back(view->columnWidth(c));
    if (const GadgetRecord* g = gadgetRecord(window, gadget)) reportGivenLastWidth(*g, widths);
    return widths;
}

void QtToolkit::setColumnWidths(int window, int gadget, const std::vector<int>& widths) {
    QTableView* view = tableView(window, gadget);
    if (!view) return;
    const int columns = std::min(static_cast<int>(widths.size()), view->model()->columnCount());
    for (int c = 0; c < columns; ++c)
        if (widths[static_cast<std::size_t>(c)] > 0) view->setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    fitLastColumn(window, gadget);
}

void QtToolkit::windowResized(int window, int width, int height) {
    relayout(window, width, height,
             [](void* handle, Rect r) { static_cast<QWidget*>(handle)->setGeometry(r.x, r.y, r.width, r.height); });
}

void QtToolkit::closeWindow(int window) {
    // Owned windows are Qt children of their owner: they go first, by name.
    for (int owned : ownedBy(window)) closeWindow(owned);
    auto* w = static_cast<QWidget*>(forgetWindow(window));
    if (!w) return;
    QWidget* owner = w->parentWidget();
    delete w;
    if (owner) owner->activateWindow();
}

QWidget* QtToolkit::place(int window, int gadget, QWidget* w, Rect r) {
    w->setGeometry(r.x, r.y, r.width, r.height);
    w->setObjectName(QStringLiteral("gadget-%1").arg(gadget));
    w->show();
    registerGadget(window, gadget, w, r);
    return w;
}

void QtToolkit::addTable(int window, int gadget, Rect r, const std::vector<Column>& columns) {
    QWidget* parent = windowWidget(window);
    if (!parent) return;
    auto* view = new TrackTableView(parent);
    auto* model = new RowTableModel(columns, view);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setFrameShadow(QFrame::Sunken);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);  // Tab moves on to the buttons, not across cells
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    QHeaderView* header = view->horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->setTextElideMode(Qt::ElideRight);
    // Each keystroke in the filter box paints rows of texts not shown before:
    // shaping them, for Latin texts a cosmetic step only, was most of it.
    QFont font = view->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    view->setFont(font);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        view->setColumnWidth(static_cast<int>(c), columns[c].width);
        if (columns[c].elideMiddle) view->setItemDelegateForColumn(static_cast<int>(c), new MiddleElided(view));
    }
    header->setStretchLastSection(false);
    auto report = [this, window, gadget] {
        if (!quiet_) post({EventKind::Gadget, window, gadget});
    };
    view->onUserChange = report;
    QObject::connect(view, &QAbstractItemView::doubleClicked, view, report);
    QObject::connect(header, &QHeaderView::sectionClicked, view, [this, window, gadget](int column) {
        post({EventKind::HeaderClick, window, gadget, column});
    });
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, view, report);
    place(window, gadget, view, r);
    if (GadgetRecord* g = gadgetRecord(window, gadget); g && !columns.empty())
        g->lastColumnWidth = columns.back().width;
    // The last column's own width is the one the user or the program gives it;
    // the others' and the view's change what it fills.
    QObject::connect(header, &QHeaderView::sectionResized, view,
                     [this, window, gadget, header](int column, int, int size) {
                         GadgetRecord* g = gadgetRecord(window, gadget);
                         if (g && takeColumnWidth(*g, column, header->count(), size)) fitLastColumn(window, gadget);
                     });
    view->onResized = [this, window, gadget] { fitLastColumn(window, gadget); };
    fitLastColumn(window, gadget);
}

void QtToolkit::fitLastColumn(int window, int gadget) {
    GadgetRecord* g = gadgetRecord(window, gadget);
    QTableView* view = tableView(window, gadget);
    const int last = view ? view->horizontalHeader()->count() - 1 : -1;
    if (!g || last < 0) return;
    int room = view->viewport()->width();
    for (int c = 0; c < last; ++c) room -= view->columnWidth(c);
    stretchLastColumn(*g, g->lastColumnWidth, room, view->columnWidth(last),
                      [&](int width) { view->setColumnWidth(last, width); });
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

void QtToolkit::placeButton(int window, int gadget, QAbstractButton* button, Rect r) {
    button->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(button, &QAbstractButton::clicked, button, [this, window, gadget] {
        post({EventKind::Gadget, window, gadget});
    });
    place(window, gadget, button, r);
}

void QtToolkit::addTextButton(int window, int gadget, Rect r, const std::string& caption) {
    if (QWidget* parent = windowWidget(window)) placeButton(window, gadget, new QPushButton(qs(caption), parent), r);
}

void QtToolkit::addCheckBox(int window, int gadget, Rect r, const std::string& caption) {
    if (QWidget* parent = windowWidget(window)) placeButton(window, gadget, new QCheckBox(qs(caption), parent), r);
}

void QtToolkit::setChecked(int window, int gadget, bool checked) {
    if (auto* box = qobject_cast<QCheckBox*>(gadgetWidget(window, gadget))) box->setChecked(checked);
}

bool QtToolkit::isChecked(int window, int gadget) const {
    const auto* box = qobject_cast<QCheckBox*>(gadgetWidget(window, gadget));
    return box != nullptr && box->isChecked();
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
    image->setAlignment(Qt::AlignCenter);
    if (const Picture* p = picture(pictureId)) image->setPixmap(pixelExact(toQImage(*p), parent));
    place(window, gadget, image, r);
    if (GadgetRecord* g = gadgetRecord(window, gadget)) g->picture = pictureId;
}

void QtToolkit::addTextField(int window, int gadget, Rect r, int downTo, const std::string& hint) {
    QWidget* parent = windowWidget(window);
    if (!parent) return;
    auto* field = new FilterField(*this, window, downTo, parent);
    field->setClearButtonEnabled(true);
    field->setPlaceholderText(qs(hint));
    QObject::connect(field, &QLineEdit::textChanged, field, [this, window, gadget] {
        if (!quiet_) post({EventKind::Gadget, window, gadget});
    });
    auto* find = new QShortcut(QKeySequence::Find, parent);
    QObject::connect(find, &QShortcut::activated, field, [field] {
        field->setFocus(Qt::ShortcutFocusReason);
        field->selectAll();
    });
    place(window, gadget, field, r);
}

void QtToolkit::addProgressBar(int window, int gadget, Rect r) {
    QWidget* parent = windowWidget(window);
    if (!parent) return;
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(false);
    bar->setFocusPolicy(Qt::NoFocus);
    place(window, gadget, bar, r);
    bar->hide();
}

void QtToolkit::setButtonPicture(int window, int gadget, int pictureId) {
    auto* button = qobject_cast<QPushButton*>(gadgetWidget(window, gadget));
    const Picture* p = picture(pictureId);
    if (!button || !p) return;
    button->setIcon(QPixmap::fromImage(toQImage(*p)));
    button->setIconSize(QSize(p->width(), p->height()));
}

void QtToolkit::showProgress(int window, int gadget, std::size_t done, std::size_t total) {
    auto* bar = qobject_cast<QProgressBar*>(gadgetWidget(window, gadget));
    if (!bar) return;
    // A range of 0 to 0 is Qt's busy bar.
    const ProgressSteps steps = progressSteps(done, total);
    bar->setRange(0, steps.range);
    bar->setValue(steps.position);
    bar->show();
}

void QtToolkit::hideProgress(int window, int gadget) {
    if (QWidget* bar = gadgetWidget(window, gadget)) bar->hide();
}

void QtToolkit::pictureChanged(int id) {
    for (void* handle : imagesShowing(id))
        if (auto* label = qobject_cast<QLabel*>(static_cast<QWidget*>(handle)))
            label->setPixmap(pixelExact(toQImage(*picture(id)), label));
}

void QtToolkit::setText(int window, int gadget, const std::string& text) {
    QWidget* w = gadgetWidget(window, gadget);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(qs(text));
    } else if (auto* field = qobject_cast<QLineEdit*>(w)) {
        quiet_ = true;
        field->setText(qs(text));
        quiet_ = false;
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        button->setText(qs(text));
    } else if (w) {
        w->setWindowTitle(qs(text));
    }
}

std::string QtToolkit::text(int window, int gadget) const {
    QWidget* w = gadgetWidget(window, gadget);
    if (auto* label = qobject_cast<QLabel*>(w)) return ss(label->text());
    if (auto* field = qobject_cast<QLineEdit*>(w)) return ss(field->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return ss(button->text());
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

void QtToolkit::setTableRows(int window, int gadget, TableRows* rows) {
    QTableView* view = tableView(window, gadget);
    if (!view) return;
    setRowsOf(window, gadget, rows);
    quiet_ = true;
    static_cast<RowTableModel*>(view->model())->setRows(rows);
    static_cast<TrackTableView*>(view)->rowsReset();
    quiet_ = false;
}

void QtToolkit::refreshTable(int window, int gadget) {
    if (QTableView* view = tableView(window, gadget)) static_cast<RowTableModel*>(view->model())->contentChanged();
}

void QtToolkit::showTableSelection(int window, int gadget, std::size_t focus) {
    if (auto* view = static_cast<TrackTableView*>(tableView(window, gadget))) {
        quiet_ = true;
        view->showSelection(focus);
        quiet_ = false;
    }
}

void QtToolkit::setSortIndicator(int window, int gadget, int column, bool ascending) {
    QTableView* view = tableView(window, gadget);
    if (!view) return;
    view->horizontalHeader()->setSortIndicatorShown(column >= 0);
    view->horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void QtToolkit::wake() {
    QMetaObject::invokeMethod(
        &wakeTarget_, [this] { post({EventKind::Wake}); }, Qt::QueuedConnection);
}

Event QtToolkit::waitEvent() {
    while (!hasEvent()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return pop();
}

Event QtToolkit::waitEvent(int milliseconds) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (!hasEvent() && milliseconds > 0) {
        bool expired = false;
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&expired] { expired = true; });
        timer.start(milliseconds);
        while (!hasEvent() && !expired) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return pop();
}

void QtToolkit::sleep(int milliseconds) { QThread::msleep(static_cast<unsigned long>(std::max(milliseconds, 0))); }

QWidget* QtToolkit::dialogParent() const {
    if (QWidget* active = QApplication::activeWindow()) return active;
    const std::vector<int> open = openWindows();
    return open.empty() ? nullptr : windowWidget(open.back());
}

std::string QtToolkit::folderRequester(const std::string& title, const std::string& startFolder) {
    const QString chosen =
        QFileDialog::getExistingDirectory(dialogParent(), qs(title), qs(startFolder), QFileDialog::ShowDirsOnly);
    std::string path = ss(chosen);
    if (!path.empty() && path.back() != '/') path.push_back('/');
    return path;
}

SaveAnswer QtToolkit::saveFileRequester(const std::string& title, const std::string& proposedPath,
                                        const std::vector<FileFilter>& types) {
    QStringList filters;
    for (const FileFilter& f : types) filters << qs(f.name) + " (" + qs(f.pattern) + ")";
    QString chosen;
    SaveAnswer answer;
    answer.path =
        ss(QFileDialog::getSaveFileName(dialogParent(), qs(title), qs(proposedPath), filters.join(";;"), &chosen));
    answer.type = static_cast<std::size_t>(std::max<qsizetype>(0, filters.indexOf(chosen)));
    return answer;
}

std::string QtToolkit::textRequester(const std::string& title, const std::string& message, const std::string& initial) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(dialogParent(), qs(title), qs(message), QLineEdit::Normal, qs(initial), &ok);
    return ok ? ss(answer) : std::string{};
}

bool QtToolkit::questionRequester(const std::string& title, const std::string& question, const std::string& action) {
    QMessageBox box(QMessageBox::Question, qs(title), qs(question), QMessageBox::NoButton, dialogParent());
    QPushButton* yes = box.addButton(qs(action), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace pitbox::ui
