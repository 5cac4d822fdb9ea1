#include "convert.h"

#include <cerrno>
#include <cstring>

namespace adconv {

ConvertResult convert_records(std::FILE* in, InputBlock& block, TableFile& table)
{
    // Read as plain bytes, so a partial record can be carried to the front.
    unsigned char* bytes = reinterpret_cast<unsigned char*>(block.records);

    ConvertResult result;
    std::size_t have = 0;
    for (;;) {
        const std::size_t want = sizeof block.records - have;
        errno = 0;
        const std::size_t got = std::fread(bytes + have, 1, want, in);
        const int read_errno = errno;
        have += got;
        const std::size_t whole = have / kRecordSize;
        table.write_rows(block.records, whole);
        result.records += static_cast<std::int64_t>(whole);
        have -= whole * kRecordSize;
        std::memmove(bytes, bytes + whole * kRecordSize, have);
        if (got < want) {
            // fread only comes up short at the end of the data or on an error.
            if (!std::feof(in))
                result.read_error = read_errno != 0 ? read_errno : EIO;
            return result;
        }
    }
}

}  // namespace adconv
