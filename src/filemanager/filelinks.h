// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct AppContext;
class Query;

// The file manager's work on files and the article links (~MARTBILD) that name them, without a
// window. File and folder names enter the statements as exact literals, as the links store them.

// One article link: article number and running number.
struct FileLink
{
    QString artnr;
    int lfdnr = 0;
    QString folder;   // PFADNAME
    QString fileName; // DATEINAME
    bool operator==(const FileLink&) const = default;
};

// The folder of a file as the links store it: native separators and one trailing separator.
QString LinkFolderOf(const QString& absoluteFolder);

// The lookup of the article links that name a file of this name, in any folder (six lines).
QStringList FileLinksSql(const QString& fileName);
// Opens the lookup on the query (the link list of the window). A failure is reported by the query
// layer and then with a beep and "Die Dokumenten-Abfrage war nicht erfolgreich:" followed by the text
// of the abort; the query stays closed and the result is false.
bool FindFileLinks(Query& qryMArtBild, const QString& fileName);
// All rows of an open lookup (reads the rest of the rows); empty for a closed query.
QList<FileLink> FileLinksOf(Query& qryMArtBild);
// The links among them that name the file folder + fileName itself (same folder; letter case as the
// platform's file names compare it; blanks around the stored path do not count).
QList<FileLink> LinksOfFile(const QList<FileLink>& links, const QString& folder, const QString& fileName);

// The questions of the rename and the delete.
QString RenameFileQuestion(const QString& folder, const QString& oldName, const QString& newName);
QString DeleteFileQuestion(int linkCount);

enum class FileRenameResult {
    Renamed,          // file renamed, links updated
    RenameFailed,     // file not renamed (target exists, source missing, no access, empty name)
    LinkUpdateFailed, // the link update failed; the file got its old name back
    RollbackFailed    // the link update failed and the file keeps its new name
};

// Renames folder + oldName to folder + newName (the new name exactly as typed; a name with a
// separator moves the file into that sub folder) and then points every link that names the old file
// in that folder at the new name, with ctx.qryExec. A failed rename on disk shows nothing and changes
// no link. When the link update fails (the query layer has reported it), the file gets its old name
// back and a message says so; the abort is not passed on.
FileRenameResult RenameFileAndLinks(AppContext& ctx, const QString& folder, const QString& oldName,
                                    const QString& newName);

// Deletes folder + fileName for good and then each link with DeleteArticleLink (no question). A file
// that cannot be deleted gives the warning "Die Datei konnte nicht gelöscht werden!" and no link
// changes; the result is false. A failing DELETE statement ends the action with the abort signal
// (links after it stay).
bool DeleteFileAndLinks(AppContext& ctx, const QString& folder, const QString& fileName,
                        const QList<FileLink>& links);
