#pragma once
// What the packet structure dialog shows for one packet, without the window: one row per
// element of every field of the packet's payload structure, in field-table order, each with
// its label, the value as text and the field's comment. The dialog puts row r's edit box under
// id kFirstRowId + r and, on OK, hands the edited texts back to ApplyPacketRows in row order.
//
// The payload starts at data_id (byte 3 of a frame) and is edited in place. Every element is
// checked against the bytes the caller says are there before it is read or written.

#include "core/protocol/FieldDescriptor.h"
#include "platform/kernel/CString.h"

#include <cstddef>
#include <cstdint>
#include <typeindex>
#include <vector>

struct PacketRow {
    int id = 0;          // the row's edit box: kFirstRowId + row number
    CString label;       // "name =" or, for an array element, "name[j] ="
    CString text;        // the element's value (Converter::ToString)
    CString comment;     // "// comment"
    int field = 0;       // index in the field table
    int element = 0;     // element index within the field
    int offset = 0;      // bytes from data_id to the element
    std::type_index type{typeid(void)};
};

inline constexpr int kFirstRowId = 256;

// True for the packet types the viewer knows (0..45).
bool HasPacketDialog(int type);

// Size of the payload structure of a known type (its frame length); 0 for any other type.
std::size_t GetPacketStructureSize(int type);

// The field table of a known type, in order; empty for any other type.
std::vector<FieldDescriptor> GetPacketFields(int type);

// The dialog caption: "Поля структуры " and the structure's type name; empty for an unknown type.
CString GetPacketCaption(int type);

// The rows of a packet of the given type over `available` bytes of payload. Elements that do
// not lie wholly within those bytes are left out. No rows for an unknown type.
std::vector<PacketRow> BuildPacketRows(int type, const std::uint8_t* payload,
                                       std::size_t available);

// Writes the edited texts back, texts[r] into the element of row r. A text that does not parse
// for its element keeps the old value; so do rows without a text and rows whose type has no
// number format. Returns the number of rows whose text was refused.
int ApplyPacketRows(int type, std::uint8_t* payload, std::size_t available,
                    const std::vector<CString>& texts);
