#pragma once
// The oscilloscope program's side of the conversation with the instrument.
//
// The device answers every host packet with one packet, mostly STATE. For each packet the
// dispatcher updates the data model and leaves the one packet the host sends next: from the
// model's pending changes, mode bits and its own request flags it picks at most one request
// per exchange, in a fixed order of priority, and with nothing to ask it polls with GET_STATE.
// It also reads the captured samples into the model (screen, averaging, statistic and
// full-memory read-outs) and streams the recorder files.
//
// Every handler runs on the link worker thread; everything that touches OscData runs under
// DataLock. The one piece of work that belongs to the user-interface thread, switching the
// data-model variant for the device that answered VERSION, goes through an injected runner.

#include "core/data/OscData.h"
#include "core/data/RecorderHeader.h"
#include "core/link/PacketDispatch.h"
#include "core/protocol/PacketFrame.h"
#include "core/protocol/PacketData.h"
#include "platform/kernel/File.h"

#include <loki/Functor.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

class COscDispatch : public CPacketDispatch {
public:
    // Runs a callable on the user-interface thread and returns once it has run there; false
    // when it could not run (the program is closing). Must be called without DataLock held.
    using UiRunner = std::function<bool(const std::function<void()>&)>;
    // Selects the data-model variant for the reported version bytes (on the UI thread).
    using VersionSwitch = std::function<void(int versionMajor, int versionMinor)>;

    COscDispatch();
    ~COscDispatch() override;
    COscDispatch(const COscDispatch&) = delete;
    COscDispatch& operator=(const COscDispatch&) = delete;

    void HandlePacket() override;
    void Reset() override;
    void SetConnected(bool connected) override;

    // Both default to running the plain SelectOscDataVersion on the calling thread; the main
    // window installs its call queue and its own switch before the link starts.
    void SetUiRunner(UiRunner runner);
    void SetVersionSwitch(VersionSwitch versionSwitch);

    // What the dispatcher will ask for in the next exchanges.
    bool IsVersionPending() const { return version_pending; }
    bool IsStartRequested() const { return start_request; }
    bool IsAnalogWritePending() const { return analog_write_pending; }
    bool IsCalibrationReadPending() const { return calibration_read_pending; }
    bool IsCaptureDone() const { return capture_done; }
    bool IsRecorderFileOpen(int channel) const;

    // Ends a recording in progress for good: each open recorder file gets the header that
    // counts the samples it holds and is closed. The main window calls it at shutdown after
    // the link's worker has stopped, so that closing the program mid-recording leaves files
    // that read back; the destructor does the same for files still open. Takes DataLock; when
    // no data model exists any more, the header is the one the recording last had.
    void CloseRecorderFiles();

    // The sample read-out in progress (zeroed by Reset).
    struct ReadOut {
        bool active = false;  // a screen read-out was planned and is not complete
        bool averaging = false;
        bool second_pending = false;
        bool odd_start = false;
        std::uint8_t channel = 0;
        std::uint8_t min_max = 0;
        int screen_offset = 0;
        int start = 0;
        int points = 0;
        std::uint16_t average_length = 0;
        int sum[2] = {0, 0};
        int minimum[2] = {0, 0};
        int maximum[2] = {0, 0};
        std::uint8_t logic_and[2] = {0, 0};
        std::uint8_t logic_or[2] = {0, 0};
        int counted[2] = {0, 0};
    };
    const ReadOut& GetReadOut() const { return read; }

private:
    using CH = PacketDataStructure<PACKET_DATA_CH>;
    using State = PacketDataStructure<PACKET_DATA_STATE>;
    using StartCyclone = PacketDataStructure<PACKET_DATA_START_CYCLONE>;

    // Reply helpers.
    template <class Packet>
    void Reply(const Packet& packet);
    void ReplyBare(std::uint8_t type);
    void ReplyGetCh(int offset, int bufOffset, int length, int ch, int minMax, int averageLength);
    template <class Packet>
    bool ReadReceived(Packet& packet) const;
    std::uint16_t ReceivedLength() const;
    int SuppliedLength(std::uint32_t claimed, int availableBytes, int k) const;

    // The type switch's handlers.
    void HandleMode();
    void HandleVersion();
    void HandleState();
    void HandleCh();
    void HandleCycleStart();
    void HandleOutFreqWritten();
    void HandleFreqResponse();
    void HandleCalibrationStep();
    void HandleCalibrationData();
    void HandleOffsetWritten();

    void ChooseReply(OscData& d, const State& state, bool redraw);
    StartCyclone BuildCaptureStart(OscData& d) const;
    void ReplyCaptureStart(OscData& d);
    void FrequencyResponseStep(OscData& d);
    void FrequencyResponsePointV2();
    void FrequencyResponseResultV2();
    void FinishFrequencyResponseV2(OscData& d);
    void StartStatistic(OscData& d, int channel, int durationMs);
    void CalibrationStart(OscData& d);
    void CalibrationOffsetWritten();
    void OffsetSearchStep();
    void WriteOffset(OscData& d, int dac);
    void FinishChannelSearch(OscData& d);
    void NextCalibrationChannel(OscData& d);
    void RunContinuation(Loki::Functor<void>& continuation);
    void ApplyReset(OscData& d);
    void TakeRecorderStartTime(OscData& d);

    // Reception.
    bool PlanRead(OscData& d, const State& state);
    void BuildScreenFromMemory(OscData& d, const ChannelReadPlan& plan);
    bool ScreenReadOut(OscData& d, const CH& header, const std::int8_t* data, int length);
    bool AveragingReadOut(OscData& d, const CH& header, const std::int8_t* data, int length);
    void StatisticReadOut(OscData& d, const CH& header, const std::int8_t* data, int length);
    void MemoryReadOut(OscData& d, const CH* header, const std::int8_t* data, int length);
    void FinishFrame(OscData& d);
    void DropReadOut();

    // Recorder.
    bool RecorderStep(OscData& d, const State& state);
    bool StartRecorderFiles(OscData& d);
    void StopRecorderFiles(OscData& d);
    void RecorderStream(OscData& d, const CH& header, const std::int8_t* data, int length);
    bool WriteRecorderHeader(OscData* d, int channel);
    void EndFailedRecorderFile(OscData& d, int channel, int k);
    void FailRecorder(OscData& d, const char* what, const CString& path,
                      const std::string& error);

    // Request flags.
    bool capture_done = false;
    bool start_request = false;
    bool analog_write_pending = false;
    bool calibration_read_pending = false;
    bool version_pending = true;

public:
    // The generator's own divider while a frequency response borrows the generator.
    std::uint32_t saved_out_freq = 0;
    // osc_sr of the previous STATE: its rising bits are the capture and trigger events.
    std::uint32_t last_osc_sr = 0;
    // The channel a calibration or frequency-response step works on (0 A, 1 B).
    int cal_channel = 0;

    // Continuations of the multi-exchange steps; empty when none waits. They run when the
    // device acknowledges an offset write (type 40), when a statistic capture has been read,
    // and when OUT_FREQ_WRITTEN arrives.
    Loki::Functor<void> on_offset_written;
    Loki::Functor<void> on_statistic_done;
    Loki::Functor<void> on_out_freq_written;

private:
    ReadOut read;
    // Channel points that wait until the whole frame is in (A while B is read, or both while
    // the host averages).
    std::vector<int> pending_points[2];
    int pending_offset[2] = {0, 0};  // screen point of the first waiting value
    int pending_count[2] = {0, 0};   // points waiting

    // The length (samples) of the last GET_CH sent: its answer never supplies more. Kept over
    // a reset, since the link sends the same request again after a time-out.
    int requested_length = 0;
    int ch_limit = 0;  // the request the CH being handled answers

    // Recorder.
    CFile recorder_file[2];
    std::uint32_t ring_position = 0;
    // Whole samples each file of this recording holds: what its header will say, even when a
    // write failed part-way.
    std::int64_t recorder_file_samples[2] = {0, 0};
    // The header each file would get now, kept up to date while recording, for a file closed
    // after the data model is gone.
    RecorderHeader recorder_header[2] = {};
    // This recording has failed and said so: nothing more is written or asked for, and no
    // second message follows (one full disk is one message).
    bool recorder_failed = false;
    // The recorder's START_CYCLONE last sent and not yet acknowledged by a cycle start. Only
    // that acknowledgement settles the user's start or stop request: a cycle start that answers
    // an older capture start leaves the request for the recorder step. Kept over a reset, since
    // the link repeats the last frame after a time-out.
    enum class RecorderAck { None, Start, Stop };
    RecorderAck recorder_ack = RecorderAck::None;

    // Cycle counter seen at the last stopped-capture check (one value for the program).
    int redraw_cycle = 0;
    // The output frequency was saved by the running frequency response.
    bool fr_saved = false;
    // A host calibration run is under way (its start is not repeated).
    bool calibration_running = false;
    // A reset left a statistic capture without its continuation: drop it at the next packet.
    bool abandon_statistic = false;
    int calibration_search_steps = 0;
    std::vector<std::pair<int, double>> offset_records;  // (dac, mean), ascending dac

    UiRunner ui_runner;
    VersionSwitch version_switch;
};

// Leaves a whole packet in the reply frame (length, type and payload; the worker adds the rest).
template <class Packet>
void COscDispatch::Reply(const Packet& packet)
{
    static_assert(sizeof(Packet) <= FRAME_MAX_SENT_LENGTH, "a reply must fit a sent frame");
    SetFrameLength(reply_frame, static_cast<std::uint16_t>(sizeof(Packet)));
    std::memcpy(reply_frame + 3, &packet, sizeof(Packet));
}
