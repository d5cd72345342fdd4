#pragma once
// Turns one payload element into the text the packet viewer shows, and the edited text back
// into the element. The element's type identity (as a field table records it) chooses the
// format. Elements are addressed through plain byte pointers: payload fields are packed and
// mostly unaligned, so every access goes through memcpy.

#include "platform/kernel/CString.h"

#include <cstddef>
#include <typeindex>

class Converter {
public:
    enum Direction {
        ValueToText, // the text becomes the formatted element
        TextToValue, // the text is parsed into the element
    };

    // Number of entries in the format table (type codes 0 .. kTypeCount - 1).
    static constexpr int kTypeCount = 13;

    // The format of type code 0..12; an empty text for any other code.
    static const char* GetFormat(int code);

    // The type code whose identity equals the given one, the codes tried in order; -1 when
    // the type is not in the table.
    static int GetTypeCode(const std::type_index& type);

    // Bytes one element of the type occupies; 0 when the type is not in the table.
    static std::size_t GetElementSize(const std::type_index& type);

    // Converts between text and the element at `element` in the given direction. False, and
    // nothing changed, when the type is not in the table, or (text to value) when the text is
    // not a number of the element's kind; the element then keeps its old value.
    static bool ConvertByType(Direction direction, CString& text, void* element,
                              const std::type_index& type);

    // The display text of an element. The text-string type (CString) gives a copy of the
    // string the address points at; a type outside the table gives an empty text.
    static CString ToString(const void* element, const std::type_index& type);

private:
    static CString Format(const void* element, int code);
    static bool Parse(const CString& text, void* element, int code);
};
