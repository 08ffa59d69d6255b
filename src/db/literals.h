// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/query.h"

#include <QDate>
#include <QString>

// SQL literals for the configured database type.

// Text literal: trimmed, cut to maxLength (> 0), "NULL" for empty text with nullIfEmpty,
// backslashes doubled for MYSQL, apostrophes turned into the acute accent unless the text holds
// "\rtf" (then doubled).
QString SqlStr(const QString& text, bool nullIfEmpty = false, int maxLength = 0);
// Literal that keeps the text exactly (file and folder names of links): no trimming, apostrophes
// doubled, and for MYSQL backslashes doubled.
QString SqlExact(const QString& text);
QString SqlInt(qint64 value);
// Date literal; an invalid date or one not later than 30.12.1899 means "no date".
QString SqlDate(const QDate& date);
// A WHERE condition for a user's search text on one field; begins with the connector.
QString BuildSearchCondition(const FieldInfo& field, const QString& searchText, const QString& connector,
                             const QString& qualifier = QString(), bool aliasFlag = false);

// Upper case of a user's text, character by character as the ERP does it ("ß" stays "ß").
QString UpperText(const QString& text);

// The empty-search marker: gives an always-false condition.
inline QString emptySearchMarker()
{
    return QStringLiteral("##LEERSTRING##");
}
