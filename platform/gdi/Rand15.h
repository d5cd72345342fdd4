#pragma once
// The 15-bit pseudo-random sequence that texture effects are tuned for: values 0..0x7FFF, the
// same sequence for the same seed on every platform (the C library's rand() is wider here).
// Each thread has its own sequence, starting as if seeded with 1.

inline constexpr int RAND15_MAX = 0x7FFF;

int Rand15();
void SRand15(unsigned seed);
