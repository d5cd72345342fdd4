#pragma once
// The list of transports the interface chooser offers: a creator and a display name each, in
// the order they were registered. Each program registers its own set at start-up with an
// explicit call (RegisterTransports), so nothing depends on the order of static initialisation.

#include "platform/kernel/CString.h"

#include <stdexcept>

class CComm;

using CommCreator = CComm* (*)();

// Thrown for an index outside the registry.
class InterfacesRangeError : public std::out_of_range {
public:
    InterfacesRangeError() : std::out_of_range("Interfaces:: Subscript out of range!") {}
};

class Interfaces {
public:
    static void Register(CommCreator creator, const CString& name);
    static int GetCount();
    // Both throw InterfacesRangeError when i is negative or not below the count.
    static CString GetName(int i);
    static CommCreator GetCreator(int i);
    // A new transport of entry i; the caller owns it.
    static CComm* Create(int i);
    // Empties the registry (start-up of a second configuration in the same process, tests).
    static void Clear();
};
