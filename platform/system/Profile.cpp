#include "system/Profile.h"

#include "system/LittleEndian.h"

#include <algorithm>
#include <unistd.h>

namespace kv {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at `i`, advancing `i`. An invalid sequence yields U+FFFD and consumes
// its lead byte plus the continuation bytes that were still plausible (the maximal subpart).
char32_t NextUtf8(const std::string& s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i++);
    if (lead < 0x80)
        return lead;
    int need;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0)
            lo = 0xA0; // no overlong forms
        if (lead == 0xED)
            hi = 0x9F; // no encoded surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        cp = lead & 0x07;
        if (lead == 0xF0)
            lo = 0x90;
        if (lead == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    } else {
        return kReplacement;
    }
    for (int k = 0; k < need; ++k) {
        if (i >= s.size())
            return kReplacement;
        const unsigned char c = byte(i);
        const unsigned char min = k == 0 ? lo : 0x80;
        const unsigned char max = k == 0 ? hi : 0xBF;
        if (c < min || c > max)
            return kReplacement;
        cp = (cp << 6) | (c & 0x3F);
        ++i;
    }
    return cp;
}

std::string Utf16ToUtf8(const std::uint8_t* data, std::size_t size, bool bigEndian) {
    std::string out;
    out.reserve(size / 2 + 1);
    const std::size_t units = size / 2;
    const auto unit = [&](std::size_t k) -> char32_t {
        const std::uint8_t a = data[2 * k], b = data[2 * k + 1];
        return bigEndian ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>(a | (b << 8));
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char32_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (k + 1 < units) {
                const char32_t v = unit(k + 1);
                if (v >= 0xDC00 && v <= 0xDFFF) {
                    AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                    ++k;
                    continue;
                }
            }
            AppendUtf8(out, kReplacement);
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    // A file cut in the middle of a character leaves one byte over.
    if (size % 2 != 0)
        AppendUtf8(out, kReplacement);
    return out;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string& s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

} // namespace

std::string Utf16LeToUtf8(const std::uint8_t* data, std::size_t size) {
    return Utf16ToUtf8(data, size, false);
}

std::string Utf16BeToUtf8(const std::uint8_t* data, std::size_t size) {
    return Utf16ToUtf8(data, size, true);
}

std::string SanitizeUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size())
        AppendUtf8(out, NextUtf8(text, i));
    return out;
}

std::vector<std::uint8_t> Utf8ToUtf16Le(const std::string& text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() * 2);
    const auto put = [&](char32_t u) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>((u >> 8) & 0xFF));
    };
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t cp = NextUtf8(text, i);
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

std::string DecodeTextFile(const std::vector<std::uint8_t>& bytes) {
    const std::size_t n = bytes.size();
    const std::uint8_t* p = bytes.data();
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE)
        return Utf16LeToUtf8(p + 2, n - 2);
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF)
        return Utf16BeToUtf8(p + 2, n - 2);
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return SanitizeUtf8(std::string(reinterpret_cast<const char*>(p + 3), n - 3));
    // No mark: UTF-16 text of this kind (digits, '=', line ends) is full of zero bytes, and
    // which half of each unit they fall in gives the byte order; UTF-8 text has none.
    std::size_t evenZeros = 0, oddZeros = 0;
    const std::size_t probe = std::min<std::size_t>(n, 8192);
    for (std::size_t i = 0; i < probe; ++i)
        if (p[i] == 0)
            (i % 2 == 0 ? evenZeros : oddZeros)++;
    if (oddZeros > evenZeros)
        return Utf16LeToUtf8(p, n);
    if (evenZeros > oddZeros)
        return Utf16BeToUtf8(p, n);
    return SanitizeUtf8(std::string(reinterpret_cast<const char*>(p), n));
}

bool Profile::Load(const std::string& path, FileError* error) {
    Clear();
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kMaxProfileFileBytes, error))
        return false;
    ParseBytes(bytes);
    return true;
}

void Profile::ParseBytes(const std::vector<std::uint8_t>& bytes) {
    // The decoders give valid UTF-8 already: no second copy to repair it.
    ParseValid(DecodeTextFile(bytes));
}

void Profile::Parse(const std::string& rawText) {
    ParseValid(SanitizeUtf8(rawText));
}

void Profile::ParseValid(const std::string& text) {
    Clear();
    SectionData* current = nullptr;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        // A zero character ends nothing here but would cut the text short wherever it is later
        // handed on as a C string, so it is dropped (resource images are often zero-padded).
        line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
        pos = end + 1;
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++pos;

        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == ';')
            continue;
        if (trimmed[0] == '[') {
            const std::size_t close = trimmed.find(']');
            const std::string name =
                Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = Find(name);
            if (!current)
                current = &Add(name);
            continue;
        }
        if (!current)
            continue; // lines before the first section belong to none
        // A value keeps its blanks at both ends: some texts are indented or padded on purpose.
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            current->entries.push_back({std::string(), Trim(line)});
        else
            current->entries.push_back({Trim(line.substr(0, eq)), line.substr(eq + 1)});
    }
}

std::vector<std::uint8_t> Profile::ToBytes() const {
    std::string text;
    for (const auto& s : m_sections) {
        text += "[" + s.name + "]\r\n";
        for (const auto& e : s.entries) {
            if (e.key.empty())
                text += e.value + "\r\n";
            else
                text += e.key + "=" + e.value + "\r\n";
        }
    }
    std::vector<std::uint8_t> out{0xFF, 0xFE};
    const auto body = Utf8ToUtf16Le(text);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool Profile::Save(const std::string& path) const {
    const auto bytes = ToBytes();
    return WriteWholeFileAtomic(path, bytes.data(), bytes.size());
}

std::vector<std::string> Profile::SectionNames() const {
    std::vector<std::string> names;
    for (const auto& s : m_sections)
        names.push_back(s.name);
    return names;
}

const Profile::SectionData* Profile::Find(const std::string& section) const {
    const auto it = m_index.find(LowerAscii(section));
    return it == m_index.end() ? nullptr : &m_sections[it->second];
}

Profile::SectionData* Profile::Find(const std::string& section) {
    const auto it = m_index.find(LowerAscii(section));
    return it == m_index.end() ? nullptr : &m_sections[it->second];
}

Profile::SectionData& Profile::Add(const std::string& section) {
    m_index.emplace(LowerAscii(section), m_sections.size());
    m_sections.push_back({section, {}});
    return m_sections.back();
}

const std::vector<Profile::Entry>* Profile::Section(const std::string& section) const {
    const SectionData* s = Find(section);
    return s ? &s->entries : nullptr;
}

std::string Profile::GetString(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
    if (const SectionData* s = Find(section))
        for (const auto& e : s->entries)
            if (!e.key.empty() && EqualNoCase(e.key, key))
                return Trim(e.value);
    return fallback;
}

bool Profile::HasKey(const std::string& section, const std::string& key) const {
    if (const SectionData* s = Find(section))
        for (const auto& e : s->entries)
            if (!e.key.empty() && EqualNoCase(e.key, key))
                return true;
    return false;
}

bool Profile::SetString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string name = Trim(section), k = Trim(key);
    // Without these checks a value could smuggle extra lines or sections into the file.
    if (name.empty() || k.empty() || HasLineBreak(name) || HasLineBreak(k) || HasLineBreak(value) ||
        name.find(']') != std::string::npos || k.find('=') != std::string::npos || k[0] == '[' ||
        k[0] == ';' || name.find('\0') != std::string::npos || k.find('\0') != std::string::npos ||
        value.find('\0') != std::string::npos)
        return false;
    SectionData* s = Find(name);
    if (!s)
        s = &Add(SanitizeUtf8(name));
    for (auto& e : s->entries)
        if (!e.key.empty() && EqualNoCase(e.key, k)) {
            e.value = SanitizeUtf8(value);
            return true;
        }
    s->entries.push_back({SanitizeUtf8(k), SanitizeUtf8(value)});
    return true;
}

bool Profile::DeleteKey(const std::string& section, const std::string& key) {
    SectionData* s = Find(section);
    if (!s)
        return false;
    const auto before = s->entries.size();
    s->entries.erase(
        std::remove_if(s->entries.begin(), s->entries.end(),
                       [&](const Entry& e) { return !e.key.empty() && EqualNoCase(e.key, key); }),
        s->entries.end());
    return s->entries.size() != before;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& fallback, const std::string& path) {
    Profile p;
    if (!p.Load(path))
        return fallback;
    return p.GetString(section, key, fallback);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& path) {
    Profile p;
    // A missing file starts empty; an existing one that cannot be read is left alone rather than
    // replaced by a file holding only the new key.
    if (!p.Load(path) && ::access(path.c_str(), F_OK) == 0)
        return false;
    if (!p.SetString(section, key, value))
        return false;
    return p.Save(path);
}

} // namespace kv
