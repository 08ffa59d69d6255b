// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/query.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>

// The article list without its window: the statement text, the cell colours, the kind texts and
// the keys of the search box.

// The filters of one requery, as read from the controls of the article page.
struct ArticleListFilter
{
    QString searchText; // already turned into the search text (ArticleSearchText)
    QString orderBy;    // field name of the sort column
    QString mainGroup;  // the three tree labels; empty or "*" adds no condition
    QString group;
    QString subGroup;
    int kindIndex = 0; // item index of the kind radio group, 0 = all
    bool onlyWithDocuments = false;
};

// The text of the search box as searched: every "*" becomes "%", upper-cased letter by letter.
QString ArticleSearchText(const QString& editText);
// The sort column used: an empty one or the computed count "ANZBILDER" becomes "ARTNR".
QString ArticleOrderColumn(const QString& labelText);
// The statement lines of the article list (with "~" table markers, untranslated).
QStringList BuildArticleListSql(const ArticleListFilter& filter);
// The declared kind of a field of the article list (the search condition depends on it).
FieldKind ArticleFieldKind(const QString& field);

// Colours of one grid cell; an invalid colour keeps the grid's own.
struct CellColors
{
    QColor background;
    QColor text;
    bool italic = false;
};

// Colours of a cell of the article list: light cyan behind a sale article (not on the selected
// row), grey text for an inactive article, italics for an article without documents.
void ArticleCellColors(const QVariant& artikelart, const QVariant& inaktiv, const QVariant& anzBilder,
                       bool highlighted, CellColors& colors);
// Colours of a cell of the link list whose file is missing: white on red on the selected row,
// red text elsewhere.
void InvalidLinkCellColors(bool highlighted, CellColors& colors);

// The text shown for an article kind value ("Miete", "Verkauf", ...; "Fehler" for an empty value).
QString ArticleKindText(const QVariant& value);

// Keys of the search box: the rows a pressed key moves the list by (0: the key is not consumed),
// and whether releasing a key requeries (letters, digits, punctuation, numeric pad, function keys,
// Backspace and Delete do; navigation keys, the space bar, Enter and modifiers do not).
int SearchKeyRowStep(int qtKey);
bool SearchKeyRequeries(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);
