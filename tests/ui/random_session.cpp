// A long random session in the real main window and every window it opens: keys of every kind, clicks and
// drags across the windows, menu commands, wheel turns, resizes, Undo and Redo, saves, and the questions and
// choosers these bring up, answered at random. At the end the document is saved, and the file must then hold
// what the editor holds; undoing every step must give back the file the session started from, and redoing
// as many the saved one.
//
// Seeded and bounded: TARPON_SESSION_SEEDS ("1 2 3") picks the sessions, each of at most
// TARPON_SESSION_STEPS steps and TARPON_SESSION_SECONDS seconds; TARPON_SESSION_LOG=1 prints every step, so
// that a failing seed can be followed step by step. The same seed always makes the same steps.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>
#include <string_view>

#include "app/file_commands.h"
#include "app/main_window.h"
#include "app/menu_commands.h"
#include "qt/pane_widget.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

long envNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

std::vector<uint32_t> sessionSeeds() {
    const char* text = std::getenv("TARPON_SESSION_SEEDS");
    std::istringstream in(text && *text ? text : "1");
    std::vector<uint32_t> seeds;
    for (uint32_t seed = 0; in >> seed;) seeds.push_back(seed);
    return seeds;
}

const Qt::Key kMoves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,   Qt::Key_Down,
                          Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
const Qt::Key kEditing[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Insert, Qt::Key_Tab,  Qt::Key_Backtab,
                            Qt::Key_Return,    Qt::Key_Enter,  Qt::Key_Escape, Qt::Key_Space};
const Qt::Key kFunctions[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3, Qt::Key_F4,  Qt::Key_F5,  Qt::Key_F6,
                              Qt::Key_F7, Qt::Key_F8, Qt::Key_F9, Qt::Key_F10, Qt::Key_F11, Qt::Key_F12};
// Ctrl with these: Undo, Redo, Save, Save As, Open, Multi Letters, and keys no command has. Ctrl+E (Exit)
// is left out: the session ends by itself.
const char kControlLetters[] = "ZYSAODCVXFB";
// What the fields of the windows mostly take: digits, hex letters, radix prefixes, signs and text.
const char kFieldText[] = "0123456789abcdefABCDEF&hHoO+-. xyzXYZ";
const Qt::KeyboardModifiers kModifiers[] = {Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
                                            Qt::ControlModifier, Qt::ShiftModifier | Qt::ControlModifier,
                                            Qt::AltModifier};

class Session {
public:
    Session(uint32_t seed, const test::TempDir& dir) : seed_(seed), rng_(seed), answerRng_(~seed), dir_(dir) {
        original_ = randomBytes();
        test::writeBytes(docPath(), original_);
        test::writeBytes(dir_.file("letters.tbl"), tableText());
    }

    std::string docPath() const { return dir_.file("doc.bin"); }
    const Bytes& original() const { return original_; }
    const std::vector<std::string>& findings() const { return findings_; }
    int stepsDone() const { return steps_; }
    uint64_t changesMade() const { return changesMade_; }

    // Runs the random steps in `window`; false when an invariant broke (the finding says which).
    bool run(MainWindow& window, long maxSteps, std::chrono::steady_clock::time_point deadline) {
        window_ = &window;
        // Exit would end the session early; the close box is never clicked either.
        window.editor().v.menus[kMenuFile].items[kFileExit].enabled = false;
        window.refresh();
        answerModals();
        for (steps_ = 0; steps_ < maxSteps && std::chrono::steady_clock::now() < deadline; ++steps_) {
            step();
            // Back in the event loop, as after every event: windows closed meanwhile are deleted there.
            QApplication::processEvents();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (!invariantsHold()) return false;
            changesMade_ = std::max(changesMade_, window.editor().s.doc.history.stateId());
        }
        return true;
    }

    // Closes popups and windows, so that the last checks run in the main window alone.
    void settle() {
        for (int i = 0; i < 10 && QApplication::activePopupWidget(); ++i)
            QApplication::activePopupWidget()->close();
        dynamic_cast<QtServices&>(window_->editor().services).closeWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    void stop() { answering_ = false; }

    QAction* menuAction(int menu, int item) const {
        return window_->menuBar()->actions()[menu]->menu()->actions()[item];
    }

private:
    int pick(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
    bool chance(int percent) { return pick(100) < percent; }
    template <typename T, size_t N>
    const T& any(const T (&items)[N]) { return items[pick(static_cast<int>(N))]; }
    char anyOf(std::string_view letters) { return letters[static_cast<size_t>(pick(static_cast<int>(letters.size())))]; }

    void note(const std::string& what) {
        if (envNumber("TARPON_SESSION_LOG", 0) != 0) std::fprintf(stderr, "seed %u step %d: %s\n", seed_, steps_, what.c_str());
    }

    Bytes randomBytes() {
        const int size = chance(10) ? 70000 + pick(5000) : pick(4000);
        Bytes bytes(static_cast<size_t>(size));
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(chance(50) ? 'a' + pick(26) : pick(256));
        return bytes;
    }

    // Letters a to z for bytes 0x61.. shifted by the seed, a two-letter entry, and
    // keys of two and three bytes, an end token and a linked entry with a parameter byte.
    std::vector<uint8_t> tableText() {
        std::string text;
        static constexpr char kHex[] = "0123456789ABCDEF";
        const int first = 0x40 + pick(32);
        for (int i = 0; i < 26; ++i) {
            const int byte = first + i;
            text += std::string{kHex[byte >> 4], kHex[byte & 15]} + "=" + static_cast<char>('a' + i) + "\r\n";
        }
        text += "20=th\r\n8140=<k>\r\n6162=<ab>\r\nE0E1E2=<ctl>\r\n/00=<end>\r\n$C9=<p>,1\r\n";
        return {text.begin(), text.end()};
    }

    void step() {
        const int kind = pick(100);
        if (QApplication::activePopupWidget() && chance(40)) return popupStep();
        if (kind < 35) return keyStep();
        if (kind < 45) return paneTypingStep();
        if (kind < 65) return mouseStep();
        if (kind < 75) return menuStep();
        if (kind < 79) return undoRedoBurst();
        if (kind < 83) return wheelStep();
        if (kind < 85) return resizeStep();
        if (kind < 88) return openWindowStep();
        if (kind < 97) return closeWindowStep();
        note("Ctrl+S");
        QTest::keyClick(keyTarget(), Qt::Key_S, Qt::ControlModifier);
    }

    // A few letters typed into one of the main window's panes that take typing, when it is not disabled.
    void paneTypingStep() {
        if (!window_->isEnabled()) return;
        const EditorState& s = window_->editor().s;
        const Pane* panes[] = {&window_->editor().v.picHex, &window_->editor().v.PicText, &window_->editor().v.picDec,
                               &window_->editor().v.picOct, &window_->editor().v.picOffsetval};
        QPointer<QWidget> pane = window_->paneWidget(*any(panes));
        activate(window_);
        pane->setFocus();
        const int count = 1 + pick(12);
        note("type " + std::to_string(count) + " letters into a pane at " + std::to_string(s.cursor()));
        for (int i = 0; i < count && pane; ++i) typeLetter(pane, QChar(anyOf(kFieldText)));
        if (chance(30) && pane) QTest::keyClick(pane, Qt::Key_Return);
    }

    // The widget a key press goes to: an open menu, else the one with the keyboard. When no window has
    // the keyboard the user clicks one first, as the window system would not type into nowhere.
    QWidget* keyTarget() {
        if (QWidget* popup = QApplication::activePopupWidget()) return popup;
        if (!QApplication::activeWindow()) activate(anyTopWindow());
        if (QWidget* focus = QApplication::focusWidget()) return focus;
        if (QWidget* active = QApplication::activeWindow()) return active;
        return window_->hexPane();
    }

    static void activate(QWidget* top) {
        top->activateWindow();
        QApplication::processEvents();
    }

    // A key that types one Latin-1 letter (Qt's key codes for them are their code points).
    static void typeLetter(QWidget* target, QChar c) {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent key(type, c.toUpper().unicode(), Qt::NoModifier, QString(c));
            if (target) QApplication::sendEvent(target, &key);
        }
    }

    void keyStep() {
        QPointer<QWidget> target = keyTarget();
        const int kind = pick(100);
        if (kind < 35) {
            // Text: mostly what fields take, sometimes any Latin-1 letter.
            const QChar c = chance(70) ? QChar(anyOf(kFieldText)) : QChar(static_cast<ushort>(0xA0 + pick(96)));
            note(std::string("type ") + QString(c).toStdString());
            typeLetter(target, c);
        } else if (kind < 65) {
            note("move key");
            QTest::keyClick(target, any(kMoves), any(kModifiers));
        } else if (kind < 80) {
            note("editing key");
            QTest::keyClick(target, any(kEditing), chance(80) ? Qt::NoModifier : any(kModifiers));
        } else if (kind < 88) {
            note("function key");
            QTest::keyClick(target, any(kFunctions), chance(85) ? Qt::NoModifier : any(kModifiers));
        } else {
            const char letter = anyOf(kControlLetters);
            note(std::string("Ctrl+") + letter);
            const Qt::KeyboardModifiers shift = chance(20) ? Qt::ShiftModifier : Qt::NoModifier;
            QTest::keyClick(target, static_cast<Qt::Key>(Qt::Key_A + (letter - 'A')), Qt::ControlModifier | shift);
        }
    }

    // The main window or one of the windows it opened, at random.
    QWidget* anyTopWindow() {
        std::vector<QWidget*> windows{window_};
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w != window_ && !qobject_cast<QMenu*>(w)) windows.push_back(w);
        return windows[static_cast<size_t>(pick(static_cast<int>(windows.size())))];
    }

    void mouseStep() {
        QWidget* top = anyTopWindow();
        activate(top);  // a click brings its window to the front
        const QPoint at(pick(std::max(top->width(), 1)), pick(std::max(top->height(), 1)));
        QPointer<QWidget> w = top->childAt(at) ? top->childAt(at) : top;
        const QPoint local = w->mapFrom(top, at);
        const Qt::MouseButton button = chance(80) ? Qt::LeftButton : chance(70) ? Qt::RightButton : Qt::MiddleButton;
        const Qt::KeyboardModifiers modifiers = chance(75) ? Qt::NoModifier : any(kModifiers);
        const int kind = pick(100);
        note(std::string("mouse on ") + w->metaObject()->className() + " at " + std::to_string(local.x()) + "," +
             std::to_string(local.y()));
        if (kind < 70) {
            QTest::mouseClick(w, button, modifiers, local);
        } else if (kind < 80) {
            QTest::mouseDClick(w, button, modifiers, local);
        } else {
            // A drag, sometimes far outside the widget.
            const QPoint to = chance(80) ? QPoint(pick(std::max(w->width(), 1)), pick(std::max(w->height(), 1)))
                                         : QPoint(pick(4000) - 2000, pick(4000) - 2000);
            QTest::mousePress(w, button, modifiers, local);
            if (w) QTest::mouseMove(w, (local + to) / 2);
            if (w) QTest::mouseMove(w, to);
            if (w) QTest::mouseRelease(w, button, modifiers, to);
        }
    }

    // Any enabled command of the menu bar, Exit excepted (it is disabled).
    void menuStep() {
        std::vector<QAction*> actions;
        for (QAction* menu : window_->menuBar()->actions())
            for (QAction* a : menu->menu()->actions())
                if (!a->isSeparator() && a->isEnabled()) actions.push_back(a);
        if (actions.empty() || !window_->isEnabled()) return;
        QAction* chosen = actions[static_cast<size_t>(pick(static_cast<int>(actions.size())))];
        note("menu " + chosen->text().toStdString());
        chosen->trigger();
    }

    void undoRedoBurst() {
        const bool undo = chance(60);
        const int count = 1 + pick(chance(3) ? 200 : 8);
        note(std::string(undo ? "undo x" : "redo x") + std::to_string(count));
        for (int i = 0; i < count; ++i) {
            QWidget* target = window_->isEnabled() ? static_cast<QWidget*>(window_->hexPane()) : keyTarget();
            if (undo) QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);
            else QTest::keyClick(target, Qt::Key_Y, Qt::ControlModifier);
        }
    }

    void wheelStep() {
        QWidget* w = chance(50) ? static_cast<QWidget*>(window_->hexPane()) : window_->textPane();
        const QPointF at(pick(std::max(w->width(), 1)), pick(std::max(w->height(), 1)));
        const int delta = (chance(50) ? 1 : -1) * (chance(80) ? 120 : 1 + pick(1000));
        note("wheel " + std::to_string(delta));
        QWheelEvent wheel(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &wheel);
    }

    void resizeStep() {
        const int width = 300 + pick(1000), height = 200 + pick(800);
        note("resize " + std::to_string(width) + "x" + std::to_string(height));
        window_->resize(width, height);
    }

    // The windows' keys, pressed in the hex pane (the main window may be disabled by one already open).
    void openWindowStep() {
        const Qt::Key keys[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F4, Qt::Key_Insert, Qt::Key_F12, Qt::Key_F5, Qt::Key_F6};
        const Qt::Key key = any(keys);
        note("open a window: key " + std::to_string(key));
        if (window_->isEnabled()) window_->hexPane()->setFocus();
        QTest::keyClick(window_->isEnabled() ? window_->hexPane() : keyTarget(), key);
    }

    // A window's close box.
    void closeWindowStep() {
        QWidget* top = anyTopWindow();
        if (top == window_) return;
        note(std::string("close ") + top->windowTitle().toStdString());
        top->close();
    }

    void popupStep() {
        const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return, Qt::Key_Escape,
                                Qt::Key_Left, Qt::Key_Right};
        note("key in an open menu");
        QTest::keyClick(QApplication::activePopupWidget(), any(keys));
    }

    // The main window is disabled exactly while one of the windows that disable it is open.
    bool disabledAsItShouldBe() const {
        const auto& services = dynamic_cast<const QtServices&>(window_->editor().services);
        bool disabling = false;
        for (const WindowKind kind : {WindowKind::Jump, WindowKind::Insert, WindowKind::Find, WindowKind::TableEditor,
                                      WindowKind::Replace})
            disabling = disabling || (services.openedWindow(kind) && services.openedWindow(kind)->isVisible());
        return window_->isEnabled() != disabling;
    }

    bool invariantsHold() {
        const EditorState& s = window_->editor().s;
        const bool ok = s.cursor() >= 0 && s.view.pageTop >= 0 && s.view.pageTop % 16 == 0 && s.doc.fileSize >= 0 &&
                        static_cast<size_t>(s.doc.fileSize) <= s.doc.fileData.size() && s.doc.fileName == docPath();
        if (!ok)
            findings_.push_back("step " + std::to_string(steps_) + ": cursor " + std::to_string(s.cursor()) +
                                ", pageTop " + std::to_string(s.view.pageTop) + ", fileSize " + std::to_string(s.doc.fileSize) +
                                ", file name \"" + s.doc.fileName + "\"");
        if (!disabledAsItShouldBe())
            findings_.push_back("step " + std::to_string(steps_) + ": the main window is " +
                                (window_->isEnabled() ? "enabled" : "disabled") + " against its windows");
        return findings_.empty();
    }

    // Questions, messages and choosers are answered at random, each time from a fresh timer, so that one
    // opened while another is being answered is answered too.
    void answerModals() {
        if (!answering_) return;
        QTimer::singleShot(3, [this] { answerModals(); });
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) answerBox(box);
        else if (auto* chooser = qobject_cast<QFileDialog*>(modal)) answerChooser(chooser);
        else if (modal) modal->close();
    }

    void answerBox(QMessageBox* box) {
        const std::string text = box->text().toStdString();
        note("answer \"" + text.substr(0, 60) + "\"");
        // Nothing in the session can make a save of the document fail, nor change its file behind its back.
        if (text.starts_with("Problems Saving\n") || text.find("has changed on disk") != std::string::npos)
            findings_.push_back("step " + std::to_string(steps_) + ": " + text);
        const QList<QAbstractButton*> buttons = box->buttons();
        const int choice = static_cast<int>(answerRng_() % 8);
        if (choice < 2 || buttons.empty()) QTest::keyClick(box, choice == 0 ? Qt::Key_Escape : Qt::Key_Return);
        else buttons[static_cast<int>(answerRng_() % static_cast<uint32_t>(buttons.size()))]->click();
    }

    // A save goes to a new file beside the document; an open takes the table, or is cancelled, so that the
    // document stays the one the session started with.
    void answerChooser(QFileDialog* chooser) {
        note("answer the chooser \"" + chooser->windowTitle().toStdString() + "\"");
        const bool take = answerRng_() % 5 != 0;
        if (chooser->acceptMode() == QFileDialog::AcceptSave && take) {
            chooser->selectFile(QString::fromStdString(dir_.file("saved-" + std::to_string(++saves_))));
            static_cast<QDialog*>(chooser)->accept();  // QFileDialog::accept, which is protected there
        } else if (chooser->windowTitle().contains("Table") && take) {
            chooser->selectFile(QString::fromStdString(dir_.file("letters.tbl")));
            static_cast<QDialog*>(chooser)->accept();  // QFileDialog::accept, which is protected there
        } else {
            chooser->reject();
        }
    }

    uint32_t seed_;
    std::mt19937 rng_;
    std::mt19937 answerRng_;  // the answers' own: how often the timer looks must not change the steps
    const test::TempDir& dir_;
    Bytes original_;
    MainWindow* window_ = nullptr;
    int steps_ = 0, saves_ = 0;
    uint64_t changesMade_ = 0;
    bool answering_ = true;
    std::vector<std::string> findings_;
};

Bytes documentOf(const MainWindow& window) {
    const EditorState& s = const_cast<MainWindow&>(window).editor().s;
    return Bytes(s.doc.fileData.begin(), s.doc.fileData.begin() + s.doc.fileSize);
}

// Undo through the Edit menu until it is disabled; how many times, or -1 if it never is.
int undoAll(QAction* undo) {
    for (int i = 0; i < 2000000; ++i) {
        if (!undo->isEnabled()) return i;
        undo->trigger();
    }
    return -1;
}

TEST(RandomSession, TheFileHoldsWhatTheEditorHoldsAndUndoingAllGivesTheOriginalBack) {
    const long maxSteps = envNumber("TARPON_SESSION_STEPS", 100000);
    const long seconds = envNumber("TARPON_SESSION_SECONDS", 50);
    const std::vector<uint32_t> seeds = sessionSeeds();
    for (const uint32_t seed : seeds) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " (rerun with TARPON_SESSION_SEEDS=" + std::to_string(seed) +
                     " TARPON_SESSION_LOG=1)");
        test::TempDir dir;
        Session session(seed, dir);
        MainWindow window(session.docPath());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(seconds) / static_cast<long>(seeds.size());
        EXPECT_TRUE(session.run(window, maxSteps, deadline));
        session.settle();
        // Saved through the menu, the file holds the document, which is then unmodified.
        session.menuAction(kMenuFile, kFileSave)->trigger();
        const Bytes saved = documentOf(window);
        EXPECT_TRUE(test::readBytes(session.docPath()) == saved) << "the saved file differs from the document";
        EXPECT_FALSE(window.editor().s.modified());
        const int undone = undoAll(session.menuAction(kMenuEdit, kEditUndo));
        EXPECT_GE(undone, 0);
        EXPECT_TRUE(documentOf(window) == session.original()) << "undoing every step did not give the file back";
        for (int i = 0; i < undone; ++i) session.menuAction(kMenuEdit, kEditRedo)->trigger();
        EXPECT_TRUE(documentOf(window) == saved) << "redoing the steps undone did not give the saved document back";
        session.stop();
        EXPECT_EQ(session.findings(), std::vector<std::string>{});
        std::printf("random session: seed %u, %d steps, %llu changes, %d undone at the end, %zu bytes at the start,"
                    " %zu at the end\n", seed, session.stepsDone(), static_cast<unsigned long long>(session.changesMade()),
                    undone, session.original().size(), saved.size());
        window.editor().s.doc.savedState = window.editor().s.doc.history.stateId();  // closes without asking
        window.close();
    }
}

}  // namespace
}  // namespace tarpon

// QTest says so for every click a widget lets pass, as most do; the session clicks everywhere.
QtMessageHandler previousHandler = nullptr;
void quietClicks(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // The offscreen platform cannot raise windows, grab the keyboard or pass size hints on; it says so each time.
    if (text.contains("not accepted by receiving widget") || text.contains("This plugin does not support")) return;
    if (previousHandler) previousHandler(type, context, text);
}

int main(int argc, char** argv) {
    previousHandler = qInstallMessageHandler(quietClicks);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "1");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
