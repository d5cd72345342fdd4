// The digital trigger dialog opened over the running main window: the value as text and as
// check boxes, the nets of the trigger channel, and what leaving the dialog stores.

#include "logic/digtrigger/DialogDigTrigLevel.h"
#include "logic/digtrigger/TriggerValueText.h"

#include "app/main/testing/MainWindowFixture.h"
#include "core/data/OscData.h"
#include "platform/ui/testing/LeftOpen.h"

#include <functional>
#include <string>
#include <vector>

namespace {

TEST(TriggerValueText, ReadsHexAfterZeroXAndDecimalOtherwise)
{
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"0X1f", 0x1F}, {"0x1F", 0x1F}, {"0xff", 0xFF}, {"0x", 0}, {"0xzz", 0}, {"0x1g", 1},
        {"255", 255},   {"256", 0},     {"257", 1},     {"12ab", 12}, {"abc", 0}, {"", 0},
        {"-1", 0xFF},   {" 7", 7},      {"x12", 0},     {"0x1234", 0x34},
        // Far past any integer: the low eight bits are still those of the number typed.
        {"99999999999999999999", 0xFF},  // 10^20 - 1 = 0x...FF
        {"0x123456789abcdef0AB", 0xAB},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseTriggerValueText(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(FormatTriggerValueText(0x0A), "0x0A");
    EXPECT_EQ(FormatTriggerValueText(0xFF), "0xFF");
}

class DigTriggerTest : public MainWindowTest {
protected:
    // Opens the dialog over the main window with the model set by `setup`; `body` runs inside
    // it and must leave it. The change bits are cleared before the dialog opens.
    static void Open(CVelkaroDlg& d, const std::function<void(OscData&)>& setup,
                     const std::function<void(CDialogDigTrigLevel&)>& body)
    {
        WithData([&](OscData& data) {
            setup(data);
            data.changes = 0;
        });
        CDialogDigTrigLevel dialog(&d);
        bool ran = false;
        uitest::OnNextModal([&](uihooks::ModalContext& m) {
            ran = true;
            body(dialog);
            uitest::EndIfLeftOpen(m, "the test's actions");
        });
        dialog.DoModal();
        EXPECT_TRUE(ran);
    }

    static std::vector<bool> Checks(CDialogDigTrigLevel& w)
    {
        std::vector<bool> checks;
        for (int row = 0; row < w.GetList().GetItemCount(); ++row)
            checks.push_back((w.GetList().GetItemStates(row) & CReportCtrl::Checked) != 0);
        return checks;
    }

    static std::vector<bool> ChecksOf(int value)
    {
        std::vector<bool> checks;
        for (int row = 0; row < 8; ++row)
            checks.push_back((value & (0x80 >> row)) != 0);
        return checks;
    }

    static std::string ValueText(CDialogDigTrigLevel& w)
    {
        CString text;
        w.GetDlgItemText(CDialogDigTrigLevel::kValueId, text);
        return text;
    }

    static CPoint CheckBoxOf(CReportCtrl& list, int row)
    {
        CRect r;
        list.GetSubItemRect(row, 0, LVIR_BOUNDS, r);
        return CPoint(r.left + 9, (r.top + r.bottom) / 2);
    }

    struct Stored {
        int value;
        bool equal;
        std::uint32_t changes;
    };
    static Stored Model()
    {
        Stored s{};
        WithData([&](OscData& data) {
            s.value = data.trigger_digital;
            s.equal = (data.osc_cr & OSC_CR_DIGITAL_TRIGGER) != 0;
            s.changes = data.changes & (CHANGE_TRIGGER | CHANGE_CAPTURE);
        });
        return s;
    }

    static void TriggerOn(OscData& data, std::uint16_t source)
    {
        data.osc_cr = static_cast<std::uint16_t>(
            (data.osc_cr & ~(OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_B | OSC_CR_TRIGGER_EXT)) | source);
    }
};

}  // namespace

TEST_F(DigTriggerTest, TypedValuesSetTheChecksAndChecksSetTheValue)
{
    RunWindow([](CVelkaroDlg& d) {
        Open(d, [](OscData& data) { data.trigger_digital = 0x81; }, [](CDialogDigTrigLevel& w) {
            CWnd* edit = w.GetDlgItem(CDialogDigTrigLevel::kValueId);
            EXPECT_EQ(ValueText(w), "0x81");
            EXPECT_EQ(Checks(w), ChecksOf(0x81));
            struct Case {
                const char* text;
                int checks;
            } cases[] = {{"0X1f", 0x1F}, {"255", 0xFF}, {"abc", 0}, {"0x80", 0x80}, {"0xzz", 0}, {"258", 2}};
            for (const Case& c : cases) {
                uitest::TypeText(edit, c.text);
                EXPECT_EQ(Checks(w), ChecksOf(c.checks)) << c.text;
            }
            // A box the user checks joins the value: row 0 is line 7, row 7 line 0.
            uitest::ClickAt(&w.GetList(), CheckBoxOf(w.GetList(), 0));
            EXPECT_EQ(ValueText(w), "0x82");
            uitest::ClickAt(&w.GetList(), CheckBoxOf(w.GetList(), 6));
            EXPECT_EQ(ValueText(w), "0x80");
            EXPECT_EQ(Checks(w), ChecksOf(0x80));
            EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("digital_trigger.png")));
            uitest::Click(w.GetDlgItem(IDCANCEL));
        });
        EXPECT_EQ(Model().value, 0x80);
    });
}

TEST_F(DigTriggerTest, TheRowsNameTheNetsOfTheTriggerChannel)
{
    RunWindow([](CVelkaroDlg& d) {
        d.SetNetName("CLK", 0, 7);
        d.SetNetName("RX", 1, 0);
        d.SetNetName("Шина", 1, 7);
        struct Case {
            std::uint16_t source;
            const char* channel;
            const char* first;
            const char* last;
        } cases[] = {
            {OSC_CR_TRIGGER_ON, "A", "CLK", "A0"},
            {OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_B, "B", "Шина", "RX"},
            {OSC_CR_TRIGGER_ON | OSC_CR_TRIGGER_EXT, "B", "Шина", "RX"},
            {0, "B", "Шина", "RX"},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.source);
            Open(d, [&](OscData& data) { TriggerOn(data, c.source); }, [&](CDialogDigTrigLevel& w) {
                CReportCtrl& list = w.GetList();
                ASSERT_EQ(list.GetItemCount(), 8);
                for (int row = 0; row < 8; ++row)
                    EXPECT_EQ(list.GetItemText(row, 0), std::string(c.channel) + std::to_string(7 - row));
                EXPECT_EQ(list.GetItemText(0, 1), c.first);
                EXPECT_EQ(list.GetItemText(7, 1), c.last);
                EXPECT_EQ(list.GetHeaderText(0), "Цепь");
                EXPECT_EQ(list.GetHeaderText(1), "Имя");
                if (c.source == 0) {
                    EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("digital_trigger_names.png")));
                }
                uitest::Click(w.GetDlgItem(IDCANCEL));
            });
        }
    });
}

TEST_F(DigTriggerTest, EveryWayOutStoresWhatIsShownAndMarksOnlyWhatChanged)
{
    RunWindow([](CVelkaroDlg& d) {
        using Action = std::function<void(CDialogDigTrigLevel&)>;
        const Action close = [](CDialogDigTrigLevel& w) { uitest::Click(w.GetDlgItem(IDCANCEL)); };
        const Action enter = [](CDialogDigTrigLevel& w) { uitest::PressEnter(w.GetDlgItem(CDialogDigTrigLevel::kValueId)); };
        const Action escape = [](CDialogDigTrigLevel& w) { uitest::PressEscape(&w); };
        const Action closeBox = [](CDialogDigTrigLevel& w) { uitest::CloseWindow(&w); };
        const Action apply = [close](CDialogDigTrigLevel& w) {
            uitest::Click(w.GetDlgItem(CDialogDigTrigLevel::kApplyId));
            // Applied before the dialog ends.
            EXPECT_EQ(Model().value, 0x3C);
            close(w);
        };
        struct Case {
            const char* name;
            int start;
            bool startEqual;
            const char* typed;    // null: the value is left alone
            UINT mode;            // 0: the mode is left alone
            Action leave;
            int value;
            bool equal;
            std::uint32_t changes;
        } cases[] = {
            {"nothing changed", 0x5A, false, nullptr, 0, close, 0x5A, false, 0},
            {"same value typed anew", 0x5A, true, "90", 0, close, 0x5A, true, 0},
            {"value", 0x5A, false, "0x3C", 0, close, 0x3C, false, CHANGE_TRIGGER},
            {"mode to equal", 0x5A, false, nullptr, CDialogDigTrigLevel::kEqualModeId, close, 0x5A, true, CHANGE_CAPTURE},
            {"mode to mask", 0x5A, true, nullptr, CDialogDigTrigLevel::kMaskModeId, escape, 0x5A, false, CHANGE_CAPTURE},
            {"both by Enter", 0x5A, false, "0x3C", CDialogDigTrigLevel::kEqualModeId, enter, 0x3C, true, CHANGE_TRIGGER | CHANGE_CAPTURE},
            {"value by the close box", 0x01, false, "0x3C", 0, closeBox, 0x3C, false, CHANGE_TRIGGER},
            {"value by Применить", 0x01, false, "0x3C", 0, apply, 0x3C, false, CHANGE_TRIGGER},
            {"only the low byte", 0x01, false, "0x13C", 0, close, 0x3C, false, CHANGE_TRIGGER},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            Open(d,
                 [&](OscData& data) {
                     data.trigger_digital = static_cast<std::uint8_t>(c.start);
                     if (c.startEqual) data.osc_cr = static_cast<std::uint16_t>(data.osc_cr | OSC_CR_DIGITAL_TRIGGER);
                     else data.osc_cr = static_cast<std::uint16_t>(data.osc_cr & ~OSC_CR_DIGITAL_TRIGGER);
                 },
                 [&](CDialogDigTrigLevel& w) {
                     EXPECT_EQ(w.IsDlgButtonChecked(CDialogDigTrigLevel::kEqualModeId), c.startEqual ? 1u : 0u);
                     EXPECT_EQ(w.IsDlgButtonChecked(CDialogDigTrigLevel::kMaskModeId), c.startEqual ? 0u : 1u);
                     if (c.typed != nullptr) uitest::TypeText(w.GetDlgItem(CDialogDigTrigLevel::kValueId), c.typed);
                     if (c.mode != 0) uitest::Click(w.GetDlgItem(static_cast<int>(c.mode)));
                     // Nothing is stored while the dialog is open.
                     if (c.changes != 0) {
                         EXPECT_EQ(Model().changes, 0u);
                     }
                     c.leave(w);
                 });
            const Stored s = Model();
            EXPECT_EQ(s.value, c.value);
            EXPECT_EQ(s.equal, c.equal);
            EXPECT_EQ(s.changes, c.changes);
        }
    });
}
