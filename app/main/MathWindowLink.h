#pragma once
// What the main window asks of the mathematics window: the operation whose trace the tick
// computes. As with the marker window, the main window cannot know that window's class and
// finds this call on whatever sits in its math slot.

class MathWindowLink {
public:
    virtual ~MathWindowLink() = default;

    // 0 no math trace, 1 A+B, 2 A-B, 3 B-A.
    virtual int GetMathOperation() const = 0;
};
