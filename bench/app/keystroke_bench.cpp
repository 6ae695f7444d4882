// One keystroke's whole cost in the real main window: the key event is sent to the
// hex pane and the time runs until the event loop has finished painting what the
// key changed. Next to it, the same window repainting with no logic at all (every
// pane asked to repaint), and with the editor's repaint of every pane but no key.
//
// Usage: tarpon_ui_bench FILE [SAMPLES]   (offscreen unless QT_QPA_PLATFORM says otherwise)
// Prints one JSON object: for each case the median, 10th and 90th percentile in µs.
#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "qt/pane_widget.h"
#include "view/painting.h"

namespace {

using tarpon::MainWindow;
using tarpon::PaneWidget;

// Counts the paint events the panes receive, so that a sample that painted
// nothing is noticed instead of timed as if it had.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

struct Percentiles {
    double p10, median, p90;
};

Percentiles percentiles(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const auto at = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))]; };
    return {at(0.1), at(0.5), at(0.9)};
}

void sendKey(QWidget* target, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

void settle() {
    QCoreApplication::sendPostedEvents();
    QApplication::processEvents();
}

class Bench {
public:
    Bench(MainWindow& window, int samples) : window_(window), samples_(samples) {
        for (PaneWidget* pane : window.findChildren<PaneWidget*>()) {
            pane->installEventFilter(&counter_);
            panes_.push_back(pane);
        }
    }

    // Times `step` followed by the event loop's paint, `samples_` times after a
    // warm-up; `reset` runs untimed before each sample.
    Percentiles run(const char* name, const std::function<void()>& step, const std::function<void()>& reset) {
        std::vector<double> times;
        int unpainted = 0;
        for (int i = -samples_ / 10; i < samples_; ++i) {
            reset();
            settle();
            const int before = counter_.paints;
            const auto t0 = std::chrono::steady_clock::now();
            step();
            settle();
            const auto t1 = std::chrono::steady_clock::now();
            if (counter_.paints == before) ++unpainted;
            if (i >= 0) times.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        }
        if (unpainted > 0) std::fprintf(stderr, "%s: %d samples painted nothing\n", name, unpainted);
        return percentiles(times);
    }

    void repaintAllPanes() {
        for (PaneWidget* pane : panes_) pane->update();
    }

private:
    MainWindow& window_;
    int samples_;
    PaintCounter counter_;
    std::vector<PaneWidget*> panes_;
};

void print(bool first, const char* name, const Percentiles& p) {
    std::printf("%s\n  \"%s\": {\"median_us\": %.1f, \"p10_us\": %.1f, \"p90_us\": %.1f}", first ? "" : ",", name,
                p.median, p.p10, p.p90);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE [SAMPLES]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const int samples = argc > 2 ? std::max(10, std::atoi(argv[2])) : 500;
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    MainWindow window(argv[1]);
    window.show();
    for (int i = 0; i < 20; ++i) settle();
    tarpon::Editor& ed = window.editor();
    if (ed.s.doc.fileSize < 1024 * 1024) {
        std::fprintf(stderr, "%s was not loaded as a large document\n", argv[1]);
        return 1;
    }
    QWidget* hex = window.hexPane();
    const auto toStart = [&] {
        ed.s.view.pageTop = 0;
        ed.s.view.cursorRel = 0;
        tarpon::RepaintAll(ed);
        window.refresh();
    };
    Bench bench(window, samples);
    int step = 0;
    const auto nothing = [] {};

    std::printf("{\"file_size\": %d,", ed.s.doc.fileSize);
    toStart();
    print(true, "arrow", bench.run("arrow", [&] { sendKey(hex, (step++ & 1) ? Qt::Key_Left : Qt::Key_Right); },
                                   nothing));
    const auto pageReset = [&] {
        if (ed.s.cursor() > ed.s.doc.fileSize - 1024) toStart();
    };
    print(false, "page_down", bench.run("page_down", [&] { sendKey(hex, Qt::Key_PageDown); }, pageReset));
    const auto digitReset = [&] {
        if (ed.s.cursor() > 4096) toStart();
    };
    print(false, "hex_digit", bench.run("hex_digit", [&] { sendKey(hex, Qt::Key_A, "a"); }, digitReset));
    print(false, "repaint_widgets_only", bench.run("repaint_widgets_only", [&] { bench.repaintAllPanes(); }, nothing));
    print(false, "repaint_all_panes",
          bench.run("repaint_all_panes",
                    [&] {
                        tarpon::RepaintAll(ed);
                        window.refresh();
                    },
                    nothing));
    std::printf("\n}\n");
    return 0;
}
