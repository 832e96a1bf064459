#include "gui/Forms.h"
#include "gui/MainForm.h"
#include "gui/SignalCloser.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Larkspire"));
    QApplication::setApplicationName(QStringLiteral("Quaverly"));
    // Installed before any window so that an early signal still ends the program cleanly.
    TSignalCloser closer;
    TForms forms;
    closer.SetWindow(forms.MainForm.get());
    forms.MainForm->show();
    return QApplication::exec();
}
