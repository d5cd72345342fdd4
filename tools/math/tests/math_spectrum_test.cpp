// The spectra as the user gets them: the whole buffer once through "БПФ всего буфера", the
// screen continuously through "БПФ экрана", both drawn in the spectrum window.

#include "support/MathWindowFixture.h"

#include "tools/math/MathBuffer.h"
#include "widgets/chart/ChartLineSerie.h"

#include <cmath>
#include <complex>
#include <functional>
#include <filesystem>
#include <random>
#include <vector>

namespace {

// |X[k]| of the unnormalised DFT, for k = 1..n/2, with exact angles (k·i taken modulo n).
std::vector<double> DirectMagnitudes(const std::vector<double>& x)
{
    const int n = static_cast<int>(x.size());
    std::vector<double> m(static_cast<std::size_t>(n / 2) + 1, 0.0);
    for (int k = 1; k <= n / 2; ++k)
    {
        std::complex<double> sum;
        for (int i = 0; i < n; ++i)
        {
            const double angle = -2 * M_PI * static_cast<double>((static_cast<long long>(k) * i) % n) / n;
            sum += x[i] * std::complex<double>(std::cos(angle), std::sin(angle));
        }
        m[k] = std::abs(sum);
    }
    return m;
}

struct BufferCase {
    int version;
    int zero;
    bool pairs;
    int channel;
};

class MathSpectrumTest : public MathWindowTest, public ::testing::WithParamInterface<BufferCase> {
protected:
    // Fills both channels' buffers by `value(i)` (raw codes) and returns the transform input of
    // `channel` as the test computes it.
    static std::vector<double> Fill(int channel, const std::function<int(int)>& value)
    {
        std::vector<double> x;
        WithData([&](OscData& d) {
            const bool pairs = (d.osc_cr & OSC_CR_MIN_MAX) != 0;
            const int n = static_cast<int>(d.GetMemoryDepth());
            const int zero = d.GetCalibrationOffset(channel);
            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < n * (pairs ? 2 : 1); ++i)
                    d.sample_buffer[c][i] = value(i + 7 * c);
            for (int i = 0; i < n; ++i)
            {
                const std::int32_t* s = d.sample_buffer[channel];
                x.push_back(pairs ? (s[2 * i] + s[2 * i + 1]) * 0.5 - zero : s[i] - static_cast<double>(zero));
            }
        });
        return x;
    }
    static double VoltsPerUnit(int channel, int n)
    {
        double v = 0;
        WithData([&](OscData& d) { v = d.GetVoltScale(channel) * d.GetStepMillivolts() / 1000.0 / n; });
        return v;
    }
    static double Fs()
    {
        double fs = 0;
        WithData([&](OscData& d) { fs = static_cast<double>(d.GetSampleRateKHz()) * 1000 / (d.x_skip + 1); });
        return fs;
    }
    // Runs the whole-buffer spectrum to its end: the read-out first unfinished, then complete.
    // `fs`: the rate at the capture (stopping and restarting may solve the time base anew).
    static CDialogFFT* TakeBufferSpectrum(CMathDialog& w, double* fs = nullptr)
    {
        Click(w, CMathDialog::IDC_BUFFER_FFT);
        EXPECT_FALSE(w.GetDlgItem(CMathDialog::IDC_BUFFER_FFT)->IsWindowEnabled());
        for (std::uint32_t state : {1u, 2u, 0u})
        {
            WithData([&](OscData& d) { d.read_state = state; });
            EXPECT_TRUE(uitest::FireTimer(&w, CMathDialog::kBufferFftTimer)) << "still waiting at read state " << state;
        }
        EXPECT_EQ(w.GetSpectrumWindow(), nullptr);
        if (fs != nullptr)
            *fs = Fs();
        WithData([](OscData& d) { d.read_state = 3; });
        EXPECT_TRUE(uitest::FireTimer(&w, CMathDialog::kBufferFftTimer));
        EXPECT_EQ(uitest::TimerPeriod(&w, CMathDialog::kBufferFftTimer), 0);
        EXPECT_TRUE(w.GetDlgItem(CMathDialog::IDC_BUFFER_FFT)->IsWindowEnabled());
        EXPECT_TRUE(w.GetDlgItem(CMathDialog::IDC_FFT_CHANNEL)->IsWindowEnabled());
        EXPECT_TRUE(w.GetDlgItem(CMathDialog::IDC_SCREEN_FFT)->IsWindowEnabled());
        return w.GetSpectrumWindow();
    }
};

}  // namespace

TEST_P(MathSpectrumTest, WholeBufferEqualsADirectTransformInVolts)
{
    const BufferCase c = GetParam();
    RunMath(c.version, c.zero, c.pairs, [&](CVelkaroDlg&, CMathDialog& w) {
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_FFT_CHANNEL), c.channel);
        std::mt19937 random(c.version * 10 + c.channel);
        std::uniform_int_distribution<int> code(-128, 127);
        const std::vector<double> x = Fill(c.channel, [&](int) { return code(random); });
        const int n = static_cast<int>(x.size());

        double fs = 0;
        CDialogFFT* fft = TakeBufferSpectrum(w, &fs);
        ASSERT_NE(fft, nullptr);
        bool stopped = true;
        WithData([&](OscData& d) { stopped = (d.mode & MODE_STOPPED) != 0; });
        EXPECT_FALSE(stopped) << "the acquisition it stopped runs again";

        const std::vector<double> m = DirectMagnitudes(x);
        const double scale = VoltsPerUnit(c.channel, n);
        CChartLineSerie* serie = fft->GetSerie();
        ASSERT_EQ(serie->GetPointsCount(), static_cast<unsigned>(n / 2));
        for (int k = 1; k <= n / 2; ++k)
        {
            const auto& p = serie->GetPoint(k - 1);
            ASSERT_NEAR(p.X, k * fs / n, 1e-9 * fs) << k;
            ASSERT_NEAR(p.Y, m[k] * scale, 1e-9 * (1 + m[k] * scale)) << k;
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Variants, MathSpectrumTest,
                         ::testing::Values(BufferCase{2, 0, false, 0}, BufferCase{2, 0, true, 1},
                                           BufferCase{5, 5, false, 0}, BufferCase{5, 5, true, 1}));

TEST_F(MathWindowTest, SinePeaksAtItsBinAndSilenceIsAFlatZeroLine)
{
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        const int n = 3000;
        WithData([&](OscData& d) {
            ASSERT_EQ(d.GetMemoryDepth(), static_cast<unsigned>(n));
            for (int i = 0; i < n; ++i)
                d.sample_buffer[0][i] = static_cast<int>(std::lround(100 * std::sin(2 * M_PI * 75 * i / n)));
        });
        Click(w, CMathDialog::IDC_BUFFER_FFT);
        WithData([](OscData& d) { d.read_state = 3; });
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kBufferFftTimer));
        CDialogFFT* fft = w.GetSpectrumWindow();
        ASSERT_NE(fft, nullptr);
        EXPECT_TRUE(fft->IsWindowVisible());
        CChartLineSerie* serie = fft->GetSerie();
        unsigned peak = 0;
        for (unsigned i = 0; i < serie->GetPointsCount(); ++i)
            if (serie->GetPoint(i).Y > serie->GetPoint(peak).Y)
                peak = i;
        double volts = 0;
        WithData([&](OscData& d) { volts = 50 * d.GetVoltScale(0) * d.GetStepMillivolts() / 1000.0; });
        EXPECT_EQ(peak + 1, 75u);
        EXPECT_NEAR(serie->GetPoint(peak).Y, volts, volts * 0.01) << "half the amplitude of a real sine";
        EXPECT_NEAR(serie->GetPoint(peak).X, 75 * 80e6 / n, 1e-6);
        std::filesystem::create_directories(uitest::OutputPath("tools_math"));
        EXPECT_TRUE(uitest::RenderToPng(fft, uitest::OutputPath("tools_math/buffer_spectrum.png")));

        // Every amplitude at or below a millivolt: nothing but noise, drawn flat at zero.
        WithData([&](OscData& d) {
            for (int i = 0; i < n; ++i)
                d.sample_buffer[0][i] = 0;
            d.read_state = 1;
        });
        Click(w, CMathDialog::IDC_BUFFER_FFT);
        WithData([](OscData& d) { d.read_state = 3; });
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kBufferFftTimer));
        ASSERT_NE(w.GetSpectrumWindow(), nullptr);
        serie = w.GetSpectrumWindow()->GetSerie();
        ASSERT_GT(serie->GetPointsCount(), 0u);
        for (unsigned i = 0; i < serie->GetPointsCount(); ++i)
            ASSERT_EQ(serie->GetPoint(i).Y, 0.0) << i;
    });
}

TEST_F(MathWindowTest, ScreenSpectrumFollowsTheModelUntilTheUserClosesIt)
{
    RunMath(2, 0, false, [&](CVelkaroDlg& d, CMathDialog& w) {
        WithData([](OscData& data) {
            for (int i = 0; i < SCREEN_VALUES; ++i)
                data.screen_points[1][i] = static_cast<int>(std::lround(60 * std::cos(2 * M_PI * 12 * i / 300.0)));
            data.x_zoom_in = 2;
            data.x_zoom_out_hw = 3;
            data.x_zoom_out_sw = 5;
        });
        uitest::SelectComboItem(w.GetDlgItem(CMathDialog::IDC_FFT_CHANNEL), 1);
        Click(w, CMathDialog::IDC_SCREEN_FFT);
        ASSERT_EQ(w.IsDlgButtonChecked(CMathDialog::IDC_SCREEN_FFT), 1u);
        EXPECT_EQ(uitest::TimerPeriod(&w, CMathDialog::kScreenFftTimer), static_cast<int>(CMathDialog::kPollMs));
        std::uint32_t mode = 0;
        WithData([&](OscData& data) { mode = data.mode; });
        EXPECT_EQ(mode & (MODE_SPECTRUM | MODE_SPECTRUM_A), MODE_SPECTRUM) << "channel B";

        Tick(d);
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kScreenFftTimer));
        CDialogFFT* fft = w.GetSpectrumWindow();
        ASSERT_NE(fft, nullptr);
        std::vector<double> magnitude;
        double scale = 0;
        WithData([&](OscData& data) {
            ASSERT_EQ(data.spectrum_length, 300);
            magnitude.assign(data.spectrum, data.spectrum + SPECTRUM_BINS);
            scale = data.GetVoltScale(1) * data.GetStepMillivolts() / 1000.0 / 300;
        });
        CChartLineSerie* serie = fft->GetSerie();
        ASSERT_EQ(serie->GetPointsCount(), 150u);
        for (unsigned k = 1; k <= 150; ++k)
        {
            EXPECT_NEAR(serie->GetPoint(k - 1).X, k * 80e6 / 300 * 2 / (3 * 5), 1e-6) << k;
            EXPECT_NEAR(serie->GetPoint(k - 1).Y, magnitude[k] * scale, 1e-12) << k;
        }

        // The user closes the spectrum window: the next tick of the window turns the tool off.
        uitest::CloseWindow(fft);
        EXPECT_FALSE(fft->IsWindowVisible());
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kScreenFftTimer));
        EXPECT_EQ(w.IsDlgButtonChecked(CMathDialog::IDC_SCREEN_FFT), 0u);
        EXPECT_EQ(uitest::TimerPeriod(&w, CMathDialog::kScreenFftTimer), 0);
        WithData([&](OscData& data) { mode = data.mode; });
        EXPECT_EQ(mode & MODE_SPECTRUM, 0u);

        // Turned on again, the window comes back when the spectrum's length changes.
        Click(w, CMathDialog::IDC_SCREEN_FFT);
        WithData([](OscData& data) { data.spectrum_length = 200; });
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kScreenFftTimer));
        EXPECT_TRUE(w.GetSpectrumWindow()->IsWindowVisible());
        EXPECT_EQ(w.GetSpectrumWindow()->GetSerie()->GetPointsCount(), 100u);

        // A length the model cannot hold is not read.
        WithData([](OscData& data) { data.spectrum_length = 4000; });
        ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kScreenFftTimer));
        EXPECT_EQ(w.GetSpectrumWindow()->GetSerie()->GetPointsCount(), 100u);
        Click(w, CMathDialog::IDC_SCREEN_FFT);
        EXPECT_FALSE(w.GetSpectrumWindow()->IsWindowVisible());
    });
}

TEST_F(MathWindowTest, WholeBufferHoldsOneCaptureAndGivesTheAcquisitionBack)
{
    struct Start {
        bool trigger;
        bool stopped;
        std::uint32_t waitingMode;  // MODE_STOPPED | MODE_SINGLE while the window waits
        std::uint32_t doneMode;     // the same once the spectrum is shown
    };
    // With a trigger one single capture is asked for, never of a stopped acquisition; without
    // one the acquisition is stopped. Afterwards it runs again only if it ran before.
    const Start starts[] = {
        {false, false, MODE_STOPPED, 0},
        {false, true, MODE_STOPPED, MODE_STOPPED},
        {true, false, MODE_SINGLE, 0},
        {true, true, MODE_STOPPED, MODE_STOPPED},
    };
    RunMath(2, 0, false, [&](CVelkaroDlg&, CMathDialog& w) {
        for (const Start& s : starts)
        {
            SCOPED_TRACE(std::to_string(s.trigger) + std::to_string(s.stopped));
            WithData([&](OscData& d) {
                d.read_state = 1;
                d.mode &= ~(MODE_STOPPED | MODE_SINGLE);
                d.mode |= s.stopped ? MODE_STOPPED : 0;
                d.osc_cr = s.trigger ? (d.osc_cr | OSC_CR_TRIGGER_ON) : (d.osc_cr & ~OSC_CR_TRIGGER_ON);
            });
            Click(w, CMathDialog::IDC_BUFFER_FFT);
            std::uint32_t mode = 0;
            WithData([&](OscData& d) {
                mode = d.mode & (MODE_STOPPED | MODE_SINGLE);
                d.read_state = 3;
            });
            EXPECT_EQ(mode, s.waitingMode);
            ASSERT_TRUE(uitest::FireTimer(&w, CMathDialog::kBufferFftTimer));
            WithData([&](OscData& d) { mode = d.mode & (MODE_STOPPED | MODE_SINGLE); });
            EXPECT_EQ(mode, s.doneMode);
        }
    });
}
