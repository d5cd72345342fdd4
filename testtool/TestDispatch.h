#pragma once
// Durmitt's packet dispatcher: the walking-one test of the logic ports.
//
// The host drives bus B and the freq_out pin through LA_TEST_WRITE with the entries of a fixed
// pattern, and the device answers each write with LA_TEST_READ, reporting bus A and ext_trig.
// With bus B wired to bus A and freq_out to ext_trig every answer matches what was sent. One
// run writes pattern entries 0..14 and checks each once; every mismatch, every answer too
// short to be checked, and the result go to the event log.
//
// The conversation of one run: opener -> MODE -> GET_VERSION -> VERSION -> GET_STATE -> STATE
// -> LA_TEST_WRITE -> LA_TEST_READ -> LA_TEST_WRITE ... -> after the 15th check GET_STATE.
//
// Threads: HandlePacket, Reset and SetConnected run on the link worker; RestartTest and
// GetStatus on the UI thread. One lock serialises them all. The connected hook is called
// without that lock held, so a dialog may post (never send) its button change from it.

#include "core/link/PacketDispatch.h"
#include "platform/kernel/Sync.h"

#include <array>
#include <functional>

class CTestDispatch : public CPacketDispatch {
public:
    // Test states: waiting for the STATE that starts a run, a run just started, and done (or
    // blocked by an unsupported device) until the next reset.
    enum TestState { TEST_IDLE = 0, TEST_STARTED = 1, TEST_DONE = 2 };

    // The pattern entries one run writes (the table's last entry is never sent).
    static constexpr int kWrites = 15;
    // What this session knows of the device: the test runs only on a supported version.
    enum VersionCheck { VERSION_UNKNOWN = 0, VERSION_SUPPORTED = 1, VERSION_UNSUPPORTED = 2 };

    // The only hardware version the test knows how to drive.
    static constexpr BYTE kSupportedVersionMajor = 4;

    using ConnectedHook = std::function<void(bool connected)>;

    CTestDispatch();

    void HandlePacket() override;
    // The link's reset (session start, time-out): forgets the run, the device's version and
    // the link requests.
    void Reset() override;
    // Tells the hook; the dialog shows ConnectButtonText on its connect button.
    void SetConnected(bool connected) override;

    // The repeat button: forgets the run so that the next STATE starts a new one with no
    // errors. The link's own requests and the device's checked version are left alone.
    void RestartTest();

    // Set by the dialog before the link starts; called on the worker thread.
    void SetConnectedHook(ConnectedHook hook);

    // "Отключиться" while connected, "Подключиться" while not.
    static const char* ConnectButtonText(bool connected);

    struct Status {
        int step = 0;
        int errors = 0;
        int testState = TEST_IDLE;
        bool running = false; // writes are out and LA_TEST_READ answers are expected
        int version = VERSION_UNKNOWN;
    };
    Status GetStatus();

    const std::array<BYTE, 16>& GetPattern() const { return pattern_; }

private:
    void ForgetRun();
    void OnVersion();
    void OnState();
    void OnTestRead();
    void ReplyTestWrite();
    void ReplyBare(BYTE type);

    const std::array<BYTE, 16> pattern_;
    int step_ = 0;
    int errors_ = 0;
    int testState_ = TEST_IDLE;
    bool running_ = false;
    int version_ = VERSION_UNKNOWN;
    ConnectedHook connectedHook_;
    CCriticalSection lock_;
};
