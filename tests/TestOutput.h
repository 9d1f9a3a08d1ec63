#pragma once
// The folder for what a test writes for a person to look at (pictures, reports): always under
// the build folder, whichever folder the test runs from.
#include <filesystem>
#include <string>

namespace kvtest {

inline std::string OutputDir() {
    const std::string dir = KV_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(dir);
    return dir;
}

} // namespace kvtest
