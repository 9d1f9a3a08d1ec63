#pragma once
// The folder for what a test writes for a person to look at (pictures, reports): always under
// the build folder, whichever folder the test runs from.
#include <string>

namespace kvtest {

// Created on first use.
std::string OutputDir();

} // namespace kvtest
