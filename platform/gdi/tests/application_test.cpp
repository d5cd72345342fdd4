// Text needs an application object; the window layer's maker is preferred when linked in.

#include "GdiTestUtil.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
bool makerCalled = false;
}

// Stands in for the window layer's maker in this test program.
extern "C" void VelkaroEnsureApplication()
{
    makerCalled = true;
    static int argc = 1;
    static char name[] = "gdi-tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    // Taken down at exit so that the font system lets go of what it holds.
    std::atexit([] { delete app; });
}

namespace {

TEST(Application, TextMakesTheApplicationThroughTheWindowLayersMaker)
{
    TestCanvas c(20, 20);
    EXPECT_GT(c.dc.GetTextExtent("A").cx, 0);
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    EXPECT_TRUE(makerCalled);
    EXPECT_EQ(QCoreApplication::applicationName(), "gdi-tests");
}

}  // namespace
