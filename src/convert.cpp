#include "convert.h"

#include <cerrno>

namespace adconv {

ConvertResult convert_records(std::FILE* in, InputBlock& block, TableFile& table)
{
    ConvertResult result;
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(block.records, 1, sizeof block.records, in);
        const int read_errno = errno;
        const std::size_t whole = got / kRecordSize;
        table.write_rows(block.records, whole);
        result.records += static_cast<std::int64_t>(whole);
        // fread keeps reading until the block is full, so a short block is
        // the end of the data or an error: the bytes past its last whole
        // record are a trailing piece, never the start of one more.
        if (got < sizeof block.records) {
            if (!std::feof(in))
                result.read_error = read_errno != 0 ? read_errno : EIO;
            return result;
        }
    }
}

}  // namespace adconv
