#pragma once
// One entry of a packet's field table: what the packet viewer needs to show and edit a payload
// field without knowing the structure it belongs to.

#include <cstddef>
#include <typeindex>
#include <typeinfo>

struct FieldDescriptor
{
    char name[64] = {};     // field name, zero-terminated
    char comment[128] = {}; // UTF-8 comment (or the name again), zero-terminated
    int offset = 0;         // bytes from data_id
    int size = 0;           // bytes of the whole field, all elements
    int count = 0;          // number of elements; element j lies at offset + (size / count) * j
    // Identity of one element. Wire fields are declared with fixed-width types (a 4-byte field
    // is int32_t / uint32_t, never long), so whatever maps this identity to a format or a
    // storage width gets the width that is really on the wire. The header entry carries void.
    std::type_index type{typeid(void)};
};

// Copies src into a fixed text field of the given capacity (terminating zero included). Text
// that does not fit is cut before the first UTF-8 character that would not fit whole, so the
// field never ends in half a character. Returns the number of bytes copied (without the zero).
std::size_t CopyFieldText(char* dst, std::size_t capacity, const char* src);

template <std::size_t N>
std::size_t CopyFieldText(char (&dst)[N], const char* src)
{
    return CopyFieldText(dst, N, src);
}
