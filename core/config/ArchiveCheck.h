#pragma once
// A strict look at an XML archive text before the archive library reads it.
//
// The library's XML reader trusts its input: a closing tag longer than the element it expects
// makes it read past the expected name (a long enough one kills the program), and a collection
// count is taken at its word before the items are there. So every archive text we read - the
// settings file and each of its sections - passes this check first, and a text that fails is
// treated like any other damaged archive. The check accepts what the archive library writes and
// little else: one root element, balanced tags, names and nesting no longer and deeper than the
// program writes, the library's own attributes, the five named character references, and
// collection counts that match the items that follow them. The element name "count" is kept for
// the library's collection counts: an object must not store a value under that name.

#include <boost/archive/basic_archive.hpp>

#include <cstddef>
#include <string_view>

// The settings file holds eleven sections (the main window's, and per device variant the
// model's and the window's), each escaped once more inside the file. A complete file written by
// the program is a few tens of kilobytes; the caps leave ample room and refuse anything that
// could not have come from it.
inline constexpr std::size_t kMaxSectionBytes = std::size_t{256} * 1024;
inline constexpr std::size_t kMaxConfigFileBytes = std::size_t{8} * 1024 * 1024;

// The longest element name the program writes is "not_hide_trigger_offset" (23), the longest
// attribute "class_id_reference" (18); the margin leaves room for new elements.
inline constexpr std::size_t kMaxXmlNameLength = 32;

// The deepest nesting the program writes is about a dozen (a decoder page's net combo inside
// the logic analyser inside the main window's section).
inline constexpr std::size_t kMaxXmlDepth = 32;

// Archives are read without the library's own closing-tag check: that check is what reads out
// of bounds, and CheckArchiveText has already proven every closing tag to match its opening one.
inline constexpr unsigned kArchiveReadFlags = boost::archive::no_xml_tag_checking;

enum class ArchiveTextFault {
    None,
    TooLarge,       // longer than the cap
    Malformed,      // not the shape the archive library writes
    NameTooLong,    // an element or attribute name beyond kMaxXmlNameLength
    TooDeep,        // nesting beyond kMaxXmlDepth
    BadAttribute,   // an attribute the library does not write, or an odd value
    BadReference,   // '&' that does not start one of the five named references
    BadCount,       // a collection count that differs from the number of items
};

// Checks `text` as an archive of at most `maxBytes` bytes. The size is looked at first, so an
// oversized text is refused without being scanned.
ArchiveTextFault CheckArchiveText(std::string_view text, std::size_t maxBytes);

// The same, throwing the archive library's input_stream_error when the text is refused, so that
// callers handle it like any other archive error.
void RequireArchiveText(std::string_view text, std::size_t maxBytes);
