// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/config.h"
#include "scriptedmessages.h"
#include "util/helpers.h"
#include "util/inifile.h"

#include <QTemporaryDir>
#include <QtTest>

class TestConfig : public QObject
{
    Q_OBJECT
    QTemporaryDir dir_;

    QString writeIni(const QByteArray& content)
    {
        const QString p = dir_.filePath(QStringLiteral("KORVAN.INI"));
        QFile f(p);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
        return p;
    }

private slots:
    void cleanup() { db::clearTerminationRequest(); }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("none") << QStringList() << "default" << "" << "";
        QTest::newRow("K other") << QStringList{"/K:OTHER"} << "OTHER.INI" << "" << "";
        QTest::newRow("K alone") << QStringList{"/K"} << ".INI" << "" << "";
        QTest::newRow("lower k any separator") << QStringList{"/kXabc"} << "abc.INI" << "" << "";
        QTest::newRow("user cut to 10") << QStringList{"/U:ABCDEFGHIJKL"} << "default" << "ABCDEFGHIJ" << "";
        QTest::newRow("empty password is blank") << QStringList{"/P="} << "default" << "" << " ";
        QTest::newRow("all, later wins") << QStringList{"/U:a", "/p:secret", "/u=Bob", "unknown"} << "default"
                                         << "Bob" << "secret";
        QTest::newRow("case kept") << QStringList{"/K:/tmp/MyIni"} << "/tmp/MyIni.INI" << "" << "";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, ini);
        QFETCH(QString, user);
        QFETCH(QString, password);
        Config c;
        c.iniFilePath = QStringLiteral("default");
        ParseCommandLine(args, c);
        QCOMPARE(c.iniFilePath, ini);
        QCOMPARE(c.commandLineUser, user);
        QCOMPARE(c.commandLinePassword, password);
    }

    void iniDefaults()
    {
        ScriptedMessages m;
        Config c;
        c.iniFilePath = dir_.filePath(QStringLiteral("missing.INI"));
        ReadKorvanIni(c, QStringLiteral("/opt/korvan/"));
        QCOMPARE(c.programFolder, QStringLiteral("/opt/korvan"));
        QCOMPARE(c.helpFolder, QStringLiteral("/opt/korvan/Hilfe"));
        QCOMPARE(c.userFolder, QStringLiteral("/opt/korvan/User"));
        QCOMPARE(c.updateFolder, QStringLiteral("/opt/korvan/Update"));
        QCOMPARE(c.databaseAlias, QStringLiteral("KORVAN"));
        QCOMPARE(c.databaseType, DatabaseType::MSSQL);
        QCOMPARE(c.useSqlUser, false);
        QCOMPARE(c.databaseServerName, QString());
        QCOMPARE(c.tablePrefix, QString());
        QCOMPARE(c.databaseName, QStringLiteral("KORVAN"));
        QCOMPARE(c.databaseUser, QStringLiteral("KORVAN"));
        QCOMPARE(c.databasePassword, QString());
        QVERIFY(m.shown.isEmpty());
    }

    void iniFolderRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("help");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("update");
        QTest::newRow("prog with trailing separator")
            << QByteArray("[Path]\nProg=/srv/erp/\n") << "/srv/erp/Hilfe" << "/srv/erp/User" << "/srv/erp/Update";
        QTest::newRow("prog without") << QByteArray("[Path]\nProg=/srv/erp\n") << "/srv/erp/Hilfe" << "/srv/erp/User"
                                      << "/srv/erp/Update";
        QTest::newRow("windows prog backslash")
            << QByteArray("[Path]\nProg=C:\\KORVAN\\\n") << "C:\\KORVAN/Hilfe" << "C:\\KORVAN/User" << "C:\\KORVAN/Update";
        QTest::newRow("network user path collapses")
            << QByteArray("[Path]\nUser=\\\\server\\\\share\\user\n") << "/p/Hilfe" << "\\server\\share\\user" << "/p/Update";
        QTest::newRow("explicit folders") << QByteArray("[path]\nhelp=/h\nupdate=/u\n") << "/h" << "/p/User" << "/u";
    }
    void iniFolderRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, help);
        QFETCH(QString, user);
        QFETCH(QString, update);
        Config c;
        c.iniFilePath = writeIni(content);
        ReadKorvanIni(c, QStringLiteral("/p/"));
        QCOMPARE(c.helpFolder, help);
        QCOMPARE(c.userFolder, user);
        QCOMPARE(c.updateFolder, update);
    }

    void iniOptionsAndPasswords()
    {
        const QString dpw = EncodePassword(QStringLiteral("geheim"));
        const QByteArray content = "[Options]\r\nDatabase=ERPDSN\r\nUseSQLUser=1\r\nDatabaseDriverName= mysql \r\n"
                                   "DatabaseServerName=db1:3307\r\nDatabaseTblPrefix=erp\r\nDatabaseName=erp\r\n"
                                   "DatabaseUser=sa\r\nDPW=" +
                                   IniFile::toWindows1252(dpw) + "\r\nDatabasePW=plain\r\n";
        Config c;
        c.iniFilePath = writeIni(content);
        ReadKorvanIni(c, QStringLiteral("/p/"));
        QCOMPARE(c.databaseAlias, QStringLiteral("ERPDSN"));
        QVERIFY(c.useSqlUser);
        QCOMPARE(c.databaseType, DatabaseType::MYSQL);
        QCOMPARE(db::databaseType(), DatabaseType::MYSQL);
        QCOMPARE(c.databaseServerName, QStringLiteral("db1:3307"));
        QCOMPARE(c.tablePrefix, QStringLiteral("ERP."));
        QCOMPARE(c.databaseUser, QStringLiteral("sa"));
        // DPW decodes (in upper case) and DatabasePW is not read.
        QCOMPARE(c.databasePassword, QStringLiteral("GEHEIM"));

        // DPW longer than 20 characters: DatabasePW is used.
        c = Config();
        c.iniFilePath = writeIni("[Options]\nDPW=ABCDEFGHIJKLMNOPQRSTUVWXYZ\nDatabasePW=plain\n");
        ReadKorvanIni(c, QStringLiteral("/p/"));
        QCOMPARE(c.databasePassword, QStringLiteral("plain"));
    }

    void invalidDatabaseTypeIsReported()
    {
        ScriptedMessages m;
        Config c;
        c.iniFilePath = writeIni("[Options]\nDatabaseDriverName=postgres\n");
        ReadKorvanIni(c, QStringLiteral("/p/"));
        QCOMPARE(c.databaseType, DatabaseType::None);
        QVERIFY(db::terminationRequested());
        QCOMPARE(m.shown.size(), 1);
        QVERIFY(m.lastText().contains(QStringLiteral("Der Datenbanktyp POSTGRES ist nicht zulässig.")));
    }

    void userSettingsRoundTrip()
    {
        const QString file = MakeSettingsFileName(dir_.path(), QStringLiteral("MUE"));
        QCOMPARE(file, dir_.path() + QStringLiteral("/MUE.CFG"));
        QFile::remove(file);
        UserSettings s;
        s.load(file);
        QCOMPARE(s.panArtikelTreeWidth, 200);
        QCOMPARE(s.panArtikelDokumenteWidth, 430);
        QCOMPARE(s.panKontakteGridWidth, 600);
        QCOMPARE(s.chkArtikelNurMitDoks, false);

        // Unchanged defaults are still written: all ten keys.
        s.save(file);
        const auto keys = IniFile(file).readSection(QStringLiteral("KvDokMan"));
        QCOMPARE(keys.size(), 10);

        s.chkArtikelNurMitDoks = true;
        s.chkArtUngueltVerknMark = true;
        s.chkArtUngueltVerknAutoRefesh = true;
        s.panArtikelTreeWidth = 321;
        s.panArtikelDokumenteWidth = 500;
        s.panKontakteGridWidth = 640;
        s.chkKontakteNurMitDoks = true;
        s.chkKontakteUngueltVerknMark = true;
        s.OpenDialog1InitialDir = QStringLiteral("/daten/zeichnungen");
        s.OpenDialog2InitialDir = QStringLiteral("/daten/briefe");
        s.save(file);
        UserSettings r;
        r.load(file);
        QCOMPARE(r.chkArtikelNurMitDoks, true);
        QCOMPARE(r.chkArtUngueltVerknMark, true);
        QCOMPARE(r.chkArtUngueltVerknAutoRefesh, true);
        QCOMPARE(r.panArtikelTreeWidth, 321);
        QCOMPARE(r.panArtikelDokumenteWidth, 500);
        QCOMPARE(r.panKontakteGridWidth, 640);
        QCOMPARE(r.chkKontakteNurMitDoks, true);
        QCOMPARE(r.chkKontakteUngueltVerknMark, true);
        QCOMPARE(r.OpenDialog1InitialDir, QStringLiteral("/daten/zeichnungen"));
        QCOMPARE(r.OpenDialog2InitialDir, QStringLiteral("/daten/briefe"));

        // A width that is not a number restores its default.
        IniFile(file).writeString(QStringLiteral("KvDokMan"), QStringLiteral("panArtikelTreeWidth"), QStringLiteral("breit"));
        r.load(file);
        QCOMPARE(r.panArtikelTreeWidth, 200);
    }

    void otherSections()
    {
        const QString file = dir_.filePath(QStringLiteral("X.CFG"));
        FileManagerSettings fm;
        fm.load(file);
        QCOMPARE(fm.RootFolder, QStringLiteral("sfMyComputer"));
        QCOMPARE(fm.cboAnsichtItemIndex, 0);
        fm.RootFolder = QStringLiteral("/home");
        fm.cboAnsichtItemIndex = 2;
        fm.chkSucheDateiInDok = true;
        fm.save(file);
        FileManagerSettings fm2;
        fm2.load(file);
        QCOMPARE(fm2.RootFolder, QStringLiteral("/home"));
        QCOMPARE(fm2.cboAnsichtItemIndex, 2);
        QCOMPARE(fm2.chkSucheDateiInDok, true);

        PreviewSettings pv;
        pv.load(file);
        QCOMPARE(pv.PrintMarginLeft, 1.5);
        QCOMPARE(pv.PrintMarginRight, 1.0);
        QCOMPARE(pv.PrintMarginTop, 0.5);
        QCOMPARE(pv.PrintMarginBottom, 0.5);
        QCOMPARE(pv.SeiteOrientation, 0);
        pv.PrintMarginLeft = 2.25;
        pv.SeiteOrientation = 1;
        pv.save(file);
        PreviewSettings pv2;
        pv2.load(file);
        QCOMPARE(pv2.PrintMarginLeft, 2.25);
        QCOMPARE(pv2.SeiteOrientation, 1);
        // The sections live side by side in one file.
        QVERIFY(IniFile(file).sectionExists(QStringLiteral("KvDokManDatMan")));
        QVERIFY(IniFile(file).sectionExists(QStringLiteral("PreviewForm")));
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
