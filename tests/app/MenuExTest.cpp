// The owner-drawn menu: copying, conversion before a popup opens, measuring, drawing, the
// image lists it refers to, and the main menu's layout and language keys.
#include "app/MenuEx.h"
#include "engine/LanguageTable.h"
#include "framework/DC.h"
#include "framework/ImageList.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "resources/language/BuiltinEnglish.h"
#include "resources/menus/CommandImages.h"
#include "resources/menus/MenuResources.h"

#include <gtest/gtest.h>

#include "TestOutput.h"
#include <cstdlib>
#include <map>
#include <string>

namespace {

class MenuExTest : public ::testing::Test {
protected:
    void SetUp() override {
        kv::RegisterMenuResources();
        ASSERT_TRUE(m_menu.LoadMenu(IDR_MAINFRAME));
    }
    // The sub-menu at a path of positions.
    CMenuEx* Path(std::initializer_list<int> positions) {
        CMenuEx* menu = &m_menu;
        for (int p : positions) {
            menu = menu ? menu->GetSubMenuEx(p) : nullptr;
        }
        return menu;
    }
    static std::string Text(CMenu* menu, int pos) {
        CString s;
        menu->GetMenuString(static_cast<UINT>(pos), s, MF_BYPOSITION);
        return s.GetString();
    }
    CMenuEx m_menu;
};

std::map<int, std::string> MenuKeys() {
    std::map<int, std::string> keys;
    for (const auto& e : kv::BuiltinEnglishMenuTexts())
        EXPECT_TRUE(keys.emplace(e.key, e.text).second) << "key twice: " << e.key;
    return keys;
}

// A memory context of w x h with a white background.
struct Canvas {
    Canvas(int w, int h) {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, w, h);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, w, h, RGB(255, 255, 255));
    }
    CDC dc;
    CBitmap bitmap;
};

DRAWITEMSTRUCT DrawRecord(HDC hdc, CMenuExItem* record, UINT state, int w, int h) {
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_MENU;
    dis.itemID = static_cast<UINT>(record->m_nID);
    dis.itemState = state;
    dis.hDC = hdc;
    dis.rcItem = RECT{0, 0, w, h};
    dis.itemData = reinterpret_cast<ULONG_PTR>(record);
    return dis;
}

bool IsDark(COLORREF c) {
    return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
}

// Width of a text as the menu measures it: with the main window's context, without one with a
// memory context.
int TextWidth(const char* text) {
    if (CWnd* main = AfxGetMainWnd(); main && main->GetSafeHwnd()) {
        CDC* dc = main->GetDC();
        const int width = dc->GetTextExtent(CString(text)).cx;
        main->ReleaseDC(dc);
        return width;
    }
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    return mem.GetTextExtent(CString(text)).cx;
}

int DarkPixels(CDC& dc, int x0, int x1, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += IsDark(dc.GetPixel(x, y)) ? 1 : 0;
    return n;
}

} // namespace

TEST(MainMenuLayout, LanguageKeysNameThePositionsThatPruningAndTranslationUse) {
    const auto keys = MenuKeys();
    EXPECT_EQ(keys.size(), 290u);
    EXPECT_EQ(keys.at(800), "File");
    EXPECT_EQ(keys.at(810), "Help");
    EXPECT_EQ(keys.at(80011), "Exit#Ctrl+X"); // Exit is the File menu's last item
    EXPECT_EQ(keys.at(80000), "Load CSV#Ctrl+O");
    EXPECT_EQ(keys.at(80002), "--");
    EXPECT_EQ(keys.at(802000106), "1.00V");
    EXPECT_EQ(keys.at(8020205), "Volt/DIV"); // MATH > Volt/DIV at position 5
    EXPECT_EQ(keys.at(8030001), "Pulse");
    EXPECT_EQ(keys.at(8030204), "EXT/10");
    EXPECT_EQ(keys.at(8040000), "nS");
    EXPECT_EQ(keys.at(80807), "Sampling");
    EXPECT_EQ(keys.at(8080701), "ETS");
    EXPECT_EQ(keys.at(80808), "Acquisition");
    EXPECT_EQ(keys.at(8080802), "Peak Detect");
    EXPECT_EQ(keys.at(80809), "Buffer Size");
    EXPECT_EQ(keys.at(80813), "Demo Setting");
    EXPECT_EQ(keys.at(80908), "Language");
    EXPECT_EQ(keys.at(8090800), "Default");
    // The model-dependent entries are the language table's own.
    EXPECT_EQ(keys.count(804000000), 0u);
    EXPECT_EQ(keys.count(8080900), 0u);
}

TEST_F(MenuExTest, MainMenuHoldsTheItemsAtTheirFixedPositions) {
    EXPECT_EQ(m_menu.m_bPopup, 0);
    ASSERT_EQ(m_menu.GetItemCount(), 11);
    EXPECT_EQ(Text(&m_menu, 8), "Acquire");
    CMenuEx* acquire = Path({8});
    ASSERT_NE(acquire, nullptr);
    EXPECT_EQ(acquire->GetMenuItemID(13), ID_DEMO_SETTING);
    EXPECT_EQ(acquire->GetSubMenuEx(8)->GetMenuItemID(2), ID_ACQ_PEAK);
    EXPECT_EQ(acquire->GetSubMenuEx(7)->GetMenuItemID(1), ID_SAMPLING_ETS);
    EXPECT_EQ(acquire->GetSubMenuEx(9)->GetItemCount(), 7);
    CMenuEx* language = Path({9, 8});
    ASSERT_NE(language, nullptr);
    ASSERT_EQ(language->GetItemCount(), 2);
    EXPECT_EQ(language->GetMenuItemID(0), ID_LANGUAGE_DEFAULT);
    EXPECT_EQ(language->GetMenuItemID(1), 0u);
    EXPECT_EQ(Path({3, 2})->GetMenuItemID(4), ID_TRIG_SOURCE_FIRST + 4);
    EXPECT_EQ(Path({4, 0, 0})->GetMenuItemID(0), ID_TIMEDIV_FIRST);
    EXPECT_EQ(Path({2, 2, 5})->GetMenuItemID(9), ID_MATH_VOLTDIV_FIRST + 9);
    // Drop-down items are owner-drawn with their record; the bar's items stay plain.
    CMenuEx* file = Path({0});
    EXPECT_EQ(file->GetMenuItemData(0, MF_BYPOSITION), reinterpret_cast<ULONG_PTR>(file->GetItem(0)));
    EXPECT_TRUE(file->GetMenuState(0, MF_BYPOSITION) & MF_OWNERDRAW);
    EXPECT_EQ(m_menu.GetMenuItemData(0, MF_BYPOSITION), 0u);
    EXPECT_EQ(Text(file, 0), "Load CSV#Ctrl+O"); // owner-drawn items stay readable
}

TEST_F(MenuExTest, PruningByPositionLeavesTheRecordsInStep) {
    // Buffer Size for model 4: position 3 four times leaves 10k, 14k, 28k.
    CMenuEx* buffer = Path({8, 9});
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(CMenuEx::DeleteItem(buffer, 3));
    ASSERT_EQ(buffer->GetMenuItemCount(), 3);
    EXPECT_EQ(buffer->GetItemCount(), 3);
    // Models 0 and 1 delete 1, 1, 3, 3 with the plain menu call; conversion resyncs.
    CMenuEx other;
    other.m_bPopup = 1;
    ASSERT_TRUE(other.LoadFromMenu(Path({8, 9})->m_hMenu)); // a copy of the three left
    EXPECT_EQ(other.GetItemCount(), 3);
    CMenuEx full;
    ASSERT_TRUE(full.LoadMenu(IDR_MAINFRAME));
    CMenuEx* sizes = full.GetSubMenuEx(8)->GetSubMenuEx(9);
    for (UINT pos : {1u, 1u, 3u, 3u})
        ASSERT_TRUE(sizes->DeleteMenu(pos, MF_BYPOSITION));
    sizes->ConvertPopup();
    ASSERT_EQ(sizes->GetItemCount(), 3);
    const UINT expected[] = {ID_BUFFER_10K, ID_BUFFER_32K, ID_BUFFER_64K};
    const char* texts[] = {"10k", "32k", "64k"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(sizes->GetItem(i)->m_nID, static_cast<int>(expected[i]));
        EXPECT_EQ(std::string(sizes->GetItem(i)->m_strText.GetString()), texts[i]);
        EXPECT_EQ(sizes->GetMenuItemData(static_cast<UINT>(i), MF_BYPOSITION),
                  reinterpret_cast<ULONG_PTR>(sizes->GetItem(i)));
    }
}

// Deleting by command reaches an item at any depth, keeps the records in step with the menu and
// touches nothing when no item carries the id; separators and popups are never taken for one.
TEST_F(MenuExTest, CommandsAreFoundAndDeletedAtAnyDepth) {
    EXPECT_EQ(m_menu.FindMenuHolding(ID_LANGUAGE_DEFAULT), Path({9, 8}));
    EXPECT_EQ(m_menu.FindMenuHolding(ID_CH2_VOLTDIV_FIRST + 9), Path({2, 1, 1}));
    EXPECT_EQ(m_menu.FindMenuHolding(ID_LANGUAGE_FIRST), nullptr);
    EXPECT_EQ(m_menu.FindMenuHolding(0), nullptr);
    EXPECT_EQ(m_menu.FindMenuHolding(static_cast<UINT>(-1)), nullptr);

    CMenuEx* nanoseconds = Path({4, 0, 0});
    ASSERT_TRUE(m_menu.DeleteCommand(ID_TIMEDIV_FIRST));
    ASSERT_EQ(nanoseconds->GetMenuItemCount(), 7);
    ASSERT_EQ(nanoseconds->GetItemCount(), 7);
    EXPECT_EQ(nanoseconds->GetMenuItemID(0), ID_TIMEDIV_FIRST + 1);
    EXPECT_EQ(nanoseconds->GetItem(0)->m_nID, static_cast<int>(ID_TIMEDIV_FIRST + 1));
    EXPECT_EQ(nanoseconds->GetMenuItemData(0, MF_BYPOSITION),
              reinterpret_cast<ULONG_PTR>(nanoseconds->GetItem(0)));
    // A second delete of the same command finds nothing and changes nothing.
    EXPECT_FALSE(m_menu.DeleteCommand(ID_TIMEDIV_FIRST));
    EXPECT_EQ(nanoseconds->GetItemCount(), 7);
    // Separator (0) and popup (-1) ids delete nothing.
    CMenuEx* file = Path({0});
    const int fileItems = file->GetItemCount();
    EXPECT_FALSE(m_menu.DeleteCommand(0));
    EXPECT_FALSE(m_menu.DeleteCommand(static_cast<UINT>(-1)));
    EXPECT_EQ(file->GetItemCount(), fileItems);
    EXPECT_EQ(m_menu.GetItemCount(), 11);
}

TEST_F(MenuExTest, RelabelledItemShowsItsNewTextNextTimeThePopupOpens) {
    CMenuEx* acquisition = Path({8, 8});
    // What the framework does for CCmdUI::SetText: a plain text item with the new text.
    ASSERT_TRUE(
        acquisition->ModifyMenu(1, MF_BYPOSITION | MF_STRING | MF_CHECKED, ID_ACQ_AVERAGE, "Average:16"));
    m_menu.OnInitMenuPopup(acquisition, 8, FALSE);
    CMenuExItem* record = acquisition->GetItem(1);
    EXPECT_EQ(std::string(record->m_strText.GetString()), "Average:16");
    const UINT state = acquisition->GetMenuState(1, MF_BYPOSITION);
    EXPECT_TRUE(state & MF_OWNERDRAW);
    EXPECT_TRUE(state & MF_CHECKED);
    EXPECT_EQ(acquisition->GetMenuItemData(1, MF_BYPOSITION), reinterpret_cast<ULONG_PTR>(record));
    // The system menu is never converted.
    acquisition->ModifyMenu(0, MF_BYPOSITION | MF_STRING, ID_ACQ_NORMAL, "Plain");
    m_menu.OnInitMenuPopup(acquisition, 8, TRUE);
    EXPECT_FALSE(acquisition->GetMenuState(0, MF_BYPOSITION) & MF_OWNERDRAW);
}

TEST_F(MenuExTest, LanguageTextsLandOnThePrunedMenus) {
    // A model without the 2 ns step: nS loses position 0 behind the menu's back.
    CMenuEx* ns = Path({4, 0, 0});
    ASSERT_TRUE(ns->DeleteMenu(0, MF_BYPOSITION));
    CLanguageTable table;
    table.SetModel(0);
    table.LoadLanguage(CLanguageTable::kBuiltin);
    CMenuExLanguageMenu adapter(&m_menu);
    table.TranslateMenu(adapter);
    ns->ConvertPopup();
    ASSERT_EQ(ns->GetItemCount(), 7);
    EXPECT_EQ(std::string(ns->GetItem(0)->m_strText.GetString()), "4nS");
    EXPECT_EQ(ns->GetItem(0)->m_nID, static_cast<int>(ID_TIMEDIV_FIRST + 1));
    EXPECT_EQ(std::string(ns->GetItem(6)->m_strText.GetString()), "400nS");
    EXPECT_EQ(Text(&m_menu, 0), "File");
}

TEST_F(MenuExTest, MeasuresCommandsPopupsAndSeparators) {
    CImageList normal;
    ASSERT_TRUE(normal.Create(20, 20, ILC_COLOR24 | ILC_MASK, 17, 0));
    QImage strip(20 * 17, 20, QImage::Format_RGB32);
    strip.fill(Qt::red);
    ASSERT_EQ(normal.Add(strip), 0);
    m_menu.SetNormalImageList(&normal);
    CMenuEx* file = Path({0});
    MEASUREITEMSTRUCT mis;
    mis.CtlType = ODT_MENU;
    mis.itemData = reinterpret_cast<ULONG_PTR>(file->GetItem(0));
    m_menu.OnMeasureItem(&mis);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), file->GetItem(0)->m_nWidth + 20);
    EXPECT_EQ(mis.itemHeight, 22u);
    EXPECT_GT(file->GetItem(0)->m_nWidth, 10);

    MEASUREITEMSTRUCT sep;
    sep.CtlType = ODT_MENU;
    sep.itemData = reinterpret_cast<ULONG_PTR>(file->GetItem(2));
    m_menu.OnMeasureItem(&sep);
    EXPECT_EQ(sep.itemWidth, 0u);
    EXPECT_EQ(sep.itemHeight, 10u);

    CMenuEx* channel = Path({2});
    MEASUREITEMSTRUCT popup;
    popup.CtlType = ODT_MENU;
    popup.itemData = reinterpret_cast<ULONG_PTR>(channel->GetItem(0));
    m_menu.OnMeasureItem(&popup);
    EXPECT_EQ(channel->GetItem(0)->m_nID, -1);
    EXPECT_EQ(static_cast<int>(popup.itemWidth), channel->GetItem(0)->m_nWidth + 20);

    // With 20 x 20 images: commands measure text + 30 by 22, popups text + 45 by 22, and an item
    // whose text was set later text + 45.
    const std::string openText = file->GetItem(0)->m_strText.GetString();
    EXPECT_EQ(static_cast<int>(mis.itemWidth), TextWidth(openText.c_str()) + 30);
    ASSERT_EQ(std::string(channel->GetItem(0)->m_strText.GetString()), "CH1");
    EXPECT_EQ(static_cast<int>(popup.itemWidth), TextWidth("CH1") + 45);
    EXPECT_EQ(popup.itemHeight, 22u);
    file->SetItemText(0, "Open Later");
    m_menu.OnMeasureItem(&mis);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), TextWidth("Open Later") + 45);
    EXPECT_EQ(mis.itemHeight, 22u);
    channel->SetItemText(1, "Second Channel");
    MEASUREITEMSTRUCT relabelled;
    relabelled.CtlType = ODT_MENU;
    relabelled.itemData = reinterpret_cast<ULONG_PTR>(channel->GetItem(1));
    m_menu.OnMeasureItem(&relabelled);
    EXPECT_EQ(static_cast<int>(relabelled.itemWidth), TextWidth("Second Channel") + 45);

    // Item data that is not a live record is never read.
    MEASUREITEMSTRUCT stale;
    stale.CtlType = ODT_MENU;
    stale.itemData = 0x1234;
    m_menu.OnMeasureItem(&stale);
    EXPECT_EQ(stale.itemWidth, 0u);
}

TEST_F(MenuExTest, DrawsTextSplitAtHashCheckBoxGreyedTextAndSeparators) {
    CMenuEx* file = Path({0});
    CMenuExItem* print = file->GetItem(8);
    ASSERT_EQ(std::string(print->m_strText.GetString()), "Print#Ctrl+P");
    const int w = 260, h = 22;
    {
        Canvas c(w, h);
        DRAWITEMSTRUCT dis = DrawRecord(c.dc, print, 0, w, h);
        file->DrawItem(&dis);
        const int textLeft = 20 + 10, textRight = w - 20 + 4;
        EXPECT_GT(DarkPixels(c.dc, textLeft, textLeft + 40, 0, h), 0);       // "Print" at the left
        EXPECT_GT(DarkPixels(c.dc, textRight - 45, textRight, 0, h), 0);     // "Ctrl+P" at the right
        EXPECT_EQ(DarkPixels(c.dc, textLeft + 60, textRight - 60, 0, h), 0); // nothing between
        EXPECT_EQ(c.dc.GetPixel(5, 10), file->m_crIconBack);
        EXPECT_EQ(c.dc.GetPixel(w - 2, 2), file->m_crBack);
        KvSaveDCPng(c.dc, (kvtest::OutputDir() + "/menuex-print-item.png").c_str());
    }
    {
        // Checked: the framed box replaces any image.
        Canvas c(w, h);
        DRAWITEMSTRUCT dis = DrawRecord(c.dc, print, ODS_CHECKED, w, h);
        file->DrawItem(&dis);
        EXPECT_EQ(c.dc.GetPixel(1, 1), file->m_crSelFrame);
        EXPECT_EQ(c.dc.GetPixel(2, 19), file->m_crSelFill);
        EXPECT_GT(DarkPixels(c.dc, 2, 20, 2, 20), 0); // the check mark
    }
    {
        // Greyed and selected: no highlight, text in the greyed colour.
        Canvas c(w, h);
        DRAWITEMSTRUCT dis = DrawRecord(c.dc, print, ODS_SELECTED | ODS_GRAYED, w, h);
        file->DrawItem(&dis);
        EXPECT_EQ(c.dc.GetPixel(w - 2, 1), file->m_crBack);
        EXPECT_EQ(DarkPixels(c.dc, 22, w, 0, h), 0);
        int grey = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 30; x < 80; ++x)
                grey += c.dc.GetPixel(x, y) == CMenuEx::kGreyedTextColour ? 1 : 0;
        EXPECT_GT(grey, 0);
    }
    {
        // Selected: framed blue selection over the whole item.
        Canvas c(w, h);
        DRAWITEMSTRUCT dis = DrawRecord(c.dc, print, ODS_SELECTED, w, h);
        file->DrawItem(&dis);
        EXPECT_EQ(c.dc.GetPixel(0, 0), file->m_crSelFrame);
        EXPECT_EQ(c.dc.GetPixel(w - 3, h / 2), file->m_crSelFill);
    }
    {
        Canvas c(w, 10);
        DRAWITEMSTRUCT dis = DrawRecord(c.dc, file->GetItem(2), 0, w, 10);
        file->DrawItem(&dis);
        EXPECT_EQ(c.dc.GetPixel(40, 4), CMenuEx::kSeparatorColour);
        EXPECT_EQ(c.dc.GetPixel(40, 5), file->m_crBack);
        EXPECT_EQ(c.dc.GetPixel(40, 3), file->m_crBack);
    }
}

TEST_F(MenuExTest, ImageListsAreSharedAndNeverDeletedByTheMenu) {
    CImageList lists[3];
    for (CImageList& l : lists) {
        ASSERT_TRUE(l.Create(20, 20, ILC_COLOR24 | ILC_MASK, 17, 0));
        QImage strip(20 * 17, 20, QImage::Format_RGB32);
        strip.fill(Qt::blue);
        l.Add(strip);
    }
    m_menu.SetNormalImageList(&lists[0]);
    m_menu.SetDisabledImageList(&lists[1]);
    m_menu.SetHotImageList(&lists[2]);
    m_menu.SetImageIndices(kv::kMenuImageCommands, kv::kMenuImageCount);
    EXPECT_EQ(Path({0})->GetItem(0)->m_nImage, 0);   // Load CSV
    EXPECT_EQ(Path({10})->GetItem(0)->m_nImage, 16); // Help Contents
    EXPECT_EQ(Path({0})->GetItem(11)->m_nImage, -1); // Exit has none
    EXPECT_EQ(Path({8, 8})->GetItem(0)->m_pHot, &lists[2]);
    EXPECT_EQ(Path({2, 0, 1})->GetNormalImageList(), &lists[0]);

    // Destroying and reloading the tree leaves the owner's lists whole.
    const HMENU sub = Path({2, 0})->m_hMenu;
    m_menu.DestroyMenuEx();
    EXPECT_FALSE(IsMenu(sub));
    EXPECT_EQ(m_menu.GetItemCount(), 0);
    for (CImageList& l : lists) {
        EXPECT_TRUE(l.IsCreated());
        EXPECT_EQ(l.GetImageCount(), 17);
    }
    ASSERT_TRUE(m_menu.LoadMenu(IDR_MAINFRAME));
    EXPECT_EQ(Path({8})->GetNormalImageList(), &lists[0]);
}

TEST_F(MenuExTest, AppendingAndDeletingKeepOneRecordPerItem) {
    CMenuEx* language = Path({9, 8});
    ASSERT_TRUE(CMenuEx::AppendItem(language, 0, ID_LANGUAGE_FIRST, "Deutsch"));
    ASSERT_TRUE(CMenuEx::AppendItem(language, 0, ID_LANGUAGE_FIRST + 1, "Francais"));
    ASSERT_EQ(language->GetItemCount(), 4);
    EXPECT_EQ(language->GetItem(3)->m_nID, static_cast<int>(ID_LANGUAGE_FIRST + 1));
    EXPECT_FALSE(language->InsertItem(0, MF_BYCOMMAND, 1, "refused"));
    ASSERT_TRUE(language->DeleteItem(2));
    EXPECT_EQ(language->GetItemCount(), 3);
    EXPECT_EQ(std::string(language->GetItem(2)->m_strText.GetString()), "Francais");
    EXPECT_EQ(language->GetItem(7), nullptr);
    EXPECT_EQ(language->GetSubMenuEx(9), nullptr);
    // A deleted popup takes its sub-menu along; the handle is not destroyed a second time.
    CMenuEx* channel = Path({2});
    const HMENU ch1 = channel->GetSubMenuEx(0)->m_hMenu;
    ASSERT_TRUE(channel->DeleteItem(0));
    EXPECT_FALSE(IsMenu(ch1));
    EXPECT_EQ(channel->GetItemCount(), 3);
}
