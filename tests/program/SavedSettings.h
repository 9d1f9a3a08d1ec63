#pragma once
// Reading back what the program saved: a setup file read by the program's own reader.
#include "engine/KelvaneDoc.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace programtest {

// The time-base index stored in a setup file; -1 when it is missing or refused.
inline int SavedTimeBase(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[16] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header))
        return -1;
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.m_nModel = static_cast<std::int16_t>(header[14] | header[15] << 8);
    return doc.LoadSetupFile(file.c_str()) ? doc.m_settings.GetTimeBaseIndex() : -1;
}

} // namespace programtest
