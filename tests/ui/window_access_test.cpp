// Every window, opened from the main window: each widget that takes the keyboard has a name a screen reader
// reads, no two mnemonics of a window share a letter, and every visible widget lies inside its parent and
// apart from its visible siblings at the window's designed size.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
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
        if (takesKeyboard(w) && w->accessibleName().isEmpty() && !w->parentWidget()->inherits("QComboBox"))
            faults += std::string("no name: ") + w->metaObject()->className() + "\n";
        if (w->isWindow() || w->parentWidget() != window) continue;
        const QRect g = w->geometry();
        const std::string where = " " + std::to_string(g.x()) + "," + std::to_string(g.y()) + " " +
                                  std::to_string(g.width()) + "x" + std::to_string(g.height());
        if (!window->rect().contains(w->geometry()))
            faults += "outside the window: " + std::string(w->metaObject()->className()) + where + "\n";
        for (QWidget* other : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (other < w && isControl(w) && isControl(other) && other->isVisibleTo(window) && !other->isWindow() && other->geometry().intersects(w->geometry()))
                faults += "overlap: " + std::string(w->metaObject()->className()) + where + " " +
                          captionOf(w).toStdString() + " / " + other->metaObject()->className() + " " +
                          captionOf(other).toStdString() + "\n";
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
