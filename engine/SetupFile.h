#pragma once
// Layout facts of the binary setup file (".set", "Default.set") that the document's reader and
// writer share with the tests and the fuzz target. The reader and writer themselves are
// CKelvaneDoc::LoadSetupFile and CKelvaneDoc::SaveSetupFile (bodies in SetupFile.cpp).
#include <cstddef>
#include <cstdint>

#include "engine/DocUi.h"

namespace kv {

// The magic: seven UTF-16LE characters, no terminator.
constexpr char kSetupMagic[] = "QVX-DSO";
constexpr std::size_t kSetupMagicChars = 7;
// Magic, model index (u16) and language index (i32): the part a demo-mode save rewrites.
constexpr std::size_t kSetupHeaderBytes = 2 * kSetupMagicChars + 2 + 4;
// A setup file is never larger than this; anything bigger is refused unread.
constexpr std::size_t kMaxSetupFileBytes = 8u << 20;

// The screen panel's display options written when there is no view (its construction defaults).
inline ScreenOptions DefaultScreenOptions() {
    ScreenOptions o;
    o.cursorSource = 0;
    o.cursorMode = 0;
    o.dotMode = 0;
    o.gridOn = 1;
    o.gridIntensity = 200;
    o.waveformIntensity = 255;
    return o;
}

} // namespace kv
