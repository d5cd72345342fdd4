// A recording cut short by the program closing: the files still end with headers that count
// the samples they hold, whether the main window closes them or the dispatcher goes first.

#include "support/RecorderFixture.h"

#include <memory>

namespace fs = std::filesystem;

namespace {

std::uint32_t HeaderSamples(const std::vector<std::uint8_t>& file)
{
    return file[26] | file[27] << 8 | file[28] << 16 | static_cast<std::uint32_t>(file[29]) << 24;
}

}  // namespace

class RecorderCloseTest : public RecorderTest {
protected:
    // Both channels record one min/max stretch; the recording is still running afterwards.
    void RecordOneStretch()
    {
        Request(1, 0x3001 | OSC_CR_MIN_MAX);
        {
            CSingleLock lock(&DataLock, TRUE);
            Data().created_hw_version = 10;
            Data().x_skip = 3;
        }
        Start(0x3021);
        memory.depth = 65536;
        memory.min_max = true;
        memory.value = Ramps;
        Packet request = SendState(0, 0x7021, 3000);
        ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
        request = Send(memory.Answer(request));
        ASSERT_EQ(request.Type(), PACKET_DATA_GET_CH);
        Send(memory.Answer(request));
    }

    void ExpectValidRecording()
    {
        for (const char* name : {"a.bin", "b.bin"}) {
            SCOPED_TRACE(name);
            const auto file = ReadFile(folder / name);
            ASSERT_EQ(file.size(), 30u + 2 * 1014u);
            EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "UODL");
            EXPECT_EQ(file[4], 1);                         // model version
            EXPECT_EQ(file[8], 10);                        // hardware version
            EXPECT_EQ(file[20], 3);                        // x_skip
            EXPECT_EQ(file[24], 1);                        // min/max pairs
            EXPECT_EQ(HeaderSamples(file), 1014u);
            std::vector<std::uint8_t> start(file.begin() + 12, file.begin() + 20);
            std::vector<std::uint8_t> expected;
            PutLE<std::int64_t>(expected, JulianDay(2026, 3, 15) * 86400000000LL +
                                              ((10 * 60 + 20) * 60 + 30) * 1000000LL);
            EXPECT_EQ(start, expected);
        }
    }
};

TEST_F(RecorderCloseTest, ClosingMidRecordingWritesTheHeaders)
{
    RecordOneStretch();
    ASSERT_TRUE(dispatch.IsRecorderFileOpen(0));
    ASSERT_TRUE(dispatch.IsRecorderFileOpen(1));
    dispatch.CloseRecorderFiles();
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(0));
    EXPECT_FALSE(dispatch.IsRecorderFileOpen(1));
    ExpectValidRecording();
    EXPECT_TRUE(errors.empty());
    dispatch.CloseRecorderFiles();  // nothing left to close: harmless
    ExpectValidRecording();
}

TEST_F(RecorderCloseTest, ClosingAfterTheModelIsGoneKeepsTheRecordingsHeader)
{
    RecordOneStretch();
    DeleteOscData();
    dispatch.CloseRecorderFiles();
    ExpectValidRecording();
}

TEST_F(RecorderCloseTest, DestroyingTheDispatcherMidRecordingWritesTheHeaders)
{
    auto own = std::make_unique<COscDispatch>();
    own->received_frame = received;
    own->reply_frame = reply;
    target = own.get();
    RecordOneStretch();
    ASSERT_TRUE(own->IsRecorderFileOpen(0));
    own.reset();
    target = &dispatch;
    ExpectValidRecording();
}

TEST_F(RecorderCloseTest, ClosingBeforeAnyDataLeavesEmptyValidFiles)
{
    Request(1, 0x1001);
    Start(0x1001);
    dispatch.CloseRecorderFiles();
    const auto file = ReadFile(folder / "a.bin");
    ASSERT_EQ(file.size(), 30u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "UODL");
    EXPECT_EQ(HeaderSamples(file), 0u);
    EXPECT_FALSE(fs::exists(folder / "b.bin"));
}
