#pragma once
// Small rules that several device variants share.

#include <climits>

namespace variant_rules {

// Reference gain step of versions 2, 3 and 5: the middle index of each group of three.
inline int GainIndexAroundMiddle(unsigned u)
{
    const int index = static_cast<int>(u);
    switch (u % 3) {
    case 0:
        return index;
    case 1:
        return index - 1;
    default:
        return index + 1;
    }
}

// Devices that count in sample pairs move by two samples per step.
inline int DoubledDelta(int delta)
{
    if (delta > INT_MAX / 2) return INT_MAX - 1;
    if (delta < INT_MIN / 2) return INT_MIN;
    return delta * 2;
}

// An even position, rounded toward zero.
inline int EvenTowardZero(int position)
{
    return position - position % 2;
}

}  // namespace variant_rules
