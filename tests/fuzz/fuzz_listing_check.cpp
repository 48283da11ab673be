// libFuzzer harness for the listing check: any cell bytes give findings that lie inside the cell,
// in the order of the text, with valid UTF-8 messages and excerpts, and the check never changes
// the tags; the markup reader's tokens tile the bytes, in both encodings, with each attribute
// inside its tag. Input: a font-size byte, then the description cell's bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Sjis.h"
#include "sheet/CellMarkup.h"
#include "sheet/HtmlGenerator.h"
#include "sheet/ListingCheck.h"

namespace {

bool IsUtf8(const std::string& text) {
    for (std::size_t at = 0; at < text.size();)
        if (!quorvel::sjis::NextUtf8(text, at)) return false;
    return true;
}

void CheckTokens(std::string_view text, quorvel::markup::Encoding encoding) {
    quorvel::markup::Reader reader(text, encoding);
    quorvel::markup::Token token;
    std::size_t at = 0;
    while (reader.Next(token)) {
        if (token.start != at || token.end <= token.start || token.end > text.size()) std::abort();
        if (!token.closed && token.end != text.size()) std::abort();
        for (const quorvel::markup::Attribute& attribute : token.attributes)
            if (attribute.start <= token.start || attribute.end > token.end ||
                attribute.start >= attribute.end)
                std::abort();
        at = token.end;
    }
    if (at != text.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    quorvel::TDescriptionSheet sheet;
    static constexpr int kSizes[] = {7, 8, 9, 12, 14, 18};
    quorvel::TSheetCell& cell = sheet.Rows[0].Description;
    cell.Format.FontSize = kSizes[data[0] % 6];
    cell.Text.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckTokens(cell.Text, quorvel::markup::Encoding::Cp932);
    CheckTokens(cell.Text, quorvel::markup::Encoding::Utf8);
    const std::string tags = quorvel::BuildHtmlTags(sheet);
    const quorvel::ListingCheckResult result = quorvel::CheckListing(sheet, tags);
    if (quorvel::BuildHtmlTags(sheet) != tags) std::abort();
    if (result.bytes != tags.size() || result.chars > result.bytes) std::abort();
    std::size_t lastOffset = 0;
    for (const quorvel::CheckFinding& finding : result.findings) {
        if (finding.tag == quorvel::kWholePage) continue;
        if (finding.tag != cell.Tag) std::abort();
        if (finding.offset + finding.length > cell.Text.size()) std::abort();
        if (finding.offset < lastOffset) std::abort();
        lastOffset = finding.offset;
        if (finding.message.empty() || !IsUtf8(finding.message) || !IsUtf8(finding.text))
            std::abort();
    }
    return 0;
}
