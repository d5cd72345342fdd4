#pragma once
// CPropertySheetFIR: the modal sheet "Параметры КИХ фильтра" in which the user designs an FIR
// filter: one page per filter type (low-pass, high-pass, band-pass, hand-entered), in list look.
// Accepting it builds the filter of the page that is showing; the caller then copies params and
// takes the filter. A cancelled sheet leaves the caller's state alone and deletes what it built.
//
//   CPropertySheetFIR sheet(fir_params, fs, this);
//   if (sheet.DoModal() == IDOK) { fir_params = sheet.params; filter = sheet.TakeFilter(); }

#include "tools/fir/CPropPagesFIR.h"
#include "tools/fir/FIR.h"
#include "tools/fir/FIRParams.h"

#include "platform/ui/PropertySheet.h"

#include <array>
#include <memory>

class CPropertySheetFIR : public CPropertySheet {
public:
    static constexpr std::array<int, 5> kLengths = {16, 32, 64, 128, 256};
    static constexpr int kDefaultLengthIndex = 2;
    static constexpr int kListWidth = 100;

    CPropertySheetFIR(const FIRParams& parameters, UINT fs, CWnd* parent = nullptr);
    ~CPropertySheetFIR() override;

    // IDOK only with a filter built; a design that failed ends the sheet as cancelled.
    INT_PTR DoModal() override;

    // The filter built on acceptance (null before, and after a cancel); the caller owns it.
    std::unique_ptr<FIR> TakeFilter() { return std::move(filter); }
    // The number of taps at the length index (the default length when the index is out of range).
    int ChosenLength() const;

    UINT Fs;
    FIRParams params;
    int lengthIndex = kDefaultLengthIndex;
    CString coefficients;
    CPropPageFIRType* activePage = nullptr;
    std::unique_ptr<FIR> filter;

private:
    CPropPageFIRLPF pageLPF_;
    CPropPageFIRHPF pageHPF_;
    CPropPageFIRBPF pageBPF_;
    CPropPageFIRManual pageManual_;
};
