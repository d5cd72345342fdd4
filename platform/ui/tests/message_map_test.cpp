#include "platform/ui/Wnd.h"

#include <gtest/gtest.h>

TEST(Placeholder, Builds) { SUCCEED(); }
