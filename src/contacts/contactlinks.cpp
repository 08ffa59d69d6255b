// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/contactlinks.h"

#include "app/appcontext.h"
#include "db/literals.h"
#include "db/queryops.h"
#include "util/helpers.h"
#include "util/messages.h"

#include <QFile>
#include <QFileInfo>

QStringList BuildInsertContactLinkSql(const NewContactLink& link)
{
    const QString comma = QStringLiteral(",");
    return {QStringLiteral("INSERT INTO ~DOKUMENT"),
            QStringLiteral("(D_BEZUG_ADRNR,D_EMPF_KURZNAME,D_BEZUG_FORMULAR,D_DOKUMENTENART,D_BEZUG_AUFTRNR,"
                           "D_PFAD,D_DATEINAME,D_BETREFF,D_BEMERKUNG,ERFDATUM,ERFUSER)"),
            QStringLiteral("VALUES ("),
            SqlInt(link.adrnr) + comma,
            SqlStr(link.kurzname) + comma,
            QStringLiteral("3,1,"),
            SqlInt(0) + comma,
            SqlExact(link.folder) + comma,
            SqlExact(link.fileName) + comma,
            SqlStr(QString()) + comma,
            SqlStr(QString()) + comma,
            SqlDate(link.date) + comma,
            SqlStr(link.user) + QStringLiteral(")")};
}

void InsertContactLink(AppContext& ctx, qint64 adrnr, const QString& kurzname, const QString& fullName)
{
    NewContactLink link;
    link.adrnr = adrnr;
    link.kurzname = kurzname;
    SplitFilePath(fullName, &link.folder, &link.fileName);
    link.date = QDate::currentDate();
    link.user = ctx.shortName;
    ExecSql(*ctx.qryExec, BuildInsertContactLinkSql(link));
}

bool DeleteContactLink(AppContext& ctx, qint64 id)
{
    if (!msg().askYesNo(QStringLiteral("Wollen Sie diese Dokumentenverknüpfung wirklich löschen?")))
        return false;
    ExecSql(*ctx.qryExec,
            {QStringLiteral("DELETE FROM ~DOKUMENT"), QStringLiteral("WHERE ID=") + SqlInt(id)});
    return true;
}

QString ContactRenameQuestion(const QString& folder, const QString& oldName, const QString& newName)
{
    const QString br2 = QStringLiteral("\r\n\r\n");
    return QStringLiteral("Wollen Sie die Datei") + br2 + folder + oldName + br2 +
           QStringLiteral("wirklich nach") + br2 + folder + newName + br2 + QStringLiteral(" umbenennen? ");
}

ContactRenameResult RenameContactLink(AppContext& ctx, qint64 id, const QString& folder,
                                      const QString& oldName, const QString& newName)
{
    const QString from = folder + oldName;
    const QString to = folder + newName;
    if (!QFile::rename(from, to))
        return ContactRenameResult::FileNotRenamed;
    try {
        ExecSql(*ctx.qryExec, {QStringLiteral("UPDATE ~DOKUMENT SET D_DATEINAME=") + SqlExact(newName),
                               QStringLiteral("WHERE ID=") + SqlInt(id)});
    } catch (const AbortSignal&) {
        // The link still names the old file: give the file its old name back so that both agree.
        const QString br2 = QStringLiteral("\r\n\r\n");
        if (QFile::rename(to, from))
            msg().warning(QStringLiteral("Die Verknüpfung konnte nicht geändert werden. Die Datei wurde "
                                         "wieder zurück umbenannt in") +
                          br2 + from);
        else
            msg().warning(QStringLiteral("Die Verknüpfung konnte nicht geändert werden, und die Datei konnte "
                                         "nicht zurück umbenannt werden. Sie heißt jetzt") +
                          br2 + to);
        throw;
    }
    return ContactRenameResult::Renamed;
}

bool ContactLinkFileExists(const QString& folder, const QString& fileName)
{
    const QString path = QString(folder + fileName).trimmed();
    if (path.isEmpty())
        return false;
    return QFileInfo(path).isFile();
}

QString InitialDirFromFile(const QString& fullName)
{
    QString folder;
    SplitFilePath(fullName, &folder, nullptr);
    if (folder.size() <= 1)
        return folder; // "" or the root "/" (or "\")
    if (folder.endsWith(u'/') || folder.endsWith(u'\\')) {
        const QString without = folder.chopped(1);
        if (without.endsWith(u':'))
            return folder; // drive root such as "C:\"
        return without;
    }
    return folder;
}
