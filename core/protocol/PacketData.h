#pragma once
// Packet types and the payload structure of each. A packet is the part of a frame after the
// length field: the type byte (data_id) followed by the payload, so every structure begins with
// data_id and its size is the frame's length field.
//
// The structures are packed and little-endian exactly as on the wire; most multi-byte fields
// are unaligned, so read and write them through memcpy (or copy the whole structure out of the
// frame buffer first) rather than through a pointer into the buffer.
//
// Each structure describes itself for the packet viewer:
//   GetFields(index)  descriptor of field number index; for index >= the field count the empty
//                     header entry (type void), and index is set to the field count;
//   GetName()         the structure's type name.

#include "core/protocol/FieldDescriptor.h"

#include <cstddef>
#include <cstdint>

// The underlying type is fixed to one byte so that any type byte read from the device can be
// held in a PacketDataId, including values that name no packet.
enum PacketDataId : std::uint8_t
{
    PACKET_DATA_SET_MODE = 0,
    PACKET_DATA_GET_MODE = 1,
    PACKET_DATA_MODE = 2,
    PACKET_DATA_GET_VERSION = 3,
    PACKET_DATA_VERSION = 4,
    PACKET_DATA_BOOTLOADER_INFO = 6,
    PACKET_DATA_FIRMWARE_PAGE = 9,
    PACKET_DATA_DOWNLOAD_STATUS = 10,
    PACKET_DATA_PUSH_BUTTON = 11,
    PACKET_DATA_DRAW_BUFFER = 12,
    PACKET_DATA_SET_REGISTERS = 14,
    PACKET_DATA_CLEAR_REGISTERS = 15,
    PACKET_DATA_WRITE_OSC_CR = 16,
    PACKET_DATA_WRITE_ANALOG_CR = 18,
    PACKET_DATA_REGISTERS = 20,
    PACKET_DATA_GET_STATE = 21,
    PACKET_DATA_STATE = 22,
    PACKET_DATA_GET_CH = 23,
    PACKET_DATA_CH = 24,
    PACKET_DATA_START_CYCLONE = 27,
    PACKET_DATA_SET_OUT_FREQ = 29,
    PACKET_DATA_OUT_FREQ_WRITTEN = 30,
    PACKET_DATA_GET_FREQ_RESPONSE = 31,
    PACKET_DATA_FREQ_RESPONSE = 32,
    PACKET_DATA_GET_STATISTIC = 33,
    PACKET_DATA_STATISTIC = 34,
    PACKET_DATA_CALIBRATION_STEP_DONE = 36,
    PACKET_DATA_CALIBRATION_DATA = 38,
    PACKET_DATA_WRITE_OFFSET_DAC_CMD = 39,
    PACKET_DATA_LA_TEST_WRITE = 41,
    PACKET_DATA_LA_TEST_READ = 42,
    PACKET_DATA_LG_SET_CONFIG = 43,
    PACKET_DATA_LG_SET_DATA = 44,
};

// Packet types run from 0 to 45; a type byte at or above this is no packet of ours.
inline constexpr int PACKET_DATA_TYPE_COUNT = 46;

#pragma pack(push, 1)

// The layout of every packet without payload: only the type byte.
struct PacketDataStructurePre
{
    std::uint8_t data_id;
};

// Packet types with no payload of their own (1, 3, 5, 7, 8, 13, 17, 19, 21, 25, 26, 28, 35,
// 37, 40, 45) use this generic structure; the named types are specialised below.
template <int N>
struct PacketDataStructure : PacketDataStructurePre
{
    static_assert(N >= 0 && N < PACKET_DATA_TYPE_COUNT, "no such packet type");
    static FieldDescriptor GetFields(unsigned int& index);
    static const char* GetName();
};

// Shared by every generic structure.
FieldDescriptor GetGenericPacketFields(unsigned int& index);
const char* GetGenericPacketName();

template <int N>
FieldDescriptor PacketDataStructure<N>::GetFields(unsigned int& index)
{
    return GetGenericPacketFields(index);
}

template <int N>
const char* PacketDataStructure<N>::GetName()
{
    return GetGenericPacketName();
}

#define VELKARO_PACKET_SELF_DESCRIPTION                                                      \
    static FieldDescriptor GetFields(unsigned int& index);                                  \
    static const char* GetName()

template <>
struct PacketDataStructure<PACKET_DATA_SET_MODE>
{
    std::uint8_t data_id;
    std::uint8_t mode_id;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_MODE>
{
    std::uint8_t data_id;
    std::uint8_t mode_id;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_VERSION>
{
    std::uint8_t data_id;
    std::uint8_t version_major;
    std::uint8_t version_minor;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_BOOTLOADER_INFO>
{
    std::uint8_t data_id;
    std::uint16_t features;
    std::uint16_t uc_page_size;
    std::uint8_t uc_version_major;
    std::uint8_t uc_version_minor;
    std::uint16_t pld_page_size;
    std::uint8_t pld_version_major;
    std::uint8_t pld_version_minor;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_FIRMWARE_PAGE>
{
    std::uint8_t data_id;
    std::uint16_t control;
    std::uint16_t page_num;
    std::uint8_t page[256];
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_DOWNLOAD_STATUS>
{
    std::uint8_t data_id;
    std::uint16_t control;
    std::uint16_t page_num;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_PUSH_BUTTON>
{
    std::uint8_t data_id;
    std::uint8_t button_id;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_DRAW_BUFFER>
{
    std::uint8_t data_id;
    std::uint16_t width;
    std::uint16_t height;
    std::uint8_t type;
    std::uint8_t draw_buffer[1064];
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_SET_REGISTERS>
{
    std::uint8_t data_id;
    std::uint16_t osc_cr;
    std::uint16_t analog_cr;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_CLEAR_REGISTERS>
{
    std::uint8_t data_id;
    std::uint16_t osc_cr;
    std::uint16_t analog_cr;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_WRITE_OSC_CR>
{
    std::uint8_t data_id;
    std::uint16_t osc_cr;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_WRITE_ANALOG_CR>
{
    std::uint8_t data_id;
    std::uint16_t analog_cr;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_REGISTERS>
{
    std::uint8_t data_id;
    std::uint16_t osc_sr;
    std::uint16_t osc_cr;
    std::uint16_t analog_cr;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_STATE>
{
    std::uint8_t data_id;
    std::uint16_t osc_sr;
    std::uint16_t osc_cr;
    std::uint16_t analog_cr;
    std::uint32_t first_trig_sample;
    std::uint32_t num_catched_samples;
    std::uint32_t samples_before_trig;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_GET_CH>
{
    std::uint8_t data_id;
    std::int32_t offset;      // смещение во внутреннем буфере, сэмплов
    std::uint32_t buf_offset; // смещение во внешнем буфере - просто записывается в ответный пакет
    std::uint32_t length;     // длина - сэмплов
    std::uint8_t ch;          // канал 0 - A, 1 - B, остальные - ничего
    std::uint8_t min_max;     // минмакс
    std::uint16_t average_length; // длина усреднения
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_CH>
{
    std::uint8_t data_id;
    std::int32_t offset; // все повторяется, кроме самих данных
    std::uint32_t buf_offset;
    std::uint32_t length;
    std::uint8_t ch;
    std::uint8_t min_max;
    std::int8_t ch_data[2029];
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_START_CYCLONE>
{
    std::uint8_t data_id;
    std::uint16_t osc_cr;
    std::int8_t trigger_value;
    std::uint32_t samples_parts;
    std::uint32_t samples;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_SET_OUT_FREQ>
{
    std::uint8_t data_id;
    std::uint32_t freq; // выходная частота = MaxFreq / (freq + 1)
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_OUT_FREQ_WRITTEN>
{
    std::uint8_t data_id;
    std::int32_t result;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_GET_FREQ_RESPONSE>
{
    std::uint8_t data_id;
    std::uint8_t ch;
    std::uint32_t freq;
    std::uint16_t delay;
    std::uint16_t time_ms;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_FREQ_RESPONSE>
{
    std::uint8_t data_id;
    std::uint8_t ch;
    std::uint32_t freq;
    std::int8_t ave;
    std::int8_t min;
    std::int8_t max;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_GET_STATISTIC>
{
    std::uint8_t data_id;
    std::uint16_t analog_cr;
    std::uint16_t delay;
    std::uint32_t t_25ns;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

// The arrays hold channel A at index 0 and channel B at index 1.
template <>
struct PacketDataStructure<PACKET_DATA_STATISTIC>
{
    std::uint8_t data_id;
    std::uint16_t analog_cr;
    std::int8_t ave[2];
    std::int8_t min[2];
    std::int8_t max[2];
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_CALIBRATION_STEP_DONE>
{
    std::uint8_t data_id;
    std::int32_t step;
    std::int32_t num_steps;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_CALIBRATION_DATA>
{
    std::uint8_t data_id;
    std::uint8_t calibration_data_type;
    std::int8_t calibration_data[128];
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_WRITE_OFFSET_DAC_CMD>
{
    std::uint8_t data_id;
    std::uint16_t cmd;
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_LA_TEST_WRITE>
{
    std::uint8_t data_id;
    std::uint8_t digital_B_bus_test; // то, что будет выдаваться на шину B
    std::uint8_t freq_out_test;      // значение на выходе freq_out (нулевой бит)
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_LA_TEST_READ>
{
    std::uint8_t data_id;
    std::uint8_t digital_A_bus;
    std::uint8_t ext_trig; // значение на входе (нулевой бит)
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_LG_SET_CONFIG>
{
    std::uint8_t data_id;
    std::uint8_t ch;         // номер канала
    std::uint8_t bm;         // битовая маска активных цепей ЛГ
    std::uint32_t prediv;    // пределитель частоты (Flg = Flgbase / (prediv + 1))
    std::uint32_t retry;     // количество повторов (0 - цикл)
    std::uint32_t length;    // длина шаблона
    VELKARO_PACKET_SELF_DESCRIPTION;
};

template <>
struct PacketDataStructure<PACKET_DATA_LG_SET_DATA>
{
    std::uint8_t data_id;
    std::uint8_t ch;          // номер канала
    std::uint32_t offset;     // смещение в буфере
    std::uint32_t size;       // длина буфера
    std::uint8_t buffer[251]; // буфер
    VELKARO_PACKET_SELF_DESCRIPTION;
};

#pragma pack(pop)

#undef VELKARO_PACKET_SELF_DESCRIPTION

// ---- Wire layout checks: sizes, and the offset of every field -------------------------------

#define VELKARO_PACKET_SIZE(N, bytes) \
    static_assert(sizeof(PacketDataStructure<N>) == (bytes), "size of packet " #N)
#define VELKARO_PACKET_OFFSET(N, field, at) \
    static_assert(offsetof(PacketDataStructure<N>, field) == (at), "offset of " #N "." #field)

static_assert(sizeof(PacketDataStructurePre) == 1);

VELKARO_PACKET_SIZE(PACKET_DATA_SET_MODE, 2);
VELKARO_PACKET_OFFSET(PACKET_DATA_SET_MODE, mode_id, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_GET_MODE, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_MODE, 2);
VELKARO_PACKET_OFFSET(PACKET_DATA_MODE, mode_id, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_GET_VERSION, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_VERSION, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_VERSION, version_major, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_VERSION, version_minor, 2);
VELKARO_PACKET_SIZE(5, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_BOOTLOADER_INFO, 11);
VELKARO_PACKET_OFFSET(PACKET_DATA_BOOTLOADER_INFO, features, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_BOOTLOADER_INFO, uc_page_size, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_BOOTLOADER_INFO, uc_version_major, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_BOOTLOADER_INFO, uc_version_minor, 6);
VELKARO_PACKET_OFFSET(PACKET_DATA_BOOTLOADER_INFO, pld_page_size, 7);
VELKARO_PACKET_OFFSET(PACKET_DATA_BOOTLOADER_INFO, pld_version_major, 9);
VELKARO_PACKET_OFFSET(PACKET_DATA_BOOTLOADER_INFO, pld_version_minor, 10);
VELKARO_PACKET_SIZE(7, 1);
VELKARO_PACKET_SIZE(8, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_FIRMWARE_PAGE, 261);
VELKARO_PACKET_OFFSET(PACKET_DATA_FIRMWARE_PAGE, control, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_FIRMWARE_PAGE, page_num, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_FIRMWARE_PAGE, page, 5);
VELKARO_PACKET_SIZE(PACKET_DATA_DOWNLOAD_STATUS, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_DOWNLOAD_STATUS, control, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_DOWNLOAD_STATUS, page_num, 3);
VELKARO_PACKET_SIZE(PACKET_DATA_PUSH_BUTTON, 2);
VELKARO_PACKET_OFFSET(PACKET_DATA_PUSH_BUTTON, button_id, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_DRAW_BUFFER, 1070);
VELKARO_PACKET_OFFSET(PACKET_DATA_DRAW_BUFFER, width, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_DRAW_BUFFER, height, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_DRAW_BUFFER, type, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_DRAW_BUFFER, draw_buffer, 6);
VELKARO_PACKET_SIZE(13, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_SET_REGISTERS, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_SET_REGISTERS, osc_cr, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_SET_REGISTERS, analog_cr, 3);
VELKARO_PACKET_SIZE(PACKET_DATA_CLEAR_REGISTERS, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_CLEAR_REGISTERS, osc_cr, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_CLEAR_REGISTERS, analog_cr, 3);
VELKARO_PACKET_SIZE(PACKET_DATA_WRITE_OSC_CR, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_WRITE_OSC_CR, osc_cr, 1);
VELKARO_PACKET_SIZE(17, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_WRITE_ANALOG_CR, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_WRITE_ANALOG_CR, analog_cr, 1);
VELKARO_PACKET_SIZE(19, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_REGISTERS, 7);
VELKARO_PACKET_OFFSET(PACKET_DATA_REGISTERS, osc_sr, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_REGISTERS, osc_cr, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_REGISTERS, analog_cr, 5);
VELKARO_PACKET_SIZE(PACKET_DATA_GET_STATE, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_STATE, 19);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATE, osc_sr, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATE, osc_cr, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATE, analog_cr, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATE, first_trig_sample, 7);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATE, num_catched_samples, 11);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATE, samples_before_trig, 15);
VELKARO_PACKET_SIZE(PACKET_DATA_GET_CH, 17);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_CH, offset, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_CH, buf_offset, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_CH, length, 9);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_CH, ch, 13);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_CH, min_max, 14);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_CH, average_length, 15);
VELKARO_PACKET_SIZE(PACKET_DATA_CH, 2044);
VELKARO_PACKET_OFFSET(PACKET_DATA_CH, offset, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_CH, buf_offset, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_CH, length, 9);
VELKARO_PACKET_OFFSET(PACKET_DATA_CH, ch, 13);
VELKARO_PACKET_OFFSET(PACKET_DATA_CH, min_max, 14);
VELKARO_PACKET_OFFSET(PACKET_DATA_CH, ch_data, 15);
VELKARO_PACKET_SIZE(25, 1);
VELKARO_PACKET_SIZE(26, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_START_CYCLONE, 12);
VELKARO_PACKET_OFFSET(PACKET_DATA_START_CYCLONE, osc_cr, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_START_CYCLONE, trigger_value, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_START_CYCLONE, samples_parts, 4);
VELKARO_PACKET_OFFSET(PACKET_DATA_START_CYCLONE, samples, 8);
VELKARO_PACKET_SIZE(28, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_SET_OUT_FREQ, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_SET_OUT_FREQ, freq, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_OUT_FREQ_WRITTEN, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_OUT_FREQ_WRITTEN, result, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_GET_FREQ_RESPONSE, 10);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_FREQ_RESPONSE, ch, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_FREQ_RESPONSE, freq, 2);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_FREQ_RESPONSE, delay, 6);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_FREQ_RESPONSE, time_ms, 8);
VELKARO_PACKET_SIZE(PACKET_DATA_FREQ_RESPONSE, 9);
VELKARO_PACKET_OFFSET(PACKET_DATA_FREQ_RESPONSE, ch, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_FREQ_RESPONSE, freq, 2);
VELKARO_PACKET_OFFSET(PACKET_DATA_FREQ_RESPONSE, ave, 6);
VELKARO_PACKET_OFFSET(PACKET_DATA_FREQ_RESPONSE, min, 7);
VELKARO_PACKET_OFFSET(PACKET_DATA_FREQ_RESPONSE, max, 8);
VELKARO_PACKET_SIZE(PACKET_DATA_GET_STATISTIC, 9);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_STATISTIC, analog_cr, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_STATISTIC, delay, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_GET_STATISTIC, t_25ns, 5);
VELKARO_PACKET_SIZE(PACKET_DATA_STATISTIC, 9);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATISTIC, analog_cr, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATISTIC, ave, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATISTIC, min, 5);
VELKARO_PACKET_OFFSET(PACKET_DATA_STATISTIC, max, 7);
VELKARO_PACKET_SIZE(35, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_CALIBRATION_STEP_DONE, 9);
VELKARO_PACKET_OFFSET(PACKET_DATA_CALIBRATION_STEP_DONE, step, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_CALIBRATION_STEP_DONE, num_steps, 5);
VELKARO_PACKET_SIZE(37, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_CALIBRATION_DATA, 130);
VELKARO_PACKET_OFFSET(PACKET_DATA_CALIBRATION_DATA, calibration_data_type, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_CALIBRATION_DATA, calibration_data, 2);
VELKARO_PACKET_SIZE(PACKET_DATA_WRITE_OFFSET_DAC_CMD, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_WRITE_OFFSET_DAC_CMD, cmd, 1);
VELKARO_PACKET_SIZE(40, 1);
VELKARO_PACKET_SIZE(PACKET_DATA_LA_TEST_WRITE, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_LA_TEST_WRITE, digital_B_bus_test, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_LA_TEST_WRITE, freq_out_test, 2);
VELKARO_PACKET_SIZE(PACKET_DATA_LA_TEST_READ, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_LA_TEST_READ, digital_A_bus, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_LA_TEST_READ, ext_trig, 2);
VELKARO_PACKET_SIZE(PACKET_DATA_LG_SET_CONFIG, 15);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_CONFIG, ch, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_CONFIG, bm, 2);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_CONFIG, prediv, 3);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_CONFIG, retry, 7);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_CONFIG, length, 11);
VELKARO_PACKET_SIZE(PACKET_DATA_LG_SET_DATA, 261);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_DATA, ch, 1);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_DATA, offset, 2);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_DATA, size, 6);
VELKARO_PACKET_OFFSET(PACKET_DATA_LG_SET_DATA, buffer, 10);
VELKARO_PACKET_SIZE(45, 1);

#undef VELKARO_PACKET_SIZE
#undef VELKARO_PACKET_OFFSET
