// Links open through xdg-open with the target as one argument and no shell between; a fake
// launcher on PATH records what it was given into a FIFO the test waits on.

#include "platform/ui/ShellOpen.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class LauncherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("velkaro-launcher-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fifo_ = (dir_ / "argv").string();
        ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
        // Each argument on a line of its own, framed, so that splitting would show.
        const fs::path fake = dir_ / "xdg-open";
        std::ofstream(fake) << "#!/bin/sh\n"
                               "{ echo \"argc=$#\"; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > '"
                            << fifo_ << "'\n";
        fs::permissions(fake, fs::perms::owner_all);
        const char* old = std::getenv("PATH");
        oldPath_ = old != nullptr ? old : "";
        ::setenv("PATH", (dir_.string() + ":" + oldPath_).c_str(), 1);
        // Opened before any launch so that the writer never blocks for want of a reader.
        fd_ = ::open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(fd_, 0);
    }
    void TearDown() override
    {
        if (fd_ >= 0) ::close(fd_);
        ::setenv("PATH", oldPath_.c_str(), 1);
        fs::remove_all(dir_);
    }
    // What the launcher wrote, once it has closed the FIFO (or after a generous time-out).
    std::string Recorded()
    {
        std::string out;
        char buffer[512];
        bool sawData = false;
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20000) <= 0) break;
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n > 0) {
                out.append(buffer, static_cast<std::size_t>(n));
                sawData = true;
            } else if (n == 0 && sawData) {
                break;  // the writer is done
            } else if (n == 0) {
                // No writer yet: wait for one by reopening blocking-free after a poll round.
                pollfd q{fd_, POLLIN, 0};
                if (::poll(&q, 1, 20000) <= 0) break;
            }
        }
        return out;
    }

    fs::path dir_;
    std::string fifo_;
    std::string oldPath_;
    int fd_ = -1;
};

TEST_F(LauncherTest, TargetWithShellCharactersIsOneArgument)
{
    const std::string target = "https://example.org/a b;echo x $(id)`id`&q='1'";
    ASSERT_TRUE(ShellOpenUrl(target));
    EXPECT_EQ(Recorded(), "argc=1\n[" + target + "]\n");
}

TEST_F(LauncherTest, RefusedTargetsStartNothing)
{
    const std::string tooLong = "http://example.org/" + std::string(2048, 'a');
    for (const std::string& bad : {std::string(""), std::string("-h"), std::string("file:///etc/passwd"),
                                   std::string("javascript:alert(1)"), std::string("/usr/bin/id"),
                                   std::string("http://a\nb"), std::string("http://a\x7f"), std::string("http://"),
                                   std::string("mailto:"), std::string("--help http://x"), tooLong}) {
        EXPECT_FALSE(IsOpenableUrl(bad)) << bad;
        EXPECT_FALSE(ShellOpenUrl(bad)) << bad;
    }
    for (const char* good : {"http://a", "HTTPS://Example.org/x?y=1", "ftp://files.example.org/f", "mailto:someone@example.org"})
        EXPECT_TRUE(IsOpenableUrl(good)) << good;
    // The next launch is the only one the fake ever saw.
    ASSERT_TRUE(ShellOpenUrl("mailto:someone@example.org"));
    EXPECT_EQ(Recorded(), "argc=1\n[mailto:someone@example.org]\n");
}

TEST_F(LauncherTest, MissingLauncherIsReportedNotThrown)
{
    ::setenv("PATH", "/nonexistent-velkaro", 1);
    EXPECT_FALSE(ShellOpen("https://example.org/"));
}

}  // namespace
