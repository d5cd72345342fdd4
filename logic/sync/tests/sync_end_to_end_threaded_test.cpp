// The synchronous decoder end to end on the virtual instrument (variant 4, both channels in
// logic mode, one sample per screen point): its SPI link on B1..B3 with and without /CS, and
// its counter on channel A read as a clock with four data lines. Each capture is left in the
// test output as the buffer CSV beside the results text.

#include "support/SyncWindowFixture.h"

#include "tools/save/SaveWriters.h"

#include <string>
#include <vector>

namespace {

class SyncEndToEnd : public SyncWindowTest {
protected:
    // Both channels in logic mode at a time base of one sample per point; the instrument's
    // SPI clock and counter are set to a few samples per step of that time base.
    void StartLogicCapture(CVelkaroDlg& d)
    {
        Connect(d);
        ASSERT_TRUE(WaitUntil(&MainWindowTest::Linked));
        // The model of the announced variant replaces the first one: set up that one.
        ASSERT_TRUE(WaitUntil([] {
            CSingleLock lock(&DataLock, TRUE);
            return GetOscData()->GetVersion() == 4 && GetOscData()->cycle_counter > 0;
        }));
        double sampleNs = 0;
        WithData([&](OscData& data) {
            data.osc_cr = static_cast<std::uint16_t>((data.osc_cr | OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | OSC_CR_LOGIC_A |
                                                      OSC_CR_LOGIC_B) & ~(OSC_CR_TRIGGER_ON | OSC_CR_MIN_MAX));
            bool found = false;
            for (unsigned t = data.GetTDivMin(); t <= data.GetTDivMax() && !found; ++t) {
                data.t_div = t;
                found = data.SolveTimebase() == 0 && data.x_zoom_out_hw == 1 && data.x_zoom_out_sw == 1 &&
                        data.x_zoom_in == 1;
            }
            ASSERT_TRUE(found);
            sampleNs = 1e6 / data.GetSampleRateKHz() * (data.x_skip + 1.0);
            data.mode &= ~(MODE_STOPPED | MODE_SINGLE);
            data.changes |= CHANGE_CAPTURE | CHANGE_SKIP | CHANGE_ZOOM;
        });
        SignalSettings signals;
        signals.spiHz = static_cast<unsigned>(1e9 / (sampleNs * 12));  // six samples a half clock
        signals.counterHz = 1e9 / (sampleNs * 3);                       // three samples a count
        demoInstrument->SetSignals(signals);
        const int before = Cycles();
        ASSERT_TRUE(WaitUntil([&] { return Cycles() > before + 2; }));
        WithData([](OscData& data) {
            ASSERT_EQ(data.osc_cr & (OSC_CR_LOGIC_A | OSC_CR_LOGIC_B), OSC_CR_LOGIC_A | OSC_CR_LOGIC_B);
        });
    }

    static int Cycles()
    {
        CSingleLock lock(&DataLock, TRUE);
        return GetOscData()->cycle_counter;
    }

    // The capture as the save dialog's buffer CSV, and the results text beside it.
    void Keep(CSyncAnalyzer& a, const std::string& name)
    {
        std::string csv;
        WithData([&](OscData& data) { csv = BuildCsvTable(data, SaveSource::Buffer); });
        EXPECT_TRUE(WriteTextFile(PathOf(name + "_buffer.csv"), csv));
        EXPECT_TRUE(WriteTextFile(PathOf(name + "_results.txt"), a.GetResultsText()));
        EXPECT_TRUE(uitest::RenderToPng(&a, PathOf(name + "_results.png")));
    }

    static std::vector<std::int32_t> Buffer(int channel)
    {
        CSingleLock lock(&DataLock, TRUE);
        const OscData& d = *GetOscData();
        return std::vector<std::int32_t>(d.sample_buffer[channel], d.sample_buffer[channel] + d.GetMemoryDepth());
    }

    // The index in "SPI" of a byte, or -1.
    static int SpiIndex(std::uint32_t value)
    {
        const std::string text = "SPI";
        const auto at = text.find(static_cast<char>(value));
        return at == std::string::npos ? -1 : static_cast<int>(at);
    }
};

TEST_F(SyncEndToEnd, SpiWithChipSelectGivesOneByteAPacketInOrder)
{
    RunWindow([&](CVelkaroDlg& d) {
        StartLogicCapture(d);
        auto a = Open(d);
        Configure(*a, 1, 1, 3, 1, {2});
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        Keep(*a, "spi_cs");

        const std::vector<SyncPacket>& packets = a->GetResult().packets[0];
        ASSERT_GE(packets.size(), 5u);
        int previous = -1;
        // The first and last may be cut by the capture's ends.
        for (std::size_t p = 1; p + 1 < packets.size(); ++p) {
            SCOPED_TRACE(p);
            ASSERT_EQ(packets[p].size(), 1u);
            EXPECT_TRUE(SyncIsComplete(packets[p][0], 8));
            const int index = SpiIndex(packets[p][0].value);
            ASSERT_GE(index, 0) << packets[p][0].value;
            if (previous >= 0) {
                EXPECT_EQ(index, (previous + 1) % 3);
            }
            previous = index;
        }
        EXPECT_NE(a->GetResultsText().find("Посылка №2:\r\n"), std::string::npos);

        // Closing lets the capture run again.
        uitest::Click(a->GetDlgItem(IDCANCEL));
        WithData([](OscData& data) { EXPECT_EQ(data.mode & MODE_STOPPED, 0u); });
    });
}

TEST_F(SyncEndToEnd, SpiWithoutChipSelectFromAByteStart)
{
    RunWindow([&](CVelkaroDlg& d) {
        StartLogicCapture(d);
        auto a = Open(d);
        Configure(*a, 1, 1, -1, 1, {2});
        // A first run stops the capture; then start where /CS first falls.
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        const std::vector<std::int32_t> b = Buffer(1);
        std::size_t start = 1;
        while (start < b.size() && !((b[start - 1] & 0x8) != 0 && (b[start] & 0x8) == 0)) ++start;
        ASSERT_LT(start, b.size());
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
        auto* edit = a->GetConditionPage().GetDlgItem(1120);
        uitest::TypeText(edit, std::to_string(start - 1));
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        Keep(*a, "spi_no_cs");

        ASSERT_EQ(a->GetResult().packets[0].size(), 1u);
        const SyncPacket& symbols = a->GetResult().packets[0][0];
        ASSERT_GE(symbols.size(), 4u);
        int previous = -1;
        for (std::size_t s = 0; s + 1 < symbols.size(); ++s) {
            SCOPED_TRACE(s);
            const int index = SpiIndex(symbols[s].value);
            ASSERT_GE(index, 0) << symbols[s].value;
            if (previous >= 0) {
                EXPECT_EQ(index, (previous + 1) % 3);
            }
            previous = index;
        }
    });
}

TEST_F(SyncEndToEnd, CounterLinesClockedByItsLowestBit)
{
    RunWindow([&](CVelkaroDlg& d) {
        StartLogicCapture(d);
        auto a = Open(d);
        Configure(*a, 0, 0, -1, 0, {1, 2, 3, 4});
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        Keep(*a, "counter");

        const std::vector<std::int32_t> counter = Buffer(0);
        const SyncResult& r = a->GetResult();
        int checked = 0;
        for (int net = 0; net < 4; ++net) {
            ASSERT_EQ(r.packets[static_cast<std::size_t>(net)].size(), 1u);
            const int line = net + 1;
            for (const SyncSymbol& s : r.packets[static_cast<std::size_t>(net)][0]) {
                if (!SyncIsComplete(s, 8)) continue;
                // The count at the symbol's first edge; each later edge is two counts on.
                const unsigned c = static_cast<unsigned>(counter[s.first_sample]) & 0xFF;
                std::uint32_t expected = 0;
                for (unsigned k = 0; k < 8; ++k)
                    if ((((c + 2 * k) & 0xFF) >> line) & 1u) expected |= 1u << (7 - k);
                EXPECT_EQ(s.value, expected) << "net A" << line << " at " << s.first_sample;
                ++checked;
            }
        }
        EXPECT_GT(checked, 40);
    });
}

}  // namespace
