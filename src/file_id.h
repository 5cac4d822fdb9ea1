// A file's identity as a system gives it, for telling the table from its
// input and the standard streams whatever names led to them: the volume and
// the file's ID within it (device and inode on POSIX; up to 128 bits on
// Windows).
#ifndef ADCONV_FILE_ID_H
#define ADCONV_FILE_ID_H

#include <cstdint>
#include <cstring>

#include "platform.h"

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

// Which of the run's own open files the table is: its input (descriptor
// `input`), standard output or standard error, as `is_table(fd)` tells;
// kOpened where it is none of them.
template <typename IsTable>
TableOpening::Outcome own_file(int input, IsTable is_table)
{
    const int fds[] = {input, 1, 2};
    const TableOpening::Outcome outcomes[] = {TableOpening::kIsInput, TableOpening::kIsStandardOutput,
                                              TableOpening::kIsStandardError};
    for (int i = 0; i < 3; ++i)
        if (is_table(fds[i]))
            return outcomes[i];
    return TableOpening::kOpened;
}

}  // namespace adconv

#endif
