#include "core/protocol/PacketData.h"
#include "core/protocol/PacketFrame.h"

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <climits>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Every packet type reachable by its number at run time, the way the viewer and the tests
// need it.
struct PacketInfo
{
    FieldDescriptor (*getFields)(unsigned int&);
    const char* (*getName)();
    std::size_t size;
};

template <int... N>
std::array<PacketInfo, sizeof...(N)> MakePacketInfos(std::integer_sequence<int, N...>)
{
    return {{{&PacketDataStructure<N>::GetFields, &PacketDataStructure<N>::GetName,
              sizeof(PacketDataStructure<N>)}...}};
}

const std::array<PacketInfo, PACKET_DATA_TYPE_COUNT>& Packets()
{
    static const auto infos =
        MakePacketInfos(std::make_integer_sequence<int, PACKET_DATA_TYPE_COUNT>{});
    return infos;
}

std::vector<FieldDescriptor> FieldsOf(int type)
{
    unsigned int count = UINT_MAX;
    Packets()[type].getFields(count);
    std::vector<FieldDescriptor> fields;
    for (unsigned int i = 0; i < count; ++i)
    {
        unsigned int index = i;
        fields.push_back(Packets()[type].getFields(index));
        EXPECT_EQ(index, i) << "a valid index must come back unchanged";
    }
    return fields;
}

// Wire lengths of every packet type, from data_id on.
constexpr std::array<std::size_t, PACKET_DATA_TYPE_COUNT> kWireSize = {
    2, 1, 2,   1, 3, 1, 11, 1, 1,  261, 5, 2, 1070, 1, 5, 5, 3, 1,  3,  1, 7,   1,  19,
    17, 2044, 1, 1, 12, 1, 5, 5, 10, 9, 9, 9,    1, 9, 1, 130, 3, 1, 3, 3, 15, 261, 1};

// The packet types that have fields of their own, with the enumerator each is named after.
const std::map<int, std::string>& NamedTypes()
{
    static const std::map<int, std::string> names = {
        {0, "SET_MODE"},
        {2, "MODE"},
        {4, "VERSION"},
        {6, "BOOTLOADER_INFO"},
        {9, "FIRMWARE_PAGE"},
        {10, "DOWNLOAD_STATUS"},
        {11, "PUSH_BUTTON"},
        {12, "DRAW_BUFFER"},
        {14, "SET_REGISTERS"},
        {15, "CLEAR_REGISTERS"},
        {16, "WRITE_OSC_CR"},
        {18, "WRITE_ANALOG_CR"},
        {20, "REGISTERS"},
        {22, "STATE"},
        {23, "GET_CH"},
        {24, "CH"},
        {27, "START_CYCLONE"},
        {29, "SET_OUT_FREQ"},
        {30, "OUT_FREQ_WRITTEN"},
        {31, "GET_FREQ_RESPONSE"},
        {32, "FREQ_RESPONSE"},
        {33, "GET_STATISTIC"},
        {34, "STATISTIC"},
        {36, "CALIBRATION_STEP_DONE"},
        {38, "CALIBRATION_DATA"},
        {39, "WRITE_OFFSET_DAC_CMD"},
        {41, "LA_TEST_WRITE"},
        {42, "LA_TEST_READ"},
        {43, "LG_SET_CONFIG"},
        {44, "LG_SET_DATA"},
    };
    return names;
}

bool IsNamed(int type)
{
    return NamedTypes().count(type) != 0;
}

// Element sizes of the types a wire field may be declared with. Anything else (long, int64,
// floating point) has no business in a payload structure.
const std::map<std::type_index, std::size_t>& WireElementSizes()
{
    static const std::map<std::type_index, std::size_t> sizes = {
        {typeid(std::uint8_t), 1},  {typeid(std::int8_t), 1},  {typeid(std::uint16_t), 2},
        {typeid(std::int16_t), 2},  {typeid(std::uint32_t), 4}, {typeid(std::int32_t), 4},
    };
    return sizes;
}

// Packed fields are unaligned: hand gtest (which takes its arguments by reference) a copy.
template <typename T>
T Value(T v)
{
    return v;
}

bool IsValidUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size())
    {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t extra = c < 0x80            ? 0
                                  : (c & 0xE0) == 0xC0 ? 1
                                  : (c & 0xF0) == 0xE0 ? 2
                                  : (c & 0xF8) == 0xF0 ? 3
                                                       : 4;
        if (extra > 3 || i + extra >= s.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

bool IsIdentifier(const std::string& s)
{
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_'))
        return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            return false;
    return true;
}

void ExpectSameField(const FieldDescriptor& a, const FieldDescriptor& b)
{
    EXPECT_STREQ(a.name, b.name);
    EXPECT_STREQ(a.comment, b.comment);
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(a.size, b.size);
    EXPECT_EQ(a.count, b.count);
    EXPECT_EQ(a.type, b.type);
}

void ExpectHeaderEntry(const FieldDescriptor& d)
{
    EXPECT_STREQ(d.name, "");
    EXPECT_STREQ(d.comment, "");
    EXPECT_EQ(d.offset, 0);
    EXPECT_EQ(d.size, 0);
    EXPECT_EQ(d.count, 0);
    EXPECT_EQ(d.type, std::type_index(typeid(void)));
}

} // namespace

// ---- Layout ------------------------------------------------------------------------------

TEST(PacketLayout, EveryStructureHasItsWireLengthAndTheLargestFillTheFrameLimits)
{
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
        EXPECT_EQ(Packets()[type].size, kWireSize[type]) << "type " << type;

    EXPECT_EQ(sizeof(PacketDataStructure<PACKET_DATA_CH>), FRAME_MAX_RECEIVED_LENGTH);
    EXPECT_EQ(sizeof(PacketDataStructure<PACKET_DATA_LG_SET_DATA>), FRAME_MAX_SENT_LENGTH);
    EXPECT_EQ(sizeof(PacketDataStructure<PACKET_DATA_FIRMWARE_PAGE>), FRAME_MAX_SENT_LENGTH);
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
        EXPECT_LE(Packets()[type].size, FRAME_MAX_RECEIVED_LENGTH) << "type " << type;
}

TEST(PacketLayout, FieldsAreReadLittleEndianFromTheBytesOfAFrame)
{
    // A STATE packet as the device sends it, framed.
    std::vector<std::uint8_t> frame(FRAME_MAX_RECEIVED_SIZE, 0);
    const std::uint8_t packet[19] = {22,   0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0x04, 0x03,
                                     0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x00, 0x00, 0x80};
    std::memcpy(frame.data() + 3, packet, sizeof packet);
    SetFrameLength(frame.data(), sizeof packet);
    FinishFrame(frame.data());
    ASSERT_TRUE(CheckFrame(frame.data()));

    PacketDataStructure<PACKET_DATA_STATE> state;
    ASSERT_EQ(GetFrameLength(frame.data()), sizeof state);
    std::memcpy(&state, frame.data() + 3, sizeof state);
    EXPECT_EQ(Value(state.data_id), PACKET_DATA_STATE);
    EXPECT_EQ(Value(state.osc_sr), 0x1234);
    EXPECT_EQ(Value(state.osc_cr), 0x5678);
    EXPECT_EQ(Value(state.analog_cr), 0x9ABC);
    EXPECT_EQ(Value(state.first_trig_sample), 0x01020304u);
    EXPECT_EQ(Value(state.num_catched_samples), 0xFFFFFFFFu);
    EXPECT_EQ(Value(state.samples_before_trig), 0x80000010u);

    // A 4-byte signed field keeps its sign; the next field starts right after its 4 bytes.
    const std::uint8_t getCh[17] = {23, 0xFE, 0xFF, 0xFF, 0xFF, 7, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0x34, 0x12};
    PacketDataStructure<PACKET_DATA_GET_CH> request;
    std::memcpy(&request, getCh, sizeof request);
    EXPECT_EQ(Value(request.offset), -2);
    EXPECT_EQ(Value(request.buf_offset), 7u);
    EXPECT_EQ(Value(request.length), 256u);
    EXPECT_EQ(Value(request.ch), 1);
    EXPECT_EQ(Value(request.min_max), 1);
    EXPECT_EQ(Value(request.average_length), 0x1234);
}

TEST(PacketLayout, ArrayElementsLieWhereTheirDescriptorSaysAndTheStructurePutsThem)
{
    auto elementOffset = [](int type, const char* field, int j) {
        for (const FieldDescriptor& d : FieldsOf(type))
            if (std::strcmp(d.name, field) == 0)
                return d.offset + (d.size / d.count) * j;
        ADD_FAILURE() << "no field " << field;
        return -1;
    };
    EXPECT_EQ(elementOffset(PACKET_DATA_STATISTIC, "min", 1), 6);
    EXPECT_EQ(elementOffset(PACKET_DATA_STATISTIC, "max", 0), 7);
    EXPECT_EQ(elementOffset(PACKET_DATA_CH, "ch_data", 0), 15);
    EXPECT_EQ(elementOffset(PACKET_DATA_CH, "ch_data", 2028), 15 + 2028);

    PacketDataStructure<PACKET_DATA_STATISTIC> statistic{};
    statistic.min[1] = -5;
    std::uint8_t bytes[sizeof statistic];
    std::memcpy(bytes, &statistic, sizeof statistic);
    EXPECT_EQ(static_cast<std::int8_t>(bytes[6]), -5);

    PacketDataStructure<PACKET_DATA_CH> ch{};
    ch.ch_data[0] = -128;
    ch.ch_data[2028] = 127;
    std::vector<std::uint8_t> raw(sizeof ch);
    std::memcpy(raw.data(), &ch, sizeof ch);
    EXPECT_EQ(raw[15], 0x80);
    EXPECT_EQ(raw[15 + 2028], 0x7F);
    EXPECT_EQ(raw.size(), 15u + 2029u);
}

// ---- Field tables ------------------------------------------------------------------------

TEST(PacketFieldTables, EveryTableCoversItsStructureWithoutGapOrOverlap)
{
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
    {
        SCOPED_TRACE("type " + std::to_string(type));
        const std::vector<FieldDescriptor> fields = FieldsOf(type);
        ASSERT_FALSE(fields.empty());
        // Named types list their own fields from offset 1; the generic one lists data_id.
        int expectedOffset = IsNamed(type) ? 1 : 0;
        for (const FieldDescriptor& d : fields)
        {
            SCOPED_TRACE(d.name);
            EXPECT_EQ(d.offset, expectedOffset);
            EXPECT_GE(d.count, 1);
            ASSERT_GT(d.size, 0);
            EXPECT_EQ(d.size % d.count, 0);
            expectedOffset = d.offset + d.size;
        }
        EXPECT_EQ(static_cast<std::size_t>(expectedOffset), Packets()[type].size)
            << "the last field must end where the structure ends";
    }
}

TEST(PacketFieldTables, ElementTypesAreFixedWidthAndAgreeWithTheFieldSize)
{
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
    {
        for (const FieldDescriptor& d : FieldsOf(type))
        {
            SCOPED_TRACE("type " + std::to_string(type) + " field " + d.name);
            const auto found = WireElementSizes().find(d.type);
            ASSERT_NE(found, WireElementSizes().end()) << "element type " << d.type.name();
            EXPECT_EQ(static_cast<std::size_t>(d.size / d.count), found->second);
        }
    }
    // The 4-byte fields keep their signedness: GET_CH.offset is signed, CH.length is not.
    EXPECT_EQ(FieldsOf(PACKET_DATA_GET_CH)[0].type, std::type_index(typeid(std::int32_t)));
    EXPECT_EQ(FieldsOf(PACKET_DATA_CH)[2].type, std::type_index(typeid(std::uint32_t)));
    EXPECT_EQ(FieldsOf(PACKET_DATA_CH)[5].type, std::type_index(typeid(std::int8_t)));
    EXPECT_EQ(FieldsOf(PACKET_DATA_OUT_FREQ_WRITTEN)[0].type, std::type_index(typeid(std::int32_t)));
}

TEST(PacketFieldTables, FieldNamesAreDistinctIdentifiers)
{
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
    {
        std::set<std::string> seen;
        for (const FieldDescriptor& d : FieldsOf(type))
        {
            EXPECT_TRUE(IsIdentifier(d.name)) << "type " << type << ": '" << d.name << "'";
            EXPECT_TRUE(seen.insert(d.name).second) << "type " << type << ": " << d.name << " twice";
            if (IsNamed(type))
            {
                EXPECT_STRNE(d.name, "data_id") << "type " << type;
            }
        }
    }
    std::vector<std::string> names;
    for (const FieldDescriptor& d : FieldsOf(PACKET_DATA_STATE))
        names.push_back(d.name);
    EXPECT_EQ(names, (std::vector<std::string>{"osc_sr", "osc_cr", "analog_cr", "first_trig_sample",
                                               "num_catched_samples", "samples_before_trig"}));
}

TEST(PacketFieldTables, AnIndexAtOrPastTheCountGivesTheHeaderEntryAndTheCount)
{
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
    {
        SCOPED_TRACE("type " + std::to_string(type));
        unsigned int count = UINT_MAX;
        ExpectHeaderEntry(Packets()[type].getFields(count));
        ASSERT_GE(count, 1u);
        ASSERT_LT(count, 100u);

        for (unsigned int index : {count, count + 1, 1000u, UINT_MAX - 1})
        {
            unsigned int in = index;
            ExpectHeaderEntry(Packets()[type].getFields(in));
            EXPECT_EQ(in, count) << "asked for " << index;
        }
    }
    unsigned int index = UINT_MAX;
    PacketDataStructure<PACKET_DATA_STATISTIC>::GetFields(index);
    EXPECT_EQ(index, 4u);
    index = UINT_MAX;
    PacketDataStructure<PACKET_DATA_CH>::GetFields(index);
    EXPECT_EQ(index, 6u);
}

TEST(PacketFieldTables, BareTypesListOnlyDataIdUnderTheGenericName)
{
    const std::set<int> bare = {1, 3, 5, 7, 8, 13, 17, 19, 21, 25, 26, 28, 35, 37, 40, 45};
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
    {
        SCOPED_TRACE("type " + std::to_string(type));
        EXPECT_EQ(bare.count(type) == 1, !IsNamed(type));
        if (IsNamed(type))
            continue;
        EXPECT_STREQ(Packets()[type].getName(), "PacketDataStructurePre");
        const std::vector<FieldDescriptor> fields = FieldsOf(type);
        ASSERT_EQ(fields.size(), 1u);
        EXPECT_STREQ(fields[0].name, "data_id");
        EXPECT_STREQ(fields[0].comment, "data_id");
        EXPECT_EQ(fields[0].offset, 0);
        EXPECT_EQ(fields[0].size, 1);
        EXPECT_EQ(fields[0].count, 1);
        EXPECT_EQ(fields[0].type, std::type_index(typeid(std::uint8_t)));
    }
    // The requests the host sends by name are still generic structures.
    EXPECT_STREQ(PacketDataStructure<PACKET_DATA_GET_MODE>::GetName(), "PacketDataStructurePre");
    EXPECT_STREQ(PacketDataStructure<PACKET_DATA_GET_VERSION>::GetName(), "PacketDataStructurePre");
    EXPECT_STREQ(PacketDataStructure<PACKET_DATA_GET_STATE>::GetName(), "PacketDataStructurePre");
}

TEST(PacketFieldTables, TypesWithOneLayoutShareTheTableButNotTheName)
{
    const std::pair<int, int> shared[] = {{PACKET_DATA_SET_MODE, PACKET_DATA_MODE},
                                          {PACKET_DATA_SET_REGISTERS, PACKET_DATA_CLEAR_REGISTERS}};
    for (const auto& [a, b] : shared)
    {
        SCOPED_TRACE(std::to_string(a) + " and " + std::to_string(b));
        const std::vector<FieldDescriptor> fa = FieldsOf(a);
        const std::vector<FieldDescriptor> fb = FieldsOf(b);
        ASSERT_EQ(fa.size(), fb.size());
        for (std::size_t i = 0; i < fa.size(); ++i)
            ExpectSameField(fa[i], fb[i]);
        EXPECT_STRNE(Packets()[a].getName(), Packets()[b].getName());
    }
    EXPECT_STREQ(PacketDataStructure<PACKET_DATA_SET_MODE>::GetName(),
                 "PacketDataStructure<PACKET_DATA_SET_MODE>");
    EXPECT_STREQ(PacketDataStructure<PACKET_DATA_MODE>::GetName(), "PacketDataStructure<PACKET_DATA_MODE>");
    EXPECT_STREQ(FieldsOf(PACKET_DATA_MODE)[0].name, "mode_id");
    EXPECT_STREQ(FieldsOf(PACKET_DATA_CLEAR_REGISTERS)[1].name, "analog_cr");
}

TEST(PacketNames, EachNamedTypeNumberCarriesItsOwnEnumerator)
{
    std::set<std::string> seen;
    for (const auto& [type, name] : NamedTypes())
    {
        EXPECT_EQ(Packets()[type].getName(), "PacketDataStructure<PACKET_DATA_" + name + ">")
            << "type " << type;
        EXPECT_TRUE(seen.insert(Packets()[type].getName()).second);
    }
    // A few enumerator values checked against the numbers the device uses.
    EXPECT_EQ(PACKET_DATA_GET_MODE, 1);
    EXPECT_EQ(PACKET_DATA_GET_VERSION, 3);
    EXPECT_EQ(PACKET_DATA_GET_STATE, 21);
    EXPECT_EQ(PACKET_DATA_CH, 24);
    EXPECT_EQ(PACKET_DATA_LG_SET_DATA, 44);
}

// ---- Comments ----------------------------------------------------------------------------

TEST(PacketFieldComments, CommentsAreWholeUtf8TextsThatFitTheirField)
{
    struct Expected
    {
        int type;
        const char* field;
        const char* comment;
    };
    const Expected expected[] = {
        {23, "offset", "смещение во внутреннем буфере, сэмплов"},
        {23, "buf_offset", "смещение во внешнем буфере - просто записывается в ответный пакет"},
        {23, "length", "длина - сэмплов"},
        {23, "ch", "канал 0 - A, 1 - B, остальные - ничего"},
        {23, "min_max", "минмакс"},
        {23, "average_length", "длина усреднения"},
        {24, "offset", "все повторяется, кроме самих данных"},
        {29, "freq", "выходная частота = MaxFreq / (freq + 1)"},
        {41, "digital_B_bus_test", "то, что будет выдаваться на шину B"},
        {41, "freq_out_test", "значение на выходе freq_out (нулевой бит)"},
        {42, "ext_trig", "значение на входе (нулевой бит)"},
        {43, "ch", "номер канала"},
        {43, "bm", "битовая маска активных цепей ЛГ"},
        {43, "prediv", "пределитель частоты (Flg = Flgbase / (prediv + 1))"},
        {43, "retry", "количество повторов (0 - цикл)"},
        {43, "length", "длина шаблона"},
        {44, "ch", "номер канала"},
        {44, "offset", "смещение в буфере"},
        {44, "size", "длина буфера"},
        {44, "buffer", "буфер"},
    };
    std::size_t matched = 0;
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
    {
        for (const FieldDescriptor& d : FieldsOf(type))
        {
            SCOPED_TRACE("type " + std::to_string(type) + " field " + d.name);
            const std::string comment = d.comment;
            EXPECT_LT(comment.size(), sizeof d.comment);
            EXPECT_TRUE(IsValidUtf8(comment));
            const char* want = d.name;
            for (const Expected& e : expected)
                if (e.type == type && std::strcmp(e.field, d.name) == 0)
                {
                    want = e.comment;
                    ++matched;
                }
            // Checked in full, so a text cut to fit its field would show here.
            EXPECT_EQ(comment, want);
        }
    }
    EXPECT_EQ(matched, std::size(expected));
}

TEST(CopyFieldText, TextThatDoesNotFitIsCutBeforeTheFirstIncompleteCharacter)
{
    char field[6];
    // "аб" is 4 bytes and fits with its zero; "абв" is 6 and does not.
    EXPECT_EQ(CopyFieldText(field, "аб"), 4u);
    EXPECT_STREQ(field, "аб");
    EXPECT_EQ(CopyFieldText(field, "абв"), 4u);
    EXPECT_STREQ(field, "аб");
    // One byte of room left after "xyа": the next 2-byte character is dropped whole.
    EXPECT_EQ(CopyFieldText(field, "xyабв"), 4u);
    EXPECT_STREQ(field, "xyа");
    // Three-byte characters (the euro sign) are kept or dropped whole as well.
    EXPECT_EQ(CopyFieldText(field, "ab\xE2\x82\xAC\xE2\x82\xAC"), 5u);
    EXPECT_STREQ(field, "ab\xE2\x82\xAC");
    EXPECT_EQ(CopyFieldText(field, "abc\xE2\x82\xAC"), 3u);
    EXPECT_STREQ(field, "abc");
    EXPECT_EQ(CopyFieldText(field, "abcdefgh"), 5u);
    EXPECT_STREQ(field, "abcde");
    EXPECT_EQ(CopyFieldText(field, ""), 0u);
    EXPECT_STREQ(field, "");
    EXPECT_EQ(CopyFieldText(field, nullptr), 0u);
    EXPECT_STREQ(field, "");

    char one[1] = {'z'};
    EXPECT_EQ(CopyFieldText(one, "ж"), 0u);
    EXPECT_EQ(one[0], '\0');
    char untouched = 'q';
    EXPECT_EQ(CopyFieldText(&untouched, 0, "abc"), 0u);
    EXPECT_EQ(untouched, 'q');
}
