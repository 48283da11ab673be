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
    // What is written closes every quote, so an unclosed one is not there to be found again.
    quorvel::CsvTable closed = table;
    closed.unclosedQuoteRow.reset();
    const quorvel::CsvTable again = quorvel::ReadCsv(quorvel::WriteCsv(closed), table.encoding);
    if (!(again == closed)) std::abort();
    if (table.unclosedQuoteRow && *table.unclosedQuoteRow + 1 != table.rows.size()) std::abort();
    return 0;
}
