#pragma once
// CPropPageFIRType: what the four pages of the FIR sheet share: the length combo, the Nyquist
// read-out, becoming the sheet's type when shown, and building the sheet's filter on OK.

#include "platform/ui/Controls.h"
#include "platform/ui/PropertySheet.h"

#include <string>

class CPropertySheetFIR;

class CPropPageFIRType : public CPropertyPage {
public:
    static constexpr int IDC_LENGTH = 1151;
    static constexpr int IDC_FREQ = 1126;
    static constexpr int IDC_FREQ2 = 1127;
    static constexpr int IDC_NYQUIST = 1157;

    CPropPageFIRType(UINT templateId, CPropertySheetFIR* sheet);

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Builds the sheet's filter when this page is the one showing: each built page hears OK,
    // and one filter, the showing page's, is the result.
    void OnOK() override;
    // Base: stores the chosen length in the sheet's parameters. The typed pages build their
    // filter first.
    virtual void CreateFilter();

    // "Частота Найквиста ..." for a sample rate in Hz, in MHz, kHz or Hz by its size.
    static std::string NyquistText(UINT fs);

protected:
    void DoDataExchange(CDataExchange* dx) override;

    CComboBox m_length;
    CPropertySheetFIR* sheet_;
};
