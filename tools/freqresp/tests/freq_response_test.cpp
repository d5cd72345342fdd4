// The frequency response without an instrument: the divider list of every variant, the dB
// rules, what "Начать" and "Закрыть" leave in the data model, and the response window's curves.

#include "tools/freqresp/CDialogFRParam.h"
#include "tools/freqresp/CDialogFreqResponse.h"
#include "tools/freqresp/FreqResponsePlan.h"

#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/testing/LeftOpen.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"
#include "widgets/chart/ChartLineSerie.h"
#include "widgets/chart/ChartPointsSerie.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>

namespace {

std::string Png(const std::string& name)
{
    const std::string dir = uitest::OutputPath("tools_freqresp");
    std::filesystem::create_directories(dir);
    return dir + "/" + name + ".png";
}

std::string Text(CWnd* w)
{
    CString s;
    w->GetWindowText(s);
    return s;
}

void WithData(const std::function<void(OscData&)>& f)
{
    CSingleLock lock(&DataLock, TRUE);
    f(*GetOscData());
}

class FreqResponse : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterVelkaroResources());
        DeleteOscData();
    }
    void TearDown() override
    {
        uitest::ProcessEvents();
        DeleteOscData();
    }

    // Runs the parameters dialog with the user's actions inside its modal loop.
    static INT_PTR Run(const std::function<void(CDialogFRParam&)>& user)
    {
        CDialogFRParam dialog;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            uitest::ProcessEvents();
            user(dialog);
            uitest::EndIfLeftOpen(m, "the test's actions");
        });
        return dialog.DoModal();
    }
};

bool IsDecadeStep(std::uint32_t v)
{
    // n followed by nines, n = 1..9 (or 0 for the divider 0)
    std::uint64_t x = std::uint64_t{v} + 1;
    while (x % 10 == 0) x /= 10;
    return x >= 1 && x <= 10;
}

}  // namespace

TEST(DividerList, FortyMegahertzAtEightyMegasamplesStepsDecadesDownToOneHundredHertz)
{
    const std::vector<std::uint32_t> list = BuildDividerList(40000000, 80000);
    ASSERT_EQ(list.size(), 46u);
    const std::vector<std::uint32_t> head = {3, 4, 5, 6, 7, 8, 9, 19, 29, 39, 49, 59, 69, 79, 89, 99, 199};
    EXPECT_EQ(std::vector<std::uint32_t>(list.begin(), list.begin() + 17), head);
    EXPECT_EQ(list.back(), 399999u);
    EXPECT_DOUBLE_EQ(40000000 / (list.back() + 1.0), 100.0);
}

TEST(DividerList, EveryVariantFromAnEighthOfItsTopRateToOneHundredHertz)
{
    for (int version = 1; version <= 5; ++version) {
        std::uint32_t clock = 0;
        std::uint32_t rate = 0;
        {
            CSingleLock lock(&DataLock, TRUE);
            ASSERT_TRUE(SelectOscDataVersion(version, 0));
            clock = GetOscData()->GetBaseClock();
            rate = GetOscData()->GetMaxSampleRateKHz();
        }
        SCOPED_TRACE("version " + std::to_string(version));
        const std::vector<std::uint32_t> list = BuildDividerList(clock, rate);
        ASSERT_FALSE(list.empty());
        ASSERT_LE(list.size(), kMaxResponsePoints);
        // The first point lies at or just below an eighth of the top rate.
        const double first = clock / (list.front() + 1.0);
        EXPECT_LE(first, rate * 1000.0 / 8 + 1e-9);
        EXPECT_GT(first, rate * 1000.0 / 8 / 10);
        // The last point is the lowest step at or above 100 Hz (steps are at most 2:1 apart).
        const double last = clock / (list.back() + 1.0);
        EXPECT_GE(last, 100.0);
        EXPECT_LT(last, 200.0);
        for (std::size_t i = 0; i < list.size(); ++i) {
            EXPECT_TRUE(IsDecadeStep(list[i])) << list[i];
            if (i > 0) {
                EXPECT_GT(list[i], list[i - 1]);
            }
        }
    }
    DeleteOscData();
}

TEST(DividerList, DegenerateClocksAndRatesGiveAShortOrEmptyListNeverAnOverflow)
{
    EXPECT_TRUE(BuildDividerList(99, 80000).empty()) << "cannot reach 100 Hz";
    EXPECT_TRUE(BuildDividerList(40000000, 0).empty());
    // The largest clock and rate: the rate in Hz passes 32 bits without wrapping, and every
    // decade from the generator's top down to 100 Hz is there.
    const auto big = BuildDividerList(4294967295u, 4000000000u);
    ASSERT_EQ(big.size(), 67u);
    EXPECT_EQ(big.front(), 0u);
    EXPECT_EQ(big.back(), 39999999u);
    for (std::size_t i = 1; i < big.size(); ++i) EXPECT_GT(big[i], big[i - 1]);
}

TEST(ResponseLevels, DecibelRules)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        int x;
        int expected;
        double half;
        double db;
    };
    const Case cases[] = {
        {50, 50, 50, 0.0},                           // as expected
        {0, 0, 50, 0.0},                             // both 0
        {0, 0, 0, 0.0},                              // both 0 with no span
        {0, 50, 50, kSilentDb},                      // nothing measured
        {25, 50, 50, 20 * std::log10(0.5)},          // half the level
        {-100, 50, 50, 20 * std::log10(2.0)},        // sign does not matter
        {150, 0, 50, 20 * std::log10(2.0)},          // against the middle of the span
        {25, 0, 50, 20 * std::log10(0.5)},
        {3, 0, 0, inf},                              // no span: not a level
    };
    for (const Case& c : cases) {
        const double db = ResponseDb(c.x, c.expected, c.half);
        if (std::isinf(c.db)) {
            EXPECT_TRUE(std::isinf(db)) << c.x;
        } else {
            EXPECT_NEAR(db, c.db, 1e-12) << c.x << " vs " << c.expected;
        }
    }
    // What is drawn.
    EXPECT_FALSE(DrawMeanOrMinimum(kSilentDb));
    EXPECT_TRUE(DrawMeanOrMinimum(-99.9));
    EXPECT_TRUE(DrawMaximum(kSilentDb));
    for (double bad : {inf, -inf, std::nan("")}) {
        EXPECT_FALSE(DrawMeanOrMinimum(bad));
        EXPECT_FALSE(DrawMaximum(bad));
    }
}

TEST_F(FreqResponse, ResponseWindowDrawsTheCurvesByTheirRules)
{
    CDialogFreqResponse response;
    for (int i = 0; i < 20; ++i) {
        const double f = 100.0 * std::pow(10.0, i / 4.0);
        const double g = 20 * std::log10(1 / std::sqrt(1 + std::pow(f / 20000, 2)));
        response.points.push_back({f, g - 1, g - 3, g});
    }
    response.points.push_back({2e6, kSilentDb, kSilentDb, kSilentDb});  // silent: only the maximum
    response.points.push_back({3e6, std::nan(""), -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::infinity()});  // no span: nothing
    response.points.push_back({0.0, -1, -1, -1});  // no place on a logarithmic axis
    std::string caption;
    CSize smallest;
    CSize frame;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        uitest::ProcessEvents();
        caption = Text(m.window);
        CRect outer;
        CRect client;
        m.window->GetWindowRect(&outer);
        m.window->GetClientRect(&client);
        frame = outer.Size() - client.Size();
        smallest = uitest::SmallestClientSize(m.window);
        EXPECT_TRUE(uitest::RenderToPng(m.window, Png("response")));
        uitest::CloseWindow(m.window);
    });
    EXPECT_EQ(response.DoModal(), IDCANCEL);
    EXPECT_EQ(caption, "АЧХ");
    EXPECT_EQ(smallest, CSize(CDialogFreqResponse::kMinWidth, CDialogFreqResponse::kMinHeight) - frame)
        << "the window manager is told how small the window goes";
    EXPECT_EQ(response.GetLine(0)->GetPointsCount(), 20u);
    EXPECT_EQ(response.GetLine(1)->GetPointsCount(), 20u);
    EXPECT_EQ(response.GetLine(2)->GetPointsCount(), 21u);
    EXPECT_EQ(response.GetMarks(2)->GetPointsCount(), 21u);
    bool silentDrawn = false;
    for (unsigned i = 0; i < response.GetLine(2)->GetPointsCount(); ++i)
        silentDrawn = silentDrawn || response.GetLine(2)->GetPoint(i).Y == kSilentDb;
    EXPECT_TRUE(silentDrawn) << "a maximum of -100 dB is drawn";
    EXPECT_EQ(response.GetLine(0)->GetName(), "Среднее");
    EXPECT_EQ(response.GetLine(1)->GetName(), "Минимум");
    EXPECT_EQ(response.GetLine(2)->GetName(), "Максимум");
    EXPECT_EQ(response.GetLine(0)->GetColor(), 0xFF0000u);
    EXPECT_EQ(response.GetMarks(1)->GetColor(), 0x00FF00u);
}

TEST_F(FreqResponse, StartHandsTheRunToTheModelAndCloseStopsIt)
{
    WithData([](OscData&) { ASSERT_TRUE(SelectOscDataVersion(1, 0)); });
    WithData([](OscData& d) {
        d.mode |= MODE_LINKED;  // the main window runs the dialog only then
        d.status |= STATUS_FR_DONE;  // left over from an earlier run
        d.freq_response.ave[7] = 55;
        d.freq_response.max[99] = -3;
    });
    const INT_PTR result = Run([&](CDialogFRParam& dlg) {
        // Defaults, and the volts texts of them.
        EXPECT_EQ(Text(dlg.GetDlgItem(CDialogFRParam::IDC_MAXIMUM)), "100");
        EXPECT_EQ(dlg.IsDlgButtonChecked(CDialogFRParam::IDC_CHANNEL_A), 1u);
        EXPECT_EQ(dlg.IsDlgButtonChecked(CDialogFRParam::IDC_CALIBRATION), 1u);
        EXPECT_FALSE(Text(dlg.GetDlgItem(CDialogFRParam::IDC_MAXIMUM_VOLTS)).empty());
        EXPECT_TRUE(uitest::RenderToPng(&dlg, Png("parameters")));

        // A stale "done" from before this dialog's start is not this run's end.
        ASSERT_TRUE(uitest::FireTimer(&dlg, CDialogFRParam::kProgressTimer));
        EXPECT_TRUE(dlg.IsWindowVisible());

        uitest::Click(dlg.GetDlgItem(CDialogFRParam::IDC_CHANNEL_B));
        uitest::TypeText(dlg.GetDlgItem(CDialogFRParam::IDC_MAXIMUM), "90");
        const std::string volts90 = Text(dlg.GetDlgItem(CDialogFRParam::IDC_MAXIMUM_VOLTS));
        uitest::TypeText(dlg.GetDlgItem(CDialogFRParam::IDC_MAXIMUM), "45");
        EXPECT_NE(Text(dlg.GetDlgItem(CDialogFRParam::IDC_MAXIMUM_VOLTS)), volts90) << "follows the edit";
        uitest::Click(dlg.GetDlgItem(CDialogFRParam::IDC_START));
        EXPECT_TRUE(dlg.Running());
        for (int id : {CDialogFRParam::IDC_START, CDialogFRParam::IDC_CHANNEL_A, CDialogFRParam::IDC_MAXIMUM,
                       CDialogFRParam::IDC_FROM_MEASUREMENTS, CDialogFRParam::IDC_CALIBRATION})
            EXPECT_FALSE(dlg.GetDlgItem(id)->IsWindowEnabled()) << id;
        WithData([](OscData& d) {
            const auto list = BuildDividerList(d.GetBaseClock(), d.GetMaxSampleRateKHz());
            const FreqResponseRun& fr = d.freq_response;
            ASSERT_EQ(fr.count, static_cast<int>(list.size()));
            EXPECT_TRUE(std::equal(list.begin(), list.end(), fr.freq));
            EXPECT_EQ(fr.channel, 1);
            EXPECT_EQ(fr.delay, 20);
            EXPECT_EQ(fr.time_ms, 300);
            EXPECT_EQ(fr.index, 0);
            EXPECT_EQ(fr.ave[7], 0) << "measured levels of an earlier run are cleared";
            EXPECT_EQ(fr.max[99], 0);
            EXPECT_NE(d.mode & MODE_FREQ_RESPONSE, 0u);
            EXPECT_EQ(d.status & STATUS_FR_DONE, 0u);
            // The dispatcher is half way.
            d.freq_response.index = 5;
        });
        ASSERT_TRUE(uitest::FireTimer(&dlg, CDialogFRParam::kProgressTimer));
        auto* bar = static_cast<CProgressCtrl*>(dlg.GetDlgItem(CDialogFRParam::IDC_PROGRESS));
        EXPECT_EQ(bar->GetPos(), 5);
        EXPECT_TRUE(uitest::RenderToPng(&dlg, Png("parameters_running")));
        uitest::Click(dlg.GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(result, IDCANCEL);
    WithData([](OscData& d) {
        EXPECT_EQ(d.mode & MODE_FREQ_RESPONSE, 0u);
        EXPECT_EQ(d.freq_response.index, 0);
    });
}

// A run that can no longer end never keeps the dialog waiting: a replaced model has lost the
// run's state, a lost link every further point.
TEST_F(FreqResponse, ARunWhoseModelIsReplacedOrWhoseLinkIsLostEndsAtOnce)
{
    WithData([](OscData&) { ASSERT_TRUE(SelectOscDataVersion(1, 10)); });
    WithData([](OscData& d) { d.mode |= MODE_LINKED; });
    std::string box;
    const INT_PTR result = Run([&](CDialogFRParam& dlg) {
        uitest::Click(dlg.GetDlgItem(CDialogFRParam::IDC_START));
        ASSERT_TRUE(dlg.Running());
        // The instrument reports another variant: its model replaces the run's.
        WithData([](OscData& d) {
            d.freq_response.index = 4;
            ASSERT_TRUE(SelectOscDataVersion(3, 2));
            GetOscData()->mode |= MODE_LINKED;
        });
        ASSERT_TRUE(uitest::FireTimer(&dlg, CDialogFRParam::kProgressTimer));
        EXPECT_FALSE(dlg.Running());
        EXPECT_TRUE(dlg.ContinueModal());
        for (int id : {CDialogFRParam::IDC_START, CDialogFRParam::IDC_CHANNEL_A, CDialogFRParam::IDC_MAXIMUM,
                       CDialogFRParam::IDC_FROM_MEASUREMENTS, CDialogFRParam::IDC_CALIBRATION})
            EXPECT_TRUE(dlg.GetDlgItem(id)->IsWindowEnabled()) << id;
        auto* bar = static_cast<CProgressCtrl*>(dlg.GetDlgItem(CDialogFRParam::IDC_PROGRESS));
        EXPECT_EQ(bar->GetPos(), 0);
        WithData([](OscData& d) { EXPECT_EQ(d.mode & MODE_FREQ_RESPONSE, 0u); });

        // A new run on the new model goes on as long as the link stays.
        uitest::Click(dlg.GetDlgItem(CDialogFRParam::IDC_START));
        ASSERT_TRUE(dlg.Running());
        ASSERT_TRUE(uitest::FireTimer(&dlg, CDialogFRParam::kProgressTimer));
        EXPECT_TRUE(dlg.Running());

        // The link is lost: the run ends, the dialog says why and closes.
        WithData([](OscData& d) {
            d.freq_response.index = 3;
            d.mode &= ~MODE_LINKED;
        });
        uitest::AnswerNextMessageBox(IDOK, &box);
        ASSERT_TRUE(uitest::FireTimer(&dlg, CDialogFRParam::kProgressTimer));
        EXPECT_FALSE(dlg.Running());
        if (dlg.ContinueModal()) uitest::PressEscape(&dlg);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(box, "Необходимо подключиться!");
    WithData([](OscData& d) {
        EXPECT_EQ(d.mode & MODE_FREQ_RESPONSE, 0u);
        EXPECT_EQ(d.freq_response.index, 0);
    });
}

TEST_F(FreqResponse, FromMeasurementsTakesTheChosenChannelsLevels)
{
    WithData([](OscData&) { ASSERT_TRUE(SelectOscDataVersion(3, 0)); });
    WithData([](OscData& d) {
        d.measure_min[1] = -37;
        d.measure_max[1] = 41;
        d.measure_mean[1] = 2;
        d.measure_min[0] = -1;
    });
    Run([&](CDialogFRParam& dlg) {
        uitest::Click(dlg.GetDlgItem(CDialogFRParam::IDC_CHANNEL_B));
        uitest::Click(dlg.GetDlgItem(CDialogFRParam::IDC_FROM_MEASUREMENTS));
        EXPECT_EQ(Text(dlg.GetDlgItem(CDialogFRParam::IDC_MINIMUM)), "-37");
        EXPECT_EQ(Text(dlg.GetDlgItem(CDialogFRParam::IDC_MAXIMUM)), "41");
        EXPECT_EQ(Text(dlg.GetDlgItem(CDialogFRParam::IDC_MEAN)), "2");
        uitest::PressEscape(&dlg);
    });
}

TEST_F(FreqResponse, ResponseOfARunTakesTheCalibrationOffsetWhenAsked)
{
    CSingleLock lock(&DataLock, TRUE);
    ASSERT_TRUE(SelectOscDataVersion(1, 0));
    OscData& d = *GetOscData();
    signed char calibration[128] = {};
    for (signed char& c : calibration) c = 4;
    d.SetCalibrationOffsets(128, calibration, sizeof(calibration));
    const signed char off = d.GetCalibrationOffset(0);
    FreqResponseRun& fr = d.freq_response;
    fr.count = 2;
    fr.freq[0] = 9;
    fr.freq[1] = 199999;
    fr.ave[0] = static_cast<std::int8_t>(off);
    fr.min[0] = static_cast<std::int8_t>(-50 + off);
    fr.max[0] = static_cast<std::int8_t>(50 + off);
    fr.max[1] = static_cast<std::int8_t>(off);  // silent
    const auto with = CDialogFRParam::ComputeResponse(d, 20000000, 0, -50, 50, 0, true);
    ASSERT_EQ(with.size(), 2u);
    EXPECT_DOUBLE_EQ(with[0].f, 2e6);
    EXPECT_DOUBLE_EQ(with[1].f, 100.0);
    EXPECT_EQ(with[0].mean, 0.0);
    EXPECT_EQ(with[0].minimum, 0.0);
    EXPECT_EQ(with[0].maximum, 0.0);
    EXPECT_EQ(with[1].maximum, kSilentDb);
    if (off != 0) {
        const auto without = CDialogFRParam::ComputeResponse(d, 20000000, 0, -50, 50, 0, false);
        EXPECT_NE(without[0].maximum, 0.0);
    }
    // A count from nowhere is held to the model's room.
    fr.count = 100000;
    EXPECT_EQ(CDialogFRParam::ComputeResponse(d, 20000000, 0, -50, 50, 0, true).size(), kMaxResponsePoints);
}
