// Every template's up-downs and radio buttons, as a user works them: a number typed into an
// up-down's buddy is its position (brought into its range), and the radios of one choice form one group, so that
// choosing any of them clears the rest of that choice and nothing else.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"
#include "support/TemplateFiles.h"

#include <gtest/gtest.h>

#include <compare>
#include <map>
#include <ostream>
#include <set>
#include <utility>
#include <vector>

namespace {

using templatefiles::ShortName;

// Each up-down whose buddy the template gives (the control before it), with that edit.
struct SpinPair {
    std::string file;
    int spin;
    int edit;
    auto operator<=>(const SpinPair&) const = default;
};
void PrintTo(const SpinPair& p, std::ostream* os) { *os << p.file << ": " << p.spin << " with " << p.edit; }
const std::set<SpinPair> kSpinPairs = {
    {"velkaro/182_sync_condition.dlg", 1121, 1120},   // the start offset in samples
    {"velkaro/191_async_condition.dlg", 1144, 1126},  // the packet time-out in bit intervals
};

// The choices each template offers with radio buttons.
const std::map<std::string, std::vector<std::vector<int>>> kRadioChoices = {
    {"velkaro/137_fr_param.dlg", {{1065, 1066}}},                     // channel
    {"velkaro/141_digital_trigger.dlg", {{1079, 1080}}},              // mask or equality
    {"velkaro/145_save.dlg", {{1096, 1097}, {1098, 1099, 1101}}},     // source; format
    {"velkaro/182_sync_condition.dlg", {{1114, 1116, 1119}}},         // where decoding starts
    {"velkaro/191_async_condition.dlg", {{1145, 1146}}},              // processed range
};

bool IsRadio(const DialogItemTemplate& item)
{
    const DWORD type = item.style & BS_TYPEMASK;
    return item.className == "Button" && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
}

struct Template {
    std::string name;
    DialogTemplate t;
};

std::vector<Template> AllTemplates()
{
    std::vector<Template> out;
    for (const auto& file : templatefiles::ResourceFiles(".dlg")) {
        std::string error;
        auto t = ParseDialogTemplateText(templatefiles::ReadFile(file), &error);
        EXPECT_TRUE(t) << ShortName(file) << ": " << error;
        if (t) out.push_back({ShortName(file), *t});
    }
    EXPECT_FALSE(out.empty());
    return out;
}

CSpinButtonCtrl* Spin(CDialog& dlg, int id) { return dynamic_cast<CSpinButtonCtrl*>(dlg.GetDlgItem(id)); }

int Checked(CDialog& dlg, int id) { return static_cast<int>(dlg.GetDlgItem(id)->SendMessage(BM_GETCHECK)); }

}  // namespace

TEST(TemplateChoices, ANumberTypedIntoEveryBuddyIsTheUpDownsPosition)
{
    uitest::EnsureApplication();
    std::set<SpinPair> found;
    for (const Template& tpl : AllTemplates()) {
        SCOPED_TRACE(tpl.name);
        const auto& items = tpl.t.items;
        std::vector<SpinPair> pairs;
        std::vector<int> lone;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].className != "msctls_updown32") continue;
            if ((items[i].style & UDS_AUTOBUDDY) == 0) {
                lone.push_back(items[i].id);
                continue;
            }
            ASSERT_GT(i, 0u) << "up-down " << items[i].id << " has no control before it to take as its buddy";
            EXPECT_EQ(items[i - 1].className, "Edit") << "up-down " << items[i].id;
            EXPECT_NE(items[i].style & UDS_SETBUDDYINT, 0u) << "up-down " << items[i].id;
            pairs.push_back({tpl.name, items[i].id, items[i - 1].id});
        }
        if (pairs.empty() && lone.empty()) continue;
        found.insert(pairs.begin(), pairs.end());

        CDialog host;
        CDialog dlg;
        ASSERT_TRUE(templatefiles::Build(tpl.t, host, dlg));
        for (const SpinPair& p : pairs) {
            SCOPED_TRACE("up-down " + std::to_string(p.spin));
            CSpinButtonCtrl* spin = Spin(dlg, p.spin);
            CWnd* edit = dlg.GetDlgItem(p.edit);
            ASSERT_NE(spin, nullptr);
            ASSERT_NE(edit, nullptr);
            ASSERT_EQ(spin->GetBuddy(), edit);
            spin->SetRange32(0, 1000);
            spin->SetPos32(1);

            uitest::TypeText(edit, "20");
            BOOL error = TRUE;
            EXPECT_EQ(spin->GetPos32(&error), 20);
            EXPECT_FALSE(error);
            EXPECT_EQ(spin->GetPos(), 20);
            EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(spin->SendMessage(UDM_GETPOS))), 0u);

            // A number outside the range gives its end, text that is no number keeps the
            // position; either is flagged, and the edit then shows the position used.
            for (const auto& [text, used] : {std::pair<const char*, int>{"5000", 1000}, {"", 1000}}) {
                SCOPED_TRACE(std::string("typed \"") + text + "\"");
                uitest::TypeText(edit, text);
                error = FALSE;
                EXPECT_EQ(spin->GetPos32(&error), used);
                EXPECT_TRUE(error);
                CString shown;
                edit->GetWindowText(shown);
                EXPECT_EQ(shown, std::to_string(used));
                uitest::TypeText(edit, text);
                const auto answer = static_cast<std::uintptr_t>(spin->SendMessage(UDM_GETPOS));
                EXPECT_EQ(static_cast<short>(LOWORD(answer)), used);
                EXPECT_NE(HIWORD(answer), 0u);
            }

            // The arrows step on from the number typed, not from the last position stepped to.
            uitest::TypeText(edit, "300");
            uitest::ClickSpin(spin, false);
            EXPECT_EQ(spin->GetPos32(), 299);
            CString shown;
            edit->GetWindowText(shown);
            EXPECT_EQ(shown, "299");
        }
        // An up-down with no buddy has nothing to read: it answers its position, with the error.
        for (const int id : lone) {
            SCOPED_TRACE("up-down " + std::to_string(id));
            CSpinButtonCtrl* spin = Spin(dlg, id);
            ASSERT_NE(spin, nullptr);
            spin->SetRange32(-10, 10);
            spin->SetPos32(-7);
            BOOL error = FALSE;
            EXPECT_EQ(spin->GetPos32(&error), -7);
            EXPECT_TRUE(error);
            EXPECT_EQ(spin->GetPos(), -7);
        }
    }
    EXPECT_EQ(found, kSpinPairs) << "an up-down lost its edit, or a new pair is not in the table";
    uitest::ProcessEvents();
}

TEST(TemplateChoices, TheRadiosOfEachChoiceAreExactlyOneGroup)
{
    uitest::EnsureApplication();
    std::set<std::string> seen;
    for (const Template& tpl : AllTemplates()) {
        SCOPED_TRACE(tpl.name);
        const auto& items = tpl.t.items;
        const auto listed = kRadioChoices.find(tpl.name);
        const std::vector<std::vector<int>> choices = listed != kRadioChoices.end() ? listed->second : std::vector<std::vector<int>>{};
        if (listed != kRadioChoices.end()) seen.insert(tpl.name);

        // Every radio of the template belongs to exactly one listed choice.
        std::multiset<int> named;
        for (const auto& c : choices) named.insert(c.begin(), c.end());
        std::multiset<int> radios;
        for (const DialogItemTemplate& item : items)
            if (IsRadio(item)) radios.insert(item.id);
        EXPECT_EQ(radios, named);
        if (choices.empty()) continue;

        // A group runs from a control with WS_GROUP to the next one, in template order: each
        // choice lies in one group, which holds no radio of another choice.
        std::map<int, int> groupOf;
        int group = 0;
        for (const DialogItemTemplate& item : items) {
            if ((item.style & WS_GROUP) != 0) ++group;
            groupOf[item.id] = group;
        }
        std::map<int, std::size_t> choiceOfGroup;
        for (std::size_t c = 0; c < choices.size(); ++c)
            for (const int id : choices[c]) {
                EXPECT_EQ(groupOf[id], groupOf[choices[c].front()]) << "radio " << id << " is cut off from " << choices[c].front();
                const auto [it, added] = choiceOfGroup.emplace(groupOf[id], c);
                EXPECT_EQ(it->second, c) << "radio " << id << " shares a group with another choice";
            }

        // And so the user sees it: clicking any radio, forwards and back, leaves exactly it
        // checked in its choice and every other choice as it was.
        CDialog host;
        CDialog dlg;
        ASSERT_TRUE(templatefiles::Build(tpl.t, host, dlg));
        std::vector<int> expected;
        for (const auto& c : choices) {
            uitest::Click(dlg.GetDlgItem(c.front()));
            expected.push_back(c.front());
        }
        for (std::size_t c = 0; c < choices.size(); ++c) {
            std::vector<int> order(choices[c].begin() + 1, choices[c].end());
            order.insert(order.end(), choices[c].rbegin() + 1, choices[c].rend());
            for (const int clicked : order) {
                SCOPED_TRACE("clicked " + std::to_string(clicked));
                uitest::Click(dlg.GetDlgItem(clicked));
                expected[c] = clicked;
                for (std::size_t k = 0; k < choices.size(); ++k)
                    for (const int id : choices[k])
                        EXPECT_EQ(Checked(dlg, id), id == expected[k] ? BST_CHECKED : BST_UNCHECKED) << "radio " << id;
            }
        }
    }
    for (const auto& [name, choices] : kRadioChoices) EXPECT_EQ(seen.count(name), 1u) << name << " is gone";
    uitest::ProcessEvents();
}
