#pragma once
// The events log: what the program did since it started.

#include <QDialog>

class TLogForm : public QDialog {
    Q_OBJECT

public:
    explicit TLogForm(QWidget* parent = nullptr);
};
