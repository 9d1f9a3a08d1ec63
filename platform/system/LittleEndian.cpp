#include "system/LittleEndian.h"

#include <cstdio>
#include <unistd.h>

namespace kv {

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::size_t maxBytes) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::vector<std::uint8_t> buf;
    std::uint8_t chunk[65536];
    bool ok = true;
    for (;;) {
        const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
        if (n == 0)
            break;
        if (buf.size() + n > maxBytes) {
            ok = false;
            break;
        }
        buf.insert(buf.end(), chunk, chunk + n);
    }
    if (std::ferror(f))
        ok = false;
    std::fclose(f);
    if (ok)
        out.swap(buf);
    return ok;
}

bool WriteWholeFileAtomic(const std::string& path, const void* data, std::size_t size) {
    const std::string tmp = path + ".tmp" + std::to_string(::getpid());
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = (std::fflush(f) == 0) && ok;
    ok = (::fsync(::fileno(f)) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (ok && std::rename(tmp.c_str(), path.c_str()) == 0)
        return true;
    std::remove(tmp.c_str());
    return false;
}

} // namespace kv
