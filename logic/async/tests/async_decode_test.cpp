// The asynchronous decoder's work on hand-built captures, plain and two-word: frame formats,
// the bit interval, synchronisation after lead-ins, glitches and broken frames, packets and the
// text the results page shows.

#include "logic/async/AsyncDecode.h"

#include "support/UartCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kLine = 3;
constexpr double kNsPerSample = 1000.0;  // 10 samples per bit: 100 kbit/s

struct Decoded {
    AsyncNetResult result;
    std::vector<unsigned> values;
    std::vector<std::uint32_t> starts;
    std::vector<int> bad;
};

Decoded DecodeCapture(const UartCapture& capture, const UartFormat& f, bool twoWord, int timeout = 0,
            std::uint32_t first = 0, std::uint32_t last = UINT32_MAX)
{
    const std::vector<std::int32_t> words = twoWord ? capture.TwoWord(kLine) : capture.Plain(kLine);
    const AsyncSampleView view{words.data(), capture.Size(), twoWord};
    AsyncNetSettings net;
    net.channel = 1;
    net.mask = 1u << kLine;
    net.msb = f.msb ? 1 : 0;
    net.data_bits = f.bits;
    net.parity = f.parity;
    Decoded d;
    d.result = DecodeAsyncNet(view, first, last == UINT32_MAX ? static_cast<std::uint32_t>(capture.Size() - 1) : last,
                              net, timeout, "RX", kNsPerSample);
    for (const AsyncPacket& p : d.result.packets)
        for (const AsyncFrame& frame : p) {
            d.values.push_back(frame.value);
            d.starts.push_back(frame.first_sample);
            d.bad.push_back(frame.bad);
        }
    return d;
}

class Layouts : public ::testing::TestWithParam<bool> {};

}  // namespace

INSTANTIATE_TEST_SUITE_P(AsyncDecode, Layouts, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "TwoWord" : "Plain"; });

TEST_P(Layouts, EveryFrameFormatDecodesAndFlagsBadParity)
{
    const char* const parityNames[] = {"none", "odd", "even", "mark", "space"};
    for (int bits = 4; bits <= 8; ++bits)
        for (int parity = 0; parity <= 4; ++parity)
            for (const bool msb : {false, true}) {
                SCOPED_TRACE(std::to_string(bits) + " bits, " + parityNames[parity] + (msb ? ", MSB" : ", LSB"));
                const UartFormat f{bits, parity, msb, 10};
                const unsigned top = (1u << bits) - 1;
                // Values that tell the bit order apart, and one sent with the wrong parity.
                const std::vector<unsigned> sent = {1u, top - 1, 0x5u & top, top, 0u, 0x3u & top};
                UartCapture c(f);
                c.Idle(25);
                std::vector<std::uint32_t> starts;
                for (std::size_t i = 0; i < sent.size(); ++i) {
                    starts.push_back(c.Frame(sent[i], parity != 0 && i == 2));
                    c.Idle(20);
                }
                const Decoded d = DecodeCapture(c, f, GetParam());
                EXPECT_EQ(d.values, sent);
                EXPECT_EQ(d.starts, starts);
                const std::vector<int> bad = {0, 0, parity != 0 ? 1 : 0, 0, 0, 0};
                EXPECT_EQ(d.bad, bad);
                ASSERT_EQ(d.result.packets.size(), 1u);
                // Hex digits for the data bits; "!" takes the blank's place after a bad frame.
                char third[8];
                std::snprintf(third, sizeof third, bits == 4 ? "%01X" : "%02X", sent[2]);
                const std::string blank = parity != 0 ? "!" : " ";
                const std::string expected = (bits == 4 ? std::string("1 E ") : std::string("01 ") + (bits == 5 ? "1E " : bits == 6 ? "3E " : bits == 7 ? "7E " : "FE ")) +
                                             third + blank;
                EXPECT_NE(d.result.text.find("\r\nПосылка №1:\r\n" + expected), std::string::npos) << d.result.text;
            }
}

TEST(AsyncDecode, BitIntervalCountsEachDistanceInWholeBits)
{
    EXPECT_NEAR(AsyncBitInterval({31, 10, 20}), (10 + 10 + 31.0 / 3) / 3, 1e-12);
    EXPECT_NEAR(AsyncBitInterval({31, 10, 20}), 10.111, 1e-3);
    EXPECT_DOUBLE_EQ(AsyncBitInterval({7}), 7);
    EXPECT_DOUBLE_EQ(AsyncBitInterval({}), 0);
    // Jitter within half a bit counts as the same number of bits.
    EXPECT_DOUBLE_EQ(AsyncBitInterval({10, 14, 20}), (10 + 14 + 10) / 3.0);
}

TEST_P(Layouts, NoSpeedWithoutTwoEdges)
{
    const UartFormat f;
    for (const int edges : {0, 1}) {
        UartCapture c(f);
        c.Idle(100);
        if (edges == 1)
            c.Low(100);
        const Decoded d = DecodeCapture(c, f, GetParam());
        EXPECT_EQ(d.result.text, "Цепь RX\r\nНе удалось определить скорость\r\n");
        EXPECT_EQ(d.result.bit_interval, 0);
        EXPECT_TRUE(d.result.packets.empty());
    }
}

TEST_P(Layouts, LeadInDecidesWhetherTheFirstFrameIsSeen)
{
    const UartFormat f;
    struct Case {
        int lead;
        std::vector<unsigned> expected;
    };
    const Case cases[] = {
        {0, {0x41, 0x42}},  // the capture starts inside the first start bit: no edge, frame lost
        {1, {0xFF, 0x41, 0x42}},
        {500, {0xFF, 0x41, 0x42}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.lead);
        UartCapture c(f);
        c.Idle(k.lead);
        for (const unsigned v : {0xFFu, 0x41u, 0x42u}) {
            c.Frame(v);
            c.Idle(30);
        }
        const Decoded d = DecodeCapture(c, f, GetParam());
        EXPECT_EQ(d.values, k.expected);
        EXPECT_DOUBLE_EQ(d.result.bit_interval, 10);
        EXPECT_NE(d.result.text.find("Скорость 100.000 kHz\r\nПосылка №1:"), std::string::npos) << d.result.text;
    }
}

TEST_P(Layouts, BrokenStopBitRestartsAfterIt)
{
    const UartFormat f;
    UartCapture c(f);
    c.Idle(40);
    std::vector<unsigned> sent;
    std::vector<std::uint32_t> starts;
    for (unsigned i = 1; i <= 10; ++i) {
        const unsigned v = i == 5 ? 0x00 : 0x30 + i;
        starts.push_back(c.Frame(v, false, i == 5));
        sent.push_back(v);
        c.Idle(20);
    }
    const Decoded d = DecodeCapture(c, f, GetParam());
    EXPECT_EQ(d.values, std::vector<unsigned>(sent.begin() + 5, sent.end()));
    EXPECT_EQ(d.starts, std::vector<std::uint32_t>(starts.begin() + 5, starts.end()));
}

TEST_P(Layouts, FrameCutByTheRangeKeepsEveryEarlierOne)
{
    const UartFormat f;
    UartCapture c(f);
    c.Idle(30);
    std::vector<std::uint32_t> starts;
    for (const unsigned v : {0x11u, 0x22u, 0x33u}) {
        starts.push_back(c.Frame(v));
        c.Idle(20);
    }
    // The range ends inside the third frame's data: its stop bit lies beyond.
    Decoded d = DecodeCapture(c, f, GetParam(), 0, 0, starts[2] + 50);
    EXPECT_EQ(d.values, (std::vector<unsigned>{0x11, 0x22}));
    ASSERT_EQ(d.result.packets.size(), 1u);
    EXPECT_EQ(d.result.packets[0][1].last_sample, starts[1] + 100);

    // A range starting after the first frame (the markers) leaves it out; starts are absolute.
    d = DecodeCapture(c, f, GetParam(), 0, starts[1] - 5, static_cast<std::uint32_t>(c.Size() - 1));
    EXPECT_EQ(d.values, (std::vector<unsigned>{0x22, 0x33}));
    EXPECT_EQ(d.starts, (std::vector<std::uint32_t>{starts[1], starts[2]}));
}

TEST_P(Layouts, TimeoutSplitsPackets)
{
    const UartFormat f;
    UartCapture c(f);
    c.Idle(30);
    c.Frame(0x01);
    c.Idle(30);  // 3 bits between one frame's end and the next frame's start
    c.Frame(0x02);
    c.Idle(60);  // over 5 bits
    c.Frame(0x03);
    c.Idle(50);  // exactly 5 bits: not more than the timeout
    c.Frame(0x04);
    c.Idle(30);

    struct Case {
        int timeout;
        std::vector<std::size_t> sizes;
    };
    const Case cases[] = {{0, {4}}, {5, {2, 2}}, {3, {2, 1, 1}}, {2, {1, 1, 1, 1}}, {100, {4}}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.timeout);
        const Decoded d = DecodeCapture(c, f, GetParam(), k.timeout);
        std::vector<std::size_t> sizes;
        for (const AsyncPacket& p : d.result.packets)
            sizes.push_back(p.size());
        EXPECT_EQ(sizes, k.sizes);
        EXPECT_EQ(d.result.text.find("Посылка №" + std::to_string(k.sizes.size() + 1)), std::string::npos);
        if (k.sizes.size() > 1) {
            EXPECT_NE(d.result.text.find("\r\nПосылка №2:\r\n"), std::string::npos);
        }
    }
}

TEST(AsyncDecode, TwoNetsEachWithItsOwnRate)
{
    UartCapture fast(UartFormat{8, 0, false, 10});
    UartCapture slow(UartFormat{8, 2, false, 26});
    fast.Idle(7);
    slow.Idle(50);
    for (const unsigned v : {0x55u, 0xA5u, 0x0Fu}) {
        fast.Frame(v);
        fast.Idle(10);
        slow.Frame(v ^ 0xFF);
        slow.Idle(26);
    }
    fast.Idle(static_cast<int>(slow.Size() - fast.Size()));
    const std::vector<std::int32_t> words = Merge(fast.Plain(0), 0, slow.Plain(5), 5);
    const AsyncSampleView view{words.data(), words.size(), false};
    AsyncNetSettings a;
    a.mask = 1u << 0;
    AsyncNetSettings b;
    b.mask = 1u << 5;
    b.parity = PARITY_EVEN;
    const AsyncNetResult ra = DecodeAsyncNet(view, 0, static_cast<std::uint32_t>(words.size() - 1), a, 0, "A0", 1000);
    const AsyncNetResult rb = DecodeAsyncNet(view, 0, static_cast<std::uint32_t>(words.size() - 1), b, 0, "A5", 1000);
    EXPECT_DOUBLE_EQ(ra.bit_interval, 10);
    EXPECT_DOUBLE_EQ(rb.bit_interval, 26);
    ASSERT_EQ(ra.packets.size(), 1u);
    ASSERT_EQ(rb.packets.size(), 1u);
    EXPECT_EQ(ra.packets[0].size(), 3u);
    ASSERT_EQ(rb.packets[0].size(), 3u);
    EXPECT_EQ(ra.packets[0][1].value, 0xA5);
    EXPECT_EQ(rb.packets[0][1].value, 0x5A);
    EXPECT_EQ(rb.packets[0][1].bad, 0);
}

TEST(AsyncDecode, MixedStartEdgeNeedsALowStartBitMiddle)
{
    const UartFormat f;
    UartCapture c(f);
    c.Idle(40);
    c.Frame(0x6C);
    c.Idle(20);
    std::vector<std::int32_t> words = c.TwoWord(kLine);
    const AsyncSampleView view{words.data(), c.Size(), true};
    AsyncNetSettings net;
    net.mask = 1u << kLine;
    // The edge sample is mixed (low minimum, high maximum) and the start bit's middle fully low.
    ASSERT_EQ(words[2 * 40] & (1 << kLine), 0);
    ASSERT_NE(words[2 * 40 + 1] & (1 << kLine), 0);
    AsyncNetResult r = DecodeAsyncNet(view, 0, static_cast<std::uint32_t>(c.Size() - 1), net, 0, "RX", 1000);
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0][0].value, 0x6C);
    EXPECT_EQ(r.packets[0][0].first_sample, 40u);

    // A start bit whose middle is not fully low (a spike within that sample) is no start.
    words[2 * 45 + 1] |= 1 << kLine;
    r = DecodeAsyncNet(view, 0, static_cast<std::uint32_t>(c.Size() - 1), net, 0, "RX", 1000);
    EXPECT_TRUE(r.packets.empty());
    EXPECT_EQ(r.text.substr(r.text.size() - 2), "\r\n") << "the block still ends its line";
}

TEST(AsyncDecode, StartSampleIsWhereEachLayoutSeesTheSentFall)
{
    // The line at a fine resolution, stored as the instrument stores it: one sample (or pair)
    // per 4 instants, 10 stored samples per bit. A plain sample is an instant, so the fall shows
    // at the first sample at or after it; a pair covers its whole period, so the fall shows in the
    // pair that holds it, up to a sample earlier and never later.
    constexpr int kGroup = 4;
    const UartFormat f{8, 0, false, 10 * kGroup};
    for (int phase = 0; phase < kGroup; ++phase) {
        SCOPED_TRACE("fall at instant " + std::to_string(phase) + " of its sample");
        UartCapture c(f);
        c.Idle(40 * kGroup + phase);
        std::vector<std::uint32_t> sent;
        for (const unsigned v : {0x56u, 0x65u, 0x0Du, 0x0Au}) {
            sent.push_back(c.Frame(v));
            c.Idle(2 * 10 * kGroup + 1);
        }
        c.Idle(10 * kGroup);
        struct Layout {
            bool twoWord;
            std::vector<std::int32_t> words;
        };
        const Layout layouts[] = {{false, c.Sampled(kLine, kGroup)}, {true, c.PeakPairs(kLine, kGroup)}};
        for (const Layout& l : layouts) {
            SCOPED_TRACE(l.twoWord ? "pairs" : "plain");
            const std::size_t count = l.twoWord ? l.words.size() / 2 : l.words.size();
            const AsyncSampleView view{l.words.data(), count, l.twoWord};
            AsyncNetSettings net;
            net.mask = 1u << kLine;
            const AsyncNetResult r =
                DecodeAsyncNet(view, 0, static_cast<std::uint32_t>(count - 1), net, 0, "RX", kNsPerSample);
            ASSERT_EQ(r.packets.size(), 1u);
            ASSERT_EQ(r.packets[0].size(), sent.size());
            for (std::size_t i = 0; i < sent.size(); ++i) {
                const std::uint32_t expected = l.twoWord ? sent[i] / kGroup : (sent[i] + kGroup - 1) / kGroup;
                EXPECT_EQ(r.packets[0][i].first_sample, expected) << "frame " << i;
                EXPECT_EQ(r.packets[0][i].value, (std::vector<unsigned>{0x56, 0x65, 0x0D, 0x0A}[i]));
            }
        }
    }
}

TEST_P(Layouts, OneSampleGlitchShrinksTheIntervalAndWarns)
{
    const UartFormat f;
    UartCapture c(f);
    c.Idle(40);
    c.Frame(0x41);
    c.Idle(20);
    c.Levels()[c.Size() - 10] = 0;  // one low sample in the idle line
    c.Idle(20);
    const Decoded d = DecodeCapture(c, f, GetParam());
    EXPECT_DOUBLE_EQ(d.result.bit_interval, 1);
    EXPECT_NE(d.result.text.find("Скорость 1000.000 kHz\r\nСлишком маленький определенный битовый интервал - возможно "
                                 "данные некорректны"),
              std::string::npos)
        << d.result.text;
}

TEST(AsyncDecode, NetBlocksJoinIntoOneText)
{
    // A net without frames ends its block, so the next header starts a line of its own.
    UartCapture c(UartFormat{});
    c.Idle(40);
    c.Low(10);
    c.Idle(10);
    c.Low(10);
    c.Idle(40);
    const std::vector<std::int32_t> words = c.Plain(kLine);
    const AsyncSampleView view{words.data(), c.Size(), false};
    AsyncNetSettings net;
    net.mask = 1u << kLine;
    const std::string text =
        DecodeAsyncNet(view, 0, static_cast<std::uint32_t>(c.Size() - 1), net, 0, "RX", 1000).text + "Цепь TX\r\n";
    EXPECT_EQ(text, "Цепь RX\r\nСкорость 100.000 kHz\r\nЦепь TX\r\n");
}

TEST(AsyncDecode, RangesOutsideTheMemoryReadNothingBeyondIt)
{
    UartCapture c(UartFormat{});
    c.Idle(40);
    c.Frame(0x12);
    c.Idle(30);
    const std::vector<std::int32_t> words = c.Plain(kLine);
    const AsyncSampleView view{words.data(), c.Size(), false};
    AsyncNetSettings net;
    net.mask = 1u << kLine;
    // A last sample past the memory is the memory's end; a first one past it is nothing.
    AsyncNetResult r = DecodeAsyncNet(view, 0, 1u << 30, net, 0, "RX", 1000);
    ASSERT_EQ(r.packets.size(), 1u);
    EXPECT_EQ(r.packets[0][0].value, 0x12);
    r = DecodeAsyncNet(view, 5000, 6000, net, 0, "RX", 1000);
    EXPECT_TRUE(r.packets.empty());
    const AsyncSampleView empty{nullptr, 0, false};
    r = DecodeAsyncNet(empty, 0, 0, net, 0, "RX", 1000);
    EXPECT_EQ(r.text, "Цепь RX\r\nНе удалось определить скорость\r\n");
}
