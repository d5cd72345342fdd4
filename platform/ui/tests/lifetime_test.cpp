// Windows that go away while their own messages run, and windows that go with their owner.

#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

namespace {

DialogTemplate ToolTemplate()
{
    DialogTemplate t;
    t.id = 9900;
    t.caption = "Сервис";
    t.rect = CRect(0, 0, 120, 50);
    t.items = {{"Button", 1009, "Закрыть", WS_VISIBLE | WS_TABSTOP, 0, CRect(5, 5, 60, 19)},
               {"ListBox", 1010, "", WS_VISIBLE | LBS_NOTIFY | WS_BORDER, 0, CRect(5, 22, 115, 45)}};
    return t;
}

class SelfClosing : public CDialog {
public:
    void OnClose1009()
    {
        DestroyWindow();
        closedInside = m_hWnd == nullptr;
    }
    void PostNcDestroy() override { finalMessages++; }
    bool closedInside = false;
    int finalMessages = 0;

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SelfClosing, CDialog)
    ON_BN_CLICKED(1009, &SelfClosing::OnClose1009)
END_MESSAGE_MAP()

}  // namespace

TEST(Lifetime, AWindowMayDestroyItselfFromItsOwnHandler)
{
    uitest::EnsureApplication();
    SelfClosing dlg;
    ASSERT_TRUE(dlg.CreateIndirect(ToolTemplate()));
    dlg.ShowWindow(SW_SHOW);
    CWnd* button = dlg.GetDlgItem(1009);
    const HWND buttonHandle = button->m_hWnd;
    uitest::Click(button);
    EXPECT_TRUE(dlg.closedInside);
    EXPECT_EQ(dlg.finalMessages, 1);
    EXPECT_FALSE(IsWindow(buttonHandle)) << "its controls went with it";
    uitest::ProcessEvents();
    EXPECT_FALSE(dlg.DestroyWindow()) << "a second destruction finds nothing to do";
}

TEST(Lifetime, OwnedPopupsGoWithTheirOwnerAndBoundControlsAreReleased)
{
    uitest::EnsureApplication();
    auto main = std::make_unique<CDialog>();
    ASSERT_TRUE(main->CreateIndirect(ToolTemplate()));
    CDialog tool;
    ASSERT_TRUE(tool.CreateIndirect(ToolTemplate(), main.get()));
    CListBox log;
    ASSERT_TRUE(log.SubclassDlgItem(1010, &tool));
    EXPECT_EQ(tool.GetParent(), main.get()) << "a popup's parent is its owner";
    EXPECT_EQ(tool.GetOwner(), main.get());
    EXPECT_EQ(main->GetWindow(GW_CHILD)->GetDlgCtrlID(), 1009) << "popups are no children";

    main.reset();
    EXPECT_EQ(tool.m_hWnd, nullptr);
    EXPECT_EQ(log.m_hWnd, nullptr);
    EXPECT_EQ(log.GetCount(), 0) << "a control without window answers nothing";
    uitest::ProcessEvents();
}

TEST(Lifetime, StyleBitsFollowShowAndEnable)
{
    uitest::EnsureApplication();
    CDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(ToolTemplate()));
    CWnd* button = dlg.GetDlgItem(1009);
    EXPECT_NE(button->GetStyle() & WS_VISIBLE, 0u);
    EXPECT_FALSE(button->EnableWindow(FALSE)) << "it was enabled";
    EXPECT_NE(button->GetStyle() & WS_DISABLED, 0u);
    EXPECT_FALSE(button->IsWindowEnabled());
    EXPECT_TRUE(button->EnableWindow(TRUE)) << "it was disabled";
    button->ShowWindow(SW_HIDE);
    EXPECT_EQ(button->GetStyle() & WS_VISIBLE, 0u);
    button->ModifyStyle(0, WS_VISIBLE);
    EXPECT_NE(button->GetStyle() & WS_VISIBLE, 0u);
    EXPECT_EQ(button->GetStyle() & BS_TYPEMASK, BS_PUSHBUTTON);
}
