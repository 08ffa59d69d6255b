// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/dialect.h"

#include <QStringList>

// The ERP tables this program reads and writes (MRLUSER, ARTGRUPP, AGRUPPEN, AGRUPP2, MART,
// MARTBILD, ADR, DOKUMENT, EINGANGSRECH) with their keys and indexes, as CREATE statements for
// SQLITE (upper-case table names) and MYSQL (lower-case table names, as the ERP has them on
// MariaDB/MySQL). Each entry is one statement; tablePrefix (e.g. "erp.") goes in front of every
// table name, and, for MYSQL, in front of the index's table.
QStringList schemaStatements(DatabaseType type, const QString& tablePrefix = QString());
// The table names in creation order, in the case the database type uses.
QStringList schemaTables(DatabaseType type);
