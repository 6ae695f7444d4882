// A desktop theme with a dark palette and a large font, set as themes set them once the
// program runs: no caption or button of the fixed layout loses text, and the captions that
// take the theme's colours stay legible.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <cmath>
#include <string>

#include "app/main_window.h"
#include "qt/pane_widget.h"

namespace tarpon {
namespace {

// WCAG's contrast ratio of two colours, 1 (none) to 21.
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The width a control's text needs beside its check or radio indicator, if it has one.
int neededWidth(const QWidget* w, const QString& text) {
    // The ink of the text, not its advance: a cut takes away drawn pixels.
    const int textWidth = w->fontMetrics().boundingRect(QString(text).remove('&')).width();
    const QStyle* style = w->style();
    if (qobject_cast<const QRadioButton*>(w))
        return textWidth + style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w);
    if (qobject_cast<const QCheckBox*>(w))
        return textWidth + style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
    return textWidth;
}

// Every caption and button text in `window` fits its control, and every caption on the
// window's own background has the palette's text colour against the palette's background.
void expectWholeAndLegible(QWidget* window) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        if (text.isEmpty() || !w->isVisible()) continue;
        SCOPED_TRACE(text.toStdString());
        EXPECT_LE(neededWidth(w, text), w->contentsRect().width());
        EXPECT_LE(w->fontMetrics().height(), w->height());
        if (qobject_cast<QLabel*>(w) && !w->autoFillBackground()) {
            EXPECT_GE(contrast(w->palette().color(QPalette::WindowText), window->palette().color(QPalette::Window)),
                      4.5);
        }
    }
}

TEST(Themes, DarkPaletteAndLargeFontKeepEveryTextWholeAndLegible) {
    const QFont oldFont = QApplication::font();
    const QPalette oldPalette = QApplication::palette();
    QPalette dark;
    for (auto [role, colour] : {std::pair{QPalette::Window, QColor(53, 53, 53)}, {QPalette::WindowText, Qt::white},
                                {QPalette::Base, QColor(35, 35, 35)}, {QPalette::Text, Qt::white},
                                {QPalette::Button, QColor(53, 53, 53)}, {QPalette::ButtonText, Qt::white}})
        dark.setColor(role, colour);
    QApplication::setPalette(dark);
    MainWindow window("");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QFont large(QStringLiteral("Liberation Sans"));
    large.setPointSize(16);
    // As a theme applies its font once the program runs; outside exec() Qt does not
    // pass the change on by itself.
    QApplication::setFont(large);
    for (QWidget* w : QApplication::allWidgets()) {
        QEvent change(QEvent::ApplicationFontChange);
        QApplication::sendEvent(w, &change);
    }
    {
        SCOPED_TRACE("main window");
        expectWholeAndLegible(&window);
    }
    auto& services = dynamic_cast<QtServices&>(window.editor().services);
    const std::tuple<const char*, Qt::Key, WindowKind> rows[] = {
        {"Jump To", Qt::Key_F1, WindowKind::Jump}, {"Find", Qt::Key_F2, WindowKind::Find},
        {"Copy", Qt::Key_F4, WindowKind::Copy},    {"Insert", Qt::Key_Insert, WindowKind::Insert},
        {"Edit Table", Qt::Key_F12, WindowKind::TableEditor},
    };
    for (const auto& [name, key, kind] : rows) {
        SCOPED_TRACE(name);
        window.hexPane()->setFocus();
        QTest::keyClick(window.hexPane(), key);
        QWidget* opened = services.openedWindow(kind);
        ASSERT_TRUE(opened);
        expectWholeAndLegible(opened);
        opened->close();
    }
    window.close();
    QApplication::setFont(oldFont);
    QApplication::setPalette(oldPalette);
}

}  // namespace
}  // namespace tarpon
