#include "gui/SettingComboBox.h"

#include <QTimer>

TSettingComboBox::TSettingComboBox(QWidget* parent)
    : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this] {
        if (!FCloseUpPending)
            emit CloseUp();
    });
}

void TSettingComboBox::hidePopup()
{
    QComboBox::hidePopup();
    // The pick of the drop-down is stored after it closes; report once it is.
    if (FCloseUpPending)
        return;
    FCloseUpPending = true;
    QTimer::singleShot(0, this, [this] {
        FCloseUpPending = false;
        emit CloseUp();
    });
}
