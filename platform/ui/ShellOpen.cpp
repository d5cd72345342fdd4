#include "platform/ui/ShellOpen.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>

namespace {

constexpr std::size_t kMaxUrlBytes = 2048;
constexpr const char* kLauncher = "xdg-open";

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    for (std::size_t i = 0; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

bool ShellOpen(const std::string& target)
{
    if (target.empty() || target.find('\0') != std::string::npos) return false;
    // startDetached runs the program itself (fork and exec, no shell) in a process of its own
    // and returns once it has started; the launcher's exit is never waited for.
    return QProcess::startDetached(QString::fromLatin1(kLauncher), QStringList{QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size()))});
}

bool IsOpenableUrl(const std::string& url)
{
    if (url.empty() || url.size() > kMaxUrlBytes || url.front() == '-') return false;
    const bool control = std::any_of(url.begin(), url.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
    if (control) return false;
    for (const char* scheme : {"http://", "https://", "ftp://"})
        if (StartsWithNoCase(url, scheme)) return url.size() > std::char_traits<char>::length(scheme);
    return StartsWithNoCase(url, "mailto:") && url.size() > 7;
}

bool ShellOpenUrl(const std::string& url)
{
    return IsOpenableUrl(url) && ShellOpen(url);
}
