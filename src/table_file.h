// The table file "adtable": an empty line, the header, then one
// tab-separated row per record, every line ending in CR LF whatever the
// platform.
#ifndef ADCONV_TABLE_FILE_H
#define ADCONV_TABLE_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace adconv {

constexpr char kTableName[] = "adtable";

constexpr char kHeader[] =
    "\r\nTime               \tad1_0\tad1_1\tad1_2\tad1_3\tad1_4\tad1_5\tad1_6\tad1_7"
    "\tad2_0\tad2_1\tad2_2\tad2_3\tad2_4\tad2_5\tad2_6\tad2_7\r\n";
constexpr std::size_t kHeaderSize = sizeof kHeader - 1;

// Every row is this long, CR LF included: the time column and sixteen
// values of a tab and seven characters each.
constexpr std::size_t kRowSize = 149;

// Where a table gathers its rows before writing them in whole blocks: about
// 1 MiB, too large for the stack, so the caller decides where it lives.
struct RowBuffer {
    static constexpr std::size_t kRows = 7040;
    char bytes[kRows * kRowSize];
};

// The table file: the header and whole rows, gathered in the buffer and
// written in blocks. After the first failed write nothing more is written;
// a regular file is cut back to its last whole row, and the failure is
// kept for the caller to report once.
class TableFile {
public:
    // Writes the header, then the rows, to `fp`, opened for binary writing,
    // which the table now owns and closes; `regular`: a file that can be cut
    // back. `buffer` must outlive the table.
    TableFile(std::FILE* fp, bool regular, RowBuffer& buffer);
    // Closes a table that was not closed, dropping the rows still in the
    // buffer: a table given up on is not completed. Call close() to keep them.
    ~TableFile();
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    // Room for one more row at the end of the buffer, to be filled before
    // the next call; nullptr once a write failed.
    char* add_row()
    {
        if (sizeof buffer_.bytes - used_ < kRowSize && !flush())
            return nullptr;
        used_ += kRowSize;
        return buffer_.bytes + used_ - kRowSize;
    }
    // Writes out what is buffered and closes; false when that or any
    // earlier write failed.
    bool close();

    // The whole rows the file took.
    std::int64_t rows() const;
    // errno of the first failure, 0 if none.
    int error() const { return error_; }

private:
    bool flush();

    std::FILE* fp_;
    bool regular_;
    RowBuffer& buffer_;
    std::size_t used_ = 0;
    std::uint64_t written_ = 0;  // bytes the file took
    int error_ = 0;
};

}  // namespace adconv

#endif
