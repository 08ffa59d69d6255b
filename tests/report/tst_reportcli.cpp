// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line report on a temporary SQLite database: exit codes, the summary line, the
// written page, the correction, and every error on standard error without a window.
#include "report/reportcli.h"
#include "scriptedmessages.h"
#include "testdb.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

namespace {
void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestReportCli : public QObject
{
    Q_OBJECT

    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };

    Run run(const QStringList& args)
    {
        Run r;
        QTextStream out(&r.out);
        QTextStream err(&r.err);
        r.code = runReportCommand(args, &out, &err);
        out.flush();
        err.flush();
        return r;
    }

    // KORVAN.INI for the test database; returns the /K switch.
    QString writeIni(const TestDatabase& tdb, const QString& type = QStringLiteral("SQLITE"),
                     const QString& databaseName = QString())
    {
        QFile ini(tdb.dir() + QStringLiteral("/KORVAN.INI"));
        if (!ini.open(QIODevice::WriteOnly))
            return {};
        ini.write(QStringLiteral("[Options]\r\nDatabaseDriverName=%1\r\nDatabaseName=%2\r\n")
                      .arg(type, databaseName.isEmpty() ? tdb.fileName() : databaseName)
                      .toUtf8());
        return QStringLiteral("/K:") + tdb.dir() + QStringLiteral("/KORVAN");
    }

private slots:
    void recognisesTheSwitch()
    {
        QVERIFY(
            IsReportCommand({QStringLiteral("/K:x"), QStringLiteral("--report"), QStringLiteral("f.html")}));
        QVERIFY(IsReportCommand({QStringLiteral("--report=f.html")}));
        QVERIFY(!IsReportCommand({QStringLiteral("/K:x"), QStringLiteral("/U:abc")}));
    }

    void noInvalidLinks()
    {
        TestDatabase tdb;
        ScriptedMessages messages;
        touch(tdb.dir() + QStringLiteral("/a.pdf"));
        QVERIFY(tdb.exec(
            QStringLiteral(
                "INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('A', 1, 'a.pdf', '") +
            tdb.dir() + QStringLiteral("/')")));
        const QString report = tdb.dir() + QStringLiteral("/bericht.html");
        const Run r = run({writeIni(tdb), QStringLiteral("--report"), report});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("1 Verknüpfungen geprüft, 0 ungültige Artikel-Verknüpfungen, "
                                       "0 ungültige Eingangsrechnungs-Verknüpfungen\n"));
        const QByteArray page = readAll(report);
        QVERIFY(page.startsWith("<!DOCTYPE HTML PUBLIC"));
        QVERIFY(page.contains(QStringLiteral("<h3>Ungültige Verknüpfungen</h3>\r\n").toUtf8()));
        QVERIFY(page.endsWith("</body>\r\n</html>\r\n"));
        // Nothing went through the message boxes, and they are back afterwards.
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(&Messages::instance(), static_cast<Messages*>(&messages));
    }

    void invalidLinksAndCorrection()
    {
        TestDatabase tdb;
        ScriptedMessages messages;
        const QString dir = tdb.dir() + u'/';
        touch(dir + QStringLiteral("4711-P.dwg"));
        QVERIFY(tdb.exec({
            QStringLiteral(
                "INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('A', 1, 'P-4711.dwg', '") +
                dir + QStringLiteral("')"),
            QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('B', 2, "
                           "'Zeichnung ä.dwg', '") +
                dir + QStringLiteral("')"),
            QStringLiteral(
                "INSERT INTO DOKUMENT (D_BEZUG_EINGERCHNR, D_PFAD, D_DATEINAME) VALUES (3, '/x/', 'r.pdf')"),
        }));
        const QString report = dir + QStringLiteral("bericht.html");
        Run r = run({writeIni(tdb), QStringLiteral("--report"), report});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QStringLiteral("3 Verknüpfungen geprüft, 2 ungültige Artikel-Verknüpfungen, "
                                       "1 ungültige Eingangsrechnungs-Verknüpfungen\n"));
        QByteArray page = readAll(report);
        QVERIFY(page.contains(QStringLiteral("Zeichnung ä.dwg&nbsp;").toUtf8()));
        QVERIFY(page.contains("#VerknLoe(A/1)"));
        QCOMPARE(tdb.scalar(QStringLiteral("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='A'")).toString(),
                 QStringLiteral("P-4711.dwg"));

        r = run({writeIni(tdb), QStringLiteral("--auto-correct"), QStringLiteral("--report=") + report});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QStringLiteral("3 Verknüpfungen geprüft, 1 ungültige Artikel-Verknüpfungen, "
                                       "1 ungültige Eingangsrechnungs-Verknüpfungen, 1 korrigiert\n"));
        page = readAll(report);
        QVERIFY(page.contains("Korrgiert P-4711.dwg-->4711-P.dwg"));
        QCOMPARE(tdb.scalar(QStringLiteral("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='A'")).toString(),
                 QStringLiteral("4711-P.dwg"));
        QVERIFY(messages.shown.isEmpty());
    }

    // The program itself: no display, no window system, no login.
    void theProgram()
    {
        TestDatabase tdb;
        QVERIFY(tdb.exec(QStringLiteral(
            "INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('A', 1, 'x.pdf', '/weg/')")));
        const QString report = tdb.dir() + QStringLiteral("/bericht.html");
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // A session without a locale of its own still gets German dates in the "Stand:" line.
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("KV_BINARY_DIR") + QStringLiteral("/kvdokman"),
                      {writeIni(tdb), QStringLiteral("--report"), report});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()),
                 QStringLiteral("1 Verknüpfungen geprüft, 1 ungültige Artikel-Verknüpfungen, "
                                "0 ungültige Eingangsrechnungs-Verknüpfungen\n"));
        QVERIFY(readAll(report).contains("#VerknLoe(A/1)"));
        QVERIFY2(QRegularExpression(QStringLiteral("<p>Stand: \\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d"))
                     .match(QString::fromUtf8(readAll(report)))
                     .hasMatch(),
                 qPrintable(readAll(report).left(600)));

        program.start(qEnvironmentVariable("KV_BINARY_DIR") + QStringLiteral("/kvdokman"),
                      {QStringLiteral("/K:") + tdb.dir() + QStringLiteral("/FEHLT"),
                       QStringLiteral("--report"), report});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 2);
        QVERIFY(QString::fromUtf8(program.readAllStandardError()).contains(QStringLiteral("FEHLT.INI")));
        QVERIFY(program.readAllStandardOutput().isEmpty());
    }

    void errors()
    {
        TestDatabase tdb;
        ScriptedMessages messages;
        const QString report = tdb.dir() + QStringLiteral("/bericht.html");
        const QString k = writeIni(tdb);

        Run r = run({k, QStringLiteral("--report")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("Berichtsdatei fehlt")));

        r = run({k, QStringLiteral("--report"), report, QStringLiteral("--fix")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("--fix")));

        r = run({QStringLiteral("/K:") + tdb.dir() + QStringLiteral("/FEHLT"), QStringLiteral("--report"),
                 report});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("FEHLT.INI")));

        r = run({writeIni(tdb, QStringLiteral("DBASE")), QStringLiteral("--report"), report});
        QCOMPARE(r.code, 2);
        QVERIFY(!r.err.isEmpty());

        r = run({writeIni(tdb, QStringLiteral("SQLITE"), tdb.dir() + QStringLiteral("/gibtsnicht.db")),
                 QStringLiteral("--report"), report});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("gibtsnicht.db")));

        // A report file that cannot be written.
        r = run(
            {writeIni(tdb), QStringLiteral("--report"), tdb.dir() + QStringLiteral("/fehlt/bericht.html")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("kann nicht geschrieben werden")));
        QVERIFY(r.out.isEmpty());

        // A failing query: its message, no report file.
        QVERIFY(tdb.exec(QStringLiteral("DROP TABLE EINGANGSRECH")));
        r = run({writeIni(tdb), QStringLiteral("--report"), report});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("EINGANGSRECH")));
        QVERIFY(!QFile::exists(report));
        QVERIFY(messages.shown.isEmpty());
    }
};

QTEST_MAIN(TestReportCli)
#include "tst_reportcli.moc"
