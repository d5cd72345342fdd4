// Velkaro: the oscilloscope, logic analyser and generator program of the instrument.
//
//   velkaro [--demo[=M.m]] [--service]
//
// --demo offers the virtual instrument as the chooser's last entry, "Demo"; it reports device
// version 2.1 (a pair this program supports, so connecting warns nothing) unless M.m names
// another. --service offers the "Сервис" and "ЛГ" buttons, hidden otherwise.

#include "app/main/VelkaroApp.h"
#include "app/program/ToolWindows.h"
#include "sim/SimComm.h"

#include <cstdio>
#include <cstring>

namespace {

CVelkaroApp theApp;

// "M.m" with each part 0..255; false for anything else.
bool ParseVersion(const char* text, int& major, int& minor)
{
    unsigned a = 0;
    unsigned b = 0;
    char end = 0;
    if (std::sscanf(text, "%3u.%3u%c", &a, &b, &end) != 2 || a > 255 || b > 255)
        return false;
    major = static_cast<int>(a);
    minor = static_cast<int>(b);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        int major = kDemoVersionMajor;
        int minor = kDemoVersionMinor;
        if (std::strcmp(argv[i], "--demo") == 0 ||
            (std::strncmp(argv[i], "--demo=", 7) == 0 && ParseVersion(argv[i] + 7, major, minor)))
        {
            theApp.SetDemoRegistration([major, minor] {
                RegisterDemoInterface(static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor));
            });
        }
        else if (std::strcmp(argv[i], "--service") == 0)
        {
            theApp.SetServiceButtonsShown(true);
        }
        else
        {
            std::fprintf(stderr, "usage: velkaro [--demo[=M.m]] [--service]\n");
            return 2;
        }
    }
    InstallToolWindows();
    return AfxWinMain(argc, argv);
}
