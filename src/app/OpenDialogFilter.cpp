#include "app/OpenDialogFilter.h"

#include <QStringList>

namespace {

struct TFormatRow {
    const char* Description;
    const char* Mask;
};

// Masks as they have always been shipped, "*m2ts" and "*.h.264" included.
constexpr TFormatRow AudioFormatTable[] = {
    { "Advanced Audio Coding", "*.aac" },
    { "Dolby-digital AC-3", "*.ac3" },
    { "Monkey's Audio", "*.ape" },
    { "Digital Theater System", "*.dts" },
    { "Free Lossless Audio", "*.flac" },
    { "Matroska Audio", "*.mka" },
    { "MPEG Audio", "*.mpa" },
    { "MP2 MPEG-1 layer 2 audio", "*.mp2" },
    { "MP3 MPEG-1 layer 3 audio", "*.mp3" },
    { "MPEG-4 Audio", "*.m4a" },
    { "Musepack", "*.mpc" },
    { "OptimFROG Audio", "*.ofr" },
    { "OGG Vorbis Audio", "*.ogg" },
    { "RealAudio files", "*.ra" },
    { "The True Audio", "*.tta" },
    { "Waveform files", "*.wav" },
    { "Windows Media Audio", "*.wma" },
};

constexpr TFormatRow VideoFormatTable[] = {
    { "MOD files", "*.mod" },
    { "High-definition files", "*.mts; *.ts; *m2ts; *.tp" },
    { "AVI files", "*.avi" },
    { "MPEG-4 files", "*.mp4; *.m4v" },
    { "MPEG files", "*.mpg; *.mpeg" },
    { "3GP files", "*.3gp; *.3g2" },
    { "Windows Media Video", "*.wmv; *.asf" },
    { "Real Media files", "*.rm; *.rmvb" },
    { "Video CD files", "*.dat" },
    { "Quick Time files", "*.mov" },
    { "Flash Video files", "*.flv; *.f4v" },
    { "Matroska files", "*.mkv" },
    { "Digital Video files", "*.dv" },
    { "NUT files", "*.nut" },
    { "Raw h.264 video files", "*.h.264" },
    { "Nullsoft Stream Video", "*.nsv" },
    { "Video Object files", "*.vob" },
};

template <typename Table> QString masksOf(const Table& table)
{
    QString masks;
    for (const TFormatRow& row : table)
        masks += QLatin1String(row.Mask) + QLatin1Char(';');
    return masks;
}

template <typename Table> QString groupsOf(const Table& table)
{
    QString groups;
    for (const TFormatRow& row : table) {
        const QString mask = QLatin1String(row.Mask);
        groups += QLatin1Char('|') + QString::fromLatin1(row.Description) + QStringLiteral(" (")
            + mask + QStringLiteral(")|") + mask + QLatin1Char(';');
    }
    return groups;
}

} // namespace

QString BuildOpenDialogFilter()
{
    return QStringLiteral("All Supported Formats|") + masksOf(AudioFormatTable)
        + masksOf(VideoFormatTable) + QStringLiteral("|Audio Formats|") + masksOf(AudioFormatTable)
        + QStringLiteral("|Video Formats|") + masksOf(VideoFormatTable) + groupsOf(AudioFormatTable)
        + groupsOf(VideoFormatTable);
}

QString ToDialogFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList groups;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList masks;
        for (const QString& mask : parts[i + 1].split(QLatin1Char(';')))
            if (!mask.trimmed().isEmpty())
                masks << mask.trimmed();
        QString description = parts[i];
        // A description that already names its masks gets them in the dialog's form.
        const qsizetype paren = description.lastIndexOf(QStringLiteral(" ("));
        if (paren >= 0 && description.endsWith(QLatin1Char(')')))
            description.truncate(paren);
        groups << description + QStringLiteral(" (") + masks.join(QLatin1Char(' '))
                + QLatin1Char(')');
    }
    return groups.join(QStringLiteral(";;"));
}
