#include "testtool/TestDispatch.h"

#include "core/protocol/PacketData.h"
#include "support/WalkingOneBench.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kStarted = "Тест \"бегущая единица\" начат";
const std::string kPassed = "Тест \"бегущая единица\" завершен успешно!";
const std::string kFinished = "Тест \"бегущая единица\" завершен";
const std::string kPortError = "Ошибка порта A/B!";
const std::string kPinError = "Ошибка пина freq_out/ext_trig!";
const std::string kUnsupported = "Неподдерживаемая аппаратная версия!";

// Enough answers for the opener, the version, one run and a long quiet poll afterwards.
constexpr int kWholeRun = 60;

std::vector<std::pair<int, int>> ExpectedWrites(const CTestDispatch& d, int from, int to)
{
    std::vector<std::pair<int, int>> w;
    for (int i = from; i < to; ++i)
        w.emplace_back(d.GetPattern()[static_cast<std::size_t>(i)], i & 1);
    return w;
}

} // namespace

TEST(WalkingOneTest, WiredFixturePassesAfterFifteenChecks)
{
    CTestDispatch d;
    HostSide host(d);
    FakeInstrument device;
    const std::uint64_t total = LogTotal();

    // The conversation's opening: opener -> MODE -> GET_VERSION -> VERSION -> GET_STATE.
    EXPECT_EQ(host.Handle(device.Answer(Packet(PACKET_DATA_GET_MODE))),
              Packet(PACKET_DATA_GET_VERSION));
    EXPECT_EQ(host.Handle(device.Answer(Packet(PACKET_DATA_GET_VERSION))),
              Packet(PACKET_DATA_GET_STATE));
    EXPECT_EQ(host.Handle(device.Answer(Packet(PACKET_DATA_GET_STATE))),
              Packet(PACKET_DATA_LA_TEST_WRITE, {0x00, 0}));

    Converse(host, device, kWholeRun, Packet(PACKET_DATA_LA_TEST_WRITE, {0x00, 0}));
    // 15 writes: entries 0..14 with freq_out alternating; the last entry is never sent.
    EXPECT_EQ(device.writes, ExpectedWrites(d, 0, 15));

    const auto lines = LogSince(total);
    EXPECT_EQ(CountEnding(lines, kStarted), 1);
    EXPECT_EQ(CountEnding(lines, kPassed), 1);
    EXPECT_EQ(CountContaining(lines, kPortError) + CountContaining(lines, kPinError), 0);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(CountEnding({lines.back()}, kPassed), 1) << "nothing follows the result";

    const auto s = d.GetStatus();
    EXPECT_EQ(s.testState, CTestDispatch::TEST_DONE);
    EXPECT_FALSE(s.running);
    EXPECT_EQ(s.errors, 0);
}

TEST(WalkingOneTest, StuckAndMiswiredLinesAreCountedOneLineEach)
{
    {
        CTestDispatch d;
        HostSide host(d);
        FakeInstrument device;
        device.busA = [](std::uint8_t) { return std::uint8_t{0x00}; };
        const std::uint64_t total = LogTotal();
        Converse(host, device, kWholeRun);
        EXPECT_EQ(device.writes.size(), 15u);
        const auto lines = LogSince(total);
        // Entry 0 is 0x00 itself, so 14 of the 15 checks fail.
        EXPECT_EQ(CountContaining(lines, kPortError), 14);
        EXPECT_EQ(CountEnding(lines, "Ошибка порта A/B! Послали 02, пришло 00"), 2);
        EXPECT_EQ(CountEnding(lines, "Ошибка порта A/B! Послали 01, пришло 00"), 1);
        EXPECT_EQ(CountEnding(lines, "Ошибка порта A/B! Послали 80, пришло 00"), 1);
        EXPECT_EQ(CountContaining(lines, kPinError), 0);
        EXPECT_EQ(CountEnding(lines, "Тест \"бегущая единица\" завершен, 14 ошибок!"), 1);
        EXPECT_EQ(CountEnding(lines, kPassed), 0);
    }
    {
        // ext_trig stuck low: every odd step's pin check fails.
        CTestDispatch d;
        HostSide host(d);
        FakeInstrument device;
        device.extTrig = [](std::uint8_t) { return std::uint8_t{0}; };
        const std::uint64_t total = LogTotal();
        Converse(host, device, kWholeRun);
        const auto lines = LogSince(total);
        EXPECT_EQ(CountEnding(lines, "Ошибка пина freq_out/ext_trig! Послали 1, пришло 0"), 7);
        EXPECT_EQ(CountEnding(lines, "Тест \"бегущая единица\" завершен, 7 ошибок!"), 1);
    }
    {
        // Bus lines 0 and 1 swapped: the entries 01 and 02 come back exchanged.
        CTestDispatch d;
        HostSide host(d);
        FakeInstrument device;
        device.busA = [](std::uint8_t b) {
            return static_cast<std::uint8_t>((b & 0xFC) | (b & 1) << 1 | (b & 2) >> 1);
        };
        const std::uint64_t total = LogTotal();
        Converse(host, device, kWholeRun);
        const auto lines = LogSince(total);
        EXPECT_EQ(CountEnding(lines, "Ошибка порта A/B! Послали 02, пришло 01"), 2);
        EXPECT_EQ(CountEnding(lines, "Ошибка порта A/B! Послали 01, пришло 02"), 1);
        EXPECT_EQ(CountEnding(lines, "Тест \"бегущая единица\" завершен, 3 ошибок!"), 1);
    }
}

TEST(WalkingOneTest, AnAnswerTooShortToCheckIsAFailedStep)
{
    // A wired fixture whose answers to the even entries lose their last bytes on the way: the
    // missing fields would read as zero, which is just what entry 0 and the even pin expect.
    CTestDispatch d;
    HostSide host(d);
    FakeInstrument device;
    const std::uint64_t total = LogTotal();
    Bytes next = Converse(host, device, 3);
    ASSERT_EQ(next.at(0), PACKET_DATA_LA_TEST_WRITE);
    for (int step = 0; step < CTestDispatch::kWrites; ++step)
    {
        const Bytes answer = device.Answer(next);
        if (step == 0)
            next = host.HandleWithLength(answer, 1); // the type byte alone
        else if (step % 2 == 0)
            next = host.HandleWithLength(answer, 2); // bus A without ext_trig
        else if (step == 1)
            next = host.Handle(Packet(PACKET_DATA_LA_TEST_READ, {answer.at(1), answer.at(2), 0x55}));
        else
            next = host.Handle(answer);
    }
    EXPECT_EQ(next, Packet(PACKET_DATA_GET_STATE));
    EXPECT_EQ(device.writes.size(), 15u) << "the run still makes all its writes";

    const auto lines = LogSince(total);
    EXPECT_EQ(CountEnding(lines, "Ошибка: неполный ответ устройства! Пришло 1 байт из 3"), 1);
    EXPECT_EQ(CountEnding(lines, "Ошибка: неполный ответ устройства! Пришло 2 байт из 3"), 7);
    EXPECT_EQ(CountContaining(lines, kPortError) + CountContaining(lines, kPinError), 0)
        << "a short answer is one failed step, and an answer with extra bytes is checked as usual";
    EXPECT_EQ(CountEnding(lines, "Тест \"бегущая единица\" завершен, 8 ошибок!"), 1);
    EXPECT_EQ(CountEnding(lines, kPassed), 0);
    EXPECT_EQ(d.GetStatus().errors, 8);
}

TEST(WalkingOneTest, AnUnsupportedDeviceNeverGetsATestWrite)
{
    CTestDispatch d;
    HostSide host(d);
    FakeInstrument device;
    device.versionMajor = 5;
    const std::uint64_t total = LogTotal();
    Bytes next = Converse(host, device, kWholeRun);
    EXPECT_EQ(next, Packet(PACKET_DATA_GET_STATE)) << "the host keeps polling quietly";
    EXPECT_EQ(CountEnding(LogSince(total), kUnsupported), 1);

    // Neither the repeat button nor a time-out of the link lets the test start on it.
    d.RestartTest();
    next = Converse(host, device, kWholeRun, next);
    d.Reset();
    next = Converse(host, device, kWholeRun, next);
    EXPECT_TRUE(device.writes.empty());
    EXPECT_EQ(d.GetStatus().version, CTestDispatch::VERSION_UNSUPPORTED);

    // A VERSION packet too short to hold version_major reads as version 0, not as whatever
    // the receive buffer held from the packet before.
    CTestDispatch d2;
    HostSide host2(d2);
    host2.Handle(Packet(PACKET_DATA_VERSION, {4, 0}));
    EXPECT_EQ(d2.GetStatus().version, CTestDispatch::VERSION_SUPPORTED);
    host2.HandleWithLength(Packet(PACKET_DATA_VERSION), 1);
    EXPECT_EQ(d2.GetStatus().version, CTestDispatch::VERSION_UNSUPPORTED);
}

TEST(WalkingOneTest, RepeatMidRunRestartsFromTheFirstEntryWithNoErrors)
{
    CTestDispatch d;
    HostSide host(d);
    FakeInstrument device;
    int reads = 0;
    // Bus A reads nothing for the first five writes, then the fixture is fixed.
    device.busA = [&reads](std::uint8_t b) { return ++reads <= 5 ? std::uint8_t{0} : b; };
    const std::uint64_t total = LogTotal();

    // Opener, version, state: the first write is out; five answers later five have been
    // checked and the sixth write is in flight.
    Bytes next = Converse(host, device, 3);
    next = Converse(host, device, 5, next);
    ASSERT_EQ(device.writes.size(), 5u);
    EXPECT_EQ(d.GetStatus().errors, 4);

    d.RestartTest(); // "Повторить"
    EXPECT_EQ(d.GetStatus().errors, 0);
    EXPECT_FALSE(d.GetStatus().running);

    // The device's answer to the write in flight belongs to no run: the host asks for STATE.
    next = host.Handle(device.Answer(next));
    EXPECT_EQ(next, Packet(PACKET_DATA_GET_STATE));
    Converse(host, device, kWholeRun, next);

    ASSERT_EQ(device.writes.size(), 6u + 15u);
    EXPECT_EQ(std::vector(device.writes.begin() + 6, device.writes.end()), ExpectedWrites(d, 0, 15));
    const auto lines = LogSince(total);
    EXPECT_EQ(CountEnding(lines, kStarted), 2);
    EXPECT_EQ(CountContaining(lines, kFinished), 1) << "the interrupted run reports nothing";
    EXPECT_EQ(CountEnding(lines, kPassed), 1) << "the errors of the first run are forgotten";
}

TEST(WalkingOneTest, ATimeOutMidRunRestartsCleanlyAndRunsOnce)
{
    CTestDispatch d;
    HostSide host(d);
    FakeInstrument device;
    const std::uint64_t total = LogTotal();
    Bytes next = Converse(host, device, 8);
    ASSERT_EQ(next.at(0), PACKET_DATA_LA_TEST_WRITE);
    const Bytes lastSent = next;
    const std::size_t writesBefore = device.writes.size();

    // The device stays silent: the link resets the dispatcher and sends the last frame again;
    // this time the device answers it.
    d.Reset();
    next = host.Handle(device.Answer(lastSent));
    EXPECT_EQ(next, Packet(PACKET_DATA_GET_STATE)) << "a late read starts and checks nothing";
    // The device's version is asked again before a new run.
    next = host.Handle(device.Answer(next));
    EXPECT_EQ(next, Packet(PACKET_DATA_GET_VERSION));
    Converse(host, device, kWholeRun, next);

    const std::size_t restartAt = writesBefore + 1; // the resent write reached the device too
    ASSERT_EQ(device.writes.size(), restartAt + 15);
    EXPECT_EQ(std::vector(device.writes.begin() + static_cast<long>(restartAt), device.writes.end()),
              ExpectedWrites(d, 0, 15));
    const auto lines = LogSince(total);
    EXPECT_EQ(CountEnding(lines, kStarted), 2);
    EXPECT_EQ(CountContaining(lines, kFinished), 1);
    EXPECT_EQ(CountEnding(lines, kPassed), 1);

    // A time-out that resends the opener leads through MODE and VERSION to a new run as well.
    CTestDispatch d2;
    HostSide host2(d2);
    FakeInstrument device2;
    Converse(host2, device2, 6);
    d2.Reset();
    Converse(host2, device2, kWholeRun, Packet(PACKET_DATA_GET_MODE));
    EXPECT_EQ(device2.writes.size(), 3u + 15u);
}

TEST(WalkingOneTest, RepliesByReceivedType)
{
    CTestDispatch d;
    HostSide host(d);
    for (int type = 0; type < 256; ++type)
    {
        if (type == PACKET_DATA_VERSION || type == PACKET_DATA_STATE ||
            type == PACKET_DATA_LA_TEST_READ)
            continue;
        const Bytes reply = host.Handle(Packet(static_cast<std::uint8_t>(type)));
        if (type <= PACKET_DATA_LG_SET_DATA)
            EXPECT_EQ(reply, Packet(PACKET_DATA_GET_VERSION)) << type;
        else
            EXPECT_EQ(reply, Packet(PACKET_DATA_GET_STATE)) << type;
    }
    // A STATE before any VERSION asks for the version instead of starting.
    EXPECT_EQ(host.Handle(Packet(PACKET_DATA_STATE, Bytes(18, 0))), Packet(PACKET_DATA_GET_VERSION));
    EXPECT_EQ(d.GetStatus().testState, CTestDispatch::TEST_IDLE);
    // A read while no run is active is answered with GET_STATE and changes nothing.
    EXPECT_EQ(host.Handle(Packet(PACKET_DATA_LA_TEST_READ, {0x55, 1})), Packet(PACKET_DATA_GET_STATE));
    EXPECT_EQ(d.GetStatus().step, 0);
}

TEST(WalkingOneTest, ResetClearsTheLinkRequestsAndTheRun)
{
    CTestDispatch d;
    HostSide host(d);
    FakeInstrument device;
    Converse(host, device, 5);
    d.reply_timeout_ms = 1000;
    d.reboot_request = true;

    // The repeat button leaves the link's requests to the link.
    d.RestartTest();
    EXPECT_EQ(d.reply_timeout_ms, 1000u);
    EXPECT_TRUE(d.reboot_request);
    EXPECT_EQ(d.GetStatus().version, CTestDispatch::VERSION_SUPPORTED);

    d.Reset();
    EXPECT_EQ(d.reply_timeout_ms, 0u);
    EXPECT_FALSE(d.reboot_request);
    const auto s = d.GetStatus();
    EXPECT_EQ(s.step, 0);
    EXPECT_EQ(s.errors, 0);
    EXPECT_EQ(s.testState, CTestDispatch::TEST_IDLE);
    EXPECT_EQ(s.version, CTestDispatch::VERSION_UNKNOWN);
}

TEST(WalkingOneTest, ConnectedStateGoesToTheHook)
{
    CTestDispatch d;
    d.SetConnected(true); // no hook yet: nothing to tell
    std::vector<std::string> texts;
    d.SetConnectedHook([&texts](bool connected) {
        texts.push_back(CTestDispatch::ConnectButtonText(connected));
    });
    d.SetConnected(true);
    d.SetConnected(false);
    EXPECT_EQ(texts, (std::vector<std::string>{"Отключиться", "Подключиться"}));
}
