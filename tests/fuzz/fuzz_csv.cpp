// libFuzzer harness: the CSV reader takes any bytes, and a table it read, written back by the
// writer, reads back equal.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/CsvTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const quorvel::CsvTable table = quorvel::ReadCsv(bytes);
    for (const auto& row : table.rows)
        if (row.empty()) std::abort();
    const quorvel::CsvTable again = quorvel::ReadCsv(quorvel::WriteCsv(table), table.encoding);
    if (!(again == table)) std::abort();
    return 0;
}
