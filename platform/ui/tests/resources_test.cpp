// Every dialog template and string table in resources/ parses, builds into a window whose
// controls all lie inside it, and is rendered for review.

#include "platform/ui/Dialog.h"
#include "platform/ui/testing/UiTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::filesystem::path> ResourceFiles(const char* extension)
{
    std::vector<std::filesystem::path> out;
    const std::filesystem::path root = std::filesystem::path(VELKARO_SOURCE_DIR) / "resources";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.path().extension() == extension) out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace

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
        // Custom controls ("ChartCtrl", "BufferDraw") are registered by their objects, which
        // exist before the dialog is built; stand in for them.
        for (const DialogItemTemplate& item : t->items) {
            WNDCLASS wc;
            if (AfxGetClassInfo(item.className.c_str(), &wc)) continue;
            static const std::set<std::string> standard = {"Button", "Static", "Edit", "ListBox", "ComboBox", "SysTreeView32",
                                                           "msctls_updown32", "msctls_progress32", "ScrollBar", "SysTabControl32",
                                                           "msctls_hotkey32", "SysListView32"};
            if (standard.count(item.className) != 0) continue;
            wc.style = CS_DBLCLKS;
            wc.lpszClassName = item.className.c_str();
            AfxRegisterClass(&wc);
        }
        // A property page is a child template: it is built inside a host window, as its sheet does.
        CDialog host;
        CWnd* parent = nullptr;
        if ((t->style & WS_CHILD) != 0) {
            DialogTemplate frame;
            frame.rect = CRect(0, 0, t->rect.Width() + 20, t->rect.Height() + 20);
            ASSERT_TRUE(host.CreateIndirect(frame));
            parent = &host;
        }
        CDialog dlg;
        ASSERT_TRUE(dlg.CreateIndirect(*t, parent));
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
        dlg.ShowWindow(SW_SHOW);
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
