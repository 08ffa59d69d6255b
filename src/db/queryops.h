// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/query.h"

// The statement operations. Each translates the "~" table markers immediately before the statement
// is sent, shows the SQL-wait cursor while the database works, and reports a failure in a warning
// box before it throws AbortSignal.

// Rewrites the query's SQL lines for the configured database type and table prefix.
void TranslateSql(Query& query);
// Opens the statement already in the query's lines. With report off a failure returns false.
bool OpenQuery(Query& query, bool report = true);
bool OpenSql(Query& query, const QStringList& lines);
bool ExecSql(Query& query, const QStringList& lines);
void CloseQuery(Query& query);
