// The synchronous decoder's processing: the settings snapshot, the checks, making the capture
// end, polling for the full read-out, and running the decoders on the buffer.

#include "logic/sync/SyncAnalyzer.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/App.h"
#include "tools/markers/MarkerDialog.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr const char* kNotLogicMessage = "Для анализа выбрана цепь канала, не находящегося в режиме ЛА!";
// The planner's read state once no sample read is pending: the capture is all in the buffers.
constexpr std::uint32_t kReadComplete = 3;

bool IsLogicChannel(const OscData& d, int channel)
{
    if (channel == 0) return (d.osc_cr & OSC_CR_LOGIC_A) != 0;
    if (channel == 1) return (d.osc_cr & OSC_CR_LOGIC_B) != 0;
    return false;
}

// Channel and mask of a combo's net; channel -1 when nothing is selected.
void TakeNet(const CComboNet& combo, int& channel, std::uint32_t& mask)
{
    channel = combo.SelectedChannel();
    const int line = combo.SelectedLine();
    mask = channel >= 0 && line >= 0 && line < 8 ? 1u << line : 0u;
}

// A vertical marker's chart position as a sample index; 0 when the marker window is missing.
double MarkerPosition(int marker)
{
    if (MainDialog == nullptr) return 0;
    const auto* markers = dynamic_cast<const CMarkerDialog*>(MainDialog->GetToolDialog(CToolDialogList::MARKER));
    return markers != nullptr ? markers->v_marker_x[static_cast<std::size_t>(marker)] : 0.0;
}

}  // namespace

SyncCaptureView CSyncAnalyzer::CaptureView(const OscData& data)
{
    SyncCaptureView view;
    view.two_word = (data.osc_cr & OSC_CR_MIN_MAX) != 0;
    const std::size_t perSample = view.two_word ? 2 : 1;
    // Never more samples than the buffers hold, whatever the depth claims.
    view.samples = std::min<std::size_t>(data.GetMemoryDepth(), data.GetSampleBufferLength() / perSample);
    view.words[0] = data.sample_buffer[0];
    view.words[1] = data.sample_buffer[1];
    return view;
}

void CSyncAnalyzer::OnBnClickedProcess()
{
    ReadPages();
    SyncSettings s;
    s.bits = SyncClampBits(tab_clk_->bit_per_sym);
    s.clk_falling = tab_clk_->clk_fall;
    TakeNet(*tab_clk_->clk_net, s.clk_channel, s.clk_mask);
    s.cs_used = tab_condition_->use_cs;
    s.cs_active_low = tab_condition_->cs_active_low;
    TakeNet(*tab_condition_->cs_net, s.cs_channel, s.cs_mask);
    s.num_data_nets = SyncClampNets(tab_data_->num_data_nets);
    for (int i = 0; i < kSyncMaxDataNets; ++i) {
        TakeNet(*tab_data_->data_net[static_cast<std::size_t>(i)], s.data_channel[i], s.data_mask[i]);
        s.data_lsb_first[i] = tab_data_->lsb[i];
    }
    const int startMode = tab_condition_->start;
    const int offset = tab_condition_->GetOffset();
    const double marker = startMode == CTabSyncCondition::START_MARKER0   ? MarkerPosition(0)
                          : startMode == CTabSyncCondition::START_MARKER1 ? MarkerPosition(1)
                                                                          : 0.0;

    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& d = *GetOscData();
        bool usable = IsLogicChannel(d, s.clk_channel) && (s.cs_used == 0 || IsLogicChannel(d, s.cs_channel));
        for (int i = 0; i < s.num_data_nets; ++i) usable = usable && IsLogicChannel(d, s.data_channel[i]);
        if (!usable) {
            lock.Unlock();
            AfxMessageBox(kNotLogicMessage);
            return;
        }

        // Every net is read at the start sample, so it must lie inside the capture.
        const long long last = std::max<long long>(static_cast<long long>(d.GetMemoryDepth()) - 1, 0);
        long long start = offset;
        if (startMode != CTabSyncCondition::START_OFFSET) {
            const double zoomIn = std::max(d.x_zoom_in, 1);
            const double converted = std::trunc((marker + d.x_offset) * d.x_zoom_out_hw * d.x_zoom_out_sw / zoomIn);
            start = std::isfinite(converted) ? static_cast<long long>(std::clamp(converted, -1.0, 4e9)) : 0;
        }
        s.start = static_cast<int>(std::clamp<long long>(start, 0, last));

        settings_ = s;
        display_clk_ = tab_display_->display_clk;
        display_data_ = tab_display_->display_data;
        ClearResults();
        was_stopped_ = (d.mode & MODE_STOPPED) != 0;
        if ((d.mode & MODE_STOPPED) == 0) {
            // Triggered: let the current capture finish on its own; free running: stop it here.
            if (d.GetTriggerSource() != 0)
                d.mode |= MODE_SINGLE;
            else
                d.ToggleStop();
        }
    }
    SetTimer(kPollTimer, kPollMs, nullptr);
}

void CSyncAnalyzer::OnTimer(UINT_PTR id)
{
    if (id != kPollTimer) {
        CToolDialog::OnTimer(id);
        return;
    }
    CSingleLock lock(&DataLock, TRUE);
    if (GetOscData()->read_state != kReadComplete) return;
    KillTimer(kPollTimer);
    Decode();
}

void CSyncAnalyzer::RunDecoder(void (*decoder)(const SyncCaptureView&, const SyncSettings&, SyncResult&))
{
    CSingleLock lock(&DataLock, TRUE);
    decoder(CaptureView(*GetOscData()), settings_, result_);
}

void CSyncAnalyzer::DecodePlain() { RunDecoder(&SyncDecodePlain); }
void CSyncAnalyzer::DecodePlainWithCs() { RunDecoder(&SyncDecodePlainWithCs); }
void CSyncAnalyzer::DecodeMinMax() { RunDecoder(&SyncDecodeMinMax); }
void CSyncAnalyzer::DecodeMinMaxWithCs() { RunDecoder(&SyncDecodeMinMaxWithCs); }

void CSyncAnalyzer::Decode()
{
    CSingleLock lock(&DataLock, TRUE);
    const bool twoWord = (GetOscData()->osc_cr & OSC_CR_MIN_MAX) != 0;
    if (twoWord)
        settings_.cs_used != 0 ? DecodeMinMaxWithCs() : DecodeMinMax();
    else
        settings_.cs_used != 0 ? DecodePlainWithCs() : DecodePlain();

    CString names[kSyncMaxDataNets];
    for (int i = 0; i < kSyncMaxDataNets; ++i) {
        const int line = settings_.data_mask[i] != 0 ? std::countr_zero(settings_.data_mask[i]) : -1;
        if (MainDialog != nullptr && line >= 0) names[i] = MainDialog->GetNetName(settings_.data_channel[i], line);
    }
    text_ = SyncResultText(result_, settings_, names);
    lock.Unlock();
    ShowResults();
}

void CSyncAnalyzer::ShowResults()
{
    tab_results_->SetText(text_);
    tabs_.SetActivePage(PAGE_RESULTS);
}
