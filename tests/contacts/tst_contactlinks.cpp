// SPDX-License-Identifier: GPL-3.0-or-later
// The contact link operations without a window: the insert statement's lines for the database
// types, the file test of the marking, and the file dialog's next folder.
#include "contacts/contactlinks.h"
#include "db/dialect.h"

#include <QTemporaryDir>
#include <QtTest>

class TestContactLinks : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { db::setDialect(DatabaseType::None, QString()); }
    void insertLines_data();
    void insertLines();
    void fileExists();
    void initialDir_data();
    void initialDir();
};

void TestContactLinks::insertLines_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("folderLine");
    QTest::addColumn<QString>("nameLine");
    QTest::addColumn<QString>("dateLine");
    // Folder and file name exactly (apostrophe doubled, blanks kept); the short name keeps the ERP's
    // text literal (trimmed, apostrophe as acute accent).
    QTest::newRow("SQLITE") << int(DatabaseType::SQLITE) << "'C:\\Briefe\\O''Neil\\',"
                            << "' Angebot.doc',"
                            << "'2024-02-29',";
    QTest::newRow("MSSQL") << int(DatabaseType::MSSQL) << "'C:\\Briefe\\O''Neil\\',"
                           << "' Angebot.doc',"
                           << "'29.02.2024',";
    QTest::newRow("MYSQL") << int(DatabaseType::MYSQL) << "'C:\\\\Briefe\\\\O''Neil\\\\',"
                           << "' Angebot.doc',"
                           << "'2024/02/29',";
}

void TestContactLinks::insertLines()
{
    QFETCH(int, type);
    QFETCH(QString, folderLine);
    QFETCH(QString, nameLine);
    QFETCH(QString, dateLine);
    db::setDialect(DatabaseType(type), QString());
    NewContactLink link;
    link.adrnr = 4711;
    link.kurzname = " O'NEIL ";
    link.folder = "C:\\Briefe\\O'Neil\\";
    link.fileName = " Angebot.doc";
    link.date = QDate(2024, 2, 29);
    link.user = "ABC";
    const QStringList expected = {
        "INSERT INTO ~DOKUMENT",
        "(D_BEZUG_ADRNR,D_EMPF_KURZNAME,D_BEZUG_FORMULAR,D_DOKUMENTENART,D_BEZUG_AUFTRNR,D_PFAD,D_DATEINAME,"
        "D_BETREFF,D_BEMERKUNG,ERFDATUM,ERFUSER)",
        "VALUES (",
        "4711,",
        QString::fromUtf8("'O´NEIL',"),
        "3,1,",
        "0,",
        folderLine,
        nameLine,
        "'',",
        "'',",
        dateLine,
        "'ABC')"};
    QCOMPARE(BuildInsertContactLinkSql(link), expected);
}

void TestContactLinks::fileExists()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    QFile f(folder + "a.doc");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(ContactLinkFileExists(folder, "a.doc"));
    QVERIFY(ContactLinkFileExists("  " + folder, "a.doc  ")); // trimmed at both ends
    QVERIFY(!ContactLinkFileExists(folder, "b.doc"));
    QVERIFY(!ContactLinkFileExists(folder, "")); // a folder is no file
    QVERIFY(!ContactLinkFileExists("", ""));
}

void TestContactLinks::initialDir_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("dir");
    QTest::newRow("folder") << "/home/u/docs/a.doc"
                            << "/home/u/docs";
    QTest::newRow("root") << "/a.doc"
                          << "/";
    QTest::newRow("Windows folder") << "C:\\Daten\\a.doc"
                                    << "C:\\Daten";
    QTest::newRow("drive root") << "C:\\a.doc"
                                << "C:\\";
}

void TestContactLinks::initialDir()
{
    QFETCH(QString, file);
    QFETCH(QString, dir);
    QCOMPARE(InitialDirFromFile(file), dir);
}

QTEST_APPLESS_MAIN(TestContactLinks)
#include "tst_contactlinks.moc"
