#include "resources/language/BuiltinEnglish.h"

#include "resources/menus/MainMenuLayout.h"

namespace kv {

// Main-menu item texts, keyed by position: 800 + p for the menu bar's popups, then two more
// digits per level (80000 + 100p + q, 8000000 + 10000p + 100q + r, and so on); separators carry
// "--", and '#' separates an item's text from its accelerator text ("Load CSV#Ctrl+O").
// The keys are worked out from the main menu's own layout, so the two can never disagree.
// The nS time steps and the record-length items depend on the model and are added by the
// language table itself when it loads, so they do not appear here.
const std::vector<BuiltinText>& BuiltinEnglishMenuTexts() {
    static const std::vector<BuiltinText> texts = [] {
        std::vector<BuiltinText> out;
        constexpr int kMaxDepth = 4;
        int position[kMaxDepth] = {-1, -1, -1, -1};
        for (const MenuLine& line : kMainMenuLayout) {
            if (line.depth < 0 || line.depth >= kMaxDepth)
                continue;
            ++position[line.depth];
            for (int d = line.depth + 1; d < kMaxDepth; ++d)
                position[d] = -1;
            if (line.kind & kMenuNoKey)
                continue;
            int key = 8;
            for (int d = 0; d <= line.depth; ++d)
                key = key * 100 + position[d];
            const bool separator = (line.kind & 0xFF) == kMenuSeparator;
            out.push_back({key, separator ? "--" : line.text});
        }
        return out;
    }();
    return texts;
}

} // namespace kv
