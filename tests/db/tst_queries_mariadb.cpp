// SPDX-License-Identifier: GPL-3.0-or-later
// The query operations on a real MariaDB server (started by the test fixture), through QODBC by
// data source name, through QODBC by the driver string, and through QMYSQL.
#include "app/connection.h"
#include "db/schema.h"
#include "mariadbtest.h"
#include "querycases.h"
#include "util/inifile.h"

#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {
QString env(const char* name)
{
    return qEnvironmentVariable(name);
}
} // namespace

class TestQueriesMariaDb : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;

    Config baseConfig() const { return MariaDbTestConfig(dir.filePath(QStringLiteral("KORVAN.INI"))); }

    // Connects through ConnectDatabase; fails the test with the messages shown when it cannot.
    bool connect(const Config& c, const QString& name, ScriptedMessages& messages)
    {
        ResetMySqlVariant();
        const bool ok = ConnectDatabase(c, name);
        if (!ok)
            qWarning("connection %s failed: %s (server log: %s)", qPrintable(name),
                     qPrintable(messages.texts().join(QStringLiteral(" | "))),
                     qPrintable(env("KV_MARIADB_LOG")));
        return ok;
    }

    void useDialect() { db::setDialect(DatabaseType::MYSQL, QString()); }

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::newRow("odbc-dsn") << QStringLiteral("odbc-dsn");
        QTest::newRow("odbc-driver") << QStringLiteral("odbc-driver");
        QTest::newRow("mysql") << QStringLiteral("mysql");
    }

    void initTestCase()
    {
        KV_REQUIRE_MARIADB_TEST_SERVER();
        QVERIFY(dir.isValid());
        ScriptedMessages messages;

        // By data source name: one attempt, nothing written to the INI file.
        QVERIFY2(connect(baseConfig(), QStringLiteral("odbc-dsn"), messages),
                 "data source connection failed");
        QCOMPARE(MySqlVariant(), 0);
        QVERIFY(!QFile::exists(baseConfig().iniFilePath));

        // An unknown data source: silently on to the driver string, which then is remembered.
        Config c = baseConfig();
        c.databaseAlias = QStringLiteral("NOSUCHDSN");
        QVERIFY2(connect(c, QStringLiteral("odbc-driver"), messages), "driver connection failed");
        QCOMPARE(MySqlVariant(), 1);
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(IniFile(c.iniFilePath)
                     .readInteger(QStringLiteral("Options"), QStringLiteral("MySQLConncetionVariante"), 0),
                 1);

        QSqlDatabase my = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("mysql"));
        my.setHostName(env("KV_MARIADB_HOST"));
        my.setPort(env("KV_MARIADB_PORT").toInt());
        my.setDatabaseName(env("KV_MARIADB_DATABASE"));
        my.setUserName(env("KV_MARIADB_USER"));
        my.setPassword(env("KV_MARIADB_PASSWORD"));
        QVERIFY2(my.open(), qPrintable(my.lastError().text()));

        // The ERP tables, lower-case as on a MariaDB server.
        QSqlDatabase odbc = QSqlDatabase::database(QStringLiteral("odbc-dsn"));
        QSqlQuery q(odbc);
        for (const QString& t : schemaTables(DatabaseType::MYSQL))
            q.exec(QStringLiteral("DROP TABLE IF EXISTS ") + t);
        for (const QString& s : schemaStatements(DatabaseType::MYSQL))
            QVERIFY2(q.exec(s), qPrintable(q.lastError().text() + QStringLiteral(": ") + s));
    }

    void cleanupTestCase()
    {
        for (const QString& n :
             {QStringLiteral("odbc-dsn"), QStringLiteral("odbc-driver"), QStringLiteral("mysql")}) {
            QSqlDatabase::database(n, false).close();
            QSqlDatabase::removeDatabase(n);
        }
    }

    void init() { useDialect(); }

    void openReadEof()
    {
        QFETCH_GLOBAL(QString, connection);
        querycases::openReadEof(connection);
    }
    void execLines()
    {
        QFETCH_GLOBAL(QString, connection);
        querycases::execLines(connection);
    }
    void failures()
    {
        QFETCH_GLOBAL(QString, connection);
        querycases::failures(connection, QStringLiteral("mart"));
    }
    void translatedPrefix()
    {
        QFETCH_GLOBAL(QString, connection);
        // On MariaDB the schema prefix is the database's name.
        querycases::translatedPrefix(connection, DatabaseType::MYSQL, env("KV_MARIADB_DATABASE"));
    }
    void fieldKinds()
    {
        QFETCH_GLOBAL(QString, connection);
        querycases::fieldKinds(connection);
    }
    void searchConditions()
    {
        QFETCH_GLOBAL(QString, connection);
        querycases::searchConditions(connection);
    }
    void modelAndSignals()
    {
        QFETCH_GLOBAL(QString, connection);
        querycases::modelAndSignals(connection);
    }

    // A password with ";" and "{" reaches the server whole: by data source, by driver string,
    // and through QMYSQL. A password cut at the ";" does not get in.
    void passwordWithSemicolon()
    {
        QFETCH_GLOBAL(QString, connection);
        const QString password = QStringLiteral("ge;heim{1");
        const QString name = QStringLiteral("semi-") + connection;
        if (connection == u"mysql") {
            for (const QString& pw : {password, QStringLiteral("ge")}) {
                {
                    QSqlDatabase my = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), name);
                    my.setHostName(env("KV_MARIADB_HOST"));
                    my.setPort(env("KV_MARIADB_PORT").toInt());
                    my.setDatabaseName(env("KV_MARIADB_DATABASE"));
                    my.setUserName(QStringLiteral("kvsemi"));
                    my.setPassword(pw);
                    QCOMPARE(my.open(), pw == password);
                }
                QSqlDatabase::removeDatabase(name);
            }
            return;
        }
        Config c = baseConfig();
        c.databaseUser = QStringLiteral("kvsemi");
        if (connection == u"odbc-driver")
            c.databaseAlias = QStringLiteral("NOSUCHDSN");
        for (const QString& pw : {password, QStringLiteral("ge")}) {
            ScriptedMessages messages;
            c.databasePassword = pw;
            ResetMySqlVariant();
            const bool ok = ConnectDatabase(c, name);
            QVERIFY2(ok == (pw == password), qPrintable(messages.texts().join(u'|')));
            if (ok)
                QCOMPARE(MySqlVariant(), connection == u"odbc-driver" ? 1 : 0);
            else {
                QCOMPARE(messages.shown.size(), 2);
                QVERIFY2(messages.shown[0].text.contains(QStringLiteral("Access denied")),
                         qPrintable(messages.shown[0].text));
            }
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
    }
};

QTEST_MAIN(TestQueriesMariaDb)
#include "tst_queries_mariadb.moc"
