#pragma once
// What the settings file needs from the main window: it saves and loads its own elements, tells
// which device variant its settings belong to, takes its defaults and shows a message box.

#include <string>

namespace boost::archive {
class xml_oarchive;
class xml_iarchive;
}  // namespace boost::archive

// The class version written with the main window's elements. Version 1 archives hold one more
// "measure_dlg" after "math_dlg" and no "lgenerator_dlg"; version 0 archives in addition lack
// "not_hide_trigger_offset".
inline constexpr unsigned kWindowSettingsVersion = 2;

// "last_saved_version": the data-model variant (1..5) and hardware version the settings belong to.
struct SavedVersion {
    int version = 0;
    int hwVersion = 0;

    bool operator==(const SavedVersion&) const = default;
};

class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;

    // Writes the window's elements, in their fixed order, as class version kWindowSettingsVersion.
    virtual void SaveSettings(boost::archive::xml_oarchive& archive) = 0;
    // Reads the elements as written by class version `version`. May throw the archive's errors.
    virtual void LoadSettings(boost::archive::xml_iarchive& archive, unsigned version) = 0;

    virtual SavedVersion GetSavedVersion() const = 0;
    virtual void SetSavedVersion(const SavedVersion& saved) = 0;

    // CVelkaroDlg::SetDefaults.
    virtual void SetDefaults() = 0;
    virtual void ShowMessageBox(const std::string& text) = 0;
};
