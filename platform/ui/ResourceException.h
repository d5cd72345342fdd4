#pragma once
// The framework's resource exception: raised when a window class, a GDI object or another
// resource the program cannot run without could not be made.

class CResourceException {};

[[noreturn]] inline void AfxThrowResourceException()
{
    throw CResourceException();
}
