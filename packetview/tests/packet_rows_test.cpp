#include "packetview/PacketRows.h"

#include "core/protocol/PacketData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<CString> TextsOf(const std::vector<PacketRow>& rows)
{
    std::vector<CString> texts;
    for (const PacketRow& row : rows)
        texts.push_back(row.text);
    return texts;
}

std::vector<std::uint8_t> RandomPayload(std::size_t size, std::mt19937& rng)
{
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<std::uint8_t> payload(size);
    for (auto& b : payload)
        b = static_cast<std::uint8_t>(byte(rng));
    return payload;
}

const PacketRow* FindRow(const std::vector<PacketRow>& rows, const char* label)
{
    for (const PacketRow& row : rows)
        if (row.label == label)
            return &row;
    return nullptr;
}

} // namespace

TEST(PacketRows, OkWithUnchangedTextsKeepsEveryPayloadBitForEveryType)
{
    std::mt19937 rng(20261208);
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
    {
        const std::size_t size = GetPacketStructureSize(type);
        ASSERT_GT(size, 0u) << "type " << type;
        for (int round = 0; round < 20; ++round)
        {
            // The payload vector is exactly the structure: ASan sees any stray access.
            std::vector<std::uint8_t> payload = RandomPayload(size, rng);
            const std::vector<std::uint8_t> before = payload;
            const std::vector<PacketRow> rows = BuildPacketRows(type, payload.data(), size);
            ASSERT_FALSE(rows.empty()) << "type " << type;
            EXPECT_EQ(payload, before) << "showing a packet must not change it; type " << type;
            EXPECT_EQ(ApplyPacketRows(type, payload.data(), size, TextsOf(rows)), 0)
                << "type " << type;
            ASSERT_EQ(payload, before) << "type " << type << " round " << round;
        }
    }
}

TEST(PacketRows, RowsCoverEveryElementWithConsecutiveIds)
{
    for (int type = 0; type < PACKET_DATA_TYPE_COUNT; ++type)
    {
        const std::size_t size = GetPacketStructureSize(type);
        std::vector<std::uint8_t> payload(size);
        const std::vector<PacketRow> rows = BuildPacketRows(type, payload.data(), size);
        std::size_t elements = 0;
        for (const FieldDescriptor& f : GetPacketFields(type))
            elements += static_cast<std::size_t>(f.count);
        ASSERT_EQ(rows.size(), elements) << "type " << type;
        for (std::size_t r = 0; r < rows.size(); ++r)
        {
            EXPECT_EQ(rows[r].id, kFirstRowId + static_cast<int>(r));
            EXPECT_FALSE(rows[r].text.empty()) << "type " << type << " row " << r;
        }
    }
}

TEST(PacketRows, LabelsCommentsAndTexts)
{
    // A bare type shows its one byte as data_id.
    std::vector<std::uint8_t> bare = {PACKET_DATA_GET_STATE};
    std::vector<PacketRow> rows = BuildPacketRows(PACKET_DATA_GET_STATE, bare.data(), 1);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].label, "data_id =");
    EXPECT_EQ(rows[0].comment, "// data_id");
    EXPECT_EQ(rows[0].text, "21");
    EXPECT_EQ(rows[0].id, 256);

    // Arrays: one row per element, "%s[%d] =".
    PacketDataStructure<PACKET_DATA_STATISTIC> stat{};
    stat.data_id = PACKET_DATA_STATISTIC;
    stat.analog_cr = 0x1234;
    stat.min[0] = -5;
    stat.min[1] = 7;
    auto* p = reinterpret_cast<std::uint8_t*>(&stat);
    rows = BuildPacketRows(PACKET_DATA_STATISTIC, p, sizeof stat);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].label, "analog_cr =");
    EXPECT_EQ(rows[0].text, "4660");
    EXPECT_EQ(rows[1].label, "ave[0] =");
    EXPECT_EQ(rows[2].label, "ave[1] =");
    EXPECT_EQ(rows[3].label, "min[0] =");
    EXPECT_EQ(rows[3].text, "-5");
    EXPECT_EQ(rows[4].label, "min[1] =");
    EXPECT_EQ(rows[4].offset, 6);
    EXPECT_EQ(rows[4].text, "7");
    EXPECT_EQ(rows[6].label, "max[1] =");

    // Comments as stored, Russian included; the CH data array runs to its last element.
    std::vector<std::uint8_t> ch(GetPacketStructureSize(PACKET_DATA_CH));
    rows = BuildPacketRows(PACKET_DATA_CH, ch.data(), ch.size());
    const PacketRow* offset = FindRow(rows, "offset =");
    ASSERT_NE(offset, nullptr);
    EXPECT_EQ(offset->comment, "// все повторяется, кроме самих данных");
    const PacketRow* last = FindRow(rows, "ch_data[2028] =");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->offset, 15 + 2028);
    EXPECT_EQ(last->id, static_cast<int>(kFirstRowId + rows.size() - 1));

    EXPECT_EQ(GetPacketCaption(PACKET_DATA_MODE),
              "Поля структуры PacketDataStructure<PACKET_DATA_MODE>");
    EXPECT_EQ(GetPacketCaption(PACKET_DATA_GET_MODE), "Поля структуры PacketDataStructurePre");
}

TEST(PacketRows, EditedTextsAreWrittenAndBadOnesKeepTheOldValue)
{
    PacketDataStructure<PACKET_DATA_STATE> state{};
    state.data_id = PACKET_DATA_STATE;
    state.osc_cr = 9;
    auto* p = reinterpret_cast<std::uint8_t*>(&state);
    std::vector<PacketRow> rows = BuildPacketRows(PACKET_DATA_STATE, p, sizeof state);
    ASSERT_EQ(rows.size(), 6u);
    std::vector<CString> texts = TextsOf(rows);
    texts[0] = "70000";      // osc_sr: 16 bits keep 70000 - 65536
    texts[1] = "nine";       // osc_cr: refused, stays 9
    texts[3] = "305419896";  // first_trig_sample, an unaligned 32-bit field
    EXPECT_EQ(ApplyPacketRows(PACKET_DATA_STATE, p, sizeof state, texts), 1);
    EXPECT_EQ(+state.osc_sr, 70000 - 65536);
    EXPECT_EQ(+state.osc_cr, 9);
    EXPECT_EQ(+state.first_trig_sample, 305419896u);
    EXPECT_EQ(p[7], 0x78);
    EXPECT_EQ(+state.data_id, +PACKET_DATA_STATE);

    // Fewer texts than rows: the rows without one keep their values.
    EXPECT_EQ(ApplyPacketRows(PACKET_DATA_STATE, p, sizeof state, {CString("1")}), 0);
    EXPECT_EQ(+state.osc_sr, 1);
    EXPECT_EQ(+state.first_trig_sample, 305419896u);
}

TEST(PacketRows, UnknownTypesGiveNothing)
{
    std::vector<std::uint8_t> payload(16, 0x5A);
    for (int type : {46, 47, 255, -1})
    {
        EXPECT_FALSE(HasPacketDialog(type));
        EXPECT_TRUE(BuildPacketRows(type, payload.data(), payload.size()).empty());
        EXPECT_EQ(GetPacketCaption(type), "");
        EXPECT_EQ(GetPacketStructureSize(type), 0u);
        EXPECT_EQ(ApplyPacketRows(type, payload.data(), payload.size(), {CString("1")}), 0);
    }
    EXPECT_EQ(payload, std::vector<std::uint8_t>(16, 0x5A));
    EXPECT_TRUE(HasPacketDialog(0));
    EXPECT_TRUE(HasPacketDialog(45));
}

TEST(PacketRows, ElementsBeyondTheAvailableBytesAreNeitherShownNorWritten)
{
    // Only the first 10 bytes of a STATE packet are there: osc_sr, osc_cr, analog_cr fit,
    // first_trig_sample (7..10) does not.
    std::vector<std::uint8_t> partial(10, 0);
    partial[0] = PACKET_DATA_STATE;
    const std::vector<PacketRow> rows = BuildPacketRows(PACKET_DATA_STATE, partial.data(), 10);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].label, "analog_cr =");
    const std::vector<CString> texts(6, CString("1"));
    EXPECT_EQ(ApplyPacketRows(PACKET_DATA_STATE, partial.data(), partial.size(), texts), 0);
    EXPECT_EQ(partial[9], 0);

    EXPECT_TRUE(BuildPacketRows(PACKET_DATA_STATE, nullptr, 19).empty());
    EXPECT_TRUE(BuildPacketRows(PACKET_DATA_STATE, partial.data(), 0).empty());
}
