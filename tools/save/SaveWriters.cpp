#include "tools/save/SaveWriters.h"

#include "core/data/OscData.h"
#include "core/measure/OscFormat.h"
#include "platform/kernel/CString.h"
#include "platform/kernel/FileReplace.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdint>

namespace {

const char* const kChannelName[2] = {"A", "B"};

// One channel's values as the writers see them: where they are, how many fit, how to print.
struct ChannelValues {
    bool on = false;
    bool logic = false;
    const std::int32_t* values = nullptr;
    std::int64_t available = 0;  // int entries behind `values`
    int offset = 0;              // calibration zero level, subtracted from analogue values
};

struct SaveLayout {
    bool pairs = false;
    int count = 0;
    ChannelValues channel[2];
    std::string timePerRecord;
    std::string duration;
};

SaveLayout Layout(const OscData& data, SaveSource source)
{
    SaveLayout l;
    l.pairs = (data.osc_cr & OSC_CR_MIN_MAX) != 0;
    const int k = l.pairs ? 2 : 1;
    const bool buffer = source == SaveSource::Buffer;
    std::int64_t count = buffer ? std::int64_t{data.GetMemoryDepth()} : SCREEN_POINTS;
    const std::uint16_t onBit[2] = {OSC_CR_CH_A_ON, OSC_CR_CH_B_ON};
    const std::uint16_t logicBit[2] = {OSC_CR_LOGIC_A, OSC_CR_LOGIC_B};
    for (int c = 0; c < 2; ++c) {
        ChannelValues& ch = l.channel[c];
        ch.on = (data.osc_cr & onBit[c]) != 0;
        ch.logic = (data.osc_cr & logicBit[c]) != 0;
        ch.offset = data.GetCalibrationOffset(c);
        if (buffer) {
            ch.values = data.sample_buffer[c];
            ch.available = ch.values != nullptr ? std::int64_t{data.GetSampleBufferLength()} : 0;
        } else {
            ch.values = data.screen_points[c];
            ch.available = SCREEN_VALUES;
        }
        // Never read past what the model holds, whatever the depth claims.
        if (ch.on) count = std::min(count, ch.available / k);
    }
    l.count = static_cast<int>(std::max<std::int64_t>(count, 0));

    if (buffer) {
        // A buffer record is one stored sample, a fraction (or multiple) of a screen point.
        const double samplesPerPoint =
            std::max(1.0, static_cast<double>(data.x_zoom_out_hw)) * std::max(1.0, static_cast<double>(data.x_zoom_out_sw));
        const double pointsPerSample = std::max(1.0, static_cast<double>(data.x_zoom_in)) / samplesPerPoint;
        l.timePerRecord = FormatSampleTime(data, pointsPerSample);
        l.duration = FormatSampleTime(data, pointsPerSample * l.count);
    } else {
        l.timePerRecord = FormatSamplesAsTime(data, 1);
        l.duration = FormatSamplesAsTime(data, l.count);
    }
    return l;
}

// Value i (or pair i) of a channel, as printed.
void AppendCells(std::string& out, const SaveLayout& l, int c, int i, const char* separator)
{
    const ChannelValues& ch = l.channel[c];
    char cell[48];
    if (l.pairs) {
        const std::int32_t low = ch.values[2 * i];
        const std::int32_t high = ch.values[2 * i + 1];
        if (ch.logic)
            std::snprintf(cell, sizeof cell, "%02X%s%02X", static_cast<unsigned>(low & 0xFF), separator,
                          static_cast<unsigned>(high & 0xFF));
        else
            std::snprintf(cell, sizeof cell, "%d%s%d", static_cast<int>(std::int64_t{low} - ch.offset), separator,
                          static_cast<int>(std::int64_t{high} - ch.offset));
    } else {
        const std::int32_t value = ch.values[i];
        if (ch.logic)
            std::snprintf(cell, sizeof cell, "%02X", static_cast<unsigned>(value & 0xFF));
        else
            std::snprintf(cell, sizeof cell, "%d", static_cast<int>(std::int64_t{value} - ch.offset));
    }
    out += cell;
}

std::string ValuesHeader(bool pairs) { return pairs ? "Отсчеты min, max:\n" : "Отсчеты:\n"; }

}  // namespace

std::string BuildTextReport(const OscData& data, SaveSource source)
{
    const SaveLayout l = Layout(data, source);
    std::string out;
    out.reserve(static_cast<std::size_t>(l.count) * 20 + 256);
    out += "Горизонтальная развертка: " + l.timePerRecord + " на точку (запись)\n";
    out += StringFormat("Количество сэмплов: %d, длительность ", l.count) + l.duration + "\n";
    for (int c = 0; c < 2; ++c) {
        const ChannelValues& ch = l.channel[c];
        if (!ch.on) continue;
        out += std::string("Канал ") + kChannelName[c] + ": ";
        if (!ch.logic) out += FormatStepVolts(data, c) + " на единицу. ";
        out += ValuesHeader(l.pairs);
        for (int i = 0; i < l.count; ++i) {
            AppendCells(out, l, c, i, ", ");
            out += '\n';
        }
    }
    return out;
}

std::string BuildCsvTable(const OscData& data, SaveSource source)
{
    const SaveLayout l = Layout(data, source);
    const ChannelValues& a = l.channel[0];
    const ChannelValues& b = l.channel[1];
    std::string out;
    out.reserve(static_cast<std::size_t>(l.count) * 20 + 256);
    out += "Горизонтальная развертка, на точку (запись);" + l.timePerRecord + " \n";
    out += StringFormat("Количество сэмплов;%d\nДлительность;", l.count) + l.duration + "\n";
    for (int c = 0; c < 2; ++c) {
        if (l.channel[c].on && !l.channel[c].logic)
            out += std::string("Канал ") + kChannelName[c] + ", на единицу;" + FormatStepVolts(data, c) + "\n";
    }
    const char* sep = b.on ? ";" : "\n";
    if (a.on) out += std::string(l.pairs ? "Канал A min;Канал A max" : "Канал A") + sep;
    if (b.on) out += l.pairs ? "Канал B min;Канал B max\n" : "Канал B\n";
    for (int i = 0; i < l.count; ++i) {
        if (a.on) {
            AppendCells(out, l, 0, i, ";");
            out += sep;
        }
        if (b.on) {
            AppendCells(out, l, 1, i, ";");
            out += '\n';
        }
    }
    return out;
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string* reason)
{
    CFileException error;
    if (ReplaceFileContents(path, text, CFile::typeText, &error) == FileWriteResult::Written) return true;
    if (reason != nullptr) *reason = error.GetErrorMessage();
    return false;
}

const GUID& ImageFormatForFileName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ImageFormatBMP;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    if (ext == "png") return ImageFormatPNG;
    if (ext == "jpg" || ext == "jpeg" || ext == "jpe" || ext == "jfif") return ImageFormatJPEG;
    if (ext == "gif") return ImageFormatGIF;
    return ImageFormatBMP;
}
