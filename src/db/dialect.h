// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>

// The database type of the installation, set once at start from KORVAN.INI.
// SQLITE is the embedded demo database: upper-case table names, literals as for MSSQL except
// dates, which are written 'yyyy-mm-dd'.
enum class DatabaseType : std::uint8_t { None = 0, Interbase = 1, MSSQL = 2, MYSQL = 3, ORACLE = 4, SQLITE = 5 };

namespace db {

DatabaseType databaseType();
QString tablePrefix();
// For tests and tools that set the dialect without the start-up.
void setDialect(DatabaseType type, const QString& prefix);
QString databaseTypeName(DatabaseType type);

// Sets the database type from the INI text. An unknown name is reported in a plain message box,
// termination of the program is requested (terminationRequested() turns true and the event loop
// quits as soon as it runs) and None is returned.
DatabaseType InitDatabaseType(const QString& text);
bool terminationRequested();
void clearTerminationRequest();

// Normalises and stores the table prefix: upper case, trimmed, ending with "." (or empty).
QString InitTablePrefix(const QString& text);

// Rewrites the "~" table markers of one statement text (lines joined with CR LF after each line)
// for the current database type and table prefix.
QString TranslateSqlText(const QString& text);
QString TranslateSqlText(const QString& text, DatabaseType type, const QString& prefix);

} // namespace db
