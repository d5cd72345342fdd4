#include "tools/fir/CPropertySheetFIR.h"

#include <algorithm>

CPropertySheetFIR::CPropertySheetFIR(const FIRParams& parameters, UINT fs, CWnd* parent)
    : CPropertySheet("Параметры КИХ фильтра", parent),
      Fs(fs),
      params(parameters),
      pageLPF_(this),
      pageHPF_(this),
      pageBPF_(this),
      pageManual_(this)
{
    const auto found = std::find(kLengths.begin(), kLengths.end(), params.len);
    lengthIndex = found != kLengths.end() ? static_cast<int>(found - kLengths.begin()) : kDefaultLengthIndex;
    const UINT nyquist = Fs / 2;
    if (params.freq == 0 || params.freq > nyquist) params.freq = Fs / 6;
    if (params.freq2 == 0 || params.freq2 > nyquist) params.freq2 = Fs / 3;

    SetLook(PropSheetLook_List, kListWidth);
    AddPage(&pageLPF_);
    AddPage(&pageHPF_);
    AddPage(&pageBPF_);
    AddPage(&pageManual_);
    // A type from an unknown source outside the pages opens the first one.
    SetActivePage(static_cast<int>(params.type));
}

CPropertySheetFIR::~CPropertySheetFIR() = default;

INT_PTR CPropertySheetFIR::DoModal()
{
    filter.reset();
    const INT_PTR result = CPropertySheet::DoModal();
    if (result == IDOK && filter == nullptr) return IDCANCEL;
    if (result != IDOK) filter.reset();
    return result;
}

int CPropertySheetFIR::ChosenLength() const
{
    const bool known = lengthIndex >= 0 && lengthIndex < static_cast<int>(kLengths.size());
    return kLengths[static_cast<std::size_t>(known ? lengthIndex : kDefaultLengthIndex)];
}
