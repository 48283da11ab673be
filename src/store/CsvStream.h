#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileStreams.h"

// Comma-separated tables read one record at a time, in bounded memory whatever the input holds:
// fields past a limit keep only their first bytes (with their whole length noted), and a record
// keeps at most a fixed number of fields and bytes.
//
// Fields in double quotes may hold commas, doubled quotes and line breaks; a quote anywhere else
// is an ordinary character, as spreadsheet programs read it; text after a closing quote is kept in
// the field. Lines end in CR LF or LF; a lone CR is text. Splitting on bytes is safe in UTF-8 and
// code page 932 alike: no byte of a multi-byte character is a quote, a comma, CR or LF.
namespace quorvel {

// The UTF-8 byte-order mark some spreadsheet programs put first.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Where the reader's bytes come from.
class CsvSource {
  public:
    virtual ~CsvSource() = default;
    // Up to `size` bytes: how many were read, 0 at the end, nothing on a read error.
    virtual std::optional<std::size_t> Read(char* buffer, std::size_t size) = 0;
};

// Bytes held in memory, handed out at most `piece` bytes at a time.
class StringCsvSource final : public CsvSource {
  public:
    explicit StringCsvSource(std::string_view bytes, std::size_t piece = SIZE_MAX)
        : bytes_(bytes), piece_(piece == 0 ? 1 : piece) {}
    std::optional<std::size_t> Read(char* buffer, std::size_t size) override;

  private:
    std::string_view bytes_;
    std::size_t piece_;
};

class FileCsvSource final : public CsvSource {
  public:
    explicit FileCsvSource(fileio::InputFile& file) : file_(file) {}
    std::optional<std::size_t> Read(char* buffer, std::size_t size) override {
        return file_.Read(buffer, size);
    }

  private:
    fileio::InputFile& file_;
};

// What a record keeps; by default everything.
struct CsvLimits {
    std::vector<std::size_t> fields;   // field k keeps at most fields[k] bytes
    std::size_t others = SIZE_MAX;     // fields beyond that list
    std::size_t record = SIZE_MAX;     // bytes kept in all the fields of one record
    std::size_t maxFields = SIZE_MAX;  // fields kept; later ones are only measured
};

struct CsvRecord {
    std::vector<std::string> fields;   // each cut to its limit
    std::vector<std::size_t> lengths;  // each field's whole length in bytes, quotes undone
    std::size_t row = 0;               // counted from 0
    std::size_t fieldCount = 0;        // fields met, also those past the kept ones
    std::size_t droppedBytes = 0;      // bytes in the fields past the kept ones
    bool blank() const;
    bool cut(std::size_t k) const { return lengths[k] > fields[k].size(); }
};

enum class CsvStatus { Record, End, UnclosedQuote, ReadFailed };

class CsvReader {
  public:
    explicit CsvReader(CsvSource& source) : source_(source) {}

    // The first bytes of the input (fewer when it is shorter), read ahead without being taken.
    std::string_view Peek(std::size_t size);
    // Takes the UTF-8 byte-order mark when the input starts with one.
    bool SkipByteOrderMark();
    void SetLimits(CsvLimits limits) { limits_ = std::move(limits); }

    // The next record. UnclosedQuote: a quoted field that began in record `unclosedRow()` runs
    // to the end of the input; `record` then holds that record as far as it went.
    CsvStatus Next(CsvRecord& record);
    std::size_t unclosedRow() const { return row_; }
    // The first line end met outside quotes, else CR LF.
    const std::string& lineEnd() const { return lineEnd_; }

  private:
    bool Fill();
    std::size_t LimitFor(std::size_t field) const;
    void EndField(CsvRecord& record);
    void Keep(CsvRecord& record, std::string_view bytes);

    CsvSource& source_;
    std::string buffer_;
    std::size_t pos_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    std::size_t row_ = 0;
    std::string lineEnd_ = "\r\n";
    bool lineEndSeen_ = false;
    CsvLimits limits_;
    std::string field_;
    std::size_t fieldLength_ = 0;
    std::size_t recordKept_ = 0;
};

}  // namespace quorvel
