#pragma once
// The built-in English language table: every user-interface text keyed by its number, in the
// order a language file lists them. Keys: main-menu items ("8" + two digits per menu level),
// dialog captions by dialog id, control texts by control id, messages 4000..4028, toolbar
// tooltips by command id, and 8888 the language's name.
#include <cstddef>
#include <vector>

namespace kv {

struct BuiltinText {
    int key;
    const char* text; // UTF-8, never null
};

// The whole table, menu items first, then the rest (built once, never changes).
const std::vector<BuiltinText>& BuiltinEnglishTable();

// The main-menu part alone (keys 800.. and longer keys beginning with 8).
const std::vector<BuiltinText>& BuiltinEnglishMenuTexts();

} // namespace kv
