// The real Qt file chooser, driven as a user would while the command waits for it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>

#include "app/file_commands.h"
#include "app/main_window.h"
#include "temp_dir.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

template <class T>
T* visibleTopLevel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w); found && found->isVisible()) return found;
    return nullptr;
}

// Plays a list of steps against the windows that a blocking call opens. Each step
// runs once its window is there. If a step never finds its window, every dialog is
// cancelled so that the blocking call returns and the test fails instead of hanging.
class UserScript {
public:
    using Step = std::function<bool()>;  // true when it found its window and acted

    explicit UserScript(std::deque<Step> steps) : steps_(std::move(steps)) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }
    // Every step ran and nothing had to be cancelled.
    bool finished() const { return steps_.empty() && !gaveUp_; }

private:
    void tick() {
        if (!steps_.empty() && steps_.front()()) {
            steps_.pop_front();
            tries_ = 0;
        } else if (++tries_ > 500) {  // about ten seconds
            // A step that never found its window, or a dialog left open after the
            // last step: cancel everything so that the blocking call returns.
            gaveUp_ = true;
            steps_.clear();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible()) dialog->reject();
        }
    }

    std::deque<Step> steps_;
    QTimer timer_;
    int tries_ = 0;
    bool gaveUp_ = false;
};

QPushButton* acceptButton(QFileDialog* dialog) {
    auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox");
    if (!box) return nullptr;
    for (QAbstractButton* b : box->buttons())
        if (box->buttonRole(b) == QDialogButtonBox::AcceptRole) return qobject_cast<QPushButton*>(b);
    return nullptr;
}

// Types `path` into the chooser's file name box and presses its "Open" or "Save"
// button; notes the chooser's title and whether that button could be pressed.
UserScript::Step typePathAndAccept(const std::string& path, QString* title = nullptr, bool* accepted = nullptr) {
    return [path, title, accepted] {
        auto* dialog = visibleTopLevel<QFileDialog>();
        if (!dialog) return false;
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        QPushButton* button = acceptButton(dialog);
        if (!edit || !button) return false;
        // As for a user, the chooser is the active window with the keyboard in its
        // name box; otherwise it rewrites the box from its list's selection.
        if (!dialog->isActiveWindow()) {
            dialog->activateWindow();
            return false;
        }
        edit->setFocus();
        if (title) *title = dialog->windowTitle();
        edit->clear();
        QTest::keyClicks(edit, QString::fromLocal8Bit(path));
        if (edit->text() != QString::fromLocal8Bit(path)) return false;
        if (accepted) *accepted = button->isEnabled();
        // Queued: pressing may open a nested message box, and this timer does not
        // fire again until its own call returns.
        QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
        return true;
    };
}

UserScript::Step answerOverwrite(QMessageBox::StandardButton answer) {
    return [answer] {
        auto* box = visibleTopLevel<QMessageBox>();
        if (!box || !box->button(answer)) return false;
        QMetaObject::invokeMethod(box->button(answer), &QPushButton::click, Qt::QueuedConnection);
        return true;
    };
}

UserScript::Step cancelChooser() {
    return [] {
        auto* dialog = visibleTopLevel<QFileDialog>();
        if (!dialog) return false;
        dialog->reject();
        return true;
    };
}

TEST(FileChooser, OpenAndSaveAsThroughTheRealDialog) {
    test::TempDir dir;
    const std::string opened = dir.file("opened.bin"), copy = dir.file("copy.bin");
    test::writeBytes(opened, {5, 6, 7});
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    Editor& ed = window.editor();

    QString title;
    {
        UserScript user({typePathAndAccept(opened, &title)});
        mnuFile_Click(ed, kFileOpen);
        ASSERT_TRUE(user.finished());
    }
    EXPECT_EQ(title, "File To Edit");
    EXPECT_EQ(ed.s.fileName, opened);
    EXPECT_EQ(Bytes(ed.s.fileData.begin(), ed.s.fileData.begin() + ed.s.fileSize), (Bytes{5, 6, 7}));

    ed.s.fileData[0] = 0x55;
    {
        UserScript user({typePathAndAccept(copy, &title)});
        mnuFile_Click(ed, kFileSaveAs);
        ASSERT_TRUE(user.finished());
    }
    EXPECT_EQ(title, "Tarpon's Hex - Save File as");
    EXPECT_EQ(test::readBytes(copy), (Bytes{0x55, 6, 7}));
    EXPECT_EQ(ed.s.fileName, opened);

    // Saving over an existing file asks first; "No" keeps it and returns to the chooser.
    ed.s.fileData[0] = 0x66;
    {
        UserScript user({typePathAndAccept(copy), answerOverwrite(QMessageBox::No), cancelChooser()});
        mnuFile_Click(ed, kFileSaveAs);
        ASSERT_TRUE(user.finished());
    }
    EXPECT_EQ(test::readBytes(copy), (Bytes{0x55, 6, 7}));
    {
        UserScript user({typePathAndAccept(copy), answerOverwrite(QMessageBox::Yes)});
        mnuFile_Click(ed, kFileSaveAs);
        ASSERT_TRUE(user.finished());
    }
    EXPECT_EQ(test::readBytes(copy), (Bytes{0x66, 6, 7}));
}

TEST(FileChooser, OpenRefusesANameThatDoesNotExist) {
    test::TempDir dir;
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const std::string missing = dir.file("missing.bin");
    {
        // The chooser will not accept a missing name; the user then cancels.
        bool accepted = true;
        UserScript user({typePathAndAccept(missing, nullptr, &accepted), cancelChooser()});
        mnuFile_Click(window.editor(), kFileOpen);
        ASSERT_TRUE(user.finished());
        EXPECT_FALSE(accepted);
    }
    EXPECT_EQ(window.editor().s.fileSize, 256);
    EXPECT_EQ(window.editor().s.fileName, "");
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace tarpon
