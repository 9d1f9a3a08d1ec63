#pragma once
// Private parts of the printing functions: where the system profile lives, and a test seam.
#include <atomic>
#include <string>

#include "gdi/gdi.h"

namespace kv::sdk {

// The system profile that names the default printer: win.ini in the user's configuration folder
// (kv::UserConfigFolder: $XDG_CONFIG_HOME/kelvane, or ~/.config/kelvane); empty without one.
std::string SystemProfilePath();

// Where the clipboard stand-in writes its picture: $TMPDIR/kelvane-clipboard-<uid>/clipboard.png.
std::string ClipboardPicturePath();

// Test seam: when set, starting the printer's page fails as a full spool would.
extern std::atomic<bool> g_failStartPage;

// The message beep that reports a picture that could not be made: the terminal bell on standard
// error when that is a terminal. g_beepCount counts every beep (for tests).
void MessageBeep();
extern std::atomic<int> g_beepCount;

// Puts a bitmap on the clipboard stand-in (ClipboardPicturePath); false, with the previous picture
// left as it was, when the folder is not private to the user or the file cannot be written.
bool PlaceClipboardPicture(HBITMAP bitmap);

} // namespace kv::sdk
