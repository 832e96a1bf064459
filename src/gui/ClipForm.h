#pragma once
// The trim window: picks the start and end of one media item while listening to it.

#include <QDialog>

class TClipForm : public QDialog {
    Q_OBJECT

public:
    explicit TClipForm(QWidget* parent = nullptr);
};
