// The asynchronous decoder on the virtual instrument (variant 4, both channels logic, one
// sample per screen point): the UART text the instrument sends on B0 must come out of the
// decoder as sent, frame by frame and at the time it was sent, at the instrument's bit rate,
// plain and with peak detect; a triggered run and a channel out of logic mode. Each capture is
// left in the test output as a buffer CSV beside the results text.

#include "logic/async/AsyncAnalyzer.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "sim/SignalSource.h"
#include "tools/save/SaveWriters.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// 100 µs/div: with one stored sample per screen point, 10 µs per sample.
constexpr unsigned kTDiv = 15;
constexpr int kNetB0 = 15;  // entry of net B0 (A7..A0, then B7..B0)

class AsyncEndToEndTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        demoInstrument->SetVersion(4, 0);
    }

    static void StartLogicCapture(bool minMax)
    {
        WithData([&](OscData& data) {
            data.osc_cr = static_cast<std::uint16_t>((data.osc_cr | OSC_CR_CH_A_ON | OSC_CR_CH_B_ON | OSC_CR_LOGIC_A |
                                                      OSC_CR_LOGIC_B) & ~(OSC_CR_TRIGGER_ON | OSC_CR_MIN_MAX));
            if (minMax)
                data.osc_cr |= OSC_CR_MIN_MAX;
            data.t_div = kTDiv;
            ASSERT_EQ(data.SolveTimebase(), 0);
            data.mode &= ~(MODE_STOPPED | MODE_SINGLE);
            data.changes |= CHANGE_ALL_REGISTERS | CHANGE_SKIP | CHANGE_ZOOM | CHANGE_CAPTURE;
        });
    }

    static void ConnectVariant4(CVelkaroDlg& d)
    {
        Connect(d);
        ASSERT_TRUE(WaitUntil(&MainWindowTest::Linked));
        // The instrument's variant first, and the window's check of it: that check brings
        // the window's settings back onto the new model and would undo a capture set before.
        ASSERT_TRUE(WaitUntil([] {
            CSingleLock lock(&DataLock, TRUE);
            const OscData* data = GetOscData();
            return data->GetVersion() == 4 && (data->status & STATUS_LIMITS_APPLIED) == 0;
        }));
    }

    // An analyser shown over the main window with its first net on B0.
    static std::unique_ptr<CAsyncAnalyzer> OpenOnB0()
    {
        auto a = std::make_unique<CAsyncAnalyzer>();
        a->ShowWindow(SW_SHOW);
        a->OnShowTool(true);
        a->Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DATA);
        uitest::SelectComboItem(&a->DataPage().Net(0), kNetB0);
        return a;
    }

    static int Cycles()
    {
        CSingleLock lock(&DataLock, TRUE);
        return GetOscData()->cycle_counter;
    }

    void Decodes(unsigned baud, bool minMax, bool stopFirst)
    {
        SignalSettings signals;
        signals.uartBaud = baud;
        demoInstrument->SetSignals(signals);
        const std::string name = std::to_string(baud) + (minMax ? "_peak" : "_plain");
        RunWindow([&](CVelkaroDlg& d) {
            ConnectVariant4(d);
            StartLogicCapture(minMax);
            const int before = Cycles();
            ASSERT_TRUE(WaitUntil([&] { return Cycles() > before + 1; }));
            if (stopFirst) {
                WithData([](OscData& data) { data.ToggleStop(); });
                ASSERT_TRUE(WaitUntil([] {
                    CSingleLock lock(&DataLock, TRUE);
                    return GetOscData()->read_state == 3;
                }));
            }

            // Named once the instrument's variant is settled (a switch brings its own names).
            d.SetNetName("RX", 1, 0);
            CAsyncAnalyzer a;
            a.ShowWindow(SW_SHOW);
            a.OnShowTool(true);
            a.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DATA);
            uitest::SelectComboItem(&a.DataPage().Net(0), kNetB0);
            ASSERT_EQ(a.DataPage().Net(0).SelectedName(), "RX");
            uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
            WithData([](OscData& data) { EXPECT_NE(data.mode & MODE_STOPPED, 0u) << "processing stops a free run"; });
            ASSERT_TRUE(WaitUntil([&] {
                uitest::FireTimer(&a, CAsyncAnalyzer::kWaitTimerId);
                return uitest::TimerPeriod(&a, CAsyncAnalyzer::kWaitTimerId) == 0;
            }));

            const CaptureEngine::Info info = demoInstrument->GetCaptureInfo();
            const std::vector<std::int8_t> memory = demoInstrument->GetMemory(1);
            std::string csv;
            WithData([&](OscData& data) {
                EXPECT_EQ(data.x_zoom_out_hw * data.x_zoom_out_sw, data.x_zoom_in) << "one sample per point";
                // The host's copy is the instrument's memory.
                const std::size_t words = memory.size();
                ASSERT_LE(words, data.GetSampleBufferLength());
                for (std::size_t i = 0; i < words; ++i)
                    ASSERT_EQ(data.sample_buffer[1][i], memory[i]) << "word " << i;
                csv = BuildCsvTable(data, SaveSource::Buffer);
            });

            // Every frame from the first one after the text's idle stretch carries the next byte
            // of the text and starts where the instrument sent that byte's start bit. A plain
            // sample is an instant, so the fall shows at the first sample at or after it; a
            // min/max pair holds the extremes over its whole period, so the fall shows in the pair
            // whose period holds it.
            const std::string text = signals.uartText;
            const std::int64_t cycleBits = static_cast<std::int64_t>(text.size()) * 10 + signals.uartIdleBits;
            const auto& packets = a.Packets(0);
            ASSERT_EQ(packets.size(), 1u);
            const AsyncPacket& frames = packets[0];
            const std::size_t k = minMax ? 2 : 1;
            auto high = [&](std::size_t sample, std::size_t word) { return (memory[k * sample + word] & 1) != 0; };
            // The write that landed last on the ring memory's address of a frame's first sample,
            // and the bit step of the instrument's line at that write.
            auto writeOf = [&](std::size_t f) {
                const std::int64_t address = frames[f].first_sample;
                return info.written - 1 - (((info.written - 1 - address) % info.depth) + info.depth) % info.depth;
            };
            auto stepAt = [&](std::int64_t w) {
                return static_cast<std::int64_t>(std::floor(CyclesAt(baud, info.startPs + w * info.periodPs)));
            };
            std::size_t checked = 0;
            std::size_t next = 0;
            bool afterIdle = false;
            for (std::size_t f = 0; f < frames.size(); ++f) {
                if (!afterIdle) {
                    // The idle stretch is longer than a frame; frames of the text follow
                    // each other without a gap. A memory that begins inside a byte may hold a
                    // whole frame less than a frame's length after its start, so the first
                    // frame is taken as the text's start only where the line sent byte 0 then
                    // (start bits of byte j are the bit steps c * cycleBits + 10 j).
                    if (f == 0) {
                        const std::int64_t within = ((stepAt(writeOf(0)) % cycleBits) + cycleBits) % cycleBits;
                        afterIdle = within <= 1 || within >= cycleBits - 1;
                    } else {
                        afterIdle = frames[f].first_sample - frames[f - 1].last_sample >
                                    frames[f - 1].last_sample - frames[f - 1].first_sample;
                    }
                    if (!afterIdle)
                        continue;
                }
                const std::size_t s = frames[f].first_sample;
                SCOPED_TRACE("frame " + std::to_string(f) + " at " + std::to_string(s));
                EXPECT_EQ(frames[f].value, static_cast<unsigned char>(text[next]));
                EXPECT_EQ(frames[f].bad, 0);
                ASSERT_GT(s, 0u);
                EXPECT_TRUE(high(s - 1, 0) && high(s - 1, k - 1)) << "idle or stop level before the start";
                EXPECT_FALSE(high(s, 0) && high(s, k - 1)) << "the line falls here";

                // The start bit of this byte of the text nearest to the frame's write.
                const std::int64_t w = writeOf(f);
                const std::int64_t step = stepAt(w);
                const std::int64_t within = 10 * static_cast<std::int64_t>(next);
                const std::int64_t cycle = std::llround(static_cast<double>(step - within) / static_cast<double>(cycleBits));
                const std::int64_t startBit = cycle * cycleBits + within;
                const long double sentAt =
                    (static_cast<long double>(startBit) * 1e12L / baud - info.startPs) / info.periodPs;
                const auto sent = static_cast<std::int64_t>(minMax ? std::floor(sentAt) : std::ceil(sentAt));
                EXPECT_NEAR(static_cast<double>(w), static_cast<double>(sent), 1.0)
                    << "start bit sent at sample " << static_cast<double>(sentAt);
                next = (next + 1) % text.size();
                ++checked;
            }
            // The plain memory holds a whole text after the first idle stretch whatever its
            // phase; the peak detector's half-size memory may hold only the start of one.
            EXPECT_GE(checked, minMax ? 1u : text.size());
            EXPECT_GT(frames.back().last_sample + (frames.back().last_sample - frames.back().first_sample) * 4,
                      memory.size() / k)
                << "frames are found up to the end of the memory";

            // The speed the text gives is the instrument's baud rate within the sampling error.
            const std::string results = a.ResultsPage().GetText();
            const std::size_t at = results.find("Скорость ");
            ASSERT_NE(at, std::string::npos) << results;
            double shown = 0;
            char unit[16] = {};
            ASSERT_EQ(std::sscanf(results.c_str() + at + std::string("Скорость ").size(), "%lf %15s", &shown, unit), 2);
            if (std::string(unit) == "kHz")
                shown *= 1000;
            else
                EXPECT_STREQ(unit, "Hz");
            EXPECT_NEAR(shown, baud, baud * 0.01);
            EXPECT_EQ(results.rfind("Цепь RX\r\n", 0), 0u);
            EXPECT_NE(results.find("\r\nПосылка №1:\r\n"), std::string::npos);
            EXPECT_EQ(results.find("Слишком"), std::string::npos);

            const std::string dir = uitest::OutputPath("logic_async");
            std::filesystem::create_directories(dir);
            EXPECT_TRUE(WriteTextFile(dir + "/uart_" + name + ".csv", csv));
            EXPECT_TRUE(WriteTextFile(dir + "/uart_" + name + "_results.txt", results));
            EXPECT_TRUE(uitest::RenderToPng(&a, dir + "/uart_" + name + "_results.png"));

            // Closing resumes a free run that processing stopped, and only that.
            uitest::Click(a.GetDlgItem(IDCANCEL));
            EXPECT_FALSE(a.IsWindowVisible());
            WithData([&](OscData& data) { EXPECT_EQ((data.mode & MODE_STOPPED) != 0, stopFirst); });
        });
    }
};

}  // namespace

// With a trigger source, processing does not stop the run but lets it end after one more
// triggered capture, which is decoded once read out; closing starts the run again.
TEST_F(AsyncEndToEndTest, TriggeredRunEndsAsASingleShot)
{
    SignalSettings signals;
    signals.uartBaud = 9600;
    demoInstrument->SetSignals(signals);
    RunWindow([&](CVelkaroDlg& d) {
        ConnectVariant4(d);
        StartLogicCapture(false);
        WithData([](OscData& data) {
            // B0 rising: the UART line's pattern bit, in mask mode.
            data.osc_cr = static_cast<std::uint16_t>((data.osc_cr | OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_B) &
                                                     ~(OSC_CR_TRIGGER_EXT | OSC_CR_DIGITAL_TRIGGER));
            data.trigger_dir[1] = 1;
            data.trigger_digital = 0x01;
            data.changes |= CHANGE_CAPTURE | CHANGE_TRIGGER;
        });
        const int before = Cycles();
        ASSERT_TRUE(WaitUntil([&] { return Cycles() > before + 1; }));
        WithData([](OscData& data) { ASSERT_EQ(data.GetTriggerSource(), 2); });

        d.SetNetName("RX", 1, 0);
        auto a = OpenOnB0();
        uitest::Click(a->GetDlgItem(CAsyncAnalyzer::kProcessId));
        WithData([](OscData& data) {
            EXPECT_NE(data.mode & MODE_SINGLE, 0u) << "a single shot, not a stop";
        });
        ASSERT_TRUE(WaitUntil([&] {
            uitest::FireTimer(a.get(), CAsyncAnalyzer::kWaitTimerId);
            return uitest::TimerPeriod(a.get(), CAsyncAnalyzer::kWaitTimerId) == 0;
        }));
        WithData([](OscData& data) {
            EXPECT_NE(data.mode & MODE_STOPPED, 0u) << "the single shot ended";
            EXPECT_EQ(data.read_state, 3);
        });

        // The frames after the first idle stretch spell the text on, byte after byte.
        const std::string text = signals.uartText;
        ASSERT_EQ(a->Packets(0).size(), 1u);
        const AsyncPacket& frames = a->Packets(0)[0];
        std::string decoded;
        bool afterIdle = false;
        for (std::size_t f = 1; f < frames.size(); ++f) {
            const auto gap = frames[f].first_sample - frames[f - 1].last_sample;
            afterIdle = afterIdle || gap > frames[f - 1].last_sample - frames[f - 1].first_sample;
            if (afterIdle)
                decoded += static_cast<char>(frames[f].value);
        }
        ASSERT_GE(decoded.size(), text.size()) << a->ResultsPage().GetText();
        EXPECT_EQ(decoded.substr(0, text.size()), text);
        std::string repeated;
        while (repeated.size() < decoded.size() + text.size())
            repeated += text;
        EXPECT_EQ(repeated.substr(0, decoded.size()), decoded);
        EXPECT_NE(a->ResultsPage().GetText().find("Скорость 9"), std::string::npos) << a->ResultsPage().GetText();

        std::string csv;
        WithData([&](OscData& data) { csv = BuildCsvTable(data, SaveSource::Buffer); });
        const std::string dir = uitest::OutputPath("logic_async");
        std::filesystem::create_directories(dir);
        EXPECT_TRUE(WriteTextFile(dir + "/uart_triggered.csv", csv));
        EXPECT_TRUE(WriteTextFile(dir + "/uart_triggered_results.txt", a->ResultsPage().GetText()));

        uitest::Click(a->GetDlgItem(IDCANCEL));
        WithData([](OscData& data) { EXPECT_EQ(data.mode & (MODE_STOPPED | MODE_SINGLE), 0u) << "running again"; });
    });
}

// A net on a channel the instrument samples as an analog input is refused before anything
// changes: the run goes on and no wait starts.
TEST_F(AsyncEndToEndTest, NetOfAnAnalogChannelIsRefused)
{
    RunWindow([&](CVelkaroDlg& d) {
        ConnectVariant4(d);
        StartLogicCapture(false);
        WithData([](OscData& data) {
            data.osc_cr = static_cast<std::uint16_t>(data.osc_cr & ~OSC_CR_LOGIC_B);
            data.changes |= CHANGE_CAPTURE;
        });
        const int before = Cycles();
        ASSERT_TRUE(WaitUntil([&] { return Cycles() > before + 1; }));
        auto a = OpenOnB0();
        std::string message;
        uitest::AnswerNextMessageBox(IDOK, &message);
        uitest::Click(a->GetDlgItem(CAsyncAnalyzer::kProcessId));
        EXPECT_EQ(message, "Для анализа выбрана цепь канала, не находящегося в режиме ЛА!");
        EXPECT_EQ(uitest::TimerPeriod(a.get(), CAsyncAnalyzer::kWaitTimerId), 0);
        WithData([](OscData& data) { EXPECT_EQ(data.mode & (MODE_STOPPED | MODE_SINGLE), 0u); });
        const int running = Cycles();
        EXPECT_TRUE(WaitUntil([&] { return Cycles() > running; })) << "the run goes on";
    });
}

// Processing a free run stops it and decodes the read-out; a stopped capture is decoded as it is.
TEST_F(AsyncEndToEndTest, Uart9600Plain) { Decodes(9600, false, false); }
TEST_F(AsyncEndToEndTest, Uart10000Plain) { Decodes(10000, false, true); }
TEST_F(AsyncEndToEndTest, Uart9600PeakDetect) { Decodes(9600, true, true); }
TEST_F(AsyncEndToEndTest, Uart10000PeakDetect) { Decodes(10000, true, false); }
