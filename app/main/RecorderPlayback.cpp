#include "app/main/RecorderPlayback.h"

#include "core/data/OscData.h"
#include "core/data/RecorderHeader.h"
#include "platform/kernel/File.h"

#include <algorithm>
#include <limits>

namespace {

// More than this is a damaged setting, not a view: nothing is read.
constexpr std::int64_t kMaxPlaybackBytes = 64 * 1024 * 1024;

}  // namespace

bool ComputePlaybackWindow(int xOffset, int zoomOutHw, int zoomOutSw, int zoomIn, PlaybackWindow& window)
{
    if (zoomOutHw <= 0 || zoomOutSw <= 0 || zoomIn <= 0)
        return false;
    std::int64_t e = static_cast<std::int64_t>(xOffset) + SCREEN_POINTS;
    if (e != 0 && !(zoomOutSw == 1 && zoomIn == 1))
    {
        if (e < 0)
            e = -1 - ((-1 - e) * zoomOutSw / zoomIn);
        else
            e = (e - 1) * zoomOutSw / zoomIn + 1;
    }
    window.end = e * zoomOutHw;
    window.perPoint = zoomOutHw;
    window.first = window.end - static_cast<std::int64_t>(SCREEN_POINTS) * zoomOutHw;
    return true;
}

void ReduceAnalog(const std::vector<std::int8_t>& records, int perPoint, bool minMax, std::int32_t* points)
{
    const std::size_t k = minMax ? 2 : 1;
    if (perPoint <= 0 || records.size() < k * static_cast<std::size_t>(perPoint) * SCREEN_POINTS)
        return;
    for (int p = 0; p < SCREEN_POINTS; ++p)
    {
        const std::int8_t* group = records.data() + k * static_cast<std::size_t>(p) * perPoint;
        if (minMax)
        {
            int lo = std::numeric_limits<int>::max();
            int hi = std::numeric_limits<int>::min();
            for (int i = 0; i < perPoint; ++i)
            {
                lo = std::min<int>(lo, group[2 * i]);
                hi = std::max<int>(hi, group[2 * i + 1]);
            }
            points[2 * p] = lo;
            points[2 * p + 1] = hi;
        }
        else
        {
            std::int64_t sum = 0;
            for (int i = 0; i < perPoint; ++i)
                sum += group[i];
            points[p] = static_cast<std::int32_t>(sum / perPoint);
        }
    }
}

void ReduceLogic(const std::vector<std::int8_t>& records, int perPoint, std::uint8_t (*logic)[8])
{
    if (perPoint <= 0 || records.size() < static_cast<std::size_t>(perPoint) * SCREEN_POINTS)
        return;
    for (int p = 0; p < SCREEN_POINTS; ++p)
    {
        std::uint8_t all = 0xFF;
        std::uint8_t any = 0;
        for (int i = 0; i < perPoint; ++i)
        {
            const auto b = static_cast<std::uint8_t>(records[static_cast<std::size_t>(p) * perPoint + i]);
            all &= b;
            any |= b;
        }
        for (int line = 0; line < 8; ++line)
            logic[p][line] = static_cast<std::uint8_t>(((all >> line) & 1) + ((any >> line) & 1));
    }
}

bool ReadPlaybackRecords(CFile& file, const PlaybackWindow& window, int bytesPerRecord,
                         std::vector<std::int8_t>& records)
{
    if (window.first < 0 || bytesPerRecord <= 0 || window.perPoint <= 0)
        return false;
    const std::int64_t bytes = static_cast<std::int64_t>(SCREEN_POINTS) * window.perPoint * bytesPerRecord;
    if (bytes > kMaxPlaybackBytes)
        return false;
    try
    {
        const std::int64_t start = RECORDER_HEADER_SIZE + window.first * bytesPerRecord;
        if (static_cast<std::int64_t>(file.GetLength()) < start + bytes)
            return false;
        file.Seek(start, CFile::begin);
        records.resize(static_cast<std::size_t>(bytes));
        return file.Read(records.data(), static_cast<UINT>(bytes)) == static_cast<UINT>(bytes);
    }
    catch (const CFileException&)
    {
        return false;
    }
}
