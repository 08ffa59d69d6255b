// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/connection.h"

#include "db/sqlitesupport.h"
#include "util/helpers.h"
#include "util/inifile.h"
#include "util/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>

namespace {

int g_mySqlVariant = 0;

const char* const kTimeouts = "SQL_ATTR_LOGIN_TIMEOUT=30;SQL_ATTR_CONNECTION_TIMEOUT=30";

QString missingText(const QString& what)
{
    return what + QStringLiteral(" fehlt!\r\n\r\nIn der Datenbank-Konfiguration muss ein ") + what +
           QStringLiteral(
               " angegeben werden.\r\nAdministrator: Menü Datei-->Admin-Optionen-->Datenbank-Parameter "
               "bearbeiten");
}

QString adoFailureQuestion()
{
    return QStringLiteral("PROBLEM: Die Verbindung mit ADO ist fehlgeschlagen!\r\n\r\n\r\nMit der Version 9 "
                          "beginnt für KORVAN ein neues "
                          "Zeitalter:\r\nSchrittweise wird der Zugriff auf sämtliche Tabellen im Korvan auf "
                          "ADO (ActiveX Data Objects) "
                          "umgestellt.\r\n\r\nDer Datenbankzugriff mit ADO weist gegenüber dem Vorgänger  "
                          "wesentliche Verbesserungen in "
                          "der Ausführungsgeschwindigkeit auf.\r\n\r\nSie müssen entsprechende Änderungen in "
                          "Ihren Korvan-Einstellungen "
                          "durchführen.\r\n\r\nWollen Sie weitere Einzelheiten dazu erfahren?\r\n\r\n");
}

void askAdoFailure()
{
    if (msg().show(Messages::Kind::Warning, adoFailureQuestion(), Messages::Buttons::YesNo) ==
        Messages::Answer::Yes)
        OpenInBrowser(AdoNotesAddress());
}

// "host", "host:port" or "host,port" (the SQL Server form).
void splitServer(const QString& server, QString* host, QString* port)
{
    *host = server;
    port->clear();
    qsizetype sep = server.lastIndexOf(u',');
    if (sep < 0 && server.count(u':') == 1)
        sep = server.indexOf(u':');
    if (sep > 0) {
        const QString p = server.mid(sep + 1).trimmed();
        bool ok = false;
        p.toUShort(&ok);
        if (ok) {
            *host = server.left(sep).trimmed();
            *port = p;
        }
    }
}

QString odbcDriverName(const Config& config, const QString& fallback)
{
    const QString configured =
        IniFile(config.iniFilePath).readString(QStringLiteral("Options"), QStringLiteral("OdbcDriver"));
    return configured.trimmed().isEmpty() ? fallback : configured.trimmed();
}

bool defaultOpen(const QString& connectionName, const DbConnectSettings& s, QString* errorText)
{
    QSqlDatabase db;
    if (QSqlDatabase::contains(connectionName)) {
        db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    if (!db.isValid() || db.driverName() != s.qtDriver) {
        db = QSqlDatabase();
        if (QSqlDatabase::contains(connectionName))
            QSqlDatabase::removeDatabase(connectionName);
        db = QSqlDatabase::addDatabase(s.qtDriver, connectionName);
    }
    db.setDatabaseName(s.databaseName);
    db.setConnectOptions(s.connectOptions);
    if (!db.open()) {
        const QSqlError e = db.lastError();
        *errorText = e.databaseText().trimmed().isEmpty() ? e.text().trimmed() : e.databaseText().trimmed();
        if (errorText->isEmpty())
            *errorText = QStringLiteral("Die Verbindung konnte nicht geöffnet werden.");
        return false;
    }
    if (s.qtDriver == u"QSQLITE")
        db::installSqliteFunctions(db);
    return true;
}

bool attempt(const DbOpener& opener, const DbConnectSettings& s, QString* errorText)
{
    errorText->clear();
    return opener(s, errorText);
}

} // namespace

int MySqlVariant()
{
    return g_mySqlVariant;
}

void ResetMySqlVariant()
{
    g_mySqlVariant = 0;
}

QString AdoNotesAddress()
{
    return QStringLiteral("www.korvan.de/download/KORVAN_ADO_Hinweise.pdf");
}

QString MssqlAdoString(const Config& c, QStringList* warnings)
{
    QString s = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=True;");
    if (!c.useSqlUser)
        s += QStringLiteral("Integrated Security=SSPI;User ID=\"\";");
    else if (!c.databaseUser.isEmpty())
        s += QStringLiteral("User ID=") + c.databaseUser + QStringLiteral(";Password=") + c.databasePassword +
             u';';
    if (!c.databaseName.isEmpty())
        s += QStringLiteral("database=") + c.databaseName + u';';
    else if (warnings)
        *warnings << missingText(QStringLiteral("Datenbank-Name"));
    if (!c.databaseServerName.isEmpty())
        s += QStringLiteral("Server=") + c.databaseServerName + u';';
    else if (warnings)
        *warnings << missingText(QStringLiteral("Server-Name"));
    return s;
}

QString MySqlDsnAdoString(const Config& c)
{
    QString s = QStringLiteral("Provider=MSDASQL;");
    if (!c.databaseAlias.isEmpty())
        s += QStringLiteral("DSN=") + c.databaseAlias + u';';
    if (!c.databaseUser.isEmpty() && c.useSqlUser)
        s += QStringLiteral("User=") + c.databaseUser + QStringLiteral(";Password=") + c.databasePassword +
             u';';
    return s;
}

QString MySqlDriverAdoString(const Config& c)
{
    QString s = QStringLiteral("DRIVER={MySQL ODBC 3.51 Driver};");
    if (!c.databaseServerName.isEmpty())
        s += QStringLiteral("SERVER=") + c.databaseServerName + u';';
    if (!c.databaseName.isEmpty())
        s += QStringLiteral("DATABASE=") + c.databaseName + u';';
    if (!c.databaseUser.isEmpty())
        s += QStringLiteral("USER=") + c.databaseUser + QStringLiteral(";PASSWORD=") + c.databasePassword +
             u';';
    s += QStringLiteral("OPTION=3;");
    return s;
}

bool AppendOdbcAttribute(QString& connectionString, const QString& key, const QString& value)
{
    static const QString special = QStringLiteral(";{}[](),=?*!@");
    // Driver names are written in braces as ODBC's documentation does.
    bool braces = key.compare(QStringLiteral("DRIVER"), Qt::CaseInsensitive) == 0 ||
                  (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    for (QChar ch : value) {
        if (ch == u'}')
            return false; // no driver here reads an escaped closing brace reliably
        if (special.contains(ch))
            braces = true;
    }
    connectionString += key + u'=' + (braces ? u'{' + value + u'}' : value) + u';';
    return true;
}

namespace {
QString refusal(const QString& what)
{
    return QStringLiteral("Der Wert für ") + what +
           QStringLiteral(
               " enthält das Zeichen \"}\" und kann nicht an den ODBC-Treiber übergeben werden.\r\n"
               "Bitte ändern Sie den Wert in der Datenbank-Konfiguration (KORVAN.INI).");
}

bool appendChecked(QString& s, const QString& key, const QString& value, const QString& what, QString* error)
{
    if (AppendOdbcAttribute(s, key, value))
        return true;
    if (error && error->isEmpty())
        *error = refusal(what);
    return false;
}

bool appendServer(QString& s, const QString& server, QString* error)
{
    QString host, port;
    splitServer(server, &host, &port);
    bool ok = appendChecked(s, QStringLiteral("SERVER"), host, QStringLiteral("den Server-Namen"), error);
    if (!port.isEmpty())
        s += QStringLiteral("PORT=") + port + u';';
    return ok;
}
} // namespace

QString MssqlOdbcString(const Config& c, const QString& driver, QString* error)
{
    if (error)
        error->clear();
    QString s;
    bool ok = appendChecked(s, QStringLiteral("DRIVER"), driver, QStringLiteral("den ODBC-Treiber"), error);
    if (!c.useSqlUser) {
        s += QStringLiteral("Trusted_Connection=Yes;");
    } else if (!c.databaseUser.isEmpty()) {
        ok &= appendChecked(s, QStringLiteral("UID"), c.databaseUser,
                            QStringLiteral("den Datenbank-Benutzer"), error);
        ok &= appendChecked(s, QStringLiteral("PWD"), c.databasePassword,
                            QStringLiteral("das Datenbank-Kennwort"), error);
    }
    if (!c.databaseName.isEmpty())
        ok &= appendChecked(s, QStringLiteral("DATABASE"), c.databaseName,
                            QStringLiteral("den Datenbank-Namen"), error);
    if (!c.databaseServerName.isEmpty())
        ok &= appendServer(s, c.databaseServerName, error);
    s += QStringLiteral("TDS_Version=7.4;ClientCharset=UTF-8");
    return ok ? s : QString();
}

QString MySqlDsnOdbcString(const Config& c, QString* error)
{
    if (error)
        error->clear();
    QString s;
    bool ok = appendChecked(s, QStringLiteral("DSN"), c.databaseAlias,
                            QStringLiteral("den Datenquellen-Namen"), error);
    if (!c.databaseUser.isEmpty() && c.useSqlUser) {
        ok &= appendChecked(s, QStringLiteral("UID"), c.databaseUser,
                            QStringLiteral("den Datenbank-Benutzer"), error);
        ok &= appendChecked(s, QStringLiteral("PWD"), c.databasePassword,
                            QStringLiteral("das Datenbank-Kennwort"), error);
    }
    // unixODBC 2.3.11 (through the wide-character entry Qt uses) does not find a data source named
    // by the first attribute of the string; an empty attribute in front avoids that. The MariaDB
    // driver also rejects a string that ends with ";".
    s.chop(1);
    s.prepend(u';');
    return ok ? s : QString();
}

QString MySqlDriverOdbcString(const Config& c, const QString& driver, QString* error)
{
    if (error)
        error->clear();
    QString s;
    bool ok = appendChecked(s, QStringLiteral("DRIVER"), driver, QStringLiteral("den ODBC-Treiber"), error);
    if (!c.databaseServerName.isEmpty())
        ok &= appendServer(s, c.databaseServerName, error);
    if (!c.databaseName.isEmpty())
        ok &= appendChecked(s, QStringLiteral("DATABASE"), c.databaseName,
                            QStringLiteral("den Datenbank-Namen"), error);
    if (!c.databaseUser.isEmpty()) {
        ok &= appendChecked(s, QStringLiteral("UID"), c.databaseUser,
                            QStringLiteral("den Datenbank-Benutzer"), error);
        ok &= appendChecked(s, QStringLiteral("PWD"), c.databasePassword,
                            QStringLiteral("das Datenbank-Kennwort"), error);
    }
    s += QStringLiteral("OPTION=3;CHARSET=utf8mb4");
    return ok ? s : QString();
}

QString SqliteDatabaseFile(const Config& c)
{
    QString name = c.databaseName;
    if (name.isEmpty())
        return {};
    if (QFileInfo(name).isAbsolute())
        return QDir::cleanPath(name);
    const QString iniFolder = QFileInfo(c.iniFilePath).absolutePath();
    return QDir::cleanPath(iniFolder + u'/' + name);
}

bool ConnectDatabase(const Config& config, const QString& connectionName, const DbOpener& givenOpener)
{
    const QString name =
        connectionName.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection) : connectionName;
    const DbOpener opener =
        givenOpener
            ? givenOpener
            : DbOpener([name](const DbConnectSettings& s, QString* e) { return defaultOpen(name, s, e); });
    const QString timeouts = QString::fromLatin1(kTimeouts);
    QString error;

    switch (config.databaseType) {
    case DatabaseType::MSSQL: {
        QStringList warnings;
        DbConnectSettings s;
        s.adoString = MssqlAdoString(config, &warnings);
        for (const QString& w : std::as_const(warnings))
            msg().show(Messages::Kind::Warning, w, Messages::Buttons::Ok);
        s.qtDriver = QStringLiteral("QODBC");
        s.databaseName = MssqlOdbcString(config, odbcDriverName(config, QStringLiteral("FreeTDS")), &error);
        s.connectOptions = timeouts;
        if (s.databaseName.isEmpty()) {
            msg().show(Messages::Kind::Warning, error, Messages::Buttons::Ok);
        } else if (attempt(opener, s, &error)) {
            return true;
        }
        askAdoFailure();
        return false;
    }
    case DatabaseType::MYSQL: {
        bool firstFailed = false;
        if (g_mySqlVariant == 0) {
            DbConnectSettings s;
            s.adoString = MySqlDsnAdoString(config);
            s.qtDriver = QStringLiteral("QODBC");
            s.databaseName = MySqlDsnOdbcString(config, &error);
            s.connectOptions = timeouts;
            if (!s.databaseName.isEmpty() && attempt(opener, s, &error))
                return true;
            firstFailed = true;
            g_mySqlVariant = 1;
        }
        DbConnectSettings s;
        s.adoString = MySqlDriverAdoString(config);
        s.qtDriver = QStringLiteral("QODBC");
        s.databaseName =
            MySqlDriverOdbcString(config, odbcDriverName(config, QStringLiteral("MariaDB Unicode")), &error);
        s.connectOptions = timeouts;
        if (!s.databaseName.isEmpty() && attempt(opener, s, &error)) {
            if (firstFailed)
                IniFile(config.iniFilePath)
                    .writeInteger(QStringLiteral("Options"), QStringLiteral("MySQLConncetionVariante"),
                                  g_mySqlVariant);
            return true;
        }
        msg().playSound(Messages::Sound::Question);
        msg().show(
            Messages::Kind::Warning,
            QStringLiteral("Beim Verbinden mit dem Datenbank-Server ist ein Fehler aufgetreten.\r\n\r\n") +
                error,
            Messages::Buttons::Ok);
        askAdoFailure();
        return false;
    }
    case DatabaseType::SQLITE: {
        DbConnectSettings s;
        s.qtDriver = QStringLiteral("QSQLITE");
        s.databaseName = SqliteDatabaseFile(config);
        s.connectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000");
        if (s.databaseName.isEmpty() || !QFileInfo(s.databaseName).isFile()) {
            // An empty file would be created silently; a missing database is a configuration error.
            msg().show(
                Messages::Kind::Warning,
                QStringLiteral("Die Datenbank-Datei \"") + QDir::toNativeSeparators(s.databaseName) +
                    QStringLiteral("\" wurde nicht gefunden.\r\n\r\nIn der Datenbank-Konfiguration muss als "
                                   "Datenbank-Name eine vorhandene SQLite-Datei angegeben werden."),
                Messages::Buttons::Ok);
            return false;
        }
        if (attempt(opener, s, &error))
            return true;
        msg().show(
            Messages::Kind::Warning,
            QStringLiteral("Beim Verbinden mit dem Datenbank-Server ist ein Fehler aufgetreten.\r\n\r\n") +
                error,
            Messages::Buttons::Ok);
        return false;
    }
    case DatabaseType::ORACLE:
    case DatabaseType::Interbase:
    case DatabaseType::None:
        break;
    }
    return false;
}
