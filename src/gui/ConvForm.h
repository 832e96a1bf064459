#pragma once
// The conversion window: progress of a run and what to do when it ends.

#include <QDialog>

class TConvForm : public QDialog {
    Q_OBJECT

public:
    explicit TConvForm(QWidget* parent = nullptr);
};
