// The shared library exports exactly the functions its public header declares, and works on its
// own with the simulated instrument chosen through SCOPE_SIMULATOR.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::set<std::string> HeaderExports() {
    // Each declaration starts a line with the export macro; the name stands before its '('.
    std::ifstream in(TESSEL_HEADER_PATH);
    std::set<std::string> names;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("TESSEL_API ", 0) != 0)
            continue;
        std::size_t end = line.find('(');
        if (end == std::string::npos)
            continue;
        while (end > 0 && line[end - 1] == ' ')
            --end;
        std::size_t begin = end;
        while (begin > 0 &&
               (std::isalnum(static_cast<unsigned char>(line[begin - 1])) || line[begin - 1] == '_'))
            --begin;
        names.insert(line.substr(begin, end - begin));
    }
    return names;
}

std::set<std::string> LibraryExports(std::set<std::string>* other, const char* path = TESSEL_LIBRARY_PATH) {
    const std::string cmd = std::string("nm -D --defined-only '") + path + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), pclose);
    std::set<std::string> functions;
    if (!pipe)
        return functions;
    char line[1024];
    while (std::fgets(line, sizeof line, pipe.get())) {
        std::istringstream ls(line);
        std::string address, type, name;
        ls >> address >> type >> name;
        if (name.empty())
            continue;
        if (type == "T")
            functions.insert(name);
        else if (other)
            other->insert(name);
    }
    return functions;
}

} // namespace

// Declared in the header for the Pallik build only.
const char* const kPallikOnly = "dsoDisplayDatabackup";

TEST(Exports, LibraryExportsExactlyTheHeader) {
    auto header = HeaderExports();
    ASSERT_EQ(header.erase(kPallikOnly), 1u);
    EXPECT_EQ(header.size(), 114u);
    ASSERT_GE(header.size(), 52u);
    std::set<std::string> other;
    const auto exported = LibraryExports(&other);
    EXPECT_EQ(exported, header);
    EXPECT_TRUE(other.empty()) << "non-function symbol exported: " << *other.begin();
    for (const char* hidden :
         {"dsoGetDeviceName", "dsoOpenDevice", "dsoVendorRequest", "dsoIoctlThreadProc", "dsoIsHighSpeed",
          "dsoSetTransferMode", "dsoStretchData", "sdAutosetPickTimeBase", "NumberOfBitsNeeded"}) {
        for (const auto& name : exported)
            EXPECT_EQ(name.find(hidden), std::string::npos) << name;
    }
}

// The libraries are loaded with RTLD_NODELETE: their static objects stay mapped after dlclose, so
// the leak checker still sees what they point to.
TEST(Exports, LibraryRunsOnTheEnvironmentSimulator) {
    setenv("SCOPE_SIMULATOR", "1", 1);
    void* lib = dlopen(TESSEL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(lib, nullptr) << dlerror();
    using Search = int (*)(uint16_t);
    using Range = int (*)(uint16_t, uint16_t, uint16_t, uint16_t, uint16_t, const uint16_t*);
    using State = uint16_t (*)(uint16_t, uint32_t*);
    using Read =
        uint16_t (*)(uint16_t, uint16_t, uint16_t, uint16_t, uint16_t*, uint16_t*, const uint16_t*, uint32_t);
    auto search = reinterpret_cast<Search>(dlsym(lib, "dsoSearchDevice"));
    auto start = reinterpret_cast<Search>(dlsym(lib, "dsoCaptureStart"));
    auto arm = reinterpret_cast<Search>(dlsym(lib, "dsoTriggerEnabled"));
    auto state = reinterpret_cast<State>(dlsym(lib, "dsoGetCaptureState"));
    auto read = reinterpret_cast<Read>(dlsym(lib, "dsoGetChannelData"));
    auto range = reinterpret_cast<Range>(dlsym(lib, "dsoSetVoltageAndCoupling"));
    ASSERT_TRUE(search && start && arm && state && read && range);
    EXPECT_EQ(search(0), 1);
    EXPECT_EQ(search(1), 0);
    const uint16_t settings[7] = {0, 2, 12, 50, 1, 10, 0};
    // 1 V/div on both channels: the 1 V and 0.5 V sines span one and half a division.
    ASSERT_EQ(range(0, 6, 6, 0, 0, settings), 1);
    ASSERT_EQ(start(0), 1);
    ASSERT_EQ(arm(0), 1);
    uint32_t addr = 0;
    int polls = 0;
    while (state(0, &addr) < 4 && polls < 20)
        ++polls;
    ASSERT_LT(polls, 20);
    std::vector<uint16_t> a(20484, 0xBEEF), b(20484, 0xBEEF);
    ASSERT_EQ(read(0, 6, 6, 50, a.data(), b.data(), settings, addr), 1);
    EXPECT_EQ(a[20482], 50);
    int inRange = 0;
    for (int k = 0; k < 10240; ++k)
        inRange += (a[k] <= 511 && b[k] <= 511) ? 1 : 0;
    EXPECT_EQ(inRange, 10240) << "the simulated signal stays on screen";
    dlclose(lib);
}

TEST(Exports, ModelBuildsExportTheSameFamilies) {
    auto header = HeaderExports();
    std::set<std::string> other;
    const auto pallik = LibraryExports(&other, PALLIK_LIBRARY_PATH);
    EXPECT_EQ(pallik, header) << "Pallik adds the backup trace drawer";
    EXPECT_EQ(pallik.size(), 115u);
    header.erase(kPallikOnly);
    const auto cordun = LibraryExports(&other, CORDUN_LIBRARY_PATH);
    EXPECT_EQ(cordun, header);
    EXPECT_TRUE(other.empty()) << "non-function symbol exported: " << *other.begin();
}

TEST(Exports, CordunFindsOnlyItsOwnDeviceNames) {
    setenv("SCOPE_SIMULATOR", "1", 1);
    void* lib = dlopen(CORDUN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(lib, nullptr) << dlerror();
    using Search = int (*)(uint16_t);
    using Rate2 = int (*)(uint16_t, uint16_t, uint16_t, const uint16_t*);
    auto search = reinterpret_cast<Search>(dlsym(lib, "sdSearchDevice"));
    auto rate2 = reinterpret_cast<Rate2>(dlsym(lib, "dsoSetTriggerAndSampleRate2"));
    ASSERT_TRUE(search && rate2);
    EXPECT_EQ(search(0), 1) << "the environment's instrument answers as qzdva-0";
    EXPECT_EQ(search(1), 0);
    const uint16_t settings[7] = {0, 2, 22, 50, 1, 10, 0};
    EXPECT_EQ(rate2(0, 0, 0, settings), 1);
    dlclose(lib);
}
