#include "qt/long_work.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <exception>
#include <new>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace tarpon {
namespace {

// What the work and the window share: the work writes how far it has come and
// reads whether to stop; the window the other way round.
struct Shared {
    std::atomic<int64_t> done{0}, total{0};
    std::atomic<bool> cancel{false}, finished{false};
    std::exception_ptr failure;  // written by the work before `finished`
};

void runWork(Shared& shared, const std::function<void(const KeepGoing&)>& work) {
    try {
        work([&shared](int64_t done, int64_t total) {
            shared.done.store(done, std::memory_order_relaxed);
            shared.total.store(total, std::memory_order_relaxed);
            return !shared.cancel.load(std::memory_order_relaxed);
        });
    } catch (...) {
        shared.failure = std::current_exception();
    }
    shared.finished.store(true, std::memory_order_release);
}

constexpr int kBarSteps = 1000;

int barValue(const Shared& shared) {
    const int64_t total = shared.total.load(std::memory_order_relaxed);
    const int64_t done = shared.done.load(std::memory_order_relaxed);
    if (total <= 0 || done <= 0) return 0;
    return static_cast<int>(std::min<int64_t>(kBarSteps, done / std::max<int64_t>(1, total / kBarSteps)));
}

WorkEnd endOf(const Shared& shared) {
    if (shared.failure) {
        try {
            std::rethrow_exception(shared.failure);
        } catch (const std::bad_alloc&) {
            return WorkEnd::OutOfMemory;
        } catch (const std::length_error&) {
            return WorkEnd::OutOfMemory;
        }  // anything else is a fault in the work: it goes on up
    }
    return shared.cancel ? WorkEnd::Cancelled : WorkEnd::Done;
}

// Cancel, Escape and the close box ask the work to stop; the window stays until it
// has, so that nothing reaches the editor meanwhile (the keyboard coming back to a
// pane would write its held letters).
class WorkDialog : public QProgressDialog {
public:
    WorkDialog(const QString& caption, QWidget* parent, std::atomic<bool>& cancel)
        : QProgressDialog(caption, QString(), 0, kBarSteps, parent), cancel_(cancel) {
        button_ = new QPushButton("Cancel", this);
        setCancelButton(button_);
        // QProgressDialog would hide itself on Cancel: the work is only asked to stop.
        QObject::disconnect(this, SIGNAL(canceled()), this, SLOT(cancel()));
        QObject::connect(this, &QProgressDialog::canceled, this, [this] { stop(); });
        setWindowTitle("Tarpon's Hex");
        setWindowModality(Qt::ApplicationModal);
        setAutoClose(false);
        setAutoReset(false);
    }
    void reject() override { stop(); }

private:
    void stop() {
        if (cancel_.exchange(true)) return;
        setLabelText("Stopping...");
        button_->setEnabled(false);
    }
    std::atomic<bool>& cancel_;
    QPushButton* button_ = nullptr;
};

}  // namespace

WorkEnd runWithProgress(QWidget* parent, const QString& caption, const std::function<void(const KeepGoing&)>& work,
                        int delayMs) {
    Shared shared;
    std::thread worker;
    try {
        worker = std::thread(runWork, std::ref(shared), std::cref(work));
    } catch (const std::system_error&) {
        runWork(shared, work);  // no thread to be had: the work runs here, without progress
        return endOf(shared);
    }
    WorkDialog dialog(caption, parent, shared.cancel);
    dialog.setMinimumDuration(delayMs);  // its own timer shows it then too
    QTimer tick;  // wakes the loop to follow the work
    tick.start(20);
    QElapsedTimer clock;
    clock.start();
    while (!shared.finished.load(std::memory_order_acquire)) {
        const bool shown = dialog.isVisible();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                        (shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents));
        if (!shown && clock.elapsed() >= delayMs) dialog.show();
        if (dialog.isVisible() && !shared.cancel) dialog.setValue(barValue(shared));
    }
    worker.join();
    // The window that had the keyboard gets it back: without a window manager, closing
    // the progress window would leave the keyboard with no window at all.
    if (dialog.isVisible()) {
        dialog.hide();
        if (parent) {
            parent->window()->activateWindow();
            parent->window()->raise();
        }
    }
    return endOf(shared);
}

}  // namespace tarpon
