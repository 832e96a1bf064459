#pragma once
// The events log: what the program did since it started.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class TEventsLog;

class TLogForm : public QDialog {
    Q_OBJECT

public:
    // Shows ALog, the program's events log unless told otherwise.
    explicit TLogForm(QWidget* parent = nullptr, TEventsLog* ALog = nullptr);

    QPlainTextEdit* mmoLog = nullptr;
    QPushButton* spSkinButton4 = nullptr;
};
