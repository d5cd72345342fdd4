// The service window's log file: the proposed name and the bytes written.

#include "tools/service/ServiceLog.h"

#include "platform/testing/RunFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(ServiceLog, FileNameIsTheLocalTimeWithATwoDigitYear)
{
    struct Case {
        SYSTEMTIME time;
        const char* expected;
    };
    const Case cases[] = {
        {{2026, 12, 2, 8, 9, 5, 41, 7}, "Лог сервера 08.12.26 09.05.txt"},
        {{2000, 1, 6, 1, 0, 0, 0, 0}, "Лог сервера 01.01.00 00.00.txt"},
        {{1999, 10, 0, 31, 23, 59, 59, 999}, "Лог сервера 31.10.99 23.59.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(ServiceLogFileName(c.time), c.expected);
}

TEST(ServiceLog, LinesAreWrittenInOrderWithCrLfAndReplaceAnOldFile)
{
    const RunFolder run("tools_service");
    const std::string path = run.PathOf("written.txt");
    {
        std::ofstream old(path, std::ios::binary);
        old << std::string(5000, 'x');
    }
    std::string error;
    ASSERT_TRUE(WriteServiceLog(path, {"09:05:03.007: Подключение", "", "R 5: FF 01"}, error)) << error;
    EXPECT_EQ(ReadAll(path), "09:05:03.007: Подключение\r\n\r\nR 5: FF 01\r\n");

    ASSERT_TRUE(WriteServiceLog(path, {}, error));
    EXPECT_EQ(ReadAll(path), "");
}

TEST(ServiceLog, AFileThatCannotBeCreatedGivesTheSystemsReason)
{
    const RunFolder run("tools_service");
    const std::string path = run.PathOf("no such folder/log.txt");
    std::string error;
    EXPECT_FALSE(WriteServiceLog(path, {"line"}, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(std::filesystem::exists(path));
}
