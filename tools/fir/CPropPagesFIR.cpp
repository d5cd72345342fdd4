#include "tools/fir/CPropPagesFIR.h"

#include "tools/fir/BPF.h"
#include "tools/fir/CPropertySheetFIR.h"
#include "tools/fir/CoefficientText.h"
#include "tools/fir/HPF.h"
#include "tools/fir/HannWindow.h"
#include "tools/fir/LPF.h"

#include <memory>

namespace {

// The sheet always designs on a grid four times the filter length.
constexpr int kGridPerTap = 4;

HannWindow MakeWindow(int taps)
{
    HannWindow window(kGridPerTap * taps, taps);
    window.FillGrid();
    window.Fill();
    return window;
}

void ExchangeCutoff(CDataExchange* dx, int id, UINT& freq, UINT fs)
{
    DDX_Text(dx, id, freq);
    DDV_MinMaxUInt(dx, freq, 1, fs / 2);
}

}  // namespace

void CPropPageFIRLPF::DoDataExchange(CDataExchange* dx)
{
    CPropPageFIRType::DoDataExchange(dx);
    ExchangeCutoff(dx, IDC_FREQ, sheet_->params.freq, sheet_->Fs);
}

void CPropPageFIRLPF::CreateFilter()
{
    const HannWindow window = MakeWindow(sheet_->ChosenLength());
    sheet_->filter = std::make_unique<LPF>(window, static_cast<double>(sheet_->Fs), static_cast<double>(sheet_->params.freq));
    CPropPageFIRType::CreateFilter();
}

void CPropPageFIRHPF::DoDataExchange(CDataExchange* dx)
{
    CPropPageFIRType::DoDataExchange(dx);
    ExchangeCutoff(dx, IDC_FREQ, sheet_->params.freq, sheet_->Fs);
}

void CPropPageFIRHPF::CreateFilter()
{
    const HannWindow window = MakeWindow(sheet_->ChosenLength());
    sheet_->filter = std::make_unique<HPF>(window, static_cast<double>(sheet_->Fs), static_cast<double>(sheet_->params.freq));
    CPropPageFIRType::CreateFilter();
}

void CPropPageFIRBPF::DoDataExchange(CDataExchange* dx)
{
    CPropPageFIRType::DoDataExchange(dx);
    // The two cut-offs are checked alone: a lower one above the upper one is an empty band.
    ExchangeCutoff(dx, IDC_FREQ, sheet_->params.freq, sheet_->Fs);
    ExchangeCutoff(dx, IDC_FREQ2, sheet_->params.freq2, sheet_->Fs);
}

void CPropPageFIRBPF::CreateFilter()
{
    const HannWindow window = MakeWindow(sheet_->ChosenLength());
    sheet_->filter = std::make_unique<BPF>(window, static_cast<double>(sheet_->Fs), static_cast<double>(sheet_->params.freq),
                                           static_cast<double>(sheet_->params.freq2));
    CPropPageFIRType::CreateFilter();
}

void CPropPageFIRManual::DoDataExchange(CDataExchange* dx)
{
    CPropPageFIRType::DoDataExchange(dx);
    DDX_Text(dx, IDC_FREQ, sheet_->coefficients);
}

void CPropPageFIRManual::CreateFilter()
{
    const int taps = sheet_->ChosenLength();
    auto fir = std::make_unique<FIR>(static_cast<double>(sheet_->Fs), kGridPerTap * taps, taps);
    const std::vector<double> values = ParseCoefficients(sheet_->coefficients, taps);
    for (int i = 0; i < taps; ++i) fir->taps[i] = values[static_cast<std::size_t>(i)];
    fir->ComputeResponse();
    sheet_->filter = std::move(fir);
    CPropPageFIRType::CreateFilter();
}
