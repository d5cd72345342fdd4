// Durmitt: the production test of the instrument's logic ports.
//
//   durmitt [--demo]
//
// --demo offers the virtual instrument as the chooser's last entry, "Demo", wired as the test
// fixture is, so the test can be run without hardware.

#include "core/transport/Interfaces.h"
#include "sim/SimComm.h"
#include "sim/VirtualInstrument.h"
#include "testtool/DurmittApp.h"

#include <cstring>
#include <memory>

namespace {

CDurmittApp theApp;

// The test runs only against the hardware version it knows, so the demo instrument reports
// that one.
CComm* CreateDemoInstrument()
{
    auto instrument = std::make_shared<VirtualInstrument>();
    instrument->SetVersion(4, 0);
    return new CSimComm(instrument);
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--demo") == 0)
            theApp.SetDemoRegistration([] { Interfaces::Register(&CreateDemoInstrument, "Demo"); });
    return AfxWinMain(argc, argv);
}
