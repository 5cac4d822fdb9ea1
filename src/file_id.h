// A file's identity as a system gives it, for telling the table from its
// input whatever names led to them: the volume and the file's ID within it
// (device and inode on POSIX; up to 128 bits on Windows).
#ifndef ADCONV_FILE_ID_H
#define ADCONV_FILE_ID_H

#include <cstdint>
#include <cstring>

namespace adconv {

struct FileId {
    std::uint64_t volume = 0;
    unsigned char file[16] = {};
};

// Whether two identities are one file. An all-zero file ID is no identity:
// some network and user-mode file systems give it for every file.
inline bool same_file_id(const FileId& a, const FileId& b)
{
    static const unsigned char none[sizeof a.file] = {};
    return a.volume == b.volume && std::memcmp(a.file, b.file, sizeof a.file) == 0 &&
           std::memcmp(a.file, none, sizeof none) != 0;
}

}  // namespace adconv

#endif
