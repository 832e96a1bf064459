#include "gui/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

void ShowErrorReport(const QString& message, const QString& mark)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error!"), message, QMessageBox::Ok,
        QApplication::activeWindow());
    box.setInformativeText(mark);
    box.exec();
}
