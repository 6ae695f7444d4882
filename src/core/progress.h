#pragma once
// Long work (table loads, Find All, Replace All, the script dump and insert) reports
// how far it has come and learns whether to go on. A function that takes a Progress
// asks it at its loop heads, every so many bytes or items; once it says stop, the
// function returns at once with its result marked cancelled and the data it was
// given unchanged.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "screen/services.h"

namespace tarpon {

class Progress {
public:
    Progress() = default;  // no one watching: the work runs to its end
    explicit Progress(KeepGoing keepGoing) : keepGoing_(std::move(keepGoing)) {}

    // True to go on; false once the work is to stop, and from then on. With `every`,
    // the watcher is asked only when `done` has moved on that far since it last was
    // (or has gone back), so that a loop may call this for each byte or item.
    bool keepGoing(int64_t done, int64_t total, int64_t every = 0) const {
        if (stopped_) return false;
        if (asked_ && every > 0 && done >= lastAsked_ && done - lastAsked_ < every) return true;
        asked_ = true;
        lastAsked_ = done;
        if (keepGoing_ && !keepGoing_(done, total)) stopped_ = true;
        return !stopped_;
    }
    bool stopped() const { return stopped_; }

private:
    KeepGoing keepGoing_;
    // One worker asks it, from one thread.
    mutable bool stopped_ = false, asked_ = false;
    mutable int64_t lastAsked_ = 0;
};

// Runs `work` as the window runs long work (off its thread, with progress and Cancel).
// True when the work ran to its end. A failed allocation in it is a message
// ("Not enough memory to `task`.") and false, as is a Cancel.
inline bool runLongWork(Services& services, const std::string& caption, const std::string& task,
                        const std::function<void(const Progress&)>& work) {
    const WorkEnd end =
        services.runLongWork(caption, [&work](const KeepGoing& keepGoing) { work(Progress(keepGoing)); });
    if (end == WorkEnd::OutOfMemory)
        services.messageBox("Not enough memory to " + task + ". Nothing was changed.");
    return end == WorkEnd::Done;
}

// Runs a window command. A failed allocation in it (a request too large for the
// memory there is) ends it with a message instead of ending the program: the document
// and its unsaved changes stay. True when the command ran to its end.
inline bool runCatchingOutOfMemory(Services& services, const std::function<void()>& command) {
    const char* failed = nullptr;
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        failed = "Not enough memory to finish the command.";
    } catch (const std::length_error&) {
        failed = "Not enough memory to finish the command: it asked for more than can be held.";
    }
    services.messageBox(std::string(failed) + " The document and its unsaved changes are kept.");
    return false;
}

}  // namespace tarpon
