#include "widgets/reportlist/ReportSort.h"

#include "platform/kernel/OleDateTime.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace reportsort {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <typename T>
int Order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

std::optional<std::uint64_t> ParseHex(const std::string& text)
{
    std::size_t i = 0;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) i = 2;
    if (i == text.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0 || (value >> 60) != 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::optional<double> ParseDecimal(const std::string& text)
{
    std::size_t end = text.size();
    if (end > 0 && text[end - 1] == '%') --end;
    std::size_t i = 0;
    if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t integer = i;
    while (i < end && IsDigit(text[i])) ++i;
    if (i == integer) return std::nullopt;
    if (i < end && text[i] == '.') {
        const std::size_t fraction = ++i;
        while (i < end && IsDigit(text[i])) ++i;
        if (i == fraction) return std::nullopt;
    }
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t exponent = i;
        while (i < end && IsDigit(text[i])) ++i;
        if (i == exponent) return std::nullopt;
    }
    if (i != end) return std::nullopt;
    // The form is checked above; strtod reads it in the C locale the programs keep.
    const std::string number = text.substr(0, end);
    return std::strtod(number.c_str(), nullptr);
}

int CompareTexts(const std::string& a, const std::string& b)
{
    if (!a.empty()) {
        const auto ha = ParseHex(a);
        const auto hb = ha ? ParseHex(b) : std::nullopt;
        if (ha && hb) return Order(*ha, *hb);
        const auto da = ParseDecimal(a);
        const auto db = da ? ParseDecimal(b) : std::nullopt;
        if (da && db) return Order(*da, *db);
    }
    COleDateTime ta;
    COleDateTime tb;
    if (ta.ParseDateTime(a.c_str()) && tb.ParseDateTime(b.c_str())) return ta < tb ? -1 : (tb < ta ? 1 : 0);
    const int c = std::strcmp(a.c_str(), b.c_str());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

void Sort(std::vector<int>& order, long low, long high, const std::function<int(int, int)>& compare, bool ascending)
{
    // Recursion on the left part, a loop on the right part.
    while (low < high) {
        const int pivot = order[static_cast<std::size_t>((low + high) / 2)];
        auto before = [&](int row) {
            const int c = compare(row, pivot);
            return ascending ? c < 0 : c > 0;
        };
        auto after = [&](int row) {
            const int c = compare(row, pivot);
            return ascending ? c > 0 : c < 0;
        };
        long i = low;
        long j = high;
        while (i <= j) {
            while (i < high && before(order[static_cast<std::size_t>(i)])) ++i;
            while (j > low && after(order[static_cast<std::size_t>(j)])) --j;
            if (i <= j) {
                std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        }
        if (low < j) Sort(order, low, j, compare, ascending);
        low = i;
    }
}

}  // namespace

void QuickSort(std::vector<int>& order, const std::function<int(int, int)>& compare, bool ascending)
{
    if (order.size() < 2) return;
    Sort(order, 0, static_cast<long>(order.size()) - 1, compare, ascending);
}

}  // namespace reportsort
