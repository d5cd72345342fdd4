#pragma once
// The system's text type: a std::string (UTF-8) with the few MFC string operations the
// system's code uses. Numbers are always formatted in the C locale.

#include <cstdarg>
#include <string>
#include <utility>

class CString : public std::string {
public:
    CString() = default;
    CString(const char* text) : std::string(text != nullptr ? text : "") {}
    CString(std::string text) : std::string(std::move(text)) {}
    CString(const char* text, std::size_t length) : std::string(text, length) {}

    int GetLength() const { return static_cast<int>(size()); }
    bool IsEmpty() const { return empty(); }
    void Empty() { clear(); }
    const char* GetString() const { return c_str(); }

    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// printf-style formatting into a std::string of any length.
std::string StringFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string StringFormatV(const char* format, va_list args);
