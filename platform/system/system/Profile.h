#pragma once
// Profile (INI) files: "[Section]" headers and "key=value" lines.
// Files are written as UTF-16LE with a byte-order mark and CRLF line ends; the reader also takes
// UTF-16 without a mark, UTF-16BE with a mark and UTF-8 (with or without a mark). Text in memory
// is UTF-8; anything that does not decode becomes U+FFFD. No text is ever cut to a fixed length.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "system/FileAccess.h"

namespace kv {

// Text conversions used by the profile reader and writer.
// Invalid input (lone surrogates, a dangling odd byte, bad UTF-8) becomes U+FFFD.
std::string Utf16LeToUtf8(const std::uint8_t* data, std::size_t size);
std::string Utf16BeToUtf8(const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> Utf8ToUtf16Le(const std::string& text);
// Repairs a UTF-8 string: every invalid sequence becomes U+FFFD.
std::string SanitizeUtf8(const std::string& text);
// Decodes the bytes of a text file, choosing the encoding from its mark or its zero bytes.
std::string DecodeTextFile(const std::vector<std::uint8_t>& bytes);

// Profile files (language files, the system profile) are a few kilobytes; a file above this is
// not one and is refused unread.
constexpr std::size_t kMaxProfileFileBytes = 4u << 20;

class Profile {
public:
    // One line of a section: the text before the first '=' (spaces trimmed) and everything after
    // it, unchanged. A line without '=' has an empty key and the whole line as its value.
    struct Entry {
        std::string key;
        std::string value;
    };

    // Replaces the contents with the file's; false (and empty, with *error set when given) when
    // it cannot be read. Reading and parsing take time in proportion to the file's size.
    bool Load(const std::string& path, FileError* error = nullptr);
    // Replaces the contents with the parsed text (UTF-8) or file bytes (any accepted encoding).
    void Parse(const std::string& text);
    void ParseBytes(const std::vector<std::uint8_t>& bytes);

    // UTF-16LE with mark, sections and lines in their order.
    std::vector<std::uint8_t> ToBytes() const;
    bool Save(const std::string& path) const;

    void Clear() {
        m_sections.clear();
        m_index.clear();
    }
    bool HasSection(const std::string& section) const { return Find(section) != nullptr; }
    std::vector<std::string> SectionNames() const;

    // The lines of a section in file order (blank and ';' comment lines left out), or nullptr.
    // Section names compare without regard to ASCII case.
    const std::vector<Entry>* Section(const std::string& section) const;

    // Value of the first line whose key equals `key` (ASCII case ignored), with surrounding blanks
    // removed; `fallback` when the section or key is absent.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& fallback = std::string()) const;
    bool HasKey(const std::string& section, const std::string& key) const;

    // Sets (or adds) a key. Refuses names and values that the file format cannot carry
    // (line breaks, '=' in a key, ']' in a section name, empty key or section).
    bool SetString(const std::string& section, const std::string& key, const std::string& value);
    // Removes every line of `key` from the section; false when there was none.
    bool DeleteKey(const std::string& section, const std::string& key);

private:
    struct SectionData {
        std::string name;
        std::vector<Entry> entries;
    };
    const SectionData* Find(const std::string& section) const;
    SectionData* Find(const std::string& section);
    SectionData& Add(const std::string& section);
    // Parse of text that is valid UTF-8.
    void ParseValid(const std::string& text);

    std::vector<SectionData> m_sections;
    // Section positions by ASCII-lower-cased name: a file of many sections is read in linear time.
    std::unordered_map<std::string, std::size_t> m_index;
};

// One-call helpers in the manner of the system's private profile functions.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& fallback, const std::string& path);
// Reads, changes and rewrites the file (atomically); false when the value is refused or the
// file cannot be written.
bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& path);

} // namespace kv
