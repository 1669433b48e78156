#include <gtest/gtest.h>

#include <QApplication>

#include "platform/QtThreadsEnd.h"

// Test programs that drive windows run with a real QApplication on the offscreen platform.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const quillon::QtThreadsEndBeforeExit qtThreadsEnd;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
