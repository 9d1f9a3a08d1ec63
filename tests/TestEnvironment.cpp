// Linked into every test program: temporary files of the tests and of the code under test go to
// a folder under the build folder, not to the machine's shared temporary folder.
#include "TestOutput.h"

#include <cstdlib>
#include <filesystem>

namespace {

const bool kTempUnderBuild = [] {
    std::filesystem::create_directories(KV_TEST_TMP_DIR);
    return ::setenv("TMPDIR", KV_TEST_TMP_DIR, 1) == 0;
}();

} // namespace

namespace kvtest {

std::string OutputDir() {
    const std::string dir = KV_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace kvtest
