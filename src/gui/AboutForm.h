#pragma once
// The About window: name, version and the maker's addresses.

#include <QDialog>

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* parent = nullptr);
};
