// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QSqlDatabase;

namespace db {

// Prepares an open QSQLITE connection for the ERP's statements: UPPER() and LOWER() then work on
// all letters (SQLite's own change only A to Z, so "UPPER(BEZEICHNUNG) LIKE 'MÜ%'" would miss
// "Müller"). Returns false when the connection is no SQLite connection or the functions cannot
// be installed.
bool installSqliteFunctions(const QSqlDatabase& db);

} // namespace db
