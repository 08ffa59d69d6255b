// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line report on a real MariaDB server (started by the test fixture), connected as the
// program connects: through KORVAN.INI and the ODBC data source.
#include "app/connection.h"
#include "db/schema.h"
#include "mariadbtest.h"
#include "report/reportcli.h"
#include "scriptedmessages.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

namespace {
QString env(const char* name)
{
    return qEnvironmentVariable(name);
}
} // namespace

class TestReportCliMariaDb : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    bool exec(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("setup")));
        if (q.exec(sql))
            return true;
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }

    QString scalar(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("setup")));
        return q.exec(sql) && q.next() ? q.value(0).toString() : QString();
    }

    int run(const QStringList& args, QString* out, QString* err)
    {
        QTextStream o(out), e(err);
        const int code = runReportCommand(args, &o, &e);
        o.flush();
        e.flush();
        return code;
    }

private slots:
    void initTestCase()
    {
        KV_REQUIRE_MARIADB_TEST_SERVER();
        QVERIFY(dir.isValid());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("setup"));
        db.setHostName(env("KV_MARIADB_HOST"));
        db.setPort(env("KV_MARIADB_PORT").toInt());
        db.setDatabaseName(env("KV_MARIADB_DATABASE"));
        db.setUserName(env("KV_MARIADB_USER"));
        db.setPassword(env("KV_MARIADB_PASSWORD"));
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        for (const QString& t : schemaTables(DatabaseType::MYSQL))
            exec(QStringLiteral("DROP TABLE IF EXISTS ") + t);
        for (const QString& s : schemaStatements(DatabaseType::MYSQL))
            QVERIFY(exec(s));

        QFile ini(dir.filePath(QStringLiteral("KORVAN.INI")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral(
                      "[Options]\r\nDatabaseDriverName=MYSQL\r\nDatabase=%1\r\nUseSQLUser=1\r\n"
                      "DatabaseServerName=%2:%3\r\nDatabaseName=%4\r\nDatabaseUser=%5\r\nDatabasePW=%6\r\n")
                      .arg(env("KV_MARIADB_DSN"), env("KV_MARIADB_HOST"), env("KV_MARIADB_PORT"),
                           env("KV_MARIADB_DATABASE"), env("KV_MARIADB_USER"), env("KV_MARIADB_PASSWORD"))
                      .toUtf8());
    }

    void cleanupTestCase()
    {
        QSqlDatabase::database(QStringLiteral("setup"), false).close();
        QSqlDatabase::removeDatabase(QStringLiteral("setup"));
    }

    void reportAndCorrection()
    {
        ScriptedMessages messages;
        ResetMySqlVariant();
        const QString files = dir.filePath(QStringLiteral("files")) + u'/';
        QDir().mkpath(files);
        for (const char* name : {"da.pdf", "4711-P.dwg", "re-da.pdf"}) {
            QFile f(files + QString::fromLatin1(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(exec(QStringLiteral(
            "INSERT INTO mart (ARTNR, TYP, BEZEICHNUNG) VALUES ('A1', 'Blech', 'Winkel <40>')")));
        const QString insert = QStringLiteral(
            "INSERT INTO martbild (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('%1', %2, '%3', '%4')");
        QVERIFY(exec(insert.arg(QStringLiteral("A1")).arg(1).arg(QStringLiteral("da.pdf"), files)));
        QVERIFY(exec(insert.arg(QStringLiteral("A1")).arg(2).arg(QStringLiteral("P-4711.dwg"), files)));
        QVERIFY(exec(insert.arg(QStringLiteral("B2")).arg(1).arg(QStringLiteral("weg.pdf"), files)));
        QVERIFY(exec(QStringLiteral(
            "INSERT INTO eingangsrech (ID, BUCHNR, ERFDATUM) VALUES (5, 1234, '2024-03-05 10:00:00')")));
        QVERIFY(exec(
            QStringLiteral("INSERT INTO dokument (D_BEZUG_EINGERCHNR, D_EMPF_KURZNAME, D_PFAD, D_DATEINAME) "
                           "VALUES (5, 'MUELLER', '%1', 're-da.pdf'), (5, 'MUELLER', '%1', 're-weg.pdf'), "
                           "(0, 'KUNDE', '/x/', 'brief.doc')")
                .arg(files)));

        const QString k = QStringLiteral("/K:") + dir.filePath(QStringLiteral("KORVAN"));
        const QString report = dir.filePath(QStringLiteral("bericht.html"));
        QString out, err;
        int code = run({k, QStringLiteral("--report"), report}, &out, &err);
        QCOMPARE(err, QString());
        QCOMPARE(code, 1);
        QCOMPARE(out, QStringLiteral("5 Verknüpfungen geprüft, 2 ungültige Artikel-Verknüpfungen, "
                                     "1 ungültige Eingangsrechnungs-Verknüpfungen\n"));
        QFile f(report);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(f.readAll());
        f.close();
        QVERIFY(page.contains(QStringLiteral("<a href=\"#VerknNeu(A1/2)\">Neu verkn. | </a>")));
        QVERIFY(page.contains(QStringLiteral("Winkel &lt;40&gt;&nbsp;")));
        QVERIFY(page.contains(QStringLiteral("re-weg.pdf&nbsp;")));
        QVERIFY(page.contains(QStringLiteral(">1234/")));

        // The correction while the links are read: the statement runs beside the open cursor.
        out.clear();
        err.clear();
        code = run({k, QStringLiteral("--report"), report, QStringLiteral("--auto-correct")}, &out, &err);
        QCOMPARE(err, QString());
        QCOMPARE(code, 1);
        QCOMPARE(out, QStringLiteral("5 Verknüpfungen geprüft, 1 ungültige Artikel-Verknüpfungen, "
                                     "1 ungültige Eingangsrechnungs-Verknüpfungen, 1 korrigiert\n"));
        QCOMPARE(scalar(QStringLiteral("SELECT DATEINAME FROM martbild WHERE ARTNR='A1' AND LFDNR=2")),
                 QStringLiteral("4711-P.dwg"));

        // Nothing invalid left: exit 0.
        QVERIFY(exec(QStringLiteral("DELETE FROM martbild WHERE ARTNR='B2'")));
        QVERIFY(exec(QStringLiteral("DELETE FROM dokument WHERE D_DATEINAME='re-weg.pdf'")));
        out.clear();
        code = run({k, QStringLiteral("--report"), report}, &out, &err);
        QCOMPARE(code, 0);
        QCOMPARE(out, QStringLiteral("3 Verknüpfungen geprüft, 0 ungültige Artikel-Verknüpfungen, "
                                     "0 ungültige Eingangsrechnungs-Verknüpfungen\n"));
        QVERIFY(messages.shown.isEmpty());
    }

    void failingQuery()
    {
        ScriptedMessages messages;
        ResetMySqlVariant();
        QVERIFY(exec(QStringLiteral("DROP TABLE eingangsrech")));
        QString out, err;
        const int code = run({QStringLiteral("/K:") + dir.filePath(QStringLiteral("KORVAN")),
                              QStringLiteral("--report"), dir.filePath(QStringLiteral("b2.html"))},
                             &out, &err);
        QCOMPARE(code, 2);
        QVERIFY2(err.contains(QStringLiteral("eingangsrech"), Qt::CaseInsensitive), qPrintable(err));
        QVERIFY(out.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("b2.html"))));
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestReportCliMariaDb)
#include "tst_reportcli_mariadb.moc"
