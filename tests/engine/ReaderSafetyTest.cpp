// The document's readers and writers with special files, links, oversized files and protected
// files: nothing waits, nothing is read that should not be, and what the user set is kept.
#include "engine/KelvaneDoc.h"
#include "engine/PassFail.h"
#include "engine/RecordStore.h"

#include "ScratchDocFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kvtest::AsString;
using kvtest::ModeOf;
using kvtest::ReadAllBytes;
using kvtest::StatOf;
using kvtest::WriteAllBytes;

class ReaderSafetyTest : public kvtest::ScratchDocFixture {
protected:
    ReaderSafetyTest() : ScratchDocFixture("kv-reader-safety-") {}

    // One reader: the extension it wants and a call that returns its result and the message it
    // gave (through the document's view or its error text).
    struct Reader {
        std::string extension;
        std::function<int(const std::string&)> load;
    };
    std::vector<Reader> Readers() {
        return {
            {".set", [this](const std::string& p) { return doc.LoadSetupFile(p.c_str(), true); }},
            {".rfc", [this](const std::string& p) { return doc.LoadReferenceFile(p.c_str()); }},
            {".ref", [this](const std::string& p) { return doc.LoadOldReferenceFile(p.c_str()); }},
            {".csv", [this](const std::string& p) { return doc.LoadCsvFile(p.c_str()); }},
            {".psf",
             [this](const std::string& p) {
                 CString error;
                 const int r = doc.m_passFail.LoadSettings(p.c_str(), &error);
                 if (!error.IsEmpty())
                     ui.MessageBox(error.GetString(), "");
                 return r;
             }},
            {".rec",
             [this](const std::string& p) {
                 CString error;
                 const int r = doc.m_record.LoadRecord(p.c_str(), &error);
                 if (!error.IsEmpty())
                     ui.MessageBox(error.GetString(), "");
                 return r;
             }},
        };
    }
    static std::string Opening(const std::string& extension) {
        return extension == ".rec" ? "Couldn't open file: " : "Can not open file: ";
    }
};

TEST_F(ReaderSafetyTest, EveryReaderRefusesANamedPipeAtOnce) {
    const auto before = Settings(doc);
    for (const Reader& reader : Readers()) {
        const std::string fifo = Fifo("pipe" + reader.extension);
        ui.calls.clear();
        int result = -1;
        ASSERT_TRUE(kvtest::FinishesWithin(5000, fifo, [&] { result = reader.load(fifo); }))
            << reader.extension;
        EXPECT_EQ(result, 0) << reader.extension;
        EXPECT_EQ(Messages(),
                  std::vector<std::string>{Opening(reader.extension) + fifo + ": not a regular file"});
    }
    EXPECT_EQ(Settings(doc), before);

    // At start-up the settings file is read quietly: a pipe there is passed over in silence.
    const std::string fifo = dir.File("pipe.set");
    ui.calls.clear();
    int result = -1;
    ASSERT_TRUE(kvtest::FinishesWithin(5000, fifo, [&] { result = doc.LoadSetupFile(fifo.c_str()); }));
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ReaderSafetyTest, LinksToDevicesAreRefusedAndLinksToFilesRead) {
    for (const Reader& reader : Readers()) {
        const std::string link = dir.File("zero" + reader.extension);
        ASSERT_EQ(::symlink("/dev/zero", link.c_str()), 0);
        ui.calls.clear();
        EXPECT_EQ(reader.load(link), 0) << reader.extension;
        EXPECT_EQ(Messages(),
                  std::vector<std::string>{Opening(reader.extension) + link + ": not a regular file"});
    }
    // A link to an ordinary file reads the file.
    fs::create_directory(dir.File("data"));
    WriteAllBytes(dir.File("data/wave.csv"), "#CLOCK=0.001\n#SIZE=10240\n1.0,0,0\n");
    const std::string link = dir.File("link.csv");
    ASSERT_EQ(::symlink("data/wave.csv", link.c_str()), 0);
    EXPECT_EQ(doc.LoadCsvFile(link.c_str()), 1);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 17); // 1 ms/div
}

// The largest file each reader takes; every real file is far below it.
TEST_F(ReaderSafetyTest, FilesAboveTheirCapAreRefusedUnread) {
    const std::vector<std::pair<std::string, std::pair<std::uint64_t, std::string>>> caps = {
        {".set", {8u << 20, "8 MiB"}},   {".rfc", {4u << 20, "4 MiB"}},   {".ref", {64u << 20, "64 MiB"}},
        {".csv", {64u << 20, "64 MiB"}}, {".psf", {64u << 10, "64 KiB"}}, {".rec", {4u << 20, "4 MiB"}},
    };
    const auto before = Settings(doc);
    const auto readers = Readers();
    for (std::size_t i = 0; i < readers.size(); ++i) {
        const Reader& reader = readers[i];
        ASSERT_EQ(caps[i].first, reader.extension);
        const std::string p = dir.File("big" + reader.extension);
        WriteAllBytes(p, "");
        // Sparse: the test costs no disk space, and a reader that read it would take long.
        ASSERT_EQ(::truncate(p.c_str(), static_cast<off_t>(caps[i].second.first + 1)), 0);
        ui.calls.clear();
        EXPECT_EQ(reader.load(p), 0) << reader.extension;
        EXPECT_EQ(Messages(), std::vector<std::string>{Opening(reader.extension) + p +
                                                       ": the file is larger than " + caps[i].second.second});
    }
    EXPECT_EQ(Settings(doc), before);
}

TEST_F(ReaderSafetyTest, SavesKeepPermissionsLinksAndProtection) {
    const std::string p = dir.File("Default.set");
    ASSERT_EQ(doc.SaveSetupFile(p.c_str()), 1);
    ASSERT_EQ(::chmod(p.c_str(), 0600), 0);
    doc.m_ch1.SetVoltsPerDivIndex(3);
    ASSERT_EQ(doc.SaveSetupFile(p.c_str()), 1);
    EXPECT_EQ(ModeOf(p), 0600u);

    // Through a link the target changes and the link stays.
    const std::string link = dir.File("link.set");
    ASSERT_EQ(::symlink("Default.set", link.c_str()), 0);
    doc.m_ch1.SetVoltsPerDivIndex(4);
    ASSERT_EQ(doc.SaveSetupFile(link.c_str()), 1);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAllBytes(p), Settings(doc));

    // A second name of the same file sees the save.
    const std::string twin = dir.File("twin.set");
    ASSERT_EQ(::link(p.c_str(), twin.c_str()), 0);
    doc.m_ch1.SetVoltsPerDivIndex(5);
    ASSERT_EQ(doc.SaveSetupFile(p.c_str()), 1);
    EXPECT_EQ(ReadAllBytes(twin), ReadAllBytes(p));
    EXPECT_EQ(StatOf(twin).st_ino, StatOf(p).st_ino);

    // A write-protected file is refused with the writers' message and left as it was.
    const auto kept = ReadAllBytes(p);
    ASSERT_EQ(::chmod(p.c_str(), 0444), 0);
    doc.m_ch1.SetVoltsPerDivIndex(6);
    ui.calls.clear();
    EXPECT_EQ(doc.SaveSetupFile(p.c_str()), 0);
    EXPECT_EQ(ReadAllBytes(p), kept);
    EXPECT_EQ(ModeOf(p), 0444u);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Cann't save file: " + p + ": the file is write-protected"});

    const std::string csv = dir.File("locked.csv");
    WriteAllBytes(csv, "old");
    ASSERT_EQ(::chmod(csv.c_str(), 0444), 0);
    ui.calls.clear();
    EXPECT_EQ(doc.SaveCsvFile(csv.c_str()), 0);
    EXPECT_EQ(AsString(ReadAllBytes(csv)), "old");
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Cann't save file: " + csv + ": the file is write-protected"});
}

TEST_F(ReaderSafetyTest, DemoSessionsRefreshOnlyAWritableHeader) {
    const std::string p = dir.File("Default.set");
    ASSERT_EQ(doc.SaveSetupFile(p.c_str()), 1);
    const auto saved = ReadAllBytes(p);
    doc.SetDemoMode(1);
    doc.m_nLanguage = 2;

    ASSERT_EQ(::chmod(p.c_str(), 0444), 0);
    ui.calls.clear();
    EXPECT_EQ(doc.SaveSetupFile(p.c_str()), 0);
    EXPECT_EQ(ReadAllBytes(p), saved);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Cann't save file: " + p + ": the file is write-protected"});

    ASSERT_EQ(::chmod(p.c_str(), 0644), 0);
    ASSERT_EQ(doc.SaveSetupFile(p.c_str()), 1);
    const auto refreshed = ReadAllBytes(p);
    ASSERT_EQ(refreshed.size(), saved.size());
    EXPECT_EQ(refreshed[16], 2); // the language index, bytes 16..19
    EXPECT_TRUE(std::equal(saved.begin() + 20, saved.end(), refreshed.begin() + 20));

    // Nothing to refresh in a file that is not there: no file, no message.
    ui.calls.clear();
    EXPECT_EQ(doc.SaveSetupFile(dir.File("new.set").c_str()), 0);
    EXPECT_FALSE(fs::exists(dir.File("new.set")));
    EXPECT_TRUE(Messages().empty());
    const std::string fifo = Fifo("pipe.set");
    int result = -1;
    ASSERT_TRUE(kvtest::FinishesWithin(5000, fifo, [&] { result = doc.SaveSetupFile(fifo.c_str()); }));
    EXPECT_EQ(result, 0);
}

TEST_F(ReaderSafetyTest, LongestFileNamesSaveAndLoad) {
    const std::string name = std::string(251, 's') + ".set"; // 255 bytes, the system's limit
    const std::string p = dir.File(name);
    doc.m_ch1.SetVoltsPerDivIndex(2);
    ASSERT_EQ(doc.SaveSetupFile(p.c_str()), 1);
    doc.m_ch1.SetVoltsPerDivIndex(7);
    ASSERT_EQ(doc.SaveSetupFile(p.c_str()), 1);
    doc.m_ch1.SetVoltsPerDivIndex(1);
    ASSERT_EQ(doc.LoadSetupFile(p.c_str(), true), 1);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 7);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.Path()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{name});
}

} // namespace
