#pragma once
// The inputs that a window's picture is drawn from, gathered as bytes. Two equal keys draw the
// same picture, so a window whose key has not changed since it last drew can show the picture
// it kept instead of drawing it again.
#include <string>
#include <type_traits>

#include "framework/CString.h"

class CPictureKey {
public:
    template <typename T> CPictureKey& Add(T value) {
        static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>, "plain values only: no padding bytes");
        m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
        return *this;
    }
    CPictureKey& Add(const CString& text) {
        Add(text.GetLength());
        m_bytes.append(text.GetString(), static_cast<std::size_t>(text.GetLength()));
        return *this;
    }
    // The picture changes by being drawn (a counter advances at each drawing): no key equals it,
    // so it is drawn at every paint.
    void SetChangesWhenDrawn() { m_bChangesWhenDrawn = true; }

    bool operator==(const CPictureKey& other) const {
        return !m_bChangesWhenDrawn && !other.m_bChangesWhenDrawn && m_bytes == other.m_bytes;
    }
    bool operator!=(const CPictureKey& other) const { return !(*this == other); }

private:
    std::string m_bytes;
    bool m_bChangesWhenDrawn = false;
};
