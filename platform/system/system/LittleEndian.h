#pragma once
// Little-endian field-by-field reading and writing of byte buffers.
// Reader never reads past its end: a read beyond it marks the reader failed and yields 0.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Whole-file reading and saving, which the users of these buffers need beside them.
#include "system/FileAccess.h"

namespace kv {

class LeWriter {
public:
    void U8(std::uint8_t v) { m_buf.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void F32(float v) {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        U32(u);
    }
    void F64(double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, 8);
        U32(static_cast<std::uint32_t>(u));
        U32(static_cast<std::uint32_t>(u >> 32));
    }
    void Bytes(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        m_buf.insert(m_buf.end(), b, b + n);
    }
    const std::vector<std::uint8_t>& Data() const { return m_buf; }

private:
    std::vector<std::uint8_t> m_buf;
};

class LeReader {
public:
    LeReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    explicit LeReader(const std::vector<std::uint8_t>& v) : LeReader(v.data(), v.size()) {}

    bool Ok() const { return m_ok; }
    std::size_t Remaining() const { return m_size - m_pos; }
    std::size_t Position() const { return m_pos; }

    std::uint8_t U8() { return Need(1) ? m_data[m_pos++] : 0; }
    std::uint16_t U16() {
        if (!Need(2))
            return 0;
        const std::uint16_t v = static_cast<std::uint16_t>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint32_t U32() {
        if (!Need(4))
            return 0;
        const std::uint32_t lo = U16();
        const std::uint32_t hi = U16();
        return lo | (hi << 16);
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    float F32() {
        const std::uint32_t u = U32();
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    double F64() {
        if (!Need(8))
            return 0.0;
        const std::uint64_t lo = U32();
        const std::uint64_t hi = U32();
        const std::uint64_t u = lo | (hi << 32);
        double d;
        std::memcpy(&d, &u, 8);
        return d;
    }
    bool Bytes(void* out, std::size_t n) {
        if (!Need(n))
            return false;
        std::memcpy(out, m_data + m_pos, n);
        m_pos += n;
        return true;
    }

private:
    bool Need(std::size_t n) {
        if (!m_ok || m_size - m_pos < n) {
            m_ok = false;
            return false;
        }
        return true;
    }
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

} // namespace kv
