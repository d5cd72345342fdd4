#pragma once
// What the writer's tests look at: a file's bytes, the names in a folder, and a limit on the
// size of every file the process writes, which fails writes as a full disk does for any user.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

inline std::set<std::string> NamesIn(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}
