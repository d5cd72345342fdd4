// The walking-one test of the logic ports.

#include "testtool/TestDispatch.h"

#include "core/log/EventLog.h"
#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"

#include <boost/format.hpp>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace {

void Log(const std::string& text)
{
    EventLog::Instance()->Write(text);
}

// The received packet as its structure. A packet shorter than its structure leaves the
// missing fields zero rather than picking up what an earlier frame left in the buffer.
template <typename S>
S ReadReceived(const BYTE* frame)
{
    S s;
    std::memset(&s, 0, sizeof s);
    const std::size_t length = GetFrameLength(frame);
    std::memcpy(&s, frame + 3, std::min(length, sizeof s));
    return s;
}

template <typename S>
void WriteReply(BYTE* frame, const S& s)
{
    SetFrameLength(frame, static_cast<std::uint16_t>(sizeof s));
    std::memcpy(frame + 3, &s, sizeof s);
}

} // namespace

CTestDispatch::CTestDispatch()
    : pattern_{0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40,
               0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}
{
}

const char* CTestDispatch::ConnectButtonText(bool connected)
{
    return connected ? "Отключиться" : "Подключиться";
}

void CTestDispatch::SetConnectedHook(ConnectedHook hook)
{
    CSingleLock lock(&lock_, TRUE);
    connectedHook_ = std::move(hook);
}

void CTestDispatch::SetConnected(bool connected)
{
    ConnectedHook hook;
    {
        CSingleLock lock(&lock_, TRUE);
        hook = connectedHook_;
    }
    // Outside the lock: the hook hands the change to the UI thread, and the UI thread may be
    // waiting for this lock in RestartTest at this moment.
    if (hook)
        hook(connected);
}

void CTestDispatch::ForgetRun()
{
    errors_ = 0;
    step_ = 0;
    testState_ = TEST_IDLE;
    running_ = false;
}

void CTestDispatch::Reset()
{
    CSingleLock lock(&lock_, TRUE);
    reply_timeout_ms = 0;
    reboot_request = false;
    ForgetRun();
    // A new session may be a different device, and after a time-out the device may have
    // restarted: its version is asked again before the next run.
    version_ = VERSION_UNKNOWN;
}

void CTestDispatch::RestartTest()
{
    CSingleLock lock(&lock_, TRUE);
    ForgetRun();
}

CTestDispatch::Status CTestDispatch::GetStatus()
{
    CSingleLock lock(&lock_, TRUE);
    Status s;
    s.step = step_;
    s.errors = errors_;
    s.testState = testState_;
    s.running = running_;
    s.version = version_;
    return s;
}

void CTestDispatch::HandlePacket()
{
    CSingleLock lock(&lock_, TRUE);
    if (received_frame == nullptr || reply_frame == nullptr)
        return;
    const BYTE type = received_frame[3];
    switch (type)
    {
    case PACKET_DATA_VERSION:
        OnVersion();
        break;
    case PACKET_DATA_STATE:
        OnState();
        break;
    case PACKET_DATA_LA_TEST_READ:
        OnTestRead();
        break;
    default:
        // After the opener and after any packet the test does not expect, ask who is there;
        // types beyond the protocol's get the preset GET_STATE.
        if (type <= PACKET_DATA_LG_SET_DATA)
            ReplyBare(PACKET_DATA_GET_VERSION);
        break;
    }
}

void CTestDispatch::OnVersion()
{
    Reset();
    const auto version = ReadReceived<PacketDataStructure<PACKET_DATA_VERSION>>(received_frame);
    if (version.version_major != kSupportedVersionMajor)
    {
        Log("Неподдерживаемая аппаратная версия!");
        testState_ = TEST_DONE;
        version_ = VERSION_UNSUPPORTED;
        return;
    }
    version_ = VERSION_SUPPORTED;
}

void CTestDispatch::OnState()
{
    if (version_ == VERSION_UNKNOWN)
    {
        // The session lost its version check (a reset after a time-out): no write goes out
        // before the device has said again which hardware it is.
        ReplyBare(PACKET_DATA_GET_VERSION);
        return;
    }
    if (version_ == VERSION_UNSUPPORTED)
    {
        testState_ = TEST_DONE;
        return;
    }
    if (testState_ != TEST_DONE)
        ++testState_;
    if (testState_ != TEST_STARTED)
        return;
    Log("Тест \"бегущая единица\" начат");
    step_ = 0;
    running_ = true;
    ReplyTestWrite();
}

void CTestDispatch::OnTestRead()
{
    if (!running_)
    {
        // A late answer to a write of a run that has been reset (a resend after a time-out,
        // or the repeat button): it belongs to no run. GET_STATE lets the next STATE start
        // a fresh one, so no run is ever checked against another run's writes.
        return;
    }
    using TestRead = PacketDataStructure<PACKET_DATA_LA_TEST_READ>;
    const auto read = ReadReceived<TestRead>(received_frame);
    const std::size_t length = GetFrameLength(received_frame);
    if (step_ != 0 && length < sizeof(TestRead))
    {
        // The answer lacks the bus or the pin it should report: nothing was checked, and a
        // step that checked nothing is a failed step, never a silent pass.
        Log((boost::format("Ошибка: неполный ответ устройства! Пришло %d байт из %d") %
             length % sizeof(TestRead))
                .str());
        ++errors_;
    }
    else if (step_ != 0)
    {
        const int sentBus = pattern_[static_cast<std::size_t>(step_ - 1)];
        const int sentPin = (step_ - 1) & 1;
        if (read.digital_A_bus != sentBus)
        {
            Log((boost::format("Ошибка порта A/B! Послали %02X, пришло %02X") % sentBus %
                 static_cast<int>(read.digital_A_bus))
                    .str());
            ++errors_;
        }
        if (read.ext_trig != sentPin)
        {
            Log((boost::format("Ошибка пина freq_out/ext_trig! Послали %d, пришло %d") % sentPin %
                 static_cast<int>(read.ext_trig))
                    .str());
            ++errors_;
        }
    }
    if (step_ != kWrites)
    {
        ReplyTestWrite();
        return;
    }
    running_ = false;
    if (errors_ != 0)
        Log((boost::format("Тест \"бегущая единица\" завершен, %d ошибок!") % errors_).str());
    else
        Log("Тест \"бегущая единица\" завершен успешно!");
}

void CTestDispatch::ReplyTestWrite()
{
    PacketDataStructure<PACKET_DATA_LA_TEST_WRITE> write;
    write.data_id = PACKET_DATA_LA_TEST_WRITE;
    write.digital_B_bus_test = pattern_[static_cast<std::size_t>(step_)];
    write.freq_out_test = static_cast<BYTE>(step_ & 1);
    WriteReply(reply_frame, write);
    ++step_;
}

void CTestDispatch::ReplyBare(BYTE type)
{
    SetFrameLength(reply_frame, 1);
    reply_frame[3] = type;
}
