// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/dialect.h"
#include "scriptedmessages.h"

#include <QtTest>

class TestDialect : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { db::clearTerminationRequest(); }

    void translate_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        const int ms = int(DatabaseType::MSSQL), my = int(DatabaseType::MYSQL),
                  ora = int(DatabaseType::ORACLE);
        QTest::newRow("where value") << ms << "DBO."
                                     << "SELECT * FROM ~MART WHERE ARTNR='~1'"
                                     << "SELECT * FROM DBO.MART WHERE ARTNR='~1'";
        QTest::newRow("mysql lower") << my << "ERP."
                                     << "SELECT * FROM ~Mart WHERE ARTNR='~1'"
                                     << "SELECT * FROM ERP.mart WHERE ARTNR='~1'";
        QTest::newRow("update set") << ms << "DBO."
                                    << "UPDATE ~MARTBILD SET TEXT='a~b' WHERE ARTNR='1'"
                                    << "UPDATE DBO.MARTBILD SET TEXT='a~b' WHERE ARTNR='1'";
        QTest::newRow("insert values") << ora << "DBO."
                                       << "INSERT INTO ~DOKUMENT (ID,D_PFAD) VALUES (1,'~x')"
                                       << "INSERT INTO DBO.DOKUMENT (ID,D_PFAD) VALUES (1,'~x')";
        QTest::newRow("no prefix") << ms << ""
                                   << "SELECT count(*) as N FROM ~ARTGRUPP"
                                   << "SELECT count(*) as N FROM ARTGRUPP";
        QTest::newRow("comma list") << my << "DBO."
                                    << "SELECT * FROM ~MART,~ADR"
                                    << "SELECT * FROM DBO.mart,DBO.adr";
        QTest::newRow("select list") << ms << "DBO."
                                     << "SELECT ~MART.ARTNR FROM ~MART"
                                     << "SELECT ~MART.ARTNR FROM DBO.MART";
        QTest::newRow("sub select") << ms << "DBO."
                                    << "SELECT * FROM ~MART WHERE A IN (SELECT ARTNR FROM ~MARTBILD)"
                                    << "SELECT * FROM DBO.MART WHERE A IN (SELECT ARTNR FROM DBO.MARTBILD)";
        QTest::newRow("lines")
            << ms << "DBO."
            << "SELECT ARTNR,\r\n(select COUNT(*) from ~MARTBILD  MARTBILD where MART.ARTNR = "
               "MARTBILD.ARTNR) as ANZBILDER\r\n FROM ~MART MART\r\n"
            << "SELECT ARTNR,\r\n(select COUNT(*) from DBO.MARTBILD  MARTBILD where MART.ARTNR = "
               "MARTBILD.ARTNR) as ANZBILDER\r\n FROM DBO.MART MART\r\n";
        QTest::newRow("empty prefix mssql") << ms << ""
                                            << "SELECT * FROM ~mart"
                                            << "SELECT * FROM MART";
        QTest::newRow("empty prefix mysql") << my << ""
                                            << "SELECT * FROM ~MART"
                                            << "SELECT * FROM mart";
        QTest::newRow("tilde last") << ms << "DBO."
                                    << "SELECT * FROM ~"
                                    << "SELECT * FROM ~";
        QTest::newRow("tilde blank") << ms << "DBO."
                                     << "SELECT * FROM ~ MART"
                                     << "SELECT * FROM DBO. MART";
        QTest::newRow("begin lower") << ms << "DBO."
                                     << "UPDATE ~A begin ~B"
                                     << "UPDATE DBO.A begin ~B";
        QTest::newRow("end if") << ms << "DBO."
                                << "UPDATE ~A END IF ~B"
                                << "UPDATE DBO.A END IF ~B";
        QTest::newRow("where then from") << ms << "X."
                                         << "DELETE FROM ~A WHERE B='~c' AND D IN (SELECT E FROM ~F)"
                                         << "DELETE FROM X.A WHERE B='~c' AND D IN (SELECT E FROM X.F)";
        QTest::newRow("sqlite upper") << int(DatabaseType::SQLITE) << ""
                                      << "select * from ~mart"
                                      << "select * from MART";
        QTest::newRow("keyword at word end") << ms << ""
                                             << "SELECT XUPDATE ~a"
                                             << "SELECT XUPDATE A";
    }
    void translate()
    {
        QFETCH(int, type);
        QFETCH(QString, prefix);
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        QCOMPARE(db::TranslateSqlText(statement, DatabaseType(type), prefix), expected);
    }

    void prefix_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("dbo") << "dbo"
                             << "DBO.";
        QTest::newRow("padded") << "  dbo. \t"
                                << "DBO.";
        QTest::newRow("upper") << "DBO."
                               << "DBO.";
        QTest::newRow("dot") << "."
                             << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blank") << "   "
                               << "";
    }
    void prefix()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(db::InitTablePrefix(in), out);
        QCOMPARE(db::tablePrefix(), out);
    }

    void databaseType_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<int>("out");
        QTest::newRow("mssql") << "MSSQL" << int(DatabaseType::MSSQL);
        QTest::newRow("lower blanks") << "  mysql " << int(DatabaseType::MYSQL);
        QTest::newRow("oracle") << "ORACLE" << int(DatabaseType::ORACLE);
        QTest::newRow("interbase") << "INTERBASE" << int(DatabaseType::Interbase);
        QTest::newRow("sqlite") << "SQLITE" << int(DatabaseType::SQLITE);
        QTest::newRow("bad") << " POSTGRES" << int(DatabaseType::None);
    }
    void databaseType()
    {
        QFETCH(QString, in);
        QFETCH(int, out);
        ScriptedMessages m;
        QCOMPARE(int(db::InitDatabaseType(in)), out);
        QCOMPARE(db::terminationRequested(), out == int(DatabaseType::None));
        if (out == int(DatabaseType::None)) {
            QCOMPARE(m.shown.size(), 1);
            QCOMPARE(m.shown[0].text,
                     QString(QStringLiteral("Fehler bei der Initialisierung des Datenbanktypes.\nDer "
                                            "Datenbanktyp ") +
                             in + QStringLiteral(" ist nicht zulässig. Bitte ändern Sie die INI-Datei.")));
        } else {
            QVERIFY(m.shown.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestDialect)
#include "tst_dialect.moc"
