// The synchronous decoder's window on hand-built captures in the data model: processing and
// its checks, the start sample, the capture hand-over and closing, reset, the stored
// settings, and the chart overlay as drawn into a recording DC.

#include "support/SyncWave.h"
#include "support/SyncWindowFixture.h"

#include "platform/gdi/RecordingDC.h"
#include "widgets/chart/ChartAxis.h"
#include "widgets/chart/ChartCtrl.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <algorithm>
#include <sstream>

namespace {

using namespace synctest;

// The hand-built lines land on channel B one line up: clock B1, data B2, /CS B3, data B6,
// as the instrument's own SPI link lies.
constexpr int kShift = 1;

class SyncWindow : public SyncWindowTest {
protected:
    // A stopped, fully read capture of `wave` on channel B; both channels in logic mode, one
    // sample per screen point, the view at the capture's start.
    static void LoadCapture(const Wave& wave, bool twoWord = false)
    {
        CSingleLock lock(&DataLock, TRUE);
        ASSERT_TRUE(SelectOscDataVersion(4, 0));
        OscData& d = *GetOscData();
        d.osc_cr = static_cast<std::uint16_t>((d.osc_cr | OSC_CR_LOGIC_A | OSC_CR_LOGIC_B | OSC_CR_CH_A_ON |
                                               OSC_CR_CH_B_ON) & ~(OSC_CR_MIN_MAX | OSC_CR_TRIGGER_ON));
        if (twoWord) d.osc_cr |= OSC_CR_MIN_MAX;
        d.mode |= MODE_STOPPED;
        d.read_state = 3;
        d.x_offset = 0;
        d.x_zoom_out_hw = d.x_zoom_out_sw = d.x_zoom_in = 1;
        const std::size_t k = twoWord ? 2 : 1;
        const std::size_t depth = d.GetMemoryDepth();
        ASSERT_LE(depth * k, d.GetSampleBufferLength());
        for (std::size_t i = 0; i < depth * k; ++i) {
            const std::size_t n = i / k;
            const std::uint32_t w = n < wave.words.size() ? static_cast<std::uint32_t>(wave.words[n]) : wave.state;
            d.sample_buffer[1][i] = static_cast<std::int32_t>(w << kShift);
            d.sample_buffer[0][i] = 0;
        }
    }

    // 0x12, 0x34 in one /CS assertion, 0x56 in the next.
    static Wave TwoPackets()
    {
        Wave w;
        w.Set(kCs, true).Hold(4).Set(kCs, false).Hold(2).Send(0x12, 8).Send(0x34, 8);
        w.Set(kCs, true).Hold(4).Set(kCs, false).Hold(2).Send(0x56, 8).Set(kCs, true).Hold(4);
        return w;
    }
};

TEST_F(SyncWindow, ProcessingDecodesTheStoppedCaptureAndShowsTheText)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.SetNetName("MOSI", 1, 2);
        LoadCapture(TwoPackets());
        auto a = Open(d);
        Configure(*a, 1, 1, 3, 1, {2});
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        EXPECT_EQ(a->GetResultsText(),
                  "Цепь данных MOSI:\r\n"
                  "Посылка №1:\r\n1234\r\nКоличество неполных символов 0\r\n"
                  "Посылка №2:\r\n56\r\nКоличество неполных символов 0\r\n");
        EXPECT_EQ(a->GetTabs().GetCurSel(), CSyncAnalyzer::PAGE_RESULTS);
        EXPECT_EQ(a->GetResultsPage().GetText(), a->GetResultsText());
        EXPECT_EQ(a->GetResult().clock_edges.size(), 24u);
        EXPECT_TRUE(uitest::RenderToPng(a.get(), PathOf("results.png")));

        // A new acquisition forgets it all.
        a->ClearResults();
        EXPECT_TRUE(a->GetResult().clock_edges.empty());
        EXPECT_EQ(a->GetResultsPage().GetText(), "");
    });
}

TEST_F(SyncWindow, EveryPageAsTheUserSeesIt)
{
    RunWindow([&](CVelkaroDlg& d) {
        LoadCapture(TwoPackets());
        auto a = Open(d);
        const char* names[] = {"clock", "condition", "data", "display", "results"};
        for (int page = 0; page < 5; ++page) {
            ShowPage(*a, page);
            EXPECT_TRUE(uitest::RenderToPng(a.get(), PathOf(std::string("page_") + names[page] + ".png")));
        }
        // Rows past the chosen count are disabled, and follow the count.
        ShowPage(*a, CSyncAnalyzer::PAGE_DATA);
        EXPECT_FALSE(a->GetDataPage().data_net[1]->IsWindowEnabled());
        uitest::SelectComboItem(a->GetDataPage().GetDlgItem(1131), 2);
        EXPECT_TRUE(a->GetDataPage().data_net[2]->IsWindowEnabled());
        EXPECT_FALSE(a->GetDataPage().GetDlgItem(1129)->IsWindowEnabled());
        EXPECT_EQ(a->GetDataPage().num_data_nets, 3);
        // The offset is only for the offset start.
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
        EXPECT_TRUE(a->GetConditionPage().GetDlgItem(1120)->IsWindowEnabled());
        uitest::Click(a->GetConditionPage().GetDlgItem(1116));
        EXPECT_EQ(a->GetConditionPage().start, 1);
        EXPECT_FALSE(a->GetConditionPage().GetDlgItem(1120)->IsWindowEnabled());
        EXPECT_FALSE(a->GetConditionPage().GetDlgItem(1130)->IsWindowEnabled());
    });
}

TEST_F(SyncWindow, TheThreeStartRadiosAreOneChoiceTheUserCanChangeBothWays)
{
    RunWindow([&](CVelkaroDlg& d) {
        LoadCapture(TwoPackets());
        auto a = Open(d);
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
        CTabSyncCondition& page = a->GetConditionPage();
        const int radios[] = {1114, 1116, 1119};
        // Marker 0, marker 1, marker 0, and back to the offset.
        for (const int start : {1, 2, 1, 0}) {
            SCOPED_TRACE("start " + std::to_string(start));
            uitest::Click(page.GetDlgItem(radios[start]));
            EXPECT_EQ(page.start, start);
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(static_cast<CButton*>(page.GetDlgItem(radios[i]))->GetCheck(), i == start ? BST_CHECKED : BST_UNCHECKED)
                    << radios[i];
            for (const int id : {1120, 1121, 1130}) EXPECT_EQ(page.GetDlgItem(id)->IsWindowEnabled() != FALSE, start == 0) << id;
        }
    });
}

TEST_F(SyncWindow, ANetOutsideLogicModeIsRefusedWithTheMessage)
{
    struct Case {
        const char* name;
        std::uint16_t logic;  // channels left in logic mode
        bool cs;
    };
    const Case cases[] = {{"data and clock on B, B analog", OSC_CR_LOGIC_A, false},
                          {"/CS on B, B analog", OSC_CR_LOGIC_A, true}};
    RunWindow([&](CVelkaroDlg& d) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            LoadCapture(TwoPackets());
            auto a = Open(d);
            // The clock and data on A, so only the /CS case trips on B's /CS.
            Configure(*a, c.cs ? 0 : 1, 1, c.cs ? 3 : -1, c.cs ? 0 : 1, {2});
            WithData([&](OscData& data) {
                data.osc_cr = static_cast<std::uint16_t>((data.osc_cr & ~(OSC_CR_LOGIC_A | OSC_CR_LOGIC_B)) | c.logic);
                data.mode &= ~MODE_STOPPED;
            });
            std::string text;
            uitest::AnswerNextMessageBox(IDOK, &text);
            Process(*a);
            EXPECT_EQ(text, "Для анализа выбрана цепь канала, не находящегося в режиме ЛА!");
            EXPECT_EQ(uitest::TimerPeriod(a.get(), CSyncAnalyzer::kPollTimer), 0);
            // Nothing else changed: the capture runs on.
            WithData([](OscData& data) { EXPECT_EQ(data.mode & (MODE_STOPPED | MODE_SINGLE), 0u); });
        }
    });
}

TEST_F(SyncWindow, ProcessingEndsTheCaptureAndClosingResumesOnlyWhatItStopped)
{
    struct Case {
        const char* name;
        bool running;
        bool trigger;
        std::uint32_t modeWhileWaiting;
        std::uint32_t modeAfterClose;
    };
    const Case cases[] = {
        {"running, free", true, false, MODE_STOPPED, 0},
        {"running, triggered", true, true, MODE_SINGLE, 0},
        {"stopped", false, false, MODE_STOPPED, MODE_STOPPED},
    };
    RunWindow([&](CVelkaroDlg& d) {
        // Closing before any processing resumes nothing.
        {
            LoadCapture(TwoPackets());
            auto a = Open(d);
            uitest::Click(a->GetDlgItem(IDCANCEL));
            EXPECT_FALSE(a->IsWindowVisible());
            WithData([](OscData& data) { EXPECT_NE(data.mode & MODE_STOPPED, 0u); });
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            LoadCapture(TwoPackets());
            auto a = Open(d);
            Configure(*a, 1, 1, 3, 1, {2});
            WithData([&](OscData& data) {
                data.mode &= ~(MODE_STOPPED | MODE_SINGLE);
                if (!c.running) data.mode |= MODE_STOPPED;
                data.trigger_dir[1] = c.trigger ? 1 : 0;
                data.osc_cr = static_cast<std::uint16_t>(c.trigger ? (data.osc_cr | OSC_CR_TRIGGER_ON)
                                                                    : (data.osc_cr & ~OSC_CR_TRIGGER_ON));
                data.read_state = 1;  // channel A being read
            });
            Process(*a);
            WithData([&](OscData& data) {
                EXPECT_EQ(data.mode & (MODE_STOPPED | MODE_SINGLE), c.modeWhileWaiting);
            });
            // Nothing is decoded while a channel is still being read.
            EXPECT_TRUE(uitest::FireTimer(a.get(), CSyncAnalyzer::kPollTimer));
            EXPECT_GT(uitest::TimerPeriod(a.get(), CSyncAnalyzer::kPollTimer), 0);
            EXPECT_TRUE(a->GetResult().clock_edges.empty());
            WithData([](OscData& data) {
                data.read_state = 3;
                // The single capture ends by itself.
                if ((data.mode & MODE_SINGLE) != 0) data.mode = (data.mode & ~MODE_SINGLE) | MODE_STOPPED;
            });
            ASSERT_TRUE(WaitDecoded(*a));
            EXPECT_EQ(a->GetResult().packets[0].size(), 2u);
            uitest::Click(a->GetDlgItem(IDCANCEL));
            EXPECT_FALSE(a->IsWindowVisible());
            WithData([&](OscData& data) { EXPECT_EQ(data.mode & MODE_STOPPED, c.modeAfterClose); });
        }
    });
}

TEST_F(SyncWindow, StartSampleFromOffsetScreenOrMarkers)
{
    RunWindow([&](CVelkaroDlg& d) {
        const Wave wave = TwoPackets();
        LoadCapture(wave);
        unsigned depth = 0;
        WithData([&](OscData& data) { depth = data.GetMemoryDepth(); });
        auto a = Open(d);
        Configure(*a, 1, 1, -1, 1, {2});
        CTabSyncCondition& page = a->GetConditionPage();
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);

        // Typed offsets count; one past the capture is brought back to its last sample.
        auto* edit = page.GetDlgItem(1120);
        uitest::TypeText(edit, "999999");
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        EXPECT_EQ(a->GetSettings().start, static_cast<int>(depth) - 1);
        EXPECT_TRUE(a->GetResult().clock_edges.empty());
        EXPECT_EQ(a->GetResultsText(), "Цепь данных " + d.GetNetName(1, 2) + ":\r\n");

        // "С начала экрана": the first sample shown, from the view offset in points.
        WithData([](OscData& data) {
            data.x_offset = 7;
            data.x_zoom_out_hw = 2;
            data.x_zoom_out_sw = 3;
            data.x_zoom_in = 4;
        });
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
        uitest::Click(page.GetDlgItem(1130));
        EXPECT_EQ(page.GetOffset(), 7 * 2 * 3 / 4);

        // Marker 1 at point 20 with the view 5 points on and 2 samples a point: sample 50.
        auto* markers = dynamic_cast<CMarkerDialog*>(d.GetToolDialog(CToolDialogList::MARKER));
        ASSERT_NE(markers, nullptr);
        markers->v_marker_x[1] = 20;
        WithData([](OscData& data) {
            data.x_offset = 5;
            data.x_zoom_out_hw = 2;
            data.x_zoom_out_sw = 1;
            data.x_zoom_in = 1;
        });
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
        uitest::Click(page.GetDlgItem(1119));
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        EXPECT_EQ(a->GetSettings().start, 50);
        ASSERT_FALSE(a->GetResult().clock_edges.empty());
        EXPECT_GT(a->GetResult().clock_edges.front(), 50u);
        // A marker far past the capture starts at its last sample; one before it at 0.
        markers->v_marker_x[1] = 1e7;
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        EXPECT_EQ(a->GetSettings().start, static_cast<int>(depth) - 1);
        markers->v_marker_x[0] = -400;
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
        uitest::Click(page.GetDlgItem(1116));
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        EXPECT_EQ(a->GetSettings().start, 0);
    });
}

TEST_F(SyncWindow, TheOffsetEditTakesDigitsAndShowsTheOffsetProcessed)
{
    RunWindow([&](CVelkaroDlg& d) {
        LoadCapture(TwoPackets());
        unsigned depth = 0;
        WithData([&](OscData& data) { depth = data.GetMemoryDepth(); });
        const std::string last = std::to_string(depth - 1);
        auto a = Open(d);
        Configure(*a, 1, 1, -1, 1, {2});
        CTabSyncCondition& page = a->GetConditionPage();
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
        CWnd* edit = page.GetDlgItem(1120);
        auto shown = [&] {
            CString text;
            edit->GetWindowText(text);
            return text;
        };
        auto processed = [&] {
            Process(*a);
            EXPECT_TRUE(WaitDecoded(*a));
            ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
            return a->GetSettings().start;
        };

        // Letters and a sign are refused: "abc" over the selected "0" leaves it be.
        uitest::TypeText(edit, "abc");
        EXPECT_EQ(shown(), "0");
        uitest::TypeText(edit, "-5");
        EXPECT_EQ(shown(), "5");
        EXPECT_EQ(processed(), 5);

        // Past the capture: its last sample is processed and shown.
        uitest::TypeText(edit, "999999");
        EXPECT_EQ(processed(), static_cast<int>(depth) - 1);
        EXPECT_EQ(shown(), last);
        EXPECT_TRUE(a->GetResult().clock_edges.empty());

        // Emptied: the offset of before is processed, and shown again.
        uitest::TypeText(edit, "3");
        EXPECT_EQ(processed(), 3);
        uitest::TypeText(edit, "");
        EXPECT_EQ(processed(), 3);
        EXPECT_EQ(shown(), "3");
        EXPECT_FALSE(a->GetResult().clock_edges.empty());

        // Up and Down in the edit step the offset, within its range.
        uitest::Key(edit, VK_UP);
        EXPECT_EQ(shown(), "4");
        uitest::Key(edit, VK_DOWN);
        uitest::Key(edit, VK_DOWN);
        EXPECT_EQ(processed(), 2);
        uitest::TypeText(edit, "0");
        uitest::Key(edit, VK_DOWN);
        EXPECT_EQ(shown(), "0");
        uitest::TypeText(edit, last);
        uitest::Key(edit, VK_UP);
        EXPECT_EQ(processed(), static_cast<int>(depth) - 1);
        EXPECT_EQ(shown(), last);
        EXPECT_TRUE(uitest::RenderToPng(a.get(), PathOf("offset_typed.png")));
    });
}

TEST_F(SyncWindow, TwoWordCaptureWithChipSelect)
{
    RunWindow([&](CVelkaroDlg& d) {
        LoadCapture(TwoPackets(), true);
        auto a = Open(d);
        Configure(*a, 1, 1, 3, 1, {2});
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        ASSERT_EQ(a->GetResult().packets[0].size(), 2u);
        EXPECT_EQ(a->GetResult().packets[0][1].front().value, 0x56u);
    });
}

// Saves the analyser into a settings-file record and reads it back.
std::string Saved(const CSyncAnalyzer& a)
{
    std::ostringstream text;
    {
        boost::archive::xml_oarchive archive(text);
        archive << boost::serialization::make_nvp("sync_analyzer", a);
    }
    return text.str();
}

void Load(CSyncAnalyzer& a, const std::string& xml)
{
    std::istringstream text(xml);
    boost::archive::xml_iarchive archive(text);
    archive >> boost::serialization::make_nvp("sync_analyzer", a);
}

TEST_F(SyncWindow, SettingsRoundTripAndReset)
{
    RunWindow([&](CVelkaroDlg& d) {
        LoadCapture(TwoPackets());
        auto a = Open(d);
        Configure(*a, 1, 1, 3, 1, {2, 6}, 12);
        ShowPage(*a, CSyncAnalyzer::PAGE_CLK);
        Check(&a->GetClockPage(), 1112, true);
        ShowPage(*a, CSyncAnalyzer::PAGE_DATA);
        Check(&a->GetDataPage(), 1127, true);
        ShowPage(*a, CSyncAnalyzer::PAGE_DISPLAY);
        uitest::SelectComboItem(a->GetDisplayPage().GetDlgItem(1128), 2);
        uitest::SelectComboItem(a->GetDisplayPage().GetDlgItem(1129), 0);
        ShowPage(*a, CSyncAnalyzer::PAGE_CONDITION);
        uitest::TypeText(a->GetConditionPage().GetDlgItem(1120), "1234");
        uitest::Click(a->GetConditionPage().GetDlgItem(1119));

        const std::string xml = Saved(*a);
        for (const char* element : {"<tab_clk", "<tab_condition", "<tab_data", "<tab_display", "<tab_results",
                                    "<base", "<clk_fall>1</clk_fall>", "<bit_per_sym>12</bit_per_sym>",
                                    "<start>2</start>", "<use_cs>1</use_cs>", "<cs_active_low>1</cs_active_low>",
                                    "<offset_samples>1234</offset_samples>", "<num_data_nets>2</num_data_nets>",
                                    "<display_clk>2</display_clk>", "<display_data>0</display_data>", "<ptr"})
            EXPECT_NE(xml.find(element), std::string::npos) << element;

        a->Reset();
        EXPECT_FALSE(a->IsWindowVisible());
        EXPECT_EQ(a->GetClockPage().bit_per_sym, 8);
        EXPECT_EQ(a->GetClockPage().clk_fall, 0);
        EXPECT_EQ(a->GetConditionPage().GetOffset(), 0);
        EXPECT_EQ(a->GetConditionPage().use_cs, 0);
        EXPECT_EQ(a->GetDataPage().num_data_nets, 1);
        EXPECT_EQ(a->GetDisplayPage().display_clk, 1);
        EXPECT_EQ(a->GetDisplayPage().display_data, 2);
        EXPECT_EQ(a->GetClockPage().clk_net->GetCurSel(), 0);

        Load(*a, xml);
        a->ShowWindow(SW_SHOW);
        a->OnShowTool(true);
        EXPECT_EQ(Saved(*a), xml);
        EXPECT_EQ(a->GetConditionPage().GetOffset(), 1234);
        EXPECT_EQ(static_cast<CButton*>(a->GetConditionPage().GetDlgItem(1119))->GetCheck(), BST_CHECKED);
        EXPECT_FALSE(a->GetConditionPage().GetDlgItem(1120)->IsWindowEnabled());
        EXPECT_EQ(static_cast<CComboBox*>(a->GetClockPage().GetDlgItem(1113))->GetCurSel(), 8);
        EXPECT_EQ(a->GetDataPage().data_net[1]->SelectedLine(), 6);
        EXPECT_TRUE(a->GetDataPage().data_net[1]->IsWindowEnabled());
        EXPECT_EQ(a->GetConditionPage().cs_net->SelectedLine(), 3);

        // A window made anew (never shown) loads into the pages and combos it made, and keeps
        // an offset beyond the up-down's initial range.
        {
            auto fresh = std::make_unique<CSyncAnalyzer>(&d);
            CTabSyncCondition* const madeCondition = &fresh->GetConditionPage();
            CComboNet* const madeNet = fresh->GetDataPage().data_net[1].get();
            Load(*fresh, xml);
            EXPECT_EQ(&fresh->GetConditionPage(), madeCondition);
            EXPECT_EQ(fresh->GetDataPage().data_net[1].get(), madeNet);
            EXPECT_TRUE(::IsWindow(madeNet->GetSafeHwnd()));
            EXPECT_EQ(fresh->GetConditionPage().GetOffset(), 1234);
        }

        // A stored array of more than four nets is an archive error, never a write past the end.
        std::string tooMany = xml;
        const std::string count = "<count>4</count>";
        const auto at = tooMany.find(count, tooMany.find("<data_net"));
        ASSERT_NE(at, std::string::npos);
        tooMany.replace(at, count.size(), "<count>5</count>");
        EXPECT_THROW(Load(*a, tooMany), boost::archive::archive_exception);
    });
}

// ---- Overlay -----------------------------------------------------------------------------

class SyncOverlay : public SyncWindow {
protected:
    // Decodes TwoPackets on B with the display modes given.
    std::unique_ptr<CSyncAnalyzer> Decoded(CVelkaroDlg& d, int clockMode, int dataMode)
    {
        LoadCapture(TwoPackets());
        auto a = Open(d);
        Configure(*a, 1, 1, 3, 1, {2});
        ShowPage(*a, CSyncAnalyzer::PAGE_DISPLAY);
        uitest::SelectComboItem(a->GetDisplayPage().GetDlgItem(1128), clockMode);
        uitest::SelectComboItem(a->GetDisplayPage().GetDlgItem(1129), dataMode);
        Process(*a);
        EXPECT_TRUE(WaitDecoded(*a));
        return a;
    }
    static std::vector<GdiRecord> Draw(CSyncAnalyzer& a, CVelkaroDlg& d)
    {
        CRecordingDC dc(900, 700);
        a.DrawOverlay(&dc, &d.GetChart());
        std::vector<GdiRecord> drawn;
        for (const GdiRecord& r : dc.Records())
            if (r.op == "LineTo" || r.op == "Arc" || r.op == "TextOut") drawn.push_back(r);
        return drawn;
    }
    static int X(CVelkaroDlg& d, double p) { return d.GetChart().GetBottomAxis()->ValueToScreen(p); }
    static int Y(CVelkaroDlg& d, double v) { return d.GetChart().GetLeftAxis()->ValueToScreen(v); }
};

TEST_F(SyncOverlay, BoxesTicksAndValuesAtTheirScreenPoints)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.la_net_display.fill(1);
        d.digital_bus = {false, false};
        auto a = Decoded(d, 1, 2);
        const SyncResult& r = a->GetResult();
        ASSERT_EQ(r.packets[0].size(), 2u);
        int yOffset = 0;
        WithData([&](OscData& data) { yOffset = data.y_offset[1]; });
        // Net B2 sits two shown rows up.
        const int bottom = Y(d, yOffset + 20);
        const int top = Y(d, yOffset + 28);
        const std::vector<GdiRecord> drawn = Draw(*a, d);

        // Ticks: symbol starts only, counting again from the second packet's first edge.
        std::vector<int> ticks;
        for (const GdiRecord& g : drawn)
            if (g.op == "LineTo" && g.points[0].x == g.points[1].x) {
                EXPECT_EQ(g.points[0].y, top);
                EXPECT_EQ(g.points[1].y, bottom + 1);
                EXPECT_FALSE(g.penGeometric);
                EXPECT_EQ(g.penColor, 0xFFC8C8u);
                ticks.push_back(g.points[0].x);
            }
        const std::vector<int> expectedTicks = {X(d, r.packets[0][0][0].first_sample - 1.0),
                                                X(d, r.packets[0][0][1].first_sample - 1.0),
                                                X(d, r.packets[0][1][0].first_sample - 1.0)};
        EXPECT_EQ(ticks, expectedTicks);

        // Each symbol: "(" at its start, ")" at its end, dashed top and bottom, its value.
        std::vector<std::string> texts;
        int arcs = 0;
        int dashed = 0;
        for (const GdiRecord& g : drawn) {
            if (g.op == "Arc") {
                ++arcs;
                EXPECT_EQ(g.rect.Width(), 8);
                EXPECT_EQ(g.rect.top, top);
                EXPECT_EQ(g.rect.bottom, bottom);
            } else if (g.op == "TextOut") {
                texts.push_back(g.text);
                EXPECT_EQ(g.points[0].y, bottom);
                EXPECT_EQ(g.textAlign, static_cast<UINT>(TA_BOTTOM | TA_CENTER));
                EXPECT_STREQ(g.font.lfFaceName, "Courier New");
            } else if (g.op == "LineTo" && g.penGeometric) {
                ++dashed;
                EXPECT_EQ(g.penDashes, (std::vector<DWORD>{1, 5}));
            }
        }
        EXPECT_EQ(arcs, 6);
        EXPECT_EQ(dashed, 6);
        EXPECT_EQ(texts, (std::vector<std::string>{"12", "34", "56"}));
        const SyncSymbol& first = r.packets[0][0][0];
        const auto arc = std::find_if(drawn.begin(), drawn.end(), [](const GdiRecord& g) { return g.op == "Arc"; });
        ASSERT_NE(arc, drawn.end());
        EXPECT_EQ(arc->rect.left, X(d, first.first_sample - 0.5));
        EXPECT_EQ(arc->points[0], CPoint(arc->rect.left + 4, top));  // "(" runs top to bottom

        // Every clock edge in "Все активные".
        a->GetDisplayPage();
        ShowPage(*a, CSyncAnalyzer::PAGE_DISPLAY);
        uitest::SelectComboItem(a->GetDisplayPage().GetDlgItem(1128), 2);
        Process(*a);
        ASSERT_TRUE(WaitDecoded(*a));
        const auto all = Draw(*a, d);
        EXPECT_EQ(std::count_if(all.begin(), all.end(),
                                [](const GdiRecord& g) { return g.op == "LineTo" && !g.penGeometric && g.points[0].x == g.points[1].x; }),
                  24);
    });
}

TEST_F(SyncOverlay, OffScreenEndsRunToThePlotEdges)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.la_net_display.fill(1);
        auto a = Decoded(d, 0, 1);
        const SyncSymbol& s = a->GetResult().packets[0][0][0];
        // The view starts inside the first symbol: its start is off screen.
        WithData([&](OscData& data) { data.x_offset = static_cast<int>(s.first_sample) + 2; });
        const auto drawn = Draw(*a, d);
        ASSERT_FALSE(drawn.empty());
        // First drawn: the ")" of the first symbol, then its lines from the plot's left edge.
        EXPECT_EQ(drawn[0].op, "Arc");
        ASSERT_GE(drawn.size(), 3u);
        EXPECT_EQ(drawn[1].points[0].x, X(d, 0));
        // Seen from far right: the last symbol's end off screen, lines to the right edge.
        WithData([&](OscData& data) {
            data.x_offset = static_cast<int>(a->GetResult().packets[0][1][0].last_sample) - 300 - 2;
        });
        const auto right = Draw(*a, d);
        ASSERT_FALSE(right.empty());
        EXPECT_EQ(right.back().points[1].x, X(d, 300));
        EXPECT_EQ(right[right.size() - 3].op, "Arc");
    });
}

TEST_F(SyncOverlay, NothingWithoutResultsOrForHiddenAndBusNets)
{
    RunWindow([&](CVelkaroDlg& d) {
        d.la_net_display.fill(1);
        auto a = Decoded(d, 1, 2);
        EXPECT_FALSE(Draw(*a, d).empty());
        d.la_net_display[8 + 2] = 0;
        EXPECT_TRUE(Draw(*a, d).empty());
        d.la_net_display[8 + 2] = 1;
        d.digital_bus[1] = true;
        EXPECT_TRUE(Draw(*a, d).empty());
        d.digital_bus[1] = false;
        WithData([](OscData& data) { data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_LOGIC_B); });
        EXPECT_TRUE(Draw(*a, d).empty());
        WithData([](OscData& data) { data.osc_cr |= OSC_CR_LOGIC_B; });
        a->ClearResults();
        EXPECT_TRUE(Draw(*a, d).empty());

        auto none = Decoded(d, 0, 0);
        EXPECT_TRUE(Draw(*none, d).empty());
    });
}

}  // namespace
