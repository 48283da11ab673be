// libFuzzer harness for the plain-text rendition of cell text (which comes from data files and
// spreadsheets): it ends, never grows past what an anchor's address can add, leaves no tag
// behind where the input had none, and writes line breaks only as CR LF.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sheet/PlainText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view cell(reinterpret_cast<const char*>(data), size);
    const std::string plain = quorvel::PlainCellText(cell);
    // Each anchor may add " (address)" once, and each byte becomes at most a CR LF.
    if (plain.size() > 4 * cell.size() + 8) std::abort();
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] == '\r' && (i + 1 >= plain.size() || plain[i + 1] != '\n')) std::abort();
        if (plain[i] == '\n' && (i == 0 || plain[i - 1] != '\r')) std::abort();
    }
    if (cell.find('<') == std::string_view::npos && cell.find('&') == std::string_view::npos &&
        plain.find('<') != std::string::npos)
        std::abort();
    if (quorvel::CountPlainTextChars(plain) > plain.size()) std::abort();

    quorvel::TDescriptionSheet sheet;
    sheet.Title.Text = std::string(cell);
    sheet.Rows[0].Item.Text = std::string(cell.substr(0, cell.size() / 2));
    sheet.Rows[0].Description.Text = std::string(cell);
    const std::string text = quorvel::BuildPlainText(sheet);
    if (!text.empty() && !std::string_view(text).ends_with("\r\n")) std::abort();
    return 0;
}
