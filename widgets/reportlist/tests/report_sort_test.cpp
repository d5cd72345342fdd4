// Sort keys, the sort itself, and sorting a list by clicks on its header.

#include "ReportTestHost.h"
#include "widgets/reportlist/ReportSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

using reportsort::CompareTexts;

TEST(ReportSortKeys, OnlyWholeNumbersOfEachKindCount)
{
    struct Case {
        const char* text;
        bool hex;
        std::uint64_t hexValue;
        bool decimal;
        double decimalValue;
    };
    const Case cases[] = {
        {"0x10", true, 16, false, 0},
        {"0X1f", true, 31, false, 0},
        {"abc", true, 0xABC, false, 0},
        {"9", true, 9, true, 9},
        {"00000000000000000001", true, 1, true, 1},
        {"FFFFFFFFFFFFFFFF", true, 0xFFFFFFFFFFFFFFFFull, false, 0},
        {"1FFFFFFFFFFFFFFFF", false, 0, false, 0},  // 65 bits
        {"0x", false, 0, false, 0},
        {"", false, 0, false, 0},
        {"-5", false, 0, true, -5},
        {"+2.5e3", false, 0, true, 2500},
        {"12.5%", false, 0, true, 12.5},
        {"5%", false, 0, true, 5},
        {" 12", false, 0, false, 0},
        {"12 ", false, 0, false, 0},
        {"nan", false, 0, false, 0},
        {"inf", false, 0, false, 0},
        {"1,5", false, 0, false, 0},
        {"1.", false, 0, false, 0},
        {".5", false, 0, false, 0},
        {"1e", true, 0x1E, false, 0},
        {"5%%", false, 0, false, 0},
        {"%", false, 0, false, 0},
        {"0x1p3", false, 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto hex = reportsort::ParseHex(c.text);
        EXPECT_EQ(hex.has_value(), c.hex);
        if (hex && c.hex) {
            EXPECT_EQ(*hex, c.hexValue);
        }
        const auto decimal = reportsort::ParseDecimal(c.text);
        EXPECT_EQ(decimal.has_value(), c.decimal);
        if (decimal && c.decimal) {
            EXPECT_DOUBLE_EQ(*decimal, c.decimalValue);
        }
    }
}

TEST(ReportSortKeys, NumbersThenDatesThenText)
{
    struct Case {
        const char* a;
        const char* b;
        int sign;  // of CompareTexts(a, b)
    };
    const Case cases[] = {
        {"0x10", "9", 1},       // 16 > 9 in base 16
        {"9", "A", -1},         // 9 < 10
        {"A", "0x10", -1},
        {"5%", "12.5", -1},     // as decimal numbers
        {"abc", "12", 1},       // 0xABC > 0x12
        {"xyz", "12", 1},       // as text
        {"-5", "-3", -1},       // decimal numbers (as text "-5" is above)
        {"10", "9", 1},         // 0x10 > 0x9
        {" 12", "3", -1},       // text: ' ' < '3' (as a number it would be above)
        {"nan", "1", 1},        // text
        {"1,5", "1.2", -1},     // text: ',' < '.' (as 1.5 it would be above)
        {"10.1.2024", "9.12.2023", 1},   // dates (text would say below)
        {"2024-1-10", "2023-12-9", 1},
        {"1.1.2024 9:05", "1.1.2024 10:00", -1},
        {"12:30", "9:05", 1},            // times
        {"31.2.2024", "1.1.2024", 1},    // no such day: text ('3' > '1')
        {"1.1.2024 24:00", "1.1.2024 9:00", -1},  // no such hour: text ('2' < '9')
        {"", "", 0},
        {"", "5", -1},
        {"Abc", "abc", 0},               // the same base-16 number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.a << "\" vs \"" << c.b << '"');
        const int r = CompareTexts(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign);
    }
}

TEST(ReportQuickSort, SortsAndNeverLeavesTheRangeForAnyComparison)
{
    std::mt19937 random(12345);
    for (int n : {0, 1, 2, 3, 7, 50, 257}) {
        SCOPED_TRACE(n);
        std::vector<int> values(static_cast<std::size_t>(n));
        for (int& v : values) v = static_cast<int>(random() % 20);
        std::vector<int> order(values.size());
        std::iota(order.begin(), order.end(), 0);

        for (bool ascending : {true, false}) {
            std::vector<int> sorted = order;
            reportsort::QuickSort(sorted, [&](int a, int b) { return values[static_cast<std::size_t>(a)] - values[static_cast<std::size_t>(b)]; }, ascending);
            std::vector<int> keys;
            for (int i : sorted) keys.push_back(values[static_cast<std::size_t>(i)]);
            EXPECT_TRUE(ascending ? std::is_sorted(keys.begin(), keys.end()) : std::is_sorted(keys.rbegin(), keys.rend()));
            std::vector<int> back = sorted;
            std::sort(back.begin(), back.end());
            EXPECT_EQ(back, order);
        }

        // Rock, paper, scissors, and plain coin flips: no order exists, the indexes survive.
        for (int kind = 0; kind < 2; ++kind) {
            std::vector<int> shuffled = order;
            auto compare = [&](int a, int b) {
                EXPECT_GE(a, 0);
                EXPECT_LT(a, n);
                EXPECT_GE(b, 0);
                EXPECT_LT(b, n);
                if (kind == 0) return ((values[static_cast<std::size_t>(b)] - values[static_cast<std::size_t>(a)]) % 3 + 3) % 3 == 1 ? -1 : 1;
                return static_cast<int>(random() % 3) - 1;
            };
            reportsort::QuickSort(shuffled, compare, kind == 0);
            std::sort(shuffled.begin(), shuffled.end());
            EXPECT_EQ(shuffled, order);
        }
    }
}

namespace {

class ReportSortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(host.CreateIndirect(ReportTemplate()));
        host.ShowWindow(SW_SHOW);
        ASSERT_TRUE(report.SubclassDlgItem(1053, &host));
        report.SetCheckMode(CReportCtrl::Multiple);
        report.InsertColumn(0, "Код", LVCFMT_LEFT, 80);
        report.InsertColumn(1, "Имя", LVCFMT_LEFT, 120);
        const char* codes[] = {"0x10", "9", "A"};
        for (int row = 0; row < 3; ++row) {
            report.InsertItem(row, codes[row]);
            report.SetItemText(row, 1, StringFormat("row%d", row).c_str());
            report.SetItemData(row, static_cast<DWORD_PTR>(100 + row));
            report.SetItemBkColor(row, 0, RGB(10 * row, 0, 0));
        }
        report.SetCheck(0, TRUE);
        uitest::ProcessEvents();
    }
    void TearDown() override { host.DestroyWindow(); }
    void ClickHeader(int column)
    {
        CHeaderCtrl* header = report.GetHeaderCtrl();
        CRect item;
        ASSERT_TRUE(header->GetItemRect(column, &item));
        uitest::ClickAt(header, item.CenterPoint());
    }
    std::vector<std::string> Column(int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < report.GetItemCount(); ++row) texts.push_back(report.GetItemText(row, column));
        return texts;
    }
    ReportHost host;
    CReportCtrl report;
};

}  // namespace

TEST_F(ReportSortTest, HeaderClicksSortRowsWithEverythingTheyHold)
{
    ASSERT_TRUE(report.CanSortByHeader());
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"9", "A", "0x10"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"row1", "row2", "row0"}));
    EXPECT_EQ(report.GetItemData(2), 100u);
    EXPECT_EQ(report.GetItemBkColor(2, 0), RGB(0, 0, 0));
    EXPECT_EQ(report.GetItemBkColor(0, 0), RGB(10, 0, 0));
    EXPECT_EQ(report.GetCheck(2), 1);
    EXPECT_EQ(report.GetCheck(0), 0);
    EXPECT_EQ(host.messages, (std::vector<ReportMessage>{{WM_REPORTCTRL_SORTED, 0, 1}}));

    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"0x10", "A", "9"}));
    EXPECT_EQ(host.messages.back(), (ReportMessage{WM_REPORTCTRL_SORTED, 0, 0}));
    ClickHeader(1);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"row0", "row1", "row2"}));
    EXPECT_EQ(host.messages.back(), (ReportMessage{WM_REPORTCTRL_SORTED, 1, 1}));

    // A change of a text forgets the order: the next click sorts ascending again.
    report.SetItemText(0, 1, "zzz");
    EXPECT_EQ(report.GetSortColumn(), -1);
    ClickHeader(1);
    EXPECT_EQ(host.messages.back(), (ReportMessage{WM_REPORTCTRL_SORTED, 1, 1}));

    EXPECT_FALSE(report.SortItems(2, true));
    EXPECT_FALSE(report.SortItems(-1, true));
    ASSERT_TRUE(report.DisableSorting());
    EXPECT_FALSE(report.CanSortByHeader());
    const std::size_t told = host.messages.size();
    ClickHeader(0);
    EXPECT_EQ(host.messages.size(), told) << "without header buttons nothing sorts";
    EXPECT_FALSE(report.SortItems(0, true));
}

TEST_F(ReportSortTest, AMixOfKindsSortsWithoutFault)
{
    const char* mix[] = {"abc", "12", "xyz", "1.5", "-3", "0x7", "7%", "1.1.2020", "9:00", "", "ABC", "12", "nan", "z"};
    report.DeleteAllItems();
    for (int row = 0; row < static_cast<int>(std::size(mix)); ++row) report.InsertItem(row, mix[row]);
    std::vector<std::string> before = Column(0);
    for (bool ascending : {true, false}) {
        ASSERT_TRUE(report.SortItems(0, ascending));
        std::vector<std::string> after = Column(0);
        std::sort(after.begin(), after.end());
        std::sort(before.begin(), before.end());
        EXPECT_EQ(after, before);
    }

    report.EnableEditing(true);
    ASSERT_TRUE(report.BeginEdit(0, 1));
    uitest::TypeText(report.GetEditor(), "kept");
    const std::string key = report.GetItemText(0, 0);
    report.SortItems(0, true);
    EXPECT_FALSE(report.IsEditing());
    int found = -1;
    for (int row = 0; row < report.GetItemCount(); ++row)
        if (report.GetItemText(row, 1) == "kept") found = row;
    ASSERT_GE(found, 0) << "the edit was committed before the sort";
    EXPECT_EQ(report.GetItemText(found, 0), key);
}
