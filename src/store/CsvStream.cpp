#include "store/CsvStream.h"

#include <algorithm>
#include <cstring>

namespace quorvel {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

bool IsFieldEnd(char c) {
    return c == ',' || c == '\n' || c == '\r';
}

}  // namespace

std::optional<std::size_t> StringCsvSource::Read(char* buffer, std::size_t size) {
    const std::size_t n = std::min({size, piece_, bytes_.size()});
    std::memcpy(buffer, bytes_.data(), n);
    bytes_.remove_prefix(n);
    return n;
}

bool CsvRecord::blank() const {
    if (droppedBytes > 0) return false;
    return std::all_of(lengths.begin(), lengths.end(), [](std::size_t n) { return n == 0; });
}

// Appends one more piece after what is not yet taken; false at the end or on a read error.
bool CsvReader::Fill() {
    if (ended_) return false;
    if (pos_ > 0) {
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    const std::size_t old = buffer_.size();
    buffer_.resize(old + kChunk);
    const auto n = source_.Read(buffer_.data() + old, kChunk);
    buffer_.resize(old + (n ? *n : 0));
    if (!n || *n == 0) {
        failed_ = !n;
        ended_ = true;
        return false;
    }
    return true;
}

std::string_view CsvReader::Peek(std::size_t size) {
    while (buffer_.size() - pos_ < size && Fill()) {
    }
    return std::string_view(buffer_).substr(pos_, size);
}

bool CsvReader::SkipByteOrderMark() {
    if (!Peek(kUtf8ByteOrderMark.size()).starts_with(kUtf8ByteOrderMark)) return false;
    pos_ += kUtf8ByteOrderMark.size();
    return true;
}

std::size_t CsvReader::LimitFor(std::size_t field) const {
    return field < limits_.fields.size() ? limits_.fields[field] : limits_.others;
}

void CsvReader::Keep(CsvRecord& record, std::string_view bytes) {
    fieldLength_ += bytes.size();
    if (record.fieldCount >= limits_.maxFields) return;
    const std::size_t limit = LimitFor(record.fieldCount);
    const std::size_t room =
        std::min(limit > field_.size() ? limit - field_.size() : 0, limits_.record - recordKept_);
    const std::size_t kept = std::min(room, bytes.size());
    field_.append(bytes.substr(0, kept));
    recordKept_ += kept;
}

void CsvReader::EndField(CsvRecord& record) {
    if (record.fieldCount < limits_.maxFields) {
        record.fields.push_back(std::move(field_));
        record.lengths.push_back(fieldLength_);
    } else {
        record.droppedBytes += fieldLength_;
    }
    ++record.fieldCount;
    field_.clear();
    fieldLength_ = 0;
}

CsvStatus CsvReader::Next(CsvRecord& record) {
    record.fields.clear();
    record.lengths.clear();
    record.fieldCount = 0;
    record.droppedBytes = 0;
    record.row = row_;
    field_.clear();
    fieldLength_ = 0;
    recordKept_ = 0;
    enum class State { Start, Plain, Quoted, QuoteSeen } state = State::Start;
    bool started = false;
    for (;;) {
        if (pos_ == buffer_.size() && !Fill()) {
            if (failed_) return CsvStatus::ReadFailed;
            if (state == State::Quoted) {
                EndField(record);
                return CsvStatus::UnclosedQuote;
            }
            if (!started) return CsvStatus::End;
            EndField(record);
            ++row_;
            return CsvStatus::Record;
        }
        started = true;
        const std::string_view data = std::string_view(buffer_).substr(pos_);
        switch (state) {
            case State::Quoted: {
                const std::size_t quote = data.find('"');
                Keep(record, data.substr(0, quote));
                if (quote == std::string_view::npos) {
                    pos_ = buffer_.size();
                } else {
                    pos_ += quote + 1;
                    state = State::QuoteSeen;
                }
                continue;
            }
            case State::QuoteSeen:
                if (data[0] == '"') {
                    Keep(record, "\"");
                    ++pos_;
                    state = State::Quoted;
                } else {
                    state = State::Plain;  // closed: what follows is plain text
                }
                continue;
            case State::Start:
                if (data[0] == '"') {
                    ++pos_;
                    state = State::Quoted;
                    continue;
                }
                state = State::Plain;
                break;
            case State::Plain:
                break;
        }
        std::size_t run = 0;
        while (run < data.size() && !IsFieldEnd(data[run])) ++run;
        if (run > 0) {
            Keep(record, data.substr(0, run));
            pos_ += run;
            continue;
        }
        const char c = data[0];
        if (c == ',') {
            ++pos_;
            EndField(record);
            state = State::Start;
            continue;
        }
        std::size_t endLength = 1;
        if (c == '\r') {
            // A line end only with LF right after, which may lie in the next piece.
            if (pos_ + 1 == buffer_.size()) Fill();
            if (pos_ + 1 >= buffer_.size() || buffer_[pos_ + 1] != '\n') {
                if (failed_) return CsvStatus::ReadFailed;
                Keep(record, "\r");
                ++pos_;
                continue;
            }
            endLength = 2;
        }
        if (!lineEndSeen_) {
            lineEnd_.assign(buffer_, pos_, endLength);
            lineEndSeen_ = true;
        }
        pos_ += endLength;
        EndField(record);
        ++row_;
        return CsvStatus::Record;
    }
}

}  // namespace quorvel
