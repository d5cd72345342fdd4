#pragma once
// The program-wide log of link events and packet traces: a ring of the last 500 lines, each
// prefixed with the local time "hh:mm:ss.mmm: ", and one separate status text.
//
// Every operation takes LogLock for its whole duration. Readers keep their own count of the
// lines they have seen and catch up with ReadNewLines.

#include "platform/kernel/Sync.h"

#include <cstdint>
#include <string>
#include <vector>

extern CCriticalSection LogLock;

class EventLog {
public:
    static constexpr int kCapacity = 500;

    // The one instance, created on first use (and destroyed at exit).
    static EventLog* Instance();
    static void DestroyInstance();

    // Pushes one line per line-feed-separated piece of text, all with one time prefix; the
    // piece after the last line feed is pushed too, even when empty.
    void Write(const std::string& text);
    void SetStatus(const std::string& text);
    std::string GetStatus();

    // Appends the lines written since `lastSeenTotal` (at most the last 500, oldest first) to
    // `out`, and moves `lastSeenTotal` on to the current total.
    void ReadNewLines(std::uint64_t& lastSeenTotal, std::vector<std::string>& out);

    std::uint64_t GetTotal();
    int GetStored();

    // Drops every held line; the total is kept. Used by the destructor and by tests.
    void ClearLines();

    ~EventLog();

private:
    EventLog() = default;
    void PushLine(std::string line);

    std::string lines_[kCapacity];
    int stored_ = 0;
    int write_ = 0;
    int start_ = 0;
    std::uint64_t total_ = 0;
    std::string status_;
};
