// SPDX-License-Identifier: GPL-3.0-or-later
// The query operations on a temporary SQLite database.
#include "querycases.h"
#include "testdb.h"

#include <QSqlDatabase>

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
