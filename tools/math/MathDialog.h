#pragma once
// CMathDialog: the tool window "Математика". It picks the math trace the main window draws
// (none, A+B, A-B, B-A) and hosts that trace's scale controls, which the main window serves;
// it shows the spectrum of the screen (continuously) or of the whole captured buffer (once) in
// a spectrum window; it designs an FIR filter, shows its responses and runs it over the
// captured buffer in place; and it starts the frequency-response measurement.
//
// Buffer operations need one complete capture: the window stops a free-running acquisition
// (or asks for a single one when a trigger is set) and polls on a timer until the read-out has
// finished. The whole-buffer spectrum restarts an acquisition it stopped; the filter leaves
// the filtered capture on the screen. Every access to the data model is under DataLock, and
// the lock is released before any message box.

#include "app/main/MathWindowLink.h"
#include "app/tooldialog/ToolDialog.h"
#include "tools/fft/CDialogFFT.h"
#include "tools/fir/FIR.h"
#include "tools/fir/FIRParams.h"
#include "widgets/tooltip/PPToolTip.h"

#include "platform/ui/Controls.h"

#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/version.hpp>

#include <cstdint>
#include <memory>

class OscData;

class CMathDialog : public CToolDialog, public MathWindowLink {
public:
    enum { IDD = 144 };
    enum : int {
        IDC_FFT_CHANNEL = 1086,
        IDC_FILTER_CHANNEL = 1087,
        IDC_SCREEN_FFT = 1088,
        IDC_MATH_OP = 1089,
        IDC_MATH_OFFSET_SPIN = 1090,
        IDC_MATH_OFFSET = 1091,
        IDC_MATH_ZERO = 1092,
        IDC_MATH_VDIV_SPIN = 1093,
        IDC_MATH_VDIV_LIST = 1094,
        IDC_BUFFER_FFT = 1107,
        IDC_APPLY_FILTER = 1148,
        IDC_DESIGN_FILTER = 1149,
        IDC_MAGNITUDE_VIEW = 1150,
        IDC_PHASE_VIEW = 1151,
        IDC_FREQ_RESPONSE = 1038,
    };
    enum : UINT_PTR { kBufferFftTimer = 0, kScreenFftTimer = 1, kFilterTimer = 2 };
    static constexpr UINT kPollMs = 200;

    // For the settings file's pointer loading: no window.
    CMathDialog();
    // Creates the window, hidden, as a modeless child of `parent` (the main window), which is
    // also the window its commands and the math controls' notifications go to first. With the
    // main window as parent, its math volts/div list takes over control 1094.
    explicit CMathDialog(CWnd* parent);
    ~CMathDialog() override;

    void Reset() override;

    // The math trace the main window draws: 0 none, 1 A+B, 2 A-B, 3 B-A.
    int GetMathOperation() const override { return math_op; }
    // The spectrum window (null until a spectrum was shown) and the last designed filter.
    CDialogFFT* GetSpectrumWindow() const { return fft_.get(); }
    FIR* GetFilter() const { return filter_.get(); }
    CPPToolTip& GetToolTip() { return tooltip_; }

    CRect rect_dlg_fft{0, 0, 500, 300};
    int fft_channel = 0;     // 0 A, 1 B
    FIRParams fir_params;
    int filter_channel = 0;  // 0 A, 1 B, 2 both
    int math_op = 0;

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        archive << boost::serialization::make_nvp("base", boost::serialization::base_object<CToolDialog>(*this));
        SaveRect(archive);
        archive << boost::serialization::make_nvp("math_op", math_op);
        const std::int32_t type = fir_params.type;
        archive << boost::serialization::make_nvp("fir_params.type", type);
        archive << boost::serialization::make_nvp("fir_params.len", fir_params.len);
        archive << boost::serialization::make_nvp("fir_params.freq", fir_params.freq);
        archive << boost::serialization::make_nvp("fir_params.freq2", fir_params.freq2);
    }
    template <class Archive>
    void load(Archive& archive, unsigned int version)
    {
        archive >> boost::serialization::make_nvp("base", boost::serialization::base_object<CToolDialog>(*this));
        LoadRect(archive);
        archive >> boost::serialization::make_nvp("math_op", math_op);
        if (version >= 1)
        {
            std::int32_t type = 0;
            archive >> boost::serialization::make_nvp("fir_params.type", type);
            archive >> boost::serialization::make_nvp("fir_params.len", fir_params.len);
            archive >> boost::serialization::make_nvp("fir_params.freq", fir_params.freq);
            archive >> boost::serialization::make_nvp("fir_params.freq2", fir_params.freq2);
            fir_params.type = static_cast<FIRType>(type);
        }
        AfterLoad();
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()
    VELKARO_TOOL_RECORD()

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnFftChannelChange();
    afx_msg void OnMathOpChange();
    afx_msg void OnScreenFftClicked();
    afx_msg void OnBufferFftClicked();
    afx_msg void OnApplyFilterClicked();
    afx_msg void OnDesignFilterClicked();
    afx_msg void OnMagnitudeViewClicked();
    afx_msg void OnPhaseViewClicked();
    afx_msg void OnFreqResponseClicked();
    DECLARE_MESSAGE_MAP()

private:
    // The spectrum window's rectangle as its own element with the four sides named.
    struct RectRecord {
        std::int32_t left = 0, top = 0, right = 0, bottom = 0;
        template <class Archive>
        void serialize(Archive& archive, unsigned int /*version*/)
        {
            archive& boost::serialization::make_nvp("left", left);
            archive& boost::serialization::make_nvp("top", top);
            archive& boost::serialization::make_nvp("right", right);
            archive& boost::serialization::make_nvp("bottom", bottom);
        }
    };
    template <class Archive>
    void SaveRect(Archive& archive) const
    {
        const RectRecord r{rect_dlg_fft.left, rect_dlg_fft.top, rect_dlg_fft.right, rect_dlg_fft.bottom};
        archive << boost::serialization::make_nvp("rect_dlg_fft", r);
    }
    template <class Archive>
    void LoadRect(Archive& archive)
    {
        RectRecord r;
        archive >> boost::serialization::make_nvp("rect_dlg_fft", r);
        rect_dlg_fft = CRect(r.left, r.top, r.right, r.bottom);
    }
    // Brings loaded members into range and shows them in the controls.
    void AfterLoad();
    // Starts or stops the continuous screen spectrum as button 1088 now stands.
    void ApplyScreenFft();
    void StopScreenFft();
    // Stops a running acquisition, or asks for one capture when a trigger is set, and tells
    // whether the acquisition had been stopped already; `armedSingle`: whether it asked for
    // the single capture. DataLock held.
    static bool HoldCapture(OscData& data, bool* armedSingle);
    void ShowBufferSpectrum();
    void ShowScreenSpectrum();
    void ApplyFilter();
    void ShowFilterResponse(bool phase);
    void FillCombo(int id, std::initializer_list<const char*> items);
    void RegisterToolTips();

    CComboBox* math_vdiv_list_ = nullptr;
    std::unique_ptr<CDialogFFT> fft_;
    std::unique_ptr<FIR> filter_;
    // Kept apart: a filter run started while a spectrum waits must not cancel its restart.
    bool fft_was_stopped_ = false;
    bool filter_was_stopped_ = false;
    bool fft_armed_single_ = false;
    CPPToolTip tooltip_;
};

BOOST_CLASS_VERSION(CMathDialog, 1)
