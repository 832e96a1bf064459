#pragma once
// The error window: shows a failure and offers to send a report.

#include <QDialog>

class TErrorForm : public QDialog {
    Q_OBJECT

public:
    explicit TErrorForm(QWidget* parent = nullptr);
};
