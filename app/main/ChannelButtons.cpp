// The channel panel's two-state buttons.

#include "app/main/ChannelButtons.h"

#include "app/main/VelkaroDlg.h"
#include "core/data/OscData.h"
#include "platform/ui/App.h"
#include "widgets/tooltip/PPToolTip.h"


namespace {

constexpr UINT kLogicConditionId = 1082;

constexpr std::uint8_t kCapsProbeA = 0x01;
constexpr std::uint8_t kCapsLogicA = 0x02;
constexpr std::uint8_t kCapsCouplingA = 0x04;
constexpr std::uint8_t kCapsProbeB = 0x08;
constexpr std::uint8_t kCapsLogicB = 0x10;
constexpr std::uint8_t kCapsCouplingB = 0x20;

std::string IconTip(const std::string& text)
{
    const HICON info = ::LoadIcon(nullptr, IDI_INFORMATION);
    return CPPToolTip::IconTipText(info, text);
}

std::uint16_t LogicBit(int channel) { return channel == 0 ? OSC_CR_LOGIC_A : OSC_CR_LOGIC_B; }

}  // namespace

BEGIN_MESSAGE_MAP(ChannelButton, CButton)
    ON_CONTROL_REFLECT(BN_CLICKED, &ChannelButton::OnClicked)
END_MESSAGE_MAP()

ChannelButton::ChannelButton(const char* onCaption, const char* offCaption, const char* tooltip)
    : on_caption_(onCaption), off_caption_(offCaption), tooltip_(tooltip)
{
}

void ChannelButton::SetUp(int channel, CPPToolTip* tooltip)
{
    CSingleLock lock(&DataLock, TRUE);
    channel_ = channel == 0 ? 0 : 1;
    const OscData& d = *GetOscData();
    if (m_hWnd != nullptr)
        EnableWindow(IsAvailable(d));
    if (tooltip != nullptr && m_hWnd != nullptr && !tooltip_.empty())
        tooltip->AddTool(this, IconTip(tooltip_));
    if (!StateFromData())
        state_ = ReadState(d) ? 1 : 0;
    ShowState();
    if (StateFromData())
        RefreshFromData();
}

void ChannelButton::RefreshFromData()
{
    CSingleLock lock(&DataLock, TRUE);
    const OscData& d = *GetOscData();
    state_ = ReadState(d) ? 1 : 0;
    ShowState();
    AfterRefresh(d);
}

void ChannelButton::ShowOn(bool on)
{
    state_ = on ? 1 : 0;
    ShowState();
}

void ChannelButton::ShowState()
{
    if (m_hWnd == nullptr)
        return;
    SetWindowText((state_ != 0 ? on_caption_ : off_caption_).c_str());
    SetCheck(state_ != 0 ? BST_CHECKED : BST_UNCHECKED);
}

// ---- coupling ----

CheckACDC::CheckACDC()
    : ChannelButton("AC", "DC",
                    "Выбор режима развязывания канала\r\nDC: постояннае напряжение\r\nAC: только переменная "
                    "составляющая")
{
}

bool CheckACDC::IsAvailable(const OscData& d) const
{
    return (d.GetChannelCaps() & (channel_ == 0 ? kCapsCouplingA : kCapsCouplingB)) != 0;
}

bool CheckACDC::ReadState(const OscData& d) const
{
    return (d.analog_cr & (channel_ == 0 ? ANALOG_CR_COUPLING_A : ANALOG_CR_COUPLING_B)) != 0;
}

void CheckACDC::Click()
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        d->analog_cr ^= channel_ == 0 ? ANALOG_CR_COUPLING_A : ANALOG_CR_COUPLING_B;
        d->changes |= CHANGE_ANALOG;
    }
    RefreshFromData();
}

// ---- probe factor ----

CheckProbeX10::CheckProbeX10() : ChannelButton("X10", "X1", "Выбор режима щупа") {}

bool CheckProbeX10::IsAvailable(const OscData& d) const
{
    return (d.GetChannelCaps() & (channel_ == 0 ? kCapsProbeA : kCapsProbeB)) != 0;
}

bool CheckProbeX10::ReadState(const OscData& d) const
{
    return (d.mode & (channel_ == 0 ? MODE_PROBE_X10_A : MODE_PROBE_X10_B)) != 0;
}

void CheckProbeX10::Click()
{
    CSingleLock lock(&DataLock, TRUE);
    OscData* d = GetOscData();
    d->mode ^= channel_ == 0 ? MODE_PROBE_X10_A : MODE_PROBE_X10_B;
    RefreshFromData();
    // The probe factor scales every volts text of the channel.
    if (MainDialog != nullptr)
    {
        MainDialog->FillVDivList(*d, channel_);
        MainDialog->UpdateLevelTexts(*d);
    }
}

// ---- oscilloscope or logic analyser ----

CheckDigital::CheckDigital()
    : ChannelButton("ЛА", "Осц",
                    "Выбор режима работы канала\r\nОсц: режим аналогового осциллографа\r\nЛА: режим логического "
                    "анализатора")
{
}

bool CheckDigital::IsAvailable(const OscData& d) const
{
    const std::uint8_t needed = channel_ == 0 ? (kCapsLogicA | kCapsProbeA) : (kCapsLogicB | kCapsProbeB);
    return (d.GetChannelCaps() & needed) == needed;
}

bool CheckDigital::ReadState(const OscData& d) const { return (d.osc_cr & LogicBit(channel_)) != 0; }

void CheckDigital::AfterRefresh(const OscData& d)
{
    // The logic trigger condition applies only while the trigger's channel is in logic mode.
    if (MainDialog == nullptr || MainDialog->GetSafeHwnd() == nullptr)
        return;
    CWnd* condition = MainDialog->GetDlgItem(kLogicConditionId);
    if (condition == nullptr)
        return;
    const int source = d.GetTriggerSource();
    const bool on = (source == 1 && (d.osc_cr & OSC_CR_LOGIC_A) != 0) || (source == 2 && (d.osc_cr & OSC_CR_LOGIC_B) != 0);
    condition->EnableWindow(on);
}

void CheckDigital::Click()
{
    {
        CSingleLock lock(&DataLock, TRUE);
        OscData* d = GetOscData();
        // A capture already taken (stopped) or being recorded keeps the form it was taken in.
        if ((d->mode & (MODE_STOPPED | MODE_RECORDER)) == 0)
        {
            d->osc_cr ^= LogicBit(channel_);
            d->changes |= CHANGE_CAPTURE;
            // The variant's memory depth depends on the mode: the time base must fit again.
            d->FitTDivIndex();
            d->ClampViewOffset();
        }
    }
    RefreshFromData();
}

// ---- bit or bus display ----

CheckDigitalBus::CheckDigitalBus()
    : ChannelButton("BUS", "BIT",
                    "Выбор режима отображения канала логического анализатора\r\nBIT: все биты канала "
                    "отображаются независимо\r\nBUS: канал - шина, значение - число")
{
}

bool CheckDigitalBus::IsAvailable(const OscData& d) const { return (d.osc_cr & LogicBit(channel_)) != 0; }

bool CheckDigitalBus::ReadState(const OscData&) const { return bound_ != nullptr ? *bound_ : state_ != 0; }

void CheckDigitalBus::ShowBoundState()
{
    if (bound_ != nullptr)
        state_ = *bound_ ? 1 : 0;
    ShowState();
}

void CheckDigitalBus::Click()
{
    state_ = state_ != 0 ? 0 : 1;
    if (bound_ != nullptr)
        *bound_ = state_ != 0;
    ShowState();
}
