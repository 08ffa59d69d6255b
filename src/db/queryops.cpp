// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/queryops.h"

#include "db/dialect.h"
#include "util/messages.h"

void TranslateSql(Query& query)
{
    query.setSqlText(db::TranslateSqlText(query.sqlText()));
}

bool OpenQuery(Query& query, bool report)
{
    try {
        if (query.isOpen())
            query.close();
        TranslateSql(query);
        msg().setCursor(Messages::Cursor::SqlWait);
        query.open();
        msg().setCursor(Messages::Cursor::Normal);
        return true;
    } catch (const DbError& e) {
        msg().setCursor(Messages::Cursor::Normal);
        if (!report)
            return false;
        msg().show(Messages::Kind::Warning,
                   e.text() + QStringLiteral("\n\n") + QStringLiteral("Tabelle: ") + query.name() +
                       QStringLiteral("\n\n") + query.sqlText() + QStringLiteral("\r") + QStringLiteral("\r"),
                   Messages::Buttons::Ok);
        throw AbortSignal();
    }
}

bool OpenSql(Query& query, const QStringList& lines)
{
    bool suspended = false;
    try {
        if (query.isOpen())
            query.close();
        query.clearSql();
        for (const QString& line : lines)
            query.addLine(line);
        query.disableControls();
        suspended = true;
        msg().setCursor(Messages::Cursor::SqlWait);
        TranslateSql(query);
        try {
            query.open();
        } catch (...) {
            suspended = false;
            query.enableControls();
            throw;
        }
        suspended = false;
        query.enableControls();
        msg().setCursor(Messages::Cursor::Normal);
        return true;
    } catch (const DbError& e) {
        msg().setCursor(Messages::Cursor::Normal);
        if (suspended)
            query.enableControls();
        msg().show(Messages::Kind::Warning, e.text(), Messages::Buttons::Ok);
        throw AbortSignal();
    }
}

bool ExecSql(Query& query, const QStringList& lines)
{
    try {
        if (query.isOpen())
            query.close();
        query.clearSql();
        for (const QString& line : lines)
            query.addLine(line);
        msg().setCursor(Messages::Cursor::SqlWait);
        TranslateSql(query);
        query.execute();
        msg().setCursor(Messages::Cursor::Normal);
        return true;
    } catch (const DbError& e) {
        msg().setCursor(Messages::Cursor::Normal);
        msg().show(Messages::Kind::Warning, e.text(), Messages::Buttons::Ok);
        throw AbortSignal();
    }
}

void CloseQuery(Query& query)
{
    query.cancel();
    if (query.isOpen())
        query.close();
    query.clearSql();
}
