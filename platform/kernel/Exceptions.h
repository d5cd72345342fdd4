#pragma once
// The framework exceptions the system's code raises on misuse. Nothing catches them: they end
// the program, as an unhandled framework exception would.

#include <stdexcept>

class CInvalidArgException : public std::invalid_argument {
public:
    CInvalidArgException() : std::invalid_argument("invalid argument") {}
};

[[noreturn]] inline void AfxThrowInvalidArgException() { throw CInvalidArgException(); }
