#include "gui/ErrorForm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 377;
constexpr int ClientHeight = 118;

const QString ReportText
    = QStringLiteral("Error report is generated. Please send it to developers.");

QLabel* MakeLabel(const QString& AText, const QString& AName, QWidget* AParent)
{
    auto* label = new QLabel(AText, AParent);
    label->setObjectName(AName);
    return label;
}

} // namespace

TErrorForm::TErrorForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("ErrorForm"));
    setWindowTitle(QStringLiteral("Error!"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgError"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    icon->setFixedSize(32, 32);
    auto* caption = MakeLabel(
        QStringLiteral("The following error occured:"), QStringLiteral("lblCaption"), this);
    lblErrorText = MakeLabel(QString(), QStringLiteral("lblErrorText"), this);
    lblErrorText->setWordWrap(true);
    lblErrorText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblReport = MakeLabel(ReportText, QStringLiteral("lblReport"), this);
    PreviewButton = new QPushButton(QStringLiteral("Send"), this);
    PreviewButton->setObjectName(QStringLiteral("PreviewButton"));
    PreviewButton->setDefault(true);
    spSkinButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    spSkinButton1->setObjectName(QStringLiteral("spSkinButton1"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(caption);
    texts->addWidget(lblErrorText, 1);
    texts->addWidget(lblReport);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(PreviewButton);
    buttons->addWidget(spSkinButton1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    connect(PreviewButton, &QPushButton::clicked, this, &TErrorForm::PreviewButtonClick);
    connect(spSkinButton1, &QPushButton::clicked, this, &TErrorForm::reject);
    resize(ClientWidth, ClientHeight);
}

int TErrorForm::ShowReport(const QString& AMessage, const std::function<void()>& ASend)
{
    lblErrorText->setText(AMessage);
    lblReport->setText(ReportText);
    PreviewButton->setEnabled(true);
    spSkinButton1->setEnabled(true);
    FSend = ASend;
    const int result = exec();
    FSend = nullptr;
    return result;
}

void TErrorForm::PreviewButtonClick()
{
    if (FSending)
        return;
    FSending = true;
    PreviewButton->setEnabled(false);
    spSkinButton1->setEnabled(false);
    lblReport->setText(QStringLiteral("Sending the error report..."));
    if (FSend)
        FSend();
    FSending = false;
    accept();
}

void TErrorForm::reject()
{
    // Closing while the report goes out would return before sending has ended.
    if (!FSending)
        QDialog::reject();
}

void TErrorForm::showEvent(QShowEvent* AEvent)
{
    // A skin may have changed the height; the window keeps its own.
    resize(width(), ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(AEvent);
}
