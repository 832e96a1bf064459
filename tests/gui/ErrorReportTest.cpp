#include "../app/ReportFixtures.h"

#include "app/ReportTexts.h"
#include "gui/ErrorForm.h"
#include "gui/ErrorReport.h"
#include "gui/Forms.h"
#include "gui/LogForm.h"
#include "gui/MainForm.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs AStep on the error window once it is on screen (it is shown modally, so the test
// acts from the window's own event loop).
void whenShown(TErrorForm& AForm, const std::function<void()>& AStep)
{
    auto* timer = new QTimer(&AForm);
    QObject::connect(timer, &QTimer::timeout, [timer, &AForm, AStep] {
        if (!AForm.isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        AStep();
    });
    timer->start(10);
}

// The program's windows over a scratch settings store whose report server is APort.
class ErrorReportTest : public testing::Test {
protected:
    void start(int port, int timeoutSeconds = 10)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
            QString::fromStdString(settingsDir.path().string()));
        QSettings store { QStringLiteral("Larkspire"), QStringLiteral("Quaverly") };
        store.setValue(QStringLiteral("Report/Server"), QStringLiteral("127.0.0.1"));
        store.setValue(QStringLiteral("Report/Port"), port);
        store.setValue(QStringLiteral("Report/Timeout"), timeoutSeconds);
        store.sync();
        forms = std::make_unique<TForms>();
        // The events log as its window shows it.
        auto* memo = forms->LogForm->findChild<QPlainTextEdit*>(QStringLiteral("mmoLog"));
        if (!memo) {
            memo = new QPlainTextEdit(forms->LogForm.get());
            memo->setObjectName(QStringLiteral("mmoLog"));
        }
        memo->setPlainText(QStringLiteral("10:00:00-> Conversion started.\n10:00:01-> Failed"));
    }

    QStringList& history() { return forms->MainForm->State.ActionHistory; }
    TErrorForm& errorForm() { return *forms->ErrorForm; }

    testsupport::TempDir settingsDir;
    RecordedUrls desktop;
    std::unique_ptr<TForms> forms;
};

TEST(ErrorForm, ShowsTheMessageInItsFixedLayout)
{
    TErrorForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Error!"));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form.PreviewButton->text(), QStringLiteral("Send"));
    EXPECT_EQ(form.spSkinButton1->text(), QStringLiteral("Cancel"));
    QStringList labels;
    for (const QLabel* label : form.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("The following error occured:")));
    EXPECT_TRUE(labels.contains(
        QStringLiteral("Error report is generated. Please send it to developers.")));

    form.resize(500, 300);
    QSize shownSize;
    whenShown(form, [&] {
        shownSize = form.size();
        form.spSkinButton1->click();
    });
    EXPECT_EQ(form.ShowReport(QStringLiteral("Disk full"), nullptr), QDialog::Rejected);
    EXPECT_EQ(form.lblErrorText->text(), QStringLiteral("Disk full"));
    EXPECT_EQ(shownSize, QSize(500, 118));
}

TEST_F(ErrorReportTest, CancelSendsNothingAndSendMailsTheWholeHistory)
{
    LocalSmtpServer server;
    start(server.port());
    history() << QStringLiteral("#7.5: opened a file");
    const QStringList before = history();

    whenShown(errorForm(), [&] { errorForm().spSkinButton1->click(); });
    ShowErrorReport(QStringLiteral("Error loading SDL library"), QStringLiteral("CLM_SDlLibLoad"));
    EXPECT_EQ(history(), before);
    EXPECT_EQ(server.count(), 0);

    whenShown(errorForm(), [&] {
        EXPECT_EQ(errorForm().lblErrorText->text(), QStringLiteral("Error loading SDL library"));
        errorForm().PreviewButton->click();
    });
    ShowErrorReport(QStringLiteral("Error loading SDL library"), QStringLiteral("CLM_SDlLibLoad"));
    EXPECT_FALSE(forms->ErrorForm->isVisible());
    ASSERT_EQ(server.count(), 1);
    EXPECT_TRUE(desktop.urls.empty());
    const QString body = server.message(1)[QStringLiteral("body")].toString().replace(
        QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString expected = QStringList { HistoryHeader, QStringLiteral("#7.5: opened a file"),
        QString(25, '-'), QStringLiteral("ACTION HISTORY:"),
        QStringLiteral("10:00:00-> Conversion started."), QStringLiteral("10:00:01-> Failed"),
        QString(25, '-'), QStringLiteral("LAST ERROR MESSAGE: Error loading SDL library"),
        QStringLiteral("CODE LINE MARK: CLM_SDlLibLoad") }
                                 .join('\n');
    EXPECT_TRUE(body.contains(expected)) << body.toStdString();
}

TEST_F(ErrorReportTest, WindowStaysLiveAndSaysItIsSendingUntilTheFallbackOpens)
{
    SilentPort silent(true);
    start(silent.port(), 1);
    bool sawSending = false;
    whenShown(errorForm(), [&] { errorForm().PreviewButton->click(); });
    // Runs while the mail is on its way: the window still serves its events.
    QTimer::singleShot(300, [&] {
        const TErrorForm& form = errorForm();
        sawSending = form.isVisible() && !form.PreviewButton->isEnabled()
            && !form.spSkinButton1->isEnabled()
            && form.lblReport->text() == QStringLiteral("Sending the error report...");
        errorForm().reject(); // ignored while sending
    });
    ShowErrorReport(QStringLiteral("a & b"), QStringLiteral("CLM_Shut"));
    EXPECT_TRUE(sawSending);
    ASSERT_EQ(desktop.urls.size(), 1u);
    EXPECT_EQ(desktop.urls[0].scheme(), QStringLiteral("mailto"));
    EXPECT_TRUE(history().contains(QStringLiteral("CODE LINE MARK: CLM_Shut")));
}

} // namespace
