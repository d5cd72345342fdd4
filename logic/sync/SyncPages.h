#pragma once
// The five pages of the synchronous decoder. Each keeps its settings in members, writes them
// into its controls (Fill) and reads them back (Read); the analyser owns the pages and takes
// its snapshot from them when processing starts. Pages route nothing to the analyser: what a
// page's controls change stays in the page until "Обработка" reads it.

#include "logic/netcombo/ComboNet.h"
#include "logic/sync/SyncArchive.h"
#include "platform/ui/Controls.h"
#include "widgets/tabs/TabPageSSL.h"

#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>

#include <array>
#include <memory>

class CTabSyncClk : public CTabPageSSL {
public:
    enum { IDD = 181 };
    static constexpr int kDefaultBits = 8;

    CTabSyncClk();
    ~CTabSyncClk() override;

    void Fill();
    void Read();
    void ResetSettings();

    int clk_fall = 0;
    std::unique_ptr<CComboNet> clk_net;
    int bit_per_sym = kDefaultBits;

    template <class Archive>
    void serialize(Archive& archive, unsigned int /*version*/)
    {
        archive & boost::serialization::make_nvp("clk_fall", clk_fall);
        auto net = OwnedElement(clk_net);
        archive & boost::serialization::make_nvp("clk_net", net);
        archive & boost::serialization::make_nvp("bit_per_sym", bit_per_sym);
        if (Archive::is_loading::value) Fill();
    }

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CButton fall_;
    CComboBox bits_;
};

class CTabSyncCondition : public CTabPageSSL {
public:
    enum { IDD = 182 };
    enum StartMode { START_OFFSET = 0, START_MARKER0 = 1, START_MARKER1 = 2 };

    CTabSyncCondition();
    ~CTabSyncCondition() override;

    void Fill();
    void Read();
    void ResetSettings();
    // The offset's range follows the capture's depth: 0..depth - 1.
    void SetOffsetRange(int depth);
    // The offset as the user left it: typed into the edit or stepped with the arrows.
    int GetOffset();
    void SetOffset(int samples);

    int start = START_OFFSET;
    int use_cs = 0;
    int cs_active_low = 0;
    std::unique_ptr<CComboNet> cs_net;

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        const int offset = const_cast<CTabSyncCondition*>(this)->GetOffset();
        archive << boost::serialization::make_nvp("start", start);
        archive << boost::serialization::make_nvp("use_cs", use_cs);
        archive << boost::serialization::make_nvp("cs_active_low", cs_active_low);
        archive << boost::serialization::make_nvp("offset_samples", offset);
        const auto net = OwnedElement(const_cast<std::unique_ptr<CComboNet>&>(cs_net));
        archive << boost::serialization::make_nvp("cs_net", net);
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        int offset = 0;
        archive >> boost::serialization::make_nvp("start", start);
        archive >> boost::serialization::make_nvp("use_cs", use_cs);
        archive >> boost::serialization::make_nvp("cs_active_low", cs_active_low);
        archive >> boost::serialization::make_nvp("offset_samples", offset);
        auto net = OwnedElement(cs_net);
        archive >> boost::serialization::make_nvp("cs_net", net);
        SetOffset(offset);
        Fill();
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()
    afx_msg void OnStartMode();
    afx_msg void OnFromScreenStart();

private:
    void ApplyEnabling();

    std::array<CButton, 3> radios_;
    CEdit offset_edit_;
    CSpinButtonCtrl offset_spin_;
    CButton from_screen_;
    CButton use_cs_;
    CButton active_low_;
    int offset_ = 0;  // the offset while the page has no window
};

class CTabSyncData : public CTabPageSSL {
public:
    enum { IDD = 183 };

    CTabSyncData();
    ~CTabSyncData() override;

    void Fill();
    void Read();
    void ResetSettings();

    std::array<std::unique_ptr<CComboNet>, 4> data_net;
    int lsb[4] = {0, 0, 0, 0};
    int num_data_nets = 1;

    template <class Archive>
    void serialize(Archive& archive, unsigned int /*version*/)
    {
        archive & boost::serialization::make_nvp("num_data_nets", num_data_nets);
        auto nets = OwnedArray(data_net);
        archive & boost::serialization::make_nvp("data_net", nets);
        archive & boost::serialization::make_nvp("lsb", lsb);
        if (Archive::is_loading::value) Fill();
    }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()
    afx_msg void OnCountChange();

private:
    void ApplyEnabling();

    CComboBox count_;
    std::array<CButton, 4> lsb_checks_;
};

class CTabSyncDisplay : public CTabPageSSL {
public:
    enum { IDD = 184 };
    enum Clock { CLK_NONE = 0, CLK_SYMBOL_START = 1, CLK_ALL = 2 };
    enum Data { DATA_NONE = 0, DATA_BOUNDS = 1, DATA_BOUNDS_VALUE = 2 };

    void Fill();
    void Read();
    void ResetSettings();

    int display_clk = CLK_SYMBOL_START;
    int display_data = DATA_BOUNDS_VALUE;

    template <class Archive>
    void serialize(Archive& archive, unsigned int /*version*/)
    {
        archive & boost::serialization::make_nvp("display_clk", display_clk);
        archive & boost::serialization::make_nvp("display_data", display_data);
        if (Archive::is_loading::value) Fill();
    }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()
    afx_msg void OnChange();

private:
    CComboBox clock_;
    CComboBox data_;
};

class CTabSyncResults : public CTabPageSSL {
public:
    enum { IDD = 185 };

    void SetText(const CString& text);
    CString GetText() const;

    template <class Archive>
    void serialize(Archive& /*archive*/, unsigned int /*version*/)
    {
    }

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    CEdit text_;
};
