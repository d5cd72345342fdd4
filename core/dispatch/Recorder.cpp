// The recorder ("Самописец"): the device samples into its memory as a ring and the host streams
// the new samples of each enabled channel into one file per channel. The 30-byte header is
// written last, over the hole left at the start of the file.

#include "core/dispatch/OscDispatch.h"

#include "core/data/RecorderHeader.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* OPEN_ERROR = "Самописец: ошибка открытия файла!";
constexpr const char* WRITE_ERROR = "Самописец: ошибка записи в файл!";

std::string DescribeFileError(const CFileException& error)
{
    char text[256] = {};
    if (!error.GetErrorMessage(text, sizeof(text))) return {};
    return text;
}

// The one file two names lead to (links, "..", relative paths), also before it exists.
bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ea;
    std::error_code eb;
    const auto pa = std::filesystem::weakly_canonical(std::filesystem::path(a), ea);
    const auto pb = std::filesystem::weakly_canonical(std::filesystem::path(b), eb);
    if (ea || eb) return a == b;
    return pa == pb;
}

}  // namespace

void COscDispatch::ReportRecorderError(OscData& d, const char* what, const CString& path,
                                       const std::string& error)
{
    std::string text = what;
    text += "\nПуть: ";
    text += path;
    text += "\nОшибка: ";
    text += error;
    d.recorder_error(text);
}

bool COscDispatch::RecorderStep(OscData& d, const State& state)
{
    if ((d.mode & MODE_RECORDER) == 0) return false;
    const bool minMax = (d.osc_cr & OSC_CR_MIN_MAX) != 0;
    const int k = minMax ? 2 : 1;
    const std::int64_t depth = std::max(d.GetMemoryDepth(), 1u);

    if ((d.status & STATUS_RECORDER_START) != 0 && (state.osc_cr & OSC_CR_RECORDER) == 0) {
        if (!StartRecorderFiles(d)) return true;  // reported; acquisition stopped
        d.osc_cr |= OSC_CR_RECORDER;
        ring_position = 0;
        d.changes |= CHANGE_POSITION;
        d.recorder_samples = 0;
        d.x_offset = 0;
        ReplyCaptureStart(d);
        recorder_ack = RecorderAck::Start;
        return true;
    }

    if ((d.osc_cr & OSC_CR_RECORDER) != 0) {
        // What the device gathers in 200 ms, but at least one sample at the slowest rates.
        const std::int64_t perFifth =
            std::int64_t{d.GetSampleRateKHz()} * 1000 / (std::int64_t{d.x_skip} + 1) / 5;
        const std::int64_t chunk =
            std::max<std::int64_t>(std::min({depth / 2, std::int64_t{2029 / k}, perFifth}), 1);
        std::int64_t available = std::int64_t{state.num_catched_samples} - ring_position;
        if (available < 0) available += depth;
        if (chunk < available) {
            ReplyGetCh(static_cast<int>(ring_position), 0, static_cast<int>(chunk),
                       (d.osc_cr & OSC_CR_CH_A_ON) != 0 ? 0 : 1, minMax ? 1 : 0, 1);
            ring_position = static_cast<std::uint32_t>((ring_position + chunk) % depth);
        }
    }

    if ((d.status & STATUS_RECORDER_STOP) != 0) {
        StopRecorderFiles(d);
        d.osc_cr &= static_cast<std::uint16_t>(~OSC_CR_RECORDER);
        StartCyclone stop{};
        stop.data_id = PACKET_DATA_START_CYCLONE;
        stop.osc_cr = 0;
        Reply(stop);
        recorder_ack = RecorderAck::Stop;
    }
    return true;
}

bool COscDispatch::StartRecorderFiles(OscData& d)
{
    const bool on[2] = {(d.osc_cr & OSC_CR_CH_A_ON) != 0, (d.osc_cr & OSC_CR_CH_B_ON) != 0};
    // A file already created stays open: the stop that follows writes its header, so it is
    // left as a valid (empty) recording.
    const auto fail = [&](const char* what, const CString& path, const std::string& error) {
        d.Stop();
        ReportRecorderError(d, what, path, error);
        return false;
    };

    if (on[0] && on[1] && SameFile(d.str_datalogger_fn[0], d.str_datalogger_fn[1]))
        return fail(OPEN_ERROR, d.str_datalogger_fn[1],
                    "каналы A и B не могут писать в один и тот же файл");

    for (int c = 0; c < 2; ++c) {
        if (!on[c]) continue;
        recorder_file[c].Close();
        CFileException error;
        const UINT flags = CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite |
                           CFile::typeBinary | CFile::osSequentialScan;
        if (!recorder_file[c].Open(d.str_datalogger_fn[c].c_str(), flags, &error))
            return fail(OPEN_ERROR, d.str_datalogger_fn[c], DescribeFileError(error));
        try {
            recorder_file[c].Seek(static_cast<std::int64_t>(RECORDER_HEADER_SIZE), CFile::begin);
        } catch (const CFileException& e) {
            return fail(OPEN_ERROR, d.str_datalogger_fn[c], DescribeFileError(e));
        }
    }
    return true;
}

void COscDispatch::StopRecorderFiles(OscData& d)
{
    for (int c = 0; c < 2; ++c) {
        if (!recorder_file[c].IsOpen()) continue;
        RecorderHeader header{};
        d.FillRecorderHeader(c, header);
        try {
            recorder_file[c].SeekToBegin();
            recorder_file[c].Write(&header, static_cast<UINT>(sizeof(header)));
        } catch (const CFileException& e) {
            ReportRecorderError(d, WRITE_ERROR, recorder_file[c].GetFilePath(),
                                DescribeFileError(e));
        }
        recorder_file[c].Close();
    }
}

void COscDispatch::RecorderStream(OscData& d, const CH& header, const std::int8_t* data,
                                  int availableBytes)
{
    if (header.ch > 1) return;
    const int channel = header.ch;
    const int k = (d.osc_cr & OSC_CR_MIN_MAX) != 0 ? 2 : 1;
    const int length = SuppliedLength(header.length, availableBytes, k);

    if (recorder_file[channel].IsOpen()) {
        try {
            recorder_file[channel].Write(data, static_cast<UINT>(k * length));
        } catch (const CFileException& e) {
            // One message, then this file takes no more: every later packet would fail alike.
            // Acquisition stops as it does when a file cannot be created, so the recording
            // ends (and the other file gets its header) instead of running on half-written.
            ReportRecorderError(d, WRITE_ERROR, recorder_file[channel].GetFilePath(),
                                DescribeFileError(e));
            recorder_file[channel].Close();
            d.Stop();
        }
    }

    if (channel == 0 && (d.osc_cr & OSC_CR_CH_B_ON) != 0) {
        ReplyGetCh(header.offset, 0, length, 1, header.min_max != 0 ? 1 : 0, 1);
        return;
    }
    d.recorder_samples = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{d.recorder_samples} + length, INT32_MAX));
    d.last_num_catched_samples = d.recorder_samples;
    d.valid_points = SCREEN_POINTS;
}
