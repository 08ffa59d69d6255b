// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/filelinks.h"

#include "app/appcontext.h"
#include "articles/articlelinks.h"
#include "db/literals.h"
#include "db/queryops.h"
#include "util/helpers.h"
#include "util/messages.h"

#include <QDir>
#include <QFile>

namespace {

QString lineBreak()
{
    return QStringLiteral("\r\n");
}

// File names compare as the platform's file system does.
Qt::CaseSensitivity fileNameCase()
{
#ifdef Q_OS_WIN
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
}

// Resumes the bound grids at every exit.
class ControlsDisabled
{
public:
    explicit ControlsDisabled(Query& q) : q_(q) { q_.disableControls(); }
    ~ControlsDisabled() { q_.enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Query& q_;
};

Query& execQuery(AppContext& ctx)
{
    if (!ctx.qryExec)
        throw std::logic_error("general query qryExec missing");
    return *ctx.qryExec;
}

} // namespace

QString LinkFolderOf(const QString& absoluteFolder)
{
    QString folder = QDir::toNativeSeparators(absoluteFolder);
    if (!folder.endsWith(pathSeparator()))
        folder += pathSeparator();
    return folder;
}

QStringList FileLinksSql(const QString& fileName)
{
    return {QStringLiteral("select MARTBILD.ARTNR, MARTBILD.LFDNR, MARTBILD.DATEINAME, MARTBILD.PFADNAME, "
                           "MARTBILD.TEXT, MARTBILD.BILDKENNZ,"),
            QStringLiteral("MART.TYP, MART.BEZEICHNUNG"),
            QStringLiteral("from ~MARTBILD MARTBILD"),
            QStringLiteral("left outer join ~MART MART on MART.ARTNR=MARTBILD.ARTNR"),
            QStringLiteral("WHERE MARTBILD.DATEINAME=") + SqlExact(fileName),
            QStringLiteral("ORDER BY MARTBILD.ARTNR,MARTBILD.DATEINAME")};
}

bool FindFileLinks(Query& qryMArtBild, const QString& fileName)
{
    ControlsDisabled disabled(qryMArtBild);
    CloseQuery(qryMArtBild);
    qryMArtBild.setSql(FileLinksSql(fileName));
    try {
        OpenQuery(qryMArtBild, true);
    } catch (const AbortSignal&) {
        msg().playSound(Messages::Sound::Beep);
        msg().warning(QStringLiteral("Die Dokumenten-Abfrage war nicht erfolgreich:") + AbortSignal::text());
        return false;
    }
    return true;
}

QList<FileLink> FileLinksOf(Query& q)
{
    QList<FileLink> links;
    if (!q.isOpen())
        return links;
    q.fetchAll();
    const int keep = q.currentRow();
    for (int row = 0; row < q.rowCount(); ++row) {
        q.setCurrentRow(row);
        links << FileLink{q.text(QStringLiteral("ARTNR")), q.value(QStringLiteral("LFDNR")).toInt(),
                          q.text(QStringLiteral("PFADNAME")), q.text(QStringLiteral("DATEINAME"))};
    }
    if (keep >= 0)
        q.setCurrentRow(keep);
    return links;
}

QList<FileLink> LinksOfFile(const QList<FileLink>& links, const QString& folder, const QString& fileName)
{
    const QString path = folder + fileName;
    QList<FileLink> result;
    for (const FileLink& link : links) {
        const QString linked = link.folder + link.fileName;
        if (linked.compare(path, fileNameCase()) == 0 || linked.trimmed().compare(path, fileNameCase()) == 0)
            result << link;
    }
    return result;
}

QString RenameFileQuestion(const QString& folder, const QString& oldName, const QString& newName)
{
    const QString gap = lineBreak() + lineBreak();
    return QStringLiteral("Wollen Sie die Datei") + gap + folder + oldName + gap +
           QStringLiteral("wirklich nach") + gap + folder + newName + gap + QStringLiteral(" umbenennen? ");
}

QString DeleteFileQuestion(int linkCount)
{
    return QStringLiteral("Wollen Sie diese Datei (incl. ") + QString::number(linkCount) +
           QStringLiteral(") Dokumenten-Verknüpfung(en) jetzt wirklich löschen? ");
}

FileRenameResult RenameFileAndLinks(AppContext& ctx, const QString& folder, const QString& oldName,
                                    const QString& newName)
{
    const QString from = folder + oldName;
    const QString to = folder + newName;
    if (oldName.isEmpty() || newName.isEmpty() || !QFile::rename(from, to))
        return FileRenameResult::RenameFailed;

    try {
        ExecSql(execQuery(ctx), {QStringLiteral("UPDATE ~MARTBILD SET DATEINAME=") + SqlExact(newName),
                                 QStringLiteral("WHERE DATEINAME=") + SqlExact(oldName),
                                 QStringLiteral("and PFADNAME=") + SqlExact(folder)});
    } catch (const AbortSignal&) {
        // The query layer has reported the statement. Keep file and links in step.
        if (QFile::rename(to, from)) {
            msg().warning(
                QStringLiteral("Die Verknüpfungen konnten in der Datenbank nicht geändert werden.") +
                lineBreak() + QStringLiteral("Die Datei wurde deshalb wieder zurück umbenannt in:") +
                lineBreak() + from);
            return FileRenameResult::LinkUpdateFailed;
        }
        msg().error(
            QStringLiteral("Die Verknüpfungen konnten in der Datenbank nicht geändert werden, und die "
                           "Datei konnte nicht wieder zurück umbenannt werden.") +
            lineBreak() + QStringLiteral("Die Datei heißt jetzt:") + lineBreak() + to + lineBreak() +
            QStringLiteral("Die Verknüpfungen zeigen weiterhin auf:") + lineBreak() + from);
        return FileRenameResult::RollbackFailed;
    }
    return FileRenameResult::Renamed;
}

bool DeleteFileAndLinks(AppContext& ctx, const QString& folder, const QString& fileName,
                        const QList<FileLink>& links)
{
    if (fileName.isEmpty() || !QFile::remove(folder + fileName)) {
        msg().warning(QStringLiteral("Die Datei konnte nicht gelöscht werden!"));
        return false;
    }
    for (const FileLink& link : links)
        DeleteArticleLink(ctx, link.artnr, link.lfdnr, false);
    return true;
}
