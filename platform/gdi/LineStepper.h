#pragma once
// Minor-axis offsets of a one-pixel line, walked step by step. Step i of a line that runs
// `major` pixels along its major axis and `minor` pixels across it (0 <= minor <= major,
// major > 0) lies floor((2 i minor + major) / (2 major)) pixels off the major axis: the
// exact offset i minor / major rounded half up. The division is done once, at the first
// step; every later step only adds and compares.
#include <cstdint>

namespace kvgdi {

class LineStepper {
public:
    LineStepper(long long major, long long minor, long long first)
        : m_twoMajor(2 * major), m_twoMinor(2 * minor) {
        // 128-bit: for lines spanning the whole coordinate range the product passes 64 bits.
        const __int128 numerator = static_cast<__int128>(2) * first * minor + major;
        m_offset = static_cast<long long>(numerator / m_twoMajor);
        m_remainder = static_cast<long long>(numerator % m_twoMajor);
    }

    long long Offset() const { return m_offset; }

    // The next step: the numerator grows by 2 minor <= 2 major, so it carries at most once.
    void Next() {
        m_remainder += m_twoMinor;
        if (m_remainder >= m_twoMajor) {
            m_remainder -= m_twoMajor;
            ++m_offset;
        }
    }

private:
    long long m_twoMajor;
    long long m_twoMinor;
    long long m_offset = 0;
    long long m_remainder = 0;
};

} // namespace kvgdi
