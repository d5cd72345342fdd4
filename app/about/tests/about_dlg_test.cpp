// The About box: the version compiled into the program, the change history, and how it looks.

#include "app/about/AboutDlg.h"
#include "app/icons/VelkaroIcons.h"
#include "platform/ui/testing/UiTest.h"
#include "resources/Resources.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

class AboutDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::EnsureApplication();
        ASSERT_TRUE(RegisterVelkaroResources());
        ASSERT_TRUE(RegisterVelkaroIcons());
    }
    void TearDown() override { uihooks::ClearModalHandlers(); }
};

TEST_F(AboutDlgTest, TheVersionIsTheBuildsInFourNumbers)
{
    const std::string version = CAboutDlg::GetVersionText();
    EXPECT_TRUE(std::regex_match(version, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+"))) << version;
    EXPECT_EQ(CAboutDlg::GetVersionLine(), "Velkaro Версия " + version + "\nBrelvin");
}

TEST_F(AboutDlgTest, TheHistoryListsReleasesNewestFirst)
{
    const std::string history = CAboutDlg::GetChangeHistory();
    EXPECT_EQ(history.rfind("Velkaro\r\n", 0), 0u);
    // Each release block: "Версия <number>", then "Основные изменения:", then items 1., 2., ...
    const std::regex block("Версия ([0-9.]+)\r\nОсновные изменения:\r\n((?:[0-9]+\\. [^\r\n]+\r\n)+)");
    int blocks = 0;
    std::string first;
    for (auto it = std::sregex_iterator(history.begin(), history.end(), block); it != std::sregex_iterator(); ++it) {
        if (blocks++ == 0) first = (*it)[1];
        const std::string items = (*it)[2];
        int expected = 1;
        const std::regex item("([0-9]+)\\. ");
        for (auto i = std::sregex_iterator(items.begin(), items.end(), item); i != std::sregex_iterator(); ++i) {
            if ((*i).position() != 0 && items[static_cast<std::size_t>((*i).position()) - 1] != '\n') continue;
            EXPECT_EQ(std::stoi((*i)[1]), expected++);
        }
    }
    EXPECT_GE(blocks, 1);
    EXPECT_EQ(first, CAboutDlg::GetVersionText()) << "the newest block is this build";
    EXPECT_EQ(history.find('\n'), history.find("\r\n") + 1) << "CR LF line ends";
    EXPECT_LE(history.size(), 2200u);
}

TEST_F(AboutDlgTest, TheBoxShowsTheTextsAndClosesWithOk)
{
    CAboutDlg dialog;
    CString version;
    CString history;
    bool icon = false;
    uitest::OnNextModal([&](uihooks::ModalContext& m) {
        m.window->GetDlgItem(CAboutDlg::IDC_VERSION)->GetWindowText(version);
        m.window->GetDlgItem(CAboutDlg::IDC_HISTORY)->GetWindowText(history);
        icon = static_cast<CStatic*>(m.window->GetDlgItem(CAboutDlg::IDC_ICON))->GetIcon() != 0;
        EXPECT_TRUE(uitest::RenderToPng(m.window, uitest::OutputPath("about.png")));
        uitest::Click(m.window->GetDlgItem(IDOK));
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(std::string(version), CAboutDlg::GetVersionLine());
    EXPECT_EQ(std::string(history), CAboutDlg::GetChangeHistory());
    EXPECT_TRUE(icon);
}

}  // namespace
