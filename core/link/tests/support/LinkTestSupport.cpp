#include "support/LinkTestSupport.h"

#include "core/log/EventLog.h"
#include "core/protocol/PacketFrame.h"

#include <algorithm>
#include <cstring>

Bytes MakeFrame(std::uint8_t type, const Bytes& payload)
{
    Bytes frame(payload.size() + 5, 0);
    SetFrameLength(frame.data(), static_cast<std::uint16_t>(payload.size() + 1));
    frame[3] = type;
    std::copy(payload.begin(), payload.end(), frame.begin() + 4);
    frame[0] = FRAME_START;
    frame.back() = Crc8(frame.data(), frame.size() - 1);
    return frame;
}

ScriptedTransport::ScriptedTransport(Clock& clock, Script script) : clock_(clock), script_(std::move(script)) {}

bool ScriptedTransport::Open()
{
    bool result = true;
    monitor_.Update([&] {
        ++openCalls_;
        if (!openResults_.empty()) {
            result = openResults_.front();
            openResults_.pop_front();
        }
        open_ = result;
    });
    return result;
}

void ScriptedTransport::Close()
{
    monitor_.Update([&] {
        ++closeCalls_;
        open_ = false;
        armed_ = nullptr;
        pending_.clear();
    });
}

bool ScriptedTransport::IsOpen()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return open_ && !alwaysClosed_;
}

void ScriptedTransport::SetAlwaysClosed(bool closed)
{
    monitor_.Update([&] { alwaysClosed_ = closed; });
}

void ScriptedTransport::BeginRead(void* buffer, int length)
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    armed_ = static_cast<std::uint8_t*>(buffer);
    armedLength_ = length;
    armedFill_ = 0;
}

int ScriptedTransport::PollRead()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    ++readCalls_;
    return TakeChunk();
}

int ScriptedTransport::WaitRead(DWORD ms)
{
    bool silent = false;
    {
        std::lock_guard<std::mutex> lock(monitor_.Mutex());
        ++readCalls_;
        silent = pending_.empty();
    }
    if (silent && ms > 0)
        clock_.Sleep(ms);
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return TakeChunk();
}

int ScriptedTransport::TakeChunk()
{
    if (armed_ == nullptr || pending_.empty())
        return 0;
    const Bytes chunk = std::move(pending_.front());
    pending_.pop_front();
    const int n = std::min(static_cast<int>(chunk.size()), armedLength_ - armedFill_);
    std::memcpy(armed_ + armedFill_, chunk.data(), static_cast<std::size_t>(n));
    armedFill_ += n;
    return n;
}

int ScriptedTransport::Send(const void* buffer, int length)
{
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    Bytes sent(bytes, bytes + length);
    std::vector<Bytes> answer;
    if (script_)
        answer = script_(sent);
    monitor_.Update([&] {
        sends_.push_back(Sent{clock_.GetTickCount(), sent});
        for (auto& chunk : answer)
            pending_.push_back(std::move(chunk));
    });
    return length;
}

void ScriptedTransport::Purge()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    pending_.clear();
}

void ScriptedTransport::QueueOpenResults(std::vector<bool> results)
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    openResults_.assign(results.begin(), results.end());
}

void ScriptedTransport::SetOpenState(bool open)
{
    monitor_.Update([&] { open_ = open; });
}

void ScriptedTransport::Deliver(Bytes chunk)
{
    monitor_.Update([&] { pending_.push_back(std::move(chunk)); });
}

std::vector<ScriptedTransport::Sent> ScriptedTransport::Sends()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return sends_;
}

int ScriptedTransport::OpenCalls()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return openCalls_;
}

int ScriptedTransport::ReadCalls()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return readCalls_;
}

int ScriptedTransport::CloseCalls()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return closeCalls_;
}

bool ScriptedTransport::WaitForSends(std::size_t count)
{
    return monitor_.WaitFor([&] { return sends_.size() >= count; });
}

void ScriptedDispatcher::HandlePacket()
{
    const std::uint16_t length = GetFrameLength(received_frame);
    Bytes packet(received_frame + 3, received_frame + 3 + length);
    if (handler_)
        handler_(*this);
    monitor_.Update([&] { handled_.push_back(std::move(packet)); });
}

void ScriptedDispatcher::Reset()
{
    monitor_.Update([&] { ++resets_; });
}

void ScriptedDispatcher::SetConnected(bool connected)
{
    monitor_.Update([&] { connected_.push_back(connected); });
}

std::vector<Bytes> ScriptedDispatcher::Handled()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return handled_;
}

int ScriptedDispatcher::Resets()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return resets_;
}

std::vector<bool> ScriptedDispatcher::ConnectedCalls()
{
    std::lock_guard<std::mutex> lock(monitor_.Mutex());
    return connected_;
}

bool ScriptedDispatcher::WaitForHandled(std::size_t count)
{
    return monitor_.WaitFor([&] { return handled_.size() >= count; });
}

bool ScriptedDispatcher::WaitForConnectedCalls(std::size_t count)
{
    return monitor_.WaitFor([&] { return connected_.size() >= count; });
}

bool ScriptedDispatcher::WaitForResets(int count)
{
    return monitor_.WaitFor([&] { return resets_ >= count; });
}

void ScriptedDispatcher::Reply(std::uint8_t type, const Bytes& payload)
{
    SetFrameLength(reply_frame, static_cast<std::uint16_t>(payload.size() + 1));
    reply_frame[3] = type;
    std::copy(payload.begin(), payload.end(), reply_frame + 4);
}

std::vector<std::string> LogLinesSince(std::uint64_t total)
{
    std::vector<std::string> lines;
    EventLog::Instance()->ReadNewLines(total, lines);
    return lines;
}

std::uint64_t LogTotal()
{
    return EventLog::Instance()->GetTotal();
}

int CountEndingWith(const std::vector<std::string>& lines, const std::string& text)
{
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0;
    }));
}
