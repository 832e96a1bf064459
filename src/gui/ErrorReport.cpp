#include "gui/ErrorReport.h"

#include "app/ErrorReporter.h"
#include "app/ReportTexts.h"
#include "app/StoredSettings.h"
#include "app/UrlOpener.h"
#include "gui/ErrorForm.h"
#include "gui/Forms.h"
#include "gui/LogForm.h"
#include "gui/MainForm.h"

#include <QDesktopServices>
#include <QSettings>

#include <memory>

namespace {

QStringList& ActionHistory(TForms* AForms)
{
    // Before the main window exists there is no history yet; such reports carry
    // only their own sections.
    static QStringList early { HistoryHeader };
    return AForms && AForms->MainForm ? AForms->MainForm->State.ActionHistory : early;
}

// Every line of the events log window, whichever text control shows it.
QStringList EventsLogLines(TForms* AForms)
{
    const QObject* memo = AForms && AForms->LogForm
        ? AForms->LogForm->findChild<QObject*>(QStringLiteral("mmoLog"))
        : nullptr;
    const QString text = memo ? memo->property("plainText").toString() : QString();
    return text.isEmpty() ? QStringList() : text.split('\n');
}

TMailSettings StoredMailSettings()
{
    QSettings store { QLatin1String(SettingsOrganization), QLatin1String(SettingsApplication) };
    return TMailSettings::Load(store);
}

} // namespace

void ShowErrorReport(const QString& message, const QString& mark)
{
    if (!HasUrlOpener())
        SetUrlOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); });
    TForms* forms = TForms::Instance();
    std::unique_ptr<TErrorForm> own;
    TErrorForm* form = forms && forms->ErrorForm ? forms->ErrorForm.get()
                                                 : (own = std::make_unique<TErrorForm>()).get();
    form->ShowReport(message, [&] {
        SendErrorReport(
            ActionHistory(forms), EventsLogLines(forms), message, mark, StoredMailSettings());
    });
}
