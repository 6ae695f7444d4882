#include "qt/startup_icons.h"

#include <QApplication>
#include <QImageReader>
#include <QPixmap>
#include <QProxyStyle>
#include <initializer_list>

namespace tarpon {
namespace {

// The PNG files as one icon, read by Qt's built-in PNG reader alone.
QIcon pngIcon(std::initializer_list<QString> paths) {
    QIcon icon;
    for (const QString& path : paths) {
        QImageReader reader(path, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QString qtImage(const char* name) {
    return QStringLiteral(":/qt-project.org/styles/commonstyle/images/") + QLatin1String(name);
}

class MenuBarIconStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton)
            return pngIcon({qtImage("toolbar-ext-h-8.png"), qtImage("toolbar-ext-h-16.png"),
                            qtImage("toolbar-ext-h-32.png")});
        if (icon == SP_ToolBarVerticalExtensionButton)
            return pngIcon({qtImage("toolbar-ext-v-5.png"), qtImage("toolbar-ext-v-10.png"),
                            qtImage("toolbar-ext-v-20.png")});
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

}  // namespace

QIcon ApplicationIcon() {
    return pngIcon({QStringLiteral(":/icons/16.png"), QStringLiteral(":/icons/24.png"), QStringLiteral(":/icons/32.png"),
                    QStringLiteral(":/icons/48.png"), QStringLiteral(":/icons/64.png")});
}

void UseMenuBarIconsWithoutPlugins() {
    // A new instance of the style in use (the desktop theme's choice) inside the
    // proxy, which owns it; Qt deletes the instance it replaces.
    QApplication::setStyle(new MenuBarIconStyle(QApplication::style()->name()));
}

}  // namespace tarpon
