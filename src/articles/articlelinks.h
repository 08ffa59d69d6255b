// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Query;
class QWidget;
struct AppContext;

// Operations on article links (rows of ~MARTBILD) shared by the article page, the invalid-link
// report and the file manager. None of them refreshes a list. A failing statement is reported by
// the query operations and ends the action with AbortSignal.
//
// File and folder names enter the statements as exact literals (SqlExact), so a link names its file
// even when the name holds an apostrophe or surrounding blanks.

// Deletes one link; asks first when confirm is true (only Yes deletes). Returns true when deleted.
// The file on disk is never touched. Runs on ctx.qryExec.
bool DeleteArticleLink(AppContext& ctx, const QString& artnr, int lfdnr, bool confirm);
// Adds a link of the article to the file (full path); returns the new running number (the highest
// running number of the article plus one). Runs on ctx.qry1.
int InsertArticleLink(AppContext& ctx, const QString& artnr, const QString& fullName);
// Lets the user choose another file for the link and points the link at it. Returns true when
// the link was changed (false when cancelled). Runs on ctx.qryExec; updates the article file
// dialog's initial folder (ctx.settings.OpenDialog1InitialDir).
bool ChangeArticleLink(AppContext& ctx, const QString& artnr, int lfdnr, QWidget* parent = nullptr);

// The article file dialog: filter list and the question for a file (empty = cancelled). A chosen
// file sets ctx.settings.OpenDialog1InitialDir only through RememberArticleFileFolder.
QString ArticleFileFilter();
QString AskArticleFile(AppContext& ctx, QWidget* parent);
void RememberArticleFileFolder(AppContext& ctx, const QString& fullName);

// Splits a full file name after its last "\", ":" or "/": the folder keeps its trailing separator,
// and folder + file name gives the full name back.
void SplitLinkPath(const QString& fullName, QString* folder, QString* fileName);
// The folder of a full file name without its trailing separator; a root ("C:\", "/") keeps it.
QString FolderWithoutSeparator(const QString& fullName);

// The file a link names: folder + file name as stored, or that path trimmed of surrounding blanks
// when only the trimmed one exists. Returns the stored path when neither exists.
QString ResolveLinkPath(const QString& folder, const QString& fileName);
// True when the link names an existing file (as stored, or trimmed of surrounding blanks).
bool LinkFileExists(const QString& folder, const QString& fileName);

enum class RenameResult {
    Renamed,          // file renamed and link updated
    RenameFailed,     // the file could not be renamed (target exists, source missing, no access)
    LinkUpdateFailed, // the link update failed; the file got its old name back
    RollbackFailed    // the link update failed and the file could not get its old name back
};

// Renames the linked file folder + oldName to folder + newName (the new name exactly as typed; a
// name holding a separator moves the file into that sub folder) and then points the link at the
// new name with ctx.qryExec. When the link update fails after the file was renamed, the file is
// renamed back and a message says what happened; the abort signal of the failed statement is
// swallowed, the result tells the caller. Asks nothing.
RenameResult RenameArticleLinkFile(AppContext& ctx, const QString& artnr, int lfdnr, const QString& folder,
                                   const QString& oldName, const QString& newName);
