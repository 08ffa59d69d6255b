// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class Query;
class QWidget;
struct AppContext;

// Operations on article links (rows of ~MARTBILD) shared by the article page, the invalid-link
// report and the file manager. None of them refreshes a list.

// Deletes one link; asks first when confirm is true (only Yes deletes). Returns true when deleted.
bool DeleteArticleLink(AppContext& ctx, const QString& artnr, int lfdnr, bool confirm);
// Adds a link of the article to the file (full path); returns the new running number.
int InsertArticleLink(AppContext& ctx, const QString& artnr, const QString& fullName);
// Lets the user choose another file for the link and points the link at it. Returns true when
// the link was changed (false when cancelled).
bool ChangeArticleLink(AppContext& ctx, const QString& artnr, int lfdnr, QWidget* parent = nullptr);
