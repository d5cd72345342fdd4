#pragma once
// Helpers shared by the data-model tests.

#include "core/data/OscData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

// Starts every test with an empty configuration store and no current model object, and leaves
// it so.
class DataModelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Creates a fresh object of a variant (1..5) through its registered creator.
std::unique_ptr<OscData> MakeVariant(int version);

// A copy of every plain field, to check that an operation changed nothing.
struct ModelImage {
    DataBase fields;
    std::int32_t recorder_samples;
    explicit ModelImage(const OscData& data);
    bool operator==(const ModelImage& other) const;
};
