#pragma once
// The four two-state buttons of each channel's panel: coupling, probe factor, operating mode
// and, in logic mode, the display form of the eight lines. Each shows its state in its caption
// and check mark, enables itself by what the connected variant can do, and handles its own
// click (the main window's map has no entries for them).
//
// User-interface thread only; the data model is read and written under DataLock.

#include "platform/ui/Controls.h"

#include <cstdint>
#include <string>

class CPPToolTip;
class OscData;

class ChannelButton : public CButton {
public:
    ChannelButton(const char* onCaption, const char* offCaption, const char* tooltip);

    // After the window exists and after every change of variant: enabling, tooltip, state.
    void SetUp(int channel, CPPToolTip* tooltip);
    // The state from the data model, then shown.
    void RefreshFromData();

    // Shows a state the window learnt elsewhere (the tick's copy of the model).
    void ShowOn(bool on);
    bool IsOn() const { return state_ != 0; }
    int Channel() const { return channel_; }

protected:
    // The enabling rule and the model bit of the class; the caller holds DataLock.
    virtual bool IsAvailable(const OscData& d) const = 0;
    virtual bool ReadState(const OscData& d) const = 0;
    // Runs after a refresh from the model (CheckDigital's logic-trigger button).
    virtual void AfterRefresh(const OscData&) {}
    // Whether SetUp also reads the state from the model.
    virtual bool StateFromData() const { return true; }
    virtual void Click() = 0;

    void ShowState();

    std::uint8_t state_ = 0;
    std::string on_caption_;
    std::string off_caption_;
    std::string tooltip_;
    std::int32_t channel_ = 0;

private:
    void OnClicked() { Click(); }
    DECLARE_MESSAGE_MAP()
};

class CheckACDC : public ChannelButton {
public:
    CheckACDC();

protected:
    bool IsAvailable(const OscData& d) const override;
    bool ReadState(const OscData& d) const override;
    void Click() override;
};

class CheckProbeX10 : public ChannelButton {
public:
    CheckProbeX10();

protected:
    bool IsAvailable(const OscData& d) const override;
    bool ReadState(const OscData& d) const override;
    void Click() override;
};

class CheckDigital : public ChannelButton {
public:
    CheckDigital();

protected:
    bool IsAvailable(const OscData& d) const override;
    bool ReadState(const OscData& d) const override;
    void AfterRefresh(const OscData& d) override;
    void Click() override;
};

// Its state is the window's own display choice, not a model bit: it lives in the window
// (`CVelkaroDlg::digital_bus`), which stores channel A's in the settings file.
class CheckDigitalBus : public ChannelButton {
public:
    CheckDigitalBus();
    // The window's state this button shows and flips.
    void BindState(bool* state) { bound_ = state; }
    // Shows the bound state again (after the window changed it).
    void ShowBoundState();

protected:
    bool IsAvailable(const OscData& d) const override;
    bool ReadState(const OscData& d) const override;
    bool StateFromData() const override { return false; }
    void Click() override;

private:
    bool* bound_ = nullptr;
};
