// Every dialog template and string table in resources/ parses, builds into a window whose
// controls all lie inside it, and is rendered for review.

#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"
#include "support/TemplateFiles.h"

#include <gtest/gtest.h>

using templatefiles::ReadFile;
using templatefiles::ResourceFiles;

TEST(Resources, EveryTemplateBuildsWithAllControlsInside)
{
    uitest::EnsureApplication();
    const auto files = ResourceFiles(".dlg");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        std::string error;
        auto t = ParseDialogTemplateText(ReadFile(file), &error);
        ASSERT_TRUE(t) << error;
        CDialog host;
        CDialog dlg;
        ASSERT_TRUE(templatefiles::Build(*t, host, dlg));
        CRect client;
        dlg.GetClientRect(&client);
        int controls = 0;
        for (CWnd* c = dlg.GetWindow(GW_CHILD); c != nullptr; c = c->GetWindow(GW_HWNDNEXT), ++controls) {
            CRect r;
            c->GetWindowRect(&r);
            dlg.ScreenToClient(&r);
            EXPECT_GE(r.left, 0) << "control " << c->GetDlgCtrlID();
            EXPECT_GE(r.top, 0) << "control " << c->GetDlgCtrlID();
            EXPECT_LE(r.right, client.right) << "control " << c->GetDlgCtrlID();
            EXPECT_LE(r.bottom, client.bottom) << "control " << c->GetDlgCtrlID();
        }
        EXPECT_EQ(controls, static_cast<int>(t->items.size()));
        const std::string name = file.parent_path().filename().string() + "_" + file.stem().string() + ".png";
        EXPECT_TRUE(uitest::RenderToPng(&dlg, uitest::OutputPath("resources/" + name)));
    }
    uitest::ProcessEvents();
}

TEST(Resources, StringTablesParseAndCarryTheAboutEntry)
{
    const auto files = ResourceFiles(".str");
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        std::string error;
        ASSERT_TRUE(RegisterStringTableText(ReadFile(file).c_str(), &error)) << error;
        CString about;
        EXPECT_TRUE(AfxLoadString(101, about));
        EXPECT_FALSE(about.IsEmpty());
    }
    std::string error;
    EXPECT_FALSE(RegisterStringTableText("101 unquoted\n", &error));
    EXPECT_EQ(error, "line 1: expected: id \"text\"");
}
