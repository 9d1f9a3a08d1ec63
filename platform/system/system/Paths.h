#pragma once
// Program folder, settings folder, the user's configuration folder and the temporary folder.
#include <string>
#include <sys/types.h>

namespace kv {

// Directory of the running executable, without a trailing '/'.
std::string ProgramFolder();

// The user's own folder of this program: $XDG_CONFIG_HOME/kelvane, or ~/.config/kelvane when
// XDG_CONFIG_HOME is unset, empty or not an absolute path (the home folder from $HOME, else from
// the user database). Empty when the user has no home folder at all. Not created here.
std::string UserConfigFolder();

// Where the program keeps "Default.set" (and where the user may add a "language" folder of
// their own): the program folder while this user may write into it, otherwise
// UserConfigFolder() (the program folder when that is empty too).
std::string SettingsFolder();

// Whether this process may create and remove files in `folder` (its permissions, access control
// lists and a read-only file system are all taken into account).
bool FolderIsWritable(const std::string& folder);

// Creates `folder` and every missing folder above it with `mode`; true when it exists afterwards
// as a folder.
bool MakeFolders(const std::string& folder, mode_t mode);

// The system's temporary folder, without a trailing '/'.
std::string TempFolder();

// Lower-cased last four characters of a path, e.g. ".set"; empty when shorter.
std::string ExtensionOf4(const std::string& path);

} // namespace kv
