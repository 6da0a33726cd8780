// GoogleTest main for the window tests: a QApplication on the offscreen platform (unless a
// platform is chosen from outside), with the program's resources and font substitutes.
#include <gtest/gtest.h>

#include <QApplication>

#include "app.h"
#include "widgets.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    kotopa::InitResources();
    kotopa::InstallFontSubstitutes();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
