#pragma once
// Where a command-line command's text goes, every write checked: a failed or short
// write (a full disk, /dev/full, a closed pipe) is kept as the first failure, and
// what comes after it is dropped, so that the command ends with a message and exit
// status 1 instead of reporting success with nothing written.
#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"

namespace tarpon {

class Output {
public:
    virtual ~Output() = default;
    virtual void write(std::string_view text) = 0;
    // Everything written so far delivered (and the descriptor closed, where it is
    // one to close); nothing when all of it arrived, else why not.
    virtual std::optional<Failure> finish() = 0;
};

// Text kept in memory, for tests and for callers that print it themselves.
class StringOutput : public Output {
public:
    explicit StringOutput(std::string& text) : text_(text) {}
    void write(std::string_view text) override { text_ += text; }
    std::optional<Failure> finish() override { return std::nullopt; }

private:
    std::string& text_;
};

// A file descriptor, written in blocks of 64 KiB. `name` names it in the message
// ("standard output"). With `closeAtEnd`, finish closes it, so that an error the
// file system reports only on close is caught too.
class FdOutput : public Output {
public:
    FdOutput(int fd, std::string name, bool closeAtEnd = false);
    ~FdOutput() override;
    void write(std::string_view text) override;
    std::optional<Failure> finish() override;

private:
    void flush();

    int fd_;
    std::string name_;
    bool closeAtEnd_;
    std::string buffer_;
    int error_ = 0;  // errno of the first failed write, 0 while none failed
};

}  // namespace tarpon
