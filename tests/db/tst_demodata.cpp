// SPDX-License-Identifier: GPL-3.0-or-later
// The demo database generator: what the demo shows must be there (article kinds, group headings,
// users with and without password, missing files, the "P-" family the report corrects), and the
// demo's KORVAN.INI must lead to an open connection.
#include "app/config.h"
#include "app/connection.h"
#include "db/literals.h"
#include "db/queryops.h"
#include "scriptedmessages.h"
#include "util/helpers.h"
#include "util/inifile.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QtTest>

class TestDemoData : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString demo;

    int runGenerator(QString* output)
    {
        QProcess p;
        p.start(qEnvironmentVariable("KV_BINARY_DIR") + QStringLiteral("/bench/gen_demo"),
                {demo, QStringLiteral("--if-needed")});
        if (!p.waitForFinished(120000))
            return -1;
        *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitCode();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        demo = dir.filePath(QStringLiteral("demo"));
        const QString source = qEnvironmentVariable("KV_SOURCE_DIR") + QStringLiteral("/demo");
        QVERIFY(QDir().mkpath(demo + QStringLiteral("/data")));
        for (const QString& f : QDir(source + QStringLiteral("/data")).entryList(QDir::Files))
            QVERIFY(QFile::copy(source + QStringLiteral("/data/") + f, demo + QStringLiteral("/data/") + f));
        QVERIFY(QFile::copy(source + QStringLiteral("/KORVAN.INI"), demo + QStringLiteral("/KORVAN.INI")));
        QVERIFY(QDir().mkpath(demo + QStringLiteral("/Hilfe")));
        for (const QString& f : QDir(source + QStringLiteral("/Hilfe"))
                                    .entryList({QStringLiteral("*.htm"), QStringLiteral("*.css")}))
            QVERIFY(
                QFile::copy(source + QStringLiteral("/Hilfe/") + f, demo + QStringLiteral("/Hilfe/") + f));
        // Users' own settings from earlier runs: MK chose a start folder, DEMO has other keys only.
        QVERIFY(QDir().mkpath(demo + QStringLiteral("/User")));
        IniFile(demo + QStringLiteral("/User/MK.CFG"))
            .writeString(QStringLiteral("KvDokManDatMan"), QStringLiteral("rootfolder"),
                         QStringLiteral("/tmp"));
        IniFile(demo + QStringLiteral("/User/DEMO.CFG"))
            .writeBool(QStringLiteral("KvDokMan"), QStringLiteral("chkArtikelNurMitDoks"), true);
        QString out;
        QCOMPARE(runGenerator(&out), 0);
        QVERIFY2(out.contains(QStringLiteral("links")), qPrintable(out));
        // A second run with --if-needed leaves the database as it is, but writes the manual and the
        // start folders again where they are missing.
        QVERIFY(QFile::remove(demo + QStringLiteral("/Hilfe/bed_anleitung_dokman.mht")));
        QVERIFY(QFile::remove(demo + QStringLiteral("/User/ADMIN.CFG")));
        QCOMPARE(runGenerator(&out), 0);
        QVERIFY2(out.contains(QStringLiteral("up to date")), qPrintable(out));

        // The demo's own KORVAN.INI opens it (the database name is relative to the INI's folder).
        ScriptedMessages messages;
        Config c;
        c.iniFilePath = demo + QStringLiteral("/KORVAN.INI");
        ReadKorvanIni(c, demo + u'/');
        QCOMPARE(c.databaseType, DatabaseType::SQLITE);
        QVERIFY2(ConnectDatabase(c), qPrintable(messages.texts().join(u'|')));
    }
    void cleanupTestCase()
    {
        QSqlDatabase::removeDatabase(QString::fromLatin1(QSqlDatabase::defaultConnection));
    }

    void contents()
    {
        ScriptedMessages messages;
        Query q(QStringLiteral("qry1"));
        OpenSql(q, {QStringLiteral("SELECT COUNT(*) AS N FROM ~MART")});
        QVERIFY(q.value(QStringLiteral("N")).toInt() >= 200);
        OpenSql(q, {QStringLiteral("SELECT DISTINCT ARTIKELART FROM ~MART ORDER BY ARTIKELART")});
        QList<int> kinds;
        for (; !q.eof(); q.next())
            kinds << q.value(QStringLiteral("ARTIKELART")).toInt();
        QCOMPARE(kinds, (QList<int>{1, 2, 3, 4, 5}));
        OpenSql(
            q,
            {QStringLiteral(
                "SELECT COUNT(*) AS N FROM ~ARTGRUPP WHERE GRUPPENBEZ LIKE '+%' OR GRUPPENBEZ LIKE '-%'")});
        QVERIFY(q.value(QStringLiteral("N")).toInt() >= 2);
        OpenSql(q, {QStringLiteral("SELECT COUNT(*) AS N FROM ~AGRUPP2")});
        QVERIFY(q.value(QStringLiteral("N")).toInt() > 0);

        // Users: stored as the ERP stores passwords; one without password.
        OpenSql(q,
                {QStringLiteral("SELECT * FROM ~MRLUSER WHERE KURZNAME=") + SqlStr(QStringLiteral("ADMIN"))});
        QCOMPARE(q.text(QStringLiteral("Passwort")), EncodePassword(QStringLiteral("admin")));
        OpenSql(q, {QStringLiteral("SELECT * FROM ~MRLUSER WHERE KURZNAME=") + SqlStr(QStringLiteral("TW"))});
        QVERIFY(!q.eof());
        QVERIFY(q.text(QStringLiteral("PASSWORT")).isEmpty());

        // A search of the article list finds umlauts without regard to case.
        OpenSql(q, {QStringLiteral("SELECT * FROM ~MART MART")});
        const FieldInfo f = q.fieldInfo(QStringLiteral("BEZEICHNUNG"));
        OpenSql(q, {QStringLiteral("SELECT COUNT(*) AS N FROM ~MART MART"),
                    BuildSearchCondition(f, QStringLiteral("rüttel*"), QStringLiteral("WHERE "))});
        QVERIFY(q.value(QStringLiteral("N")).toInt() >= 5);

        // Contacts: customers, suppliers, documents and invoice documents.
        OpenSql(q, {QStringLiteral("SELECT SUM(CASE WHEN KUNDENNR > 0 THEN 1 ELSE 0 END) AS K, "
                                   "SUM(CASE WHEN LIEFERNR > 0 THEN 1 ELSE 0 END) AS L FROM ~ADR")});
        QVERIFY(q.value(QStringLiteral("K")).toInt() >= 10);
        QVERIFY(q.value(QStringLiteral("L")).toInt() >= 5);
        OpenSql(q, {QStringLiteral("SELECT COUNT(*) AS N FROM ~DOKUMENT WHERE D_BEZUG_EINGERCHNR > 0")});
        QVERIFY(q.value(QStringLiteral("N")).toInt() >= 10);
    }

    // Links to missing files, and the "P-" links whose files were renamed to "<nr>-P".
    // The manual holds every help page; the file manager of each demo user starts at the demo's
    // files unless the user chose a folder.
    void manualAndFileManagerStart()
    {
        QFile mht(demo + QStringLiteral("/Hilfe/bed_anleitung_dokman.mht"));
        QVERIFY(mht.open(QIODevice::ReadOnly));
        const QByteArray archive = mht.readAll();
        QVERIFY(archive.contains("Content-Type: multipart/related;"));
        const QStringList pages = QDir(demo + QStringLiteral("/Hilfe")).entryList({QStringLiteral("*.htm")});
        QCOMPARE(pages.size(), 7);
        for (const QString& p : pages)
            QVERIFY2(archive.contains(
                         QByteArray("<section id=3D\"" + QFileInfo(p).completeBaseName().toUtf8() + "\">")),
                     qPrintable(p));

        const QString files = demo + QStringLiteral("/files");
        const auto rootOf = [&](const QString& user) {
            FileManagerSettings s;
            s.load(MakeSettingsFileName(demo + QStringLiteral("/User"), user));
            return s.RootFolder;
        };
        for (const QString& user :
             {QStringLiteral("ADMIN"), QStringLiteral("DEMO"), QString::fromUtf8("SÖ"), QStringLiteral("TW")})
            QCOMPARE(rootOf(user), files);
        QCOMPARE(rootOf(QStringLiteral("MK")), QStringLiteral("/tmp"));
        UserSettings demoSettings;
        demoSettings.load(demo + QStringLiteral("/User/DEMO.CFG"));
        QVERIFY(demoSettings.chkArtikelNurMitDoks);
    }

    void linksOnDisk()
    {
        ScriptedMessages messages;
        Query q(QStringLiteral("qry1"));
        int present = 0, missing = 0, correctable = 0;
        QStringList uncorrectable;
        for (OpenSql(q, {QStringLiteral("SELECT * FROM ~MARTBILD")}); !q.eof(); q.next()) {
            const QString folder = q.text(QStringLiteral("PFADNAME"));
            const QString name = q.text(QStringLiteral("DATEINAME"));
            if (QFileInfo(QString(folder + name).trimmed()).isFile()) {
                ++present;
                continue;
            }
            ++missing;
            if (name.left(2).toUpper() != u"P-")
                continue;
            const QString rest = name.mid(2);
            const qsizetype dot = name.lastIndexOf(u'.');
            const QString ext = dot >= 0 ? name.mid(dot) : QString();
            const QString corrected = rest.section(u'.', 0, 0) + QStringLiteral("-P") + ext;
            if (QFileInfo(folder.trimmed() + corrected).exists())
                ++correctable;
            else
                uncorrectable << name;
        }
        QVERIFY(present > 200);
        QVERIFY(missing >= 10);
        QVERIFY2(correctable >= 5, qPrintable(QString::number(correctable)));
        QVERIFY(!uncorrectable.isEmpty());
        // Contact and invoice documents: most files there, some not.
        int docsPresent = 0, docsMissing = 0;
        for (OpenSql(q, {QStringLiteral("SELECT D_PFAD, D_DATEINAME FROM ~DOKUMENT")}); !q.eof(); q.next())
            (QFileInfo(
                 QString(q.text(QStringLiteral("D_PFAD")) + q.text(QStringLiteral("D_DATEINAME"))).trimmed())
                     .isFile()
                 ? docsPresent
                 : docsMissing)++;
        QVERIFY(docsPresent > 50);
        QVERIFY(docsMissing >= 3);
    }
};

QTEST_MAIN(TestDemoData)
#include "tst_demodata.moc"
