#pragma once
// CComboNet: the drop-down list from which a decoder page picks one logic net. It lists the nets
// of the channels that can carry logic lines under their current names, keeps the user's choice
// across refills and program runs ("cur_sel"), and follows renames made anywhere in the program.
//
// Entries: channel A lines 7..0, then channel B lines 7..0, each with item data
// channel << 8 | line. No selection means no net: SelectedChannel() is then -1, which the
// decoders refuse like a net of a channel outside logic mode.
//
// UI thread only; the channel capability is read under DataLock.

#include "platform/ui/Controls.h"

#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/signals2/connection.hpp>

#include <string>

class CComboNet : public CComboBox {
public:
    CComboNet() = default;
    ~CComboNet() override;
    CComboNet(const CComboNet&) = delete;
    CComboNet& operator=(const CComboNet&) = delete;

    // Refills the entries, selects the remembered entry (entry 0 when it is out of range) and
    // (re)connects to the main window's rename signal.
    void FillNets();
    // A net was renamed somewhere: its entry takes the new name, keeping the selection.
    void OnNetRenamed(int channel, int line, const std::string& name);

    // The remembered selection, applied at the next fill.
    int GetRememberedSel() const { return cur_sel_; }
    void SetRememberedSel(int sel) { cur_sel_ = sel; }

    // The selected net: channel 0/1 and line 0..7, or channel -1 when nothing is selected.
    int SelectedChannel() const;
    int SelectedLine() const;
    // The selected net's name, "" when there is none.
    std::string SelectedName() const;

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        const int sel = SavedSelection();
        archive << boost::serialization::make_nvp("cur_sel", sel);
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        int sel = 0;
        archive >> boost::serialization::make_nvp("cur_sel", sel);
        cur_sel_ = sel;
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()

protected:
    // The combo's own selection change: remembered for the next fill and the settings file.
    // The parent still gets the notification.
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    // What "cur_sel" stores: the shown selection once the combo was filled in this run, else
    // the remembered one (a combo never shown must not lose the loaded choice).
    int SavedSelection() const;
    // Item data of the selected entry, or -1.
    long SelectedData() const;

    int cur_sel_ = 0;
    bool filled_ = false;
    boost::signals2::scoped_connection renamed_;
};
