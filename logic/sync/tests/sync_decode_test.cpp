#include "logic/sync/SyncDecode.h"
#include "support/SyncWave.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace synctest;

SyncSettings Settings(int bits, bool lsb = false)
{
    SyncSettings s;
    s.bits = bits;
    s.clk_mask = kClk;
    s.data_mask[0] = kData0;
    s.data_mask[1] = kData1;
    s.data_lsb_first[0] = lsb ? 1 : 0;
    s.data_lsb_first[1] = lsb ? 1 : 0;
    s.cs_mask = kCs;
    return s;
}

// Each plain sample as an agreeing pair.
std::vector<std::int32_t> Pairs(const std::vector<std::int32_t>& plain)
{
    std::vector<std::int32_t> out;
    for (std::int32_t w : plain) {
        out.push_back(w);
        out.push_back(w);
    }
    return out;
}

TEST(SyncDecode, EveryWidthBothOrdersPlainAndTwoWord)
{
    std::mt19937 random(7);
    for (int bits = 4; bits <= 32; ++bits) {
        for (bool lsb : {false, true}) {
            SCOPED_TRACE("bits " + std::to_string(bits) + (lsb ? " LSB" : " MSB"));
            const std::uint32_t mask = SyncCompleteMask(bits);
            const std::uint32_t values[3] = {static_cast<std::uint32_t>(random()) & mask, mask, 0};
            Wave w;
            w.Hold(5);
            std::vector<std::uint32_t> edges;
            for (std::uint32_t v : values) w.Send(v, bits, lsb, &edges);
            const std::vector<std::int32_t> pairs = Pairs(w.words);

            for (bool twoWord : {false, true}) {
                SyncCaptureView view = w.View();
                if (twoWord) {
                    view.words[0] = pairs.data();
                    view.two_word = true;
                }
                SyncResult r;
                SyncDecode(view, Settings(bits, lsb), r);
                EXPECT_EQ(r.clock_edges, edges);
                ASSERT_EQ(r.packets[0].size(), 1u);
                const SyncPacket& p = r.packets[0][0];
                ASSERT_EQ(p.size(), 3u);
                for (int i = 0; i < 3; ++i) {
                    EXPECT_EQ(p[i].value, values[i]);
                    EXPECT_EQ(p[i].valid_mask, mask);
                    EXPECT_EQ(p[i].first_sample, edges[static_cast<std::size_t>(i * bits)]);
                    EXPECT_EQ(p[i].last_sample, edges[static_cast<std::size_t>(i * bits + bits - 1)]);
                    EXPECT_EQ(SyncFormatSymbol(p[i], bits).size(), static_cast<std::size_t>((bits + 3) / 4));
                }
                // Only the first net was asked for.
                EXPECT_TRUE(r.packets[1].empty());
            }
        }
    }
    EXPECT_EQ(SyncCompleteMask(32), 0xFFFFFFFFu);
    EXPECT_EQ(SyncFormatSymbol({0, 0, 0x0123ABCDu, 0xFFFFFFFFu}, 32), "0123ABCD");
    EXPECT_EQ(SyncFormatSymbol({0, 0, 0x5u, 0xFu}, 4), "5");
    EXPECT_EQ(SyncFormatSymbol({0, 0, 0x1Fu, 0x1Fu}, 5), "1F");
}

TEST(SyncDecode, ActiveEdgeRisingOrFalling)
{
    for (bool falling : {false, true}) {
        SCOPED_TRACE(falling ? "falling" : "rising");
        Wave w;
        w.idle_high = falling;
        w.Idle().Hold(3);
        std::vector<std::uint32_t> edges;
        w.Send(0xA5, 8, false, &edges).Send(0x3C, 8, false, &edges);
        SyncSettings s = Settings(8);
        s.clk_falling = falling ? 1 : 0;
        SyncResult r;
        SyncDecodePlain(w.View(), s, r);
        EXPECT_EQ(r.clock_edges, edges);
        ASSERT_EQ(r.packets[0].size(), 1u);
        ASSERT_EQ(r.packets[0][0].size(), 2u);
        EXPECT_EQ(r.packets[0][0][0].value, 0xA5u);
        EXPECT_EQ(r.packets[0][0][1].value, 0x3Cu);

        // The other edge samples the data half a bit later, after they changed: the values
        // differ, so the wrong edge is told from the right one.
        s.clk_falling = falling ? 0 : 1;
        SyncDecodePlain(w.View(), s, r);
        ASSERT_FALSE(r.clock_edges.empty());
        EXPECT_NE(r.clock_edges.front(), edges.front());
    }
}

TEST(SyncDecode, ChipSelectActiveLowOrHigh)
{
    for (bool activeLow : {true, false}) {
        SCOPED_TRACE(activeLow ? "active low" : "active high");
        Wave w;
        const auto select = [&](bool on) { w.Set(kCs, activeLow ? !on : on); };
        select(false);
        w.Hold(4);
        // Clocks outside the assertion are ignored.
        w.Send(0xFF, 8);
        select(true);
        w.Hold(2).Send(0x12, 8).Send(0x34, 8);
        select(false);
        w.Hold(3);
        select(true);
        w.Hold(2).Send(0x56, 8);
        select(false);
        w.Hold(3).Send(0xEE, 3);

        SyncSettings s = Settings(8);
        s.cs_used = 1;
        s.cs_active_low = activeLow ? 1 : 0;
        SyncResult r;
        SyncDecodePlainWithCs(w.View(), s, r);
        ASSERT_EQ(r.packets[0].size(), 2u);
        ASSERT_EQ(r.packets[0][0].size(), 2u);
        EXPECT_EQ(r.packets[0][0][0].value, 0x12u);
        EXPECT_EQ(r.packets[0][0][1].value, 0x34u);
        ASSERT_EQ(r.packets[0][1].size(), 1u);
        EXPECT_EQ(r.packets[0][1][0].value, 0x56u);
        EXPECT_EQ(r.clock_edges.size(), 24u);

        // Two-word samples that agree decode the same.
        const std::vector<std::int32_t> pairs = Pairs(w.words);
        SyncCaptureView v = w.View();
        v.words[0] = pairs.data();
        v.two_word = true;
        SyncResult r2;
        SyncDecodeMinMaxWithCs(v, s, r2);
        EXPECT_EQ(r2.clock_edges, r.clock_edges);
        ASSERT_EQ(r2.packets[0].size(), 2u);
        EXPECT_EQ(r2.packets[0][1][0].value, 0x56u);
    }
}

TEST(SyncDecode, PacketsAndIncompleteSymbolsWithChipSelect)
{
    // Asserted from the very first sample after the start: that is an assertion too.
    Wave w;
    w.Set(kCs, false).Hold(1).Send(0xAB, 8).Send(0x5, 4);  // second symbol cut by CS
    w.Set(kCs, true).Hold(3).Set(kCs, false).Hold(3);       // an assertion without clocks
    w.Set(kCs, true).Hold(3).Set(kCs, false).Hold(1).Send(0xC, 4);  // cut by the end
    // Drop the idle tail so the capture ends inside the last symbol.
    SyncSettings s = Settings(8);
    s.cs_used = 1;
    s.cs_active_low = 1;
    SyncResult r;
    SyncDecode(w.View(), s, r);
    ASSERT_EQ(r.packets[0].size(), 3u);
    EXPECT_EQ(SyncCountIncomplete(r.packets[0][0], 8), 1);
    EXPECT_EQ(r.packets[0][0].size(), 2u);
    EXPECT_TRUE(r.packets[0][1].empty());
    EXPECT_EQ(SyncCountIncomplete(r.packets[0][2], 8), 1);

    CString names[kSyncMaxDataNets] = {"MOSI", "", "", ""};
    EXPECT_EQ(SyncResultText(r, s, names),
              "Цепь данных MOSI:\r\n"
              "Посылка №1:\r\nAB5X (b0101xxxx)\r\nКоличество неполных символов 1\r\n"
              "Посылка №2:\r\n\r\nКоличество неполных символов 0\r\n"
              "Посылка №3:\r\nCX (b1100xxxx)\r\nКоличество неполных символов 1\r\n");
}

TEST(SyncDecode, TwelveBitsTenReceivedBothOrders)
{
    struct Case {
        bool lsb;
        const char* text;
    };
    // Ten bits 1010101010 as sent: MSB first they fill bits 11..2, LSB first bits 0..9.
    const Case cases[] = {{false, "AAX (b1010101010xx)"}, {true, "X55 (bxx0101010101)"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lsb ? "LSB" : "MSB");
        Wave w;
        w.Hold(2);
        // The first bit on the wire is 1 in both orders.
        w.Send(c.lsb ? 0x155u : 0x2AAu, 10, c.lsb);
        SyncResult r;
        SyncDecodePlain(w.View(), Settings(12, c.lsb), r);
        ASSERT_EQ(r.packets[0].size(), 1u);
        ASSERT_EQ(r.packets[0][0].size(), 1u);
        EXPECT_EQ(SyncFormatSymbol(r.packets[0][0][0], 12), c.text);
        EXPECT_EQ(SyncCountIncomplete(r.packets[0][0], 12), 1);
    }
}

TEST(SyncDecode, TwoWordDisagreementLeavesTheBitInvalid)
{
    Wave w;
    w.Hold(2);
    std::vector<std::uint32_t> edges;
    w.Send(0xF0, 8, false, &edges);
    std::vector<std::int32_t> pairs = Pairs(w.words);
    // Bit 6 (the second on the wire): w1 disagrees at its edge.
    const std::size_t at = edges[1];
    pairs[2 * at + 1] ^= static_cast<std::int32_t>(kData0);
    SyncCaptureView v;
    v.words[0] = pairs.data();
    v.samples = w.words.size();
    v.two_word = true;
    SyncResult r;
    SyncDecodeMinMax(v, Settings(8), r);
    ASSERT_EQ(r.packets[0].size(), 1u);
    ASSERT_EQ(r.packets[0][0].size(), 1u);
    EXPECT_EQ(r.packets[0][0][0].valid_mask, 0xBFu);
    EXPECT_EQ(SyncFormatSymbol(r.packets[0][0][0], 8), "X0 (b1x110000)");
    EXPECT_EQ(SyncCountIncomplete(r.packets[0][0], 8), 1);
}

TEST(SyncDecode, TwoWordClockMovesOnceTheChangeIsCertain)
{
    // Pairs (w0, w1) of the clock line: low, mixed (rises), mixed (falls), high...
    const std::vector<std::int32_t> words = {0, 0, 0, 1, 1, 0, 1, 1, 0, 1, 0, 0, 1, 1};
    SyncSettings s = Settings(4);
    SyncCaptureView v;
    v.words[0] = words.data();
    v.samples = words.size() / 2;
    v.two_word = true;
    SyncResult r;
    SyncDecodeMinMax(v, s, r);
    // Rises at 1 (mixed from low), falls at 2 (mixed from high), rises at 3, falls at 5
    // (mixed from high), rises at 6.
    EXPECT_EQ(r.clock_edges, (std::vector<std::uint32_t>{1, 3, 6}));
}

TEST(SyncDecode, StartAtOrBeyondTheLastSampleGivesHeadersOnly)
{
    Wave w;
    w.Hold(2).Send(0x42, 8);
    const int last = static_cast<int>(w.words.size()) - 1;
    for (int start : {last, last + 1, last + 1000, -1}) {
        SCOPED_TRACE(start);
        SyncSettings s = Settings(8);
        s.start = start;
        s.num_data_nets = 2;
        SyncResult r;
        r.clock_edges.push_back(1);  // left from an earlier run: must go
        SyncDecode(w.View(), s, r);
        EXPECT_TRUE(r.clock_edges.empty());
        CString names[kSyncMaxDataNets] = {"D0", "D1", "", ""};
        EXPECT_EQ(SyncResultText(r, s, names), "Цепь данных D0:\r\nЦепь данных D1:\r\n");
    }
    // A start in the middle drops what lies before it.
    SyncSettings s = Settings(8);
    s.start = 2 + 4 * 4;
    SyncResult r;
    SyncDecode(w.View(), s, r);
    EXPECT_EQ(r.clock_edges.size(), 4u);
}

TEST(SyncDecode, TwoNetsShareTheClockAndBadSettingsStayInside)
{
    Wave w;
    w.Hold(2).Send(0x12, 8, false, nullptr, kData0, 0x9C);
    SyncSettings s = Settings(8);
    s.num_data_nets = 2;
    SyncResult r;
    SyncDecode(w.View(), s, r);
    ASSERT_EQ(r.packets[1].size(), 1u);
    EXPECT_EQ(r.packets[0][0][0].value, 0x12u);
    EXPECT_EQ(r.packets[1][0][0].value, 0x9Cu);

    // Out-of-range channels read as low; counts and widths out of range are clamped.
    s.num_data_nets = 9;
    s.bits = 40;
    s.data_channel[0] = 7;
    s.data_channel[3] = -2;
    s.clk_channel = 1;  // no buffer on B: no clock at all
    SyncDecode(w.View(), s, r);
    EXPECT_TRUE(r.clock_edges.empty());
    s.clk_channel = 0;
    SyncDecode(w.View(), s, r);
    ASSERT_EQ(r.packets[3].size(), 1u);
    EXPECT_EQ(r.packets[0][0][0].value, 0u);
    EXPECT_EQ(r.packets[0][0][0].valid_mask, 0xFF000000u);  // 8 of 32 bits, MSB first
}

}  // namespace
