#include "framework/Menu.h"
#include "framework/WinApp.h"

#include <gtest/gtest.h>

namespace {

std::vector<MenuTemplateItem> SampleMenu() {
    MenuTemplateItem file{
        "&File", 0, 0, {{"Open", 100, 0, {}}, {"", 0, MF_SEPARATOR, {}}, {"Exit", 101, 0, {}}}};
    MenuTemplateItem size{
        "Buffer Size", 0, 0, {{"10k", 200, 0, {}}, {"14k", 201, 0, {}}, {"28k", 202, 0, {}}}};
    MenuTemplateItem acquire{"Acquire", 0, 0, {{"Start", 300, MF_CHECKED, {}}, size}};
    return {file, acquire};
}

TEST(FwMenu, LoadedResourceReadsBackByPosition) {
    RegisterMenuResource(9100, SampleMenu());
    CMenu menu;
    ASSERT_TRUE(menu.LoadMenu(9100));
    EXPECT_EQ(menu.GetMenuItemCount(), 2);
    EXPECT_EQ(menu.GetMenuItemID(0), static_cast<UINT>(-1)); // a popup
    CMenu* file = menu.GetSubMenu(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->GetMenuItemCount(), 3);
    EXPECT_EQ(file->GetMenuItemID(0), 100u);
    EXPECT_EQ(file->GetMenuItemID(1), 0u); // separator
    EXPECT_EQ(file->GetMenuState(1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    CString text;
    file->GetMenuString(2, text, MF_BYPOSITION);
    EXPECT_EQ(text, "Exit");
    // By command the search goes into sub-menus.
    EXPECT_EQ(menu.GetMenuState(300, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(menu.GetMenuState(0, MF_BYPOSITION) >> 8, 3u); // popup: item count in the high byte
    EXPECT_EQ(menu.GetMenuItemID(7), static_cast<UINT>(-1));
    EXPECT_EQ(menu.GetSubMenu(7), nullptr);
    EXPECT_FALSE(menu.LoadMenu(9100)); // already holds a menu (and leaks none)
    EXPECT_FALSE(menu.CreatePopupMenu());
}

TEST(FwMenu, InsertModifyRemoveDeleteByPosition) {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 10, "A"));
    EXPECT_TRUE(menu.AppendMenu(MF_STRING, 12, "C"));
    EXPECT_TRUE(menu.InsertMenu(1, MF_BYPOSITION | MF_STRING, 11, "B"));
    EXPECT_TRUE(menu.InsertMenu(99, MF_BYPOSITION | MF_STRING, 13, "D")); // past the end appends
    ASSERT_EQ(menu.GetMenuItemCount(), 4);
    EXPECT_EQ(menu.GetMenuItemID(1), 11u);
    EXPECT_EQ(menu.GetMenuItemID(3), 13u);

    EXPECT_TRUE(menu.ModifyMenu(1, MF_BYPOSITION | MF_STRING | MF_GRAYED, 21, "B2"));
    CString s;
    menu.GetMenuString(21, s, MF_BYCOMMAND);
    EXPECT_EQ(s, "B2");
    EXPECT_EQ(menu.GetMenuState(1, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
    EXPECT_EQ(menu.EnableMenuItem(21, MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(menu.CheckMenuItem(21, MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(menu.GetMenuState(21, MF_BYCOMMAND) & (MF_CHECKED | MF_GRAYED), MF_CHECKED);
    EXPECT_EQ(menu.CheckMenuItem(999, MF_CHECKED), static_cast<UINT>(-1));

    // Owner-draw data is kept and the text stays readable.
    int record = 7;
    EXPECT_TRUE(menu.ModifyMenu(0, MF_BYPOSITION | MF_OWNERDRAW, 10, static_cast<const void*>(&record)));
    EXPECT_EQ(menu.GetMenuItemData(0, MF_BYPOSITION), reinterpret_cast<ULONG_PTR>(&record));
    menu.GetMenuString(0, s, MF_BYPOSITION);
    EXPECT_EQ(s, "A");

    EXPECT_TRUE(menu.RemoveMenu(0, MF_BYPOSITION));
    EXPECT_TRUE(menu.DeleteMenu(13, MF_BYCOMMAND));
    ASSERT_EQ(menu.GetMenuItemCount(), 2);
    EXPECT_EQ(menu.GetMenuItemID(0), 21u);
    EXPECT_EQ(menu.GetMenuItemID(1), 12u);
    EXPECT_FALSE(menu.DeleteMenu(5, MF_BYPOSITION));
}

TEST(FwMenu, SubMenusAreOwnedOnceAndStaleHandlesAreHarmless) {
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    CMenu popup;
    ASSERT_TRUE(popup.CreatePopupMenu());
    popup.AppendMenu(MF_STRING, 1, "One");
    HMENU sub = popup.Detach();
    ASSERT_TRUE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub"));
    EXPECT_FALSE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(bar.m_hMenu), "Self"));
    // A wrapper from the handle does not own it.
    EXPECT_EQ(bar.GetSubMenu(0)->m_hMenu, sub);

    // Deleting the item destroys its sub-menu once; later use of the handle does nothing.
    EXPECT_TRUE(bar.DeleteMenu(0, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(sub));
    CMenu stale;
    EXPECT_FALSE(stale.Attach(sub));
    EXPECT_EQ(CMenu::FromHandle(sub), nullptr);

    // A menu object attached elsewhere cannot be attached twice (it would be destroyed twice).
    CMenu owner;
    owner.CreatePopupMenu();
    CMenu second;
    EXPECT_FALSE(second.Attach(owner.m_hMenu));
    EXPECT_TRUE(owner.DestroyMenu());
    EXPECT_FALSE(owner.DestroyMenu());
}

TEST(FwMenu, DestroyingTheBarClearsAttachedSubMenuObjects) {
    CMenu bar;
    bar.CreateMenu();
    auto child = std::make_unique<CMenu>();
    child->CreatePopupMenu();
    HMENU h = child->m_hMenu;
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(h), "Child");
    EXPECT_EQ(CMenu::FromHandlePermanent(h), child.get());
    bar.DestroyMenu();
    EXPECT_EQ(child->m_hMenu, nullptr); // the child object no longer refers to the dead handle
    child.reset();                      // and its destructor destroys nothing twice
}

} // namespace
