// Each variant's settings stored in and restored from its configuration section.

#include "core/config/ArchiveCheck.h"
#include "core/config/ConfigSections.h"
#include "core/data/DataV1.h"
#include "core/data/DataV2.h"
#include "core/data/DataV3.h"
#include "core/data/DataV5.h"
#include "support/DataTestSupport.h"

#include <cstring>
#include <string>

namespace {

// Gives every stored field a value that no default has.
void FillStoredFields(OscData& data, int seed)
{
    data.mode = MODE_LINEAR | MODE_SPECTRUM | MODE_PROBE_X10_B | MODE_STOPPED;
    data.osc_cr = static_cast<std::uint16_t>(0x3023 + seed);
    data.osc_sr = static_cast<std::uint16_t>(0x25 + seed);
    data.analog_cr = static_cast<std::uint16_t>(0xAA + seed);
    data.trigger_offset_samples = -123456 - seed;
    data.trigger_offset_extra = 4321 + seed;
    data.x_offset = 777 + seed;
    data.x_zoom_out_hw = 17;
    data.x_zoom_out_sw = 3;
    data.x_zoom_in = 7;
    data.u_div[0] = 5;
    data.u_div[1] = 7;
    data.u_div[2] = 6;
    data.t_div = 19;
    data.x_skip = 12345 + seed;
    data.max_x_skip = 99999;
    data.y_offset[0] = -128;
    data.y_offset[1] = 127;
    data.y_offset[2] = -5;
    data.trigger_level[0] = -100;
    data.trigger_level[1] = 55;
    data.trigger_dir[0] = 2;
    data.trigger_dir[1] = 1;
    data.trigger_dir[2] = 0;
    data.out_freq = 0xFFFFFFFE;
    data.offset_dac[0] = 0;
    data.offset_dac[1] = 255;
    data.trigger_digital = 0xA5;
    data.str_datalogger_fn[0] = "/tmp/Самописец канал A & <B> \"1\".bin";
    data.str_datalogger_fn[1] = "D:\\записи\\b'<&>'.dat";
}

void ExpectStoredFieldsEqual(const OscData& a, const OscData& b)
{
    EXPECT_EQ(a.mode, b.mode);
    EXPECT_EQ(a.osc_cr, b.osc_cr);
    EXPECT_EQ(a.osc_sr, b.osc_sr);
    EXPECT_EQ(a.analog_cr, b.analog_cr);
    EXPECT_EQ(a.trigger_offset_samples, b.trigger_offset_samples);
    EXPECT_EQ(a.trigger_offset_extra, b.trigger_offset_extra);
    EXPECT_EQ(a.x_offset, b.x_offset);
    EXPECT_EQ(a.x_zoom_out_hw, b.x_zoom_out_hw);
    EXPECT_EQ(a.x_zoom_out_sw, b.x_zoom_out_sw);
    EXPECT_EQ(a.x_zoom_in, b.x_zoom_in);
    EXPECT_EQ(0, std::memcmp(a.u_div, b.u_div, sizeof(a.u_div)));
    EXPECT_EQ(a.t_div, b.t_div);
    EXPECT_EQ(a.x_skip, b.x_skip);
    EXPECT_EQ(a.max_x_skip, b.max_x_skip);
    EXPECT_EQ(0, std::memcmp(a.y_offset, b.y_offset, sizeof(a.y_offset)));
    EXPECT_EQ(0, std::memcmp(a.trigger_level, b.trigger_level, sizeof(a.trigger_level)));
    EXPECT_EQ(0, std::memcmp(a.trigger_dir, b.trigger_dir, sizeof(a.trigger_dir)));
    EXPECT_EQ(a.out_freq, b.out_freq);
    EXPECT_EQ(0, std::memcmp(a.offset_dac, b.offset_dac, sizeof(a.offset_dac)));
    EXPECT_EQ(a.trigger_digital, b.trigger_digital);
    EXPECT_EQ(a.str_datalogger_fn[0], b.str_datalogger_fn[0]);
    EXPECT_EQ(a.str_datalogger_fn[1], b.str_datalogger_fn[1]);
}

class VariantPersistence : public DataModelTest, public ::testing::WithParamInterface<int> {};

TEST_P(VariantPersistence, EveryStoredFieldSurvivesARoundTrip)
{
    const int version = GetParam();
    auto original = MakeVariant(version);
    FillStoredFields(*original, version);
    original->status = STATUS_FRAME_READY;  // not stored
    original->changes = 0;                  // not stored
    const std::string section = original->GetSectionName();
    auto expected = MakeVariant(version);   // a second object holding the same values
    FillStoredFields(*expected, version);
    if (version == 4)  // the logic-only instrument comes back with its logic lines
        expected->osc_cr = static_cast<std::uint16_t>(expected->osc_cr | OSC_CR_LOGIC_A | OSC_CR_LOGIC_B);
    original.reset();  // the destructor stores the section
    ASSERT_EQ(ConfigSections.count(section), 1u);
    EXPECT_NE(ConfigSections[section].find("<" + section), std::string::npos);

    auto restored = MakeVariant(version);
    ExpectStoredFieldsEqual(*restored, *expected);
    // Derived and transient state comes from the defaults.
    EXPECT_EQ(restored->status, STATUS_LIMITS_APPLIED);
    EXPECT_EQ(restored->changes & CHANGE_ALL_REGISTERS, CHANGE_ALL_REGISTERS);
    expected.reset();
    ConfigSections.erase(section);  // keep the next objects' stores out of the way
}

INSTANTIATE_TEST_SUITE_P(AllVariants, VariantPersistence, ::testing::Range(1, 6));

TEST_F(DataModelTest, CalibrationDataSurvivesARoundTrip)
{
    signed char table[128];
    for (int i = 0; i < 128; ++i) table[i] = static_cast<signed char>(i * 2 - 128 + (i == 127));
    {
        DataV1 v1;
        v1.SetCalibrationOffsets(128, table, sizeof(table));
        DataV3 v3;
        v3.SetCalibrationOffsets(6, table, sizeof(table));
        DataV5 v5;
        v5.SetCalibrationOffsets(2, table + 100, 2);
    }
    DataV1 v1;
    EXPECT_EQ(0, std::memcmp(v1.calibration_offset, table, 128));
    DataV3 v3;
    EXPECT_EQ(0, std::memcmp(v3.calibration_offset, table, 6));
    DataV5 v5;
    EXPECT_EQ(0, std::memcmp(v5.calibration_offset, table + 100, 2));
}

// The defaults a variant starts from on its first run.
ModelImage Defaults(int version)
{
    auto saved = ConfigSections;
    ConfigSections.clear();
    auto data = MakeVariant(version);
    ModelImage image(*data);
    data.reset();
    ConfigSections = saved;
    return image;
}

TEST_F(DataModelTest, FirstRunStartsFromTheDefaults)
{
    for (int version = 1; version <= 5; ++version) {
        auto data = MakeVariant(version);
        EXPECT_EQ(data->changes, 0x68Fu);
        EXPECT_EQ(data->mode, 0u);
        EXPECT_EQ(data->str_datalogger_fn[0], "");
    }
}

// The logic-only instrument's channels carry logic lines from the first run on, and a stored
// section without the bits (nothing in the program can clear them) brings them back.
TEST_F(DataModelTest, TheLogicOnlyInstrumentAlwaysWorksAsALogicAnalyser)
{
    const std::uint16_t logic = OSC_CR_LOGIC_A | OSC_CR_LOGIC_B;
    {
        auto data = MakeVariant(4);
        EXPECT_EQ(data->osc_cr & logic, logic);
        data->osc_cr = static_cast<std::uint16_t>(data->osc_cr & ~logic);
    }
    EXPECT_EQ(MakeVariant(4)->osc_cr & logic, logic);
    for (int version : {2, 5}) {
        SCOPED_TRACE(version);
        EXPECT_EQ(MakeVariant(version)->osc_cr & logic, 0) << "instruments with inputs start as oscilloscopes";
    }
}

std::string Repeat(const std::string& s, std::size_t n)
{
    std::string out;
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

// Replaces the first occurrence of `from` in the variant's stored section.
void EditSection(const std::string& section, const std::string& from, const std::string& to)
{
    std::string& text = ConfigSections[section];
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

TEST_F(DataModelTest, UnreadableSectionsGiveTheDefaultsCompletely)
{
    for (int version = 1; version <= 5; ++version) {
        SCOPED_TRACE(version);
        const ModelImage defaults = Defaults(version);
        const std::string section = MakeVariant(version)->GetSectionName();

        auto storeFilled = [&] {
            ConfigSections.erase(section);
            auto data = MakeVariant(version);
            FillStoredFields(*data, 0);
            signed char table[128];
            std::memset(table, 0x55, sizeof(table));
            data->SetCalibrationOffsets(128, table, sizeof(table));
            data->calibration_steps = 1234;
        };
        auto expectDefaults = [&](const char* what) {
            auto data = MakeVariant(version);
            EXPECT_TRUE(ModelImage(*data) == defaults) << what;
            EXPECT_EQ(data->str_datalogger_fn[0], "") << what;
            EXPECT_EQ(data->GetCalibrationOffset(0), 0) << what;
            EXPECT_EQ(data->GetCalibrationOffset(1), 0) << what;
            data.reset();
        };

        ConfigSections.erase(section);
        expectDefaults("missing");

        ConfigSections[section] = "this is no archive <<<&";
        expectDefaults("garbage");

        ConfigSections[section] = "";
        expectDefaults("empty");

        storeFilled();
        ConfigSections[section].resize(ConfigSections[section].size() / 2);
        expectDefaults("truncated");

        // Four volts/div entries for an array of three.
        storeFilled();
        EditSection(section, "<count>3</count>", "<count>4</count><item>6</item>");
        expectDefaults("u_div with 4 items");

        // Three recorder file names for two.
        storeFilled();
        EditSection(section, "<str_datalogger_fn>\n\t\t\t<count>2</count>",
                    "<str_datalogger_fn>\n\t\t\t<count>3</count>");
        expectDefaults("three file names");

        // A division by zero waiting to happen.
        storeFilled();
        EditSection(section, "<x_zoom_in>7</x_zoom_in>", "<x_zoom_in>0</x_zoom_in>");
        expectDefaults("zero zoom");

        // Text the archive library cannot read safely is refused before it reads a byte.
        storeFilled();
        EditSection(section, "</mode>", "</mode" + std::string(50000, 'A') + ">");
        expectDefaults("50,000-character closing tag");

        storeFilled();
        EditSection(section, "</mode>", "</modeAAAAAAAA>");
        expectDefaults("closing tag longer than its element");

        storeFilled();
        EditSection(section, "<str_datalogger_fn>\n\t\t\t<count>2</count>",
                    "<str_datalogger_fn>\n\t\t\t<count>4294967295</count>");
        expectDefaults("count far beyond its items");

        storeFilled();
        EditSection(section, "<str>", "<str>" + Repeat("<a>", 100000) + Repeat("</a>", 100000));
        expectDefaults("deep nesting");

        storeFilled();
        ConfigSections[section] += std::string(kMaxSectionBytes, ' ');
        expectDefaults("beyond the section cap");

        storeFilled();
        EditSection(section, "<u_div>\n\t\t\t<count>3</count>\n\t\t\t<item>5</item>",
                    "<u_div>\n\t\t\t<count>3</count>\n\t\t\t<item>20</item>");
        expectDefaults("volts/div index outside the table");

        // A trigger direction the device has no edge for.
        storeFilled();
        EditSection(section, "<trigger_dir>\n\t\t\t<count>3</count>\n\t\t\t<item>2</item>",
                    "<trigger_dir>\n\t\t\t<count>3</count>\n\t\t\t<item>3</item>");
        expectDefaults("trigger direction 3");

        ConfigSections.erase(section);
    }
}

TEST_F(DataModelTest, ARenamedElementIsReadByItsPlace)
{
    // Well-formed but renamed: read by position, and without the archive library reading past
    // the name it expects.
    {
        DataV2 data;
        data.x_offset = 4321;
    }
    EditSection("data_v2", "<x_offset>", "<x_offset_renamed_to_longer>");
    EditSection("data_v2", "</x_offset>", "</x_offset_renamed_to_longer>");
    DataV2 data;
    EXPECT_EQ(data.x_offset, 4321);
}

TEST_F(DataModelTest, ARestoredModelNeverStartsRecording)
{
    for (int version = 1; version <= 5; ++version) {
        SCOPED_TRACE(version);
        {
            auto data = MakeVariant(version);
            FillStoredFields(*data, 0);
            data->mode |= MODE_RECORDER;
            data->osc_cr |= OSC_CR_RECORDER;
        }
        // Installed as the program does at start-up, and built directly.
        ASSERT_TRUE(SelectOscDataVersion(version, 0));
        const auto built = MakeVariant(version);
        for (const OscData* data : {GetOscData(), built.get()}) {
            EXPECT_EQ(data->mode & MODE_RECORDER, 0u);
            EXPECT_EQ(data->osc_cr & OSC_CR_RECORDER, 0);
            // Everything else stored is kept (the logic-only instrument keeps its logic lines).
            EXPECT_EQ(data->osc_cr, version == 4 ? 0x3623 : 0x3023);
            EXPECT_NE(data->mode & MODE_LINEAR, 0u);
        }
        DeleteOscData();
    }
}

TEST_F(DataModelTest, ALoadFailingInTheCalibrationTableResetsItToo)
{
    {
        DataV1 data;
        signed char table[128];
        std::memset(table, 9, sizeof(table));
        data.SetCalibrationOffsets(128, table, sizeof(table));
        data.calibration_steps = 99;
    }
    // The base loads, the table's second row breaks after some of its bytes were read.
    std::string& text = ConfigSections["data_v1"];
    const std::size_t table = text.find("<calibration_offset>");
    ASSERT_NE(table, std::string::npos);
    const std::size_t secondRow = text.find("<count>64</count>", text.find("<count>64</count>", table) + 1);
    ASSERT_NE(secondRow, std::string::npos);
    text.replace(secondRow, 17, "<count>65</count>");

    DataV1 data;
    for (int i = 0; i < 128; ++i) EXPECT_EQ(data.calibration_offset[i / 64][i % 64], 0) << i;
    EXPECT_EQ(data.calibration_steps, 64);
    EXPECT_EQ(data.str_datalogger_fn[0], "");
}

TEST_F(DataModelTest, SectionTextFollowsTheArchiveLayout)
{
    {
        DataV3 data;
        data.str_datalogger_fn[0] = "a&b";
    }
    const std::string& text = ConfigSections["data_v3"];
    const char* order[] = {"<data_v3", "<base", "<mode>", "<osc_cr>", "<osc_sr>", "<analog_cr>",
                           "<trigger_offset_samples>", "<trigger_offset_extra>", "<x_offset>",
                           "<x_zoom_out_hw>", "<x_zoom_out_sw>", "<x_zoom_in>", "<u_div>",
                           "<t_div>", "<x_skip>", "<max_x_skip>", "<y_offset>", "<trigger_level>",
                           "<trigger_dir>", "<out_freq>", "<offset_dac>", "<trigger_digital>",
                           "<str_datalogger_fn>", "<str>a&amp;b</str>", "</base>",
                           "<calibration_offset>", "<count>2</count>", "<count>3</count>",
                           "</data_v3>"};
    std::size_t at = 0;
    for (const char* tag : order) {
        const std::size_t found = text.find(tag, at);
        ASSERT_NE(found, std::string::npos) << tag;
        at = found;
    }
}

}  // namespace
