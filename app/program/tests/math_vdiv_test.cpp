// The math trace's volts/div as the user sets it in the math window of the composed program:
// the spin there steps the scale the trace is drawn at, and the list beside it must always
// name that scale, whichever way the spin went and at either end of the variant's range.

#include "support/ProgramWindowTest.h"

#include "app/tooldialog/ToolDialog.h"
#include "core/data/OscData.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kMathSpinId = 1093;
constexpr int kMathListId = 1094;

class MathVDivTest : public ProgramWindowTest {
protected:
    struct Scale {
        std::uint32_t index = 0;
        std::string text;  // what the list offers for it, as the model names it
    };

    // The math scale in the model, and the text the list must show for it.
    static Scale Current()
    {
        Scale s;
        WithData([&](OscData& d) {
            s.index = d.u_div[2];
            const std::vector<CString> texts = d.ListVDivOptions(2);
            const std::int64_t first =
                std::max<std::int64_t>(d.GetVDivMin(), std::int64_t{d.GetGainIndex(d.u_div[2])} - 1);
            const std::int64_t at = std::int64_t{s.index} - first;
            if (at >= 0 && at < static_cast<std::int64_t>(texts.size()))
                s.text = texts[static_cast<std::size_t>(at)];
        });
        return s;
    }

    // The list's selected entry must be the model's scale, by item data and by the text shown.
    static void ExpectListShows(CWnd* math, const Scale& s)
    {
        auto* list = static_cast<CComboBox*>(math->GetDlgItem(kMathListId));
        const int selected = list->GetCurSel();
        ASSERT_NE(selected, CB_ERR) << "nothing selected for index " << s.index;
        EXPECT_EQ(list->GetItemData(selected), s.index);
        CString shown;
        list->GetLBText(selected, shown);
        EXPECT_FALSE(s.text.empty());
        EXPECT_EQ(std::string(shown), s.text);
    }
};

TEST_F(MathVDivTest, ListFollowsTheSpinBothWaysToTheEndsOfTheRange)
{
    // Variant 5 lists its whole range (three steps) at once; variant 1 has twelve steps, so the
    // list, which offers three around the current scale, has to move with the spin.
    for (const int version : {5, 1})
    {
        SCOPED_TRACE("version " + std::to_string(version));
        RunWindow([&](CVelkaroDlg& d) {
            SwitchVariant(d, version);
            unsigned low = 0, high = 0;
            WithData([&](OscData& data) {
                data.mode &= ~(MODE_STOPPED | MODE_RECORDER);
                low = data.GetVDivMin();
                high = data.GetVDivMax();
            });

            uitest::Click(d.GetDlgItem(CVelkaroDlg::kMathButtonId));
            CWnd* math = d.GetToolDialog(CToolDialogList::MATH);
            ASSERT_NE(math, nullptr);
            ASSERT_TRUE(math->IsWindowVisible());
            CWnd* spin = math->GetDlgItem(kMathSpinId);
            ExpectListShows(math, Current());

            // Up to the top, one click past it, down to the bottom and one click past that.
            for (const bool up : {true, false})
            {
                SCOPED_TRACE(up ? "up" : "down");
                const unsigned end = up ? high : low;
                for (unsigned clicks = 0; clicks <= high - low + 1; ++clicks)
                {
                    const Scale before = Current();
                    uitest::ClickSpin(spin, up);
                    const Scale after = Current();
                    if (before.index == end)
                        EXPECT_EQ(after.index, end) << "the spin stops at the end";
                    else
                        EXPECT_EQ(after.index, up ? before.index + 1 : before.index - 1);
                    ExpectListShows(math, after);
                    if (HasFatalFailure())
                        return;
                }
                EXPECT_EQ(Current().index, end);
            }
        });
    }
}

}  // namespace
