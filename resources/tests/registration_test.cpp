// The embedded templates and strings register, and each program finds its own.

#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

TEST(Registration, DurmittFindsItsWindowAboutBoxAndMenuText)
{
    ASSERT_TRUE(RegisterDurmittResources());
    const DialogTemplate* main = FindDialogTemplate(102);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->caption, "Durmitt");
    const DialogTemplate* about = FindDialogTemplate(100);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->caption, "О проекте Durmitt");
    CString text;
    ASSERT_TRUE(AfxLoadString(101, text));
    EXPECT_EQ(text, "&О проекте Durmitt...");

    uitest::EnsureApplication();
    CDialog dlg(102);
    uitest::OnNextModal([](uihooks::ModalContext& m) {
        EXPECT_NE(m.window->GetDlgItem(1001), nullptr);
        uitest::Click(m.window->GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST(Registration, VelkaroFindsItsWindowAndAboutBox)
{
    ASSERT_TRUE(RegisterVelkaroResources());
    const DialogTemplate* main = FindDialogTemplate(102);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->caption, "Velkaro");
    const DialogTemplate* about = FindDialogTemplate(100);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->caption, "О програме");
    CString text;
    ASSERT_TRUE(AfxLoadString(101, text));
    EXPECT_EQ(text, "&О программе...");
}
