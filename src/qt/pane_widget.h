#pragma once
// Renders a Pane's retained drawing and the marks laid over it, and hands the
// pane's input events on as the editor's key codes, shift bits and coordinates.
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "screen/main_view.h"

namespace tarpon {

QFont toQFont(const FontSpec& spec);
QColor toQColor(Rgb rgb);

class PaneWidget : public QWidget {
public:
    PaneWidget(const Pane& pane, const std::array<Mark, 2>* marks, QWidget* parent);

    // Repaints when the pane's drawing or its marks changed since the last call.
    void refresh();

    // True: the key did its work, and the character it may carry is not typed.
    std::function<bool(int keyCode, int shift)> onKeyDown;
    std::function<void(int charCode)> onKeyPress;
    // Set instead of onKeyPress: the typed character as UTF-8, whatever it is.
    std::function<void(const std::string& utf8)> onKeyText;
    std::function<void(int button, int shift, double x, double y)> onMouseDown;
    std::function<void(int button, int shift, double x, double y)> onMouseMove;
    std::function<void(int notches, int shift)> onWheel;  // notches > 0: away from the user
    std::function<void()> onFocusIn;
    std::function<void()> onFocusOut;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    const Pane& pane_;
    const std::array<Mark, 2>* marks_;
    uint64_t paintedRevision_ = ~uint64_t{0};
    std::array<Mark, 2> paintedMarks_{};
    int wheelEighths_ = 0;  // a touchpad's part of a notch, kept for the next event
};

}  // namespace tarpon
