#pragma once
// One editor: its state, what its main window shows, and the services it calls.
#include "app/editor_state.h"
#include "ui/main_view.h"
#include "ui/services.h"

namespace tarpon {

struct Editor {
    explicit Editor(Services& services);
    Editor(const Editor&) = delete;
    Editor& operator=(const Editor&) = delete;

    EditorState s;
    MainView v;
    Services& services;
};

}  // namespace tarpon
