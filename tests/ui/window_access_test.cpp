// Every window, opened from the main window: each widget that takes the keyboard has a name a screen reader
// reads, no two mnemonics of a window share a letter, and every visible widget lies inside its parent and
// apart from its visible siblings at the window's designed size.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <map>

#include "app/main_window.h"
#include "qt/qt_services.h"
#include "qt/window_access.h"

namespace tarpon {
namespace {

bool takesKeyboard(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) != 0; }

// A field, a button or a caption: what must stand apart from the others (strips and lines may lie under them).
bool isControl(QWidget* w) {
    auto* label = qobject_cast<QLabel*>(w);
    return takesKeyboard(w) || qobject_cast<QAbstractButton*>(w) || (label && !label->text().isEmpty());
}

QString captionOf(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) return l->text();
    return {};
}

// A widget laid out by hand in a window: the window's own, or in a plain frame or container of it.
bool laidOutByHand(const QWidget* w, const QWidget* window) {
    const QWidget* parent = w->parentWidget();
    const QMetaObject* kind = parent->metaObject();
    return !w->isWindow() && (parent == window || kind == &QFrame::staticMetaObject || kind == &QWidget::staticMetaObject);
}

// More than a shared edge: the designed layout lets neighbours share their border pixel.
bool overlap(const QRect& a, const QRect& b) {
    const QRect both = a & b;
    return both.width() > 1 && both.height() > 1;
}

std::string describe(QWidget* w) {
    const QRect g = w->geometry();
    return std::string(w->metaObject()->className()) + " \"" + captionOf(w).toStdString() + "\" at " +
           std::to_string(g.x()) + "," + std::to_string(g.y()) + " " + std::to_string(g.width()) + "x" +
           std::to_string(g.height());
}

// What is wrong with a window, one line a fault, or "" when nothing is.
std::string faultsOf(QWidget* window) {
    std::string faults;
    std::map<QChar, QString> mnemonics;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window)) continue;
        const QString caption = captionOf(w);
        if (const QChar m = mnemonicOf(caption); !m.isNull()) {
            if (mnemonics.count(m)) faults += "Alt+" + QString(m).toStdString() + " twice: " +
                                              mnemonics[m].toStdString() + ", " + caption.toStdString() + "\n";
            mnemonics[m] = caption;
        } else if (!caption.isEmpty() && !qobject_cast<QLabel*>(w) && takesKeyboard(w)) {
            faults += "no mnemonic: " + caption.toStdString() + "\n";
        }
        if (takesKeyboard(w) && !w->parentWidget()->inherits("QComboBox")) {
            QAccessibleInterface* said = QAccessible::queryAccessibleInterface(w);
            if (w->accessibleName().isEmpty() || !said || said->text(QAccessible::Name).isEmpty())
                faults += std::string("no name: ") + w->metaObject()->className() + "\n";
            if (!said || said->role() == QAccessible::Client)
                faults += std::string("no role: ") + w->metaObject()->className() + "\n";
        }
        if (!laidOutByHand(w, window)) continue;
        if (!w->parentWidget()->rect().contains(w->geometry())) faults += "outside its window: " + describe(w) + "\n";
        if (!isControl(w)) continue;
        for (QWidget* other : w->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other < w && isControl(other) && other->isVisibleTo(window) && !other->isWindow() &&
                overlap(other->geometry(), w->geometry()))
                faults += "overlap: " + describe(w) + " / " + describe(other) + "\n";
    }
    return faults;
}

TEST(EveryWindow, NamedMnemonicsApartAndInside) {
    const std::pair<const char*, WindowKind> rows[] = {
        {"Jump To", WindowKind::Jump},       {"Find", WindowKind::Find},       {"Copy", WindowKind::Copy},
        {"Insert", WindowKind::Insert},      {"Edit Table", WindowKind::TableEditor},
        {"Hit list", WindowKind::HitList},   {"Replace", WindowKind::Replace}, {"Pointers", WindowKind::Pointers},
        {"Dump Script", WindowKind::DumpScript},
    };
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.refresh();
    EXPECT_EQ(faultsOf(&window), "") << "main window";
    auto& services = dynamic_cast<QtServices&>(window.editor().services);
    for (const auto& [name, kind] : rows) {
        SCOPED_TRACE(name);
        services.openWindow(kind);
        QWidget* opened = services.openedWindow(kind);
        ASSERT_TRUE(opened);
        EXPECT_EQ(faultsOf(opened), "");
        opened->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The question boxes, such as "Save changes?" (Alt+S, Alt+D, Alt+C).
    std::string boxFaults = "no box";
    QTimer::singleShot(0, [&boxFaults] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        boxFaults = faultsOf(box);
        qobject_cast<QDialog*>(box)->done(0);
    });
    services.ask("Save changes?", {"Save", "Discard", "Cancel"}, 0, 2);
    EXPECT_EQ(boxFaults, "");
}

}  // namespace
}  // namespace tarpon
