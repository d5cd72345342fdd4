#pragma once
// Playback of the recorder files into the screen: while the recorder records, the screen shows
// the stretch of the files that the view's position and zoom select.

#include <cstdint>
#include <vector>

class CFile;

// The stretch of a recorder file under the screen, in stored samples.
struct PlaybackWindow {
    std::int64_t first = 0;   // first sample
    std::int64_t end = 0;     // one past the last sample
    int perPoint = 1;         // samples reduced into one screen point
};

// The window for the view (x_offset, zoom factors); false when the zoom factors are unusable.
bool ComputePlaybackWindow(int xOffset, int zoomOutHw, int zoomOutSw, int zoomIn, PlaybackWindow& window);

// Reduces 300 groups of `perPoint` records into screen points: with min/max a record is a
// (min, max) byte pair and each point keeps the lowest min and highest max; without, each
// point is its group's mean; a logic channel gives each of the 8 lines 0 (low throughout),
// 1 (changing) or 2 (high throughout). `records` holds 300 * perPoint records.
void ReduceAnalog(const std::vector<std::int8_t>& records, int perPoint, bool minMax, std::int32_t* points);
void ReduceLogic(const std::vector<std::int8_t>& records, int perPoint, std::uint8_t (*logic)[8]);

// Reads the window's records (`bytesPerRecord` each) after the file header; false when the file
// is too short or cannot be read, leaving `records` unusable.
bool ReadPlaybackRecords(CFile& file, const PlaybackWindow& window, int bytesPerRecord,
                         std::vector<std::int8_t>& records);
