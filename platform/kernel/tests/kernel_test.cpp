#include "platform/kernel/CString.h"
#include "platform/kernel/CTime.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/File.h"
#include "platform/kernel/ManualClock.h"
#include "platform/kernel/ProgramFolder.h"
#include "platform/testing/CommaLocale.h"
#include "platform/testing/RunFolder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

TEST(Clock, TickDifferencesSurviveTheWrap)
{
    ManualClock clock(0xFFFFFFF0u);
    SetCurrentClock(&clock);
    const DWORD t0 = GetTickCount();
    Sleep(0x20);
    EXPECT_EQ(GetTickCount() - t0, 0x20u);
    EXPECT_LT(GetTickCount(), t0); // it wrapped
    EXPECT_EQ(clock.Slept(), 0x20u);
    SetCurrentClock(nullptr);
    EXPECT_EQ(&CurrentClock(), &SystemClock());
}

TEST(Clock, ManualLocalTimeRunsWithTheTickCount)
{
    ManualClock clock(0);
    SYSTEMTIME base;
    base.wYear = 2026;
    base.wMonth = 12;
    base.wDay = 8;
    base.wHour = 23;
    base.wMinute = 59;
    base.wSecond = 59;
    base.wMilliseconds = 999;
    clock.SetLocalTime(base);
    clock.Advance(2);
    const SYSTEMTIME t = clock.GetLocalTime();
    EXPECT_EQ(t.wHour, 0);
    EXPECT_EQ(t.wMinute, 0);
    EXPECT_EQ(t.wSecond, 0);
    EXPECT_EQ(t.wMilliseconds, 1);
}

TEST(CString, FormatsInTheCLocaleAndGrowsBeyondSmallBuffers)
{
    CString s;
    s.Format("%d %.2f", 42, 1.5);
    EXPECT_EQ(s, "42 1.50");
    s.AppendFormat("|%s", std::string(1000, 'x').c_str());
    EXPECT_EQ(s.GetLength(), 8 + 1000);
    CString cyr("Подключиться");
    EXPECT_EQ(cyr.GetLength(), 24); // bytes of UTF-8
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("velkaro-file-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST_F(FileTest, CreateTruncatesWritesSeeksAndReadsBack)
{
    const std::string path = (dir_ / "a.bin").string();
    {
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary));
        f.Write("0123456789", 10);
    }
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(f.GetLength(), 0u); // truncated
    f.Seek(30, CFile::begin);     // leave a hole for a header
    f.Write("xy", 2);
    f.SeekToBegin();
    f.Write("HEAD", 4);
    f.Close();

    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead));
    EXPECT_EQ(f.GetLength(), 32u);
    char buf[64] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf), 32u);
    EXPECT_EQ(std::memcmp(buf, "HEAD", 4), 0);
    EXPECT_EQ(buf[4], 0);
    EXPECT_EQ(std::memcmp(buf + 30, "xy", 2), 0);
    EXPECT_EQ(f.Read(buf, sizeof buf), 0u); // end of file
}

TEST_F(FileTest, TextModeStoresEveryLineEndAsCrLfAcrossLargeWrites)
{
    const std::string path = (dir_ / "a.txt").string();
    // Long enough that the translation works in more than one slice, with a line end exactly
    // where a slice ends.
    std::string text(70000, 'x');
    for (std::size_t i = 99; i < text.size(); i += 100) text[i] = '\n';
    text[32767] = '\n';
    text += "Канал A\n\nend";
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n';
    {
        CFile f;
        ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
        f.Write(text.data(), static_cast<UINT>(text.size()));
        EXPECT_EQ(f.GetLength(), text.size() + lines);
    }
    std::string stored(text.size() + lines + 16, '\0');
    CFile f;
    ASSERT_TRUE(f.Open(path.c_str(), CFile::modeRead | CFile::typeBinary));
    stored.resize(f.Read(stored.data(), static_cast<UINT>(stored.size())));
    std::string expected;
    for (char c : text) {
        if (c == '\n') expected += '\r';
        expected += c;
    }
    EXPECT_EQ(stored, expected);

    // A binary file keeps its bytes.
    CFile b;
    ASSERT_TRUE(b.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    b.Write("a\nb", 3);
    EXPECT_EQ(b.GetLength(), 3u);
}

TEST_F(FileTest, FailuresCarryTheSystemMessageCutToTheBuffer)
{
    const std::string path = (dir_ / "missing" / "a.bin").string();
    CFile f;
    CFileException error;
    EXPECT_FALSE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_strFileName, path);
    char message[256];
    ASSERT_TRUE(error.GetErrorMessage(message, sizeof message));
    EXPECT_STREQ(message, std::strerror(ENOENT));
    char tiny[4];
    error.GetErrorMessage(tiny, sizeof tiny);
    EXPECT_EQ(std::strlen(tiny), 3u);

    CFile closed;
    EXPECT_THROW(closed.Write("x", 1), CFileException);
}

TEST_F(FileTest, WriteToAFullDeviceThrows)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    CFile f;
    ASSERT_TRUE(f.Open("/dev/full", CFile::modeWrite));
    try {
        f.Write("x", 1);
        FAIL() << "write to /dev/full succeeded";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::diskFull);
    }
}

TEST(ProgramFolder, IsTheFolderOfTheTestProgram)
{
    const std::string folder = GetProgramFolder();
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(std::filesystem::exists(folder + "/platform_kernel_tests"));
}

TEST(ProgramFolder, UserConfigFolderFollowsXdg)
{
    // A folder of this run alone: two runs side by side must not remove each other's.
    const RunFolder run("kernel");
    const auto base = run.Path() / "xdg";
    ::setenv("XDG_CONFIG_HOME", base.c_str(), 1);
    const std::string folder = GetUserConfigFolder("velkaro");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(folder, (base / "velkaro").string());
    EXPECT_TRUE(IsFolderWritable(folder));
}

TEST(CString, NumbersKeepThePointUnderACommaLocale)
{
    if (EnterCommaLocale().empty())
        GTEST_SKIP() << "no locale with a decimal comma could be had";
    const std::string text = StringFormat("%.1f", 2.5);
    LeaveCommaLocale();
    EXPECT_EQ(text, "2.5");
}

TEST(CTime, FormatsTheClocksLocalTime)
{
    ManualClock clock(0);
    SYSTEMTIME base;
    base.wYear = 2026;
    base.wMonth = 12;
    base.wDay = 8;
    base.wHour = 9;
    base.wMinute = 5;
    base.wSecond = 7;
    clock.SetLocalTime(base);
    SetCurrentClock(&clock);
    const CTime now = CTime::GetCurrentTime();
    SetCurrentClock(nullptr);
    EXPECT_EQ(now.Format("Лог сервера %d.%m.%y %H.%M.txt"), "Лог сервера 08.12.26 09.05.txt");
    EXPECT_EQ(now.Format("%Y-%m-%d %H:%M:%S"), "2026-12-08 09:05:07");
    EXPECT_EQ(now.GetDayOfWeek(), 3);  // a Tuesday
    EXPECT_EQ(now.Format("%a %j"), "Tue 342");
}

TEST(CTime, RollsFieldsOverAndFormatsAnyLength)
{
    struct Case {
        CTime time;
        const char* expected;
    };
    const Case cases[] = {
        {CTime(2026, 12, 31, 23, 59, 60), "01.01.27 00:00:00"},
        {CTime(2024, 2, 30, 0, 0, 0), "01.03.24 00:00:00"},  // a leap year
        {CTime(2026, 13, 1, 24, 0, 0), "02.01.27 00:00:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.time.Format("%d.%m.%y %H:%M:%S"), c.expected);

    const CTime t(2026, 1, 2, 3, 4, 5);
    std::string format;
    for (int i = 0; i < 200; ++i) format += "%Y-%m-%d ";
    EXPECT_EQ(t.Format(format.c_str()).size(), 200u * 11u);
    EXPECT_EQ(t.Format(""), "");
    EXPECT_EQ(t.Format(nullptr), "");
}
