#include "qt/designed_font.h"

#include "qt/pane_widget.h"
#include "screen/style.h"

namespace tarpon {

// A font set on a widget is kept when the application's font changes (as a
// desktop theme changes it after start-up) and passes to the widget's children.
void UseDesignedFont(QWidget& window) { window.setFont(toQFont(kWindowDefault)); }

}  // namespace tarpon
