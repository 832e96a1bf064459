#include "gui/FileInfoForm.h"

TFileInfoForm::TFileInfoForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FileInfoForm"));
    setWindowTitle(QStringLiteral("File Information"));
}
