#pragma once
// The whole settings store as one serialisable object, and the settings file it lives in.

#include "core/config/ConfigSections.h"

#include <boost/serialization/map.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/string.hpp>

#include <iosfwd>
#include <string>

// Its only content is ConfigSections, under "map_config".
class ConfigHolder {
public:
    template <class Archive>
    void serialize(Archive& archive, unsigned int /*version*/)
    {
        archive & boost::serialization::make_nvp("map_config", ConfigSections);
    }
};

// Writes every section as an XML archive whose single element is "config". Throws the
// archive's exceptions.
void WriteConfigArchive(std::ostream& out);

// Reads the archive written by WriteConfigArchive into ConfigSections. Throws the archive's
// exceptions; sections read before a fault stay in the store.
void ReadConfigArchive(std::istream& in);

// The settings file's name.
inline constexpr const char* kConfigFileName = "velkaro_cfg.xml";

// The folder for the settings file: the program's own folder when it can be written to,
// otherwise the user's configuration folder ($XDG_CONFIG_HOME/velkaro or ~/.config/velkaro).
// Empty when neither is available.
std::string ChooseConfigFolder(const std::string& programFolder, bool programFolderWritable);

// Full path of the settings file for the running program; empty when there is nowhere to keep it.
std::string GetConfigFilePath();

// Replaces the file's content in one step: the text goes to a temporary file beside it, which
// is flushed to disk and renamed over the file. On any failure the old file is left as it was
// and false is returned.
bool WriteFileReplacing(const std::string& path, const std::string& content);

// The whole file as text; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);
