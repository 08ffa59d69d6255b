// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the query layer on a large database made by gen_bigdb:
//
//   bench_query FILE.db
//
// Prints the time to open the article list statement of the article page (with its document
// count sub-query) and show its first rows, to step through all of it, and to scan all article
// links once with a forward-only query (as the invalid-link report does), with and without the
// file test.

#include "db/dialect.h"
#include "db/queryops.h"
#include "db/sqlitesupport.h"
#include "util/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <cstdio>

namespace {
class QuietMessages : public Messages
{
public:
    Answer show(Kind, const QString& text, Buttons, const QString&) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return Answer::Ok;
    }
    void playSound(Sound) override {}
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString existingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int execDialog(QDialog&) override { return 0; }
    bool openUrl(const QUrl&) override { return false; }
    bool startDetached(const QString&, const QStringList&) override { return false; }
    void setCursor(Cursor) override {}
};
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2 || !QFileInfo::exists(app.arguments()[1])) {
        std::fprintf(stderr, "usage: bench_query FILE.db   (make one with gen_bigdb --sqlite FILE.db)\n");
        return 2;
    }
    QuietMessages quiet;
    Messages::setInstance(&quiet);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(app.arguments()[1]);
    if (!db.open())
        return 1;
    db::installSqliteFunctions(db);
    db::setDialect(DatabaseType::SQLITE, QString());
    QElapsedTimer t;
    try {
        Query art(QStringLiteral("qryMArt"));
        t.start();
        OpenSql(
            art,
            {QStringLiteral("select ARTNR,OBERGRUPPE,GRUPPE,UNTGRUPPE,TYP,BEZEICHNUNG,HERSTELLER,INAKTIV,"),
             QStringLiteral("LAGERORT,KENNZ1,KENNZ2,KENNZ3,KENNZ4,KENNZ5,ARTIKELART,"),
             QStringLiteral("(select COUNT(*) from ~MARTBILD  MARTBILD where MART.ARTNR = MARTBILD.ARTNR) as "
                            "ANZBILDER"),
             QStringLiteral(" FROM ~MART MART"), QStringLiteral("ORDER BY ARTNR")});
        std::printf("article list open (first %d rows): %lld ms\n", art.rowCount(), t.elapsed());
        t.restart();
        int rows = 0;
        qint64 docs = 0;
        for (; !art.eof(); art.next(), ++rows)
            docs += art.value(QStringLiteral("ANZBILDER")).toInt();
        std::printf("article list, all %d rows stepped (%lld links counted): %lld ms\n", rows, docs,
                    t.elapsed());

        for (bool withFiles : {false, true}) {
            Query scan(QStringLiteral("qry1"));
            scan.setForwardOnly(true);
            t.restart();
            OpenSql(scan,
                    {QStringLiteral(
                         "select MARTBILD.ARTNR,MARTBILD.LFDNR,MARTBILD.LFDNR,MARTBILD.DATEINAME,"
                         "MARTBILD.PFADNAME,MARTBILD.TEXT, MARTBILD.BILDKENNZ, MART.TYP,MART.BEZEICHNUNG"),
                     QStringLiteral("FROM ~MARTBILD MARTBILD"),
                     QStringLiteral("left outer join ~MART MART on MART.ARTNR=MARTBILD.ARTNR"),
                     QStringLiteral("ORDER BY MARTBILD.ARTNR,MARTBILD.DATEINAME")});
            int n = 0, missing = 0;
            for (; !scan.eof(); scan.next(), ++n) {
                const QString full =
                    QString(scan.text(QStringLiteral("PFADNAME")) + scan.text(QStringLiteral("DATEINAME")))
                        .trimmed();
                if (withFiles && !QFileInfo(full).isFile())
                    ++missing;
            }
            std::printf("article link scan, forward-only, %d rows%s: %lld ms\n", n,
                        withFiles ? qPrintable(QStringLiteral(", file test (%1 missing)").arg(missing)) : "",
                        t.elapsed());
        }
    } catch (const AbortSignal&) {
        return 1;
    }
    return 0;
}
