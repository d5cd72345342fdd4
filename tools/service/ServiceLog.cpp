#include "tools/service/ServiceLog.h"

#include "platform/kernel/File.h"

#include <algorithm>
#include <cstdio>

std::string ServiceLogFileName(const SYSTEMTIME& time)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%02u.%02u.%02u %02u.%02u", static_cast<unsigned>(time.wDay % 100),
                  static_cast<unsigned>(time.wMonth % 100), static_cast<unsigned>(time.wYear % 100),
                  static_cast<unsigned>(time.wHour % 100), static_cast<unsigned>(time.wMinute % 100));
    return std::string("Лог сервера ") + text + ".txt";
}

bool WriteServiceLog(const std::string& path, const std::vector<std::string>& lines, std::string& error)
{
    // The whole text first: a file that cannot take it all is reported, not left half-written
    // without a word.
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    CFile file;
    CFileException failure;
    // Binary: the line ends are already those the file must hold.
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary, &failure)) {
        error = failure.GetErrorMessage();
        return false;
    }
    try {
        std::size_t done = 0;
        while (done < text.size()) {
            const std::size_t chunk = std::min<std::size_t>(text.size() - done, 1u << 20);
            file.Write(text.data() + done, static_cast<UINT>(chunk));
            done += chunk;
        }
        file.Close();
    } catch (const CFileException& e) {
        error = e.GetErrorMessage();
        return false;
    }
    return true;
}
