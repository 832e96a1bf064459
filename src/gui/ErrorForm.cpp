#include "gui/ErrorForm.h"

TErrorForm::TErrorForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ErrorForm"));
    setWindowTitle(QStringLiteral("Error!"));
}
