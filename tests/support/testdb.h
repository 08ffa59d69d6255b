// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary SQLite database with the ERP tables, for tests.
//
//   TestDatabase tdb;                 // creates and opens it as the default QSqlDatabase
//   tdb.exec("INSERT INTO MART (ARTNR, BEZEICHNUNG) VALUES ('4711', 'Schraube')");
//   tdb.exec({"INSERT INTO ADR (ADRNR, KURZNAME) VALUES (1, 'MUELLER')", "..."});
//   QCOMPARE(tdb.scalar("SELECT COUNT(*) FROM MARTBILD").toInt(), 0);
//
// The constructor sets the dialect to SQLITE with an empty table prefix (statements with "~" then
// name the upper-case tables). The database file lives in a temporary folder (dir(), for files
// the test needs as well) that is removed with the object. exec() and scalar() fail the running
// test (QTest::qFail: check QTest::currentTestFailed() if needed) on an SQL error and return
// false / an invalid value.
// Destroy every Query that uses the connection before the TestDatabase.
class TestDatabase
{
public:
    explicit TestDatabase(const QString& connectionName = QString());
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    bool isOpen() const;
    // The folder holding the database file; tests may put their files there too.
    QString dir() const { return dir_.path(); }
    QString fileName() const { return file_; }
    QString connectionName() const { return connection_; }

    // Runs statements one after the other; stops at the first failure.
    bool exec(const QString& sql);
    bool exec(const QStringList& statements);
    // The first column of the first row.
    QVariant scalar(const QString& sql);

private:
    QTemporaryDir dir_;
    QString file_;
    QString connection_;
};
