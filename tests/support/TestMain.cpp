// Runs every GoogleTest case inside a QApplication on the offscreen platform, so widget tests
// can build real windows.
#include "data/SearchIndex.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The fixtures write cases through the name index's triggers on plain connections.
    SearchIndex::registerTokenizer();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
