// Dates and times read from texts, strictly, and ordered by the point in time.

#include "platform/kernel/OleDateTime.h"

#include <gtest/gtest.h>

TEST(OleDateTime, ReadsTheDateAndTimeFormsAndRefusesTheRest)
{
    struct Case {
        const char* text;
        bool valid;
        double dt;  // expected m_dt when valid
    };
    const Case cases[] = {
        {"30.12.1899", true, 0.0},
        {"31.12.1899", true, 1.0},
        {"1.1.1900", true, 2.0},
        {"1900-1-1", true, 2.0},
        {"29.2.2024", true, 45351.0},
        {"2024-02-29 12:00", true, 45351.5},
        {"29.2.2024 6:00:00", true, 45351.25},
        {"18:00", true, 0.75},
        {"29.12.1899 06:00", true, -1.25},  // before the epoch the time still counts forward
        {"29.2.2023", false, 0},
        {"31.4.2024", false, 0},
        {"1.13.2024", false, 0},
        {"0.1.2024", false, 0},
        {"1.1.99", false, 0},
        {"1.1.10000", false, 0},
        {"1.1.0099", false, 0},
        {"24:00", false, 0},
        {"12:60", false, 0},
        {"12:5", false, 0},
        {"12:30:61", false, 0},
        {" 1.1.2024", false, 0},
        {"1.1.2024 ", false, 0},
        {"1.1.2024  10:00", false, 0},
        {"1.1.2024T10:00", false, 0},
        {"2024/1/1", false, 0},
        {"", false, 0},
        {"12", false, 0},
        {"1.5", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        COleDateTime t;
        EXPECT_EQ(t.ParseDateTime(c.text), c.valid);
        EXPECT_EQ(t.GetStatus(), c.valid ? COleDateTime::valid : COleDateTime::invalid);
        if (c.valid) {
            EXPECT_NEAR(t.m_dt, c.dt, 1e-9);
        }
    }
    COleDateTime none;
    EXPECT_FALSE(none.ParseDateTime(nullptr));
}

TEST(OleDateTime, OrdersByThePointInTime)
{
    const COleDateTime early(1899, 12, 29, 6, 0, 0);  // m_dt -1.25
    const COleDateTime late(1899, 12, 29, 18, 0, 0);  // m_dt -1.75: smaller, yet later
    EXPECT_LT(late.m_dt, early.m_dt);
    EXPECT_TRUE(early < late);
    EXPECT_TRUE(late < COleDateTime(1899, 12, 30, 0, 0, 0));
    EXPECT_TRUE(COleDateTime(2024, 1, 1, 9, 5, 0) < COleDateTime(2024, 1, 1, 10, 0, 0));
    EXPECT_TRUE(COleDateTime(2024, 1, 1, 0, 0, 0) == COleDateTime(2024, 1, 1, 0, 0, 0));
    EXPECT_EQ(COleDateTime(2023, 2, 29, 0, 0, 0).GetStatus(), COleDateTime::invalid);
}
