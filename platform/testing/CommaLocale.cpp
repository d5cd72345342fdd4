#include "platform/testing/CommaLocale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kCandidates[] = {"de_DE.UTF-8", "de_DE.utf8", "ru_RU.UTF-8", "ru_RU.utf8"};

bool DecimalPointIsComma()
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    return std::strcmp(text, "1,5") == 0;
}

std::string TryInstalled()
{
    for (const char* name : kCandidates)
        if (std::setlocale(LC_ALL, name) != nullptr && DecimalPointIsComma())
            return name;
    std::setlocale(LC_ALL, "C");
    return {};
}

// localedef needs no privileges when it writes into a folder of our own; LOCPATH points glibc
// there.
bool Generate(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    const std::string out = folder + "/de_DE.UTF-8";
    if (std::filesystem::exists(out))
        return true;
    // Test programs run in parallel: each builds its own copy and renames it into place, so a
    // half-written locale is never seen. Losing the race leaves the other copy, which is as good.
    const std::string mine = out + ".tmp" + std::to_string(getpid());
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        execlp("localedef", "localedef", "-i", "de_DE", "-f", "UTF-8", mine.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::error_code ignored;
    std::filesystem::rename(mine, out, ignored);
    std::filesystem::remove_all(mine, ignored);
    return std::filesystem::exists(out);
}

}  // namespace

std::string EnterCommaLocale()
{
    std::string name = TryInstalled();
    if (!name.empty())
        return name;
    const std::string folder = std::string(VELKARO_TEST_OUTPUT_DIR) + "/locale";
    if (!Generate(folder))
        return {};
    setenv("LOCPATH", folder.c_str(), 1);
    return TryInstalled();
}

void LeaveCommaLocale()
{
    std::setlocale(LC_ALL, "C");
}
