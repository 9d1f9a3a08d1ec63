#include "system/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kv {

std::string ProgramFolder() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    std::string path(buf, static_cast<size_t>(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

namespace {

std::string WithoutTrailingSlashes(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

std::string Join(const std::string& folder, const char* name) {
    const std::string dir = WithoutTrailingSlashes(folder);
    return dir == "/" ? dir + name : dir + "/" + name;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    // A session started without HOME still has a home folder in the user database.
    std::vector<char> buf(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return std::string();
}

} // namespace

std::string UserConfigFolder() {
    // Only an absolute folder counts: a relative one would move with the working folder.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return Join(xdg, "kelvane");
    const std::string home = HomeFolder();
    if (home.empty())
        return std::string();
    return Join(home, ".config/kelvane");
}

std::string SettingsFolder() {
    const std::string program = ProgramFolder();
    if (FolderIsWritable(program))
        return program;
    const std::string user = UserConfigFolder();
    return user.empty() ? program : user;
}

bool FolderIsWritable(const std::string& folder) {
    // Asked of the system for this process's own rights, so group rights, access control lists
    // and a file system mounted read-only all give the answer a save would meet.
    return !folder.empty() && faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool MakeFolders(const std::string& folder, mode_t mode) {
    if (folder.empty())
        return false;
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string TempFolder() {
    const char* t = std::getenv("TMPDIR");
    return WithoutTrailingSlashes((t && *t) ? t : "/tmp");
}

std::string ExtensionOf4(const std::string& path) {
    if (path.size() < 4)
        return {};
    std::string ext = path.substr(path.size() - 4);
    // ASCII letters only, whatever the locale's idea of upper and lower case.
    for (auto& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

} // namespace kv
