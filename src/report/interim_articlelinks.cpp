// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in for the two article link operations the report's actions call, until the article
// documents module with the shared operations is part of this tree; this file goes then. Same
// question, same statements, same file dialog.
#include "app/appcontext.h"
#include "articles/articlelinks.h"
#include "db/literals.h"
#include "db/queryops.h"
#include "util/messages.h"

#include <stdexcept>

bool DeleteArticleLink(AppContext& ctx, const QString& artnr, int lfdnr, bool confirm)
{
    if (confirm && !msg().askYesNo(QStringLiteral("Wollen Sie diese Dokumenten-Verknüpfung jetzt wirklich löschen? ")))
        return false;
    if (!ctx.qryExec)
        throw std::logic_error("qryExec missing");
    ExecSql(*ctx.qryExec, {QStringLiteral("DELETE FROM ~MARTBILD where ARTNR=") + SqlStr(artnr) +
                               QStringLiteral(" and LFDNR=") + SqlInt(lfdnr)});
    return true;
}

bool ChangeArticleLink(AppContext& ctx, const QString& artnr, int lfdnr, QWidget* parent)
{
    const QString chosen = msg().openFileName(parent, QString(), ctx.settings.OpenDialog1InitialDir,
                                              QStringLiteral("Alle Dateien (*.*);;Word Dokumente (*.doc);;"
                                                             "Excel-Dateien (*.xls);;Bilder (*.bmp *.jpg *.tif *.gif)"));
    if (chosen.isEmpty())
        return false;
    qsizetype i = -1;
    for (const QChar sep : {QChar(u'\\'), QChar(u':'), QChar(u'/')})
        i = std::max(i, chosen.lastIndexOf(sep));
    const QString folder = chosen.left(i + 1);
    const QString fileName = chosen.mid(i + 1);
    if (!ctx.qryExec)
        throw std::logic_error("qryExec missing");
    ExecSql(*ctx.qryExec, {QStringLiteral("UPDATE ~MARTBILD set"), QStringLiteral("DATEINAME=") + SqlExact(fileName) + u',',
                           QStringLiteral("PFADNAME=") + SqlExact(folder), QStringLiteral("where ARTNR=") + SqlStr(artnr),
                           QStringLiteral("and LFDNR=") + SqlInt(lfdnr)});
    QString dir = folder;
    const bool root = dir.size() == 1 || (dir.size() == 3 && dir.at(1) == u':');
    if (!root && (dir.endsWith(u'\\') || dir.endsWith(u'/')))
        dir.chop(1);
    ctx.settings.OpenDialog1InitialDir = dir;
    return true;
}
