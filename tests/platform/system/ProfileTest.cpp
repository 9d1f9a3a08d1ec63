#include "system/Profile.h"
#include "TestOutput.h"

#include "system/LittleEndian.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::uint8_t> Le(const std::u16string& s, bool bom = true) {
    std::vector<std::uint8_t> out;
    if (bom) {
        out.push_back(0xFF);
        out.push_back(0xFE);
    }
    for (char16_t c : s) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = kvtest::OutputDir() + "/kv-profile-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override {
        for (const auto& f : m_files)
            std::remove(f.c_str());
        ::rmdir(m_dir.c_str());
    }
    std::string File(const std::string& name) {
        m_files.push_back(m_dir + "/" + name);
        return m_files.back();
    }
    std::string m_dir;
    std::vector<std::string> m_files;
};

} // namespace

TEST(Utf16Conversion, SurrogatePairsAndInvalidUnits) {
    // U+1F600 as a pair, then a lone high surrogate followed by 'A', then a lone low surrogate.
    const std::u16string s = u"\U0001F600\xD800"
                             u"A\xDC00";
    const auto bytes = Le(s, false);
    EXPECT_EQ(kv::Utf16LeToUtf8(bytes.data(), bytes.size()), "\xF0\x9F\x98\x80\xEF\xBF\xBD"
                                                             "A\xEF\xBF\xBD");
    // A high surrogate as the very last unit has nothing to pair with.
    const auto last = Le(u"x\xD83D", false);
    EXPECT_EQ(kv::Utf16LeToUtf8(last.data(), last.size()), "x\xEF\xBF\xBD");
}

TEST(Utf16Conversion, OddByteCountEndsInReplacement) {
    const std::vector<std::uint8_t> odd{'A', 0, 'B'};
    EXPECT_EQ(kv::Utf16LeToUtf8(odd.data(), odd.size()), "A\xEF\xBF\xBD");
    EXPECT_EQ(kv::Utf16LeToUtf8(odd.data(), 1), "\xEF\xBF\xBD");
    EXPECT_EQ(kv::Utf16LeToUtf8(odd.data(), 0), "");
}

TEST(Utf16Conversion, Utf8RoundTripAndRepair) {
    const std::string text = "Fréquence 同一层 \xF0\x9F\x98\x80 end";
    const auto utf16 = kv::Utf8ToUtf16Le(text);
    EXPECT_EQ(utf16.size() % 2, 0u);
    EXPECT_EQ(kv::Utf16LeToUtf8(utf16.data(), utf16.size()), text);
    // Truncated sequence, overlong form, encoded surrogate, stray continuation byte.
    EXPECT_EQ(kv::SanitizeUtf8("a\xE4\xB8"), "a\xEF\xBF\xBD");
    EXPECT_EQ(kv::SanitizeUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(kv::SanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(kv::SanitizeUtf8("\x80z"), "\xEF\xBF\xBDz");
    EXPECT_EQ(kv::SanitizeUtf8("\xF4\x90\x80\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    // Invalid UTF-8 written out becomes U+FFFD, not a broken unit.
    const auto repaired = kv::Utf8ToUtf16Le("\xFF");
    ASSERT_EQ(repaired.size(), 2u);
    EXPECT_EQ(repaired[0], 0xFD);
    EXPECT_EQ(repaired[1], 0xFF);
}

TEST(TextFileDecoding, ChoosesEncodingByMarkOrZeroBytes) {
    EXPECT_EQ(kv::DecodeTextFile(Le(u"[App]")), "[App]");
    EXPECT_EQ(kv::DecodeTextFile(Le(u"[App]", false)), "[App]");
    EXPECT_EQ(kv::DecodeTextFile({0xFE, 0xFF, 0, 'O', 0, 'K'}), "OK");
    EXPECT_EQ(kv::DecodeTextFile({0, 'O', 0, 'K'}), "OK");
    EXPECT_EQ(kv::DecodeTextFile(Bytes("\xEF\xBB\xBFGr\xC3\xBC\xC3\x9F")), "Grüß");
    EXPECT_EQ(kv::DecodeTextFile(Bytes("plain")), "plain");
    EXPECT_EQ(kv::DecodeTextFile({}), "");
    EXPECT_EQ(kv::DecodeTextFile({0xFF}), "\xEF\xBF\xBD");
}

TEST(ProfileParse, SectionsKeysAndLines) {
    kv::Profile p;
    p.Parse("stray=before any section\r\n"
            "[App]\r\n"
            "4000=Turn Off\r\n"
            " 4001 =  Turn On\n"
            "; a comment\r"
            "\r\n"
            "no equals sign here\r\n"
            "1174=      indented text \r\n"
            "4000=second copy\r\n"
            "[app]\n"
            "9=merged\n"
            "[Other\n"
            "k=v=w\n");
    EXPECT_EQ(p.SectionNames(), (std::vector<std::string>{"App", "Other"}));
    const auto* app = p.Section("APP");
    ASSERT_NE(app, nullptr);
    ASSERT_EQ(app->size(), 6u);
    EXPECT_EQ((*app)[0].key, "4000");
    EXPECT_EQ((*app)[0].value, "Turn Off");
    EXPECT_EQ((*app)[1].key, "4001");
    EXPECT_EQ((*app)[1].value, "  Turn On");
    EXPECT_EQ((*app)[2].key, "");
    EXPECT_EQ((*app)[2].value, "no equals sign here");
    EXPECT_EQ((*app)[3].value, "      indented text ");
    EXPECT_EQ((*app)[5].value, "merged");
    // Lookup: first match wins, blanks trimmed, case ignored.
    EXPECT_EQ(p.GetString("app", "4000"), "Turn Off");
    EXPECT_EQ(p.GetString("App", "4001"), "Turn On");
    EXPECT_EQ(p.GetString("Other", "K"), "v=w");
    EXPECT_EQ(p.GetString("App", "missing", "fallback"), "fallback");
    EXPECT_EQ(p.GetString("Nope", "4000", "fb"), "fb");
    EXPECT_FALSE(p.HasKey("App", "stray"));
}

TEST(ProfileParse, ZeroCharactersAreDropped) {
    kv::Profile p;
    p.ParseBytes(Le(std::u16string(u"[App]\r\n1=ab\0c\r\n\0\0\0", 16)));
    EXPECT_EQ(p.GetString("App", "1"), "abc");
    ASSERT_NE(p.Section("App"), nullptr);
    EXPECT_EQ(p.Section("App")->size(), 1u);
}

TEST(ProfileParse, LongTextsAreKeptWhole) {
    // Far beyond any fixed line or section buffer.
    std::string longValue;
    for (int i = 0; i < 5000; ++i)
        longValue += "Wörter ";
    std::string text = "[App]\r\n";
    for (int k = 0; k < 2000; ++k)
        text += std::to_string(k) + "=value " + std::to_string(k) + "\r\n";
    text += "9999=" + longValue + "\r\n";
    kv::Profile p;
    p.ParseBytes(kv::Utf8ToUtf16Le(text));
    ASSERT_NE(p.Section("App"), nullptr);
    EXPECT_EQ(p.Section("App")->size(), 2001u);
    EXPECT_EQ(p.GetString("App", "1999"), "value 1999");
    EXPECT_EQ(p.Section("App")->back().value, longValue);
}

TEST(ProfileParse, TruncatedFileKeepsCompleteLines) {
    const auto full = Le(u"[App]\r\n1=one\r\n2=two\r\n");
    const std::vector<std::uint8_t> cut(full.begin(), full.end() - 5); // mid-unit, mid-line
    kv::Profile p;
    p.ParseBytes(cut);
    EXPECT_EQ(p.GetString("App", "1"), "one");
    EXPECT_EQ(p.GetString("App", "2"), "tw\xEF\xBF\xBD");
}

TEST(ProfileEdit, RefusesTextsThatWouldBreakTheFile) {
    kv::Profile p;
    EXPECT_FALSE(p.SetString("App", "1", "two\r\nlines"));
    EXPECT_FALSE(p.SetString("App", "a=b", "x"));
    EXPECT_FALSE(p.SetString("A]pp", "1", "x"));
    EXPECT_FALSE(p.SetString("", "1", "x"));
    EXPECT_FALSE(p.SetString("App", " ", "x"));
    EXPECT_FALSE(p.SetString("App", "[x", "x"));
    EXPECT_FALSE(p.SetString("App", ";x", "x"));
    EXPECT_FALSE(p.HasSection("App"));
    EXPECT_TRUE(p.SetString("App", "1", "one"));
    EXPECT_TRUE(p.SetString("app", "1", "uno"));
    EXPECT_EQ(p.Section("App")->size(), 1u);
    EXPECT_EQ(p.GetString("App", "1"), "uno");
    EXPECT_TRUE(p.DeleteKey("App", "1"));
    EXPECT_FALSE(p.DeleteKey("App", "1"));
}

TEST_F(ProfileFileTest, WrittenProfileRoundTrips) {
    const std::string path = File("round.lug");
    kv::Profile p;
    ASSERT_TRUE(p.SetString("App", "8888", "Deutsch"));
    ASSERT_TRUE(p.SetString("App", "4000", "Ausschalten"));
    ASSERT_TRUE(p.SetString("App", "1174", "   leading and trailing   "));
    ASSERT_TRUE(p.SetString("App", "9", "\xF0\x9F\x98\x80 同一层"));
    ASSERT_TRUE(p.SetString("Second", "x", ""));
    ASSERT_TRUE(p.Save(path));

    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kv::ReadWholeFile(path, bytes));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes[2], '[');
    EXPECT_EQ(bytes[3], 0);
    EXPECT_EQ(bytes, p.ToBytes());

    kv::Profile q;
    ASSERT_TRUE(q.Load(path));
    EXPECT_EQ(q.ToBytes(), bytes);
    EXPECT_EQ(q.GetString("App", "8888"), "Deutsch");
    EXPECT_EQ(q.Section("App")->at(2).value, "   leading and trailing   ");
    EXPECT_EQ(q.GetString("App", "9"), "\xF0\x9F\x98\x80 同一层");
    EXPECT_TRUE(q.HasKey("Second", "x"));
}

TEST_F(ProfileFileTest, PrivateProfileHelpers) {
    const std::string path = File("helpers.ini");
    EXPECT_EQ(kv::GetPrivateProfileString("App", "1", "none", path), "none");
    EXPECT_TRUE(kv::WritePrivateProfileString("App", "1", "one", path));
    EXPECT_TRUE(kv::WritePrivateProfileString("App", "2", "two", path));
    EXPECT_FALSE(kv::WritePrivateProfileString("App", "3", "bad\nvalue", path));
    EXPECT_EQ(kv::GetPrivateProfileString("App", "1", "", path), "one");
    EXPECT_EQ(kv::GetPrivateProfileString("App", "2", "", path), "two");
    EXPECT_EQ(kv::GetPrivateProfileString("App", "3", "absent", path), "absent");
    // A UTF-8 file without a mark, as an editor might save it, reads the same way.
    const std::string utf8 = File("plain.ini");
    const std::string text = "[App]\n8888=Français\n";
    ASSERT_TRUE(kv::WriteWholeFileAtomic(utf8, text.data(), text.size()));
    EXPECT_EQ(kv::GetPrivateProfileString("App", "8888", "", utf8), "Français");
}

TEST_F(ProfileFileTest, UnreadableFileIsNotReplaced) {
    // A folder where the file should be cannot be read; writing must not clobber anything.
    const std::string path = m_dir + "/sub.ini";
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    EXPECT_FALSE(kv::WritePrivateProfileString("App", "1", "x", path));
    ::rmdir(path.c_str());
}
