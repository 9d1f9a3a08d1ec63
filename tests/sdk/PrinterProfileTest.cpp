// The printer comes from the system profile; a profile that is no regular file never holds up
// the client that asks for the printer.
#include "Printing.h"
#include "Tessel.h"

#include "../platform/system/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PrinterProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.Ok());
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_hadOld = old != nullptr;
        m_old = old ? old : "";
        setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        ASSERT_EQ(::mkdir(dir.File("kelvane").c_str(), 0755), 0);
        profile = dir.File("kelvane/win.ini");
        ASSERT_EQ(kv::sdk::SystemProfilePath(), profile);
    }
    void TearDown() override {
        if (m_hadOld)
            setenv("XDG_CONFIG_HOME", m_old.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    kvtest::ScratchFolder dir{"kv-printer-profile-"};
    std::string profile;

private:
    bool m_hadOld = false;
    std::string m_old;
};

TEST_F(PrinterProfileTest, APipeOrDeviceForTheProfileGivesNoPrinterAtOnce) {
    ASSERT_EQ(::mkfifo(profile.c_str(), 0644), 0);
    HDC printer = reinterpret_cast<HDC>(1);
    ASSERT_TRUE(kvtest::FinishesWithin(5000, profile, [&] { printer = dsoOpenPrinter(); }));
    EXPECT_EQ(printer, nullptr);

    ::unlink(profile.c_str());
    ASSERT_EQ(::symlink("/dev/zero", profile.c_str()), 0);
    EXPECT_EQ(dsoOpenPrinter(), nullptr);

    // A real profile naming the PDF printer still works, also through a link.
    ::unlink(profile.c_str());
    kvtest::WriteAllBytes(dir.File("real.ini"),
                          "[windows]\ndevice=Kelvane PDF,PDF," + dir.File("out.pdf") + "\n");
    ASSERT_EQ(::symlink("../real.ini", profile.c_str()), 0);
    printer = dsoOpenPrinter();
    ASSERT_NE(printer, nullptr);
    dsoClosePrinter(printer);
}

} // namespace
