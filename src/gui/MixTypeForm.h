#pragma once
// The mix type window: what a mix does when the shorter input ends.

#include <QDialog>

class TMixTypeForm : public QDialog {
    Q_OBJECT

public:
    explicit TMixTypeForm(QWidget* parent = nullptr);
};
