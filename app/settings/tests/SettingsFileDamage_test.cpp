// Damaged settings files: whatever the file holds, the program shows the load error once and
// starts from the defaults; it never crashes and never reads out of bounds.

#include "app/settings/SettingsFile.h"

#include "core/config/ArchiveCheck.h"
#include "core/config/ConfigHolder.h"
#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"
#include "support/FakeSettingsWindow.h"
#include "support/SettingsFileFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string Repeat(const std::string& s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

// `text` with its first `from` replaced; empty when `from` is not there.
std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    if (at == std::string::npos) return {};
    return text.replace(at, from.size(), to);
}

class SettingsFileDamage : public SettingsFileFixture {
protected:
    SettingsFileDamage() : SettingsFileFixture("settings_damage") {}

    // A file as the program writes it after using every device variant: "osc" and all ten
    // variant sections, with texts that need escaping.
    std::string FullFile()
    {
        FakeSettingsWindow window;
        SerializeConfigFile(window, false, path_);
        for (int version = 1; version <= 5; ++version) {
            SwitchVariantSettings(window, version, 0);
            window.state.x = 100 + version;
            window.state.la_net_name[version] = "Линия <" + std::to_string(version) + "> & \"имя\"";
            GetOscData()->str_datalogger_fn[0] = "/home/user/запись 'A'.bin";
        }
        EXPECT_TRUE(CloseSettings(window, path_));
        std::string text;
        EXPECT_TRUE(ReadWholeFile(path_, text));
        ConfigSections.clear();
        return text;
    }

    // A file whose store holds `sections`.
    std::string FileOf(const std::map<std::string, std::string>& sections)
    {
        ConfigSections = sections;
        std::ostringstream file;
        WriteConfigArchive(file);
        ConfigSections.clear();
        return file.str();
    }

    // Loads `text` as the settings file into a window that starts from non-default settings.
    // Returns the load's result; `window` tells what happened.
    bool Load(const std::string& text, FakeSettingsWindow& window)
    {
        DeleteOscData();
        ConfigSections.clear();
        {
            std::ofstream out(path_, std::ios::binary | std::ios::trunc);
            out << text;
        }
        window.state.x = 5;
        window.state.hotkeys = "changed";
        return SerializeConfigFile(window, false, path_);
    }

    void ExpectRefused(const std::string& text, const std::string& what)
    {
        FakeSettingsWindow window;
        EXPECT_FALSE(Load(text, window)) << what;
        EXPECT_EQ(window.messages, (std::vector<std::string>{kConfigLoadError})) << what;
        EXPECT_TRUE(window.state == FakeWindowState()) << what;
    }

};

TEST_F(SettingsFileDamage, AFullFileAndEachOfItsSectionsPassTheCheck)
{
    const std::string text = FullFile();
    EXPECT_EQ(CheckArchiveText(text, kMaxConfigFileBytes), ArchiveTextFault::None);
    ASSERT_TRUE((ReadConfigArchive(text), true));
    EXPECT_EQ(ConfigSections.size(), 11u);
    std::size_t largest = 0;
    for (const auto& [name, section] : ConfigSections) {
        EXPECT_EQ(CheckArchiveText(section, kMaxSectionBytes), ArchiveTextFault::None) << name;
        largest = std::max(largest, section.size());
    }
    // The caps are far above what the program writes.
    EXPECT_LT(text.size() * 20, kMaxConfigFileBytes);
    EXPECT_LT(largest * 20, kMaxSectionBytes);

    FakeSettingsWindow window;
    EXPECT_TRUE(Load(text, window));
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.state.x, 105);  // the last variant used
}

TEST_F(SettingsFileDamage, DamagedFilesGiveTheMessageAndTheDefaults)
{
    const std::string full = FullFile();
    const std::string longTag = "</first" + std::string(50000, 'A') + ">";
    const std::string name33(kMaxXmlNameLength + 1, 'n');
    struct Damage {
        const char* what;
        std::string text;
    };
    const Damage damages[] = {
        {"50,000-character closing tag", Replaced(full, "</first>", longTag)},
        {"closing tag a little too long", Replaced(full, "</first>", "</firstAAAAAAAA>")},
        {"over-long element name", Replaced(Replaced(full, "<first>", "<" + name33 + ">"), "</first>", "</" + name33 + ">")},
        {"deep nesting", Replaced(full, "<first>", "<first>" + Repeat("<a>", 200000) + Repeat("</a>", 200000))},
        {"count beyond its items", Replaced(full, "<count>11</count>", "<count>4294967295</count>")},
        {"beyond the file cap", full + std::string(kMaxConfigFileBytes, ' ')},
        {"empty", ""},
    };
    for (const Damage& damage : damages) {
        ASSERT_FALSE(damage.text.empty() && std::string(damage.what) != "empty") << damage.what;
        ExpectRefused(damage.text, damage.what);
    }
}

TEST_F(SettingsFileDamage, TruncationsAndRandomBytesAreRefused)
{
    const std::string full = FullFile();
    // Cuts through the file up to the root's closing '>', coarse over the bulk and fine near
    // both ends.
    const std::size_t rootEnd = full.rfind('>');
    for (std::size_t length = 0; length <= rootEnd; length += length < 100 || rootEnd - length < 100 ? 1 : 211)
        ExpectRefused(full.substr(0, length), "truncated to " + std::to_string(length));

    std::mt19937 random(20261208);
    for (int round = 0; round < 50; ++round) {
        std::string bytes(random() % 5000, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        ExpectRefused(bytes, "random bytes, round " + std::to_string(round));
        // Random bytes after a good beginning.
        ExpectRefused(full.substr(0, full.size() / 2) + bytes, "random tail, round " + std::to_string(round));
    }
}

TEST_F(SettingsFileDamage, ChangedBytesNeverCrash)
{
    // A byte changed anywhere either still loads or gives the message and the defaults.
    const std::string full = FullFile();
    std::mt19937 random(4711);
    for (int round = 0; round < 200; ++round) {
        std::string text = full;
        text[random() % text.size()] = static_cast<char>(random());
        FakeSettingsWindow window;
        if (Load(text, window)) {
            EXPECT_TRUE(window.messages.empty());
        } else {
            EXPECT_EQ(window.messages, (std::vector<std::string>{kConfigLoadError})) << round;
        }
    }
}

TEST_F(SettingsFileDamage, AHundredMegabyteFileIsRefusedByItsSize)
{
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    }
    fs::resize_file(path_, std::uintmax_t{100} << 20);  // sparse: no disk, and nothing to read
    FakeSettingsWindow window;
    window.state.x = 5;
    EXPECT_FALSE(SerializeConfigFile(window, false, path_));
    EXPECT_EQ(window.messages, (std::vector<std::string>{kConfigLoadError}));
    EXPECT_TRUE(window.state == FakeWindowState());
}

TEST_F(SettingsFileDamage, DamagedSections)
{
    FakeSettingsWindow writer;
    writer.state.x = 77;
    writer.state.last_saved_version = {3, 0};
    const std::string osc = WriteWindowArchive(writer, "osc");
    const std::string common = WriteWindowArchive(writer, "data_v3_common");
    const std::string longClose = "</x" + std::string(50000, 'A') + ">";

    // The main window's own section: the message and the defaults.
    const std::string badOscs[] = {
        Replaced(osc, "</x>", longClose),
        Replaced(osc, "</x>", "</xAAAAAAAA>"),
        Replaced(osc, "<count>16</count>", "<count>4294967295</count>"),
        Replaced(osc, "<x>77</x>", "<x>" + Repeat("<a>", 100) + Repeat("</a>", 100) + "</x>"),
        osc + std::string(kMaxSectionBytes, ' '),
    };
    for (const std::string& bad : badOscs) {
        ASSERT_FALSE(bad.empty());
        ExpectRefused(FileOf({{"osc", bad}, {"data_v3_common", common}}), "osc");
    }

    // A variant's window section: the window's defaults, no message; the file still counts.
    {
        FakeSettingsWindow window;
        EXPECT_TRUE(Load(FileOf({{"osc", osc}, {"data_v3_common", Replaced(common, "</x>", longClose)}}), window));
        EXPECT_TRUE(window.messages.empty());
        EXPECT_TRUE(window.state == FakeWindowState());
        EXPECT_EQ(GetOscData()->GetVersion(), 3);
    }

    // A variant's model section: that variant's defaults, no message.
    {
        FakeSettingsWindow window;
        const std::string model = "<?xml version=\"1.0\"?><data_v3><base><mode>" + Repeat("<a>", 100) + "</mode></base></data_v3>";
        EXPECT_TRUE(Load(FileOf({{"osc", osc}, {"data_v3_common", common}, {"data_v3", model}}), window));
        EXPECT_TRUE(window.messages.empty());
        EXPECT_EQ(window.state.x, 77);
        EXPECT_EQ(GetOscData()->GetVersion(), 3);
        EXPECT_EQ(GetOscData()->mode, 0u);
    }
}

}  // namespace
