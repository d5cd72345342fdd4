#include "app/settings/SettingsFile.h"

#include "core/config/ConfigHolder.h"
#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"
#include "platform/testing/FileSizeLimit.h"
#include "support/FakeSettingsWindow.h"
#include "support/SettingsFileFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class SettingsFile : public SettingsFileFixture {
protected:
    SettingsFile() : SettingsFileFixture("settings_file") {}

    // What the main window does at start-up: load the file, then select the variant its
    // settings name.
    void Start(FakeSettingsWindow& window)
    {
        SerializeConfigFile(window, false, path_);
        const SavedVersion saved = window.GetSavedVersion();
        SelectOscDataVersion(saved.version, saved.hwVersion);
    }

    std::set<std::string> SectionsInFile() const
    {
        std::string text;
        EXPECT_TRUE(ReadWholeFile(path_, text));
        ConfigSections.clear();
        ReadConfigArchive(text);
        std::set<std::string> keys;
        for (const auto& entry : ConfigSections)
            keys.insert(entry.first);
        return keys;
    }
};

TEST_F(SettingsFile, FreshStartTakesDefaultsAndWritesOnlyTheSectionsInUse)
{
    FakeSettingsWindow window;
    Start(window);
    EXPECT_EQ(window.defaultsTaken, 1);
    EXPECT_TRUE(window.messages.empty());  // a missing file is no error
    EXPECT_EQ(GetOscData()->GetVersion(), 2);

    ASSERT_TRUE(CloseSettings(window, path_));
    // Saving after the model is gone must not make up a version-1 model for "data_v1_common".
    EXPECT_EQ(SectionsInFile(), (std::set<std::string>{"osc", "data_v2", "data_v2_common"}));
}

TEST_F(SettingsFile, RoundTripKeepsCyrillicAndMarkupInTexts)
{
    FakeSettingsWindow window;
    Start(window);
    SwitchVariantSettings(window, 3, 2);
    window.state.x = 140;
    window.state.y = 90;
    window.state.hotkeys = "Ctrl+<Пробел> & \"Стоп\"";
    window.state.la_net_name[0] = "Тактовый & <CLK>";
    window.state.la_net_name[15] = "Данные 'SDA' ]]>";
    window.state.la_net_display[3] = 0;
    window.state.la_net_display_labels = false;
    window.state.lgenerator_dlg = 7;
    FakeWindowState saved = window.state;
    saved.last_saved_version = {3, 2};  // closing records the variant in use
    ASSERT_TRUE(CloseSettings(window, path_));
    ConfigSections.clear();

    FakeSettingsWindow next;
    Start(next);
    EXPECT_TRUE(next.messages.empty());
    EXPECT_EQ(next.defaultsTaken, 0);
    EXPECT_EQ(next.loadedVersion, kWindowSettingsVersion);
    EXPECT_EQ(next.state.last_saved_version.version, 3);
    EXPECT_EQ(next.state.last_saved_version.hwVersion, 2);
    EXPECT_TRUE(next.state == saved);
    EXPECT_EQ(GetOscData()->GetVersion(), 3);
}

TEST_F(SettingsFile, DamagedFilesShowTheMessageOnceAndGiveDefaults)
{
    // Not XML at all.
    ASSERT_TRUE(WriteFileReplacing(path_, "<<< this is no settings file"));
    FakeSettingsWindow garbage;
    garbage.state.x = 5;
    EXPECT_FALSE(SerializeConfigFile(garbage, false, path_));
    EXPECT_EQ(garbage.messages, (std::vector<std::string>{kConfigLoadError}));
    EXPECT_EQ(garbage.state.x, 0);

    // A valid store without "osc": the sections read stay in the store.
    ConfigSections.clear();
    StoreSection("data_v4", "kept");
    std::ostringstream file;
    WriteConfigArchive(file);
    ASSERT_TRUE(WriteFileReplacing(path_, file.str()));
    ConfigSections.clear();
    FakeSettingsWindow noOsc;
    EXPECT_FALSE(SerializeConfigFile(noOsc, false, path_));
    EXPECT_EQ(noOsc.messages.size(), 1u);
    EXPECT_GE(noOsc.defaultsTaken, 1);
    EXPECT_EQ(ConfigSections["data_v4"], "kept");

    // "osc" present but damaged.
    ConfigSections.clear();
    StoreSection("osc", "<?xml version=\"1.0\"?><broken");
    std::ostringstream damaged;
    WriteConfigArchive(damaged);
    ASSERT_TRUE(WriteFileReplacing(path_, damaged.str()));
    FakeSettingsWindow badOsc;
    EXPECT_FALSE(SerializeConfigFile(badOsc, false, path_));
    EXPECT_EQ(badOsc.messages.size(), 1u);
}

TEST_F(SettingsFile, MissingCommonSectionGivesDefaultsWithoutAMessage)
{
    FakeSettingsWindow writer;
    writer.state.x = 77;
    writer.state.last_saved_version = {5, 0};
    ConfigSections.clear();
    StoreSection("osc", WriteWindowArchive(writer, "osc"));
    std::ostringstream file;
    WriteConfigArchive(file);
    ASSERT_TRUE(WriteFileReplacing(path_, file.str()));
    ConfigSections.clear();

    FakeSettingsWindow window;
    EXPECT_TRUE(SerializeConfigFile(window, false, path_));
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.defaultsTaken, 1);
    EXPECT_EQ(window.state.x, 0);
    EXPECT_EQ(GetOscData()->GetVersion(), 5);  // the variant named in "osc" was selected
}

TEST_F(SettingsFile, ClassVersionOneArchiveLoads)
{
    FakeWindowState old;
    old.x = 12;
    old.y = 34;
    old.not_hide_trigger_offset = 1;
    old.measure_dlg = 9;  // written twice by version 1
    old.math_dlg = 4;
    old.lanalyzer_dlg = 6;
    old.la_net_name[2] = "Сброс";
    old.last_saved_version = {1, 10};
    StoreSection("osc", WriteVersionOneArchive(old, "osc"));
    StoreSection("data_v1_common", WriteVersionOneArchive(old, "data_v1_common"));
    std::ostringstream file;
    WriteConfigArchive(file);
    ASSERT_TRUE(WriteFileReplacing(path_, file.str()));
    ConfigSections.clear();

    FakeSettingsWindow window;
    window.state.lgenerator_dlg = 3;  // not in the archive: left to the window
    EXPECT_TRUE(SerializeConfigFile(window, false, path_));
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.defaultsTaken, 0);
    EXPECT_EQ(window.loadedVersion, 1u);
    EXPECT_EQ(window.state.x, 12);
    EXPECT_EQ(window.state.y, 34);
    EXPECT_EQ(window.state.measure_dlg, 9);
    EXPECT_EQ(window.state.math_dlg, 4);
    EXPECT_EQ(window.state.lanalyzer_dlg, 6);
    EXPECT_EQ(window.state.lgenerator_dlg, 3);
    EXPECT_EQ(window.state.la_net_name[2], "Сброс");
    EXPECT_EQ(GetOscData()->GetVersion(), 1);
}

TEST_F(SettingsFile, EachVariantKeepsItsOwnWindowSettings)
{
    FakeSettingsWindow window;
    Start(window);
    SwitchVariantSettings(window, 1, 10);
    window.state.x = 111;
    window.state.la_net_name[4] = "Линия & <4>";

    ASSERT_TRUE(SwitchVariantSettings(window, 2, 1));
    EXPECT_EQ(GetOscData()->GetVersion(), 2);
    EXPECT_EQ(window.state.x, 0);  // variant 2 has no settings of its own yet
    window.state.x = 222;

    ASSERT_TRUE(SwitchVariantSettings(window, 1, 10));
    EXPECT_EQ(window.state.x, 111);
    EXPECT_EQ(window.state.la_net_name[4], "Линия & <4>");

    ASSERT_TRUE(SwitchVariantSettings(window, 2, 1));
    EXPECT_EQ(window.state.x, 222);
    EXPECT_EQ(window.state.la_net_name[4], "A4");
}

TEST_F(SettingsFile, FailedSaveKeepsThePreviousFile)
{
    FakeSettingsWindow window;
    Start(window);
    window.state.x = 1;
    ASSERT_TRUE(SerializeConfigFile(window, true, path_));
    std::string before;
    ASSERT_TRUE(ReadWholeFile(path_, before));

    // The window cannot be written.
    window.state.x = 2;
    window.failSaving = true;
    EXPECT_FALSE(SerializeConfigFile(window, true, path_));
    std::string after;
    ASSERT_TRUE(ReadWholeFile(path_, after));
    EXPECT_EQ(after, before);

    // The disk refuses the new file.
    window.failSaving = false;
    {
        const FileSizeLimit limit(16);
        EXPECT_FALSE(SerializeConfigFile(window, true, path_));
    }
    ASSERT_TRUE(ReadWholeFile(path_, after));
    EXPECT_EQ(after, before);
}

TEST_F(SettingsFile, CommonSectionIsLeftAloneOnceTheModelIsClosed)
{
    FakeSettingsWindow window;
    Start(window);
    ASSERT_TRUE(CloseSettings(window, path_));
    ConfigSections.erase("data_v2_common");
    SerializeCommonSection(window, true);
    SerializeCommonSection(window, false);
    EXPECT_EQ(ConfigSections.count("data_v1_common"), 0u);
    EXPECT_EQ(ConfigSections.count("data_v2_common"), 0u);
}

}  // namespace
