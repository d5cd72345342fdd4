// Progress bars.

#include "platform/ui/Controls.h"

#include "platform/ui/ControlsImpl.h"
#include "platform/ui/WndImpl.h"

#include <QProgressBar>

#include <algorithm>

namespace uiimpl {

namespace {

class ProgressBehaviour : public Behaviour {
public:
    QWidget* CreateWidget(Record& r, QWidget* parent) override
    {
        bar_ = new QProgressBar(parent);
        bar_->setTextVisible(false);
        bar_->setOrientation((r.style & PBS_VERTICAL) != 0 ? Qt::Vertical : Qt::Horizontal);
        Apply();
        return bar_;
    }
    void Apply()
    {
        // Qt shows an empty range as "busy"; Windows shows an empty bar.
        bar_->setRange(lower_, std::max(upper_, lower_ + 1));
        bar_->setValue(Clamp(pos_, lower_, std::max(upper_, lower_)));
    }
    bool DefProc(Record&, UINT m, WPARAM w, LPARAM l, LRESULT& result) override
    {
        const int old = pos_;
        switch (m) {
        case PBM_SETRANGE:
            result = MAKELPARAM(static_cast<unsigned>(lower_ & 0xFFFF), static_cast<unsigned>(upper_ & 0xFFFF));
            lower_ = static_cast<short>(LOWORD(static_cast<std::uintptr_t>(l)));
            upper_ = static_cast<short>(HIWORD(static_cast<std::uintptr_t>(l)));
            break;
        case PBM_SETRANGE32:
            result = MAKELPARAM(static_cast<unsigned>(lower_ & 0xFFFF), static_cast<unsigned>(upper_ & 0xFFFF));
            lower_ = static_cast<int>(static_cast<std::intptr_t>(w));
            upper_ = static_cast<int>(l);
            break;
        case PBM_GETRANGE:
            if (l != 0) {
                reinterpret_cast<int*>(l)[0] = lower_;
                reinterpret_cast<int*>(l)[1] = upper_;
            }
            result = w != 0 ? lower_ : upper_;
            return true;
        case PBM_SETPOS: pos_ = static_cast<int>(static_cast<std::intptr_t>(w)); result = old; break;
        case PBM_DELTAPOS: pos_ += static_cast<int>(static_cast<std::intptr_t>(w)); result = old; break;
        case PBM_SETSTEP: result = step_; step_ = static_cast<int>(static_cast<std::intptr_t>(w)); return true;
        case PBM_STEPIT:
            pos_ += step_;
            if (pos_ > upper_) pos_ = lower_ + (pos_ - upper_);  // steps wrap around
            result = old;
            break;
        case PBM_GETPOS: result = pos_; return true;
        default: return false;
        }
        pos_ = Clamp(pos_, std::min(lower_, upper_), std::max(lower_, upper_));
        Apply();
        return true;
    }

private:
    QProgressBar* bar_ = nullptr;
    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 0;
    int step_ = 10;
};

}  // namespace

std::unique_ptr<Behaviour> MakeProgressBehaviour() { return std::make_unique<ProgressBehaviour>(); }

}  // namespace uiimpl

// ---- CProgressCtrl ----
BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    return CWnd::Create("msctls_progress32", "", style, rect, parent, id);
}
void CProgressCtrl::SetRange(short lower, short upper)
{
    SendMessage(PBM_SETRANGE, 0, MAKELPARAM(static_cast<unsigned short>(lower), static_cast<unsigned short>(upper)));
}
void CProgressCtrl::SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(static_cast<std::intptr_t>(lower)), upper); }
void CProgressCtrl::GetRange(int& lower, int& upper) const
{
    int range[2] = {0, 0};
    const_cast<CProgressCtrl*>(this)->SendMessage(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(range));
    lower = range[0];
    upper = range[1];
}
int CProgressCtrl::SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(static_cast<std::intptr_t>(pos)))); }
int CProgressCtrl::GetPos() const { return static_cast<int>(const_cast<CProgressCtrl*>(this)->SendMessage(PBM_GETPOS)); }
int CProgressCtrl::OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(static_cast<std::intptr_t>(delta)))); }
int CProgressCtrl::SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(static_cast<std::intptr_t>(step)))); }
int CProgressCtrl::StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
