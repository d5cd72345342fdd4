#pragma once
// The whole settings store as one serialisable object, and the settings file it lives in.

#include "core/config/ConfigSections.h"

#include <boost/serialization/map.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/string.hpp>

#include <cstddef>
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
// exceptions, also when the text fails CheckArchiveText (then before anything is read);
// sections read before a fault stay in the store.
void ReadConfigArchive(const std::string& text);

// The settings file's name.
inline constexpr const char* kConfigFileName = "velkaro_cfg.xml";

// The folder for the settings file: the program's own folder when it can be written to,
// otherwise the user's configuration folder ($XDG_CONFIG_HOME/velkaro or ~/.config/velkaro).
// Empty when neither is available.
std::string ChooseConfigFolder(const std::string& programFolder, bool programFolderWritable);

// Full path of the settings file for the running program; empty when there is nowhere to keep it.
std::string GetConfigFilePath();

// Replaces the file's content in one step: the text goes to a temporary file of its own beside
// it (a name no other program or thread uses at the same time, so two programs saving at once
// each rename a complete file), which is flushed to disk and renamed over the file. On any
// failure the old file is left as it was, the temporary file is removed and false is returned.
// The settings are never written in place: a second hard link to them is given up rather than
// risk them; owner, group and permissions are kept where the system allows.
bool WriteFileReplacing(const std::string& path, const std::string& content);

// The whole file as text; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);

enum class FileReadResult { Read, Missing, TooLarge };

// The whole file as text when it holds at most `maxBytes` bytes. A larger file is refused
// before it is read (TooLarge); a file that cannot be opened or read is Missing.
FileReadResult ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& content);
