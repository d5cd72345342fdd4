#pragma once
// The one live model of the instrument: every setting sent to the device, the state of the
// acquisition, the captured samples, the 300-point screen image and the measurement results.
//
// Exactly one object exists at a time (GetOscData); which class it is depends on the device
// version (DataV1 .. DataV5). Both the link worker and the user interface use it, always with
// DataLock held; the bit words `changes`, `mode` and `status` are the hand-over between them.

#include "platform/kernel/CString.h"
#include "platform/kernel/Sync.h"
#include "platform/kernel/WinTypes.h"

#include <boost/date_time/posix_time/ptime.hpp>
#include <boost/signals2/signal.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace boost::serialization {
class access;
}

// Bits of OscData::mode. The values are stored in the configuration: never renumber them.
inline constexpr std::uint32_t MODE_STOPPED = 0x1;
inline constexpr std::uint32_t MODE_LINEAR = 0x4;
inline constexpr std::uint32_t MODE_FREQ_RESPONSE = 0x8;
inline constexpr std::uint32_t MODE_SINGLE = 0x10;
inline constexpr std::uint32_t MODE_SPECTRUM = 0x40;
inline constexpr std::uint32_t MODE_SPECTRUM_A = 0x80;
inline constexpr std::uint32_t MODE_PROBE_X10_A = 0x800;
inline constexpr std::uint32_t MODE_PROBE_X10_B = 0x1000;
inline constexpr std::uint32_t MODE_CALIBRATION = 0x2000;
inline constexpr std::uint32_t MODE_FR_POINT = 0x4000;
inline constexpr std::uint32_t MODE_WAIT_TRIGGER = 0x8000;
inline constexpr std::uint32_t MODE_LINKED = 0x10000;
inline constexpr std::uint32_t MODE_READING = 0x20000;
inline constexpr std::uint32_t MODE_RECORDER = 0x40000;

// Bits of OscData::status: events raised by the data side for the user interface.
inline constexpr std::uint32_t STATUS_CAPTURED = 0x1;
inline constexpr std::uint32_t STATUS_TRIGGERED = 0x2;
inline constexpr std::uint32_t STATUS_STOPPED = 0x4;
inline constexpr std::uint32_t STATUS_MEASURED = 0x200;
inline constexpr std::uint32_t STATUS_FRAME_READY = 0x400;
inline constexpr std::uint32_t STATUS_CYCLE_START = 0x800;
inline constexpr std::uint32_t STATUS_CALIBRATED = 0x1000;
inline constexpr std::uint32_t STATUS_CALIBRATION_FAILED = 0x2000;
inline constexpr std::uint32_t STATUS_LIMITS_APPLIED = 0x4000;
inline constexpr std::uint32_t STATUS_FR_DONE = 0x8000;
inline constexpr std::uint32_t STATUS_REDRAW = 0x20000;
// The full-memory read-out of a stopped capture is complete.
inline constexpr std::uint32_t STATUS_MEMORY_READ = 0x40000;
inline constexpr std::uint32_t STATUS_RECORDER_START = 0x80000;
inline constexpr std::uint32_t STATUS_RECORDER_STOP = 0x100000;
inline constexpr std::uint32_t STATUS_FILTERED = 0x200000;

// Bits of OscData::changes: pending device writes and re-captures.
inline constexpr std::uint32_t CHANGE_CAPTURE = 0x1;
inline constexpr std::uint32_t CHANGE_ANALOG = 0x2;
inline constexpr std::uint32_t CHANGE_ZOOM = 0x4;
inline constexpr std::uint32_t CHANGE_SKIP = 0x8;
inline constexpr std::uint32_t CHANGE_POSITION = 0x10;
inline constexpr std::uint32_t CHANGE_TRIGGER = 0x40;
inline constexpr std::uint32_t CHANGE_OUT_FREQ = 0x80;
inline constexpr std::uint32_t CHANGE_OFFSET_A = 0x200;
inline constexpr std::uint32_t CHANGE_OFFSET_B = 0x400;
inline constexpr std::uint32_t CHANGE_LG_CONFIG = 0x800;
// Every register write pending: what a reset or a newly identified device needs.
inline constexpr std::uint32_t CHANGE_ALL_REGISTERS = 0x68F;

// Bits of OscData::osc_cr.
inline constexpr std::uint16_t OSC_CR_DEFAULT_BIT = 0x1;
inline constexpr std::uint16_t OSC_CR_TRIGGER_ON = 0x2;
inline constexpr std::uint16_t OSC_CR_TRIGGER_EXT = 0x4;
inline constexpr std::uint16_t OSC_CR_TRIGGER_B = 0x8;
inline constexpr std::uint16_t OSC_CR_EDGE_1 = 0x10;
inline constexpr std::uint16_t OSC_CR_MIN_MAX = 0x20;
inline constexpr std::uint16_t OSC_CR_EDGE_2 = 0x100;
inline constexpr std::uint16_t OSC_CR_LOGIC_A = 0x200;
inline constexpr std::uint16_t OSC_CR_LOGIC_B = 0x400;
inline constexpr std::uint16_t OSC_CR_DIGITAL_TRIGGER = 0x800;
inline constexpr std::uint16_t OSC_CR_CH_A_ON = 0x1000;
inline constexpr std::uint16_t OSC_CR_CH_B_ON = 0x2000;
inline constexpr std::uint16_t OSC_CR_RECORDER = 0x4000;

// Bits of OscData::osc_sr as the device reports them in STATE.
inline constexpr std::uint16_t OSC_SR_CTCH = 0x1;   // capture complete
inline constexpr std::uint16_t OSC_SR_TPREV = 0x2;
inline constexpr std::uint16_t OSC_SR_TROK = 0x4;   // trigger found
inline constexpr std::uint16_t OSC_SR_TRWRK = 0x8;
inline constexpr std::uint16_t OSC_SR_TWI = 0x10;
inline constexpr std::uint16_t OSC_SR_TRBIT = 0x20;

// Bits of OscData::analog_cr.
inline constexpr std::uint16_t ANALOG_CR_COUPLING_A = 0x2;
inline constexpr std::uint16_t ANALOG_CR_GAIN_A = 0xC;
inline constexpr std::uint16_t ANALOG_CR_COUPLING_B = 0x20;
inline constexpr std::uint16_t ANALOG_CR_GAIN_B = 0xC0;

// Screen geometry: every trace is 300 points wide, one division is 10 points.
inline constexpr int SCREEN_POINTS = 300;
inline constexpr int SCREEN_VALUES = 600;   // 300 points, or 300 min/max pairs
inline constexpr int SCREEN_TRACES = 3;     // channel A, channel B, the third (math) trace
inline constexpr int SPECTRUM_BINS = 151;
inline constexpr int FREQ_RESPONSE_POINTS = 100;

// Volts per division in millivolts, by volts/div index.
inline constexpr std::uint32_t VDivTable[20] = {
    5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000,
    100000, 200000, 500000, 1000000, 2000000, 5000000, 10000000};
inline constexpr unsigned VDIV_TABLE_SIZE = 20;

// Largest time/div index that names a time (100 s/div).
inline constexpr unsigned TDIV_INDEX_LIMIT = 33;

// The frequency-response run and the statistic capture behind one of its points (and behind
// the host-side offset calibration). Zeroed by a reset; filled by the dispatcher and the
// frequency-response window.
struct FreqResponseRun {
    std::int32_t index;                            // current point
    std::int32_t count;                            // number of points in the list
    std::uint32_t freq[FREQ_RESPONSE_POINTS];      // generator divider of each point
    std::int32_t channel;
    std::int32_t delay;
    std::int32_t time_ms;
    std::int8_t ave[FREQ_RESPONSE_POINTS];
    std::int8_t min[FREQ_RESPONSE_POINTS];
    std::int8_t max[FREQ_RESPONSE_POINTS];
};

struct StatisticWork {
    std::int32_t channel;
    std::uint32_t divider;       // samples_parts of the statistic capture
    std::int32_t minimum;
    std::int32_t maximum;
    double sum;
    double mean;
    bool start;                  // the next STATE starts the statistic capture
};

// All data fields of the model, plain and non-polymorphic.
struct DataBase {
    std::uint32_t status;                 // STATUS_* (not stored)
    std::uint32_t changes;                // CHANGE_* (not stored)
    std::uint32_t mode;                   // MODE_*
    std::uint16_t osc_cr;                 // OSC_CR_*
    std::uint16_t osc_sr;                 // OSC_SR_*, as last reported
    std::uint16_t analog_cr;              // ANALOG_CR_*
    std::int32_t trigger_offset_samples;  // position relative to the trigger while running (samples)
    std::int32_t trigger_offset_extra;    // position relative to the trigger while stopped (points)
    std::int32_t x_offset;                // position without trigger (points from the capture start)
    std::int32_t trigger_level[2];        // raw units, channels A and B
    std::uint8_t trigger_dir[3];          // sources A, B, external: 0 none, 1 EDGE_1, 2 EDGE_2
    std::uint32_t t_div;                  // time/div index
    std::uint32_t x_skip;                 // device decimation: one sample of x_skip + 1 is kept
    std::uint32_t max_x_skip;             // largest x_skip offered
    std::int32_t x_zoom_out_hw;           // one screen point covers
    std::int32_t x_zoom_out_sw;           //   x_zoom_out_hw * x_zoom_out_sw / x_zoom_in
    std::int32_t x_zoom_in;               //   stored samples

    // Automatic measurement results per channel (raw units relative to the zero level).
    std::int32_t measure_mean[2];
    std::int32_t measure_peak[2];         // peak deviation from the mean
    std::int32_t measure_max[2];
    std::int32_t measure_min[2];
    std::int32_t measure_top[2];
    std::int32_t measure_base[2];
    double measure_period[2];             // screen points
    std::int32_t measure_frames;          // averaging frame counter

    std::int8_t y_offset[3];              // A, B, math trace
    std::uint32_t u_div[3];               // volts/div index of A, B, math trace
    std::uint32_t gain_ref[3];            // gain ratio of each u_div entry: reference part
    std::uint32_t gain_sel[3];            //   and selected part (ApplyVDiv)
    std::int32_t interp_phase;            // x_offset mod x_zoom_in at the last read plan
    std::int32_t stopped_view_shift;      // follows trigger_offset_extra while stopped
    std::uint8_t offset_dac[2];           // 128 = middle

    // Screen bookkeeping.
    std::int32_t valid_points;            // screen points received for the current frame (0..300)
    std::int32_t first_not_ready_sample;  // first screen point not yet read
    std::int32_t last_num_catched_samples;  // samples captured as of the previous STATE/plan
    std::int32_t last_plan_cycle;         // cycle counter seen at the previous plan
    std::int32_t trigger_buffer_start_sample;

    std::uint8_t trigger_digital;         // logic pattern for OSC_CR_DIGITAL_TRIGGER

    std::int32_t screen_points[SCREEN_TRACES][SCREEN_VALUES];
    std::uint8_t logic_points[SCREEN_TRACES][SCREEN_VALUES][8];  // 0 low, 1 changing, 2 high

    std::uint32_t read_state;             // full-memory read-out: 0 idle, 1 A, 2 B, 3 complete
    std::uint32_t read_position;          // bytes of the full-memory read-out; cleared per cycle

    // Full-memory sample buffers of channels A and B (GetSampleBufferLength entries each);
    // owned by the variant object.
    std::int32_t* sample_buffer[2];

    std::int32_t spectrum_length;         // 300 when computed
    double spectrum[SPECTRUM_BINS];

    std::int32_t calibration_step;
    std::int32_t calibration_steps;
    std::int32_t cycle_counter;           // acquisition cycles since reset
    std::uint32_t out_freq;               // generator divider: f = base clock / (out_freq + 1)

    FreqResponseRun freq_response;
    StatisticWork statistic;

    double display_time_step;             // nanoseconds per tenth of a division
};

// One reachable time/div choice, as offered in the main window's combo box.
struct TDivOption {
    unsigned t_div;
    unsigned x_skip;
    int x_zoom_out_hw;
    int x_zoom_out_sw;
    int x_zoom_in;
    CString text;
};

struct RecorderHeader;

// Which stretch of the device memory to fetch for the screen after a STATE report.
struct ChannelReadPlan {
    int channel = 3;        // 0 A, 1 B, 2 both, 3 nothing to read
    int buf_offset = 0;     // first screen point the data belong to
    int offset_sample = 0;  // first sample in the device memory (stored samples)
    int length = 0;         // samples to read
    CString text;           // report for the event log
};

class OscData : public DataBase {
public:
    OscData(const OscData&) = delete;
    OscData& operator=(const OscData&) = delete;
    virtual ~OscData();

    // The device variant's constants and limits.
    virtual int GetVersion() const = 0;
    virtual BYTE GetChannelCaps() const = 0;
    virtual CString GetSectionName() const = 0;
    virtual unsigned GetTDivMin() const = 0;
    virtual unsigned GetTDivMax() const = 0;
    virtual unsigned GetVDivMin() const = 0;
    virtual unsigned GetVDivMax() const = 0;
    virtual unsigned GetMemoryDepth() const = 0;
    virtual unsigned GetFrameLength() const = 0;
    virtual unsigned GetSampleRateKHz() const = 0;
    virtual unsigned GetMaxSampleRateKHz() const = 0;
    virtual unsigned GetBaseClock() const = 0;
    virtual bool IsDividerValid(unsigned divider) const = 0;
    virtual unsigned GetDividerMax() const = 0;
    virtual unsigned GetStepMillivolts() const = 0;
    // Index of the reference gain step for a volts/div index.
    virtual int GetGainIndex(unsigned u) const;
    virtual signed char GetCalibrationOffset(int channel) const;
    // Takes the variant's own number of calibration bytes from `data` (`size` bytes long);
    // `count` is what the device claims and is not trusted for the copy.
    virtual void SetCalibrationOffsets(unsigned count, const signed char* data, std::size_t size);
    virtual void ApplyGain(int entry);
    virtual void ResetDefaults();
    virtual void MoveHorizontal(int delta);
    virtual bool SetHorizontalPosition(int position);
    virtual bool EnableChannelA(bool on);
    virtual bool EnableChannelB(bool on);

    // Timebase and decimation.
    // 0 solved, 1 memory or zoom insufficient, 2 ratio not buildable; a refusal changes nothing.
    int SolveTimebase();
    std::vector<unsigned> ListSkipValues();
    std::vector<TDivOption> ListTDivOptions();
    std::vector<CString> ListVDivOptions(int trace);
    // Brings t_div to a reachable index of the variant's range.
    void FitTDivIndex();
    // 30 units per millisecond of one division.
    std::int64_t GetTDivUnits() const;

    // Model operations.
    void ApplyLimits();
    void ApplyVDiv();
    void ToggleStop();
    void Stop();
    void ClampViewOffset();
    int PointsToSamples(int points) const;
    int SamplesToPoints(int samples, int* remainder = nullptr) const;
    int PointsToSamplesWithMargin(int points) const;
    int GetTriggerSource() const;
    double GetVoltScale(int channel) const;
    double ToMillivolts(int raw, int channel) const;
    CString GetInterpolationName() const;
    void FillRecorderHeader(int channel, RecorderHeader& header) const;
    CString FormatBusValue(int point, int channel, int radix) const;

    // Operations defined with the code that uses them: measurements and spectrum
    // (core/measure), screen interpolation and read planning (the channel reception).
    void ProcessFrame();
    void ComputeMeasurements();
    void InterpolateScreen();
    // The three STATE counters are the wire's unsigned 32-bit values: pass their bits as they
    // are (a count above INT_MAX arrives as a negative int and is read back as unsigned).
    ChannelReadPlan PlanChannelRead(int num_catched_samples, int samples_before_trig,
                                    int first_trig_sample);

    // Length in entries of each of the two sample buffers (the variant's largest memory depth).
    unsigned GetSampleBufferLength() const { return sample_buffer_length_; }

    // Fields the object adds to the data record.
    std::int32_t version = 0;             // device version key as last requested
    std::int32_t hw_version = 0;          // hardware version as last reported
    std::int32_t recorder_samples = 0;    // samples recorded so far
    boost::posix_time::ptime recorder_start_time;  // not_a_date_time until taken
    boost::signals2::signal<void(std::string)> recorder_error;
    CString str_datalogger_fn[2];         // recorder files of channels A and B
    std::int32_t created_hw_version = 0;  // hardware version this object was created for
    // Rolling-display bookkeeping of the read planner.
    std::int32_t delta_catched_samples = 0;
    std::int32_t cur_frame = 0;
    std::int32_t last_frame = 0;
    std::int32_t delta_frame = 0;
    std::int32_t cur_frame_points = 0;
    std::int32_t last_frame_points = 0;

protected:
    OscData();

    // Allocates both sample buffers; called once by the variant's constructor.
    void AllocateSampleBuffers(unsigned length);
    // Returns every field to its state before the first ResetDefaults, so that a settings
    // load that failed half-way leaves nothing of what it had read (the variant then runs
    // ResetDefaults and its own settings again).
    void ClearAllFields();

    // Base forms the variants build on.
    bool BaseEnableChannelA(bool on);
    bool BaseEnableChannelB(bool on);

private:
    friend class boost::serialization::access;
    template <class Archive>
    void serialize(Archive& archive, unsigned int version);

    std::unique_ptr<std::int32_t[]> buffer_a_;
    std::unique_ptr<std::int32_t[]> buffer_b_;
    unsigned sample_buffer_length_ = 0;
};

// Seconds per division of a time/div index.
long double TDivIndexToSeconds(unsigned t);


// The registry of device variants by version key.
class OscDataFactory {
public:
    using Creator = OscData* (*)();
    using Map = std::map<int, Creator>;

    // Inserts; an existing key keeps its first creator. False when the key was present.
    static bool Register(int version, Creator creator);
    // The entry of the version, or End().
    static Map::const_iterator Find(int version);
    static Map::const_iterator End();
    // Every registered version key, ascending.
    static std::vector<int> Versions();
};

bool registerDataVersion(int version, OscDataFactory::Creator creator);

// Guards the current object's pointer and all of its contents (recursive).
extern CCriticalSection DataLock;

// The current object; created (version 1) on first use. Never null.
OscData* GetOscData();
// The current object, or null when there is none; never creates one.
OscData* PeekOscData();
// Replaces the current object when the version or hardware version differs.
bool SelectOscDataVersion(int version, int hwVersion);
// Deletes the current object (at exit).
void DeleteOscData();
// Counts the objects made current so far. Work that spans many exchanges with the device (a
// calibration, a frequency-response run) notes it at its start: a different count later means
// its object, and the work's state in it, has been replaced.
std::uint64_t GetOscDataGeneration();
