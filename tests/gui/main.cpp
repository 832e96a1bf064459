// The windows' tests drive real widgets (on the offscreen platform under ctest).
#include "app/Folders.h"
#include "support/TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Listing the tests runs without ctest's environment; no display is needed then either.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The skin and catalogue of this build, as the program finds them beside itself.
    SetProgramFolder(QString::fromStdString(testsupport::programDir().string()));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
