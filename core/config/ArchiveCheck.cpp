#include "core/config/ArchiveCheck.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/serialization/throw_exception.hpp>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// The attributes the archive library writes; it rejects others itself, but only after reading
// them.
constexpr std::array<std::string_view, 8> kLibraryAttributes = {
    "signature",  "version",        "class_id",  "class_id_reference",
    "class_name", "tracking_level", "object_id", "object_id_reference",
};

// Attribute values the library writes are numbers, object ids ("_12"), the signature
// "serialization::archive" and export keys such as "DataV1".
constexpr std::size_t kMaxAttributeValueLength = 64;
constexpr std::size_t kMaxAttributes = kLibraryAttributes.size();

// The XML declaration the library writes is under 60 characters.
constexpr std::size_t kMaxDeclarationLength = 128;

// A collection count the library writes is a plain decimal number.
constexpr std::size_t kMaxCountDigits = 10;

constexpr std::array<std::string_view, 5> kNamedReferences = {"lt;", "gt;", "amp;", "quot;", "apos;"};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

bool IsAttributeValueChar(char c)
{
    return c >= 0x20 && c <= 0x7E && c != '<' && c != '>' && c != '&' && c != '"';
}

// One open element.
struct OpenElement {
    std::string_view name;
    std::size_t contentStart = 0;  // just after the start tag
    bool hasChildren = false;
    bool hasCount = false;
    std::uint64_t count = 0;
    std::uint64_t items = 0;
};

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    ArchiveTextFault Run()
    {
        for (char c : text_)
            if (c == '\0') return ArchiveTextFault::Malformed;

        SkipSpace();
        if (Starts("<?xml")) {
            const std::size_t end = text_.find("?>", pos_);
            if (end == std::string_view::npos || end - pos_ > kMaxDeclarationLength) return ArchiveTextFault::Malformed;
            for (std::size_t i = pos_ + 5; i < end; ++i)
                if (text_[i] == '<' || text_[i] == '>') return ArchiveTextFault::Malformed;
            pos_ = end + 2;
            SkipSpace();
        }
        if (Starts("<!DOCTYPE")) {
            pos_ += 9;
            if (!AtSpace()) return ArchiveTextFault::Malformed;
            SkipSpace();
            std::string_view name;
            if (const auto fault = ReadName(name); fault != ArchiveTextFault::None) return fault;
            SkipSpace();
            if (!Take('>')) return ArchiveTextFault::Malformed;
            SkipSpace();
        }
        if (!Starts("<") || pos_ + 1 >= text_.size() || !IsNameStart(text_[pos_ + 1])) return ArchiveTextFault::Malformed;

        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '<') {
                const ArchiveTextFault fault = Starts("</") ? EndTag() : StartTag();
                if (fault != ArchiveTextFault::None) return fault;
                if (stack_.empty()) {
                    // The root is closed: only white space may follow.
                    SkipSpace();
                    return pos_ == text_.size() ? ArchiveTextFault::None : ArchiveTextFault::Malformed;
                }
            } else if (c == '&') {
                if (const auto fault = Reference(); fault != ArchiveTextFault::None) return fault;
            } else {
                ++pos_;
            }
        }
        return ArchiveTextFault::Malformed;  // the text ends inside the root
    }

private:
    bool Starts(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
    bool AtSpace() const { return pos_ < text_.size() && IsSpace(text_[pos_]); }
    void SkipSpace()
    {
        while (AtSpace()) ++pos_;
    }
    bool Take(char c)
    {
        if (pos_ >= text_.size() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }

    ArchiveTextFault ReadName(std::string_view& name)
    {
        if (pos_ >= text_.size() || !IsNameStart(text_[pos_])) return ArchiveTextFault::Malformed;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) {
            ++pos_;
            // Stop counting early: a name of megabytes is refused at its first 33 characters.
            if (pos_ - start > kMaxXmlNameLength) return ArchiveTextFault::NameTooLong;
        }
        name = text_.substr(start, pos_ - start);
        return ArchiveTextFault::None;
    }

    ArchiveTextFault StartTag()
    {
        ++pos_;  // '<'
        OpenElement element;
        if (const auto fault = ReadName(element.name); fault != ArchiveTextFault::None) return fault;

        std::array<std::string_view, kMaxAttributes> seen;
        std::size_t attributes = 0;
        for (;;) {
            const bool spaced = AtSpace();
            SkipSpace();
            if (Take('>')) break;
            // Self-closing tags, comments and the like are nothing the library writes.
            if (!spaced) return ArchiveTextFault::Malformed;
            std::string_view attribute;
            if (const auto fault = ReadName(attribute); fault != ArchiveTextFault::None) return fault;
            bool known = false;
            for (std::string_view library : kLibraryAttributes) known = known || attribute == library;
            for (std::size_t i = 0; i < attributes; ++i)
                if (seen[i] == attribute) return ArchiveTextFault::BadAttribute;
            if (!known || attributes == kMaxAttributes) return ArchiveTextFault::BadAttribute;
            seen[attributes++] = attribute;
            if (!Take('=') || !Take('"')) return ArchiveTextFault::Malformed;
            const std::size_t start = pos_;
            while (pos_ < text_.size() && text_[pos_] != '"') {
                if (!IsAttributeValueChar(text_[pos_]) || pos_ - start >= kMaxAttributeValueLength)
                    return ArchiveTextFault::BadAttribute;
                ++pos_;
            }
            if (!Take('"')) return ArchiveTextFault::Malformed;
        }

        if (stack_.size() >= kMaxXmlDepth) return ArchiveTextFault::TooDeep;
        if (!stack_.empty()) {
            OpenElement& parent = stack_.back();
            parent.hasChildren = true;
            if (element.name == "item") ++parent.items;
        }
        element.contentStart = pos_;
        stack_.push_back(element);
        return ArchiveTextFault::None;
    }

    ArchiveTextFault EndTag()
    {
        const std::size_t contentEnd = pos_;
        pos_ += 2;  // "</"
        std::string_view name;
        if (const auto fault = ReadName(name); fault != ArchiveTextFault::None) return fault;
        SkipSpace();
        if (!Take('>')) return ArchiveTextFault::Malformed;
        if (stack_.empty() || stack_.back().name != name) return ArchiveTextFault::Malformed;

        const OpenElement element = stack_.back();
        stack_.pop_back();
        // A collection's items must all be there: the library reserves room for the count it
        // reads before it reads a single item.
        if (element.hasCount && element.count != element.items) return ArchiveTextFault::BadCount;
        if (element.name == "count" && !stack_.empty()) {
            OpenElement& parent = stack_.back();
            const std::string_view digits = text_.substr(element.contentStart, contentEnd - element.contentStart);
            if (element.hasChildren || parent.hasCount || digits.empty() || digits.size() > kMaxCountDigits)
                return ArchiveTextFault::BadCount;
            std::uint64_t value = 0;
            for (char c : digits) {
                if (c < '0' || c > '9') return ArchiveTextFault::BadCount;
                value = value * 10 + static_cast<std::uint64_t>(c - '0');
            }
            parent.hasCount = true;
            parent.count = value;
        }
        return ArchiveTextFault::None;
    }

    ArchiveTextFault Reference()
    {
        if (stack_.empty()) return ArchiveTextFault::Malformed;
        ++pos_;  // '&'
        for (std::string_view reference : kNamedReferences) {
            if (Starts(reference)) {
                pos_ += reference.size();
                return ArchiveTextFault::None;
            }
        }
        return ArchiveTextFault::BadReference;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::vector<OpenElement> stack_;
};

}  // namespace

ArchiveTextFault CheckArchiveText(std::string_view text, std::size_t maxBytes)
{
    if (text.size() > maxBytes) return ArchiveTextFault::TooLarge;
    return Scanner(text).Run();
}

void RequireArchiveText(std::string_view text, std::size_t maxBytes)
{
    if (CheckArchiveText(text, maxBytes) != ArchiveTextFault::None)
        boost::serialization::throw_exception(
            boost::archive::archive_exception(boost::archive::archive_exception::input_stream_error));
}
