// The text report and CSV table, written to disk and read back, against lines built here from
// the values the test put into the model.

#include "tools/save/SaveWriters.h"

#include "core/config/ConfigSections.h"
#include "core/data/DataV1.h"
#include "core/data/DataV2.h"
#include "platform/testing/CommaLocale.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::string Hex2(int value)
{
    const char* digits = "0123456789ABCDEF";
    const unsigned byte = static_cast<unsigned>(value) & 0xFFu;
    return std::string{digits[byte >> 4], digits[byte & 15]};
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The stored file as lines; fails the test on a line end that is not CR LF.
std::vector<std::string> StoredLines(const std::string& stored)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\n') {
            ADD_FAILURE() << "bare LF at byte " << i;
            lines.push_back(line);
            line.clear();
        } else if (stored[i] == '\r') {
            if (i + 1 >= stored.size() || stored[i + 1] != '\n') ADD_FAILURE() << "bare CR at byte " << i;
            lines.push_back(line);
            line.clear();
            ++i;
        } else {
            line += stored[i];
        }
    }
    EXPECT_TRUE(line.empty()) << "the last line has no line end";
    return lines;
}

struct Case {
    const char* name;
    SaveSource source;
    bool pairs;
    bool a, b;
    bool logicA, logicB;
};

// Screen and buffer, plain and min/max, analogue and logic, A, B and both.
const Case kCases[] = {
    {"ScreenBothAnalogue", SaveSource::Screen, false, true, true, false, false},
    {"ScreenBothAnaloguePairs", SaveSource::Screen, true, true, true, false, false},
    {"ScreenOnlyA", SaveSource::Screen, false, true, false, false, false},
    {"ScreenOnlyBPairs", SaveSource::Screen, true, false, true, false, false},
    {"ScreenBothLogic", SaveSource::Screen, false, true, true, true, true},
    {"ScreenBothLogicPairs", SaveSource::Screen, true, true, true, true, true},
    {"ScreenLogicAAnalogueB", SaveSource::Screen, false, true, true, true, false},
    {"ScreenAnalogueALogicBPairs", SaveSource::Screen, true, true, true, false, true},
    {"ScreenNeither", SaveSource::Screen, false, false, false, false, false},
    {"BufferBothAnalogue", SaveSource::Buffer, false, true, true, false, false},
    {"BufferBothAnaloguePairs", SaveSource::Buffer, true, true, true, false, false},
    {"BufferOnlyALogic", SaveSource::Buffer, false, true, false, true, false},
    {"BufferOnlyBPairsLogic", SaveSource::Buffer, true, false, true, false, true},
    {"BufferAnalogueALogicB", SaveSource::Buffer, false, true, true, false, true},
};

class SaveWriters : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        ConfigSections.clear();
        dir_ = std::filesystem::temp_directory_path() /
               ("velkaro-save-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir_);
        ConfigSections.clear();
    }

    // Values that cover negative bytes, so a logic byte never prints as FFFFFF80.
    static int Value(int channel, int index) { return (index * 37 + channel * 91) % 256 - 128; }

    static void Fill(OscData& d, const Case& c)
    {
        d.osc_cr = static_cast<std::uint16_t>((c.pairs ? OSC_CR_MIN_MAX : 0) | (c.a ? OSC_CR_CH_A_ON : 0) |
                                              (c.b ? OSC_CR_CH_B_ON : 0) | (c.logicA ? OSC_CR_LOGIC_A : 0) |
                                              (c.logicB ? OSC_CR_LOGIC_B : 0));
        d.mode |= MODE_PROBE_X10_B;  // B's unit differs from A's
        d.t_div = 18;                // 1 ms/div: one screen point is 100 µs
        d.x_zoom_out_hw = 2;         // a stored sample is half a point
        d.x_zoom_out_sw = 1;
        d.x_zoom_in = 1;
        for (int ch = 0; ch < 2; ++ch) {
            for (int i = 0; i < SCREEN_VALUES; ++i) d.screen_points[ch][i] = Value(ch, i);
            for (unsigned i = 0; i < d.GetSampleBufferLength(); ++i)
                d.sample_buffer[ch][i] = Value(ch, static_cast<int>(i) + 7);
        }
    }

    static std::vector<std::string> Expected(const OscData& d, const Case& c, bool csv)
    {
        const bool buffer = c.source == SaveSource::Buffer;
        const int count = buffer ? (c.pairs ? 1500 : 3000) : 300;
        const std::string step = buffer ? "50.000 мкс" : "100.000 мкс";
        const std::string duration = buffer ? (c.pairs ? "75.000 мс" : "150.000 мс") : "30.000 мс";
        const bool on[2] = {c.a, c.b};
        const bool logic[2] = {c.logicA, c.logicB};
        const char* unit[2] = {"50 мВ", "500 мВ"};
        const char* name[2] = {"A", "B"};
        auto value = [&](int ch, int i) {
            return buffer ? d.sample_buffer[ch][i] : d.screen_points[ch][i];
        };
        auto cells = [&](int ch, int point, const std::string& sep) {
            auto one = [&](int v) { return logic[ch] ? Hex2(v) : std::to_string(v - d.GetCalibrationOffset(ch)); };
            if (!c.pairs) return one(value(ch, point));
            return one(value(ch, 2 * point)) + sep + one(value(ch, 2 * point + 1));
        };

        std::vector<std::string> lines;
        if (!csv) {
            lines.push_back("Горизонтальная развертка: " + step + " на точку (запись)");
            lines.push_back("Количество сэмплов: " + std::to_string(count) + ", длительность " + duration);
            for (int ch = 0; ch < 2; ++ch) {
                if (!on[ch]) continue;
                lines.push_back(std::string("Канал ") + name[ch] + ": " +
                                (logic[ch] ? "" : std::string(unit[ch]) + " на единицу. ") +
                                (c.pairs ? "Отсчеты min, max:" : "Отсчеты:"));
                for (int i = 0; i < count; ++i) lines.push_back(cells(ch, i, ", "));
            }
            return lines;
        }
        lines.push_back("Горизонтальная развертка, на точку (запись);" + step + " ");
        lines.push_back("Количество сэмплов;" + std::to_string(count));
        lines.push_back("Длительность;" + duration);
        for (int ch = 0; ch < 2; ++ch)
            if (on[ch] && !logic[ch]) lines.push_back(std::string("Канал ") + name[ch] + ", на единицу;" + unit[ch]);
        std::vector<std::string> heads;
        for (int ch = 0; ch < 2; ++ch)
            if (on[ch])
                heads.push_back(c.pairs ? std::string("Канал ") + name[ch] + " min;Канал " + name[ch] + " max"
                                        : std::string("Канал ") + name[ch]);
        auto row = [](const std::vector<std::string>& parts) {
            std::string r;
            for (std::size_t i = 0; i < parts.size(); ++i) r += (i ? ";" : "") + parts[i];
            return r;
        };
        if (!heads.empty()) lines.push_back(row(heads));
        for (int i = 0; i < count && !heads.empty(); ++i) {
            std::vector<std::string> parts;
            for (int ch = 0; ch < 2; ++ch)
                if (on[ch]) parts.push_back(cells(ch, i, ";"));
            lines.push_back(row(parts));
        }
        return lines;
    }

    void Check(const OscData& d, bool csv)
    {
        const Case& c = GetParam();
        const std::string path = (dir_ / (std::string(c.name) + (csv ? ".csv" : ".txt"))).string();
        const std::string text = csv ? BuildCsvTable(d, c.source) : BuildTextReport(d, c.source);
        ASSERT_TRUE(WriteTextFile(path, text));
        const std::vector<std::string> lines = StoredLines(ReadFile(path));
        const std::vector<std::string> expected = Expected(d, c, csv);
        ASSERT_EQ(lines.size(), expected.size()) << (csv ? "csv" : "text");
        for (std::size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(lines[i], expected[i]) << (csv ? "csv" : "text") << " line " << i;
    }

    std::filesystem::path dir_;
};

TEST_P(SaveWriters, TextAndCsvReadBackAsTheModelsValues)
{
    DataV2 d;
    Fill(d, GetParam());
    Check(d, false);
    Check(d, true);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SaveWriters, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Analogue values are written relative to the channel's zero level, whichever writer.
TEST(SaveWritersOffset, AnalogueValuesAreRelativeToTheZeroLevel)
{
    ConfigSections.clear();
    {
        DataV1 d;
        signed char table[128];
        for (int i = 0; i < 64; ++i) table[i] = 5;
        for (int i = 64; i < 128; ++i) table[i] = -3;
        d.SetCalibrationOffsets(128, table, sizeof table);
        ASSERT_EQ(d.GetCalibrationOffset(0), 5);
        ASSERT_EQ(d.GetCalibrationOffset(1), -3);
        d.osc_cr = OSC_CR_CH_A_ON | OSC_CR_CH_B_ON;
        d.screen_points[0][0] = 5;
        d.screen_points[1][0] = -3;
        d.screen_points[0][1] = 25;
        d.screen_points[1][1] = 7;

        std::istringstream text(BuildTextReport(d, SaveSource::Screen));
        std::vector<std::string> lines;
        for (std::string l; std::getline(text, l);) lines.push_back(l);
        ASSERT_GE(lines.size(), 4u + 300u + 1u + 2u);
        EXPECT_EQ(lines[3], "0");
        EXPECT_EQ(lines[4], "20");
        EXPECT_EQ(lines[3 + 300 + 1], "0");
        EXPECT_EQ(lines[3 + 300 + 2], "10");

        std::istringstream csv(BuildCsvTable(d, SaveSource::Screen));
        lines.clear();
        for (std::string l; std::getline(csv, l);) lines.push_back(l);
        ASSERT_GE(lines.size(), 8u);
        EXPECT_EQ(lines[5], "Канал A;Канал B");
        EXPECT_EQ(lines[6], "0;0");
        EXPECT_EQ(lines[7], "20;10");

        // A logic channel prints its byte as it is, never shifted.
        d.osc_cr |= OSC_CR_LOGIC_A;
        d.screen_points[0][0] = -128;
        csv.clear();
        csv.str(BuildCsvTable(d, SaveSource::Screen));
        lines.clear();
        for (std::string l; std::getline(csv, l);) lines.push_back(l);
        EXPECT_EQ(lines[3], "Канал B, на единицу;1 мВ");
        EXPECT_EQ(lines[5], "80;0");
    }
    ConfigSections.clear();
}

// Numbers and times keep the decimal point whatever the user's locale.
TEST(SaveWritersLocale, TimesKeepThePointUnderACommaLocale)
{
    if (EnterCommaLocale().empty()) GTEST_SKIP() << "no locale with a decimal comma could be had";
    ConfigSections.clear();
    {
        DataV2 d;
        d.osc_cr = OSC_CR_CH_A_ON;
        d.t_div = 18;
        const std::string text = BuildTextReport(d, SaveSource::Screen);
        EXPECT_EQ(text.rfind("Горизонтальная развертка: 100.000 мкс на точку (запись)\n", 0), 0u) << text.substr(0, 80);
    }
    LeaveCommaLocale();
    ConfigSections.clear();
}

TEST(SaveWritersFile, UnwritablePathsFailWithTheSystemsReason)
{
    std::string reason;
    EXPECT_FALSE(WriteTextFile("/nonexistent-folder/x.txt", "a\n", &reason));
    EXPECT_FALSE(reason.empty());
    if (std::filesystem::exists("/dev/full")) {
        reason.clear();
        EXPECT_FALSE(WriteTextFile("/dev/full", std::string(100, 'x'), &reason));
        EXPECT_FALSE(reason.empty());
    }
}

TEST(SaveWritersImage, ExtensionPicksTheEncoder)
{
    struct Row {
        const char* name;
        const GUID* format;
    };
    const Row rows[] = {
        {"a.bmp", &ImageFormatBMP},   {"a.PNG", &ImageFormatPNG},    {"a.png", &ImageFormatPNG},
        {"a.jpg", &ImageFormatJPEG},  {"a.JPEG", &ImageFormatJPEG},  {"a.jpe", &ImageFormatJPEG},
        {"a.jfif", &ImageFormatJPEG}, {"a.Gif", &ImageFormatGIF},    {"a.xyz", &ImageFormatBMP},
        {"noext", &ImageFormatBMP},   {"/dir.png/a", &ImageFormatBMP}, {"a.tar.gif", &ImageFormatGIF},
    };
    for (const Row& r : rows) EXPECT_EQ(&ImageFormatForFileName(r.name), r.format) << r.name;
}

}  // namespace
