#include "gui/MixTypeForm.h"

TMixTypeForm::TMixTypeForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MixTypeForm"));
    setWindowTitle(QStringLiteral("Mix Type"));
}
