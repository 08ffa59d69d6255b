// SPDX-License-Identifier: GPL-3.0-or-later
#include "articles/articlelinks.h"

#include "app/appcontext.h"
#include "db/literals.h"
#include "db/queryops.h"
#include "util/messages.h"

#include <QFile>
#include <QFileInfo>

namespace {

Query& requireQuery(Query* q, const char* what)
{
    if (!q)
        throw std::logic_error(std::string("general query missing: ") + what);
    return *q;
}

// Closes the query when the scope ends, also when a statement failed.
class CloseOnExit
{
public:
    explicit CloseOnExit(Query& q) : q_(q) {}
    ~CloseOnExit() { CloseQuery(q_); }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    Query& q_;
};

QString lineBreak()
{
    return QStringLiteral("\r\n");
}

} // namespace

bool DeleteArticleLink(AppContext& ctx, const QString& artnr, int lfdnr, bool confirm)
{
    if (confirm &&
        !msg().askYesNo(QStringLiteral("Wollen Sie diese Dokumenten-Verknüpfung jetzt wirklich löschen? ")))
        return false;
    Query& q = requireQuery(ctx.qryExec, "qryExec");
    ExecSql(q, {QStringLiteral("DELETE FROM ~MARTBILD where ARTNR=") + SqlStr(artnr) +
                QStringLiteral(" and LFDNR=") + SqlInt(lfdnr)});
    return true;
}

int InsertArticleLink(AppContext& ctx, const QString& artnr, const QString& fullName)
{
    Query& q = requireQuery(ctx.qry1, "qry1");
    CloseOnExit closer(q);

    OpenSql(q, {QStringLiteral("SELECT Max(LFDNR) As MaxNr FROM ~MARTBILD where ARTNR=") + SqlStr(artnr)});
    int maxNr = 0;
    if (!q.eof())
        maxNr = q.value(QStringLiteral("MaxNr")).toInt(); // NULL (no links yet) reads as 0
    CloseQuery(q);

    QString folder;
    QString fileName;
    SplitLinkPath(fullName, &folder, &fileName);
    const int lfdnr = maxNr + 1;
    ExecSql(q,
            {QStringLiteral("INSERT INTO ~MARTBILD"), QStringLiteral("(ARTNR,LFDNR,DATEINAME,PFADNAME,TEXT)"),
             QStringLiteral("VALUES ("), SqlStr(artnr) + QStringLiteral(","),
             SqlInt(lfdnr) + QStringLiteral(","), SqlExact(fileName) + QStringLiteral(","),
             SqlExact(folder) + QStringLiteral(","), SqlStr(QString()) + QStringLiteral(")")});
    return lfdnr;
}

QString ArticleFileFilter()
{
    return QStringLiteral("Alle Dateien (*.*);;Word Dokumente (*.doc);;Excel-Dateien (*.xls);;"
                          "Bilder (*.bmp *.jpg *.tif *.gif)");
}

QString AskArticleFile(AppContext& ctx, QWidget* parent)
{
    return msg().openFileName(parent, QString(), ctx.settings.OpenDialog1InitialDir, ArticleFileFilter());
}

void RememberArticleFileFolder(AppContext& ctx, const QString& fullName)
{
    ctx.settings.OpenDialog1InitialDir = FolderWithoutSeparator(fullName);
}

bool ChangeArticleLink(AppContext& ctx, const QString& artnr, int lfdnr, QWidget* parent)
{
    const QString chosen = AskArticleFile(ctx, parent);
    if (chosen.isEmpty())
        return false;
    QString folder;
    QString fileName;
    SplitLinkPath(chosen, &folder, &fileName);
    Query& q = requireQuery(ctx.qryExec, "qryExec");
    ExecSql(q,
            {QStringLiteral("UPDATE ~MARTBILD set"),
             QStringLiteral("DATEINAME=") + SqlExact(fileName) + QStringLiteral(","),
             QStringLiteral("PFADNAME=") + SqlExact(folder), QStringLiteral("where ARTNR=") + SqlStr(artnr),
             QStringLiteral("and LFDNR=") + SqlInt(lfdnr)});
    RememberArticleFileFolder(ctx, chosen);
    return true;
}

void SplitLinkPath(const QString& fullName, QString* folder, QString* fileName)
{
    qsizetype i = -1;
    for (const QChar sep : {QChar(u'\\'), QChar(u':'), QChar(u'/')})
        i = std::max(i, fullName.lastIndexOf(sep));
    if (folder)
        *folder = fullName.left(i + 1);
    if (fileName)
        *fileName = fullName.mid(i + 1);
}

QString FolderWithoutSeparator(const QString& fullName)
{
    QString folder;
    SplitLinkPath(fullName, &folder, nullptr);
    // "/" and drive roots such as "C:\" keep their separator.
    const bool root = folder.size() == 1 || (folder.size() == 3 && folder.at(1) == u':');
    if (!root && (folder.endsWith(u'\\') || folder.endsWith(u'/')))
        folder.chop(1);
    return folder;
}

QString ResolveLinkPath(const QString& folder, const QString& fileName)
{
    const QString stored = folder + fileName;
    if (QFileInfo(stored).isFile())
        return stored;
    const QString trimmed = stored.trimmed();
    if (trimmed != stored && QFileInfo(trimmed).isFile())
        return trimmed;
    return stored;
}

bool LinkFileExists(const QString& folder, const QString& fileName)
{
    const QString stored = folder + fileName;
    if (QFileInfo(stored).isFile())
        return true;
    const QString trimmed = stored.trimmed();
    return trimmed != stored && !trimmed.isEmpty() && QFileInfo(trimmed).isFile();
}

RenameResult RenameArticleLinkFile(AppContext& ctx, const QString& artnr, int lfdnr, const QString& folder,
                                   const QString& oldName, const QString& newName)
{
    const QString from = folder + oldName;
    const QString to = folder + newName;
    if (newName.isEmpty() || !QFile::rename(from, to))
        return RenameResult::RenameFailed;

    Query& q = requireQuery(ctx.qryExec, "qryExec");
    try {
        ExecSql(q, {QStringLiteral("UPDATE ~MARTBILD SET DATEINAME=") + SqlExact(newName),
                    QStringLiteral("WHERE ARTNR=") + SqlStr(artnr),
                    QStringLiteral("and LFDNR=") + SqlInt(lfdnr)});
    } catch (const AbortSignal&) {
        // The query layer has reported the statement's failure. Keep file and link in step.
        if (QFile::rename(to, from)) {
            msg().show(Messages::Kind::Warning,
                       QStringLiteral("Die Verknüpfung konnte in der Datenbank nicht geändert werden.") +
                           lineBreak() +
                           QStringLiteral("Die Datei wurde deshalb wieder zurück umbenannt in:") +
                           lineBreak() + from);
            return RenameResult::LinkUpdateFailed;
        }
        msg().show(
            Messages::Kind::Error,
            QStringLiteral("Die Verknüpfung konnte in der Datenbank nicht geändert werden, und die Datei "
                           "konnte nicht wieder zurück umbenannt werden.") +
                lineBreak() + QStringLiteral("Die Datei heißt jetzt:") + lineBreak() + to + lineBreak() +
                QStringLiteral("Die Verknüpfung zeigt weiterhin auf:") + lineBreak() + from);
        return RenameResult::RollbackFailed;
    }
    return RenameResult::Renamed;
}
