// The adapter tests run in a QApplication, with a configuration folder of their own.
#include <gtest/gtest.h>

#include <QApplication>

#include "temp_dir.h"

int main(int argc, char** argv) {
    const sb::test::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.str()));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
