#pragma once
// The options of velkaro-sim: the variant the instrument reports, its faults and its signals.

#include "sim/VirtualInstrument.h"

// Applies the command line (argv[0] is the program) to the instrument it serves; false, after
// printing the usage to stderr, for an option that is unknown, lacks its value or has a bad one.
// Without --version the instrument reports the demo's version (kDemoVersion* in SimComm.h), one
// the programs support, so connecting to it warns nothing.
bool ApplySimOptions(int argc, const char* const* argv, VirtualInstrument& instrument);
