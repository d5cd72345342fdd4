#pragma once
// The four pages of the FIR sheet, one per filter type; the page index is the type number.

#include "tools/fir/CPropPageFIRType.h"

class CPropPageFIRLPF : public CPropPageFIRType {
public:
    static constexpr UINT IDD = 162;
    explicit CPropPageFIRLPF(CPropertySheetFIR* sheet) : CPropPageFIRType(IDD, sheet) {}
    void CreateFilter() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};

class CPropPageFIRHPF : public CPropPageFIRType {
public:
    static constexpr UINT IDD = 163;
    explicit CPropPageFIRHPF(CPropertySheetFIR* sheet) : CPropPageFIRType(IDD, sheet) {}
    void CreateFilter() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};

class CPropPageFIRBPF : public CPropPageFIRType {
public:
    static constexpr UINT IDD = 164;
    explicit CPropPageFIRBPF(CPropertySheetFIR* sheet) : CPropPageFIRType(IDD, sheet) {}
    void CreateFilter() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};

class CPropPageFIRManual : public CPropPageFIRType {
public:
    static constexpr UINT IDD = 161;
    explicit CPropPageFIRManual(CPropertySheetFIR* sheet) : CPropPageFIRType(IDD, sheet) {}
    void CreateFilter() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
