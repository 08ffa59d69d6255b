// SPDX-License-Identifier: GPL-3.0-or-later
// The connection strings, the messages of a failed connection and the MYSQL fallback.
#include "app/connection.h"
#include "db/schema.h"
#include "scriptedmessages.h"
#include "util/inifile.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString kServerWarning = QStringLiteral(
    "Server-Name fehlt!\r\n\r\nIn der Datenbank-Konfiguration muss ein Server-Name angegeben werden.\r\n"
    "Administrator: Menü Datei-->Admin-Optionen-->Datenbank-Parameter bearbeiten");
const QString kNameWarning =
    QStringLiteral("Datenbank-Name fehlt!\r\n\r\nIn der Datenbank-Konfiguration muss ein Datenbank-Name "
                   "angegeben werden.\r\n"
                   "Administrator: Menü Datei-->Admin-Optionen-->Datenbank-Parameter bearbeiten");
const QString kAdoQuestionStart =
    QStringLiteral("PROBLEM: Die Verbindung mit ADO ist fehlgeschlagen!\r\n\r\n\r\n");

// Answers the connection attempts from a list and records them.
struct FakeOpener
{
    QList<bool> results;
    QString errorText = QStringLiteral("[unixODBC][Driver Manager]Data source name not found");
    QList<DbConnectSettings> seen;
    DbOpener opener()
    {
        return [this](const DbConnectSettings& s, QString* e) {
            seen << s;
            const bool ok = results.isEmpty() ? false : results.takeFirst();
            if (!ok)
                *e = errorText;
            return ok;
        };
    }
};
} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    Config config(DatabaseType type)
    {
        Config c;
        c.databaseType = type;
        c.iniFilePath = dir.filePath(QStringLiteral("KORVAN.INI"));
        return c;
    }

private slots:
    void init()
    {
        ResetMySqlVariant();
        QFile::remove(dir.filePath(QStringLiteral("KORVAN.INI")));
    }

    void adoStrings_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("useSqlUser");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("warnings");
        const int ms = int(DatabaseType::MSSQL);
        QTest::newRow("mssql defaults")
            << ms << false << "KORVAN"
            << ""
            << "KORVAN"
            << ""
            << "Provider=SQLOLEDB.1;Persist Security Info=True;Integrated Security=SSPI;"
               "User ID=\"\";database=KORVAN;"
            << QStringList{kServerWarning};
        QTest::newRow("mssql sql user")
            << ms << true << "sa"
            << "geheim"
            << "ERP"
            << "srv\\SQL"
            << "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;Password=geheim;"
               "database=ERP;Server=srv\\SQL;"
            << QStringList{};
        QTest::newRow("mssql sql user empty")
            << ms << true << ""
            << "x"
            << "ERP"
            << "srv"
            << "Provider=SQLOLEDB.1;Persist Security Info=True;database=ERP;Server=srv;" << QStringList{};
        QTest::newRow("mssql nothing")
            << ms << false << ""
            << ""
            << ""
            << ""
            << "Provider=SQLOLEDB.1;Persist Security Info=True;Integrated Security=SSPI;"
               "User ID=\"\";"
            << QStringList{kNameWarning, kServerWarning};
        QTest::newRow("mssql semicolon")
            << ms << true << "sa"
            << "a;b"
            << "ERP"
            << "srv"
            << "Provider=SQLOLEDB.1;Persist Security Info=True;User ID=sa;Password=a;b;"
               "database=ERP;Server=srv;"
            << QStringList{};
    }
    void adoStrings()
    {
        QFETCH(int, type);
        QFETCH(bool, useSqlUser);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        QFETCH(QString, server);
        QFETCH(QString, expected);
        QFETCH(QStringList, warnings);
        Config c = config(DatabaseType(type));
        c.useSqlUser = useSqlUser;
        c.databaseUser = user;
        c.databasePassword = password;
        c.databaseName = database;
        c.databaseServerName = server;
        QStringList shown;
        QCOMPARE(MssqlAdoString(c, &shown), expected);
        QCOMPARE(shown, warnings);

        // The same through ConnectDatabase: warnings in order, then the failure question.
        ScriptedMessages messages;
        messages.answers << Messages::Answer::No;
        FakeOpener fake;
        QVERIFY(!ConnectDatabase(c, QStringLiteral("t"), fake.opener()));
        QCOMPARE(fake.seen.size(), 1);
        QCOMPARE(fake.seen[0].adoString, expected);
        QCOMPARE(fake.seen[0].qtDriver, QStringLiteral("QODBC"));
        QCOMPARE(messages.shown.size(), warnings.size() + 1);
        for (int i = 0; i < warnings.size(); ++i) {
            QCOMPARE(messages.shown[i].text, warnings[i]);
            QCOMPARE(messages.shown[i].kind, Messages::Kind::Warning);
            QCOMPARE(messages.shown[i].buttons, Messages::Buttons::Ok);
        }
        QVERIFY(messages.shown.last().text.startsWith(kAdoQuestionStart));
        QCOMPARE(messages.shown.last().buttons, Messages::Buttons::YesNo);
        QVERIFY(messages.openedUrls.isEmpty());
    }

    void mysqlStrings_data()
    {
        QTest::addColumn<bool>("useSqlUser");
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("dsnAdo");
        QTest::addColumn<QString>("driverAdo");
        QTest::addColumn<QString>("dsnOdbc");
        QTest::addColumn<QString>("driverOdbc");
        QTest::newRow("sql user")
            << true << "KORVAN"
            << "erp"
            << "pw"
            << "korvan"
            << "db1"
            << "Provider=MSDASQL;DSN=KORVAN;User=erp;Password=pw;"
            << "DRIVER={MySQL ODBC 3.51 Driver};SERVER=db1;DATABASE=korvan;USER=erp;PASSWORD=pw;"
               "OPTION=3;"
            << ";DSN=KORVAN;UID=erp;PWD=pw"
            << "DRIVER={MariaDB Unicode};SERVER=db1;DATABASE=korvan;UID=erp;PWD=pw;OPTION=3;"
               "CHARSET=utf8mb4";
        QTest::newRow("no sql user: dsn without user")
            << false << "KORVAN"
            << "erp"
            << "pw"
            << "korvan"
            << ""
            << "Provider=MSDASQL;DSN=KORVAN;"
            << "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=korvan;USER=erp;"
               "PASSWORD=pw;OPTION=3;"
            << ";DSN=KORVAN"
            << "DRIVER={MariaDB Unicode};DATABASE=korvan;UID=erp;PWD=pw;"
               "OPTION=3;CHARSET=utf8mb4";
        QTest::newRow("no alias, no user")
            << true << ""
            << ""
            << ""
            << ""
            << "h:3307"
            << "Provider=MSDASQL;"
            << "DRIVER={MySQL ODBC 3.51 Driver};SERVER=h:3307;OPTION=3;"
            << ";DSN="
            << "DRIVER={MariaDB Unicode};SERVER=h;PORT=3307;OPTION=3;CHARSET=utf8mb4";
        QTest::newRow("semicolon password quoted")
            << true << "K"
            << "u"
            << "ge;heim"
            << "d"
            << "127.0.0.1:33061"
            << "Provider=MSDASQL;DSN=K;User=u;Password=ge;heim;"
            << "DRIVER={MySQL ODBC 3.51 Driver};SERVER=127.0.0.1:33061;"
               "DATABASE=d;USER=u;PASSWORD=ge;heim;OPTION=3;"
            << ";DSN=K;UID=u;PWD={ge;heim}"
            << "DRIVER={MariaDB Unicode};SERVER=127.0.0.1;PORT=33061;DATABASE=d;"
               "UID=u;PWD={ge;heim};OPTION=3;CHARSET=utf8mb4";
        QTest::newRow("blanks and braces quoted")
            << true << "My DSN"
            << "u"
            << " x=1 {"
            << "d"
            << ""
            << "Provider=MSDASQL;DSN=My DSN;User=u;Password= x=1 {;"
            << "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=d;USER=u;"
               "PASSWORD= x=1 {;OPTION=3;"
            << ";DSN=My DSN;UID=u;PWD={ x=1 {}"
            << "DRIVER={MariaDB Unicode};DATABASE=d;UID=u;PWD={ x=1 {};OPTION=3;"
               "CHARSET=utf8mb4";
    }
    void mysqlStrings()
    {
        QFETCH(bool, useSqlUser);
        QFETCH(QString, alias);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, database);
        QFETCH(QString, server);
        QFETCH(QString, dsnAdo);
        QFETCH(QString, driverAdo);
        QFETCH(QString, dsnOdbc);
        QFETCH(QString, driverOdbc);
        Config c = config(DatabaseType::MYSQL);
        c.useSqlUser = useSqlUser;
        c.databaseAlias = alias;
        c.databaseUser = user;
        c.databasePassword = password;
        c.databaseName = database;
        c.databaseServerName = server;
        QCOMPARE(MySqlDsnAdoString(c), dsnAdo);
        QCOMPARE(MySqlDriverAdoString(c), driverAdo);
        QString error;
        QCOMPARE(MySqlDsnOdbcString(c, &error), dsnOdbc);
        QCOMPARE(MySqlDriverOdbcString(c, QStringLiteral("MariaDB Unicode"), &error), driverOdbc);
        QVERIFY(error.isEmpty());
    }

    // A "}" cannot be passed to ODBC: the connection is refused with a clear message, never
    // attempted with a cut password.
    void closingBraceRefused()
    {
        Config c = config(DatabaseType::MYSQL);
        c.useSqlUser = true;
        c.databasePassword = QStringLiteral("a}b");
        QString error;
        QVERIFY(MySqlDsnOdbcString(c, &error).isEmpty());
        QVERIFY(error.contains(QStringLiteral("Datenbank-Kennwort")));
        ScriptedMessages messages;
        FakeOpener fake;
        QVERIFY(!ConnectDatabase(c, QStringLiteral("t"), fake.opener()));
        QVERIFY(fake.seen.isEmpty());
        QCOMPARE(messages.shown.size(), 2);
        QVERIFY(messages.shown[0].text.startsWith(QStringLiteral(
            "Beim Verbinden mit dem Datenbank-Server ist ein Fehler aufgetreten.\r\n\r\nDer Wert für das "
            "Datenbank-Kennwort enthält das Zeichen \"}\"")));

        Config m = config(DatabaseType::MSSQL);
        m.useSqlUser = true;
        m.databaseServerName = QStringLiteral("srv");
        m.databasePassword = QStringLiteral("}");
        messages.clear();
        QVERIFY(!ConnectDatabase(m, QStringLiteral("t"), fake.opener()));
        QVERIFY(fake.seen.isEmpty());
        QCOMPARE(messages.shown.size(), 2);
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("Datenbank-Kennwort")));
        QVERIFY(messages.shown[1].text.startsWith(kAdoQuestionStart));
    }

    void mssqlOdbc()
    {
        Config c = config(DatabaseType::MSSQL);
        c.databaseServerName = QStringLiteral("sql1,1434");
        QString error;
        QCOMPARE(
            MssqlOdbcString(c, QStringLiteral("FreeTDS"), &error),
            QStringLiteral("DRIVER={FreeTDS};Trusted_Connection=Yes;DATABASE=KORVAN;SERVER=sql1;PORT=1434;"
                           "TDS_Version=7.4;ClientCharset=UTF-8"));
        c.useSqlUser = true;
        c.databasePassword = QStringLiteral("p;w");
        c.databaseServerName = QStringLiteral("sql1\\ERP");
        QCOMPARE(MssqlOdbcString(c, QStringLiteral("FreeTDS"), &error),
                 QStringLiteral("DRIVER={FreeTDS};UID=KORVAN;PWD={p;w};DATABASE=KORVAN;SERVER=sql1\\ERP;"
                                "TDS_Version=7.4;ClientCharset=UTF-8"));
        // Another driver named in KORVAN.INI.
        IniFile(c.iniFilePath)
            .writeString(QStringLiteral("Options"), QStringLiteral("OdbcDriver"),
                         QStringLiteral("ODBC Driver 18 for SQL Server"));
        ScriptedMessages messages;
        FakeOpener fake;
        fake.results << true;
        QVERIFY(ConnectDatabase(c, QStringLiteral("t"), fake.opener()));
        QVERIFY(
            fake.seen[0].databaseName.startsWith(QStringLiteral("DRIVER={ODBC Driver 18 for SQL Server};")));
        QCOMPARE(fake.seen[0].connectOptions,
                 QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=30;SQL_ATTR_CONNECTION_TIMEOUT=30"));
        QVERIFY(messages.shown.isEmpty());
    }

    void mssqlFailureOpensNotes()
    {
        Config c = config(DatabaseType::MSSQL);
        c.databaseServerName = QStringLiteral("srv");
        ScriptedMessages messages;
        messages.answers << Messages::Answer::Yes;
        FakeOpener fake;
        QVERIFY(!ConnectDatabase(c, QStringLiteral("t"), fake.opener()));
        QCOMPARE(messages.shown.size(), 1);
        // The error text of the failure itself is not shown for MSSQL.
        QVERIFY(!messages.shown[0].text.contains(fake.errorText));
        QCOMPARE(messages.shown[0].kind, Messages::Kind::Warning);
        QCOMPARE(messages.openedUrls.size(), 1);
        QVERIFY(messages.openedUrls[0].toString().endsWith(QStringLiteral(".pdf")));
    }

    void mysqlDataSourceWorks()
    {
        Config c = config(DatabaseType::MYSQL);
        ScriptedMessages messages;
        FakeOpener fake;
        fake.results << true;
        QVERIFY(ConnectDatabase(c, QStringLiteral("t"), fake.opener()));
        QCOMPARE(fake.seen.size(), 1);
        QCOMPARE(fake.seen[0].adoString, QStringLiteral("Provider=MSDASQL;DSN=KORVAN;"));
        QCOMPARE(MySqlVariant(), 0);
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(!QFile::exists(c.iniFilePath));
    }

    void mysqlDriverFallback()
    {
        Config c = config(DatabaseType::MYSQL);
        c.databaseServerName = QStringLiteral("dbhost");
        IniFile(c.iniFilePath)
            .writeString(QStringLiteral("Options"), QStringLiteral("Database"), QStringLiteral("KORVAN"));
        ScriptedMessages messages;
        FakeOpener fake;
        fake.results << false << true;
        QVERIFY(ConnectDatabase(c, QStringLiteral("t"), fake.opener()));
        QCOMPARE(fake.seen.size(), 2);
        QCOMPARE(fake.seen[1].adoString,
                 QStringLiteral("DRIVER={MySQL ODBC 3.51 Driver};SERVER=dbhost;DATABASE=KORVAN;"
                                "USER=KORVAN;PASSWORD=;OPTION=3;"));
        QVERIFY(
            fake.seen[1].databaseName.startsWith(QStringLiteral("DRIVER={MariaDB Unicode};SERVER=dbhost;")));
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(messages.sounds.isEmpty());
        QCOMPARE(MySqlVariant(), 1);
        const IniFile ini(c.iniFilePath);
        QCOMPARE(ini.readInteger(QStringLiteral("Options"), QStringLiteral("MySQLConncetionVariante"), -1),
                 1);
        QCOMPARE(ini.readString(QStringLiteral("Options"), QStringLiteral("Database")),
                 QStringLiteral("KORVAN"));
    }

    void mysqlBothFail()
    {
        Config c = config(DatabaseType::MYSQL);
        ScriptedMessages messages;
        messages.answers << Messages::Answer::No;
        FakeOpener fake;
        fake.errorText = QStringLiteral("Can't connect to server on 'x'");
        QVERIFY(!ConnectDatabase(c, QStringLiteral("t"), fake.opener()));
        QCOMPARE(fake.seen.size(), 2);
        QCOMPARE(messages.sounds, QList<Messages::Sound>{Messages::Sound::Question});
        QCOMPARE(messages.shown.size(), 2);
        QCOMPARE(messages.shown[0].text,
                 QStringLiteral("Beim Verbinden mit dem Datenbank-Server ist ein Fehler aufgetreten.\r\n\r\n"
                                "Can't connect to server on 'x'"));
        QCOMPARE(messages.shown[0].buttons, Messages::Buttons::Ok);
        QVERIFY(messages.shown[1].text.startsWith(kAdoQuestionStart));
        QVERIFY(messages.openedUrls.isEmpty());
        QVERIFY(!QFile::exists(c.iniFilePath));
    }

    void oracleAndInterbaseNotConnected()
    {
        for (DatabaseType t : {DatabaseType::ORACLE, DatabaseType::Interbase}) {
            ScriptedMessages messages;
            FakeOpener fake;
            QVERIFY(!ConnectDatabase(config(t), QStringLiteral("t"), fake.opener()));
            QVERIFY(fake.seen.isEmpty());
            QVERIFY(messages.shown.isEmpty());
        }
    }

    void adoFailureQuestionText()
    {
        Config c = config(DatabaseType::MSSQL);
        c.databaseServerName = QStringLiteral("s");
        ScriptedMessages messages;
        FakeOpener fake;
        ConnectDatabase(c, QStringLiteral("t"), fake.opener());
        QCOMPARE(
            messages.shown.last().text,
            QStringLiteral(
                "PROBLEM: Die Verbindung mit ADO ist fehlgeschlagen!\r\n\r\n\r\nMit der Version 9 "
                "beginnt für KORVAN ein neues Zeitalter:\r\nSchrittweise wird der Zugriff auf sämtliche "
                "Tabellen im Korvan auf ADO (ActiveX Data Objects) umgestellt.\r\n\r\nDer "
                "Datenbankzugriff mit ADO weist gegenüber dem Vorgänger  wesentliche Verbesserungen in "
                "der Ausführungsgeschwindigkeit auf.\r\n\r\nSie müssen entsprechende Änderungen in Ihren "
                "Korvan-Einstellungen durchführen.\r\n\r\nWollen Sie weitere Einzelheiten dazu "
                "erfahren?\r\n\r\n"));
    }

    // SQLite: a real connection to a file named relative to the INI file's folder.
    void sqliteRelativeToIni()
    {
        const QString sub = dir.filePath(QStringLiteral("demo"));
        QDir().mkpath(sub);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
            db.setDatabaseName(sub + QStringLiteral("/kv.db"));
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (const QString& s : schemaStatements(DatabaseType::SQLITE))
                QVERIFY(q.exec(s));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO MART (ARTNR, BEZEICHNUNG) VALUES ('1', 'müller')")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("make"));
        Config c = config(DatabaseType::SQLITE);
        c.iniFilePath = sub + QStringLiteral("/KORVAN.INI");
        c.databaseName = QStringLiteral("kv.db");
        QCOMPARE(SqliteDatabaseFile(c), sub + QStringLiteral("/kv.db"));
        ScriptedMessages messages;
        QVERIFY(ConnectDatabase(c, QStringLiteral("lite")));
        {
            QSqlDatabase db = QSqlDatabase::database(QStringLiteral("lite"));
            QVERIFY(db.isOpen());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("SELECT COUNT(*) FROM MART WHERE UPPER(BEZEICHNUNG) = 'MÜLLER'")));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toInt(), 1);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("lite"));
        QVERIFY(messages.shown.isEmpty());

        // A missing file is reported, not created.
        c.databaseName = QStringLiteral("missing.db");
        QVERIFY(!ConnectDatabase(c, QStringLiteral("lite2")));
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(messages.shown[0].text.contains(QStringLiteral("missing.db")));
        QVERIFY(!QFile::exists(sub + QStringLiteral("/missing.db")));
        QSqlDatabase::removeDatabase(QStringLiteral("lite2"));
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
