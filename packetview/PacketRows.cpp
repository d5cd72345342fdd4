// Row model of the packet structure dialog.

#include "packetview/PacketRows.h"

#include "core/protocol/PacketData.h"
#include "packetview/Converter.h"

#include <array>
#include <climits>
#include <utility>

namespace {

struct PacketType {
    FieldDescriptor (*getFields)(unsigned int&);
    const char* (*getName)();
    std::size_t size;
};

template <std::size_t... N>
constexpr std::array<PacketType, sizeof...(N)> MakePacketTypes(std::index_sequence<N...>)
{
    return {{{&PacketDataStructure<static_cast<int>(N)>::GetFields,
              &PacketDataStructure<static_cast<int>(N)>::GetName,
              sizeof(PacketDataStructure<static_cast<int>(N)>)}...}};
}

const auto kPacketTypes = MakePacketTypes(std::make_index_sequence<PACKET_DATA_TYPE_COUNT>());

const PacketType* Lookup(int type)
{
    if (!HasPacketDialog(type))
        return nullptr;
    return &kPacketTypes[static_cast<std::size_t>(type)];
}

// Where one row's element lies; the rows of a packet in order.
struct Slot {
    int field;
    int element;
    int offset;
    int elementSize;
    bool array;
    std::type_index type;
};

std::vector<Slot> Layout(const std::vector<FieldDescriptor>& fields, std::size_t available)
{
    std::vector<Slot> slots;
    for (std::size_t i = 0; i < fields.size(); ++i)
    {
        const FieldDescriptor& f = fields[i];
        if (f.count <= 0 || f.size <= 0 || f.offset < 0 || f.size % f.count != 0)
            continue;
        const int elementSize = f.size / f.count;
        for (int j = 0; j < f.count; ++j)
        {
            const long long offset = static_cast<long long>(f.offset) +
                                     static_cast<long long>(elementSize) * j;
            if (offset + elementSize > static_cast<long long>(available))
                break;
            slots.push_back(Slot{static_cast<int>(i), j, static_cast<int>(offset), elementSize,
                                 f.count > 1, f.type});
        }
    }
    return slots;
}

// Only an element as wide as its type's number format is read or written; anything else
// (the text-string type included) has no text and is never touched.
bool Convertible(const Slot& slot)
{
    const std::size_t size = Converter::GetElementSize(slot.type);
    return size != 0 && size == static_cast<std::size_t>(slot.elementSize);
}

} // namespace

bool HasPacketDialog(int type)
{
    return type >= 0 && type < PACKET_DATA_TYPE_COUNT;
}

std::size_t GetPacketStructureSize(int type)
{
    const PacketType* p = Lookup(type);
    return p ? p->size : 0;
}

std::vector<FieldDescriptor> GetPacketFields(int type)
{
    std::vector<FieldDescriptor> fields;
    const PacketType* p = Lookup(type);
    if (!p)
        return fields;
    unsigned int count = UINT_MAX;
    p->getFields(count);
    for (unsigned int i = 0; i < count; ++i)
    {
        unsigned int index = i;
        fields.push_back(p->getFields(index));
    }
    return fields;
}

CString GetPacketCaption(int type)
{
    const PacketType* p = Lookup(type);
    if (!p)
        return CString();
    return CString("Поля структуры ") + p->getName();
}

std::vector<PacketRow> BuildPacketRows(int type, const std::uint8_t* payload,
                                       std::size_t available)
{
    std::vector<PacketRow> rows;
    if (payload == nullptr)
        return rows;
    const std::vector<FieldDescriptor> fields = GetPacketFields(type);
    const std::vector<Slot> slots = Layout(fields, available);
    rows.reserve(slots.size());
    for (std::size_t r = 0; r < slots.size(); ++r)
    {
        const Slot& s = slots[r];
        const FieldDescriptor& f = fields[static_cast<std::size_t>(s.field)];
        PacketRow row;
        row.id = kFirstRowId + static_cast<int>(r);
        row.label = s.array ? StringFormat("%s[%d] =", f.name, s.element)
                            : StringFormat("%s =", f.name);
        if (Convertible(s))
            row.text = Converter::ToString(payload + s.offset, s.type);
        row.comment = StringFormat("// %s", f.comment);
        row.field = s.field;
        row.element = s.element;
        row.offset = s.offset;
        row.type = s.type;
        rows.push_back(std::move(row));
    }
    return rows;
}

int ApplyPacketRows(int type, std::uint8_t* payload, std::size_t available,
                    const std::vector<CString>& texts)
{
    if (payload == nullptr)
        return 0;
    const std::vector<Slot> slots = Layout(GetPacketFields(type), available);
    int refused = 0;
    for (std::size_t r = 0; r < slots.size() && r < texts.size(); ++r)
    {
        const Slot& s = slots[r];
        if (!Convertible(s))
            continue;
        CString text = texts[r];
        if (!Converter::ConvertByType(Converter::TextToValue, text, payload + s.offset, s.type))
            ++refused;
    }
    return refused;
}
