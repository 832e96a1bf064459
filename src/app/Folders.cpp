#include "app/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

QString& programFolderOverride()
{
    static QString folder;
    return folder;
}

QString withSeparator(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

bool ensureFolder(const QString& path)
{
    QDir dir(path);
    return dir.exists() || dir.mkdir(path);
}

} // namespace

QString ProgramFolder()
{
    if (!programFolderOverride().isEmpty())
        return programFolderOverride();
    return withSeparator(QCoreApplication::applicationDirPath());
}

void SetProgramFolder(const QString& folder)
{
    programFolderOverride() = folder.isEmpty() ? QString() : withSeparator(folder);
}

QString SkinFolder()
{
    return ProgramFolder() + QStringLiteral("skin-charm");
}

QString MediaLibraryFolder()
{
    return ProgramFolder() + QStringLiteral("LibAV");
}

QString CatalogueFile()
{
    return ProgramFolder() + QStringLiteral("quaverly-profiles/formats.dat");
}

QString DocumentsBase()
{
    return documentsFolder() + QStringLiteral("/Larkspire/Quaverly");
}

QString DefaultOutputFolder()
{
    return DocumentsBase() + QStringLiteral("/Output");
}

bool CreateDocumentFolders()
{
    const QString larkspire = documentsFolder() + QStringLiteral("/Larkspire");
    // Each level only when the one above it is there, so nothing is made in odd places.
    if (ensureFolder(documentsFolder()) && ensureFolder(larkspire) && ensureFolder(DocumentsBase()))
        ensureFolder(DefaultOutputFolder());
    return QDir(DefaultOutputFolder()).exists();
}

QString PrepareTempFolder()
{
    const QString temp = DocumentsBase() + QStringLiteral("/Temp");
    if (ensureFolder(temp))
        return temp;
    return ProgramFolder().chopped(1);
}
