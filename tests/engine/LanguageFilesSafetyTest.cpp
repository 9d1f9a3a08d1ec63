// The language folder with special, linked and oversized entries: the listing never waits and
// never offers what cannot be read, and a file that cannot be read is reported.
#include "engine/KelvaneDoc.h"
#include "engine/LanguageTable.h"
#include "system/Profile.h"

#include "ScratchDocFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

class LanguageFilesSafetyTest : public kvtest::ScratchDocFixture {
protected:
    LanguageFilesSafetyTest() : ScratchDocFixture("kv-language-safety-") {}
    void SetUp() override {
        ScratchDocFixture::SetUp();
        folder = dir.File("language");
        fs::create_directory(folder);
        doc.m_language.SetLanguageFolder(folder.c_str());
    }
    void WriteLanguage(const std::string& name, const std::string& languageName) {
        kv::Profile p;
        EXPECT_TRUE(p.SetString("App", "8888", languageName));
        EXPECT_TRUE(p.SetString("App", "4002", languageName + " text"));
        const auto bytes = p.ToBytes();
        kvtest::WriteAllBytes(folder + "/" + name, std::string(bytes.begin(), bytes.end()));
    }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (int i = 0; i < doc.m_language.GetLanguageCount(); ++i)
            names.push_back(doc.m_language.GetLanguageFileTitle(i).GetString());
        return names;
    }
    std::string folder;
};

TEST_F(LanguageFilesSafetyTest, OnlyRegularFilesAreListed) {
    WriteLanguage("Alpha.lug", "Alpha");
    fs::create_directory(folder + "/sub");
    const std::string pipe = folder + "/Pipe.lug";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((folder + "/sub/Deep.lug").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", (folder + "/Zero.lug").c_str()), 0);
    ASSERT_EQ(::symlink("Pipe.lug", (folder + "/ToPipe.lug").c_str()), 0);
    ASSERT_EQ(::symlink("Gone.lug", (folder + "/Dangling.lug").c_str()), 0);
    ASSERT_EQ(::symlink("Alpha.lug", (folder + "/Beta.lug").c_str()), 0);

    ASSERT_TRUE(kvtest::FinishesWithin(5000, pipe, [&] {
        doc.m_language.ScanLanguageFiles();
        doc.SelectLanguage(-1); // the Language menu names every listed file
    }));
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(doc.m_language.GetLanguageName(1), CString("Alpha")); // the link's target is read
    doc.SelectLanguage(1);
    EXPECT_EQ(doc.GetText(4002), CString("Alpha text"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(LanguageFilesSafetyTest, AFileThatCannotBeReadIsReported) {
    WriteLanguage("Alpha.lug", "Alpha");
    const std::string big = folder + "/Big.lug";
    kvtest::WriteAllBytes(big, "");
    ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(kv::kMaxProfileFileBytes) + 1), 0);
    doc.m_language.ScanLanguageFiles();
    ASSERT_EQ(Listed(), (std::vector<std::string>{"Alpha", "Big"}));
    EXPECT_EQ(doc.m_language.GetLanguageName(1), CString("Big")); // no name inside: the title

    doc.SelectLanguage(1);
    EXPECT_EQ(doc.GetLanguageIndex(), 1);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Can not open file: " + big + ": the file is larger than 4 MiB"});
    EXPECT_TRUE(doc.GetText(4002).IsEmpty());
    // The entries the table adds itself are still there.
    EXPECT_EQ(doc.GetText(8090802), CString("Alpha"));

    ui.calls.clear();
    doc.SelectLanguage(0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(doc.GetText(4002), CString("Alpha text"));
}

TEST_F(LanguageFilesSafetyTest, EachFileIsReadForItsNameOncePerScan) {
    WriteLanguage("Alpha.lug", "Alpha");
    WriteLanguage("Beta.lug", "Beta");
    doc.m_language.ScanLanguageFiles();
    doc.SelectLanguage(0);
    EXPECT_EQ(doc.GetText(8090803), CString("Beta"));
    // A name changed on disk shows after the next scan (the menu is built from the scan).
    WriteLanguage("Beta.lug", "Gamma");
    doc.SelectLanguage(-1);
    EXPECT_EQ(doc.GetText(8090803), CString("Beta"));
    doc.m_language.ScanLanguageFiles();
    doc.SelectLanguage(-1);
    EXPECT_EQ(doc.GetText(8090803), CString("Gamma"));
}

} // namespace
