#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include "app/command_tables.h"
#include "app/file_commands.h"
#include "app/layout.h"
#include "app/menu_commands.h"
#include "app/startup.h"
#include "copy/copy_dialog.h"
#include "core/progress.h"
#include "core/rounding.h"
#include "edit/hex_input.h"
#include "edit/insert_window.h"
#include "edit/text_input.h"
#include "edit/text_pane.h"
#include "edit/value_input.h"
#include "patch/compare_commands.h"
#include "qt/designed_font.h"
#include "qt/key_map.h"
#include "qt/pane_widget.h"
#include "screen/style.h"
#include "script/dump_script_dialog.h"
#include "search/find_dialog.h"
#include "search/pointers_dialog.h"
#include "search/replace_dialog.h"
#include "search/hit_list_window.h"
#include "table/table_editor_window.h"
#include "view/cursor.h"
#include "view/jump_dialog.h"
#include "view/modes.h"
#include "view/pane_speech.h"

namespace tarpon {
namespace {

QRect toQRect(const Rect& r) {
    return QRect(static_cast<int>(roundHalfEven(r.left)), static_cast<int>(roundHalfEven(r.top)),
                 static_cast<int>(roundHalfEven(r.width)), static_cast<int>(roundHalfEven(r.height)));
}

// A label that reports clicks, as the mode captions need.
class ClickLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (onClick && rect().contains(event->position().toPoint())) onClick();
    }
};

// The paging buttons act on the press of any mouse button, not only the left one.
class PagingButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    std::function<void(int button, int shift)> onPress;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (onPress) onPress(mouseButtonsOf(event->button()), shiftStateOf(event->modifiers()));
        QPushButton::mousePressEvent(event);
    }
};

void styleLabel(QLabel* widget, const Label& label) {
    widget->setText(QString::fromLatin1(label.caption));
    // A caption in the system's colours on the window's own background takes the
    // theme's text colour with the theme's background, so a dark theme keeps it
    // legible; one on a strip of its own keeps the designed colours.
    if (!label.hasBackground && label.textColor == kSystemWindowText) {
        // The designed widths fit Arial as Windows draws it; a caption a few pixels
        // wider here ("Percentage:") runs on over the empty window instead of losing its end.
        widget->resize(std::max(widget->width(), widget->sizeHint().width()), widget->height());
        return;
    }
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, toQColor(label.textColor));
    palette.setColor(QPalette::Window, toQColor(label.background));
    widget->setPalette(palette);
    widget->setAutoFillBackground(label.hasBackground);
}

}  // namespace

MainWindow::MainWindow(const std::string& commandLinePath) : services_(*this), editor_(services_) {
    services_.setWindowFactory([this](WindowKind kind) { return createWindow(kind); });
    // The secondary windows are laid out in pixels for a small sans-serif font.
    QApplication::setFont(toQFont(kWindowDefault));
    setWindowTitle(QString::fromLatin1(editor_.v.title));
    setMinimumSize(kMinWidth, kMinHeight);
    setAcceptDrops(true);
    editor_.v.decimalSeparator = QLocale::system().decimalPoint().at(0).toLatin1();
    if (editor_.v.decimalSeparator == 0) editor_.v.decimalSeparator = '.';
    buildWidgets();
    UseDesignedFont(*central_);
    buildMenus();
    wireEvents();
    wireValuePanes();
    Form_Load(editor_, commandLinePath);
    Form_Resize(editor_, width(), height(), false);
    refresh();
    hex_->setFocus();
}

MainWindow::~MainWindow() {
    // The panes outlive the editor while the window is torn down; focus changes then must not reach it.
    for (auto& [widget, pane] : panes_) widget->onFocusIn = widget->onFocusOut = nullptr;
}

PaneWidget* MainWindow::addPane(const Pane& pane, const std::array<Mark, 2>* marks) {
    auto* widget = new PaneWidget(pane, marks, central_);
    panes_.emplace_back(widget, &pane);
    return widget;
}

QLabel* MainWindow::addLabel(const Label& label) {
    auto* widget = new ClickLabel(central_);
    widget->setFont(toQFont(label.font));
    labels_.emplace_back(widget, &label);
    return widget;
}

void MainWindow::buildWidgets() {
    central_ = new QWidget(this);
    setCentralWidget(central_);
    MainView& v = editor_.v;
    head_ = addPane(v.picHead, nullptr);
    offset_ = addPane(v.picOffset, nullptr);
    hex_ = addPane(v.picHex, &v.ShpHex);
    text_ = addPane(v.PicText, &v.ShpText);
    for (const Pane* p : {&v.picDec, &v.picOct, &v.picBinary, &v.picOffsetval, &v.picFilesize, &v.picPercent})
        addPane(*p, nullptr);
    hex_->setFocusPolicy(Qt::StrongFocus);
    text_->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(hex_, text_);
    offsetModeLabel_ = addLabel(v.lblOffSetMode);
    viewModeLabels_ = {addLabel(v.lblViewMode[0]), addLabel(v.lblViewMode[1])};
    for (const Label* l : {&v.lblDec, &v.lblOct, &v.lblBinary, &v.lblOffset, &v.lblFilesize, &v.lblpercent})
        addLabel(*l);
    for (size_t i = 0; i < pageButtons_.size(); ++i) {
        pageButtons_[i] = new PagingButton(QString::fromLatin1(v.cmdOff[i].caption), central_);
        pageButtons_[i]->setFocusPolicy(Qt::NoFocus);
    }
    scroll_ = new QScrollBar(Qt::Vertical, central_);
    scroll_->setFocusPolicy(Qt::NoFocus);
    for (QFrame** line : {&line1_, &lineBoarder_}) {
        *line = new QFrame(central_);
        (*line)->setFrameShape(QFrame::VLine);
        (*line)->setFrameShadow(QFrame::Plain);
    }
    // The header's captions and lines lie on top of the header strip.
    for (QWidget* w : {static_cast<QWidget*>(offsetModeLabel_), static_cast<QWidget*>(viewModeLabels_[0]),
                       static_cast<QWidget*>(viewModeLabels_[1]), static_cast<QWidget*>(line1_),
                       static_cast<QWidget*>(lineBoarder_)})
        w->raise();
}

void MainWindow::buildMenus() {
    for (size_t m = 0; m < editor_.v.menus.size(); ++m) {
        const Menu& menu = editor_.v.menus[m];
        QMenu* qmenu = menuBar()->addMenu(QString::fromLatin1(menu.caption));
        std::vector<QAction*> actions;
        for (size_t i = 0; i < menu.items.size(); ++i) {
            const MenuItem& item = menu.items[i];
            QAction* action = item.caption == "-" ? qmenu->addSeparator()
                                                  : qmenu->addAction(QString::fromLatin1(item.caption));
            if (!item.shortcut.empty())
                action->setShortcuts(QKeySequence::listFromString(QString::fromLatin1(item.shortcut)));
            action->setCheckable(item.checkable);
            const int mi = static_cast<int>(m), ii = static_cast<int>(i);
            connect(action, &QAction::triggered, this, [this, mi, ii] { runMenu(mi, ii); });
            actions.push_back(action);
        }
        menuActions_.push_back(actions);
    }
    leaveMenuBarWhenMenusClose(*menuBar());
}

void MainWindow::runMenu(int menu, int item) {
    runCatchingOutOfMemory(services_, [&] { RunMenuCommand(editor_, menu, item); });
    refresh();
}

void MainWindow::wirePanes() {
    Editor& ed = editor_;
    hex_->onFocusIn = [this, &ed] { PicHex_GotFocus(ed); refresh(); };
    hex_->onKeyDown = [this, &ed](int key, int shift) {
        bool command = true;
        runCatchingOutOfMemory(services_, [&] { command = PicHex_KeyDown(ed, key, shift); });
        refresh();
        return command;
    };
    hex_->onKeyPress = [this, &ed](int ch) { PicHex_KeyPress(ed, ch); refresh(); };
    hex_->onMouseDown = [this, &ed](int b, int shift, double x, double y) {
        PicHex_MouseDown(ed, b, shift, x, y);
        refresh();
    };
    hex_->onMouseMove = [this, &ed](int b, int shift, double x, double y) {
        PicHex_MouseMove(ed, b, shift, x, y);
        refresh();
    };
    for (PaneWidget* pane : {hex_, text_})
        pane->onWheel = [this, &ed](int notches, int shift) {
            Pane_MouseWheel(ed, notches, shift);
            refresh();
        };
    text_->onFocusIn = [this, &ed] { PicText_GotFocus(ed); refresh(); };
    text_->onKeyDown = [this, &ed](int key, int shift) {
        bool command = true;
        runCatchingOutOfMemory(services_, [&] { command = PicText_KeyDown(ed, key, shift); });
        refresh();
        return command;
    };
    text_->onMouseDown = [this, &ed](int b, int shift, double x, double y) {
        PicText_MouseDown(ed, b, shift, x, y);
        refresh();
    };
    text_->onMouseMove = [this, &ed](int b, int shift, double x, double y) {
        PicText_MouseMove(ed, b, shift, x, y);
        refresh();
    };
}

void MainWindow::wireEvents() {
    wirePanes();
    auto* offsetLabel = static_cast<ClickLabel*>(offsetModeLabel_);
    offsetLabel->onClick = [this] { lblOffSetMode_Click(editor_); refresh(); };
    for (int i = 0; i < 2; ++i)
        static_cast<ClickLabel*>(viewModeLabels_[static_cast<size_t>(i)])->onClick = [this, i] {
            SwitchViewMode(editor_, i);
            refresh();
        };
    for (int i = 0; i < 4; ++i)
        static_cast<PagingButton*>(pageButtons_[static_cast<size_t>(i)])->onPress = [this, i](int button, int shift) {
            cmdOff_MouseDown(editor_, i, button, shift);
            refresh();
        };
    text_->onKeyText = [this](const std::string& utf8) {
        runCatchingOutOfMemory(services_, [&] { PicText_TypeCharacter(editor_, utf8); });
        refresh();
    };
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (syncingScroll_) return;
        if (scroll_->isSliderDown()) editor_.v.VScroll.scrollTo(value);
        else editor_.v.VScroll.setValue(value);
        refresh();
    });
}

PaneWidget* MainWindow::widgetOf(const Pane& pane) const {
    for (const auto& [widget, p] : panes_)
        if (p == &pane) return widget;
    return nullptr;
}

// The decimal, octal and offset panes take the focus by click or Tab, after the hex
// and text panes; the binary pane takes clicks without the focus.
void MainWindow::wireValuePanes() {
    MainView& v = editor_.v;
    PaneWidget* dec = widgetOf(v.picDec);
    PaneWidget* oct = widgetOf(v.picOct);
    PaneWidget* offset = widgetOf(v.picOffsetval);
    for (PaneWidget* w : {dec, oct, offset}) w->setFocusPolicy(Qt::StrongFocus);
    dec->setAccessibleName("Decimal value");
    oct->setAccessibleName("Octal value");
    offset->setAccessibleName("Offset");
    setTabOrder(text_, dec);
    setTabOrder(dec, oct);
    setTabOrder(oct, offset);
    const auto run = [this](auto handler) {
        return [this, handler](auto... args) {
            handler(editor_, args...);
            refresh();
        };
    };
    widgetOf(v.picBinary)->onMouseDown = run(picBinary_MouseDown);
    // Alt with any key never types a digit.
    dec->onKeyDown = [run](int key, int shift) { run(picDec_KeyDown)(key, shift); return keyNeverTypes(key, shift); };
    dec->onKeyPress = run(picDec_KeyPress);
    dec->onFocusIn = run(picDec_GotFocus);
    dec->onFocusOut = run(picDec_LostFocus);
    oct->onKeyDown = [run](int key, int shift) { run(picOct_KeyDown)(key, shift); return keyNeverTypes(key, shift); };
    offset->onKeyDown = [](int key, int shift) { return keyNeverTypes(key, shift); };
    oct->onKeyPress = run(picOct_KeyPress);
    oct->onFocusIn = run(picOct_GotFocus);
    oct->onFocusOut = run(picOct_LostFocus);
    offset->onKeyPress = run(picOffsetval_KeyPress);
    offset->onFocusIn = run(picOffsetval_GotFocus);
    offset->onFocusOut = run(picOffsetval_LostFocus);
}

QWidget* MainWindow::createWindow(WindowKind kind) {
    const auto refreshMain = [this] { refresh(); };
    ModelessDialog* window = nullptr;
    switch (kind) {
    case WindowKind::Jump: window = new JumpDialog(editor_, refreshMain); break;
    case WindowKind::Find: {
        auto* find = new FindDialog(editor_, refreshMain);
        find->showHits = [this](HitList hits) { showHits(std::move(hits)); };
        window = find;
        break;
    }
    case WindowKind::HitList: {
        auto* list = new HitListWindow(editor_, refreshMain, this);
        list->makeTable = [this](const TableFill& fill) { tableFromHit(fill); };
        window = list;
        break;
    }
    case WindowKind::Copy: window = new CopyDialog(editor_, this); break;
    case WindowKind::TableEditor: window = new TableEditorWindow(editor_, refreshMain, this); break;
    case WindowKind::Insert: window = new InsertWindow(editor_, refreshMain); break;
    case WindowKind::Replace: window = new ReplaceDialog(editor_, refreshMain); break;
    case WindowKind::Pointers: window = new PointersDialog(editor_, refreshMain); break;
    case WindowKind::DumpScript: window = new DumpScriptDialog(editor_, loadCommandTables); break;
    }
    // The keyboard goes back to the pane that had it now, whatever took it meanwhile.
    const InputPane pane = editor_.s.view.focusPane;
    if (window) window->returnKeyboard = [this, pane] { giveKeyboardTo(pane); };
    return window;
}

void MainWindow::showHits(HitList hits) {
    services_.openWindow(WindowKind::HitList);
    if (auto* list = dynamic_cast<HitListWindow*>(services_.openedWindow(WindowKind::HitList)))
        list->setHits(std::move(hits));
}

// The table editor shows the filled table for review, and the text pane reads through it at once.
void MainWindow::tableFromHit(const TableFill& fill) {
    CommitTypedLetters(editor_);  // they were typed through the table as it is now
    services_.openWindow(WindowKind::TableEditor);
    if (auto* table = dynamic_cast<TableEditorWindow*>(services_.openedWindow(WindowKind::TableEditor)))
        table->fill(fill);
    SwitchViewMode(editor_, 1);
    refresh();
}

PaneWidget* MainWindow::inputPaneWidget(InputPane pane) const {
    switch (pane) {
    case InputPane::Text: return text_;
    case InputPane::Dec: return widgetOf(editor_.v.picDec);
    case InputPane::Oct: return widgetOf(editor_.v.picOct);
    case InputPane::Offset: return widgetOf(editor_.v.picOffsetval);
    default: return hex_;
    }
}

void MainWindow::giveKeyboardTo(InputPane pane) {
    if (!isVisible()) return;
    activateWindow();
    inputPaneWidget(pane)->setFocus(Qt::OtherFocusReason);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize(editor_, width(), height(), isMinimized());
    refresh();
}

// A file dragged from a file manager: one local file opens as Open opens it.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    OpenDroppedFile(editor_, urls.first().toLocalFile().toLocal8Bit().toStdString());
    refresh();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (services_.runningLongWork()) {  // the work reads the document: it ends, or is cancelled, first
        event->ignore();
        return;
    }
    if (!Form_QueryUnload(editor_)) {
        event->ignore();
        refresh();
        return;
    }
    services_.closeWindows();
    Form_Unload(editor_);
    event->accept();
}

void MainWindow::syncGeometry() {
    const MainView& v = editor_.v;
    for (auto& [widget, pane] : panes_) widget->setGeometry(toQRect(pane->geom));
    for (auto& [widget, label] : labels_) {
        widget->setGeometry(toQRect(label->geom));
        styleLabel(widget, *label);
    }
    for (size_t i = 0; i < pageButtons_.size(); ++i) pageButtons_[i]->setGeometry(toQRect(v.cmdOff[i].geom));
    scroll_->setGeometry(toQRect(v.vscrollGeom));
    line1_->setGeometry(static_cast<int>(v.Line1.x), static_cast<int>(v.Line1.y1), 1,
                        static_cast<int>(v.Line1.y2 - v.Line1.y1 + 1));
    lineBoarder_->setGeometry(static_cast<int>(v.lineBoarder.x), static_cast<int>(v.lineBoarder.y1), 1,
                              static_cast<int>(v.lineBoarder.y2 - v.lineBoarder.y1 + 1));
}

void MainWindow::syncScrollBar() {
    const ScrollBar& model = editor_.v.VScroll;
    syncingScroll_ = true;
    scroll_->setRange(model.min(), model.max());
    scroll_->setSingleStep(model.smallStep());
    scroll_->setPageStep(std::min(32767, model.smallStep() * 16));
    scroll_->setValue(model.value());
    syncingScroll_ = false;
}

void MainWindow::refresh() {
    RefreshComparison(editor_);
    RefreshEditMenu(editor_);
    RefreshFileMenu(editor_);
    const std::string& status = editor_.v.titleStatus;
    const QString title = QString::fromLatin1(editor_.v.title) + (status.empty() ? QString() : " - " + QString::fromUtf8(status));
    if (windowTitle() != title) setWindowTitle(title);
    syncGeometry();
    syncScrollBar();
    for (auto& [widget, pane] : panes_) widget->refresh();
    sayWhereTheCursorIs();
    for (size_t m = 0; m < menuActions_.size(); ++m)
        for (size_t i = 0; i < menuActions_[m].size(); ++i) {
            const MenuItem& item = editor_.v.menus[m].items[i];
            menuActions_[m][i]->setEnabled(item.enabled);
            menuActions_[m][i]->setChecked(item.checked);
        }
}

// The panes' names follow the cursor, for a screen reader; the text pane's tooltip
// holds the whole letter under the cursor, which its cell may show only in part.
void MainWindow::sayWhereTheCursorIs() {
    const QString hexSays = QString::fromStdString(hexPaneSpeech(editor_.s));
    if (hex_->accessibleName() != hexSays) hex_->setAccessibleName(hexSays);
    const QString textSays = QString::fromStdString(textPaneSpeech(editor_.s));
    if (text_->accessibleName() != textSays) text_->setAccessibleName(textSays);
    const QString letter = QString::fromStdString(letterUnderCursor(editor_.s));
    if (text_->toolTip() != letter) text_->setToolTip(letter);
}

}  // namespace tarpon
