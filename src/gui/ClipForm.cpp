#include "gui/ClipForm.h"

TClipForm::TClipForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ClipForm"));
    setWindowTitle(QStringLiteral("Trim"));
}
