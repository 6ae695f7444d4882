#include "qt/pane_widget.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "core/rounding.h"
#include "qt/key_map.h"

namespace tarpon {

QFont toQFont(const FontSpec& spec) {
    QFont font(QString::fromStdString(spec.family));
    font.setPixelSize(spec.pixelSize);
    font.setBold(spec.bold);
    font.setStyleHint(spec.family.rfind("Courier", 0) == 0 ? QFont::TypeWriter : QFont::SansSerif);
    return font;
}

QColor toQColor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

namespace {

// A screen reader meets a pane that takes the keyboard as text it can edit, and
// the others (headers, the offset column) as text it reads.
QAccessibleInterface* paneAccessible(const QString&, QObject* object) {
    auto* pane = dynamic_cast<PaneWidget*>(object);
    if (!pane) return nullptr;
    const bool typed = (pane->focusPolicy() & Qt::TabFocus) != 0;
    return new QAccessibleWidget(pane, typed ? QAccessible::EditableText : QAccessible::StaticText);
}

}  // namespace

PaneWidget::PaneWidget(const Pane& pane, const std::array<Mark, 2>* marks, QWidget* parent)
    : QWidget(parent), pane_(pane), marks_(marks) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(toQFont(pane.font));
    static const bool roles = (QAccessible::installFactory(paneAccessible), true);
    (void)roles;
}

void PaneWidget::refresh() {
    const bool marksChanged = marks_ && *marks_ != paintedMarks_;
    if (pane_.revision() == paintedRevision_ && !marksChanged) return;
    update();
}

void PaneWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(pane_.background));
    for (const FillBox& box : pane_.fills()) painter.fillRect(QRectF(box.x, box.y, box.width, box.height), toQColor(box.color));
    painter.setFont(font());
    const int ascent = QFontMetrics(font()).ascent();
    const QFontMetricsF metrics(font());
    for (const TextRun& run : pane_.runs()) {
        painter.setPen(toQColor(run.color));
        const auto size = static_cast<qsizetype>(run.text.size());
        const QString text = run.utf8 ? QString::fromUtf8(run.text.data(), size)
                                      : QString::fromLatin1(run.text.data(), size);
        if (run.clipWidth <= 0) {
            painter.drawText(QPointF(run.x, run.y + ascent), text);
            continue;
        }
        painter.save();
        painter.setClipRect(QRectF(run.x, 0, run.clipWidth, height()));
        const double wide = metrics.horizontalAdvance(text);
        painter.translate(run.x, 0);
        // Narrowed letters are squeezed into their cells rather than cut.
        if (run.narrowed && wide > run.clipWidth) painter.scale(run.clipWidth / wide, 1.0);
        painter.drawText(QPointF(0, run.y + ascent), text);
        painter.restore();
    }
    paintedRevision_ = pane_.revision();
    if (!marks_) return;
    paintedMarks_ = *marks_;
    for (const Mark& mark : *marks_) {
        if (!mark.visible) continue;
        painter.setCompositionMode(mark.rop == RasterOp::MaskNotPen
                                       ? QPainter::RasterOp_NotSourceAndDestination
                                       : QPainter::RasterOp_NotSourceXorDestination);
        const QRect box(static_cast<int>(roundHalfEven(mark.left)), static_cast<int>(roundHalfEven(mark.top)),
                        static_cast<int>(roundHalfEven(mark.width)), static_cast<int>(roundHalfEven(mark.height)));
        painter.fillRect(box, toQColor(mark.fill));
    }
}

void PaneWidget::keyPressEvent(QKeyEvent* event) {
    const int code = keyCodeOf(*event);
    if (onKeyDown && onKeyDown(code, shiftStateOf(event->modifiers()))) return;
    if (onKeyText) {
        // One character, also outside Latin-1; Delete's U+007F is an editing key, not a character.
        const QString text = event->text();
        if (!text.isEmpty() && event->key() != Qt::Key_Delete) onKeyText(text.toUtf8().toStdString());
        return;
    }
    const int ch = charCodeOf(*event);
    if (ch >= 0 && onKeyPress) onKeyPress(ch);
}

void PaneWidget::mousePressEvent(QMouseEvent* event) {
    if (onMouseDown)
        onMouseDown(mouseButtonsOf(event->button()), shiftStateOf(event->modifiers()),
                    event->position().x(), event->position().y());
}

void PaneWidget::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove)
        onMouseMove(mouseButtonsOf(event->buttons()), shiftStateOf(event->modifiers()),
                    event->position().x(), event->position().y());
}

void PaneWidget::wheelEvent(QWheelEvent* event) {
    if (!onWheel) {
        QWidget::wheelEvent(event);
        return;
    }
    constexpr int kNotch = 120;  // eighths of a degree
    wheelEighths_ += event->angleDelta().y();
    const int notches = wheelEighths_ / kNotch;
    wheelEighths_ -= notches * kNotch;
    if (notches != 0) onWheel(notches, shiftStateOf(event->modifiers()));
    event->accept();
}

void PaneWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (onFocusIn) onFocusIn();
}

void PaneWidget::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (onFocusOut) onFocusOut();
}

}  // namespace tarpon
