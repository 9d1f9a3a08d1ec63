#pragma once
// Shared pieces of the document file tests: a private temporary folder, raw file bytes, little-
// endian field patching, and a fixture of two documents wired to a recording instrument and
// recording user interfaces.
#include "engine/KelvaneDoc.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include "FakeDocUi.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace kvtest {

using Bytes = std::vector<std::uint8_t>;

// A folder of its own under the temporary directory, removed with everything in it at the end
// (its permissions restored first, for tests that make it read-only).
class TempDir {
public:
    explicit TempDir(const std::string& prefix) {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (::mkdtemp(tmpl.data()))
            m_path = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline void Put16(Bytes& b, std::size_t at, int v) {
    b.at(at) = static_cast<std::uint8_t>(v);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

inline void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.at(at + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void PutF32(Bytes& b, std::size_t at, float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    Put32(b, at, u);
}

inline int Get16(const Bytes& b, std::size_t at) {
    return static_cast<std::int16_t>(b.at(at) | (b.at(at + 1) << 8));
}

// Two documents with their default settings and sample buffers, each with its own recording
// user interface, a recording instrument behind both, and a temporary folder for the files.
class TwoDocumentFixture : public ::testing::Test {
protected:
    explicit TwoDocumentFixture(const std::string& folderPrefix) : dir(folderPrefix) {
        for (CKelvaneDoc* d : {&doc, &other}) {
            d->SetDefaultSettings();
            d->AllocSampleBuffers();
        }
        doc.SetUi(&ui);
        other.SetUi(&otherUi);
    }

    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    TempDir dir;
    CKelvaneDoc doc;
    CKelvaneDoc other;
    FakeDocUi ui;
    FakeDocUi otherUi;
};

} // namespace kvtest
