#include "app/editor.h"

#include "view/cursor.h"

namespace tarpon {

Editor::Editor(Services& svc) : services(svc) {
    v.VScroll.onChange = [this] { VScroll_Change(*this); };
    v.VScroll.onScroll = [this] { VScroll_Scroll(*this); };
}

}  // namespace tarpon
