// The asynchronous decoder's processing: settings snapshot, capture hand-over and decoding.

#include "logic/async/AsyncAnalyzer.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "platform/kernel/Sync.h"
#include "platform/ui/App.h"
#include "tools/markers/MarkerDialog.h"

#include <algorithm>
#include <cmath>

namespace {

// The read planner's state once the whole memory has arrived.
constexpr std::uint32_t kReadComplete = 3;

bool InLogicMode(const OscData& data, int channel)
{
    if (channel == 0)
        return (data.osc_cr & OSC_CR_LOGIC_A) != 0;
    if (channel == 1)
        return (data.osc_cr & OSC_CR_LOGIC_B) != 0;
    return false;
}

std::int64_t SamplesPerPointNumerator(const OscData& data)
{
    return std::int64_t{std::max(data.x_zoom_out_hw, 1)} * std::max(data.x_zoom_out_sw, 1);
}

// The sample under a vertical marker (screen points), kept inside the memory.
std::uint32_t MarkerSample(const OscData& data, double point, std::uint32_t depth)
{
    const double sample = std::trunc((point + data.x_offset) * static_cast<double>(SamplesPerPointNumerator(data)) /
                                     std::max(data.x_zoom_in, 1));
    if (!(sample > 0))
        return 0;
    return static_cast<std::uint32_t>(std::min(sample, static_cast<double>(depth - 1)));
}

}  // namespace

void CAsyncAnalyzer::OnBnClickedProcess()
{
    snapshot_ = TakeSnapshot();
    CSingleLock lock(&DataLock, TRUE);
    OscData* data = GetOscData();
    for (int i = 0; i < snapshot_.num_nets; ++i) {
        if (!InLogicMode(*data, snapshot_.net[static_cast<std::size_t>(i)].channel)) {
            lock.Unlock();
            AfxMessageBox("Для анализа выбрана цепь канала, не находящегося в режиме ЛА!");
            return;
        }
    }
    ClearResults();
    was_stopped_ = (data->mode & MODE_STOPPED) != 0;
    if (!was_stopped_) {
        if (data->GetTriggerSource() != 0)
            data->mode |= MODE_SINGLE;
        else
            data->ToggleStop();
    }
    SetTimer(kWaitTimerId, kWaitMs);
}

void CAsyncAnalyzer::OnTimer(UINT_PTR id)
{
    if (id != kWaitTimerId)
        return;
    CSingleLock lock(&DataLock, TRUE);
    if (GetOscData()->read_state != kReadComplete)
        return;
    KillTimer(kWaitTimerId);
    Decode();
}

void CAsyncAnalyzer::Decode()
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData& data = *GetOscData();
        if ((data.osc_cr & OSC_CR_MIN_MAX) != 0)
            DecodeMinMax(data);
        else
            DecodePlain(data);
    }
    tabs_.SetActivePage(PAGE_RESULTS);
}

void CAsyncAnalyzer::DecodePlain(OscData& data)
{
    DecodeWith(data, false);
}

void CAsyncAnalyzer::DecodeMinMax(OscData& data)
{
    DecodeWith(data, true);
}

void CAsyncAnalyzer::DecodeWith(OscData& data, bool twoWord)
{
    CSingleLock lock(&DataLock, TRUE);
    for (auto& net : packets_)
        net.clear();
    const std::size_t words = twoWord ? 2 : 1;
    const auto depth = static_cast<std::uint32_t>(
        std::min<std::size_t>(data.GetMemoryDepth(), data.GetSampleBufferLength() / words));
    std::string text;
    if (depth == 0) {
        results_->SetText(text);
        return;
    }
    std::uint32_t first = 0, last = depth - 1;
    if (snapshot_.markers != 0 && MainDialog != nullptr) {
        if (auto* markers = dynamic_cast<CMarkerDialog*>(MainDialog->GetToolDialog(CToolDialogList::MARKER))) {
            const std::uint32_t a = MarkerSample(data, markers->v_marker_x[0], depth);
            const std::uint32_t b = MarkerSample(data, markers->v_marker_x[1], depth);
            first = std::min(a, b);
            last = std::max(a, b);
        }
    }
    // The speed is per stored sample, and one screen point covers hw * sw / zin of them.
    const double nsPerSample = data.display_time_step * std::max(data.x_zoom_in, 1) /
                               static_cast<double>(SamplesPerPointNumerator(data));
    for (int i = 0; i < snapshot_.num_nets; ++i) {
        const auto row = static_cast<std::size_t>(i);
        const AsyncNetSettings& net = snapshot_.net[row];
        if (net.channel < 0 || net.channel > 1)
            continue;
        const AsyncSampleView view{data.sample_buffer[net.channel], depth, twoWord};
        if (view.words == nullptr)
            continue;
        AsyncNetResult result =
            DecodeAsyncNet(view, first, last, net, snapshot_.timeout, data_->Net(i).SelectedName(), nsPerSample);
        text += result.text;
        packets_[row] = std::move(result.packets);
    }
    results_->SetText(text);
}
