// Fuzz target: a whole input of any length to table bytes. The first byte
// picks a time zone; the rest is the sample file. The table must hold the
// header and one checked row per whole record, and nothing else.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "convert.h"
#include "fuzz_check.h"
#include "row_oracle.h"
#include "table_file.h"

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

// In the current folder (the build tree, under ctest), removed after each
// input; one whose check fails leaves it behind to look at.
const std::string& table_path()
{
    static const std::string path = "adconv-fuzz-" + std::to_string(getpid()) + ".table";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const adconv::ZoneModel& zone = adconv_fuzz::select_zone(data[0]);
    std::vector<unsigned char> input(data + 1, data + size);
    // fmemopen may refuse an empty buffer; /dev/null is the empty input.
    std::FILE* in = input.empty() ? std::fopen("/dev/null", "rb") : fmemopen(input.data(), input.size(), "rb");
    if (in == nullptr)
        fail("cannot open the input buffer");

    const auto rows = std::make_unique<adconv::RowBuffer>();
    std::FILE* out = std::fopen(table_path().c_str(), "wb");
    if (out == nullptr)
        fail("cannot create the table");
    adconv::TableFile table(out, true, *rows);
    const int read_error = adconv::convert_records(in, zone, table);
    std::fclose(in);
    if (!table.close())
        fail("table not written");

    const std::size_t records = (size - 1) / adconv::kRecordSize;
    if (read_error != 0 || table.rows() != static_cast<std::int64_t>(records))
        fail("wrong record count or a read error");
    std::ifstream written(table_path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    written.close();
    std::remove(table_path().c_str());
    if (bytes.size() != adconv::kHeaderSize + records * adconv::kRowSize)
        fail("table size is not header + rows");
    if (bytes.compare(0, adconv::kHeaderSize, adconv_test::kPlainHeader) != 0)
        fail("header differs");
    for (std::size_t i = 0; i < records; ++i)
        adconv_fuzz::check_row(adconv_fuzz::record_from(data + 1 + i * adconv::kRecordSize),
                               bytes.data() + adconv::kHeaderSize + i * adconv::kRowSize);
    return 0;
}
