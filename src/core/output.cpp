#include "core/output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarpon {
namespace {

constexpr size_t kBlock = 64 * 1024;

}  // namespace

FdOutput::FdOutput(int fd, std::string name, bool closeAtEnd)
    : fd_(fd), name_(std::move(name)), closeAtEnd_(closeAtEnd) {
    buffer_.reserve(kBlock);
}

FdOutput::~FdOutput() {
    if (closeAtEnd_ && fd_ >= 0) ::close(fd_);
}

void FdOutput::write(std::string_view text) {
    if (error_ != 0) return;
    buffer_ += text;
    if (buffer_.size() >= kBlock) flush();
}

// Writes the buffer whole: an interrupted or short write goes on where it stopped;
// a write that takes nothing is a failure (EIO), never a loop.
void FdOutput::flush() {
    size_t done = 0;
    while (error_ == 0 && done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
        else if (n < 0 && errno == EINTR) continue;
        else error_ = n < 0 ? errno : EIO;
    }
    buffer_.clear();
}

std::optional<Failure> FdOutput::finish() {
    flush();
    if (closeAtEnd_ && fd_ >= 0) {
        if (::close(fd_) != 0 && error_ == 0 && errno != EINTR) error_ = errno;
        fd_ = -1;
    }
    if (error_ == 0) return std::nullopt;
    return Failure{"cannot write " + name_ + ": " + std::strerror(error_)};
}

}  // namespace tarpon
