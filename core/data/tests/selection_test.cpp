// The variant registry, the current object and switching between variants.

#include "core/config/ConfigSections.h"
#include "support/DataTestSupport.h"

namespace {

TEST_F(DataModelTest, FactoryHoldsAllFiveVariantsInOrder)
{
    EXPECT_EQ(OscDataFactory::Versions(), (std::vector<int>{1, 2, 3, 4, 5}));
    for (int version = 1; version <= 5; ++version) {
        const auto entry = OscDataFactory::Find(version);
        ASSERT_NE(entry, OscDataFactory::End());
        std::unique_ptr<OscData> data(entry->second());
        EXPECT_EQ(data->GetVersion(), version);
    }
    EXPECT_EQ(OscDataFactory::Find(0), OscDataFactory::End());
    EXPECT_EQ(OscDataFactory::Find(6), OscDataFactory::End());

    // An existing key keeps its first creator.
    EXPECT_FALSE(registerDataVersion(3, [] { return OscDataFactory::Find(1)->second(); }));
    std::unique_ptr<OscData> data(OscDataFactory::Find(3)->second());
    EXPECT_EQ(data->GetVersion(), 3);
    EXPECT_FALSE(OscDataFactory::Register(7, nullptr));
}

TEST_F(DataModelTest, FirstUseCreatesVersionOne)
{
    OscData* data = GetOscData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->GetVersion(), 1);
    EXPECT_EQ(GetOscData(), data);
    EXPECT_NE(data->status & STATUS_LIMITS_APPLIED, 0u);
}

TEST_F(DataModelTest, SelectingKeepsOrReplacesTheObject)
{
    ASSERT_TRUE(SelectOscDataVersion(2, 10));
    OscData* v2 = GetOscData();
    // Each object made current is counted, so a replacement shows even when the new object
    // takes the old one's address.
    const std::uint64_t generation = GetOscDataGeneration();
    EXPECT_EQ(v2->GetVersion(), 2);
    EXPECT_EQ(v2->version, 2);
    EXPECT_EQ(v2->hw_version, 10);
    EXPECT_EQ(v2->created_hw_version, 10);

    // The same version and hardware: all data stay.
    v2->screen_points[0][0] = 42;
    v2->x_offset = 5;
    EXPECT_TRUE(SelectOscDataVersion(2, 10));
    EXPECT_EQ(GetOscData(), v2);
    EXPECT_EQ(v2->screen_points[0][0], 42);
    EXPECT_EQ(GetOscDataGeneration(), generation);

    // Another hardware version: a new object, which carries the stored settings over.
    v2->u_div[0] = 7;
    EXPECT_TRUE(SelectOscDataVersion(2, 11));
    OscData* again = GetOscData();
    EXPECT_EQ(again->screen_points[0][0], 0);
    EXPECT_EQ(again->u_div[0], 7u);
    EXPECT_EQ(again->created_hw_version, 11);
    EXPECT_EQ(GetOscDataGeneration(), generation + 1);

    // Unknown versions keep the object and remember the number.
    EXPECT_FALSE(SelectOscDataVersion(6, 3));
    EXPECT_EQ(GetOscData(), again);
    EXPECT_EQ(again->version, 6);
    EXPECT_EQ(again->hw_version, 3);
    EXPECT_FALSE(SelectOscDataVersion(0, 3));
    EXPECT_EQ(GetOscData()->GetVersion(), 2);
    EXPECT_EQ(GetOscDataGeneration(), generation + 1);

    // A variant switch stores the old variant's section and limits the new one.
    EXPECT_TRUE(SelectOscDataVersion(5, 1));
    EXPECT_EQ(ConfigSections.count("data_v2"), 1u);
    OscData* v5 = GetOscData();
    EXPECT_EQ(v5->GetVersion(), 5);
    EXPECT_EQ(GetOscDataGeneration(), generation + 2);
    EXPECT_NE(v5->status & STATUS_LIMITS_APPLIED, 0u);
    EXPECT_EQ(v5->SolveTimebase(), 0);
}

TEST_F(DataModelTest, UnknownVersionWithoutAnObjectCreatesTheDefaultVariant)
{
    for (int version : {0, 6}) {
        DeleteOscData();
        EXPECT_FALSE(SelectOscDataVersion(version, 4));
        // A configuration naming no variant still leaves the program with a model.
        OscData* data = GetOscData();
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->GetVersion(), 1);
        EXPECT_EQ(data->version, version);
        EXPECT_EQ(data->hw_version, 4);
    }
}

TEST_F(DataModelTest, SettingsSurviveAVariantRoundTrip)
{
    ASSERT_TRUE(SelectOscDataVersion(3, 0));
    GetOscData()->trigger_level[1] = 33;
    GetOscData()->str_datalogger_fn[1] = "канал_B.bin";
    ASSERT_TRUE(SelectOscDataVersion(1, 0));
    GetOscData()->trigger_level[1] = -7;
    ASSERT_TRUE(SelectOscDataVersion(3, 0));
    EXPECT_EQ(GetOscData()->trigger_level[1], 33);
    EXPECT_EQ(GetOscData()->str_datalogger_fn[1], "канал_B.bin");
    ASSERT_TRUE(SelectOscDataVersion(1, 0));
    EXPECT_EQ(GetOscData()->trigger_level[1], -7);
}

TEST_F(DataModelTest, DeleteOscDataSavesAndClears)
{
    GetOscData()->x_offset = 1;
    DeleteOscData();
    EXPECT_EQ(ConfigSections.count("data_v1"), 1u);
    DeleteOscData();  // nothing to delete
    EXPECT_EQ(GetOscData()->GetVersion(), 1);
}

}  // namespace
