#pragma once
// Private parts of the printing functions: where the system profile lives, and a test seam.
#include <atomic>
#include <string>

namespace kv::sdk {

// The system profile that names the default printer: $XDG_CONFIG_HOME/kelvane/win.ini, or
// $HOME/.config/kelvane/win.ini when XDG_CONFIG_HOME is unset or empty.
std::string SystemProfilePath();

// Where the clipboard stand-in writes its picture: $TMPDIR/kelvane-clipboard-<uid>/clipboard.png.
std::string ClipboardPicturePath();

// Test seam: when set, starting the printer's page fails as a full spool would.
extern std::atomic<bool> g_failStartPage;

} // namespace kv::sdk
