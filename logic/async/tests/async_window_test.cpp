// The asynchronous decoder's window inside the running main window (no instrument): its pages
// as a user meets them, processing of a capture put into the data model by hand, closing, reset
// and the settings record.

#include "logic/async/AsyncAnalyzer.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "support/UartCapture.h"
#include "tools/markers/MarkerDialog.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <filesystem>
#include <sstream>
#include <string>

namespace {

constexpr int kNetB0 = 15;  // entries: A7..A0, then B7..B0
constexpr int kNetB2 = 13;

class AsyncWindowTest : public MainWindowTest {
protected:
    static void UseVariant4()
    {
        CSingleLock lock(&DataLock, TRUE);
        ASSERT_TRUE(SelectOscDataVersion(4, 0));
    }

    static bool Enabled(CWnd& page, int id) { return page.GetDlgItem(id)->IsWindowEnabled() != FALSE; }

    // A stopped, fully read capture: B0 carries "OK" at 10 samples per bit, `gap` samples
    // apart, B2 "!" at 20.
    static void PutCapture(bool logicB = true, int gap = 0)
    {
        UartCapture b0(UartFormat{8, 0, false, 10});
        b0.Idle(100);
        b0.Frame('O');
        b0.Idle(gap);
        b0.Frame('K');
        b0.Idle(2000);
        UartCapture b2(UartFormat{8, 0, false, 20});
        b2.Idle(500);
        b2.Frame('!');
        b2.Idle(2000);
        const std::vector<std::int32_t> words = Merge(b0.Plain(0), 0, b2.Plain(2), 2);
        WithData([&](OscData& data) {
            const std::size_t depth = std::min<std::size_t>(data.GetMemoryDepth(), data.GetSampleBufferLength());
            for (std::size_t i = 0; i < depth; ++i)
                data.sample_buffer[1][i] = i < words.size() ? words[i] : 0x5;
            data.osc_cr = static_cast<std::uint16_t>(data.osc_cr & ~(OSC_CR_MIN_MAX | OSC_CR_LOGIC_B));
            if (logicB)
                data.osc_cr |= OSC_CR_LOGIC_B;
            data.mode |= MODE_STOPPED;
            data.read_state = 3;
            data.x_zoom_in = data.x_zoom_out_hw = data.x_zoom_out_sw = 1;
            data.x_offset = 0;
            data.display_time_step = 1000;  // 1 µs per sample: 100 kbit/s on B0
        });
    }

    static void Process(CAsyncAnalyzer& a)
    {
        uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
        ASSERT_TRUE(uitest::FireTimer(&a, CAsyncAnalyzer::kWaitTimerId));
    }

    static void SelectNet(CAsyncAnalyzer& a, int row, int entry)
    {
        a.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DATA);
        uitest::SelectComboItem(&a.DataPage().Net(row), entry);
    }

    static void Png(CWnd& w, const std::string& name)
    {
        const std::string dir = uitest::OutputPath("logic_async");
        std::filesystem::create_directories(dir);
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(&w, dir + "/" + name + ".png"));
    }

    // The analyser shown on its condition page over a capture of "O" and "K" 15 bit intervals
    // apart on net "RX" (B0): two packets for a time-out below 15, one above.
    static void ShowOverOK(CVelkaroDlg& d, CAsyncAnalyzer& a)
    {
        UseVariant4();
        d.SetNetName("RX", 1, 0);
        PutCapture(true, 150);
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        SelectNet(a, 0, kNetB0);
        a.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_CONDITION);
    }
};

}  // namespace

TEST_F(AsyncWindowTest, PagesAsTheUserMeetsThem)
{
    RunWindow([&](CVelkaroDlg& d) {
        UseVariant4();
        for (int line = 0; line < 8; ++line)
            d.SetNetName("DATA" + std::to_string(line), 1, line);
        CAsyncAnalyzer a;
        EXPECT_FALSE(a.IsWindowVisible());
        CString caption;
        a.GetWindowText(caption);
        EXPECT_EQ(caption, "Анализатор асинхронных интерфейсов");
        ASSERT_EQ(a.Tabs().GetPageCount(), 4);
        const char* const titles[] = {"Условия", "Данные", "Отображение", "Результаты"};
        for (int i = 0; i < 4; ++i) {
            char text[64] = {};
            TCITEM item{};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ASSERT_TRUE(a.Tabs().GetItem(i, &item));
            EXPECT_STREQ(text, titles[i]);
        }
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);

        CTabAsyncCondition& condition = a.ConditionPage();
        EXPECT_EQ(condition.GetTimeout(), 0);
        EXPECT_EQ(condition.GetUseMarkers(), 0);
        uitest::ClickSpin(condition.GetDlgItem(CTabAsyncCondition::kSpinId), true);
        uitest::ClickSpin(condition.GetDlgItem(CTabAsyncCondition::kSpinId), true);
        EXPECT_EQ(condition.GetTimeout(), 2);
        uitest::Click(condition.GetDlgItem(CTabAsyncCondition::kMarkersId));
        EXPECT_EQ(condition.GetUseMarkers(), 1);
        Png(a, "page_condition");

        // Rows beyond the chosen number of nets are disabled; choosing more enables them.
        a.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DATA);
        CTabAsyncData& data = a.DataPage();
        EXPECT_EQ(data.Net(0).GetCount(), 16);
        EXPECT_TRUE(Enabled(data, CTabAsyncData::kNetId));
        EXPECT_FALSE(Enabled(data, CTabAsyncData::kNetId + 1));
        EXPECT_FALSE(Enabled(data, CTabAsyncData::kParityId + 3));
        auto* count = static_cast<CComboBox*>(data.GetDlgItem(CTabAsyncData::kCountId));
        uitest::SelectComboItem(count, 2);
        EXPECT_EQ(data.num_data_nets, 3);
        for (int row = 0; row < 4; ++row)
            for (const int id : {CTabAsyncData::kNetId, CTabAsyncData::kMsbId, CTabAsyncData::kBitsId,
                                 CTabAsyncData::kParityId})
                EXPECT_EQ(Enabled(data, id + row), row < 3) << id + row;
        uitest::SelectComboItem(data.GetDlgItem(CTabAsyncData::kBitsId + 1), 1);
        uitest::SelectComboItem(data.GetDlgItem(CTabAsyncData::kParityId + 1), 4);
        uitest::Click(data.GetDlgItem(CTabAsyncData::kMsbId + 2));
        EXPECT_EQ(data.num_data[1], 5);
        EXPECT_EQ(data.parity[1], PARITY_SPACE);
        EXPECT_EQ(data.msb[2], 1);
        uitest::SelectComboItem(&data.Net(0), kNetB2);
        EXPECT_EQ(data.Net(0).SelectedName(), "DATA2");
        Png(a, "page_data");

        a.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DISPLAY);
        EXPECT_EQ(a.DisplayPage().GetMode(), CTabAsyncDisplay::BOUNDS_AND_VALUE);
        uitest::SelectComboItem(a.DisplayPage().GetDlgItem(CTabAsyncDisplay::kComboId), 1);
        EXPECT_EQ(a.DisplayPage().GetMode(), CTabAsyncDisplay::START_STOP);
        Png(a, "page_display");

        // Reset: the start settings, the window hidden.
        a.Reset();
        EXPECT_FALSE(a.IsWindowVisible());
        EXPECT_EQ(condition.GetTimeout(), 0);
        EXPECT_EQ(condition.GetUseMarkers(), 0);
        EXPECT_EQ(data.num_data_nets, 1);
        EXPECT_EQ(data.num_data[1], 8);
        EXPECT_EQ(data.parity[1], PARITY_NONE);
        EXPECT_EQ(data.msb[2], 0);
        EXPECT_FALSE(Enabled(data, CTabAsyncData::kNetId + 1));
        EXPECT_EQ(a.DisplayPage().GetMode(), CTabAsyncDisplay::BOUNDS_AND_VALUE);
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        EXPECT_EQ(data.Net(0).GetCurSel(), 0) << "the remembered net is back to the first";
    });
}

TEST_F(AsyncWindowTest, ProcessingAStoppedCaptureShowsTheResults)
{
    RunWindow([&](CVelkaroDlg& d) {
        UseVariant4();
        d.SetNetName("RX", 1, 0);
        d.SetNetName("SLOW", 1, 2);
        PutCapture();
        CAsyncAnalyzer a;
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        uitest::SelectComboItem(a.DataPage().GetDlgItem(CTabAsyncData::kCountId), 1);
        SelectNet(a, 0, kNetB0);
        SelectNet(a, 1, kNetB2);
        Process(a);
        EXPECT_EQ(uitest::TimerPeriod(&a, CAsyncAnalyzer::kWaitTimerId), 0) << "decoded at once: nothing to wait for";
        EXPECT_EQ(a.Tabs().GetCurSel(), CAsyncAnalyzer::PAGE_RESULTS);
        EXPECT_EQ(a.ResultsPage().GetText(),
                  "Цепь RX\r\nСкорость 100.000 kHz\r\nПосылка №1:\r\n4F 4B \r\n"
                  "Цепь SLOW\r\nСкорость 50.000 kHz\r\nПосылка №1:\r\n21 \r\n");
        CString shown;
        a.ResultsPage().GetDlgItemText(CTabAsyncResults::kEditId, shown);
        EXPECT_EQ(shown, a.ResultsPage().GetText());
        ASSERT_EQ(a.Packets(0).size(), 1u);
        EXPECT_EQ(a.Packets(0)[0][0].first_sample, 100u);
        Png(a, "page_results");

        // Closing after processing a stopped capture leaves it stopped.
        uitest::Click(a.GetDlgItem(IDCANCEL));
        EXPECT_FALSE(a.IsWindowVisible());
        WithData([](OscData& data) { EXPECT_NE(data.mode & MODE_STOPPED, 0u); });

        a.ClearResults();
        EXPECT_TRUE(a.Packets(0).empty());
        EXPECT_EQ(a.ResultsPage().GetText(), "");
    });
}

TEST_F(AsyncWindowTest, ATimeoutTypedIntoTheEditIsTheOneProcessedAndStored)
{
    RunWindow([&](CVelkaroDlg& d) {
        // Two packets for a time-out of 1, one for 20.
        CAsyncAnalyzer a;
        ShowOverOK(d, a);
        CTabAsyncCondition& condition = a.ConditionPage();
        uitest::ClickSpin(condition.GetDlgItem(CTabAsyncCondition::kSpinId), true);
        uitest::TypeText(condition.GetDlgItem(CTabAsyncCondition::kEditId), "20");
        Process(a);
        EXPECT_EQ(a.GetSnapshot().timeout, 20);
        EXPECT_EQ(a.ResultsPage().GetText(), "Цепь RX\r\nСкорость 100.000 kHz\r\nПосылка №1:\r\n4F 4B \r\n");

        std::ostringstream text;
        {
            boost::archive::xml_oarchive archive(text);
            archive << boost::serialization::make_nvp("async_analyzer", static_cast<const CAsyncAnalyzer&>(a));
        }
        EXPECT_NE(text.str().find("<timeout_bit>20</timeout_bit>"), std::string::npos) << text.str();
    });
}

TEST_F(AsyncWindowTest, TheTimeoutEditTakesDigitsAndShowsTheTimeoutProcessed)
{
    RunWindow([&](CVelkaroDlg& d) {
        CAsyncAnalyzer a;
        ShowOverOK(d, a);
        CWnd* edit = a.ConditionPage().GetDlgItem(CTabAsyncCondition::kEditId);
        auto shown = [&] {
            CString text;
            edit->GetWindowText(text);
            return text;
        };
        auto processed = [&] {
            Process(a);
            a.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_CONDITION);
            return a.GetSnapshot().timeout;
        };

        // Letters and a sign are refused: "abc" over the selected "0" leaves it be.
        uitest::TypeText(edit, "abc");
        EXPECT_EQ(shown(), "0");
        uitest::TypeText(edit, "-5");
        EXPECT_EQ(shown(), "5");
        EXPECT_EQ(processed(), 5);
        EXPECT_EQ(a.Packets(0).size(), 2u);

        // Past the range's end: the end is processed and shown.
        uitest::TypeText(edit, "500");
        EXPECT_EQ(processed(), CTabAsyncCondition::kTimeoutMax);
        EXPECT_EQ(shown(), std::to_string(CTabAsyncCondition::kTimeoutMax));
        EXPECT_EQ(a.Packets(0).size(), 1u);

        // Emptied: the time-out of before is processed, and shown again.
        uitest::TypeText(edit, "7");
        EXPECT_EQ(processed(), 7);
        uitest::TypeText(edit, "");
        EXPECT_EQ(processed(), 7);
        EXPECT_EQ(shown(), "7");
        EXPECT_EQ(a.Packets(0).size(), 2u);

        // Up and Down in the edit step the time-out, within its range.
        uitest::Key(edit, VK_UP);
        EXPECT_EQ(shown(), "8");
        uitest::Key(edit, VK_DOWN);
        uitest::Key(edit, VK_DOWN);
        EXPECT_EQ(processed(), 6);
        uitest::TypeText(edit, "1");
        uitest::Key(edit, VK_DOWN);
        uitest::Key(edit, VK_DOWN);
        EXPECT_EQ(shown(), "0");
        uitest::TypeText(edit, "100");
        uitest::Key(edit, VK_UP);
        EXPECT_EQ(processed(), 100);
        EXPECT_EQ(shown(), "100");
        Png(a, "timeout_typed");
    });
}

TEST_F(AsyncWindowTest, SpeedIsPerStoredSampleWhateverTheZoom)
{
    // B0 has 10 stored samples a bit and a screen point lasts 1 µs: the speed depends on how
    // many stored samples one point covers (hw * sw / zin), not on the point alone.
    struct Case {
        int hw, sw, zin;
        const char* speed;
    };
    const Case cases[] = {
        {1, 1, 1, "100.000 kHz"},
        {2, 1, 1, "200.000 kHz"},
        {2, 3, 1, "600.000 kHz"},
        {1, 1, 4, "25.000 kHz"},
        {2, 1, 4, "50.000 kHz"},
    };
    RunWindow([&](CVelkaroDlg& d) {
        UseVariant4();
        d.SetNetName("RX", 1, 0);
        CAsyncAnalyzer a;
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        SelectNet(a, 0, kNetB0);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.hw) + " x " + std::to_string(c.sw) + " / " + std::to_string(c.zin));
            PutCapture();
            WithData([&](OscData& data) {
                data.x_zoom_out_hw = c.hw;
                data.x_zoom_out_sw = c.sw;
                data.x_zoom_in = c.zin;
            });
            Process(a);
            EXPECT_EQ(a.ResultsPage().GetText().rfind(std::string("Цепь RX\r\nСкорость ") + c.speed + "\r\n", 0), 0u)
                << a.ResultsPage().GetText();
        }
    });
}

TEST_F(AsyncWindowTest, ProcessingRefusesNetsOutsideLogicMode)
{
    RunWindow([&](CVelkaroDlg&) {
        UseVariant4();
        PutCapture(false);
        CAsyncAnalyzer a;
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        SelectNet(a, 0, kNetB0);
        std::string text;
        uitest::AnswerNextMessageBox(IDOK, &text);
        uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
        EXPECT_EQ(text, "Для анализа выбрана цепь канала, не находящегося в режиме ЛА!");
        EXPECT_EQ(uitest::TimerPeriod(&a, CAsyncAnalyzer::kWaitTimerId), 0);

        // An empty net list (variant without logic lines) is no net: refused the same way.
        {
            CSingleLock lock(&DataLock, TRUE);
            ASSERT_TRUE(SelectOscDataVersion(1, 10));
            GetOscData()->osc_cr |= OSC_CR_LOGIC_A | OSC_CR_LOGIC_B;
        }
        a.OnShowTool(true);
        EXPECT_EQ(a.DataPage().Net(0).GetCount(), 0);
        text.clear();
        uitest::AnswerNextMessageBox(IDOK, &text);
        uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
        EXPECT_EQ(text, "Для анализа выбрана цепь канала, не находящегося в режиме ЛА!");
    });
}

TEST_F(AsyncWindowTest, RunningCaptureIsStoppedOrSingleShotAndClosingResumesOnlyThat)
{
    struct Case {
        const char* name;
        bool running;
        bool trigger;
        std::uint32_t modeWhileWaiting;  // MODE_STOPPED | MODE_SINGLE
        bool stoppedAfterClose;
    };
    const Case cases[] = {
        {"running, free", true, false, MODE_STOPPED, false},
        {"running, triggered", true, true, MODE_SINGLE, false},
        {"stopped", false, false, MODE_STOPPED, true},
    };
    RunWindow([&](CVelkaroDlg&) {
        UseVariant4();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            PutCapture();
            WithData([&](OscData& data) {
                data.mode &= ~(MODE_STOPPED | MODE_SINGLE);
                if (!c.running)
                    data.mode |= MODE_STOPPED;
                data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON);
                data.trigger_dir[0] = data.trigger_dir[1] = data.trigger_dir[2] = 0;
                if (c.trigger) {
                    data.osc_cr |= OSC_CR_TRIGGER_ON;
                    data.trigger_dir[0] = 1;
                }
                data.read_state = 1;
            });
            ASSERT_EQ(GetOscData()->GetTriggerSource() != 0, c.trigger);
            CAsyncAnalyzer a;
            a.ShowWindow(SW_SHOW);
            a.OnShowTool(true);
            SelectNet(a, 0, kNetB0);
            uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
            WithData([&](OscData& data) { EXPECT_EQ(data.mode & (MODE_STOPPED | MODE_SINGLE), c.modeWhileWaiting); });
            // Channel A still being read: no decoding yet.
            EXPECT_TRUE(uitest::FireTimer(&a, CAsyncAnalyzer::kWaitTimerId));
            EXPECT_TRUE(a.Packets(0).empty());
            EXPECT_EQ(uitest::TimerPeriod(&a, CAsyncAnalyzer::kWaitTimerId), 200);
            WithData([&](OscData& data) {
                data.read_state = 3;
                if (c.trigger)  // the single shot ended
                    data.mode = (data.mode & ~MODE_SINGLE) | MODE_STOPPED;
            });
            EXPECT_TRUE(uitest::FireTimer(&a, CAsyncAnalyzer::kWaitTimerId));
            EXPECT_EQ(a.Packets(0).size(), 1u);
            uitest::Click(a.GetDlgItem(IDCANCEL));
            WithData([&](OscData& data) { EXPECT_EQ((data.mode & MODE_STOPPED) != 0, c.stoppedAfterClose); });
        }

        // A second close after the user stopped the capture again leaves it stopped.
        {
            CAsyncAnalyzer a;
            WithData([](OscData& data) { data.mode &= ~(MODE_STOPPED | MODE_SINGLE); });
            PutCapture();
            WithData([](OscData& data) {
                data.mode &= ~MODE_STOPPED;
                data.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_TRIGGER_ON);
                data.read_state = 1;
            });
            a.ShowWindow(SW_SHOW);
            a.OnShowTool(true);
            SelectNet(a, 0, kNetB0);
            uitest::Click(a.GetDlgItem(CAsyncAnalyzer::kProcessId));
            EXPECT_EQ(uitest::TimerPeriod(&a, CAsyncAnalyzer::kWaitTimerId), 200);
            // Closed while still waiting: resumed, and the wait is given up.
            uitest::Click(a.GetDlgItem(IDCANCEL));
            EXPECT_EQ(uitest::TimerPeriod(&a, CAsyncAnalyzer::kWaitTimerId), 0);
            WithData([](OscData& data) {
                EXPECT_EQ(data.mode & MODE_STOPPED, 0u);
                data.ToggleStop();  // the user stops it
            });
            a.ShowWindow(SW_SHOW);
            uitest::Click(a.GetDlgItem(IDCANCEL));
            WithData([](OscData& data) { EXPECT_NE(data.mode & MODE_STOPPED, 0u) << "the second close restarted it"; });
        }

        // A window closed before any processing resumes nothing.
        WithData([](OscData& data) { data.mode |= MODE_STOPPED; });
        CAsyncAnalyzer fresh;
        fresh.ShowWindow(SW_SHOW);
        uitest::Click(fresh.GetDlgItem(IDCANCEL));
        WithData([](OscData& data) { EXPECT_NE(data.mode & MODE_STOPPED, 0u); });
    });
}

TEST_F(AsyncWindowTest, MarkerRangeLimitsDecoding)
{
    CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
        if (slot != CToolDialogList::MARKER)
            return nullptr;
        return std::make_unique<CMarkerDialog>(&main);
    });
    RunWindow([&](CVelkaroDlg& d) {
        UseVariant4();
        PutCapture();
        auto* markers = dynamic_cast<CMarkerDialog*>(d.GetToolDialog(CToolDialogList::MARKER));
        ASSERT_NE(markers, nullptr);
        CAsyncAnalyzer a;
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        SelectNet(a, 0, kNetB0);
        a.ConditionPage().SetValues(0, 1);

        struct Case {
            double m0, m1;
            int x_offset;
            std::vector<std::uint32_t> starts;
        };
        // B0: 'O' from sample 100, 'K' from 200 (stop middle 295). Markers in either order;
        // markers beyond the memory are its last sample: nothing left to decode. The offset is
        // in points and adds to the markers' positions.
        const Case cases[] = {
            {95, 299, 0, {100, 200}},
            {299, 195, 0, {200}},
            {150, 254, 45, {200}},
            {-500, 299, 0, {100, 200}},  // a marker before the memory is its first sample
            {0, 299, 100000, {}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::to_string(c.m0) + ".." + std::to_string(c.m1));
            markers->v_marker_x = {c.m0, c.m1};
            WithData([&](OscData& data) { data.x_offset = c.x_offset; });
            Process(a);
            std::vector<std::uint32_t> starts;
            for (const AsyncPacket& p : a.Packets(0))
                for (const AsyncFrame& f : p)
                    starts.push_back(f.first_sample);
            EXPECT_EQ(starts, c.starts);
        }
        // The whole buffer again when the radio says so.
        a.ConditionPage().SetValues(0, 0);
        Process(a);
        ASSERT_EQ(a.Packets(0).size(), 1u);
        EXPECT_EQ(a.Packets(0)[0].size(), 2u);
    });
    CVelkaroDlg::SetToolWindowFactory({});
}

TEST_F(AsyncWindowTest, SettingsRoundTrip)
{
    std::string saved;
    RunWindow([&](CVelkaroDlg&) {
        UseVariant4();
        CAsyncAnalyzer a;
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        a.ConditionPage().SetValues(7, 1);
        a.Tabs().SetActivePage(CAsyncAnalyzer::PAGE_DATA);
        CTabAsyncData& data = a.DataPage();
        uitest::SelectComboItem(data.GetDlgItem(CTabAsyncData::kCountId), 3);
        for (int row = 0; row < 4; ++row) {
            uitest::SelectComboItem(&data.Net(row), 12 + row);
            uitest::SelectComboItem(data.GetDlgItem(CTabAsyncData::kBitsId + row), row);
            uitest::SelectComboItem(data.GetDlgItem(CTabAsyncData::kParityId + row), row + 1);
        }
        uitest::Click(data.GetDlgItem(CTabAsyncData::kMsbId + 1));
        a.DisplayPage().SetMode(CTabAsyncDisplay::BOUNDS);
        std::ostringstream text;
        {
            boost::archive::xml_oarchive archive(text);
            archive << boost::serialization::make_nvp("async_analyzer", static_cast<const CAsyncAnalyzer&>(a));
        }
        saved = text.str();
    });
    for (const char* element : {"<tab_condition", "<ptr", "<timeout_bit>7</timeout_bit>", "<use_markers>1</use_markers>",
                                "<num_data_nets>4</num_data_nets>", "<data_net", "<cur_sel>14</cur_sel>", "<msb",
                                "<num_data", "<parity", "<display_data>2</display_data>", "<tab_results", "<base"})
        EXPECT_NE(saved.find(element), std::string::npos) << element;

    RunWindow([&](CVelkaroDlg&) {
        UseVariant4();
        CAsyncAnalyzer a;
        // Loading fills the pages and combos the window made, never new windowless ones.
        CTabAsyncData* const madeData = &a.DataPage();
        CComboNet* const madeNet = &a.DataPage().Net(3);
        CTabAsyncCondition* const madeCondition = &a.ConditionPage();
        {
            std::istringstream text(saved);
            boost::archive::xml_iarchive archive(text);
            archive >> boost::serialization::make_nvp("async_analyzer", a);
        }
        EXPECT_EQ(&a.DataPage(), madeData);
        EXPECT_EQ(&a.DataPage().Net(3), madeNet);
        EXPECT_EQ(&a.ConditionPage(), madeCondition);
        EXPECT_TRUE(::IsWindow(a.DataPage().Net(3).GetSafeHwnd()));
        EXPECT_EQ(a.ConditionPage().GetTimeout(), 7);
        EXPECT_EQ(a.ConditionPage().GetUseMarkers(), 1);
        CTabAsyncData& data = a.DataPage();
        EXPECT_EQ(data.num_data_nets, 4);
        EXPECT_TRUE(Enabled(data, CTabAsyncData::kNetId + 3));
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(data.num_data[static_cast<std::size_t>(row)], 4 + row);
            EXPECT_EQ(data.parity[static_cast<std::size_t>(row)], row + 1);
            EXPECT_EQ(data.msb[static_cast<std::size_t>(row)], row == 1 ? 1 : 0);
        }
        EXPECT_EQ(a.DisplayPage().GetMode(), CTabAsyncDisplay::BOUNDS);
        a.ShowWindow(SW_SHOW);
        a.OnShowTool(true);
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(data.Net(row).GetCurSel(), 12 + row);
        auto* bits = static_cast<CComboBox*>(data.GetDlgItem(CTabAsyncData::kBitsId + 2));
        EXPECT_EQ(bits->GetCurSel(), 2);

        // A reset shows and stores the first net in every list, filled or not.
        a.Reset();
        for (int row = 0; row < 4; ++row)
            EXPECT_EQ(data.Net(row).GetCurSel(), 0) << row;
        std::ostringstream text;
        {
            boost::archive::xml_oarchive archive(text);
            archive << boost::serialization::make_nvp("async_analyzer", static_cast<const CAsyncAnalyzer&>(a));
        }
        EXPECT_EQ(text.str().find("<cur_sel>1"), std::string::npos) << text.str();
    });

    // More than four stored nets is an archive error, not a write past the array.
    std::string tooMany = saved;
    const std::size_t at = tooMany.find("<count>4</count>", tooMany.find("<data_net"));
    ASSERT_NE(at, std::string::npos);
    tooMany.replace(at, 16, "<count>5</count>");
    RunWindow([&](CVelkaroDlg&) {
        CAsyncAnalyzer a;
        std::istringstream text(tooMany);
        boost::archive::xml_iarchive archive(text);
        EXPECT_THROW(archive >> boost::serialization::make_nvp("async_analyzer", a), boost::archive::archive_exception);
    });
}
