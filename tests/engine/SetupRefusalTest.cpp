// Setup files that cannot be used: the user who chose one is told which file and what is wrong;
// the start-up load stays silent; and a refused file, a cut one included, changes nothing.
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "engine/SetupFile.h"

#include "ScratchDocFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using kvtest::ReadAllBytes;
using Bytes = std::vector<std::uint8_t>;

void WriteFile(const std::string& path, const Bytes& bytes) {
    kvtest::WriteAllBytes(path, std::string(bytes.begin(), bytes.end()));
}

class SetupRefusalTest : public kvtest::ScratchDocFixture {
protected:
    SetupRefusalTest() : ScratchDocFixture("kv-setup-refusal-") {}

    // A file saved with the defaults, then the document moved away from them, so that any field
    // a refused file let through would show.
    Bytes DefaultFileThenChangeTheDocument() {
        const Bytes file = Settings(doc);
        doc.m_ch1.SetVoltsPerDivIndex(3);
        doc.m_ch2.SetCoupling(kCouplingDc);
        doc.m_math.SetOn(1);
        doc.m_trigger.SetLevel(0, 300.0f);
        doc.m_settings.SetTimeBaseIndex(20);
        doc.m_passFail.m_nVerticalTolerance = 50;
        doc.m_fft.m_nBins = 1024;
        ui.screen = ScreenOptions{1, 3, 1, 0, 40, 50};
        return file;
    }
};

TEST_F(SetupRefusalTest, ACutFileIsRefusedWholeAndNamesWhereItEnds) {
    const Bytes file = DefaultFileThenChangeTheDocument();
    // Block boundaries of a file whose REF holds no samples and whose record store no frames:
    // header 20 bytes, CH1 and CH2 34 each, MATH 32, REF 36, trigger 52, time base 10, screen 14,
    // acquisition 12, record store 48, pass/fail 2036, measurements 68, FFT 22.
    ASSERT_EQ(file.size(), 2418u);
    const std::vector<std::pair<std::size_t, std::string>> cuts = {
        {15, "its header"},
        {19, "its header"},
        {20, "the CH1 settings"},
        {53, "the CH1 settings"},
        {54, "the CH2 settings"},
        {88, "the MATH settings"},
        {155, "the REF settings"},
        {156, "the trigger settings"},
        {207, "the trigger settings"},
        {208, "the time base settings"},
        {218, "the screen settings"},
        {232, "the acquisition settings"},
        {244, "the record settings"},
        {291, "the record settings"},
        {292, "the pass/fail settings"},
        {2327, "the pass/fail settings"},
        {2328, "the measurement settings"},
        {2396, "the FFT settings"},
        {2417, "the FFT settings"},
    };
    const Bytes before = Settings(doc);
    const ScreenOptions screenBefore = ui.screen;
    const std::string p = dir.File("cut.set");
    fake->ClearCalls();
    for (const auto& [size, where] : cuts) {
        WriteFile(p, Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size)));
        ui.calls.clear();
        EXPECT_EQ(doc.LoadSetupFile(p.c_str(), true), 0) << size;
        EXPECT_EQ(Messages(),
                  std::vector<std::string>{"Can not open file: " + p + ": the file ends early, in " + where})
            << size;
        // The fields before the cut are not applied either (CH1's 1 V/div would be).
        EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 3) << size;
        EXPECT_EQ(Settings(doc), before) << size;
        EXPECT_EQ(ui.screen.cursorMode, screenBefore.cursorMode) << size;
        EXPECT_TRUE(fake->calls.empty()) << "nothing is sent to the instrument";
    }
    // The same file at start-up: refused in silence.
    ui.calls.clear();
    EXPECT_EQ(doc.LoadSetupFile(p.c_str()), 0);
    EXPECT_TRUE(Messages().empty());

    // The whole file loads.
    WriteFile(p, file);
    ui.calls.clear();
    ASSERT_EQ(doc.LoadSetupFile(p.c_str(), true), 1);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 6);
}

TEST_F(SetupRefusalTest, ForeignFilesAreNamedWhenTheUserChoseThem) {
    const Bytes file = DefaultFileThenChangeTheDocument();
    const Bytes before = Settings(doc);
    const std::string p = dir.File("foreign.set");

    Bytes magic = file;
    magic[0] = 'X';
    Bytes model = file;
    model[14] = 2; // saved with another instrument model
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {magic, "this is not a setup file"},
        {model, "the settings are for another instrument model"},
        {Bytes(file.begin(), file.begin() + 10), "this is not a setup file"},
        {Bytes(), "this is not a setup file"},
    };
    for (const auto& [bytes, reason] : cases) {
        WriteFile(p, bytes);
        ui.calls.clear();
        EXPECT_EQ(doc.LoadSetupFile(p.c_str(), true), 0) << reason;
        EXPECT_EQ(Messages(), std::vector<std::string>{"Can not open file: " + p + ": " + reason});
        // At start-up a foreign "Default.set" leaves the defaults without a word.
        ui.calls.clear();
        EXPECT_EQ(doc.LoadSetupFile(p.c_str()), 0);
        EXPECT_TRUE(Messages().empty()) << reason;
    }
    const std::string missing = dir.File("missing.set");
    ui.calls.clear();
    EXPECT_EQ(doc.LoadSetupFile(missing.c_str(), true), 0);
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Can not open file: " + missing + ": No such file or directory"});
    ui.calls.clear();
    EXPECT_EQ(doc.LoadSetupFile(missing.c_str()), 0);
    EXPECT_TRUE(Messages().empty());
    // The extension is told in every case.
    EXPECT_EQ(doc.LoadSetupFile(dir.File("setup.txt").c_str()), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"This is not a setup file!"});
    EXPECT_EQ(Settings(doc), before);
}

} // namespace
