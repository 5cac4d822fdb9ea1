#include "table_file.h"

#include <cerrno>
#include <cstring>

#include "messages.h"

namespace adconv {

void format_row(const sampleRecord& record, LocalTimeText& times, const ValueField* values, char* out)
{
    times.format(decode_rtc(record), out);
    char* p = out + kTimeWidth;
    for (std::size_t ch = 0; ch < kChannelCount; ++ch, p += kValueFieldWidth)
        std::memcpy(p, values[decode_count(record, ch)], kValueFieldWidth);
    p[0] = '\r';
    p[1] = '\n';
}

TableFile::TableFile(std::FILE* fp, RowBuffer& buffer, const ZoneModel& zone)
    : fp_(fp), times_(zone), values_(value_fields()), buffer_(buffer)
{
    // Blocks go straight to the file; a second buffer would only copy them.
    std::setvbuf(fp_, nullptr, _IONBF, 0);
}

TableFile::~TableFile()
{
    if (fp_ != nullptr)
        std::fclose(fp_);
}

void TableFile::write_header()
{
    put(kHeader, kHeaderSize);
}

std::size_t TableFile::write_rows(const sampleRecord* records, std::size_t count)
{
    std::size_t taken = 0;
    while (count > 0 && !failed()) {
        const std::size_t room = (sizeof buffer_.bytes - used_) / kRowSize;
        if (room == 0) {
            flush();
            continue;
        }
        const std::size_t n = room < count ? room : count;
        char* out = buffer_.bytes + used_;
        for (std::size_t i = 0; i < n; ++i, out += kRowSize)
            format_row(records[i], times_, values_, out);
        used_ += n * kRowSize;
        records += n;
        count -= n;
        taken += n;
    }
    return taken;
}

void TableFile::put(const char* bytes, std::size_t size)
{
    if (sizeof buffer_.bytes - used_ < size)
        flush();
    std::memcpy(buffer_.bytes + used_, bytes, size);
    used_ += size;
}

void TableFile::flush()
{
    if (used_ > 0 && !failed()) {
        errno = 0;
        if (std::fwrite(buffer_.bytes, 1, used_, fp_) != used_)
            fail(last_error());
    }
    used_ = 0;
}

bool TableFile::close()
{
    if (fp_ == nullptr)
        return !failed();
    flush();
    std::FILE* fp = fp_;
    fp_ = nullptr;
    errno = 0;
    if (std::fclose(fp) != 0)
        fail(last_error());
    return !failed();
}

void TableFile::fail(int error)
{
    if (error_ == 0)
        error_ = error;
}

}  // namespace adconv
