#include "engine/LanguageTable.h"
#include "TestOutput.h"

#include "resources/language/BuiltinEnglish.h"
#include "system/Paths.h"
#include "system/Profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A language folder of its own for each test, removed afterwards.
class LanguageFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = kvtest::OutputDir() + "/kv-language-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_root = tmpl;
        m_folder = m_root + "/language";
        table.SetLanguageFolder(m_folder.c_str());
    }
    void TearDown() override { RemoveTree(m_root); }

    static void RemoveTree(const std::string& path) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            return;
        if (S_ISDIR(st.st_mode)) {
            if (DIR* d = ::opendir(path.c_str())) {
                std::vector<std::string> names;
                while (const dirent* e = ::readdir(d))
                    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                        names.push_back(e->d_name);
                ::closedir(d);
                for (const auto& n : names)
                    RemoveTree(path + "/" + n);
            }
            ::rmdir(path.c_str());
        } else {
            ::unlink(path.c_str());
        }
    }

    void MakeFolder(const std::string& relative) {
        std::string path = m_folder;
        ::mkdir(path.c_str(), 0700);
        if (relative.empty())
            return;
        std::size_t pos = 0;
        while (pos != std::string::npos) {
            pos = relative.find('/', pos + 1);
            ::mkdir((m_folder + "/" + relative.substr(0, pos)).c_str(), 0700);
        }
    }

    // Writes a language file (UTF-16LE with mark) with the given "App" lines in order.
    void WriteLanguage(const std::string& relative,
                       const std::vector<std::pair<std::string, std::string>>& lines) {
        kv::Profile p;
        for (const auto& [k, v] : lines)
            EXPECT_TRUE(p.SetString("App", k, v));
        WriteBytes(relative, p.ToBytes());
    }

    void WriteBytes(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
        const auto slash = relative.rfind('/');
        MakeFolder(slash == std::string::npos ? std::string() : relative.substr(0, slash));
        std::ofstream out(m_folder + "/" + relative, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::string m_root;
    std::string m_folder;
    CLanguageTable table;
};

class FakeControl : public CLanguageControl {
public:
    FakeControl(int id, LanguageControlKind kind, std::string text)
        : m_id(id), m_kind(kind), text(std::move(text)) {}
    int GetDlgCtrlID() const override { return m_id; }
    LanguageControlKind GetControlKind() const override { return m_kind; }
    void SetWindowText(const char* t) override { text = t; }

    int m_id;
    LanguageControlKind m_kind;
    std::string text;
};

class FakeDialog : public CLanguageDialog {
public:
    FakeControl& Add(int id, LanguageControlKind kind, const std::string& text = "template") {
        children.push_back(std::make_unique<FakeControl>(id, kind, text));
        return *children.back();
    }
    int GetChildCount() const override { return static_cast<int>(children.size()); }
    CLanguageControl* GetChild(int index) override { return children.at(static_cast<size_t>(index)).get(); }
    std::vector<std::unique_ptr<FakeControl>> children;
};

class FakeMenu : public CLanguageMenu {
public:
    struct Item {
        UINT id;
        std::string text;
        std::unique_ptr<FakeMenu> sub;
    };
    FakeMenu& AddPopup(const std::string& text) {
        items.push_back({0xFFFFFFFFu, text, std::make_unique<FakeMenu>()});
        return *items.back().sub;
    }
    void AddItem(UINT id, const std::string& text) { items.push_back({id, text, nullptr}); }
    void AddSeparator() { items.push_back({0, "", nullptr}); }

    int GetMenuItemCount() const override { return static_cast<int>(items.size()); }
    UINT GetMenuItemID(int position) const override { return items.at(static_cast<size_t>(position)).id; }
    CLanguageMenu* GetSubMenu(int position) override {
        return items.at(static_cast<size_t>(position)).sub.get();
    }
    void SetItemText(int position, const char* text) override {
        items.at(static_cast<size_t>(position)).text = text;
        ++changes;
    }
    std::vector<Item> items;
    int changes = 0;
};

} // namespace

TEST(BuiltinEnglish, HoldsTheFixedTextsOnceEach) {
    const auto& entries = kv::BuiltinEnglishTable();
    std::map<int, std::string> byKey;
    for (const auto& e : entries) {
        ASSERT_NE(e.text, nullptr);
        EXPECT_TRUE(byKey.emplace(e.key, e.text).second) << "key listed twice: " << e.key;
        EXPECT_EQ(kv::SanitizeUtf8(e.text), e.text) << e.key;
    }
    for (int key = 4000; key <= 4028; ++key)
        EXPECT_EQ(byKey.count(key), 1u) << key;
    EXPECT_EQ(byKey[4002], "Function not available!");
    EXPECT_EQ(byKey[4009], "Search Device......");
    EXPECT_EQ(byKey[4026], "ETS Calibration In Progress...");
    EXPECT_EQ(byKey[8888], "English");
    for (int caption : {100, 184, 193, 199, 203, 204, 207, 211, 217, 218, 227, 231, 249, 251, 252})
        EXPECT_EQ(byKey.count(caption), 1u) << caption;
    EXPECT_EQ(byKey[203], "Record And Play Back");
    EXPECT_EQ(byKey[249], "Pulse Width Setting");
    for (int tip : {32816, 32819, 57607, 32833, 32832, 33038, 32870, 32792, 32793, 32878, 32877, 32872, 32876,
                    32871, 32823, 32873, 32796})
        EXPECT_EQ(byKey.count(tip), 1u) << tip;
    EXPECT_EQ(byKey[32816], "Load *.csv");
    EXPECT_EQ(byKey[33038], "Turn On/Off Reference");
    EXPECT_EQ(byKey[1174].front(), ' ');
    EXPECT_EQ(byKey[1174].back(), ' ');
    EXPECT_EQ(byKey[1265], "Note:   Device ID between 0 and 255 !");
    // Ids that label a list in one dialog and a button or label in another get no text.
    EXPECT_EQ(byKey.count(1278), 0u);
    EXPECT_EQ(byKey.count(1322), 0u);
}

TEST_F(LanguageFolderTest, BuiltinTableLookupsAndMissingKeys) {
    table.SetModel(4);
    table.ScanLanguageFiles(); // no folder at all
    EXPECT_EQ(table.GetLanguageCount(), 0);
    table.SelectLanguage(-1);
    EXPECT_EQ(table.GetLanguageIndex(), -1);
    EXPECT_STREQ(table.GetText(4010), "Run in demo");
    EXPECT_STREQ(table.GetText(32876), "Stop");
    EXPECT_STREQ(table.GetText(1108), "Average");
    EXPECT_STREQ(table.GetText(8888), "English");
    EXPECT_TRUE(table.GetText(4029).IsEmpty());
    EXPECT_TRUE(table.GetText(-4000).IsEmpty());
    EXPECT_STREQ(table.GetLanguageName(-1), "English");
    EXPECT_STREQ(table.GetLanguageFileTitle(-1), "English");
    // No files: the getters give empty texts whatever the index.
    EXPECT_TRUE(table.GetLanguageName(0).IsEmpty());
    EXPECT_TRUE(table.GetLanguageFileTitle(3).IsEmpty());
    EXPECT_TRUE(table.GetLanguageFilePath(0).IsEmpty());
    // Nothing is added for the Language submenu.
    CString text;
    EXPECT_FALSE(table.FindText("8090802", text));
}

TEST(LanguageTable, StartsEmptyAndSearchesBesideTheProgram) {
    CLanguageTable fresh;
    EXPECT_EQ(fresh.GetLanguageIndex(), -1);
    EXPECT_EQ(fresh.GetEntryCount(), 0);
    EXPECT_TRUE(fresh.GetText(4000).IsEmpty());
    EXPECT_EQ(fresh.GetLanguageFolder().str(), kv::ProgramFolder() + "/language");
}

TEST_F(LanguageFolderTest, ModelEntriesFollowTheBuiltinTexts) {
    table.SetModel(5);
    table.SelectLanguage(-1);
    EXPECT_STREQ(table.GetText(804000000), "2nS");
    EXPECT_STREQ(table.GetText(804000007), "400nS");
    EXPECT_STREQ(table.GetText(8080900), "10k");
    EXPECT_STREQ(table.GetText(8080901), "512k");
    EXPECT_STREQ(table.GetText(8080902), "1 M");
    EXPECT_TRUE(table.GetText(8080903).IsEmpty());

    table.SetModel(0);
    table.SelectLanguage(-1);
    EXPECT_STREQ(table.GetText(804000000), "4nS");
    EXPECT_STREQ(table.GetText(804000006), "400nS");
    EXPECT_TRUE(table.GetText(804000007).IsEmpty());
    EXPECT_STREQ(table.GetText(8080901), "32k");

    table.SetModel(4);
    table.SelectLanguage(-1);
    EXPECT_STREQ(table.GetText(8080901), "14k");
    EXPECT_STREQ(table.GetText(8080902), "28k");

    table.SetModel(3);
    table.SelectLanguage(-1);
    EXPECT_STREQ(table.GetText(8080906), "1 M");
    EXPECT_STREQ(table.GetText(804000000), "4nS");
}

TEST_F(LanguageFolderTest, FolderScanOrderTitlesAndNames) {
    WriteLanguage("German.lug", {{"8888", "Deutsch"}, {"4000", "Ausschalten"}});
    WriteLanguage("french.lug", {{"4000", "Eteindre"}, {"8888", ""}});
    WriteLanguage("notes.txt", {{"8888", "Not a language"}});
    WriteLanguage("archive.LUG", {{"8888", "Upper-case extension"}});
    MakeFolder("empty.lug"); // a folder with a matching name is not a file
    table.ScanLanguageFiles();
    ASSERT_EQ(table.GetLanguageCount(), 3);
    EXPECT_STREQ(table.GetLanguageFileTitle(0), "archive");
    EXPECT_STREQ(table.GetLanguageFileTitle(1), "french");
    EXPECT_STREQ(table.GetLanguageFileTitle(2), "German");
    // Key 8888 names the language; an empty one falls back to the file title.
    EXPECT_STREQ(table.GetLanguageName(2), "Deutsch");
    EXPECT_STREQ(table.GetLanguageName(1), "french");
    // Past the end means the last file.
    EXPECT_STREQ(table.GetLanguageName(7), "Deutsch");
    EXPECT_EQ(table.GetLanguageFilePath(9).str(), m_folder + "/German.lug");

    table.SetModel(4);
    table.SelectLanguage(2);
    EXPECT_EQ(table.GetLanguageIndex(), 2);
    EXPECT_STREQ(table.GetText(4000), "Ausschalten");
    // Keys the file lacks are empty, not English.
    EXPECT_TRUE(table.GetText(4001).IsEmpty());
    // The Language submenu entries follow "Default" and the separator.
    EXPECT_STREQ(table.GetText(8090802), "Upper-case extension");
    EXPECT_STREQ(table.GetText(8090803), "french");
    EXPECT_STREQ(table.GetText(8090804), "Deutsch");
    // Added entries come after the file's own.
    EXPECT_STREQ(table.GetText(804000000), "2nS");

    table.SelectLanguage(-1);
    EXPECT_STREQ(table.GetText(4000), "Turn Off");
    EXPECT_STREQ(table.GetText(8090804), "Deutsch");
}

TEST_F(LanguageFolderTest, FileEntriesWinOverAddedOnes) {
    WriteLanguage("Custom.lug", {{"804000000", "2 ns"}, {"8080900", "10 K"}, {"8090802", "Mine"}});
    table.ScanLanguageFiles();
    table.SetModel(4);
    table.SelectLanguage(0);
    EXPECT_STREQ(table.GetText(804000000), "2 ns");
    EXPECT_STREQ(table.GetText(8080900), "10 K");
    EXPECT_STREQ(table.GetText(8090802), "Mine");
    EXPECT_STREQ(table.GetText(804000001), "4nS");
}

TEST_F(LanguageFolderTest, OutOfRangeIndexesSelectTheBuiltinTable) {
    WriteLanguage("One.lug", {{"4000", "Uno"}});
    table.ScanLanguageFiles();
    ASSERT_EQ(table.GetLanguageCount(), 1);
    for (int bad : {-2, -100, 1, 5, 1 << 30}) {
        table.SelectLanguage(0);
        ASSERT_STREQ(table.GetText(4000), "Uno");
        table.SelectLanguage(bad);
        EXPECT_EQ(table.GetLanguageIndex(), -1) << bad;
        EXPECT_STREQ(table.GetText(4000), "Turn Off") << bad;
    }
    EXPECT_EQ(table.NormalizeIndex(0), 0);
    EXPECT_EQ(table.NormalizeIndex(-1), -1);
}

TEST_F(LanguageFolderTest, FilesInSubFoldersLoadFromWhereTheyWereFound) {
    WriteLanguage("Zulu.lug", {{"4000", "top"}});
    WriteLanguage("more/deeper/Alpha.lug", {{"4000", "deep"}, {"8888", "Alpha"}});
    table.ScanLanguageFiles();
    ASSERT_EQ(table.GetLanguageCount(), 2);
    EXPECT_STREQ(table.GetLanguageFileTitle(0), "Alpha");
    EXPECT_EQ(table.GetLanguageFilePath(0).str(), m_folder + "/more/deeper/Alpha.lug");
    EXPECT_STREQ(table.GetLanguageName(0), "Alpha");
    table.SelectLanguage(0);
    EXPECT_STREQ(table.GetText(4000), "deep");
}

TEST_F(LanguageFolderTest, LongSectionsAreReadWhole) {
    std::vector<std::pair<std::string, std::string>> lines;
    const std::string longText(1200, 'x'); // longer than a 399-character line, too
    for (int k = 0; k < 200; ++k)
        lines.emplace_back(std::to_string(5000 + k), longText + std::to_string(k));
    WriteLanguage("Long.lug", lines);
    table.ScanLanguageFiles();
    table.SelectLanguage(0);
    EXPECT_EQ(table.GetText(5000).str(), longText + "0");
    EXPECT_EQ(table.GetText(5199).str(), longText + "199");
}

TEST_F(LanguageFolderTest, OddEncodingsAndDamagedFiles) {
    // UTF-16 without a mark, UTF-8 without a mark, and a file cut in the middle of a character.
    std::vector<std::uint8_t> noMark = kv::Utf8ToUtf16Le("[App]\r\n4000=Apagar\r\n8888=Español\r\n");
    WriteBytes("a.lug", noMark);
    const std::string utf8 = "[App]\n4000=Vypnout\n8888=Čeština\n";
    WriteBytes("b.lug", std::vector<std::uint8_t>(utf8.begin(), utf8.end()));
    std::vector<std::uint8_t> cut = kv::Utf8ToUtf16Le("[App]\r\n4000=Spegni\r\n4001=Accendi");
    cut.insert(cut.begin(), {0xFF, 0xFE});
    cut.pop_back();
    WriteBytes("c.lug", cut);
    WriteBytes("d.lug", {});                               // empty
    WriteBytes("e.lug", {0xFF, 0xFE, 0x00, 0xD8, '=', 0}); // lone surrogate as a key
    table.ScanLanguageFiles();
    ASSERT_EQ(table.GetLanguageCount(), 5);
    EXPECT_STREQ(table.GetLanguageName(0), "Español");
    EXPECT_STREQ(table.GetLanguageName(1), "Čeština");
    table.SelectLanguage(0);
    EXPECT_STREQ(table.GetText(4000), "Apagar");
    table.SelectLanguage(1);
    EXPECT_STREQ(table.GetText(4000), "Vypnout");
    table.SelectLanguage(2);
    EXPECT_STREQ(table.GetText(4000), "Spegni");
    EXPECT_STREQ(table.GetText(4001), "Accend\xEF\xBF\xBD");
    table.SelectLanguage(3);
    EXPECT_TRUE(table.GetText(4000).IsEmpty());
    EXPECT_STREQ(table.GetLanguageName(3), "d");
    table.SelectLanguage(4);
    EXPECT_TRUE(table.GetText(4000).IsEmpty());
    // A file that disappears after the scan gives an empty table, not a failure.
    ::unlink((m_folder + "/b.lug").c_str());
    table.SelectLanguage(1);
    EXPECT_TRUE(table.GetText(4000).IsEmpty());
    EXPECT_STREQ(table.GetText(8080900), "10k");
}

TEST_F(LanguageFolderTest, AtMostNinetyEightLanguages) {
    for (int i = 0; i < 101; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "L%03d.lug", i);
        WriteLanguage(name, {{"8888", name}});
    }
    table.ScanLanguageFiles();
    ASSERT_EQ(table.GetLanguageCount(), 98);
    EXPECT_STREQ(table.GetLanguageFileTitle(97), "L097");
    table.SelectLanguage(97);
    EXPECT_EQ(table.GetLanguageIndex(), 97);
    EXPECT_STREQ(table.GetText(8090899), "L097.lug");
    table.SelectLanguage(98);
    EXPECT_EQ(table.GetLanguageIndex(), -1);
    // Every added Language key keeps two digits.
    for (int i = 0; i < table.GetEntryCount(); ++i) {
        // "80908" itself names the Language popup; its items are "80908" + two digits.
        if (table.GetKeyAt(i).Left(5) == "80908" && table.GetKeyAt(i).GetLength() > 5) {
            EXPECT_EQ(table.GetKeyAt(i).GetLength(), 7);
        }
    }
}

TEST_F(LanguageFolderTest, BuiltinTableIsNeverWrittenToTheTemporaryFolder) {
    const std::string tmp = m_root + "/tmp";
    ASSERT_EQ(::mkdir(tmp.c_str(), 0700), 0);
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", tmp.c_str(), 1);
    ASSERT_EQ(kv::TempFolder(), tmp);
    table.ScanLanguageFiles();
    table.SelectLanguage(-1);
    EXPECT_STREQ(table.GetText(4011), "Connected");
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    DIR* d = ::opendir(tmp.c_str());
    ASSERT_NE(d, nullptr);
    int entries = 0;
    while (const dirent* e = ::readdir(d))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
            ++entries;
    ::closedir(d);
    EXPECT_EQ(entries, 0);
}

TEST_F(LanguageFolderTest, TooManyPendingFoldersStopsTheWalk) {
    WriteLanguage("Found.lug", {{"4000", "x"}});
    for (int i = 0; i <= CFileList::kMaxPendingFolders; ++i)
        MakeFolder("d" + std::to_string(i));
    std::vector<std::string> messages;
    CFileList list;
    list.SetMessageHandler([&](const CString& m) { messages.push_back(m.str()); });
    EXPECT_EQ(list.ListFiles(m_folder.c_str(), "*.lug"), FALSE);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "同一层子目录太多!");
    EXPECT_LE(list.GetCount(), 1);
}

TEST_F(LanguageFolderTest, LinkedFolderLoopsEndTheWalk) {
    WriteLanguage("sub/One.lug", {{"4000", "x"}});
    ASSERT_EQ(::symlink(m_folder.c_str(), (m_folder + "/sub/loop").c_str()), 0);
    CFileList list;
    EXPECT_EQ(list.ListFiles((m_folder + "/").c_str(), "*.*"), TRUE);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_STREQ(list.GetName(0), "One.lug");
    EXPECT_STREQ(list.GetRelativePath(0), "sub/One.lug");
}

TEST_F(LanguageFolderTest, DialogsRelabelLabelsAndButtonsOnly) {
    WriteLanguage("Test.lug",
                  {{"1108", "Mittelwert"}, {"04000", "Null"}, {"1110", "(1 ~ 128)"}, {"abc", "junk"}});
    table.ScanLanguageFiles();
    table.SelectLanguage(0);

    FakeDialog dialog;
    auto& label = dialog.Add(1108, LanguageControlKind::Static);
    auto& combo = dialog.Add(1108, LanguageControlKind::ComboBox, "Auto");
    auto& edit = dialog.Add(1110, LanguageControlKind::Edit, "16");
    auto& list = dialog.Add(1110, LanguageControlKind::ListBox, "item");
    auto& group = dialog.Add(1110, LanguageControlKind::GroupBox);
    auto& check = dialog.Add(1110, LanguageControlKind::CheckBox);
    auto& radio = dialog.Add(1110, LanguageControlKind::RadioButton);
    auto& push = dialog.Add(4000, LanguageControlKind::PushButton);
    auto& other = dialog.Add(1108, LanguageControlKind::Other, "slider");
    auto& unknown = dialog.Add(1999, LanguageControlKind::Static, "kept");
    auto& zero = dialog.Add(0, LanguageControlKind::Static, "kept");
    table.Translate(dialog);

    EXPECT_EQ(label.text, "Mittelwert");
    EXPECT_EQ(combo.text, "Auto");
    EXPECT_EQ(edit.text, "16");
    EXPECT_EQ(list.text, "item");
    EXPECT_EQ(group.text, "(1 ~ 128)");
    EXPECT_EQ(check.text, "(1 ~ 128)");
    EXPECT_EQ(radio.text, "(1 ~ 128)");
    EXPECT_EQ(other.text, "slider");
    EXPECT_EQ(unknown.text, "kept");
    EXPECT_EQ(zero.text, "kept");
    // Controls match keys by number, text lookups by spelling.
    EXPECT_EQ(push.text, "Null");
    EXPECT_TRUE(table.GetText(4000).IsEmpty());
}

TEST_F(LanguageFolderTest, MenusTranslateByPosition) {
    WriteLanguage("Menu.lug", {{"800", "Datei"},
                               {"80000", "CSV laden#Strg+O"},
                               {"80001", "--"},
                               {"801", "Kanal"},
                               {"80100", "CH1"},
                               {"8010000", "Ausschalten"},
                               {"801000000", "Viertes"},
                               {"80100000000", "too deep"},
                               {"80102", "never a separator"}});
    table.ScanLanguageFiles();
    table.SetModel(4);
    table.SelectLanguage(0);

    FakeMenu bar;
    FakeMenu& file = bar.AddPopup("File");
    file.AddItem(32816, "Load CSV#Ctrl+O");
    file.AddItem(32817, "Load Setups");
    FakeMenu& channel = bar.AddPopup("Channel");
    FakeMenu& ch1 = channel.AddPopup("CH1");
    FakeMenu& volts = ch1.AddPopup("Turn Off");
    FakeMenu& fourth = volts.AddPopup("level four");
    fourth.AddItem(1, "level five");
    channel.AddItem(5, "x");
    channel.AddSeparator();
    bar.AddPopup("Cursor");
    bar.AddItem(7, "Plain");
    FakeMenu& horizontal = bar.AddPopup("Horizontal"); // position 4, as in the main menu
    FakeMenu& timeDiv = horizontal.AddPopup("Time/DIV");
    FakeMenu& ns = timeDiv.AddPopup("nS");
    ns.AddItem(32991, "2.00nS");
    ns.AddItem(32992, "4.00nS");

    table.TranslateMenu(bar);
    EXPECT_EQ(bar.items[0].text, "Datei");
    EXPECT_EQ(file.items[0].text, "CSV laden#Strg+O");
    EXPECT_EQ(file.items[1].text, "Load Setups"); // "--" is never applied
    EXPECT_EQ(bar.items[1].text, "Kanal");
    EXPECT_EQ(channel.items[0].text, "CH1");
    EXPECT_EQ(ch1.items[0].text, "Ausschalten");
    EXPECT_EQ(volts.items[0].text, "Viertes");
    EXPECT_EQ(fourth.items[0].text, "level five"); // a fifth level is not walked
    EXPECT_EQ(channel.items[2].text, "");          // the separator is skipped
    EXPECT_EQ(bar.items[2].text, "Cursor");        // no key: unchanged
    EXPECT_EQ(bar.items[3].text, "Plain");
    EXPECT_EQ(ns.items[0].text, "2nS");
    EXPECT_EQ(ns.items[1].text, "4nS");
}

TEST_F(LanguageFolderTest, MenuKeysWalkOnlyExistingItems) {
    FakeMenu bar;
    FakeMenu& file = bar.AddPopup("File");
    file.AddItem(32816, "Load");
    bar.AddItem(5, "plain");

    SetMenuItemText(bar, 800, "Datei");
    SetMenuItemText(bar, 80000, "Laden");
    EXPECT_EQ(bar.items[0].text, "Datei");
    EXPECT_EQ(file.items[0].text, "Laden");
    // Keys that name missing positions or sub-menus, or that are no menu keys, change nothing.
    for (int key : {802, 80005, 8000000, 800010000, 80100, 8010000, 700, 9000, 0, -800, 8000})
        SetMenuItemText(bar, key, "X");
    EXPECT_EQ(bar.changes, 1);
    EXPECT_EQ(file.changes, 1);

    // A missing key leaves the item as it is; a present one is applied to the holding menu.
    table.SelectLanguage(-1);
    table.TranslateMenuItem(file, 0, 80098);
    EXPECT_EQ(file.items[0].text, "Laden");
    table.TranslateMenuItem(file, 5, 8080900);
    table.TranslateMenuItem(file, -1, 8080900);
    EXPECT_EQ(file.changes, 1);
}
