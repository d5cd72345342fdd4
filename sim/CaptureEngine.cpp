#include "sim/CaptureEngine.h"

#include <algorithm>

namespace {

constexpr std::uint16_t kRun = 0x1;
constexpr std::uint16_t kTriggerOn = 0x2;
constexpr std::uint16_t kTriggerExt = 0x4;
constexpr std::uint16_t kTriggerB = 0x8;
constexpr std::uint16_t kEdge2 = 0x100;
constexpr std::uint16_t kMinMax = 0x20;
constexpr std::uint16_t kLogicA = 0x200;
constexpr std::uint16_t kLogicB = 0x400;
constexpr std::uint16_t kDigitalTrigger = 0x800;
constexpr std::uint16_t kChA = 0x1000;
constexpr std::uint16_t kChB = 0x2000;
constexpr std::uint16_t kRecorder = 0x4000;

constexpr std::uint16_t kSrCaptured = 0x1;
constexpr std::uint16_t kSrPretrigger = 0x2;
constexpr std::uint16_t kSrTriggered = 0x4;
constexpr std::uint16_t kSrWorking = 0x8;
constexpr std::uint16_t kSrWaiting = 0x10;
constexpr std::uint16_t kSrOddTrigger = 0x20;

// Samples the trigger search examines per STATE: a trigger that never comes costs bounded
// time, and the search resumes where it stopped (the result does not depend on the pace).
constexpr std::int64_t kSearchBudget = 1 << 14;

constexpr std::int64_t kPsPerKHzPeriod = 1000000000; // ps of one period at 1 kHz

std::int64_t Mod(std::int64_t value, std::int64_t modulus)
{
    if (modulus <= 0)
        return 0;
    value %= modulus;
    return value < 0 ? value + modulus : value;
}

std::uint32_t ToU32(std::int64_t value)
{
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, UINT32_MAX));
}

} // namespace

CaptureEngine::CaptureEngine(const SignalSource& source, const SimVariant& variant)
    : source_(source), variant_(variant)
{
}

void CaptureEngine::SetVariant(const SimVariant& variant)
{
    variant_ = variant;
    started_ = false;
    running_ = false;
    start_ = Start{};
}

bool CaptureEngine::MinMax() const
{
    return (start_.osc_cr & kMinMax) != 0;
}

std::int64_t CaptureEngine::Units(std::int64_t samples) const
{
    return variant_.CountsInPairs() && !MinMax() ? samples / 2 : samples;
}

void CaptureEngine::Begin(const Start& start, std::int64_t nowPs)
{
    start_ = start;
    started_ = (start.osc_cr & kRun) != 0;
    running_ = started_;
    frozen_ = -1;
    triggerAt_ = -1;
    scanned_ = 0;
    startPs_ = nowPs;
    const std::uint16_t cr = start.osc_cr;
    depth_ = std::max<std::int64_t>(variant_.MemoryDepth(cr), 1);
    const std::int64_t rate = std::max<unsigned>(variant_.SampleRateKHz(cr), 1);
    periodPs_ = (std::int64_t{start.samples_parts} + 1) * (kPsPerKHzPeriod / rate);
    converterPs_ = kPsPerKHzPeriod / std::max<unsigned>(variant_.ConverterRateKHz(cr), 1);
    // Versions 2 and 4 are told the last word (or min/max pair) to write.
    std::int64_t count = start.samples;
    if (variant_.CountsInPairs())
        count = MinMax() ? count + 1 : 2 * (count + 1);
    count_ = std::clamp<std::int64_t>(count, 1, depth_);
    armAt_ = depth_ - count_;
}

std::int64_t CaptureEngine::Written(std::int64_t nowPs) const
{
    if (!started_)
        return 0;
    std::int64_t written = frozen_ >= 0 ? frozen_ : std::max<std::int64_t>(nowPs - startPs_, 0) / periodPs_;
    if ((start_.osc_cr & kRecorder) != 0)
        return written;
    if ((start_.osc_cr & kTriggerOn) != 0) {
        if (triggerAt_ >= 0)
            written = std::min(written, triggerAt_ + count_);
        return written;
    }
    return std::min(written, count_);
}

int CaptureEngine::TriggerInput(std::int64_t w, bool rising) const
{
    const std::uint16_t cr = start_.osc_cr;
    const std::int64_t t = startPs_ + w * periodPs_;
    if ((cr & kTriggerExt) != 0)
        return source_.External(t) ? 1 : 0;
    const int channel = (cr & kTriggerB) != 0 ? 1 : 0;
    const bool logic = (cr & (channel == 0 ? kLogicA : kLogicB)) != 0;
    std::int8_t bytes[2] = {0, 0};
    Sample(channel, w, bytes);
    if (logic) {
        const auto lines = static_cast<std::uint8_t>(MinMax() ? bytes[1] : bytes[0]);
        const auto pattern = static_cast<std::uint8_t>(start_.trigger_value);
        const bool match = (cr & kDigitalTrigger) != 0 ? lines == pattern : (lines & pattern) != 0;
        return match ? 1 : 0;
    }
    if (!MinMax())
        return bytes[0];
    return rising ? bytes[1] : bytes[0];
}

void CaptureEngine::SearchTrigger(std::int64_t nowPs)
{
    if (!running_ || triggerAt_ >= 0 || (start_.osc_cr & kTriggerOn) == 0 || (start_.osc_cr & kRecorder) != 0)
        return;
    const std::int64_t written = std::max<std::int64_t>(nowPs - startPs_, 0) / periodPs_;
    const bool rising = (start_.osc_cr & kEdge2) == 0;
    const int source = (start_.osc_cr & kTriggerB) != 0 ? 1 : 0;
    const bool condition = (start_.osc_cr & kTriggerExt) != 0 ||
                           (start_.osc_cr & (source == 0 ? kLogicA : kLogicB)) != 0;
    const int level = condition ? 1 : start_.trigger_value;
    std::int64_t w = std::max({scanned_, armAt_, std::int64_t{1}});
    const std::int64_t stop = std::min(written, w + kSearchBudget);
    int before = w < stop ? TriggerInput(w - 1, rising) : 0;
    for (; w < stop; ++w) {
        const int now = TriggerInput(w, rising);
        const bool hit = rising ? (before < level && now >= level) : (before >= level && now < level);
        if (hit) {
            triggerAt_ = w;
            break;
        }
        before = now;
    }
    scanned_ = w;
}

CaptureEngine::Report CaptureEngine::State(std::int64_t nowPs)
{
    Report r;
    r.osc_cr = start_.osc_cr;
    if (!started_)
        return r;
    SearchTrigger(nowPs);
    const std::int64_t written = Written(nowPs);
    const bool pairs = variant_.CountsInPairs();
    if ((start_.osc_cr & kRecorder) != 0) {
        r.osc_sr = running_ ? kSrWorking : 0;
        r.num_catched_samples = ToU32(Mod(written, depth_));
        return r;
    }
    bool complete = false;
    std::int64_t caught = 0;
    if ((start_.osc_cr & kTriggerOn) != 0) {
        r.osc_sr |= kSrWorking;
        if (written >= armAt_)
            r.osc_sr |= kSrPretrigger;
        if (triggerAt_ < 0) {
            if (written >= armAt_)
                r.osc_sr |= kSrWaiting;
            r.num_catched_samples = ToU32(Units(std::min(written, depth_)));
            return r;
        }
        r.osc_sr |= kSrTriggered;
        if (pairs && !MinMax() && (triggerAt_ & 1) != 0)
            r.osc_sr |= kSrOddTrigger;
        r.first_trig_sample = ToU32(Units(Mod(triggerAt_, depth_)));
        r.samples_before_trig = ToU32(Units(std::min(triggerAt_, depth_)));
        caught = written - triggerAt_;
        complete = written >= triggerAt_ + count_;
    } else {
        caught = written;
        complete = written >= count_;
    }
    if (complete) {
        r.osc_sr = static_cast<std::uint16_t>((r.osc_sr | kSrCaptured) & ~(kSrWorking | kSrWaiting));
        if (frozen_ < 0)
            frozen_ = written;
        running_ = false;
    }
    // A finished capture of versions 2 and 4 shows the last word written, not the count.
    const std::int64_t units = Units(caught);
    r.num_catched_samples = ToU32(complete && pairs ? units - 1 : units);
    return r;
}

void CaptureEngine::Sample(int channel, std::int64_t w, std::int8_t out[2]) const
{
    out[0] = out[1] = 0;
    if (channel < 0 || channel > 1 || w < 0)
        return;
    const std::uint16_t cr = start_.osc_cr;
    if ((cr & (channel == 0 ? kChA : kChB)) == 0)
        return;
    const bool logic = (cr & (channel == 0 ? kLogicA : kLogicB)) != 0;
    if (start_.grounded && !logic) {
        out[0] = out[1] = static_cast<std::int8_t>(std::clamp(source_.Offset(channel), -128, 127));
        return;
    }
    const std::int64_t t = startPs_ + w * periodPs_;
    if (MinMax()) {
        if (logic) {
            std::uint8_t all = 0;
            std::uint8_t any = 0;
            source_.LogicRange(channel, t, t + periodPs_, converterPs_, all, any);
            out[0] = static_cast<std::int8_t>(all);
            out[1] = static_cast<std::int8_t>(any);
        } else {
            source_.AnalogRange(channel, t, t + periodPs_, converterPs_, out[0], out[1]);
        }
        return;
    }
    out[0] = logic ? static_cast<std::int8_t>(source_.Logic(channel, t)) : source_.Analog(channel, t);
}

void CaptureEngine::AtAddress(int channel, std::int64_t address, std::int64_t written, std::int8_t out[2]) const
{
    out[0] = out[1] = 0;
    if (written <= 0)
        return;
    // The newest write count that landed on this address.
    const std::int64_t w = written - 1 - Mod(written - 1 - address, depth_);
    if (w < 0)
        return;
    Sample(channel, w, out);
}

std::vector<std::int8_t> CaptureEngine::Read(int channel, std::int64_t offset, std::uint32_t& length,
                                             std::uint16_t averageLength, std::int64_t nowPs)
{
    std::vector<std::int8_t> data;
    if (channel < 0 || channel > 1 || !(started_ || frozen_ >= 0)) {
        length = 0;
        return data;
    }
    SearchTrigger(nowPs);
    const std::int64_t written = Written(nowPs);
    const bool minMax = MinMax();
    const int k = minMax ? 2 : 1;
    const bool logic = (start_.osc_cr & (channel == 0 ? kLogicA : kLogicB)) != 0;
    // Words of two plain samples are read whole: an odd start reads from the word's first.
    if (variant_.CountsInPairs() && !minMax)
        offset &= ~std::int64_t{1};
    const std::int64_t first = Mod(offset, depth_);
    const bool average = averageLength > 1 && (variant_.Version() == 1 || variant_.Version() == 5);
    // An average never takes more than the memory holds, and one answer never more than one
    // pass over it.
    const std::int64_t group = average ? std::min<std::int64_t>(averageLength, depth_) : 1;
    const std::int64_t count =
        std::min({std::int64_t{length}, std::int64_t{2029 / k}, std::max<std::int64_t>(depth_ / group, 1)});
    data.reserve(static_cast<std::size_t>(count * k));
    for (std::int64_t j = 0; j < count; ++j) {
        std::int64_t sum = 0;
        int low = 127;
        int high = -128;
        std::int8_t kept[2] = {0, 0};
        for (std::int64_t i = 0; i < group; ++i) {
            std::int8_t bytes[2];
            AtAddress(channel, Mod(first + j * group + i, depth_), written, bytes);
            if (i == 0) {
                kept[0] = bytes[0];
                kept[1] = bytes[1];
            } else if (logic && minMax) {
                kept[0] = static_cast<std::int8_t>(static_cast<std::uint8_t>(kept[0]) & static_cast<std::uint8_t>(bytes[0]));
                kept[1] = static_cast<std::int8_t>(static_cast<std::uint8_t>(kept[1]) | static_cast<std::uint8_t>(bytes[1]));
            }
            sum += bytes[0];
            low = std::min<int>(low, bytes[0]);
            high = std::max<int>(high, minMax ? bytes[1] : bytes[0]);
        }
        if (group == 1 || logic) {
            // Logic lines are not averaged: the first sample of a group, or the AND / OR of
            // the group's pairs.
            data.push_back(kept[0]);
            if (minMax)
                data.push_back(kept[1]);
        } else if (minMax) {
            data.push_back(static_cast<std::int8_t>(low));
            data.push_back(static_cast<std::int8_t>(high));
        } else {
            data.push_back(static_cast<std::int8_t>(sum / group));
        }
    }
    length = static_cast<std::uint32_t>(count);
    return data;
}

CaptureEngine::Info CaptureEngine::GetInfo(std::int64_t nowPs)
{
    SearchTrigger(nowPs);
    Info info;
    info.started = started_;
    info.running = running_;
    info.osc_cr = start_.osc_cr;
    info.startPs = startPs_;
    info.periodPs = periodPs_;
    info.depth = depth_;
    info.minMax = MinMax();
    info.written = Written(nowPs);
    info.triggerAt = triggerAt_;
    if ((start_.osc_cr & kRecorder) == 0) {
        if ((start_.osc_cr & kTriggerOn) == 0)
            info.end = count_;
        else if (triggerAt_ >= 0)
            info.end = triggerAt_ + count_;
    }
    info.complete = info.end >= 0 && info.written >= info.end;
    return info;
}

std::vector<std::int8_t> CaptureEngine::Memory(int channel, std::int64_t nowPs)
{
    const std::int64_t written = Written(nowPs);
    const int k = MinMax() ? 2 : 1;
    std::vector<std::int8_t> memory;
    memory.reserve(static_cast<std::size_t>(depth_ * k));
    for (std::int64_t a = 0; a < depth_; ++a) {
        std::int8_t bytes[2];
        AtAddress(channel, a, written, bytes);
        memory.push_back(bytes[0]);
        if (k == 2)
            memory.push_back(bytes[1]);
    }
    return memory;
}
