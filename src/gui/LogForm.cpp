#include "gui/LogForm.h"

TLogForm::TLogForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("LogForm"));
    setWindowTitle(QStringLiteral("Events Log"));
}
