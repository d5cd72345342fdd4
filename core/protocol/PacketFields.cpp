// Field tables and type names of the packet structures.
//
// Every table entry is taken from the structure member itself (offsetof, sizeof, element type),
// so a table can only disagree with the wire layout by listing the wrong members or the wrong
// order, which the tests check. Tables are plain local constants: nothing is cached or shared,
// so the lookups are re-entrant and need no lock.

#include "core/protocol/PacketData.h"

#include <cstring>
#include <type_traits>

std::size_t CopyFieldText(char* dst, std::size_t capacity, const char* src)
{
    if (capacity == 0)
        return 0;
    const std::size_t length = src ? std::strlen(src) : 0;
    std::size_t n = length;
    if (n > capacity - 1)
    {
        n = capacity - 1;
        // Byte n is the first one left out; while it continues a character, that character
        // started inside the kept part and must go too.
        while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80)
            --n;
    }
    if (n > 0)
        std::memcpy(dst, src, n);
    dst[n] = '\0';
    return n;
}

namespace {

struct FieldEntry
{
    const char* name;
    const char* comment; // nullptr: the comment is the name
    std::size_t offset;
    std::size_t size;
    std::size_t count;
    const std::type_info* type;
};

template <typename Member>
using ElementOf = std::remove_cv_t<std::remove_all_extents_t<Member>>;

FieldDescriptor Describe(const FieldEntry& entry)
{
    FieldDescriptor d;
    CopyFieldText(d.name, entry.name);
    CopyFieldText(d.comment, entry.comment ? entry.comment : entry.name);
    d.offset = static_cast<int>(entry.offset);
    d.size = static_cast<int>(entry.size);
    d.count = static_cast<int>(entry.count);
    d.type = std::type_index(*entry.type);
    return d;
}

template <std::size_t K>
FieldDescriptor Pick(const FieldEntry (&table)[K], unsigned int& index)
{
    if (index >= K)
    {
        index = static_cast<unsigned int>(K);
        return FieldDescriptor{};
    }
    return Describe(table[index]);
}

} // namespace

// S names the structure whose member is described.
#define FIELD_C(member, text)                                                                \
    FieldEntry                                                                                \
    {                                                                                        \
        #member, text, offsetof(S, member), sizeof(S::member),                               \
            sizeof(S::member) / sizeof(ElementOf<decltype(S::member)>),                      \
            &typeid(ElementOf<decltype(S::member)>)                                          \
    }
#define FIELD(member) FIELD_C(member, nullptr)

#define PACKET_NAME(ID)                                                                      \
    const char* PacketDataStructure<ID>::GetName()                                           \
    {                                                                                        \
        return "PacketDataStructure<" #ID ">";                                               \
    }

#define PACKET_FIELDS(ID, ...)                                                               \
    PACKET_NAME(ID)                                                                          \
    FieldDescriptor PacketDataStructure<ID>::GetFields(unsigned int& index)                  \
    {                                                                                        \
        using S = PacketDataStructure<ID>;                                                   \
        const FieldEntry table[] = {__VA_ARGS__};                                             \
        return Pick(table, index);                                                           \
    }

// Two packet types with one layout answer from one table.
#define PACKET_FIELDS_AS(ID, OTHER)                                                          \
    PACKET_NAME(ID)                                                                          \
    FieldDescriptor PacketDataStructure<ID>::GetFields(unsigned int& index)                  \
    {                                                                                        \
        return PacketDataStructure<OTHER>::GetFields(index);                                 \
    }

FieldDescriptor GetGenericPacketFields(unsigned int& index)
{
    using S = PacketDataStructurePre;
    const FieldEntry table[] = {FIELD(data_id)};
    return Pick(table, index);
}

const char* GetGenericPacketName()
{
    return "PacketDataStructurePre";
}

PACKET_FIELDS(PACKET_DATA_SET_MODE, FIELD(mode_id))
PACKET_FIELDS_AS(PACKET_DATA_MODE, PACKET_DATA_SET_MODE)

PACKET_FIELDS(PACKET_DATA_VERSION, FIELD(version_major), FIELD(version_minor))

PACKET_FIELDS(PACKET_DATA_BOOTLOADER_INFO,
              FIELD(features),
              FIELD(uc_page_size),
              FIELD(uc_version_major),
              FIELD(uc_version_minor),
              FIELD(pld_page_size),
              FIELD(pld_version_major),
              FIELD(pld_version_minor))

PACKET_FIELDS(PACKET_DATA_FIRMWARE_PAGE, FIELD(control), FIELD(page_num), FIELD(page))

PACKET_FIELDS(PACKET_DATA_DOWNLOAD_STATUS, FIELD(control), FIELD(page_num))

PACKET_FIELDS(PACKET_DATA_PUSH_BUTTON, FIELD(button_id))

PACKET_FIELDS(PACKET_DATA_DRAW_BUFFER, FIELD(width), FIELD(height), FIELD(type), FIELD(draw_buffer))

PACKET_FIELDS(PACKET_DATA_SET_REGISTERS, FIELD(osc_cr), FIELD(analog_cr))
PACKET_FIELDS_AS(PACKET_DATA_CLEAR_REGISTERS, PACKET_DATA_SET_REGISTERS)

PACKET_FIELDS(PACKET_DATA_WRITE_OSC_CR, FIELD(osc_cr))

PACKET_FIELDS(PACKET_DATA_WRITE_ANALOG_CR, FIELD(analog_cr))

PACKET_FIELDS(PACKET_DATA_REGISTERS, FIELD(osc_sr), FIELD(osc_cr), FIELD(analog_cr))

PACKET_FIELDS(PACKET_DATA_STATE,
              FIELD(osc_sr),
              FIELD(osc_cr),
              FIELD(analog_cr),
              FIELD(first_trig_sample),
              FIELD(num_catched_samples),
              FIELD(samples_before_trig))

PACKET_FIELDS(PACKET_DATA_GET_CH,
              FIELD_C(offset, "смещение во внутреннем буфере, сэмплов"),
              FIELD_C(buf_offset, "смещение во внешнем буфере - просто записывается в ответный пакет"),
              FIELD_C(length, "длина - сэмплов"),
              FIELD_C(ch, "канал 0 - A, 1 - B, остальные - ничего"),
              FIELD_C(min_max, "минмакс"),
              FIELD_C(average_length, "длина усреднения"))

PACKET_FIELDS(PACKET_DATA_CH,
              FIELD_C(offset, "все повторяется, кроме самих данных"),
              FIELD(buf_offset),
              FIELD(length),
              FIELD(ch),
              FIELD(min_max),
              FIELD(ch_data))

PACKET_FIELDS(PACKET_DATA_START_CYCLONE,
              FIELD(osc_cr),
              FIELD(trigger_value),
              FIELD(samples_parts),
              FIELD(samples))

PACKET_FIELDS(PACKET_DATA_SET_OUT_FREQ, FIELD_C(freq, "выходная частота = MaxFreq / (freq + 1)"))

PACKET_FIELDS(PACKET_DATA_OUT_FREQ_WRITTEN, FIELD(result))

PACKET_FIELDS(PACKET_DATA_GET_FREQ_RESPONSE, FIELD(ch), FIELD(freq), FIELD(delay), FIELD(time_ms))

PACKET_FIELDS(PACKET_DATA_FREQ_RESPONSE, FIELD(ch), FIELD(freq), FIELD(ave), FIELD(min), FIELD(max))

PACKET_FIELDS(PACKET_DATA_GET_STATISTIC, FIELD(analog_cr), FIELD(delay), FIELD(t_25ns))

PACKET_FIELDS(PACKET_DATA_STATISTIC, FIELD(analog_cr), FIELD(ave), FIELD(min), FIELD(max))

PACKET_FIELDS(PACKET_DATA_CALIBRATION_STEP_DONE, FIELD(step), FIELD(num_steps))

PACKET_FIELDS(PACKET_DATA_CALIBRATION_DATA, FIELD(calibration_data_type), FIELD(calibration_data))

PACKET_FIELDS(PACKET_DATA_WRITE_OFFSET_DAC_CMD, FIELD(cmd))

PACKET_FIELDS(PACKET_DATA_LA_TEST_WRITE,
              FIELD_C(digital_B_bus_test, "то, что будет выдаваться на шину B"),
              FIELD_C(freq_out_test, "значение на выходе freq_out (нулевой бит)"))

PACKET_FIELDS(PACKET_DATA_LA_TEST_READ,
              FIELD(digital_A_bus),
              FIELD_C(ext_trig, "значение на входе (нулевой бит)"))

PACKET_FIELDS(PACKET_DATA_LG_SET_CONFIG,
              FIELD_C(ch, "номер канала"),
              FIELD_C(bm, "битовая маска активных цепей ЛГ"),
              FIELD_C(prediv, "пределитель частоты (Flg = Flgbase / (prediv + 1))"),
              FIELD_C(retry, "количество повторов (0 - цикл)"),
              FIELD_C(length, "длина шаблона"))

PACKET_FIELDS(PACKET_DATA_LG_SET_DATA,
              FIELD_C(ch, "номер канала"),
              FIELD_C(offset, "смещение в буфере"),
              FIELD_C(size, "длина буфера"),
              FIELD_C(buffer, "буфер"))
