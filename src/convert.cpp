#include "convert.h"

#include <cerrno>

#include "messages.h"

namespace adconv {

ConvertResult convert_records(std::FILE* in, InputBlock& block, TableFile& table)
{
    ConvertResult result;
    for (;;) {
        errno = 0;
        const std::size_t got = std::fread(block.records, 1, sizeof block.records, in);
        // fread keeps reading until the block is full, so a short block is
        // the end of the data or an error: the bytes past its last whole
        // record are a trailing piece, never the start of one more.
        const bool last_block = got < sizeof block.records;
        const int read_error = last_block && !std::feof(in) ? last_error() : 0;
        result.records += static_cast<std::int64_t>(table.write_rows(block.records, got / kRecordSize));
        if (table.failed())
            return result;  // a table that lost rows is not read on for
        if (last_block) {
            result.read_error = read_error;
            return result;
        }
    }
}

}  // namespace adconv
