#include "core/file_attributes.h"

#include <cerrno>
#include <map>
#include <vector>

#include "core/file_io.h"

namespace tarpon {
namespace {

using Attributes = std::map<std::string, std::string>;  // name -> value

// Calls read(buffer, size) with a buffer grown to the size it asks for, again while
// the value grows meanwhile (ERANGE); false with errno.
template <typename Read>
bool readSized(Read read, std::string* out) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0) return false;
        out->resize(static_cast<size_t>(size));
        if (size == 0) return true;
        const ssize_t n = read(out->data(), out->size());
        if (n >= 0) {
            out->resize(static_cast<size_t>(n));
            return true;
        }
        if (errno != ERANGE) return false;
    }
    return false;
}

// Every attribute, through list(buffer, size) and get(name, buffer, size). A file
// system without attributes has none.
template <typename List, typename Get>
bool readAll(List list, Get get, Attributes* out) {
    std::string names;
    if (!readSized(list, &names)) return errno == ENOTSUP;
    for (size_t at = 0; at < names.size();) {
        const std::string name = names.c_str() + at;
        at += name.size() + 1;
        std::string value;
        const auto read = [&](char* buf, size_t size) { return get(name.c_str(), buf, size); };
        if (readSized(read, &value)) (*out)[name] = value;
        else if (errno != ENODATA) return false;  // ENODATA: removed meanwhile
    }
    return true;
}

AttributeCopy failure() {
    const bool notAllowed = errno == EPERM || errno == EACCES || errno == ENOTSUP;
    return notAllowed ? AttributeCopy::NotKept : AttributeCopy::Failed;
}

}  // namespace

AttributeCopy copyAttributes(FileIo& io, const std::string& from, int to) {
    Attributes old, now;
    const char* path = from.c_str();
    if (!readAll([&](char* b, size_t n) { return io.llistxattr(path, b, n); },
                 [&](const char* name, char* b, size_t n) { return io.lgetxattr(path, name, b, n); }, &old) ||
        !readAll([&](char* b, size_t n) { return io.flistxattr(to, b, n); },
                 [&](const char* name, char* b, size_t n) { return io.fgetxattr(to, name, b, n); }, &now))
        return failure();
    // The new file may have got some of its own, such as an ACL from the folder's default ACL.
    for (const auto& [name, value] : now)
        if (!old.contains(name) && io.fremovexattr(to, name.c_str()) != 0 && errno != ENODATA) return failure();
    for (const auto& [name, value] : old) {
        const auto it = now.find(name);
        if ((it == now.end() || it->second != value) &&
            io.fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            return failure();
    }
    return AttributeCopy::Done;
}

}  // namespace tarpon
