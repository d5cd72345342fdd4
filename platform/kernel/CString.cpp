#include "platform/kernel/CString.h"

#include <clocale>
#include <cstdio>
#include <locale.h>
#include <vector>

namespace {

// Formats in the C locale on this thread, whatever locale the process runs in, so that numbers
// always carry '.' as the decimal point.
class CLocaleScope {
public:
    CLocaleScope()
    {
        static const locale_t c = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        if (c != static_cast<locale_t>(nullptr))
            previous_ = ::uselocale(c);
    }
    ~CLocaleScope()
    {
        if (previous_ != static_cast<locale_t>(nullptr))
            ::uselocale(previous_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_ = static_cast<locale_t>(nullptr);
};

} // namespace

std::string StringFormatV(const char* format, va_list args)
{
    CLocaleScope cLocale;
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
