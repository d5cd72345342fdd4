// Durmitt: the production test of the instrument's logic ports.
//
//   durmitt [--demo]
//
// --demo offers the virtual instrument as the chooser's last entry, "Demo", wired as the test
// fixture is, so the test can be run without hardware.

#include "sim/SimComm.h"
#include "testtool/DurmittApp.h"

#include <cstring>

namespace {

CDurmittApp theApp;

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--demo") == 0)
            // The test runs only against the hardware version it knows, so the demo instrument
            // reports that one.
            theApp.SetDemoRegistration([] { RegisterDemoInterface(4, 0); });
    return AfxWinMain(argc, argv);
}
