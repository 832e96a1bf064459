#include "gui/AboutForm.h"

#include "app/MailSettings.h"
#include "app/UrlOpener.h"
#include "app/WebLinks.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 334;
constexpr int ClientHeight = 260;
const QString MakerName = QStringLiteral("Larkspire");

QFrame* FramedPanel(QWidget* AParent, QWidget* AContent)
{
    auto* panel = new QFrame(AParent);
    panel->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(AContent);
    return panel;
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setFixedWidth(ClientWidth);

    lblProgramName = new QLabel(QStringLiteral("Quaverly"));
    lblProgramName->setObjectName(QStringLiteral("lblProgramName"));
    lblProgramName->setAlignment(Qt::AlignCenter);
    QFont big = lblProgramName->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    lblProgramName->setFont(big);
    LogoPanel = FramedPanel(this, lblProgramName);
    LogoPanel->setObjectName(QStringLiteral("LogoPanel"));

    lblversion = new QLabel(QStringLiteral("Version 1.0"), this);
    lblversion->setObjectName(QStringLiteral("lblversion"));
    lblversion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    QStringList notice { QStringLiteral("This program is protected by copyright law and"),
        QStringLiteral("international treaties. Copying or passing it on, in"),
        QStringLiteral("whole or in part, without permission is not allowed."),
        QStringLiteral("Copyright \u00A9 2026 ") };
    notice.last() += MakerName;
    lblWarning = new QLabel(notice.join(QLatin1Char('\n')));
    lblWarning->setObjectName(QStringLiteral("lblWarning"));
    QFrame* warningPanel = FramedPanel(this, lblWarning);

    PreviewButton = new QPushButton(QStringLiteral("OK"), this);
    PreviewButton->setObjectName(QStringLiteral("PreviewButton"));
    connect(PreviewButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LogoPanel);
    layout->addWidget(lblversion);
    layout->addWidget(warningPanel);
    const QString support = TMailSettings {}.Recipient;
    lblHomePage = AddLink(layout, QStringLiteral("Home page:"), QString::fromLatin1(HomePageUrl),
        QString::fromLatin1(HomePageUrl), "lblHomePage");
    lblSupport = AddLink(layout, QStringLiteral("Support:"), support,
        QStringLiteral("mailto:") + support, "lblSupport");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(PreviewButton);
    layout->addLayout(buttons);
}

QLabel* TAboutForm::AddLink(QVBoxLayout* ALayout, const QString& ACaption, const QString& AText,
    const QString& ATarget, const char* AName)
{
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(ACaption, this));
    auto* link = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(ATarget.toHtmlEscaped(), AText.toHtmlEscaped()),
        this);
    link->setObjectName(QLatin1String(AName));
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    link->setCursor(Qt::PointingHandCursor);
    connect(link, &QLabel::linkActivated, this, [](const QString& url) { OpenUrl(QUrl(url)); });
    row->addWidget(link);
    row->addStretch();
    ALayout->addLayout(row);
    return link;
}

void TAboutForm::showEvent(QShowEvent* event)
{
    // The skin may have changed the height; centred on the main window.
    setFixedHeight(ClientHeight);
    QWidget* owner = parentWidget() ? parentWidget()->window() : QApplication::activeWindow();
    if (owner && owner != this)
        move(owner->geometry().center() - rect().center());
    QDialog::showEvent(event);
}
