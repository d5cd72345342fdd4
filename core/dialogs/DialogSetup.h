#pragma once
// The port settings of a serial device: a list of the three baud rates the instrument
// speaks, with the device's current rate selected. OK takes the selected rate.

#include "platform/gdi/GdiObjects.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

class CDialogSetup : public CDialog {
public:
    static constexpr UINT kRateListId = 101;

    explicit CDialogSetup(int baudRate, CWnd* parent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The rate shown when the dialog opened, and after OK the one the user chose.
    int GetBaudRate() const { return baudRate_; }

    CComboBox& GetRateList() { return rates_; }

private:
    int baudRate_;
    CButton ok_;
    CStatic label_;
    CComboBox rates_;
    CFont font_;
};

// Runs the dialog for a device whose rate is `rate`; on OK stores the chosen rate there.
bool RunBaudDialog(int& rate, CWnd* parent);

// Makes RunBaudDialog the port dialog of the FTDI transport.
void InstallBaudDialog();
