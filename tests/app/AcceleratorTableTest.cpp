// The main window's accelerator table as a whole: each of its 24 keys with exactly its modifiers
// runs its command, and keys or modifiers outside the table run nothing.
#include "framework/Accelerator.h"
#include "framework/Wnd.h"
#include "resources/Resource.h"
#include "resources/menus/MenuResources.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A window that keeps the commands it is asked to run.
class CommandLog : public CWnd {
public:
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        ran.push_back(LOWORD(wParam));
        return TRUE;
    }
    std::vector<UINT> ran;
};

constexpr LPARAM kCtrl = KV_KEY_CONTROL;
constexpr LPARAM kShift = KV_KEY_SHIFT;
constexpr LPARAM kAlt = KV_KEY_ALT;

class AcceleratorTable : public ::testing::Test {
protected:
    AcceleratorTable() {
        kv::RegisterMenuResources();
        table = LoadAccelerators(IDR_MAINFRAME);
    }
    ~AcceleratorTable() override { DestroyAcceleratorTable(table); }
    // The command a key runs through the table, 0 for none.
    UINT Run(UINT vk, LPARAM modifiers, UINT message = WM_KEYDOWN) {
        CommandLog log;
        MSG msg;
        msg.hwnd = &log;
        msg.message = message;
        msg.wParam = vk;
        msg.lParam = modifiers;
        const int translated = TranslateAccelerator(&log, table, &msg);
        EXPECT_EQ(translated != 0, !log.ran.empty());
        return log.ran.empty() ? 0 : log.ran.back();
    }
    HACCEL table = nullptr;
};

TEST_F(AcceleratorTable, EveryKeyRunsItsCommand) {
    ASSERT_NE(table, nullptr);
    const struct {
        UINT vk;
        LPARAM modifiers;
        UINT id;
    } keys[] = {
        {'1', kCtrl, 32777},   {'2', kCtrl, 32778},
        {'M', kCtrl, 32779},   {'R', kCtrl, 33038},
        {'A', kCtrl, 32871},   {'D', kCtrl, 32798},
        {'V', kCtrl, 32797},   {'G', kCtrl, 32801},
        {'H', kCtrl, 32990},   {'T', kCtrl, 33031},
        {'I', kCtrl, 32839},   {'O', kCtrl, 32816},
        {'S', kCtrl, 33036},   {'P', kCtrl, 57607},
        {'X', kCtrl, 57665},   {'C', kCtrl | kAlt | kShift, 33069},
        {VK_F1, 0, 32796},     {VK_F1 + 1, 0, 32870},
        {VK_F1 + 2, 0, 32792}, {VK_F1 + 3, 0, 32793},
        {VK_F1 + 8, 0, 57664}, {VK_RETURN, 0, 32872},
        {VK_SPACE, 0, 32876},  {VK_RETURN, kAlt, 32823},
    };
    for (const auto& k : keys) {
        EXPECT_EQ(Run(k.vk, k.modifiers), k.id) << k.vk << " " << k.modifiers;
        // Alt keys arrive as system keys.
        if (k.modifiers & kAlt) {
            EXPECT_EQ(Run(k.vk, k.modifiers, WM_SYSKEYDOWN), k.id) << k.vk;
        }
    }
}

TEST_F(AcceleratorTable, OtherKeysAndModifiersRunNothing) {
    const struct {
        UINT vk;
        LPARAM modifiers;
    } keys[] = {{'1', 0},          {'1', kShift},      {'1', kCtrl | kShift}, {'2', kCtrl | kAlt},
                {'3', kCtrl},      {'C', kCtrl},       {'C', kCtrl | kAlt},   {'M', 0},
                {'T', kShift},     {VK_F1 + 4, 0},     {VK_F1 + 1, kCtrl},    {VK_F1 + 7, 0},
                {VK_SPACE, kCtrl}, {VK_RETURN, kCtrl}, {VK_ESCAPE, 0}};
    for (const auto& k : keys)
        EXPECT_EQ(Run(k.vk, k.modifiers), 0u) << k.vk << " " << k.modifiers;
    // Only key presses are translated.
    EXPECT_EQ(Run('1', kCtrl, WM_KEYUP), 0u);
}

} // namespace
