#pragma once
// The About window: name, version and the maker's addresses.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QVBoxLayout;

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QFrame* LogoPanel = nullptr;
    QLabel* lblProgramName = nullptr;
    QLabel* lblversion = nullptr;
    QLabel* lblWarning = nullptr;
    QLabel* lblHomePage = nullptr;
    QLabel* lblSupport = nullptr;
    QPushButton* PreviewButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* AddLink(QVBoxLayout* ALayout, const QString& ACaption, const QString& AText,
        const QString& ATarget, const char* AName);
};
