#pragma once
// Program folder and temporary folder.
#include <string>

namespace kv {

// Directory of the running executable, without a trailing '/'.
std::string ProgramFolder();

// The system's temporary folder, without a trailing '/'.
std::string TempFolder();

// Lower-cased last four characters of a path, e.g. ".set"; empty when shorter.
std::string ExtensionOf4(const std::string& path);

} // namespace kv
