#include "app/Catalogue.h"

#include "app/Decryptor.h"

#include <stdexcept>

QStringList SplitChoiceList(const QString& list, bool values)
{
    QStringList valueList;
    QStringList textList;
    QString accumulator;
    for (QChar c : list) {
        if (c == QLatin1Char('$')) {
            valueList << accumulator;
            accumulator.clear();
        } else if (c == QLatin1Char(',')) {
            textList << accumulator;
            accumulator.clear();
        } else {
            accumulator += c;
        }
    }
    textList << accumulator;
    return values ? valueList : textList;
}

void ParseProfileLine(const QString& line, QString& key, QString& value)
{
    key.clear();
    value.clear();
    const qsizetype open = line.indexOf(QLatin1Char('<'));
    const qsizetype blank = open < 0 ? -1 : line.indexOf(QLatin1Char(' '), open);
    if (blank > open)
        key = line.mid(open + 1, blank - open - 1);
    const qsizetype first = line.indexOf(QLatin1Char('"'));
    const qsizetype second = first < 0 ? -1 : line.indexOf(QLatin1Char('"'), first + 1);
    if (second > first)
        value = line.mid(first + 1, second - first - 1);
}

QString TrimCatalogueLine(const QString& line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && line[end - 1].unicode() <= 0x20)
        --end;
    return line.mid(begin, end - begin);
}

namespace {

QString* profileField(TProfile& p, const QString& key)
{
    const QString k = key.toLower();
    const std::pair<const char*, QString*> fields[] = {
        { "profilename", &p.Title },
        { "formatext", &p.FormatExt },
        { "description", &p.Description },
        { "audiobitrate", &p.AudioBitRate },
        { "samplerate", &p.SampleRate },
        { "channel", &p.Channel },
        { "audiocodecname", &p.AudioCodecName },
        { "samplerates", &p.SampleRates },
        { "channels", &p.Channels },
        { "audiocodecs", &p.AudioCodecs },
        { "audiobitrates", &p.AudioBitRates },
        { "extraparam", &p.ExtraParam },
    };
    for (const auto& [name, field] : fields)
        if (k == QLatin1String(name))
            return field;
    return nullptr;
}

bool isCatalogueKey(const QString& key)
{
    TProfile probe;
    return profileField(probe, key) != nullptr;
}

} // namespace

TProfiles ParseCatalogue(const QStringList& lines)
{
    TProfiles profiles;
    for (const QString& raw : lines) {
        const QString line = TrimCatalogueLine(raw);
        if (line == QLatin1String("<Profile>")) {
            profiles.emplace_back();
            continue;
        }
        if (line == QLatin1String("</ProfileSet>"))
            break;
        QString key;
        QString value;
        ParseProfileLine(line, key, value);
        if (!isCatalogueKey(key))
            continue;
        if (profiles.empty())
            throw std::runtime_error(
                QStringLiteral("Profile setting \"%1\" comes before the first profile")
                    .arg(key)
                    .toStdString());
        *profileField(profiles.back(), key) = value;
    }
    for (TProfile& p : profiles)
        p.StandardAudioBitRate = p.AudioBitRate;
    return profiles;
}

TProfiles LoadCatalogue(const QString& fileName)
{
    QStringList lines;
    ReadDecrypted(fileName, lines);
    return ParseCatalogue(lines);
}

int ChoiceIndex(const QString& list, const QString& value)
{
    return static_cast<int>(SplitChoiceList(list, true).indexOf(value));
}
