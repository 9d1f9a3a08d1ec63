#pragma once
// Shared pieces of the fuzz targets: a private temporary file for readers that take a path,
// and a user interface that accepts every call and shows nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "engine/NullDocUi.h"

namespace kvfuzz {

// Holds the input in a file of its own (mkstemps: private, unique) with the given extension,
// removed again when the object goes.
class TempInputFile {
public:
    TempInputFile(const std::uint8_t* data, std::size_t size, const std::string& extension) {
        const char* tmp = std::getenv("TMPDIR");
        std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/kv-fuzz-XXXXXX" + extension;
        const int fd = ::mkstemps(name.data(), static_cast<int>(extension.size()));
        if (fd < 0)
            return;
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd, data + done, size - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        m_path = name;
    }
    ~TempInputFile() {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TempInputFile(const TempInputFile&) = delete;
    TempInputFile& operator=(const TempInputFile&) = delete;

    bool Ok() const { return !m_path.empty(); }
    const char* Path() const { return m_path.c_str(); }

private:
    std::string m_path;
};

// Keeps the screen options it is given, so a setup file written after one is read carries them.
class SilentUi : public CNullDocUi {
public:
    bool GetScreenOptions(ScreenOptions& options) override {
        options = m_screen;
        return true;
    }
    void SetScreenOptions(const ScreenOptions& options) override { m_screen = options; }

private:
    ScreenOptions m_screen;
};

} // namespace kvfuzz
