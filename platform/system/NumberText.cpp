#include "system/NumberText.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <limits>
#include <locale.h>

namespace kv {

namespace {

// The "C" locale as an object of its own: made once, never freed, shared by every thread.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Switches the calling thread to the "C" locale for its lifetime. Other threads keep theirs, so a
// client thread of the SDK that formats text of its own at the same moment is not disturbed.
// Should the locale object be missing (no memory at all), text is formatted as the thread's
// locale has it: never worse than before.
class ScopedCLocale {
public:
    ScopedCLocale() {
        if (const locale_t c = CLocale())
            m_previous = uselocale(c);
    }
    ~ScopedCLocale() {
        if (m_previous)
            uselocale(m_previous);
    }
    ScopedCLocale(const ScopedCLocale&) = delete;
    ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
    locale_t m_previous = static_cast<locale_t>(nullptr);
};

std::string_view SkipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

std::string_view SkipPlus(std::string_view s) {
    if (!s.empty() && s[0] == '+')
        s.remove_prefix(1);
    return s;
}

} // namespace

std::string FormatTextV(const char* format, va_list args) {
    if (!format)
        return std::string();
    const ScopedCLocale cLocale;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0)
        return std::string();
    if (static_cast<std::size_t>(n) < sizeof small)
        return std::string(small, static_cast<std::size_t>(n));
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), format, args);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    return text;
}

void AppendFixed(std::string& out, double value, int precision) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
    if (res.ec == std::errc())
        out.append(buf, res.ptr);
    else
        out += "0";
}

bool ParseDouble(std::string_view s, double& value, std::string_view* rest) {
    s = SkipPlus(SkipBlanks(s));
    value = 0.0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (rest)
        *rest = s.substr(static_cast<std::size_t>(res.ptr - s.data()));
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone: the sign decides which end it was.
        value = (!s.empty() && s[0] == '-') ? -std::numeric_limits<double>::infinity()
                                            : std::numeric_limits<double>::infinity();
        return true;
    }
    return res.ec == std::errc();
}

bool ParseInteger(std::string_view s, long long& value) {
    s = SkipPlus(SkipBlanks(s));
    value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec == std::errc::result_out_of_range) {
        value = (!s.empty() && s[0] == '-') ? std::numeric_limits<long long>::min()
                                            : std::numeric_limits<long long>::max();
        return true;
    }
    return res.ec == std::errc();
}

} // namespace kv
