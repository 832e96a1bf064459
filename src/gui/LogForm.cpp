#include "gui/LogForm.h"

#include "app/EventsLog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TLogForm::TLogForm(QWidget* parent, TEventsLog* ALog)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("LogForm"));
    setWindowTitle(QStringLiteral("Events Log"));
    setFixedSize(406, 330);

    mmoLog = new QPlainTextEdit(this);
    mmoLog->setObjectName(QStringLiteral("mmoLog"));
    mmoLog->setReadOnly(true);
    mmoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmoLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoLog->setMinimumSize(390, 275);

    spSkinButton4 = new QPushButton(QStringLiteral("OK"), this);
    spSkinButton4->setObjectName(QStringLiteral("spSkinButton4"));
    connect(spSkinButton4, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(spSkinButton4);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(mmoLog);
    layout->addLayout(buttons);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    TEventsLog& log = ALog ? *ALog : EventsLog();
    for (const QString& line : log.Lines())
        mmoLog->appendPlainText(line);
    connect(&log, &TEventsLog::LineAdded, mmoLog, &QPlainTextEdit::appendPlainText);
}
