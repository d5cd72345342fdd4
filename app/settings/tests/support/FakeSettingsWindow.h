#pragma once
// A main window reduced to its stored settings, in the element order the real one uses.

#include "app/settings/SettingsWindow.h"

#include <string>
#include <vector>

struct FakeWindowState {
    int x = 0;
    int y = 0;
    std::string hotkeys = "defaults";
    int check_digital_bus = 0;
    SavedVersion last_saved_version{2, 1};
    int def_save_type = 0;
    int minmax = 0;
    int not_hide_trigger_level = 0;
    int not_hide_trigger_offset = 0;
    int minmax_draw_type = 0;
    int show_legend = 0;
    int show_cross = 0;
    int extra_tick_full_time = 0;
    std::vector<std::string> la_net_name;
    std::vector<int> la_net_display;
    bool la_net_display_labels = true;
    int measure_dlg = 0;
    int marker_dlg = 0;
    int properties_dlg = 0;
    int service_dlg = 0;
    int math_dlg = 0;
    int lanalyzer_dlg = 0;
    int lgenerator_dlg = 0;

    FakeWindowState();
    bool operator==(const FakeWindowState&) const = default;
};

class FakeSettingsWindow : public SettingsWindow {
public:
    void SaveSettings(boost::archive::xml_oarchive& archive) override;
    void LoadSettings(boost::archive::xml_iarchive& archive, unsigned version) override;
    SavedVersion GetSavedVersion() const override { return state.last_saved_version; }
    void SetSavedVersion(const SavedVersion& saved) override { state.last_saved_version = saved; }
    void SetDefaults() override
    {
        state = FakeWindowState();
        ++defaultsTaken;
    }
    void ShowMessageBox(const std::string& text) override { messages.push_back(text); }

    FakeWindowState state;
    int defaultsTaken = 0;
    std::vector<std::string> messages;
    unsigned loadedVersion = 99;
    bool failSaving = false;
};

// Text of an "osc"-style archive as a class-version-1 main window wrote it.
std::string WriteVersionOneArchive(const FakeWindowState& state, const std::string& name);
