// GoogleTest with a Qt GUI application: the page engine measures with Qt's fonts.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
    // Headless unless the caller chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
