#pragma once
// The main window's tool windows in their fixed order. The list does not own them; a slot may
// be empty (a window not made yet, or a test's partial set), and every walk skips empty slots.

#include <array>
#include <cstddef>

class CToolDialog;

class CToolDialogList {
public:
    enum Slot : std::size_t {
        MEASURE,
        MARKER,
        PROPERTIES,  // the settings window
        SERVICE,
        MATH,
        LANALYZER,
        LGENERATOR,
        SLOT_COUNT
    };

    void Set(Slot slot, CToolDialog* dialog);
    CToolDialog* Get(Slot slot) const;

    // Resets every window but the logic generator's, which keeps its pattern over a reset.
    void ResetWindows() const;
    // Refreshes every window, in list order.
    void Refresh() const;

    CToolDialog* const* begin() const { return slots_.data(); }
    CToolDialog* const* end() const { return slots_.data() + slots_.size(); }

private:
    std::array<CToolDialog*, SLOT_COUNT> slots_{};
};
