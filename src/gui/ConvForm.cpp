#include "gui/ConvForm.h"

TConvForm::TConvForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ConvForm"));
    setWindowTitle(QStringLiteral("Conversion"));
}
