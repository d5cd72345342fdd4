#include "core/config/ArchiveCheck.h"
#include "core/config/ConfigHolder.h"
#include "core/config/ConfigSections.h"

#include <boost/archive/archive_exception.hpp>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string Repeat(const std::string& s, std::size_t n)
{
    std::string out;
    out.reserve(s.size() * n);
    for (std::size_t i = 0; i < n; ++i) out += s;
    return out;
}

// A small archive in the library's own layout, with `body` inside the root element.
std::string Archive(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
           "<!DOCTYPE boost_serialization>\n"
           "<boost_serialization signature=\"serialization::archive\" version=\"18\">\n" +
           body + "\n</boost_serialization>\n";
}

std::string Nested(std::size_t depth)
{
    return Repeat("<a>", depth) + "1" + Repeat("</a>", depth);
}

struct Case {
    const char* what;
    std::string text;
    ArchiveTextFault expected;
};

TEST(ArchiveCheck, AcceptsTheLibrarysLayoutAndRefusesEverythingElse)
{
    const std::string name32(kMaxXmlNameLength, 'n');
    const std::string name33(kMaxXmlNameLength + 1, 'n');
    const Case cases[] = {
        {"minimal", Archive("<x>1</x>"), ArchiveTextFault::None},
        {"no prolog", "<root><x>1</x></root>", ArchiveTextFault::None},
        {"references", Archive("<s>&lt;a&gt; &amp; &quot;b&quot; &apos;c&apos; Канал</s>"), ArchiveTextFault::None},
        {"collection", Archive("<v><count>2</count><item_version>0</item_version><item>1</item><item>2</item></v>"),
         ArchiveTextFault::None},
        {"empty collection", Archive("<v><count>0</count></v>"), ArchiveTextFault::None},
        {"attributes", Archive("<o class_id=\"3\" tracking_level=\"0\" version=\"2\"><p class_id_reference=\"3\" object_id=\"_1\">1</p></o>"),
         ArchiveTextFault::None},
        {"name at the cap", Archive("<" + name32 + ">1</" + name32 + ">"), ArchiveTextFault::None},
        {"depth at the cap", "<r>" + Nested(kMaxXmlDepth - 1) + "</r>", ArchiveTextFault::None},

        {"empty", "", ArchiveTextFault::Malformed},
        {"only a prolog", "<?xml version=\"1.0\"?>", ArchiveTextFault::Malformed},
        {"text", "settings", ArchiveTextFault::Malformed},
        {"unclosed root", "<r><x>1</x>", ArchiveTextFault::Malformed},
        {"mismatched close", Archive("<x>1</y>"), ArchiveTextFault::Malformed},
        {"close without open", "<r></x></r>", ArchiveTextFault::Malformed},
        {"two roots", "<r>1</r><r>2</r>", ArchiveTextFault::Malformed},
        {"text after the root", "<r>1</r>tail", ArchiveTextFault::Malformed},
        {"self-closing", Archive("<x/>"), ArchiveTextFault::Malformed},
        {"comment", Archive("<!-- note --><x>1</x>"), ArchiveTextFault::Malformed},
        {"cdata", Archive("<x><![CDATA[1]]></x>"), ArchiveTextFault::Malformed},
        {"processing instruction", Archive("<?pi x?>"), ArchiveTextFault::Malformed},
        {"nul byte", Archive(std::string("<x>1\0</x>", 9)), ArchiveTextFault::Malformed},
        {"unterminated declaration", "<?xml version=\"1.0\" <r>1</r>", ArchiveTextFault::Malformed},
        {"digit starts a name", Archive("<1x>1</1x>"), ArchiveTextFault::Malformed},
        {"unquoted attribute", Archive("<x version=2>1</x>"), ArchiveTextFault::Malformed},
        {"attribute glued to name", "<r version=\"1\"class_id=\"2\">1</r>", ArchiveTextFault::Malformed},

        {"long element name", Archive("<" + name33 + ">1</" + name33 + ">"), ArchiveTextFault::NameTooLong},
        {"long closing tag", Archive("<first>osc</first" + std::string(50000, 'A') + ">"), ArchiveTextFault::NameTooLong},
        {"long attribute name", Archive("<x " + name33 + "=\"1\">1</x>"), ArchiveTextFault::NameTooLong},
        {"long root", "<" + std::string(100000, 'r') + ">", ArchiveTextFault::NameTooLong},

        {"one level too deep", "<r>" + Nested(kMaxXmlDepth) + "</r>", ArchiveTextFault::TooDeep},
        {"very deep", "<r>" + Nested(100000) + "</r>", ArchiveTextFault::TooDeep},

        {"unknown attribute", Archive("<x colour=\"red\">1</x>"), ArchiveTextFault::BadAttribute},
        {"repeated attribute", Archive("<x version=\"1\" version=\"2\">1</x>"), ArchiveTextFault::BadAttribute},
        {"long attribute value", Archive("<x version=\"" + std::string(65, '9') + "\">1</x>"), ArchiveTextFault::BadAttribute},
        {"markup in a value", Archive("<x class_name=\"a<b\">1</x>"), ArchiveTextFault::BadAttribute},

        {"numeric reference", Archive("<x>&#60;</x>"), ArchiveTextFault::BadReference},
        {"unknown reference", Archive("<x>&nbsp;</x>"), ArchiveTextFault::BadReference},
        {"bare ampersand", Archive("<x>a & b</x>"), ArchiveTextFault::BadReference},

        {"count above the items", Archive("<v><count>4294967295</count><item>1</item></v>"), ArchiveTextFault::BadCount},
        {"count below the items", Archive("<v><count>1</count><item>1</item><item>2</item></v>"), ArchiveTextFault::BadCount},
        {"count not a number", Archive("<v><count>-1</count></v>"), ArchiveTextFault::BadCount},
        {"count too long", Archive("<v><count>00000000001</count><item>1</item></v>"), ArchiveTextFault::BadCount},
        {"empty count", Archive("<v><count></count></v>"), ArchiveTextFault::BadCount},
        {"two counts", Archive("<v><count>0</count><count>0</count></v>"), ArchiveTextFault::BadCount},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckArchiveText(c.text, 1u << 20), c.expected) << c.what;
}

TEST(ArchiveCheck, SizeCapComesFirst)
{
    const std::string text = Archive("<x>1</x>");
    EXPECT_EQ(CheckArchiveText(text, text.size()), ArchiveTextFault::None);
    EXPECT_EQ(CheckArchiveText(text, text.size() - 1), ArchiveTextFault::TooLarge);
    // Garbage beyond the cap is not even looked at.
    EXPECT_EQ(CheckArchiveText(std::string(1000, '\0'), 999), ArchiveTextFault::TooLarge);

    EXPECT_NO_THROW(RequireArchiveText(text, text.size()));
    EXPECT_THROW(RequireArchiveText(text, 10), boost::archive::archive_exception);
    EXPECT_THROW(RequireArchiveText("<r>", 10), boost::archive::archive_exception);
}

TEST(ArchiveCheck, EverythingTheStoreWritesPasses)
{
    ConfigSections.clear();
    // Markup, quotes and Cyrillic inside sections are escaped once more in the file.
    StoreSection("osc", Archive("<x>&lt;&quot;Стоп&quot;&gt;</x>"));
    StoreSection("data_v1", "");
    StoreSection("data_v5_common", std::string(1000, '\''));
    std::ostringstream file;
    WriteConfigArchive(file);
    EXPECT_EQ(CheckArchiveText(file.str(), kMaxConfigFileBytes), ArchiveTextFault::None) << file.str();

    ConfigSections.clear();
    std::ostringstream empty;
    WriteConfigArchive(empty);
    EXPECT_EQ(CheckArchiveText(empty.str(), kMaxConfigFileBytes), ArchiveTextFault::None) << empty.str();
}

}  // namespace
