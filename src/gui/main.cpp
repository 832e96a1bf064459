#include "app/QtMainThreadDispatcher.h"
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
    // Workers hand their events to this thread from here on.
    TQtMainThreadDispatcher dispatcher;
    TForms forms;
    closer.SetWindow(forms.MainForm.get());
    forms.MainForm->show();
    return QApplication::exec();
}
