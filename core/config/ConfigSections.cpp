#include "core/config/ConfigSections.h"

std::map<std::string, std::string> ConfigSections;

void StoreSection(const std::string& name, const std::string& text)
{
    ConfigSections[name] = text;
}

bool RestoreSection(const std::string& name, std::string& text)
{
    const auto it = ConfigSections.find(name);
    if (it == ConfigSections.end())
        return false;
    text = it->second;
    return true;
}

void StoreSection(const std::string& name, const std::stringstream& stream)
{
    StoreSection(name, stream.str());
}

bool RestoreSection(const std::string& name, std::stringstream& stream)
{
    const auto it = ConfigSections.find(name);
    if (it == ConfigSections.end())
        return false;
    stream.str(it->second);
    stream.clear();
    stream.seekg(0);
    stream.seekp(0, std::ios_base::end);
    return true;
}
