#include "resources/menus/MenuResources.h"

#include "framework/Accelerator.h"
#include "framework/Menu.h"
#include "framework/ToolBar.h"
#include "resources/menus/CommandImages.h"
#include "resources/menus/MainMenuLayout.h"

#include <vector>

namespace kv {

namespace {

MenuTemplateItem MakeItem(const MenuLine& line) {
    MenuTemplateItem item;
    item.text = line.text;
    switch (line.kind & 0xFF) {
    case kMenuSeparator:
        item.flags = MF_SEPARATOR;
        break;
    case kMenuPopup:
        item.flags = MF_POPUP;
        break;
    default:
        item.id = line.id;
        break;
    }
    return item;
}

// Builds the items of one level from `lines[index]` on, as long as the lines are at `depth`
// or deeper; returns them and leaves `index` on the first line of a shallower level.
std::vector<MenuTemplateItem> BuildLevel(const MenuLine* lines, std::size_t count, std::size_t& index,
                                         int depth) {
    std::vector<MenuTemplateItem> items;
    while (index < count && lines[index].depth >= depth) {
        if (lines[index].depth > depth) { // a line deeper than its popup allows: skip it
            ++index;
            continue;
        }
        MenuTemplateItem item = MakeItem(lines[index]);
        ++index;
        if (item.flags & MF_POPUP)
            item.children = BuildLevel(lines, count, index, depth + 1);
        items.push_back(std::move(item));
    }
    return items;
}

// Text of the main-menu item that carries command `id`; the context menu repeats those items.
const char* MainMenuText(unsigned id) {
    for (const MenuLine& line : kMainMenuLayout)
        if ((line.kind & 0xFF) == kMenuCommand && line.id == id)
            return line.text;
    return "";
}

std::vector<MenuTemplateItem> ContextMenu() {
    MenuTemplateItem popup;
    popup.text = "Popup";
    popup.flags = MF_POPUP;
    auto command = [](unsigned id, const char* text) {
        MenuTemplateItem item;
        item.id = id;
        item.text = text;
        return item;
    };
    popup.children.push_back(command(ID_WINDOW_MODE, "Window Mode"));
    popup.children.push_back(command(ID_INFORMATION_ONOFF, "Information ON"));

    MenuTemplateItem time;
    time.text = "Change Time/DIV";
    time.flags = MF_POPUP;
    for (unsigned i = 0; i <= ID_TIMEDIV_LAST - ID_TIMEDIV_FIRST; ++i)
        time.children.push_back(command(ID_TIMEDIV_FIRST + i, MainMenuText(ID_TIMEDIV_FIRST + i)));
    popup.children.push_back(std::move(time));

    for (int channel = 0; channel < 2; ++channel) {
        MenuTemplateItem volts;
        volts.text = channel == 0 ? "Change CH1 Volt/DIV" : "Change CH2 Volt/DIV";
        volts.flags = MF_POPUP;
        const unsigned first = channel == 0 ? ID_CH1_VOLTDIV_FIRST : ID_CH2_VOLTDIV_FIRST;
        for (unsigned i = 0; i < 10; ++i)
            volts.children.push_back(command(first + i, MainMenuText(first + i)));
        popup.children.push_back(std::move(volts));
    }
    return {popup};
}

// Key to command: Ctrl+1 .. Alt+Enter, 24 entries.
std::vector<ACCEL> Accelerators() {
    const BYTE ctrl = FVIRTKEY | FCONTROL;
    auto key = [](BYTE flags, WORD vk, unsigned id) {
        ACCEL a;
        a.fVirt = flags;
        a.key = vk;
        a.cmd = static_cast<WORD>(id);
        return a;
    };
    return {
        key(ctrl, '1', ID_CH1_ONOFF),
        key(ctrl, '2', ID_CH2_ONOFF),
        key(ctrl, 'M', ID_MATH_ONOFF),
        key(ctrl, 'R', ID_REF_ONOFF),
        key(ctrl, 'A', ID_AUTO_SETUP),
        key(ctrl, 'D', ID_DISPLAY_DOTS),
        key(ctrl, 'V', ID_DISPLAY_VECTORS),
        key(ctrl, 'G', ID_DISPLAY_GRID),
        key(ctrl, 'H', ID_HORIZONTAL_ZERO),
        key(ctrl, 'T', ID_TRIG_LEVEL50),
        key(ctrl, 'I', ID_DISPLAY_INTENSITY),
        key(ctrl, 'O', ID_FILE_LOAD_CSV),
        key(ctrl, 'S', ID_FILE_SAVE_CSV),
        key(ctrl, 'P', ID_FILE_PRINT),
        key(ctrl, 'X', ID_APP_EXIT),
        key(FVIRTKEY | FCONTROL | FALT | FSHIFT, 'C', ID_CALIBRATE_DATA),
        key(FVIRTKEY, VK_F1, ID_HELP_CONTENTS),
        key(FVIRTKEY, VK_F1 + 1, ID_UTILITY_FFT),
        key(FVIRTKEY, VK_F1 + 2, ID_UTILITY_RECORD),
        key(FVIRTKEY, VK_F1 + 3, ID_UTILITY_PASSFAIL),
        key(FVIRTKEY, VK_F1 + 8, ID_APP_ABOUT),
        key(FVIRTKEY, VK_RETURN, ID_ACQUIRE_START),
        key(FVIRTKEY, VK_SPACE, ID_ACQUIRE_STOP),
        key(FVIRTKEY | FALT, VK_RETURN, ID_VIEW_FULL_SCREEN),
    };
}

} // namespace

void RegisterMenuResources() {
    std::size_t index = 0;
    RegisterMenuResource(IDR_MAINFRAME, BuildLevel(kMainMenuLayout, kMainMenuLineCount, index, 0));
    RegisterMenuResource(IDR_CONTEXT_MENU, ContextMenu());
    RegisterAcceleratorResource(IDR_MAINFRAME, Accelerators());
    RegisterToolBarResource(IDR_MAINFRAME,
                            std::vector<UINT>(kToolbarButtons, kToolbarButtons + kToolbarButtonCount));
}

} // namespace kv
