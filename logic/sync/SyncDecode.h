#pragma once
// The synchronous (clocked serial) decoder without any window: it reads a capture through a
// read-only view of the sample words and a snapshot of the settings, and returns the clock
// edges it used and the symbols of every data net grouped into packets. The analyser window
// gathers the settings, takes DataLock around these calls and shows what they return.

#include "platform/kernel/CString.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// One decoded symbol of a data net.
struct SyncSymbol {
    std::uint32_t first_sample = 0;  // clock edge of its first bit
    std::uint32_t last_sample = 0;   // clock edge of its latest bit
    std::uint32_t value = 0;
    std::uint32_t valid_mask = 0;    // bit k: bit k of the value was sampled (and both words agreed)
};

using SyncPacket = std::vector<SyncSymbol>;

inline constexpr int kSyncMaxDataNets = 4;
inline constexpr int kSyncMinBits = 4;
inline constexpr int kSyncMaxBits = 32;

// The settings the decoders run on, taken from the pages when processing starts.
struct SyncSettings {
    int num_data_nets = 1;  // 1..4
    int bits = 8;           // bits per symbol, 4..32
    int start = 0;          // start sample
    int data_channel[kSyncMaxDataNets] = {0, 0, 0, 0};
    std::uint32_t data_mask[kSyncMaxDataNets] = {1, 1, 1, 1};
    int data_lsb_first[kSyncMaxDataNets] = {0, 0, 0, 0};
    int clk_channel = 0;
    std::uint32_t clk_mask = 1;
    int clk_falling = 0;
    int cs_used = 0;
    int cs_channel = 0;
    std::uint32_t cs_mask = 1;
    int cs_active_low = 0;
};

// The captured sample words of both channels. A sample is one word (plain) or the two words
// 2n, 2n + 1 (two-word sampling). `samples` must not exceed what every non-null buffer holds;
// a net on a channel without a buffer reads as low.
struct SyncCaptureView {
    const std::int32_t* words[2] = {nullptr, nullptr};
    std::size_t samples = 0;
    bool two_word = false;
};

struct SyncResult {
    std::vector<std::uint32_t> clock_edges;  // active clock edges that were used
    std::array<std::vector<SyncPacket>, kSyncMaxDataNets> packets;
};

// Bits per symbol and data-net count as the decoders use them: out-of-range settings (from an
// edited configuration, say) are brought into range rather than trusted.
int SyncClampBits(int bits);
int SyncClampNets(int nets);
// The valid mask of a complete symbol; built so that 32 bits do not overflow.
std::uint32_t SyncCompleteMask(int bits);
bool SyncIsComplete(const SyncSymbol& symbol, int bits);

// The four decoders: plain or two-word samples, with or without chip select. Each clears
// `result` first. Nothing is decoded unless start + 1 lies inside the capture.
void SyncDecodePlain(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result);
void SyncDecodePlainWithCs(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result);
void SyncDecodeMinMax(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result);
void SyncDecodeMinMaxWithCs(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result);
// Picks one of the four by the view's sample layout and the settings' chip-select flag.
void SyncDecode(const SyncCaptureView& view, const SyncSettings& settings, SyncResult& result);

// Text of one symbol: hex digits when complete, otherwise hex where a nibble is whole, "X"
// where it is not, and the bits in brackets with "x" for the missing ones.
CString SyncFormatSymbol(const SyncSymbol& symbol, int bits);

// Number of incomplete symbols of a packet.
int SyncCountIncomplete(const SyncPacket& packet, int bits);

// The results text: per data net its header (with `names[i]`), then per packet its number,
// its symbols and the count of incomplete ones.
CString SyncResultText(const SyncResult& result, const SyncSettings& settings,
                       const CString (&names)[kSyncMaxDataNets]);
