// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/inifile.h"

#include <QTemporaryDir>
#include <QtTest>

class TestIniFile : public QObject
{
    Q_OBJECT
    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& content)
    {
        const QString p = dir_.filePath(name);
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return p;
    }
    static QByteArray read(const QString& p)
    {
        QFile f(p);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private slots:
    void missingFileGivesDefaults()
    {
        IniFile ini(dir_.filePath(QStringLiteral("nothere.ini")));
        QCOMPARE(ini.readString(QStringLiteral("Path"), QStringLiteral("Prog"), QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(ini.readInteger(QStringLiteral("A"), QStringLiteral("B"), 7), 7);
        QCOMPARE(ini.readBool(QStringLiteral("A"), QStringLiteral("B"), true), true);
        QVERIFY(!ini.sectionExists(QStringLiteral("A")));
    }

    void readsCaseInsensitiveAndNumbers()
    {
        const QString p = write(QStringLiteral("r.ini"), "; comment\r\n[Options]\r\nDatabase = ERP \r\nUseSQLUser=1\r\n"
                                                         "Width=abc\r\nOff=0\r\nNeg=-12\r\n[other]\r\nDatabase=X\r\n");
        IniFile ini(p);
        QCOMPARE(ini.readString(QStringLiteral("OPTIONS"), QStringLiteral("database")), QStringLiteral("ERP"));
        QCOMPARE(ini.readString(QStringLiteral("Other"), QStringLiteral("DATABASE")), QStringLiteral("X"));
        QCOMPARE(ini.readBool(QStringLiteral("options"), QStringLiteral("usesqluser"), false), true);
        QCOMPARE(ini.readBool(QStringLiteral("options"), QStringLiteral("Off"), true), false);
        QCOMPARE(ini.readInteger(QStringLiteral("options"), QStringLiteral("Width"), 200), 200);
        QCOMPARE(ini.readBool(QStringLiteral("options"), QStringLiteral("Width"), true), true);
        QCOMPARE(ini.readInteger(QStringLiteral("options"), QStringLiteral("Neg"), 0), -12);
        QCOMPARE(ini.readString(QStringLiteral("options"), QStringLiteral("missing"), QStringLiteral("def")),
                 QStringLiteral("def"));
    }

    void writeKeepsOtherLines()
    {
        const QByteArray before = "; ERP settings\r\n[Path]\r\nProg=C:\\KORVAN\r\n\r\n[Options]\r\nDatabase=KORVAN\r\n"
                                  "; note\r\nUpdateAge=1\r\n\r\n[Last]\r\nX=1\r\n";
        const QString p = write(QStringLiteral("w.ini"), before);
        IniFile ini(p);
        QVERIFY(ini.writeInteger(QStringLiteral("options"), QStringLiteral("updateage"), 12345));
        QByteArray expected = before;
        expected.replace("UpdateAge=1", "UpdateAge=12345");
        QCOMPARE(read(p), expected);
        // A new key goes after the section's last key; a new section is appended.
        QVERIFY(ini.writeInteger(QStringLiteral("Options"), QStringLiteral("MySQLConncetionVariante"), 1));
        QVERIFY(ini.writeString(QStringLiteral("New"), QStringLiteral("K"), QStringLiteral("v")));
        expected.replace("UpdateAge=12345\r\n", "UpdateAge=12345\r\nMySQLConncetionVariante=1\r\n");
        expected += "\r\n[New]\r\nK=v\r\n";
        QCOMPARE(read(p), expected);
    }

    void windows1252SurvivesReadAndWrite()
    {
        // "Müller" and "€" in Windows-1252 bytes, as the ERP writes them.
        const QByteArray before = "[Path]\r\nUser=C:\\M\xFCller\\\x80\r\n[Options]\r\nA=1\r\n";
        const QString p = write(QStringLiteral("cp.ini"), before);
        IniFile ini(p);
        QCOMPARE(ini.readString(QStringLiteral("Path"), QStringLiteral("User")), QStringLiteral("C:\\Müller\\€"));
        QVERIFY(ini.writeString(QStringLiteral("Options"), QStringLiteral("A"), QStringLiteral("Größe")));
        QCOMPARE(read(p), QByteArray("[Path]\r\nUser=C:\\M\xFCller\\\x80\r\n[Options]\r\nA=Gr\xF6\xDF" "e\r\n"));
        // UTF-8 files stay UTF-8.
        const QString u = write(QStringLiteral("utf8.ini"), "[A]\nK=Müller\n");
        IniFile ui(u);
        QCOMPARE(ui.readString(QStringLiteral("a"), QStringLiteral("k")), QStringLiteral("Müller"));
        ui.writeString(QStringLiteral("A"), QStringLiteral("L"), QStringLiteral("Öl"));
        QCOMPARE(read(u), QByteArray("[A]\nK=Müller\nL=Öl\n"));
    }

    void sections()
    {
        const QString p = write(QStringLiteral("s.ini"), "[G]\nA=1\nB=2\n\n[H]\nC=3\n");
        IniFile ini(p);
        ini.writeSection(QStringLiteral("g"), {{QStringLiteral("B"), QStringLiteral("5")}, {QStringLiteral("Z"), QStringLiteral("6")}});
        QCOMPARE(read(p), QByteArray("[G]\nB=5\nZ=6\n\n[H]\nC=3\n"));
        const auto values = ini.readSection(QStringLiteral("G"));
        QCOMPARE(values.size(), 2);
        QCOMPARE(values[1].first, QStringLiteral("Z"));
        ini.eraseSection(QStringLiteral("G"));
        QCOMPARE(read(p), QByteArray("[H]\nC=3\n"));
    }

    void floats()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString p = dir_.filePath(QStringLiteral("f.ini"));
        IniFile ini(p);
        ini.writeFloat(QStringLiteral("PreviewForm"), QStringLiteral("PrintMarginLeft"), 1.5);
        QVERIFY(read(p).contains("PrintMarginLeft=1,5"));
        QCOMPARE(ini.readFloat(QStringLiteral("PreviewForm"), QStringLiteral("PrintMarginLeft"), 0), 1.5);
        ini.writeString(QStringLiteral("PreviewForm"), QStringLiteral("X"), QStringLiteral("zwei"));
        QCOMPARE(ini.readFloat(QStringLiteral("PreviewForm"), QStringLiteral("X"), 0.5), 0.5);
        QLocale::setDefault(QLocale::c());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
