// The recorder ("Самописец"): the device samples into its memory as a ring and the host streams
// the new samples of each enabled channel into one file per channel. The 30-byte header is
// written last, over zeros that the start writes in its place.
//
// A recording that fails to write still leaves readable files: the failing file is cut back to
// the whole samples it holds and gets a header that counts them, the others get theirs at the
// stop that follows, and the user hears of it once.

#include "core/dispatch/OscDispatch.h"

#include "core/data/RecorderHeader.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace {

constexpr std::int64_t HEADER_BYTES = static_cast<std::int64_t>(RECORDER_HEADER_SIZE);
constexpr const char* OPEN_ERROR = "Самописец: ошибка открытия файла!";
constexpr const char* WRITE_ERROR = "Самописец: ошибка записи в файл!";
constexpr const char* NO_FILE_A = "Самописец: не выбран файл для записи канала A!";
constexpr const char* NO_FILE_B = "Самописец: не выбран файл для записи канала B!";

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

// Tells the user of the first failure of a recording. What follows from the same cause (the
// other file on the same full disk, a header that cannot be written either) adds nothing new.
void COscDispatch::FailRecorder(OscData& d, const char* what, const CString& path,
                                const std::string& error)
{
    if (recorder_failed) return;
    recorder_failed = true;
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
        for (int c = 0; c < 2; ++c)
            if (recorder_file[c].IsOpen()) d.FillRecorderHeader(c, recorder_header[c]);
        // What the device gathers in 200 ms, but at least one sample at the slowest rates.
        const std::int64_t perFifth =
            std::int64_t{d.GetSampleRateKHz()} * 1000 / (std::int64_t{d.x_skip} + 1) / 5;
        const std::int64_t chunk =
            std::max<std::int64_t>(std::min({depth / 2, std::int64_t{2029 / k}, perFifth}), 1);
        std::int64_t available = std::int64_t{state.num_catched_samples} - ring_position;
        if (available < 0) available += depth;
        if (chunk < available && !recorder_failed) {
            ReplyGetCh(static_cast<int>(ring_position), 0, static_cast<int>(chunk),
                       (d.osc_cr & OSC_CR_CH_A_ON) != 0 ? 0 : 1, minMax ? 1 : 0, 1);
            ring_position = static_cast<std::uint32_t>((ring_position + chunk) % depth);
        }
    }

    // A failed recording ends even if the stop request it raised has been lost on the way.
    const bool failedWhileRecording = recorder_failed && (d.osc_cr & OSC_CR_RECORDER) != 0;
    if ((d.status & STATUS_RECORDER_STOP) != 0 || failedWhileRecording) {
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
    recorder_failed = false;
    // A file already created stays open: the stop that follows writes its header, so it is
    // left as a valid (empty) recording.
    const auto fail = [&](const char* what, const CString& path, const std::string& error) {
        d.Stop();
        FailRecorder(d, what, path, error);
        return false;
    };

    // Checked for every channel before any file is created, so that a missing name leaves no
    // half-started recording behind. Two empty names are no choice at all, not one shared file.
    for (int c = 0; c < 2; ++c) {
        if (!on[c] || !d.str_datalogger_fn[c].empty()) continue;
        d.Stop();
        recorder_failed = true;
        d.recorder_error(c == 0 ? NO_FILE_A : NO_FILE_B);
        return false;
    }

    if (on[0] && on[1] && SameFile(d.str_datalogger_fn[0], d.str_datalogger_fn[1]))
        return fail(OPEN_ERROR, d.str_datalogger_fn[1],
                    "каналы A и B не могут писать в один и тот же файл");

    for (int c = 0; c < 2; ++c) {
        if (!on[c]) continue;
        recorder_file[c].Close();
        recorder_file_samples[c] = 0;
        CFileException error;
        const UINT flags = CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite |
                           CFile::typeBinary | CFile::osSequentialScan;
        if (!recorder_file[c].Open(d.str_datalogger_fn[c].c_str(), flags, &error))
            return fail(OPEN_ERROR, d.str_datalogger_fn[c], DescribeFileError(error));
        d.FillRecorderHeader(c, recorder_header[c]);
        // The header's place is written now, as the zeros a hole would read, rather than left
        // as a hole: a disk that fills up during the recording can then still take the header
        // over bytes it already holds, and a disk that is full already is found before the
        // device starts.
        try {
            const std::uint8_t zeros[RECORDER_HEADER_SIZE] = {};
            recorder_file[c].Write(zeros, static_cast<UINT>(sizeof(zeros)));
        } catch (const CFileException& e) {
            try {
                recorder_file[c].SetLength(0);
            } catch (const CFileException&) {
                // Not a file that can be cut (a device): there is nothing of ours to take back.
            }
            recorder_file[c].Close();
            return fail(WRITE_ERROR, d.str_datalogger_fn[c], DescribeFileError(e));
        }
    }
    return true;
}

bool COscDispatch::WriteRecorderHeader(OscData* d, int channel)
{
    if (d != nullptr) d->FillRecorderHeader(channel, recorder_header[channel]);
    RecorderHeader header = recorder_header[channel];
    // The samples this file really holds; the model's count says the same unless a write
    // failed part-way or the other channel's half of a stretch never arrived.
    header.samples = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(recorder_file_samples[channel], 0, INT32_MAX));
    try {
        recorder_file[channel].SeekToBegin();
        recorder_file[channel].Write(&header, static_cast<UINT>(sizeof(header)));
        return true;
    } catch (const CFileException& e) {
        if (d != nullptr)
            FailRecorder(*d, WRITE_ERROR, recorder_file[channel].GetFilePath(), DescribeFileError(e));
        return false;
    }
}

void COscDispatch::StopRecorderFiles(OscData& d)
{
    for (int c = 0; c < 2; ++c) {
        if (!recorder_file[c].IsOpen()) continue;
        WriteRecorderHeader(&d, c);
        recorder_file[c].Close();
    }
}

void COscDispatch::CloseRecorderFiles()
{
    if (!recorder_file[0].IsOpen() && !recorder_file[1].IsOpen()) return;
    CSingleLock lock(&DataLock, TRUE);
    // Not GetOscData: that would make a fresh model whose header describes nothing recorded.
    OscData* d = PeekOscData();
    for (int c = 0; c < 2; ++c) {
        if (!recorder_file[c].IsOpen()) continue;
        WriteRecorderHeader(d, c);
        recorder_file[c].Close();
    }
}

// After a write failed part-way: the file keeps the whole samples that reached it, cut after
// the last of them, and gets the header that counts them.
void COscDispatch::EndFailedRecorderFile(OscData& d, int channel, int k)
{
    CFile& file = recorder_file[channel];
    std::int64_t end = HEADER_BYTES + recorder_file_samples[channel] * k;
    try {
        end = static_cast<std::int64_t>(file.Seek(0, CFile::current));
    } catch (const CFileException&) {
        // Keep what was written before this packet.
    }
    const std::int64_t whole = std::max<std::int64_t>((end - HEADER_BYTES) / k, 0);
    recorder_file_samples[channel] = whole;
    try {
        file.SetLength(static_cast<std::uint64_t>(HEADER_BYTES + whole * k));
    } catch (const CFileException&) {
        // A trailing part of a sample may stay behind; the header does not count it.
    }
    WriteRecorderHeader(&d, channel);
    file.Close();
}

void COscDispatch::RecorderStream(OscData& d, const CH& header, const std::int8_t* data,
                                  int availableBytes)
{
    if (header.ch > 1) return;
    // A failed recording is over: no file takes more, and the other channel's half of the
    // stretch is not asked for.
    if (recorder_failed) return;
    const int channel = header.ch;
    const int k = (d.osc_cr & OSC_CR_MIN_MAX) != 0 ? 2 : 1;
    const int length = SuppliedLength(header.length, availableBytes, k);
    std::int64_t recorded = length;

    if (recorder_file[channel].IsOpen()) {
        const std::int64_t before = recorder_file_samples[channel];
        try {
            recorder_file[channel].Write(data, static_cast<UINT>(k * length));
            recorder_file_samples[channel] += length;
        } catch (const CFileException& e) {
            // Acquisition stops as it does when a file cannot be created, so the recording
            // ends at the next exchange and the other file gets its header there.
            d.Stop();
            FailRecorder(d, WRITE_ERROR, recorder_file[channel].GetFilePath(),
                         DescribeFileError(e));
            EndFailedRecorderFile(d, channel, k);
            recorded = std::max<std::int64_t>(recorder_file_samples[channel] - before, 0);
        }
    }

    if (channel == 0 && (d.osc_cr & OSC_CR_CH_B_ON) != 0) {
        if (!recorder_failed)
            ReplyGetCh(header.offset, 0, length, 1, header.min_max != 0 ? 1 : 0, 1);
        return;
    }
    d.recorder_samples = static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{d.recorder_samples} + recorded, INT32_MAX));
    d.last_num_catched_samples = d.recorder_samples;
    d.valid_points = SCREEN_POINTS;
}
