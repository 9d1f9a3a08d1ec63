// The menus each instrument model is offered: the main menu as the first tick leaves it (pruned
// for the model, translated), in demo mode and connected, and the full-screen context menu, for
// every model index 0..5. Each tree is dumped item by item (position path, command id, text, as
// the menu and its drawn records hold them) and compared with the tree fixed below: a model that
// gains or loses an item, an item that moves or changes its text, fails here.
#include "AppTestSupport.h"

#include "app/MenuEx.h"
#include "resources/Resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "TestOutput.h"

using namespace apptest;

namespace {

std::unique_ptr<CKelvaneApp> StartApp(bool demo) {
    PrepareRun(demo ? "" : "1");
    ModalAnswerer answer([](CDialog& dlg) { Click(dlg, IDC_BUTTON_IGNORE); });
    auto app = std::make_unique<CKelvaneApp>();
    EXPECT_TRUE(app->InitInstance());
    return app;
}

struct Tree {
    std::string text;                          // one line per item, popups followed by their items
    std::map<std::string, std::string> popups; // position path -> command ids of its items
};

// Each item as "path|menu id|menu text|record id|record text".
void Dump(CMenuEx* menu, const std::string& path, Tree& tree) {
    std::string& ids = tree.popups[path];
    for (int i = 0; i < menu->GetMenuItemCount(); ++i) {
        const std::string at = path.empty() ? std::to_string(i) : path + "/" + std::to_string(i);
        CString text;
        menu->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        const CMenuExItem* record = menu->GetItem(i);
        const int id = static_cast<int>(menu->GetMenuItemID(i));
        tree.text += at + "|" + std::to_string(id) + "|" + text.GetString() + "|" +
                     (record ? std::to_string(record->m_nID) + "|" + record->m_strText.GetString() : "-") +
                     "\n";
        ids += (ids.empty() ? "" : " ") + std::to_string(id);
        if (CMenuEx* sub = menu->GetSubMenuEx(i))
            Dump(sub, at, tree);
    }
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// The main menu after the first tick, for `model`, in demo mode or with the simulated instrument.
Tree MainMenuOf(int model, bool demo) {
    auto app = StartApp(demo);
    app->GetDocument()->m_nModel = static_cast<std::int16_t>(model);
    app->GetView()->PumpTick();
    Tree tree;
    Dump(&app->GetMainFrame()->m_menu, "", tree);
    return tree;
}

// The full-screen context menu as the view prepares it for `model`.
Tree ContextMenuOf(CKelvaneView& view, CKelvaneDoc& doc, int model) {
    CMenuEx menu;
    Tree tree;
    if (!menu.LoadMenu(IDR_CONTEXT_MENU) || !menu.GetSubMenuEx(0))
        return tree;
    doc.m_nModel = static_cast<std::int16_t>(model);
    view.PrepareContextMenu(*menu.GetSubMenuEx(0));
    Dump(&menu, "", tree);
    menu.DestroyMenuEx();
    return tree;
}

struct Expected {
    int model;
    bool demo;
    std::uint64_t hash; // of the whole dump: every item's position, ids and texts
    // The popups whose items differ between the models (or demo and connected): their ids.
    std::map<std::string, std::string> popups;
};

// Main menu: CH1, CH2, MATH and REF Volt/DIV (2/0/1, 2/1/1, 2/2/5, 2/3/1), Trigger > Mode (3/0)
// and Source (3/2), Horizontal > Time/DIV > nS (4/0/0), Acquire (8) with its Sampling (8/7) and
// Buffer Size (8/9).
// clang-format off
const Expected kMainMenus[] = {
    {0, false, 0xf0c6de038716a3b1ull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055"},
         {"3/0", "32973"},
         {"3/2", "32980 32981 32982 32983"},
         {"4/0/0", "32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871"},
         {"8/7", "32786"},
         {"8/9", "32840 32841 32842"},
     }},
    {0, true, 0xadf0df788ea627daull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055"},
         {"3/0", "32973"},
         {"3/2", "32980 32981 32982 32983"},
         {"4/0/0", "32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871 33072"},
         {"8/7", "32786"},
         {"8/9", "32840 32841 32842"},
     }},
    {1, false, 0x4567ae4336f8afa0ull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055"},
         {"3/0", "32973"},
         {"3/2", "32980 32981 32982 32983 32984"},
         {"4/0/0", "32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871"},
         {"8/7", "32786"},
         {"8/9", "32840 32841 32842"},
     }},
    {1, true, 0x0224bc062d0bd401ull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055"},
         {"3/0", "32973"},
         {"3/2", "32980 32981 32982 32983 32984"},
         {"4/0/0", "32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871 33072"},
         {"8/7", "32786"},
         {"8/9", "32840 32841 32842"},
     }},
    {2, false, 0x7b296657c5704d16ull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055"},
         {"3/0", "32973"},
         {"3/2", "32980 32981 32982 32983 32984"},
         {"4/0/0", "32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871"},
         {"8/7", "32786"},
         {"8/9", "32840 32843 32844"},
     }},
    {2, true, 0xda8bf43bd4d61d0full,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055"},
         {"3/0", "32973"},
         {"3/2", "32980 32981 32982 32983 32984"},
         {"4/0/0", "32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871 33072"},
         {"8/7", "32786"},
         {"8/9", "32840 32843 32844"},
     }},
    {3, false, 0x0b7f675367b8b7baull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055"},
         {"3/0", "32973"},
         {"3/2", "32980 32981 32982 32983 32984"},
         {"4/0/0", "32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871"},
         {"8/7", "32786"},
         {"8/9", "32840 33032 33033 32841 32842 32843 32844"},
     }},
    {3, true, 0x126f325adbcaf903ull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055"},
         {"3/0", "32973"},
         {"3/2", "32980 32981 32982 32983 32984"},
         {"4/0/0", "32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871 33072"},
         {"8/7", "32786"},
         {"8/9", "32840 33032 33033 32841 32842 32843 32844"},
     }},
    {4, false, 0x028de34eae5d12ddull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913 32914"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930 32931"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955 32956"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055 33056"},
         {"3/0", "32973 32978"},
         {"3/2", "32980 32981 32982 32983"},
         {"4/0/0", "32991 32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871"},
         {"8/7", "32786 32785"},
         {"8/9", "32840 33032 33033"},
     }},
    {4, true, 0x0a0a53be21dd4556ull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913 32914"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930 32931"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955 32956"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055 33056"},
         {"3/0", "32973 32978"},
         {"3/2", "32980 32981 32982 32983"},
         {"4/0/0", "32991 32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871 33072"},
         {"8/7", "32786 32785"},
         {"8/9", "32840 33032 33033"},
     }},
    {5, false, 0x9d33a6d58dadac0aull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913 32914"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930 32931"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955 32956"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055 33056"},
         {"3/0", "32973 32978"},
         {"3/2", "32980 32981 32982 32983 32984"},
         {"4/0/0", "32991 32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871"},
         {"8/7", "32786 32785"},
         {"8/9", "32840 32843 32844"},
     }},
    {5, true, 0x8d8bb138414b8793ull,
     {
         {"2/0/1", "32905 32906 32907 32908 32909 32910 32911 32912 32913 32914"},
         {"2/1/1", "32922 32923 32924 32925 32926 32927 32928 32929 32930 32931"},
         {"2/2/5", "32947 32948 32949 32950 32951 32952 32953 32954 32955 32956"},
         {"2/3/1", "33047 33048 33049 33050 33051 33052 33053 33054 33055 33056"},
         {"3/0", "32973 32978"},
         {"3/2", "32980 32981 32982 32983 32984"},
         {"4/0/0", "32991 32992 32993 32994 32995 32996 32997 32998"},
         {"8", "32872 32876 0 33045 32878 32877 0 -1 -1 -1 -1 0 32871 33072"},
         {"8/7", "32786 32785"},
         {"8/9", "32840 32843 32844"},
     }},
};

// Context menu: Change Time/DIV (0/2), Change CH1 and CH2 Volt/DIV (0/3, 0/4).
const Expected kContextMenus[] = {
    {0, true, 0x786fe6e1bf1f7a72ull,
     {
         {"0/2", "32992 32993 32994 32995 32996 32997 32998 32999 33000 33001 33002 33003 33004 33005 33006 33007 33008 33009 33010 33011 33012 33013 33014 33015 33016 33017 33018 33019 33020 33021 33022 33023 33024 33025 33026 33027 33028 33029"},
         {"0/3", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"0/4", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
     }},
    {1, true, 0x786fe6e1bf1f7a72ull,
     {
         {"0/2", "32992 32993 32994 32995 32996 32997 32998 32999 33000 33001 33002 33003 33004 33005 33006 33007 33008 33009 33010 33011 33012 33013 33014 33015 33016 33017 33018 33019 33020 33021 33022 33023 33024 33025 33026 33027 33028 33029"},
         {"0/3", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"0/4", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
     }},
    {2, true, 0x786fe6e1bf1f7a72ull,
     {
         {"0/2", "32992 32993 32994 32995 32996 32997 32998 32999 33000 33001 33002 33003 33004 33005 33006 33007 33008 33009 33010 33011 33012 33013 33014 33015 33016 33017 33018 33019 33020 33021 33022 33023 33024 33025 33026 33027 33028 33029"},
         {"0/3", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"0/4", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
     }},
    {3, true, 0x786fe6e1bf1f7a72ull,
     {
         {"0/2", "32992 32993 32994 32995 32996 32997 32998 32999 33000 33001 33002 33003 33004 33005 33006 33007 33008 33009 33010 33011 33012 33013 33014 33015 33016 33017 33018 33019 33020 33021 33022 33023 33024 33025 33026 33027 33028 33029"},
         {"0/3", "32905 32906 32907 32908 32909 32910 32911 32912 32913"},
         {"0/4", "32922 32923 32924 32925 32926 32927 32928 32929 32930"},
     }},
    {4, true, 0xdc542ac986d46546ull,
     {
         {"0/2", "32991 32992 32993 32994 32995 32996 32997 32998 32999 33000 33001 33002 33003 33004 33005 33006 33007 33008 33009 33010 33011 33012 33013 33014 33015 33016 33017 33018 33019 33020 33021 33022 33023 33024 33025 33026 33027 33028 33029"},
         {"0/3", "32905 32906 32907 32908 32909 32910 32911 32912 32913 32914"},
         {"0/4", "32922 32923 32924 32925 32926 32927 32928 32929 32930 32931"},
     }},
    {5, true, 0xdc542ac986d46546ull,
     {
         {"0/2", "32991 32992 32993 32994 32995 32996 32997 32998 32999 33000 33001 33002 33003 33004 33005 33006 33007 33008 33009 33010 33011 33012 33013 33014 33015 33016 33017 33018 33019 33020 33021 33022 33023 33024 33025 33026 33027 33028 33029"},
         {"0/3", "32905 32906 32907 32908 32909 32910 32911 32912 32913 32914"},
         {"0/4", "32922 32923 32924 32925 32926 32927 32928 32929 32930 32931"},
     }},
};
// clang-format on

void Compare(const char* what, const Expected& want, const Tree& got) {
    const std::string name =
        std::string(what) + "-model" + std::to_string(want.model) + (want.demo ? "-demo" : "-connected");
    for (const auto& [path, ids] : want.popups) {
        const auto found = got.popups.find(path);
        ASSERT_NE(found, got.popups.end()) << name << ": no popup at " << path;
        EXPECT_EQ(found->second, ids) << name << ": popup " << path;
    }
    if (Fnv1a(got.text) != want.hash) {
        // The whole tree, for a person to read.
        const std::string path = kvtest::OutputDir() + "/" + name + ".txt";
        if (FILE* f = std::fopen(path.c_str(), "w")) {
            std::fputs(got.text.c_str(), f);
            std::fclose(f);
        }
        ADD_FAILURE() << name << ": the menu tree differs (written to " << path << ")";
    }
}

} // namespace

TEST(ModelMenus, MainMenuOfEveryModelInDemoModeAndConnected) {
    for (const Expected& want : kMainMenus)
        Compare("main-menu", want, MainMenuOf(want.model, want.demo));
}

TEST(ModelMenus, ContextMenuOfEveryModel) {
    auto app = StartApp(true);
    for (const Expected& want : kContextMenus)
        Compare("context-menu", want, ContextMenuOf(*app->GetView(), *app->GetDocument(), want.model));
}

// An index outside 0..5 names no model; its menus are those of model 3, which keeps every record
// length and EXT/10 and loses the 2 ns, 10 V, Pulse and ETS items.
TEST(ModelMenus, AnIndexOutsideTheTableGetsTheMenusOfModel3) {
    const Expected* model3 = nullptr;
    for (const Expected& want : kMainMenus)
        if (want.model == 3 && want.demo)
            model3 = &want;
    ASSERT_NE(model3, nullptr);
    for (int model : {-1, 6}) {
        Expected want = *model3;
        want.model = model;
        Compare("main-menu", want, MainMenuOf(model, true));
    }
}
