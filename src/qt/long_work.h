#pragma once
// Long work off the window's thread, behind a progress window with Cancel.
#include <QString>
#include <functional>

#include "screen/services.h"

class QWidget;

namespace tarpon {

// The progress window shows once the work has run this long.
inline constexpr int kProgressDelayMs = 400;

// Runs `work` on a thread of its own and returns when it has ended. Meanwhile the
// windows repaint but take no input: for `delayMs` none is handled (it waits), then
// the progress window (`caption`, its bar, Cancel) shows, modal to the whole
// application. Cancel asks the work to stop; the window stays, without its button,
// until the work has ended. A failed allocation in the work ends it as OutOfMemory.
WorkEnd runWithProgress(QWidget* parent, const QString& caption, const std::function<void(const KeepGoing&)>& work,
                        int delayMs = kProgressDelayMs);

}  // namespace tarpon
