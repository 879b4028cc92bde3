// Runs every GoogleTest case inside a QApplication on the offscreen platform, so widget tests
// can build real windows. The user's settings live in a temporary folder, emptied before each
// test: no test reads or changes the real home, and none sees what an earlier one remembered.
#include "data/SearchIndex.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class FreshSettings : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override {
        QSettings(QStringLiteral("Zendrik"), QStringLiteral("zendrik")).clear();
    }
};
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    // Programs the tests start find their settings there too.
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    // The fixtures write cases through the name index's triggers on plain connections.
    SearchIndex::registerTokenizer();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    return RUN_ALL_TESTS();
}
