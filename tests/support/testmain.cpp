#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Widget tests need an application object; they never need a real display.
int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
