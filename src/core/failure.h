#pragma once
// One shape for a failure the user is told about: what went wrong, and the exit
// status the command line ends with. The command line prints the message as
// "tarpon-hex: <message>" on standard error; the window shows it in a message box.
#include <optional>
#include <string>
#include <utility>

#include "screen/services.h"

namespace tarpon {

// Exit statuses: the work was done; it could not be (the reason on standard error);
// the command was given wrongly.
inline constexpr int kExitDone = 0, kExitFailed = 1, kExitUsage = 2;

struct Failure {
    std::string message;
    int status = kExitFailed;
};

// What a step that may fail gives back: nothing when it was done.
using Outcome = std::optional<Failure>;

inline Failure usageFailure(std::string message) { return {std::move(message), kExitUsage}; }

inline void showFailure(Services& services, const Failure& failure) { services.messageBox(failure.message); }

}  // namespace tarpon
