#pragma once
// A combo box that tells when the user is done with it: after its drop-down closes
// (picked or not) or after a pick made without the drop-down (keys, wheel).

#include <QComboBox>

class TSettingComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TSettingComboBox(QWidget* parent = nullptr);

    void hidePopup() override;

signals:
    void CloseUp();

private:
    bool FCloseUpPending = false;
};
