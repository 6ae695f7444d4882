#pragma once
// The extended attributes a save by rename gives its new file. A POSIX ACL is the
// attribute "system.posix_acl_access", copied as it is: the system checks it and
// keeps the file's group permission bits as its mask.
#include <string>

namespace tarpon {

class FileIo;

enum class AttributeCopy {
    Done,
    NotKept,  // the system would not let them all be set or read (a save in place keeps them)
    Failed,   // errno says why
};

// Makes the attributes of the file open as `to` exactly those of the file at `from`
// (which is not a symbolic link): each one set to the same value, any other removed.
AttributeCopy copyAttributes(FileIo& io, const std::string& from, int to);

}  // namespace tarpon
