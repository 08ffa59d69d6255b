// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/dialect.h"

#include <QString>
#include <QStringList>
#include <Qt>

// The filter state of the contact list as the page's controls hold it.
struct ContactFilter
{
    QString searchText;   // text of the search box as typed ("*" and "%" are wildcards)
    int statusIndex = -1; // -1 none chosen, 0 Aktiv, 1 Inaktiv, 2 Marketing, 3 Storno
    int kindIndex = -1;   // -1 none chosen, 0 Alle, 1 Nur Kunden, 2 Nur Lieferanten
    bool onlyWithDocs = false;
    QString orderBy = QStringLiteral("KURZNAME");
};

// Upper-cases character by character, so that letters without a single upper-case form (such as
// the German sharp s) stay as they are, just as the database's UPPER() leaves them.
QString UpperCaseChars(const QString& text);

// The search text of the contact list: every "*" becomes "%", then upper case.
QString ContactSearchText(const QString& typed);

// A search text made safe for the inside of a quoted LIKE pattern: apostrophes are doubled, and
// for MYSQL (where the backslash escapes inside literals and patterns) a backslash is written so
// that it matches itself. "%" and "_" stay wildcards.
QString LikePatternText(const QString& searchText, DatabaseType type);

// The SQL lines of the contact list (with "~" table markers).
QStringList BuildContactListSql(const ContactFilter& filter, DatabaseType type);

// The SQL lines of the document list of one contact, newest first.
QStringList BuildContactLinksSql(qint64 adrnr);

// The Windows virtual-key code of a key event, as the search box's key rule counts keys:
// letters and digits their ASCII codes, every other printable character (umlauts, punctuation,
// keypad digits and operators) a code of 48 or higher, space 32, and the control keys their codes.
// 0 for a key without a code.
int WindowsVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// Whether releasing the key (by its virtual-key code) requeries the contact list: codes of 48 and
// higher, Backspace and Delete, but not F7, F8 and F9.
bool SearchKeyRequeries(int virtualKey);
