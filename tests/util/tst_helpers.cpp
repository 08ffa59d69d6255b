// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedmessages.h"
#include "util/helpers.h"
#include "util/inifile.h"

#include <QTemporaryDir>
#include <QtTest>

class TestHelpers : public QObject
{
    Q_OBJECT
private slots:
    void passwords_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("example") << "abc" << "OQS";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("21 chars") << "abcdefghijklmnopqrstu" << "";
        // 20 characters: the shift reaches into 0x80..0xFF (Z + 20 + p + 10 = 0x78 + p), which the
        // database hands back as Unicode text; 0x80 is the euro sign.
        QByteArray bytes;
        for (int p = 1; p <= 20; ++p)
            bytes.append(char(0x5A + 20 + p + 10));
        QTest::newRow("high bytes") << "zzzzzzzzzzzzzzzzzzzz" << IniFile::fromWindows1252(bytes);
    }
    void passwords()
    {
        QFETCH(QString, plain);
        QFETCH(QString, encoded);
        QCOMPARE(EncodePassword(plain), encoded);
        if (plain.size() == 20)
            QVERIFY(encoded.contains(QChar(0x20AC)));
        if (!encoded.isEmpty())
            QCOMPARE(DecodePassword(encoded), plain.toUpper());
    }

    void decodeInvertsEncode()
    {
        // Every character of the Windows-1252 range, in texts up to 20 characters.
        for (int start = 0x20; start < 0x100; start += 20) {
            QByteArray bytes;
            for (int c = start; c < start + 20 && c < 0x100; ++c)
                bytes.append(char(c));
            const QString text = IniFile::fromWindows1252(bytes);
            QString upper = text;
            for (QChar& ch : upper)
                if (ch >= u'a' && ch <= u'z')
                    ch = QChar(ch.unicode() - 32);
            QCOMPARE(DecodePassword(EncodePassword(text)), upper);
        }
        QCOMPARE(DecodePassword(QStringLiteral("ABCDEFGHIJKLMNOPQRSTU")), QString());
    }

    void textBeforeParenthesis_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("anchor tail") << "ARTNR/LFDNR)" << "ARTNR/LFDNR";
        QTest::newRow("none") << "abc" << "abc";
        QTest::newRow("leading") << "(x)" << "";
        QTest::newRow("open first") << "a(b)c" << "a";
    }
    void textBeforeParenthesis()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(TextBeforeParenthesis(in), out);
    }

    void ensureDirectory()
    {
        ScriptedMessages m;
        QTemporaryDir dir;
        QVERIFY(EnsureDirectory(dir.path()));
        QVERIFY(m.shown.isEmpty());
        QVERIFY(m.sounds.isEmpty());

        const QString deep = dir.filePath("a/b/c");
        QVERIFY(EnsureDirectory(deep));
        QVERIFY(QFileInfo(deep).isDir());
        QCOMPARE(m.sounds.size(), 1);
        QVERIFY(m.shown.isEmpty());

        m.clear();
        QVERIFY(!EnsureDirectory(QString()));
        QCOMPARE(m.texts(), QStringList{"Das Verzeichnis \n konnte nicht angelegt werden!"});

        // A folder below a plain file cannot be created.
        m.clear();
        QFile f(dir.filePath("file"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(!EnsureDirectory(dir.filePath("file/sub")));
        QCOMPARE(m.shown.size(), 1);
        QCOMPARE(m.shown[0].kind, Messages::Kind::Warning);
        QCOMPARE(m.sounds.size(), 2);
    }

    void openInBrowser_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("url");
        QTest::newRow("plain") << " www.korvan.de " << "http://www.korvan.de";
        QTest::newRow("https gets http too") << "https://x.de" << "http://https://x.de";
        QTest::newRow("has http") << "see http://x.de" << "see http://x.de";
        QTest::newRow("empty") << "  " << "";
    }
    void openInBrowser()
    {
        QFETCH(QString, in);
        QFETCH(QString, url);
        ScriptedMessages m;
        OpenInBrowser(in);
        if (url.isEmpty()) {
            QVERIFY(m.openedUrls.isEmpty());
            return;
        }
        QCOMPARE(m.openedUrls.size(), 1);
        QCOMPARE(m.openedUrls[0], QUrl(url));
        QVERIFY(m.shown.isEmpty());
    }

    void openInBrowserFailure()
    {
        ScriptedMessages m;
        m.openUrlResult = false;
        OpenInBrowser("www.x.de");
        QCOMPARE(m.texts(), QStringList{"Standard-Web-Browser kann nicht geöffnet werden..."});
        QCOMPARE(m.shown[0].kind, Messages::Kind::Error);
        QCOMPARE(m.cursors.last(), Messages::Cursor::Normal);
    }

    void splitFilePath_data()
    {
        QTest::addColumn<QString>("full");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::newRow("unix") << "/daten/a b.pdf" << "/daten/" << "a b.pdf";
        QTest::newRow("windows") << "C:\\daten\\x.doc" << "C:\\daten\\" << "x.doc";
        QTest::newRow("mixed") << "\\\\srv\\share/dir/f" << "\\\\srv\\share/dir/" << "f";
        QTest::newRow("no folder") << "f.txt" << "" << "f.txt";
        QTest::newRow("blank name") << "/d/ f " << "/d/" << " f ";
    }
    void splitFilePath()
    {
        QFETCH(QString, full);
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QString d, f;
        SplitFilePath(full, &d, &f);
        QCOMPARE(d, folder);
        QCOMPARE(f, file);
        QCOMPARE(d + f, full);
    }
};

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"
