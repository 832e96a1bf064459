#include "gui/SignalCloser.h"

#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

TEST(SignalCloser, ClosesAnOpenDialogAndThenTheWindow)
{
    TSignalCloser closer;
    QWidget window;
    closer.SetWindow(&window);
    window.show();
    // The signal arrives while a modal report is waiting for the user.
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    QMessageBox box(QMessageBox::Critical, "Error!", "waiting", QMessageBox::Ok, &window);
    box.exec();
    EXPECT_FALSE(box.isVisible());
    EXPECT_FALSE(window.isVisible());
}
