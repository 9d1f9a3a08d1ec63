// The program's tests run on a screen of a desktop's size. The offscreen platform's own screen is
// 800 x 600, smaller than the main window's first size, where the window would be fitted to it;
// a run that names its own screen (QT_QPA_PLATFORM with options) keeps it. A program built with
// KV_TEST_SCALE_FACTOR also runs at that scale factor.
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const bool kScreenChosen = [] {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::strcmp(platform, "offscreen") != 0)
        return false;
    const std::string withScreen = std::string("offscreen:configfile=") + KV_TEST_SCREEN_CONFIG;
#ifdef KV_TEST_SCALE_FACTOR
    ::setenv("QT_SCALE_FACTOR", KV_TEST_SCALE_FACTOR, 1);
#endif
    return ::setenv("QT_QPA_PLATFORM", withScreen.c_str(), 1) == 0;
}();

} // namespace
