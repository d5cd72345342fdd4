// Recorder file names fitted into their read-outs: the end of the path, which names the file,
// is what must stay readable.

#include "tools/properties/ShortenedPath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One unit per character, whatever its UTF-8 length: a cut inside a character shows up as a
// count that no whole-character text gives, and as invalid UTF-8 in the result.
int Characters(const std::string& text)
{
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

bool ValidUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

}  // namespace

TEST(ShortenedPath, KeepsTheFileNameAndAsMuchOfTheStartAsFits)
{
    struct Case {
        std::string path;
        int width;
        std::string expected;
    };
    const Case cases[] = {
        {"/home/user/rec/a.dat", 40, "/home/user/rec/a.dat"},          // fits: unchanged
        {"/home/user/rec/a.dat", 20, "/home/user/rec/a.dat"},          // exactly
        {"/home/user/records/a.dat", 16, "/home/u.../a.dat"},        // the folders give way
        {"/home/user/records/a.dat", 9, ".../a.dat"},                  // no folder left
        {"/home/user/very_long_name.dat", 10, "...ame.dat"},           // the name's end stays
        {"/записи/канал_А/данные.dat", 16, "/з.../данные.dat"},      // Cyrillic, whole letters
        {"/записи/канал_А/данные.dat", 8, "...е.dat"},
        {"name_without_folder.dat", 10, "...der.dat"},
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        const std::string shown = ShortenPathToWidth(c.path, c.width, Characters);
        EXPECT_EQ(shown, c.expected) << c.path << " in " << c.width;
        EXPECT_LE(Characters(shown), std::max(c.width, 3)) << c.path;
        EXPECT_TRUE(ValidUtf8(shown)) << c.path;
    }
}
