#pragma once
// The error window: shows a failure and offers to send a report.

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

class TErrorForm : public QDialog {
    Q_OBJECT

public:
    explicit TErrorForm(QWidget* parent = nullptr);

    // Shows AMessage modally. When the user chooses "Send", ASend runs while the
    // window stays open and says that it is sending; the window closes when ASend
    // returns. Returns the modal result: Accepted for "Send", Rejected for
    // "Cancel".
    int ShowReport(const QString& AMessage, const std::function<void()>& ASend);

    QLabel* lblErrorText;
    QLabel* lblReport;
    QPushButton* PreviewButton;
    QPushButton* spSkinButton1;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* AEvent) override;

private:
    void PreviewButtonClick();

    std::function<void()> FSend;
    bool FSending = false;
};
