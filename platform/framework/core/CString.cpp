#include "framework/CString.h"

#include "system/NumberText.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

void CString::FormatV(const char* fmt, va_list args) {
    // Numbers read alike under every locale: "1.25V", never "1,25V".
    m_s = kv::FormatTextV(fmt, args);
}

void CString::Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
}

void CString::AppendFormat(const char* fmt, ...) {
    CString tail;
    va_list args;
    va_start(args, fmt);
    tail.FormatV(fmt, args);
    va_end(args);
    m_s += tail.m_s;
}

CString CString::Left(int n) const {
    n = std::clamp(n, 0, GetLength());
    return CString(m_s.substr(0, static_cast<size_t>(n)));
}

CString CString::Right(int n) const {
    n = std::clamp(n, 0, GetLength());
    return CString(m_s.substr(m_s.size() - static_cast<size_t>(n)));
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Find(char c, int start) const {
    if (start < 0 || start >= GetLength())
        return -1;
    const auto p = m_s.find(c, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || start > GetLength())
        return -1;
    const auto p = m_s.find(sub, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char c) const {
    const auto p = m_s.rfind(c);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Replace(const char* from, const char* to) {
    if (!from || !*from)
        return 0;
    const std::string f(from), t(to ? to : "");
    int count = 0;
    size_t pos = 0;
    while ((pos = m_s.find(f, pos)) != std::string::npos) {
        m_s.replace(pos, f.size(), t);
        pos += t.size();
        ++count;
    }
    return count;
}

int CString::Replace(char from, char to) {
    int count = 0;
    for (auto& c : m_s)
        if (c == from) {
            c = to;
            ++count;
        }
    return count;
}

int CString::Remove(char c) {
    const auto before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), c), m_s.end());
    return static_cast<int>(before - m_s.size());
}

int CString::Insert(int index, const char* s) {
    index = std::clamp(index, 0, GetLength());
    if (s)
        m_s.insert(static_cast<size_t>(index), s);
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index >= 0 && index < GetLength() && count > 0)
        m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::MakeUpper() {
    for (auto& c : m_s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeLower() {
    for (auto& c : m_s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::TrimLeft() {
    size_t i = 0;
    while (i < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[i])))
        ++i;
    m_s.erase(0, i);
    return *this;
}

CString& CString::TrimRight() {
    while (!m_s.empty() && std::isspace(static_cast<unsigned char>(m_s.back())))
        m_s.pop_back();
    return *this;
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}

int CString::Compare(const char* s) const {
    return m_s.compare(s ? s : "");
}

int CString::CompareNoCase(const char* s) const {
    return ::strcasecmp(m_s.c_str(), s ? s : "");
}
