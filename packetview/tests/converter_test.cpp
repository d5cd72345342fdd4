#include "packetview/Converter.h"

#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

const std::type_index kU8{typeid(std::uint8_t)};
const std::type_index kI8{typeid(std::int8_t)};
const std::type_index kU16{typeid(std::uint16_t)};
const std::type_index kI16{typeid(std::int16_t)};
const std::type_index kU32{typeid(std::uint32_t)};
const std::type_index kI32{typeid(std::int32_t)};
const std::type_index kU64{typeid(std::uint64_t)};
const std::type_index kChar{typeid(char)};
const std::type_index kFloat{typeid(float)};
const std::type_index kDouble{typeid(double)};

template <typename T>
CString Show(T value)
{
    return Converter::ToString(&value, std::type_index(typeid(T)));
}

// Parses text into a T that held `old`; returns whether it was taken and what the T holds.
template <typename T>
std::pair<bool, T> Enter(const char* text, T old = T{})
{
    CString t = text;
    T value = old;
    const bool ok = Converter::ConvertByType(Converter::TextToValue, t, &value,
                                             std::type_index(typeid(T)));
    return {ok, value};
}

} // namespace

TEST(Converter, FormatTableByTypeCode)
{
    const char* expected[] = {"%c", "%u", "%d",   "%hu",  "%hd", "%u", "%d",
                              "%u", "%d", "%llu", "%lld", "%g",  "%lg"};
    for (int code = 0; code < Converter::kTypeCount; ++code)
        EXPECT_STREQ(Converter::GetFormat(code), expected[code]) << "code " << code;
    EXPECT_STREQ(Converter::GetFormat(-1), "");
    EXPECT_STREQ(Converter::GetFormat(13), "");
}

TEST(Converter, ShowsValuesAsTheFormatsPrintThem)
{
    EXPECT_EQ(Show<std::uint8_t>(200), "200");
    EXPECT_EQ(Show<std::int8_t>(-1), "-1");
    EXPECT_EQ(Show<char>('A'), "A") << "a char shows the character, not its number";
    EXPECT_EQ(Show<double>(0.1), "0.1");
    EXPECT_EQ(Show<float>(0.1f), "0.1");
    EXPECT_EQ(Show<double>(1234567.0), "1.23457e+06");
    EXPECT_EQ(Show<std::uint64_t>(std::uint64_t{1} << 40), "1099511627776");
    EXPECT_EQ(Show<std::int64_t>(-(std::int64_t{1} << 40)), "-1099511627776");
    EXPECT_EQ(Show<std::uint32_t>(4294967295u), "4294967295");
    EXPECT_EQ(Show<std::int32_t>(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(Show<std::uint16_t>(65535), "65535");
    EXPECT_EQ(Show<std::int16_t>(-32768), "-32768");
}

TEST(Converter, ParsesIntoTheElementNarrowedToItsWidth)
{
    EXPECT_EQ(Enter<std::uint8_t>("300"), std::make_pair(true, std::uint8_t{44}));
    EXPECT_EQ(Enter<std::uint8_t>("-1"), std::make_pair(true, std::uint8_t{255}));
    EXPECT_EQ(Enter<std::int8_t>("200"), std::make_pair(true, std::int8_t{-56}));
    EXPECT_EQ(Enter<std::int8_t>("-1"), std::make_pair(true, std::int8_t{-1}));
    EXPECT_EQ(Enter<std::uint16_t>("65537"), std::make_pair(true, std::uint16_t{1}));
    EXPECT_EQ(Enter<std::int16_t>(" -2 "), std::make_pair(true, std::int16_t{-2}));
    EXPECT_EQ(Enter<std::uint32_t>("4294967296"), std::make_pair(true, std::uint32_t{0}));
    EXPECT_EQ(Enter<std::int32_t>("+17"), std::make_pair(true, std::int32_t{17}));
    EXPECT_EQ(Enter<std::uint64_t>("1099511627776"),
              std::make_pair(true, std::uint64_t{1} << 40));
    EXPECT_EQ(Enter<char>("x"), std::make_pair(true, 'x'));
    EXPECT_EQ(Enter<char>(" "), std::make_pair(true, ' ')) << "a blank is a character too";
    EXPECT_EQ(Enter<double>("0.1"), std::make_pair(true, 0.1));
    EXPECT_EQ(Enter<float>("2.5e3"), std::make_pair(true, 2500.0f));
}

TEST(Converter, TextThatIsNoNumberKeepsTheOldValue)
{
    for (const char* text : {"", "   ", "abc", "12abc", "1 2", "0x10", "--1", "1e3"})
        EXPECT_EQ(Enter<std::uint16_t>(text, 77), std::make_pair(false, std::uint16_t{77}))
            << "'" << text << "'";
    EXPECT_EQ(Enter<std::int32_t>("99999999999999999999", 5), std::make_pair(false, 5));
    EXPECT_EQ(Enter<std::uint64_t>("18446744073709551616", 5),
              std::make_pair(false, std::uint64_t{5}));
    EXPECT_EQ(Enter<char>("", 'q'), std::make_pair(false, 'q'));
    EXPECT_EQ(Enter<char>("ab", 'q'), std::make_pair(false, 'q'));
    EXPECT_EQ(Enter<float>("1e39", 1.5f), std::make_pair(false, 1.5f));
    EXPECT_EQ(Enter<double>("1e400", 1.5), std::make_pair(false, 1.5));
    EXPECT_EQ(Enter<double>("0,5", 1.5), std::make_pair(false, 1.5))
        << "numbers are read with the decimal point only";
}

TEST(Converter, WritesOnlyTheElementsOwnBytesAtAnyAlignment)
{
    // A 32-bit element at an odd address, between guard bytes.
    std::array<std::uint8_t, 7> bytes;
    bytes.fill(0xAA);
    CString text = "305419896"; // 0x12345678
    ASSERT_TRUE(Converter::ConvertByType(Converter::TextToValue, text, bytes.data() + 1, kU32));
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 7>{0xAA, 0x78, 0x56, 0x34, 0x12, 0xAA, 0xAA}));
    EXPECT_EQ(Converter::ToString(bytes.data() + 1, kU32), "305419896");

    text = "-1";
    ASSERT_TRUE(Converter::ConvertByType(Converter::TextToValue, text, bytes.data() + 3, kI16));
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 7>{0xAA, 0x78, 0x56, 0xFF, 0xFF, 0xAA, 0xAA}));

    text = "300";
    ASSERT_TRUE(Converter::ConvertByType(Converter::TextToValue, text, bytes.data() + 6, kU8));
    EXPECT_EQ(bytes[5], 0xAA);
    EXPECT_EQ(bytes[6], 44);
}

TEST(Converter, ValueToTextFillsTheText)
{
    std::uint16_t value = 513;
    CString text = "old";
    ASSERT_TRUE(Converter::ConvertByType(Converter::ValueToText, text, &value, kU16));
    EXPECT_EQ(text, "513");
    EXPECT_EQ(value, 513);
}

TEST(Converter, TypesOutsideTheTable)
{
    long double odd = 1.0L;
    CString text = "5";
    EXPECT_FALSE(Converter::ConvertByType(Converter::TextToValue, text, &odd,
                                          std::type_index(typeid(long double))));
    EXPECT_EQ(odd, 1.0L);
    EXPECT_FALSE(Converter::ConvertByType(Converter::ValueToText, text, &odd,
                                          std::type_index(typeid(long double))));
    EXPECT_EQ(text, "5");
    EXPECT_EQ(Converter::ToString(&odd, std::type_index(typeid(long double))), "");
    EXPECT_EQ(Converter::GetTypeCode(std::type_index(typeid(void))), -1);
    EXPECT_EQ(Converter::GetElementSize(std::type_index(typeid(void))), 0u);

    // The text-string type is shown as a copy, but is no number to convert.
    const CString s = "строка";
    EXPECT_EQ(Converter::ToString(&s, std::type_index(typeid(CString))), "строка");
    CString in = "x";
    CString target = "y";
    EXPECT_FALSE(Converter::ConvertByType(Converter::TextToValue, in, &target,
                                          std::type_index(typeid(CString))));
    EXPECT_EQ(target, "y");
}

namespace {

// What the C library's scanf stores for the text at T's own width; false when it reads no
// number or overflows.
template <typename T>
bool LibraryScan(const char* text, const char* format, T& out)
{
    return std::sscanf(text, format, &out) == 1;
}

template <typename T>
std::uint64_t Bits(T value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof value);
    return bits;
}

template <typename T>
void ExpectIntegerTypeRoundTrip(const char* format)
{
    const std::type_index type{typeid(T)};
    SCOPED_TRACE(format);
    EXPECT_EQ(Converter::GetElementSize(type), sizeof(T));
    for (const char* text : {"1099511627776", "-1099511627776", "0", "9223372036854775807", "42"})
    {
        T expected{};
        ASSERT_TRUE(LibraryScan(text, format, expected)) << text;
        const auto [ok, value] = Enter<T>(text, T{7});
        EXPECT_TRUE(ok) << text;
        EXPECT_EQ(value, expected) << text;
        EXPECT_EQ(Show<T>(value), StringFormat(format, expected)) << text;
    }
}

} // namespace

TEST(Converter, EveryWideIntegerTypeIsItsOwnRowAtItsOwnWidth)
{
    ExpectIntegerTypeRoundTrip<unsigned long long>("%llu");
    ExpectIntegerTypeRoundTrip<long long>("%lld");
    ExpectIntegerTypeRoundTrip<unsigned long>("%lu");
    ExpectIntegerTypeRoundTrip<long>("%ld");
    EXPECT_EQ(Show<unsigned long long>(1ULL << 40), "1099511627776");
    EXPECT_EQ(Show<long long>(-(1LL << 40)), "-1099511627776");
    EXPECT_EQ(Converter::GetTypeCode(std::type_index(typeid(unsigned long long))), 9);
    EXPECT_EQ(Converter::GetTypeCode(std::type_index(typeid(long long))), 10);
    EXPECT_EQ(Converter::GetElementSize(std::type_index(typeid(std::int32_t))), 4u);
}

TEST(Converter, FloatingTextIsReadOnceAtTheElementsWidth)
{
    // Each text is taken exactly as the C library scans it into an element of that width;
    // texts it reads as an overflow are refused.
    const char* texts[] = {
        "1.0000000596046447753906251", // just above the midpoint between 1 and the next float
        "1.0000000596046447753906249", "3.4028235e38", "-3.4028235e38", "3.4028236e38",
        "1e39", "0.1", "-0.1", "16777217", "1e-45", "1e-50", "0x1.fffffep127", "2.5e3",
        "1.7976931348623157e308", "1.7976931348623159e308", "4.9e-324", "inf", "-0"};
    for (const char* text : texts)
    {
        SCOPED_TRACE(text);
        float f = 0;
        ASSERT_TRUE(LibraryScan(text, "%g", f));
        const auto [fok, fvalue] = Enter<float>(text, 1.5f);
        if (std::isinf(f) && std::strstr(text, "inf") == nullptr)
        {
            EXPECT_FALSE(fok);
            EXPECT_EQ(fvalue, 1.5f);
        }
        else
        {
            EXPECT_TRUE(fok);
            EXPECT_EQ(Bits(fvalue), Bits(f));
        }

        double d = 0;
        ASSERT_TRUE(LibraryScan(text, "%lg", d));
        const auto [dok, dvalue] = Enter<double>(text, 1.5);
        if (std::isinf(d) && std::strstr(text, "inf") == nullptr)
            EXPECT_FALSE(dok);
        else
            EXPECT_EQ(Bits(dvalue), Bits(d));
    }
    EXPECT_EQ(Bits(Enter<float>("1.0000000596046447753906251").second), 0x3F800001u);
    EXPECT_EQ(Enter<float>("3.4028235e38"), std::make_pair(true, FLT_MAX));
    EXPECT_EQ(Enter<float>("-3.4028235e38"), std::make_pair(true, -FLT_MAX));
}
