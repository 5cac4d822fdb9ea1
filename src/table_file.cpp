// Writing the table: whole blocks of rows, and a table cut back to its last
// whole row when a write fails.
#include "table_file.h"

#include <cerrno>
#include <cstring>

#include "messages.h"
#include "platform.h"

namespace adconv {

TableFile::TableFile(std::FILE* fp, bool regular, RowBuffer& buffer) : fp_(fp), regular_(regular), buffer_(buffer)
{
    // Blocks go straight to the file; a second buffer would only copy them.
    std::setvbuf(fp_, nullptr, _IONBF, 0);
    std::memcpy(buffer_.bytes, kHeader, kHeaderSize);
    used_ = kHeaderSize;
}

TableFile::~TableFile()
{
    if (fp_ != nullptr)
        std::fclose(fp_);
}

bool TableFile::flush()
{
    if (error_ != 0)
        return false;
    std::size_t taken = 0;
    const bool whole = write_all(fp_, buffer_.bytes, used_, taken);
    written_ += taken;
    used_ = 0;
    if (whole)
        return true;
    error_ = last_error();
    // No part of a row stays behind: the file ends with its last whole row.
    if (regular_)
        cut_file(fp_, written_ < kHeaderSize ? 0 : kHeaderSize + static_cast<std::uint64_t>(rows()) * kRowSize);
    return false;
}

bool TableFile::close()
{
    if (fp_ == nullptr)
        return error_ == 0;
    flush();
    std::FILE* fp = fp_;
    fp_ = nullptr;
    errno = 0;
    if (std::fclose(fp) != 0 && error_ == 0)
        error_ = last_error();
    return error_ == 0;
}

std::int64_t TableFile::rows() const
{
    return written_ < kHeaderSize ? 0 : static_cast<std::int64_t>((written_ - kHeaderSize) / kRowSize);
}

}  // namespace adconv
