// SPDX-License-Identifier: GPL-3.0-or-later
// The query operations on a temporary SQLite database.
#include "querycases.h"
#include "testdb.h"

#include <QSqlDatabase>
#include <QSqlQuery>

class TestQueries : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestDatabase> tdb;

private slots:
    void init()
    {
        tdb = std::make_unique<TestDatabase>();
        QVERIFY(tdb->isOpen());
    }
    void cleanup() { tdb.reset(); }

    void openReadEof() { querycases::openReadEof(QString()); }
    void execLines() { querycases::execLines(QString()); }
    void failures() { querycases::failures(QString(), QStringLiteral("MART")); }
    void translatedPrefix()
    {
        querycases::translatedPrefix(QString(), DatabaseType::SQLITE, QStringLiteral("main"));
    }
    void fieldKinds() { querycases::fieldKinds(QString()); }
    void searchConditions() { querycases::searchConditions(QString()); }
    void modelAndSignals() { querycases::modelAndSignals(QString()); }

    // Queries on another named connection.
    void namedConnection()
    {
        TestDatabase other(QStringLiteral("second"));
        other.exec(QStringLiteral("INSERT INTO MART (ARTNR) VALUES ('X1')"));
        ScriptedMessages messages;
        Query q(QStringLiteral("qry1"), nullptr, QStringLiteral("second"));
        OpenSql(q, {QStringLiteral("SELECT COUNT(*) AS N FROM ~MART")});
        QCOMPARE(q.value(QStringLiteral("N")).toInt(), 1);
        CloseQuery(q);
        QCOMPARE(tdb->scalar(QStringLiteral("SELECT COUNT(*) FROM MART")).toInt(), 0);
    }

    // Without an open connection every operation reports and aborts.
    void noConnection()
    {
        tdb.reset();
        ScriptedMessages messages;
        Query q(QStringLiteral("qry1"));
        QVERIFY_THROWS_EXCEPTION(AbortSignal, OpenSql(q, {QStringLiteral("SELECT 1")}));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(!messages.shown[0].text.isEmpty());
        QVERIFY_THROWS_EXCEPTION(AbortSignal, ExecSql(q, {QStringLiteral("DELETE FROM ~MART")}));
        QCOMPARE(messages.shown.size(), 2);
    }

    // A statement that returns no rows cannot be opened.
    void openWithoutRows()
    {
        ScriptedMessages messages;
        Query q(QStringLiteral("qry1"));
        QVERIFY_THROWS_EXCEPTION(AbortSignal, OpenSql(q, {QStringLiteral("DELETE FROM ~MART")}));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(!q.isOpen());
    }

    // Case-insensitive search of umlauts needs the connection's Unicode UPPER().
    void unicodeUpper()
    {
        QCOMPARE(tdb->scalar(QStringLiteral("SELECT UPPER('müller straße é')")).toString(),
                 QStringLiteral("MÜLLER STRAßE É"));
        QVERIFY(tdb->scalar(QStringLiteral("SELECT UPPER(NULL) IS NULL")).toBool());
    }

    // A write while a grid's result is only partly read (rows are fetched lazily) is committed at
    // once: another connection sees it.
    void writeCommittedBesideOpenResult()
    {
        ScriptedMessages messages;
        Query e(QStringLiteral("qryExec"));
        QStringList values;
        for (int i = 1; i <= 2000; ++i)
            values << QStringLiteral("('A', %1)").arg(i);
        ExecSql(e, {QStringLiteral("INSERT INTO ~MARTBILD (ARTNR, LFDNR) VALUES ") + values.join(u',')});
        Query grid(QStringLiteral("qryMArtBild"));
        OpenSql(grid, {QStringLiteral("SELECT * FROM ~MARTBILD ORDER BY LFDNR")});
        QVERIFY(grid.rowCount() < 2000); // rows are read as the grid needs them
        ExecSql(e, {QStringLiteral("INSERT INTO ~MART (ARTNR) VALUES ('NEU')")});
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
            other.setDatabaseName(tdb->fileName());
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM MART WHERE ARTNR='NEU'")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        // The grid reads on undisturbed.
        QCOMPARE(grid.value(QStringLiteral("LFDNR")).toInt(), 1);
        grid.fetchAll();
        QCOMPARE(grid.rowCount(), 2000);
    }

    void sqlText()
    {
        Query q(QStringLiteral("qry1"));
        q.setSqlText(QStringLiteral("a\r\nb\nc\r\n"));
        QCOMPARE(q.sql(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QCOMPARE(q.sqlText(), QStringLiteral("a\r\nb\r\nc\r\n"));
        QCOMPARE(q.name(), QStringLiteral("qry1"));
    }
};

QTEST_MAIN(TestQueries)
#include "tst_queries.moc"
