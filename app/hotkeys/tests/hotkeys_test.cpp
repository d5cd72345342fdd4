// The hotkey table: lookup with modifiers, stored keys, and the dialog that edits them.

#include "app/hotkeys/DialogHotkeys.h"
#include "app/hotkeys/HotkeyTable.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Records which default action ran.
class Recorder : public HotkeyCommands {
public:
    void HotkeyStepTimebase(int delta) override { ran.push_back("t" + std::to_string(delta)); }
    void HotkeyShiftView(int delta) override { ran.push_back("x" + std::to_string(delta)); }
    void HotkeyToggleRun() override { ran.push_back("run"); }
    std::vector<std::string> ran;
};

class HotkeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterVelkaroResources());
        saved_ = GetHotkeyTarget();
        SetHotkeyTarget(&recorder_);
    }
    void TearDown() override
    {
        SetHotkeyTarget(saved_);
        uihooks::ClearModalHandlers();
    }

    Recorder recorder_;
    HotkeyCommands* saved_ = nullptr;
};

TEST_F(HotkeysTest, KeysRunTheFirstBindingWithEqualKeyAndModifiers)
{
    struct Case {
        std::uint16_t mod;
        std::uint16_t vkey;
        bool ran;
        const char* action;
    };
    // No Shift or Ctrl is held here, so mod is what the key message reports.
    const Case cases[] = {
        {kHotkeyExtended, VK_UP, true, "t1"},
        {kHotkeyExtended, VK_DOWN, true, "t-1"},
        {kHotkeyExtended, VK_LEFT, true, "x1"},
        {kHotkeyExtended, VK_RIGHT, true, "x-1"},
        {0, VK_SPACE, true, "run"},
        {kHotkeyAlt, VK_SPACE, false, ""},
        {0, VK_UP, false, ""},  // the keypad's arrow is not the extended one
        {kHotkeyExtended | kHotkeyAlt, VK_UP, false, ""},
        {0, 'A', false, ""},
    };
    HotkeyList table;
    for (const Case& c : cases)
    {
        recorder_.ran.clear();
        EXPECT_EQ(FindAndRunHotkey(c.mod, table, c.vkey), c.ran) << c.vkey << " " << c.mod;
        EXPECT_EQ(recorder_.ran, c.ran ? std::vector<std::string>{c.action} : std::vector<std::string>{});
    }
}

TEST_F(HotkeysTest, TheEarlierOfTwoEqualBindingsWins)
{
    HotkeyList table;
    table.bindings[4].vkey = VK_UP;
    table.bindings[4].mod = kHotkeyExtended;
    EXPECT_TRUE(FindAndRunHotkey(kHotkeyExtended, table, VK_UP));
    EXPECT_EQ(recorder_.ran, std::vector<std::string>{"t1"});
}

TEST_F(HotkeysTest, WithoutAWindowAKeyIsTakenButDoesNothing)
{
    SetHotkeyTarget(nullptr);
    HotkeyList table;
    EXPECT_TRUE(FindAndRunHotkey(0, table, VK_SPACE));
    EXPECT_TRUE(recorder_.ran.empty());
}

TEST_F(HotkeysTest, StoredKeysMatchByNameAndUnknownNamesChangeNothing)
{
    HotkeyList edited;
    edited.bindings[0].vkey = 'Q';
    edited.bindings[0].mod = kHotkeyCtrl;
    std::ostringstream out;
    {
        boost::archive::xml_oarchive archive(out);
        edited.Save(archive);
    }
    HotkeyList loaded;
    {
        std::istringstream in(out.str());
        boost::archive::xml_iarchive archive(in);
        loaded.Load(archive);
    }
    EXPECT_EQ(loaded.bindings[0].vkey, 'Q');
    EXPECT_EQ(loaded.bindings[0].mod, kHotkeyCtrl);
    EXPECT_EQ(loaded.bindings[1].vkey, VK_DOWN);

    HotkeyList other;
    other.Apply({{"Нет такой команды", 'Z', 0}, {"Сдвинуть влево", 'L', kHotkeyShift}});
    const HotkeyList defaults;
    for (std::size_t i = 0; i < other.bindings.size(); ++i)
    {
        if (i == 2)
            continue;
        EXPECT_EQ(other.bindings[i].vkey, defaults.bindings[i].vkey) << i;
        EXPECT_EQ(other.bindings[i].mod, defaults.bindings[i].mod) << i;
    }
    EXPECT_EQ(other.bindings[2].vkey, 'L');
    EXPECT_EQ(other.bindings[2].mod, kHotkeyShift);
}

TEST_F(HotkeysTest, TheDialogStoresOnSelectionChangeAndOnClose)
{
    HotkeyList table;
    CDialogHotkeys dialog(nullptr, &table);
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        CWnd* list = m.window->GetDlgItem(CDialogHotkeys::kListId);
        CWnd* key = m.window->GetDlgItem(CDialogHotkeys::kKeyId);
        EXPECT_EQ(static_cast<CListBox*>(list)->GetCount(), 5);
        EXPECT_EQ(static_cast<CListBox*>(list)->GetCurSel(), 0);
        uitest::Key(key, 'K', uitest::Control);
        uitest::SelectListItem(list, 3);
        EXPECT_EQ(table.bindings[0].vkey, 'K');
        EXPECT_EQ(table.bindings[0].mod, kHotkeyCtrl);
        uitest::Key(key, 'J', uitest::Shift);
        EXPECT_TRUE(uitest::RenderToPng(m.window, uitest::OutputPath("hotkeys_dialog.png")));
        // Backspace takes the key away from "Старт/стоп".
        uitest::SelectListItem(list, 4);
        uitest::Key(key, VK_BACK);
        EXPECT_TRUE(uitest::RenderToPng(m.window, uitest::OutputPath("hotkeys_dialog_cleared.png")));
        uitest::Click(m.window->GetDlgItem(IDCANCEL));
    });
    dialog.DoModal();
    EXPECT_EQ(table.bindings[3].vkey, 'J');
    EXPECT_EQ(table.bindings[3].mod, kHotkeyShift);
    EXPECT_EQ(table.bindings[1].vkey, VK_DOWN);
    EXPECT_EQ(table.bindings[4].vkey, 0);
    EXPECT_EQ(table.bindings[4].mod, 0);
}

}  // namespace
