// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

struct AppContext;

// Operations on contact links (rows of ~DOKUMENT). Statements run on the main window's qryExec;
// a failing statement is reported by the query layer, which then throws AbortSignal. None of
// them refreshes a list.

// The values of a new link.
struct NewContactLink
{
    qint64 adrnr = 0;
    QString kurzname;
    QString folder; // with its trailing separator
    QString fileName;
    QDate date;   // the day of creation (no time of day)
    QString user; // short name of the logged-in user
};

// The thirteen lines of the insert. Folder and file name are written exactly as they are, so
// that the link names the file even when its name has surrounding blanks or an apostrophe.
QStringList BuildInsertContactLinkSql(const NewContactLink& link);

// Links the file (full path) to the contact, dated today, created by ctx.shortName.
void InsertContactLink(AppContext& ctx, qint64 adrnr, const QString& kurzname, const QString& fullName);

// Asks "Wollen Sie diese Dokumentenverknüpfung wirklich löschen?" and, on Yes, deletes the link row
// (the file stays). Returns true when deleted.
bool DeleteContactLink(AppContext& ctx, qint64 id);

enum class ContactRenameResult {
    Renamed,        // file and link carry the new name
    FileNotRenamed, // the file could not be renamed (missing, target exists, no access): nothing changed
};

// Renames the file folder+oldName to folder+newName and then the link's D_DATEINAME. When the
// update of the link fails, the file gets its old name back (with a message saying so, or saying
// that this failed too) and AbortSignal is thrown again.
ContactRenameResult RenameContactLink(AppContext& ctx, qint64 id, const QString& folder,
                                      const QString& oldName, const QString& newName);

// The confirmation text of a rename.
QString ContactRenameQuestion(const QString& folder, const QString& oldName, const QString& newName);

// Whether the link's full path, trimmed of blanks at both ends, names an existing file.
bool ContactLinkFileExists(const QString& folder, const QString& fileName);

// The file dialog's next initial folder after choosing fullName: its folder without the trailing
// separator, except that a root ("/", "C:\") keeps it.
QString InitialDirFromFile(const QString& fullName);
