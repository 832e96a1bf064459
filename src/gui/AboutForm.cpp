#include "gui/AboutForm.h"

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
}
