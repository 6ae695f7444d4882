#pragma once
// A file as the disk showed it when the document was loaded or last saved. A save
// compares it with the file now at the path, so that another program's change (new
// bytes, another file or a link put there, the file removed) is not overwritten unasked.
#include <sys/stat.h>
#include <sys/types.h>

namespace tarpon {

struct FileStamp {
    bool known = false;  // false: no file (none loaded, or none at the path)
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};

    static FileStamp of(const struct stat& st) {
        return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    }
    bool sameFile(const FileStamp& other) const {
        return known && other.known && device == other.device && inode == other.inode;
    }
    bool operator==(const FileStamp& other) const {
        return known == other.known && (!known || (sameFile(other) && size == other.size &&
                                                   modified.tv_sec == other.modified.tv_sec &&
                                                   modified.tv_nsec == other.modified.tv_nsec));
    }
};

}  // namespace tarpon
