// The net combo inside the running main window: what each device variant lists, how a rename
// reaches it, what the user's choice does and what the settings file keeps of it.

#include "logic/netcombo/ComboNet.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr UINT kComboId = 4000;

class ComboNetTest : public MainWindowTest {
protected:
    static void UseVariant(int version)
    {
        CSingleLock lock(&DataLock, TRUE);
        ASSERT_TRUE(SelectOscDataVersion(version, 1));
    }

    // The combo sits in a window of its own, as in a decoder page: the main window's hotkeys
    // would take the arrow keys a user selects with.
    void Create(CComboNet& combo, CVelkaroDlg& d)
    {
        if (host_.GetSafeHwnd() == 0) {
            ASSERT_TRUE(host_.Create(kHostTemplate, &d));
            host_.ShowWindow(SW_SHOW);
        }
        ASSERT_TRUE(combo.Create(CBS_DROPDOWNLIST | WS_VSCROLL | WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                                 CRect(10, 10, 160, 200), &host_, kComboId));
    }
    // Any small template does as a host.
    static constexpr UINT kHostTemplate = 141;
    CDialog host_;

    static std::vector<std::string> Texts(const CComboNet& combo)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < combo.GetCount(); ++i) {
            CString text;
            combo.GetLBText(i, text);
            texts.push_back(text);
        }
        return texts;
    }

    static std::string Saved(const CComboNet& combo)
    {
        std::ostringstream text;
        {
            boost::archive::xml_oarchive archive(text);
            archive << boost::serialization::make_nvp("combo", combo);
        }
        return text.str();
    }

    static void Load(CComboNet& combo, const std::string& xml)
    {
        std::istringstream text(xml);
        boost::archive::xml_iarchive archive(text);
        archive >> boost::serialization::make_nvp("combo", combo);
    }
};

}  // namespace

TEST_F(ComboNetTest, EntriesFollowTheVariantsLogicChannels)
{
    struct Case {
        int version;
        int entries;
    };
    const Case cases[] = {{1, 0}, {2, 8}, {4, 16}};
    RunWindow([&](CVelkaroDlg& d) {
        for (int line = 0; line < 8; ++line) {
            d.SetNetName("a" + std::to_string(line), 0, line);
            d.SetNetName("b" + std::to_string(line), 1, line);
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(c.version);
            UseVariant(c.version);
            CComboNet combo;
            Create(combo, d);
            combo.SetRememberedSel(12);
            combo.FillNets();
            ASSERT_EQ(combo.GetCount(), c.entries);
            for (int i = 0; i < c.entries; ++i) {
                const int channel = i / 8, line = 7 - i % 8;
                EXPECT_EQ(combo.GetItemData(i), static_cast<DWORD_PTR>(channel << 8 | line));
                EXPECT_EQ(Texts(combo)[static_cast<std::size_t>(i)],
                          (channel == 0 ? "a" : "b") + std::to_string(line));
            }
            if (c.entries == 0) {
                // Nothing to pick is no net, never a net 0 of channel A.
                EXPECT_EQ(combo.GetCurSel(), -1);
                EXPECT_EQ(combo.SelectedChannel(), -1);
                EXPECT_EQ(combo.SelectedName(), "");
            } else if (c.entries == 8) {
                EXPECT_EQ(combo.GetCurSel(), 0) << "a remembered entry beyond the list falls back to the first";
                EXPECT_EQ(combo.SelectedChannel(), 0);
                EXPECT_EQ(combo.SelectedLine(), 7);
            } else {
                EXPECT_EQ(combo.GetCurSel(), 12);
                EXPECT_EQ(combo.SelectedChannel(), 1);
                EXPECT_EQ(combo.SelectedLine(), 3);
                EXPECT_EQ(combo.SelectedName(), "b3");
            }
            combo.DestroyWindow();
        }
    });
}

TEST_F(ComboNetTest, RenamesReachTheEntryAndKeepTheChoice)
{
    RunWindow([&](CVelkaroDlg& d) {
        UseVariant(2);
        CComboNet combo;
        Create(combo, d);
        combo.SetRememberedSel(2);
        combo.FillNets();
        // Filled twice: the second fill must not leave a second slot behind.
        combo.FillNets();
        ASSERT_EQ(combo.GetCurSel(), 2);

        d.SetNetName("RX", 0, 5);  // entry 2, the selected one
        EXPECT_EQ(Texts(combo)[2], "RX");
        EXPECT_EQ(combo.GetCurSel(), 2);
        EXPECT_EQ(combo.GetItemData(2), 5u);
        EXPECT_EQ(combo.SelectedName(), "RX");

        d.SetNetName("TX", 0, 0);  // entry 7, not selected
        EXPECT_EQ(Texts(combo)[7], "TX");
        EXPECT_EQ(combo.GetCurSel(), 2);
        EXPECT_EQ(combo.GetCount(), 8);

        // Channel B has no entries on this variant: its renames change nothing here.
        const auto before = Texts(combo);
        d.SetNetName("CLK", 1, 7);
        EXPECT_EQ(Texts(combo), before);
        EXPECT_EQ(combo.GetCount(), 8);

        // A destroyed combo no longer listens.
        combo.DestroyWindow();
        d.SetNetName("late", 0, 1);
    });
}

TEST_F(ComboNetTest, UserChoiceIsRememberedAcrossFillsAndRuns)
{
    std::string saved;
    RunWindow([&](CVelkaroDlg& d) {
        UseVariant(4);
        CComboNet combo;
        Create(combo, d);
        combo.FillNets();
        ASSERT_EQ(combo.GetCurSel(), 0);
        host_.SetForegroundWindow();

        uitest::SelectComboItem(&combo, 9);
        EXPECT_EQ(combo.GetRememberedSel(), 9);
        // A selection made by the program is not the user's choice.
        combo.SetCurSel(4);
        EXPECT_EQ(combo.GetRememberedSel(), 9);
        combo.FillNets();
        EXPECT_EQ(combo.GetCurSel(), 9);
        EXPECT_EQ(combo.SelectedChannel(), 1);
        EXPECT_EQ(combo.SelectedLine(), 6);

        combo.SetCurSel(3);
        saved = Saved(combo);
        EXPECT_NE(saved.find("<cur_sel>3</cur_sel>"), std::string::npos) << "what is shown is what is saved";
        combo.DestroyWindow();
    });

    // The next run loads the choice but never opens the window: saving again keeps it.
    RunWindow([&](CVelkaroDlg& d) {
        UseVariant(4);
        CComboNet unshown;
        Load(unshown, saved);
        EXPECT_EQ(unshown.GetRememberedSel(), 3);
        EXPECT_NE(Saved(unshown).find("<cur_sel>3</cur_sel>"), std::string::npos);

        CComboNet created;
        Create(created, d);
        Load(created, saved);
        EXPECT_NE(Saved(created).find("<cur_sel>3</cur_sel>"), std::string::npos)
            << "a combo not filled yet has nothing shown to save";
        created.FillNets();
        EXPECT_EQ(created.GetCurSel(), 3);
        created.DestroyWindow();
    });
}
