#include "app/settings/SettingsFile.h"

#include "core/config/ArchiveCheck.h"
#include "core/config/ConfigHolder.h"
#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/version.hpp>

#include <exception>
#include <sstream>

namespace {

// The main window as the archive sees it: one object whose class version is the window's
// settings version, delegating its elements to the window.
class WindowElements {
public:
    explicit WindowElements(SettingsWindow& window) : window_(window) {}

    void save(boost::archive::xml_oarchive& archive, unsigned int /*version*/) const { window_.SaveSettings(archive); }
    void load(boost::archive::xml_iarchive& archive, unsigned int version) { window_.LoadSettings(archive, version); }
    BOOST_SERIALIZATION_SPLIT_MEMBER()

private:
    SettingsWindow& window_;
};

}  // namespace

BOOST_CLASS_VERSION(WindowElements, kWindowSettingsVersion)
BOOST_CLASS_TRACKING(WindowElements, boost::serialization::track_never)

std::string WriteWindowArchive(SettingsWindow& window, const std::string& name)
{
    std::ostringstream out;
    {
        // The archive writes its closing tags when it goes away.
        boost::archive::xml_oarchive archive(out);
        const WindowElements elements(window);
        archive << boost::serialization::make_nvp(name.c_str(), elements);
    }
    return out.str();
}

void ReadWindowArchive(SettingsWindow& window, const std::string& name, const std::string& text)
{
    RequireArchiveText(text, kMaxSectionBytes);
    std::istringstream in(text);
    boost::archive::xml_iarchive archive(in, kArchiveReadFlags);
    WindowElements elements(window);
    archive >> boost::serialization::make_nvp(name.c_str(), elements);
}

void SerializeCommonSection(SettingsWindow& window, bool store)
{
    CSingleLock lock(&DataLock, TRUE);
    // Storing never creates a model: after the model is gone for exit, a fresh version-1 model
    // would otherwise receive the closing window's settings. Restoring applies the section of
    // the model there is, or of the default one.
    const OscData* data = store ? PeekOscData() : GetOscData();
    if (data == nullptr)
        return;
    const std::string key = std::string(data->GetSectionName()) + "_common";
    if (store) {
        try {
            StoreSection(key, WriteWindowArchive(window, key));
        } catch (const std::exception&) {
            // The section keeps its previous text.
        }
        return;
    }
    try {
        std::string text;
        if (!RestoreSection(key, text))
            throw boost::archive::archive_exception(boost::archive::archive_exception::input_stream_error);
        ReadWindowArchive(window, key, text);
    } catch (const std::exception&) {
        window.SetDefaults();
    }
}

bool SerializeConfigFile(SettingsWindow& window, bool save, const std::string& path)
{
    if (save) {
        if (path.empty())
            return false;
        // Everything is written into memory first: the file is only replaced by a complete one.
        try {
            SerializeCommonSection(window, true);
            StoreSection("osc", WriteWindowArchive(window, "osc"));
            std::ostringstream file;
            WriteConfigArchive(file);
            return WriteFileReplacing(path, file.str());
        } catch (const std::exception&) {
            return false;
        }
    }

    std::string text;
    const FileReadResult read = path.empty() ? FileReadResult::Missing : ReadFileUpTo(path, kMaxConfigFileBytes, text);
    if (read == FileReadResult::Missing) {
        window.SetDefaults();
        return false;
    }
    bool loaded = true;
    try {
        // A file too large to be ours is damaged like any other.
        if (read == FileReadResult::TooLarge)
            throw boost::archive::archive_exception(boost::archive::archive_exception::input_stream_error);
        ReadConfigArchive(text);
        std::string osc;
        if (!RestoreSection("osc", osc))
            throw boost::archive::archive_exception(boost::archive::archive_exception::input_stream_error);
        ReadWindowArchive(window, "osc", osc);
        const SavedVersion saved = window.GetSavedVersion();
        SelectOscDataVersion(saved.version, saved.hwVersion);
    } catch (const std::exception&) {
        loaded = false;
        window.ShowMessageBox(kConfigLoadError);
        window.SetDefaults();
    }
    SerializeCommonSection(window, false);
    return loaded;
}

bool SerializeConfigFile(SettingsWindow& window, bool save)
{
    return SerializeConfigFile(window, save, GetConfigFilePath());
}

bool SwitchVariantSettings(SettingsWindow& window, int version, int hwVersion)
{
    CSingleLock lock(&DataLock, TRUE);
    SerializeCommonSection(window, true);
    const bool selected = SelectOscDataVersion(version, hwVersion);
    SerializeCommonSection(window, false);
    return selected;
}

bool CloseSettings(SettingsWindow& window, const std::string& path)
{
    {
        CSingleLock lock(&DataLock, TRUE);
        if (const OscData* data = PeekOscData())
            window.SetSavedVersion(SavedVersion{data->GetVersion(), data->created_hw_version});
    }
    SerializeCommonSection(window, true);
    {
        CSingleLock lock(&DataLock, TRUE);
        DeleteOscData();
    }
    return SerializeConfigFile(window, true, path);
}

bool CloseSettings(SettingsWindow& window)
{
    return CloseSettings(window, GetConfigFilePath());
}
