#pragma once
// The file information window: length, rate, channels and bit rate of a file.

#include <QDialog>

class TFileInfoForm : public QDialog {
    Q_OBJECT

public:
    explicit TFileInfoForm(QWidget* parent = nullptr);
};
