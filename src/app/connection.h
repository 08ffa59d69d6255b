// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/config.h"

#include <QList>
#include <QString>
#include <functional>

// How one connection attempt reaches QtSql: the ERP's ADO connection string (the configuration
// contract, kept as text) and the Qt driver settings it maps to.
struct DbConnectSettings
{
    QString adoString;      // e.g. "Provider=MSDASQL;DSN=KORVAN;" (empty for SQLITE)
    QString qtDriver;       // "QODBC" or "QSQLITE"
    QString databaseName;   // QODBC: the ODBC connection string; QSQLITE: the database file
    QString connectOptions; // timeouts
};

// Opens the connection with the settings; on failure returns false and the error text.
using DbOpener = std::function<bool(const DbConnectSettings& settings, QString* errorText)>;

// The connection variant of MYSQL held in memory: 0 by data source name, 1 by the ODBC driver.
int MySqlVariant();
void ResetMySqlVariant();

// The address of the notes on the change to ADO, offered after a failed connection.
QString AdoNotesAddress();

// Opens the one database connection for config.databaseType, as the ERP's ADO connection strings
// describe it:
//  - MSSQL through QODBC with the FreeTDS driver;
//  - MYSQL first through QODBC with the data source name DatabaseAlias (odbc.ini), then with the
//    MariaDB/MySQL ODBC driver ("MariaDB Unicode" unless [Options] OdbcDriver in KORVAN.INI names
//    another) and DatabaseServerName ("host" or "host:port"), DatabaseName, DatabaseUser and
//    DatabasePassword; a working driver connection after a failed data source is written to
//    [Options] MySQLConncetionVariante=1;
//  - SQLITE through QSQLITE with the file DatabaseName (relative to the INI file's folder).
// Values that ODBC would cut (";" and the like) are quoted as ODBC allows. Failures are reported
// as the ERP does; the program goes on without a connection. Returns whether it is open.
// connectionName empty: the default QSqlDatabase connection. opener: for tests; the default opens
// the QSqlDatabase.
bool ConnectDatabase(const Config& config, const QString& connectionName = QString(),
                     const DbOpener& opener = DbOpener());

// The pieces, for tests and tools.
// The ADO strings exactly as the ERP builds them (values unquoted). warnings receives the
// MSSQL warnings about a missing database or server name.
QString MssqlAdoString(const Config& config, QStringList* warnings = nullptr);
QString MySqlDsnAdoString(const Config& config);
QString MySqlDriverAdoString(const Config& config);
// The ODBC connection strings they map to. An empty result with *error set: a value that cannot
// be passed safely.
QString MssqlOdbcString(const Config& config, const QString& driver, QString* error);
QString MySqlDsnOdbcString(const Config& config, QString* error);
QString MySqlDriverOdbcString(const Config& config, const QString& driver, QString* error);
// One ODBC attribute "KEY=value;" with the value in braces where ODBC would otherwise misread it.
// Returns false when the value cannot be written at all.
bool AppendOdbcAttribute(QString& connectionString, const QString& key, const QString& value);
// The SQLite file of DatabaseName: absolute, or relative to the INI file's folder.
QString SqliteDatabaseFile(const Config& config);
