// SPDX-License-Identifier: GPL-3.0-or-later
#include "articles/articlelist.h"

#include "db/literals.h"

#include <QHash>

namespace {

QString countSubQuery()
{
    return QStringLiteral("(select COUNT(*) from ~MARTBILD  MARTBILD where MART.ARTNR = MARTBILD.ARTNR)");
}

bool isGroupFilter(const QString& label)
{
    return !label.isEmpty() && label != QStringLiteral("*");
}

} // namespace

QString ArticleSearchText(const QString& editText)
{
    QString s = editText;
    s.replace(u'*', u'%');
    return UpperText(s);
}

QString ArticleOrderColumn(const QString& labelText)
{
    if (labelText.isEmpty() || labelText == QStringLiteral("ANZBILDER"))
        return QStringLiteral("ARTNR");
    return labelText;
}

FieldKind ArticleFieldKind(const QString& field)
{
    static const QHash<QString, FieldKind> kinds = {
        {QStringLiteral("ANZBILDER"), FieldKind::Integer},
        {QStringLiteral("ARTNR"), FieldKind::String},
        {QStringLiteral("TYP"), FieldKind::String},
        {QStringLiteral("BEZEICHNUNG"), FieldKind::String},
        {QStringLiteral("OBERGRUPPE"), FieldKind::String},
        {QStringLiteral("GRUPPE"), FieldKind::String},
        {QStringLiteral("UNTGRUPPE"), FieldKind::String},
        {QStringLiteral("HERSTELLER"), FieldKind::String},
        {QStringLiteral("LAGERORT"), FieldKind::String},
        {QStringLiteral("KENNZ1"), FieldKind::String},
        {QStringLiteral("KENNZ2"), FieldKind::String},
        {QStringLiteral("KENNZ3"), FieldKind::String},
        {QStringLiteral("KENNZ4"), FieldKind::String},
        {QStringLiteral("KENNZ5"), FieldKind::String},
        {QStringLiteral("ARTIKELART"), FieldKind::SmallInt},
        {QStringLiteral("INAKTIV"), FieldKind::Integer},
    };
    return kinds.value(field.toUpper(), FieldKind::String);
}

QStringList BuildArticleListSql(const ArticleListFilter& filter)
{
    QStringList lines{
        QStringLiteral("select ARTNR,OBERGRUPPE,GRUPPE,UNTGRUPPE,TYP,BEZEICHNUNG,HERSTELLER,INAKTIV,"),
        QStringLiteral("LAGERORT,KENNZ1,KENNZ2,KENNZ3,KENNZ4,KENNZ5,ARTIKELART,"),
        countSubQuery() + QStringLiteral(" as ANZBILDER"), QStringLiteral(" FROM ~MART MART")};
    bool first = true;
    auto connector = [&first]() {
        const QString c = first ? QStringLiteral("WHERE ") : QStringLiteral(" AND ");
        first = false;
        return c;
    };
    if (!filter.searchText.isEmpty())
        lines << BuildSearchCondition(FieldInfo{filter.orderBy, ArticleFieldKind(filter.orderBy)},
                                      filter.searchText, connector(), QString(), false);
    // Group codes are compared as exact literals, so a code with an apostrophe finds its articles.
    if (isGroupFilter(filter.mainGroup))
        lines << connector() + QStringLiteral("UPPER(OBERGRUPPE) =") + SqlExact(UpperText(filter.mainGroup));
    if (isGroupFilter(filter.group))
        lines << connector() + QStringLiteral("UPPER(GRUPPE) =") + SqlExact(UpperText(filter.group));
    if (isGroupFilter(filter.subGroup))
        lines << connector() + QStringLiteral("UPPER(UNTGRUPPE) =") + SqlExact(UpperText(filter.subGroup));
    if (filter.kindIndex > 0)
        lines << connector() + QStringLiteral("ARTIKELART=") + SqlInt(filter.kindIndex);
    if (filter.onlyWithDocuments)
        lines << connector() + countSubQuery() + QStringLiteral(" > 0");
    lines << QStringLiteral("ORDER BY ") + filter.orderBy;
    return lines;
}

void ArticleCellColors(const QVariant& artikelart, const QVariant& inaktiv, const QVariant& anzBilder,
                       bool highlighted, CellColors& colors)
{
    if (!highlighted && !artikelart.isNull() && artikelart.toInt() == 2) {
        colors.background = QColor(215, 255, 255);
        colors.text = QColor(Qt::black);
    }
    if (!inaktiv.isNull() && inaktiv.toInt() == 1)
        colors.text = QColor(128, 128, 128);
    if (!anzBilder.isNull() && anzBilder.toInt() == 0)
        colors.italic = true;
}

void InvalidLinkCellColors(bool highlighted, CellColors& colors)
{
    if (highlighted) {
        colors.background = QColor(255, 0, 0);
        colors.text = QColor(Qt::white);
    } else {
        colors.text = QColor(255, 0, 0);
    }
}

QString ArticleKindText(const QVariant& value)
{
    if (value.isNull() || value.toString().isEmpty())
        return QStringLiteral("Fehler");
    switch (value.toInt()) {
    case 1:
        return QStringLiteral("Miete");
    case 2:
        return QStringLiteral("Verkauf");
    case 3:
        return QStringLiteral("Dienstl.");
    case 4:
        return QStringLiteral("Arb.zeit");
    case 5:
        return QStringLiteral("Text");
    default:
        return value.toString();
    }
}

int SearchKeyRowStep(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Down:
        return 1;
    case Qt::Key_Up:
        return -1;
    case Qt::Key_PageDown:
        return 10;
    case Qt::Key_PageUp:
        return -10;
    default:
        return 0;
    }
}

bool SearchKeyRequeries(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text)
{
    Q_UNUSED(modifiers);
    if (qtKey == Qt::Key_Backspace || qtKey == Qt::Key_Delete)
        return true;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35)
        return true;
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return true;
    // Punctuation, umlauts and the operators of the numeric pad carry a printable text; the space
    // bar, Enter, Tab and Escape do not count.
    return !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace();
}
