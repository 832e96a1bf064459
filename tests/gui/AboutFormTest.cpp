#include "gui/AboutForm.h"
#include "app/UrlOpener.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

TEST(AboutForm, ShowsItsTextsAndOpensTheMakersAddresses)
{
    std::vector<QUrl> opened;
    const TUrlOpener previous = SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    TAboutForm form;
    form.show();
    EXPECT_EQ(form.windowTitle(), "About");
    EXPECT_EQ(form.lblProgramName->text(), "Quaverly");
    EXPECT_EQ(form.lblversion->text(), "Version 1.0");
    const QStringList notice = form.lblWarning->text().split('\n');
    ASSERT_EQ(notice.size(), 4);
    EXPECT_TRUE(notice[3].endsWith("Larkspire"));
    EXPECT_EQ(form.height(), 260);

    emit form.lblHomePage->linkActivated(form.lblHomePage->text().section('"', 1, 1));
    emit form.lblSupport->linkActivated(form.lblSupport->text().section('"', 1, 1));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].scheme(), "https");
    EXPECT_EQ(opened[1].toString(), "mailto:support@larkspire.com");
    EXPECT_TRUE(form.lblSupport->text().contains(">support@larkspire.com<"));

    QTest::mouseClick(form.PreviewButton, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    SetUrlOpener(previous);
}
