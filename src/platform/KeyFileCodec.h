#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The settings file's text: one value a line ("Left=dword:120", "EditAddress=sz:..."), texts kept
// readable as UTF-8 with escapes for anything that would not come back byte for byte. Value names,
// like the registry's, ignore ASCII case.
namespace quorvel {

enum class KeyValueType { Dword, String };

struct KeyFileValue {
    std::string name;
    KeyValueType type = KeyValueType::Dword;
    std::uint32_t dword = 0;
    std::string text;  // code page 932 bytes
    bool operator==(const KeyFileValue&) const = default;
};

bool SameKeyName(std::string_view a, std::string_view b);

// A damaged file is read line by line; lines that make no sense are dropped. A name given twice
// keeps its first place and its last value.
std::vector<KeyFileValue> ParseKeyFile(std::string_view content);
std::string FormatKeyFile(const std::vector<KeyFileValue>& values);

// The escaped file form of a code page 932 text and back. Decoding fails (nothing) on an unknown
// escape, invalid UTF-8 or a character code page 932 cannot hold.
std::string EncodeKeyFileText(std::string_view cp932);
std::optional<std::string> DecodeKeyFileText(std::string_view escaped);

}  // namespace quorvel
