#pragma once
// The contents of a program's log list, kept apart from the list box: each timer tick catches up
// with the event log (at most 500 new lines a tick, at most 1000 lines kept, the last line
// selected) and reports what changed, so the dialog only mirrors the change into its list box.
// UI thread only.

#include "packetview/LoggedFrame.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

class CListBox;

class LogList {
public:
    static constexpr std::size_t kMaxNewLinesPerTick = 500;
    static constexpr std::size_t kMaxLines = 1000;

    // What one tick changed: lines appended at the end, then lines deleted from the front,
    // then the selection. `changed` is false when the log had nothing new.
    struct Update {
        bool changed = false;
        std::vector<std::string> appended;
        std::size_t removedFromFront = 0;
        int selected = -1;
    };

    // Reads the lines the event log gained since the last tick.
    Update Tick();

    // The catch-up rule applied to lines already read (oldest first).
    Update Append(std::vector<std::string> lines);

    const std::deque<std::string>& Lines() const { return lines_; }
    int GetCount() const { return static_cast<int>(lines_.size()); }
    int Selected() const { return selected_; }

    // The frame logged on line `index` (the double click); nothing for a line out of range or
    // a line that holds no valid frame.
    std::optional<LoggedFrame> DecodeLine(int index) const;

private:
    std::deque<std::string> lines_;
    int selected_ = -1;
    std::uint64_t seenTotal_ = 0;
};

// Mirrors one tick's change into a list box; long lines widen its scrolling extent so that they
// can be read to their end.
void ShowLogUpdate(CListBox& list, const LogList::Update& update);
