#include "platform/kernel/CString.h"

#include <cstdio>
#include <vector>

std::string StringFormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    char small[256];
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0)
        return {};
    if (static_cast<std::size_t>(needed) < sizeof small)
        return std::string(small, static_cast<std::size_t>(needed));
    std::vector<char> big(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(big.data(), big.size(), format, args);
    return std::string(big.data(), static_cast<std::size_t>(needed));
}

std::string StringFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = StringFormatV(format, args);
    va_end(args);
    return text;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    assign(StringFormatV(format, args));
    va_end(args);
}

void CString::AppendFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    append(StringFormatV(format, args));
    va_end(args);
}
