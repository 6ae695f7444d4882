#include "qt/no_settings.h"

#include <QSettings>

namespace tarpon {

// The dialog names its settings by scope and organisation, which always means the
// native format; the default format does not apply. The user-scope folder of both
// file formats becomes one that cannot be made (/dev/null is no folder), so a store
// fails quietly without creating a file, a lock or a folder, and reads find nothing.
void KeepNoSettings() {
    const QString nowhere = QStringLiteral("/dev/null");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

}  // namespace tarpon
