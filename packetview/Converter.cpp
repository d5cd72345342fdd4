// Field value conversion for the packet viewer.
//
// Integer text is parsed with strto* into the widest type of its kind and then narrowed
// explicitly to the element's width, so an unsigned char field given "300" takes 44 just as a
// scan into a wider temporary would store it, and nothing ever writes more bytes than the
// element has. Floating-point text is scanned at the element's own width: reading a float
// through a double and narrowing it afterwards rounds twice and can land one step off.
// Numbers are read and written in the C locale whatever the user's locale says.

#include "packetview/Converter.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace {

enum TypeCode {
    CodeChar = 0,
    CodeUChar,
    CodeSChar,
    CodeUShort,
    CodeShort,
    CodeUInt,
    CodeInt,
    CodeULong,
    CodeLong,
    CodeU64,
    CodeI64,
    CodeFloat,
    CodeDouble,
};

struct TypeEntry {
    const std::type_info* type;
    std::size_t size;
    const char* format;
};

// Each row carries the identity of the C++ type it names, with that type's own width: the wire's
// four-byte "long" fields are declared int32_t and meet the int rows, while long and unsigned
// long are eight bytes here, and long long and unsigned long long are types of their own. The
// format texts name each row's kind of number; Format and Parse work at the element's width,
// where "%u" taken literally would print and scan only four of unsigned long's eight bytes.
const TypeEntry kTypes[Converter::kTypeCount] = {
    {&typeid(char), 1, "%c"},
    {&typeid(std::uint8_t), 1, "%u"},
    {&typeid(std::int8_t), 1, "%d"},
    {&typeid(std::uint16_t), 2, "%hu"},
    {&typeid(std::int16_t), 2, "%hd"},
    {&typeid(unsigned int), sizeof(unsigned int), "%u"},
    {&typeid(int), sizeof(int), "%d"},
    {&typeid(unsigned long), sizeof(unsigned long), "%u"},
    {&typeid(long), sizeof(long), "%d"},
    {&typeid(unsigned long long), sizeof(unsigned long long), "%llu"},
    {&typeid(long long), sizeof(long long), "%lld"},
    {&typeid(float), 4, "%g"},
    {&typeid(double), 8, "%lg"},
};

template <typename T>
T Load(const void* element)
{
    T value;
    std::memcpy(&value, element, sizeof value);
    return value;
}

template <typename T>
void Store(void* element, T value)
{
    std::memcpy(element, &value, sizeof value);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The text without surrounding white space; false when nothing is left.
bool Trim(const CString& text, std::string& out)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    out.assign(text, begin, end - begin);
    return !out.empty();
}

bool ParseUnsigned(const CString& text, unsigned long long& value)
{
    std::string s;
    if (!Trim(text, s))
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0' || errno == ERANGE)
        return false;
    value = v;
    return true;
}

bool ParseSigned(const CString& text, long long& value)
{
    std::string s;
    if (!Trim(text, s))
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0' || errno == ERANGE)
        return false;
    value = v;
    return true;
}

locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

template <typename F>
F ScanFloating(const char* text, char** end);

template <>
float ScanFloating<float>(const char* text, char** end)
{
    return strtof_l(text, end, CLocale());
}

template <>
double ScanFloating<double>(const char* text, char** end)
{
    return strtod_l(text, end, CLocale());
}

// Reads the text straight into F, rounded once to F's precision.
template <typename F>
bool ParseFloating(const CString& text, F& value)
{
    std::string s;
    if (!Trim(text, s))
        return false;
    char* end = nullptr;
    errno = 0;
    const F v = ScanFloating<F>(s.c_str(), &end);
    if (end == s.c_str() || *end != '\0')
        return false;
    // An overflowing text is refused; an underflow to a tiny or zero value is a fair reading.
    if (errno == ERANGE && std::isinf(v))
        return false;
    value = v;
    return true;
}

CString FormatGeneral(double value)
{
    // "%g" in the C locale: six significant digits, the shorter of fixed and exponent form.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, 6);
    return CString(buffer, static_cast<std::size_t>(result.ptr - buffer));
}

} // namespace

const char* Converter::GetFormat(int code)
{
    if (code < 0 || code >= kTypeCount)
        return "";
    return kTypes[code].format;
}

int Converter::GetTypeCode(const std::type_index& type)
{
    for (int code = 0; code < kTypeCount; ++code)
        if (type == std::type_index(*kTypes[code].type))
            return code;
    return -1;
}

std::size_t Converter::GetElementSize(const std::type_index& type)
{
    const int code = GetTypeCode(type);
    return code < 0 ? 0 : kTypes[code].size;
}

bool Converter::ConvertByType(Direction direction, CString& text, void* element,
                              const std::type_index& type)
{
    const int code = GetTypeCode(type);
    if (code < 0 || element == nullptr)
        return false;
    if (direction == ValueToText)
    {
        text = Format(element, code);
        return true;
    }
    return Parse(text, element, code);
}

CString Converter::ToString(const void* element, const std::type_index& type)
{
    if (element == nullptr)
        return CString();
    if (type == std::type_index(typeid(CString)))
        return *static_cast<const CString*>(element);
    const int code = GetTypeCode(type);
    if (code < 0)
        return CString();
    return Format(element, code);
}

CString Converter::Format(const void* element, int code)
{
    switch (code)
    {
    case CodeChar:
        return CString(std::string(1, Load<char>(element)));
    case CodeUChar:
        return StringFormat("%u", static_cast<unsigned>(Load<std::uint8_t>(element)));
    case CodeSChar:
        return StringFormat("%d", static_cast<int>(Load<std::int8_t>(element)));
    case CodeUShort:
        return StringFormat("%u", static_cast<unsigned>(Load<std::uint16_t>(element)));
    case CodeShort:
        return StringFormat("%d", static_cast<int>(Load<std::int16_t>(element)));
    case CodeUInt:
        return StringFormat("%u", Load<unsigned int>(element));
    case CodeInt:
        return StringFormat("%d", Load<int>(element));
    case CodeULong:
        return StringFormat("%lu", Load<unsigned long>(element));
    case CodeLong:
        return StringFormat("%ld", Load<long>(element));
    case CodeU64:
        return StringFormat("%llu", Load<unsigned long long>(element));
    case CodeI64:
        return StringFormat("%lld", Load<long long>(element));
    case CodeFloat:
        return FormatGeneral(static_cast<double>(Load<float>(element)));
    case CodeDouble:
        return FormatGeneral(Load<double>(element));
    default:
        return CString();
    }
}

bool Converter::Parse(const CString& text, void* element, int code)
{
    unsigned long long u = 0;
    long long s = 0;
    float f = 0;
    double d = 0;
    switch (code)
    {
    case CodeChar:
        // A character is taken as typed, blanks included; it is exactly one byte.
        if (text.size() != 1)
            return false;
        Store<char>(element, text[0]);
        return true;
    case CodeUChar:
        if (!ParseUnsigned(text, u))
            return false;
        Store(element, static_cast<std::uint8_t>(u));
        return true;
    case CodeSChar:
        if (!ParseSigned(text, s))
            return false;
        Store(element, static_cast<std::int8_t>(s));
        return true;
    case CodeUShort:
        if (!ParseUnsigned(text, u))
            return false;
        Store(element, static_cast<std::uint16_t>(u));
        return true;
    case CodeShort:
        if (!ParseSigned(text, s))
            return false;
        Store(element, static_cast<std::int16_t>(s));
        return true;
    case CodeUInt:
        if (!ParseUnsigned(text, u))
            return false;
        Store(element, static_cast<unsigned int>(u));
        return true;
    case CodeInt:
        if (!ParseSigned(text, s))
            return false;
        Store(element, static_cast<int>(s));
        return true;
    case CodeULong:
        if (!ParseUnsigned(text, u))
            return false;
        Store(element, static_cast<unsigned long>(u));
        return true;
    case CodeLong:
        if (!ParseSigned(text, s))
            return false;
        Store(element, static_cast<long>(s));
        return true;
    case CodeU64:
        if (!ParseUnsigned(text, u))
            return false;
        Store(element, u);
        return true;
    case CodeI64:
        if (!ParseSigned(text, s))
            return false;
        Store(element, s);
        return true;
    case CodeFloat:
        if (!ParseFloating(text, f))
            return false;
        Store(element, f);
        return true;
    case CodeDouble:
        if (!ParseFloating(text, d))
            return false;
        Store(element, d);
        return true;
    default:
        return false;
    }
}
