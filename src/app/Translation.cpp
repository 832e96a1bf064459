#include "app/Translation.h"

TLanguageTable& LanguageTable()
{
    static TLanguageTable table;
    return table;
}

QString TranslateText(const QString& Text)
{
    const TLanguageTable& table = LanguageTable();
    if (table.Rows.empty() || table.Selected < 0
        || table.Selected >= static_cast<int>(table.Rows.size()))
        return Text;
    const qsizetype position = table.Rows.front().indexOf(Text);
    const QStringList& selected = table.Rows[static_cast<size_t>(table.Selected)];
    return position >= 0 && position < selected.size() ? selected[position] : Text;
}
