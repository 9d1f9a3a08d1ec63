#pragma once
// Numbers as text, alike under every locale. Every number the program and the SDK libraries
// print or read goes through here, so a user's locale with a decimal comma never turns "1.25V"
// into "1,25V" on the screen or in a file, nor stops a reader at the ".". Qt adopts the user's
// locale for the whole process at start-up, and a client of the SDK may set any locale it likes.
#include <cstdarg>
#include <string>
#include <string_view>

namespace kv {

// printf-style text with "." as the decimal point and no digit grouping, whatever the locale of
// the process or of the calling thread. Only the calling thread is affected while it formats,
// and its locale is left as it was.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatTextV(const char* format, va_list args);

// Appends "%.<precision>f" of `value` in the same form; "0" when it cannot be written.
void AppendFixed(std::string& out, double value, int precision);

// The number at the start of `s` (blanks and tabs skipped, one leading '+' allowed), "." being
// the decimal point; false, with 0, when there is none. A magnitude beyond double gives an
// infinity of its sign. With `rest`, the text after the number is left there.
bool ParseDouble(std::string_view s, double& value, std::string_view* rest = nullptr);

// A decimal integer at the start of `s` (blanks and tabs skipped, one leading '+' allowed),
// saturated to 64 bits; false, with 0, when there is none.
bool ParseInteger(std::string_view s, long long& value);

} // namespace kv
