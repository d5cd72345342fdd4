// The recorder on a disk that fills up, part-way through a recording or before it starts: the
// recording stops, the user is told once, and every file left behind holds a header that counts
// exactly the whole samples in it.

#include "support/RecorderFixture.h"
#include "support/SmallDisk.h"
#include "platform/testing/SmallTmpfs.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <ostream>

namespace {

namespace fs = std::filesystem;

const std::string kWriteError = "Самописец: ошибка записи в файл!";

// What makes the writes fail: a tmpfs of a few pages, or a limit on the size of every file.
enum class Fault { Tmpfs, SizeLimit };

struct MidRecordingCase {
    const char* name;
    Fault fault;
    std::uint16_t channels;  // OSC_CR_CH_A_ON, OSC_CR_CH_B_ON
    bool minMax;
    int pages;            // the tmpfs's size
    std::int64_t limit;   // the size limit in bytes
    int failing;          // the channel whose write fails
};

struct FullAtStartCase {
    const char* name;
    Fault fault;
    std::uint16_t channels;
};

std::string Describe(Fault fault)
{
    return std::strerror(fault == Fault::Tmpfs ? ENOSPC : EFBIG);
}

class FullDiskTest : public RecorderTest {
protected:
    // Sets up the fault; false (the test skipped or failed) when it cannot be had. The files go
    // to `dir`; a size limit starts only when LimitFiles is called, after the set-up has
    // written what it needs.
    bool PrepareDisk(Fault fault, int pages, bool fill)
    {
        dir = folder;
        if (fault == Fault::SizeLimit) return true;
        tmpfs = std::make_unique<SmallTmpfs>(static_cast<std::uint64_t>(pages * PageSize()));
        if (!tmpfs->Mounted()) {
            SkipWithoutTmpfs();
            return false;
        }
        dir = tmpfs->Path();
        if (fill && !tmpfs->LeaveFree(0)) {
            ADD_FAILURE() << "the tmpfs could not be filled";
            return false;
        }
        return true;
    }

    void SkipWithoutTmpfs()
    {
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (" << tmpfs->Why()
                     << "); the size-limit cases test the same without that right";
    }

    void UseFolder()
    {
        CSingleLock lock(&DataLock, TRUE);
        Data().str_datalogger_fn[0] = (dir / "a.bin").string();
        Data().str_datalogger_fn[1] = (dir / "b.bin").string();
    }

    bool LimitFiles(std::int64_t bytes)
    {
        limit = std::make_unique<FileSizeLimit>(static_cast<rlim_t>(bytes));
        EXPECT_TRUE(limit->Set()) << "the file size limit was refused";
        return limit->Set();
    }

    // One chunk of the ring per STATE (and channel B's copy of it when B is on) until a write
    // error is reported.
    void RecordUntilAWriteFails(std::uint16_t deviceOscCr, std::uint32_t chunk)
    {
        memory.depth = 131072;
        memory.value = Ramps;
        std::uint32_t catched = 3000;
        for (int i = 0; i < 200 && errors.empty(); ++i, catched += chunk) {
            const Packet request = SendState(0, deviceOscCr, catched % memory.depth);
            ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
            Packet next = Send(memory.Answer(request));
            if (next.Type() == PACKET_DATA_GET_CH) {
                ASSERT_EQ(Val(next.As<GetCh>().ch), 1);
                next = Send(memory.Answer(next));
            }
            ASSERT_EQ(next.Type(), PACKET_DATA_GET_STATE)
                << "after a failed write the other channel is not asked for";
        }
    }

    // The file holds the header of a recording of `samples` samples and exactly those samples.
    void ExpectRecording(int channel, std::int64_t samples, bool minMax)
    {
        const fs::path path = dir / (channel == 0 ? "a.bin" : "b.bin");
        SCOPED_TRACE(path.string());
        const int k = minMax ? 2 : 1;
        std::vector<std::uint8_t> expected;
        PutLE<std::uint32_t>(expected, 0x4C444F55);
        PutLE<std::uint32_t>(expected, 1);
        {
            CSingleLock lock(&DataLock, TRUE);
            PutLE<std::uint32_t>(expected, static_cast<std::uint32_t>(Data().created_hw_version));
        }
        PutLE<std::int64_t>(expected, JulianDay(2026, 3, 15) * 86400000000LL +
                                          ((10 * 60 + 20) * 60 + 30) * 1000000LL);
        PutLE<std::uint32_t>(expected, 0);
        expected.push_back(minMax ? 1 : 0);
        expected.push_back(0);
        PutLE<std::uint32_t>(expected, static_cast<std::uint32_t>(samples));
        for (std::int64_t i = 0; i < samples * k; ++i)
            expected.push_back(static_cast<std::uint8_t>(Ramps(channel, static_cast<int>(i))));
        const std::vector<std::uint8_t> file = ReadFile(path);
        ASSERT_EQ(file.size(), expected.size());
        EXPECT_TRUE(file == expected) << "header or samples differ";
    }

    fs::path dir;
    std::unique_ptr<SmallTmpfs> tmpfs;
    std::unique_ptr<FileSizeLimit> limit;
};

class MidRecording : public FullDiskTest, public ::testing::WithParamInterface<MidRecordingCase> {
};

class FullAtStart : public FullDiskTest, public ::testing::WithParamInterface<FullAtStartCase> {
};

constexpr std::uint16_t A = OSC_CR_CH_A_ON;
constexpr std::uint16_t B = OSC_CR_CH_B_ON;

// On the tmpfs the failing file always ends with one page of its own: channel A alone on one
// page, both channels on two (A fails first), both on three (A's second page takes the last,
// and B fails in the same stretch). Under the size limit A, written first, reaches it first.
const MidRecordingCase kMidRecording[] = {
    {"TmpfsA", Fault::Tmpfs, A, false, 1, 0, 0},
    {"TmpfsB", Fault::Tmpfs, B, false, 1, 0, 1},
    {"TmpfsBothFailingInA", Fault::Tmpfs, A | B, false, 2, 0, 0},
    {"TmpfsBothFailingInB", Fault::Tmpfs, A | B, false, 3, 0, 1},
    {"TmpfsBothMinMax", Fault::Tmpfs, A | B, true, 2, 0, 0},
    {"LimitA", Fault::SizeLimit, A, false, 0, 5000, 0},
    {"LimitB", Fault::SizeLimit, B, false, 0, 5000, 1},
    {"LimitBoth", Fault::SizeLimit, A | B, false, 0, 30 + 2 * 2029 + 100, 0},
    // Half of a minimum/maximum pair fits: the file is cut after the last whole pair.
    {"LimitAMinMaxHalfPair", Fault::SizeLimit, A, true, 0, 30 + 2 * 2 * 1014 + 3, 0},
};

const FullAtStartCase kFullAtStart[] = {
    {"TmpfsA", Fault::Tmpfs, A},
    {"TmpfsB", Fault::Tmpfs, B},
    {"TmpfsBoth", Fault::Tmpfs, A | B},
    {"LimitA", Fault::SizeLimit, A},
    {"LimitBoth", Fault::SizeLimit, A | B},
};

void PrintTo(const MidRecordingCase& c, std::ostream* os)
{
    *os << c.name;
}

void PrintTo(const FullAtStartCase& c, std::ostream* os)
{
    *os << c.name;
}

template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

}  // namespace

TEST_P(MidRecording, EveryFileEndsWithTheWholeSamplesItHoldsAndTheUserIsToldOnce)
{
    const MidRecordingCase& c = GetParam();
    const std::uint16_t oscCr =
        static_cast<std::uint16_t>(c.channels | 0x0001 | (c.minMax ? OSC_CR_MIN_MAX : 0));
    const int k = c.minMax ? 2 : 1;
    const std::int64_t chunk = c.minMax ? 1014 : 2029;
    if (!PrepareDisk(c.fault, c.pages, false)) return;
    Request(1, oscCr);
    UseFolder();
    if (c.fault == Fault::SizeLimit && !LimitFiles(c.limit)) return;
    Start(oscCr);
    memory.min_max = c.minMax;
    RecordUntilAWriteFails(static_cast<std::uint16_t>(oscCr | OSC_CR_RECORDER),
                           static_cast<std::uint32_t>(chunk));

    ASSERT_EQ(errors.size(), 1u);
    const fs::path failingPath = dir / (c.failing == 0 ? "a.bin" : "b.bin");
    EXPECT_EQ(errors[0], kWriteError + "\nПуть: " + failingPath.string() + "\nОшибка: " +
                             Describe(c.fault));

    // The failing file keeps the whole samples that fit; the other one ends with the stretches
    // it received in full.
    const std::int64_t capacity = c.fault == Fault::Tmpfs ? PageSize() : c.limit;
    std::int64_t samples[2] = {0, 0};
    samples[c.failing] = (capacity - 30) / k;
    const std::int64_t stretchesBefore = samples[c.failing] / chunk;
    samples[1 - c.failing] = c.failing == 0 ? stretchesBefore * chunk : (stretchesBefore + 1) * chunk;
    // The model counts the samples of the channel that completes each stretch.
    const std::int64_t counted = (c.channels & B) != 0 ? samples[1] : samples[0];
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().mode & MODE_STOPPED, 0u);
        EXPECT_EQ(Data().recorder_samples, counted);
        EXPECT_EQ(Data().last_num_catched_samples, counted);
    }
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(c.failing));

    // The next exchange ends the recording on the device and finishes the other file.
    const Packet stop = SendState(0, static_cast<std::uint16_t>(oscCr | OSC_CR_RECORDER), 100000);
    ASSERT_EQ(stop.Type(), PACKET_DATA_START_CYCLONE);
    EXPECT_EQ(Val(stop.As<StartP>().osc_cr), 0);
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(1));
    EXPECT_EQ(errors.size(), 1u) << "one full disk is one message";

    limit.reset();
    for (int channel = 0; channel < 2; ++channel) {
        if ((c.channels & (channel == 0 ? A : B)) != 0)
            ExpectRecording(channel, samples[channel], c.minMax);
        else
            EXPECT_FALSE(fs::exists(dir / (channel == 0 ? "a.bin" : "b.bin")));
    }
}

INSTANTIATE_TEST_SUITE_P(Recorder, MidRecording, ::testing::ValuesIn(kMidRecording),
                         CaseName<MidRecordingCase>);

TEST_P(FullAtStart, TheDeviceIsNeverAskedToRecordAndNoFileIsLeftHalfWritten)
{
    const FullAtStartCase& c = GetParam();
    const std::uint16_t oscCr = static_cast<std::uint16_t>(c.channels | 0x0001);
    if (!PrepareDisk(c.fault, 1, true)) return;
    Request(1, oscCr);
    UseFolder();
    // Room for a third of a header.
    if (c.fault == Fault::SizeLimit && !LimitFiles(10)) return;

    EXPECT_EQ(SendState(0, oscCr).Type(), PACKET_DATA_GET_STATE);
    ASSERT_EQ(errors.size(), 1u);
    const int first = (c.channels & A) != 0 ? 0 : 1;
    const fs::path firstPath = dir / (first == 0 ? "a.bin" : "b.bin");
    EXPECT_EQ(errors[0], kWriteError + "\nПуть: " + firstPath.string() + "\nОшибка: " +
                             Describe(c.fault));
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(1));
    {
        CSingleLock lock(&DataLock, TRUE);
        EXPECT_NE(Data().mode & MODE_STOPPED, 0u);
        EXPECT_EQ(Data().osc_cr & OSC_CR_RECORDER, 0);
    }

    const Packet stop = SendState(0, oscCr);
    ASSERT_EQ(stop.Type(), PACKET_DATA_START_CYCLONE);
    EXPECT_EQ(Val(stop.As<StartP>().osc_cr), 0);
    EXPECT_EQ(errors.size(), 1u);

    limit.reset();
    ASSERT_TRUE(fs::exists(firstPath));
    EXPECT_EQ(fs::file_size(firstPath), 0u) << "nothing of a header is left behind";
    if (first == 0) {
        EXPECT_FALSE(fs::exists(dir / "b.bin")) << "the failure ends the start";
    }
}

INSTANTIATE_TEST_SUITE_P(Recorder, FullAtStart, ::testing::ValuesIn(kFullAtStart),
                         CaseName<FullAtStartCase>);
