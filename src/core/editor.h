#pragma once
// One editor: its state, what its main window shows, and the services it calls.
#include "core/editor_state.h"
#include "screen/main_view.h"
#include "screen/services.h"

namespace tarpon {

struct Editor {
    explicit Editor(Services& svc) : services(svc) {}
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    EditorState s;
    MainView v;
    Services& services;
};

}  // namespace tarpon
