// SPDX-License-Identifier: GPL-3.0-or-later
#include "testdb.h"

#include "db/dialect.h"
#include "db/schema.h"
#include "db/sqlitesupport.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

TestDatabase::TestDatabase(const QString& connectionName)
    : connection_(connectionName.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection)
                                           : connectionName)
{
    file_ = dir_.filePath(QStringLiteral("kvtest.db"));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(file_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
    if (!db.open()) {
        QTest::qFail(qPrintable(QStringLiteral("TestDatabase: cannot open ") + file_ + QStringLiteral(": ") +
                                db.lastError().text()),
                     __FILE__, __LINE__);
        return;
    }
    db::installSqliteFunctions(db);
    db::setDialect(DatabaseType::SQLITE, QString());
    // A test database needs no protection against power loss.
    exec(QStringLiteral("PRAGMA synchronous=OFF"));
    exec(QStringLiteral("PRAGMA journal_mode=MEMORY"));
    exec(schemaStatements(DatabaseType::SQLITE));
}

TestDatabase::~TestDatabase()
{
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool TestDatabase::isOpen() const
{
    return QSqlDatabase::database(connection_, false).isOpen();
}

bool TestDatabase::exec(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(sql)) {
        QTest::qFail(qPrintable(QStringLiteral("TestDatabase: ") + q.lastError().text() +
                                QStringLiteral(" in: ") + sql),
                     __FILE__, __LINE__);
        return false;
    }
    return true;
}

bool TestDatabase::exec(const QStringList& statements)
{
    for (const QString& s : statements)
        if (!exec(s))
            return false;
    return true;
}

QVariant TestDatabase::scalar(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(sql) || !q.next()) {
        QTest::qFail(qPrintable(QStringLiteral("TestDatabase: no value: ") + q.lastError().text() +
                                QStringLiteral(" in: ") + sql),
                     __FILE__, __LINE__);
        return {};
    }
    return q.value(0);
}
