#include "resources/language/BuiltinEnglish.h"

namespace kv {

// Main-menu item texts, keyed by position: 800 + p for the menu bar's popups, then two more
// digits per level (80000 + 100p + q, 8000000 + 10000p + 100q + r, and so on); separators carry
// "--", and '#' separates an item's text from its accelerator text ("Load CSV#Ctrl+O").
// The entries follow the layout of the main menu resource and are listed here in its order.
// The nS time steps and the record-length items depend on the model and are added by the
// language table itself when it loads, so they do not appear here.
const std::vector<BuiltinText>& BuiltinEnglishMenuTexts() {
    static const std::vector<BuiltinText> texts = {
        // One line per menu-bar popup and item, in the menu resource's order, for example
        // {800, "File"}, {80000, "Load CSV#Ctrl+O"}, ... {810, "Help"}.
    };
    return texts;
}

} // namespace kv
