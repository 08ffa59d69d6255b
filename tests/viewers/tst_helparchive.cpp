// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewers/helparchive.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

namespace {

QByteArray decodeQuotedPrintable(const QByteArray& text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
        } else if (text.mid(i + 1, 2) == "\r\n") {
            i += 2; // soft line break
        } else {
            out += char(text.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        }
    }
    return out.replace("\r\n", "\n");
}

QByteArray page(const QByteArray& title, const QByteArray& body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
           "</title>\n<style>h1 { color: #123456; }</style>\n</head>\n<BODY class=\"x\">\n"
           "<nav class=\"seiten\"><a href=\"eins.htm\">Eins</a> <a href=\"zwei.htm\">Zwei</a></nav>\n" +
           body + "\n</body>\n</html>\n";
}

// Two pages that link to each other, to an anchor of the other page and to the outside; the second
// page is long enough that a jump to its anchor scrolls.
QList<HelpPage> samplePages()
{
    QByteArray filler;
    for (int i = 0; i < 80; ++i)
        filler += "<p>Zeile " + QByteArray::number(i) + " mit Ümlauten: Größe, Maß, Übersicht.</p>\n";
    return {
        {QStringLiteral("eins.htm"),
         page("Eins",
              "<h1>Übersicht</h1><p><a id=\"l1\" href=\"zwei.htm\">Zwei</a> <a id=\"l2\" "
              "href=\"ZWEI.HTM#zwei-ende\">Ende</a> <a id=\"l3\" href=\"https://example.invalid/a.htm\">"
              "Außen</a> <a id=\"l4\" href=\"#eins\">Oben</a></p>" +
                  filler)},
        {QStringLiteral("zwei.htm"),
         page("Zwei", "<h1>Zweite Seite</h1>" + filler + "<h2 id=\"zwei-ende\">Ende</h2>")},
    };
}

} // namespace

class TestHelpArchive : public QObject
{
    Q_OBJECT

private slots:
    void quotedPrintable_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("plain") << QByteArray("abc def\n");
        QTest::newRow("equals and umlauts") << QByteArray("a=b \xc3\xa4\xc3\xb6\xc3\xbc\n");
        QTest::newRow("blank at line end") << QByteArray("ende \nund\t\n");
        QTest::newRow("long line") << QByteArray(300, 'x') + "\n" + QByteArray(200, '=') + "\n";
        QTest::newRow("no final line break") << QByteArray("a\r\nb");
    }
    void quotedPrintable()
    {
        QFETCH(QByteArray, text);
        const QByteArray encoded = EncodeQuotedPrintable(text);
        for (const QByteArray& line : encoded.split('\n')) {
            QVERIFY2(line.size() <= 77, line.constData()); // 76 and the CR
            QVERIFY(!line.endsWith(" \r") && !line.endsWith("\t\r"));
            for (const char c : line)
                QVERIFY(c == '\r' || c == '\t' || (c >= 32 && c <= 126));
        }
        QByteArray expected = text;
        expected.replace("\r\n", "\n");
        if (!expected.endsWith('\n'))
            expected += '\n';
        QCOMPARE(decodeQuotedPrintable(encoded), expected);
    }

    // One text/html part; the pages in order, each in its section; links between pages made
    // in-page, outside links kept; the first page's style, no navigation bars.
    void archiveStructure()
    {
        const QByteArray archive = BuildHelpArchive(samplePages(), QStringLiteral("Anleitung"),
                                                    QUrl(QStringLiteral("file:///hilfe/handbuch.mht")));
        QVERIFY(archive.startsWith("From: "));
        QVERIFY(archive.contains("MIME-Version: 1.0\r\n"));
        QVERIFY(archive.contains("Content-Type: multipart/related;"));
        const qsizetype header = archive.indexOf("\r\n\r\n");
        const QByteArray boundary =
            archive.left(header).split('"').at(archive.left(header).split('"').size() - 2);
        QVERIFY(!boundary.isEmpty());
        const QByteArray partLine = "--" + boundary + "\r\n";
        const QByteArray endLine = "--" + boundary + "--\r\n";
        QCOMPARE(archive.count(partLine), 1);
        QVERIFY(archive.endsWith(endLine));
        const qsizetype partStart = archive.indexOf(partLine);
        const qsizetype bodyStart = archive.indexOf("\r\n\r\n", partStart) + 4;
        const QByteArray partHeader = archive.mid(partStart, bodyStart - partStart);
        QVERIFY(partHeader.contains("Content-Type: text/html; charset=\"utf-8\""));
        QVERIFY(partHeader.contains("Content-Location: file:///hilfe/handbuch.mht\r\n"));
        const QByteArray encoded = archive.mid(bodyStart, archive.lastIndexOf(endLine) - bodyStart);
        QVERIFY(!encoded.contains(boundary));
        const QString html = QString::fromUtf8(decodeQuotedPrintable(encoded));

        QVERIFY(html.contains(QStringLiteral("<title>Anleitung</title>")));
        QCOMPARE(html.count(QStringLiteral("<style>")), 1);
        QVERIFY(!html.contains(QStringLiteral("<nav")));
        const qsizetype one = html.indexOf(QStringLiteral("<section id=\"eins\">"));
        const qsizetype two = html.indexOf(QStringLiteral("<section id=\"zwei\">"));
        QVERIFY(one > 0 && two > one);
        QVERIFY(html.contains(QStringLiteral("<a id=\"l1\" href=\"#zwei\">")));
        QVERIFY(html.contains(QStringLiteral("<a id=\"l2\" href=\"#zwei-ende\">")));
        QVERIFY(html.contains(QStringLiteral("href=\"https://example.invalid/a.htm\"")));
        QVERIFY(html.contains(QStringLiteral("<a id=\"l4\" href=\"#eins\">")));
        QCOMPARE(html.count(QStringLiteral(".htm\"")), 1); // only the outside link
        QVERIFY(html.contains(QStringLiteral("Maß, Übersicht")));
        QCOMPARE(html.count(QStringLiteral("<body")), 1);
    }

    // Written from the help folder, a page's link to the shared style sheet becomes the sheet's text;
    // a missing sheet or page is reported and writes nothing.
    void writtenFromFolderWithStyleSheet()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        auto write = [&](const QString& name, const QByteArray& text) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        };
        write(QStringLiteral("eins.htm"),
              "<html><head><meta charset=\"utf-8\"><link rel=\"stylesheet\" href=\"hilfe.css\"></head>"
              "<body><h1>Eins</h1><a href=\"zwei.htm\">Zwei</a></body></html>");
        write(QStringLiteral("zwei.htm"), "<html><head><link rel=\"stylesheet\" "
                                          "href=\"hilfe.css\"></head><body><h1>Zwei</h1></body></html>");
        write(QStringLiteral("hilfe.css"), "h1 { color: #abcdef; }\n");
        const QString target = dir.filePath(QStringLiteral("handbuch.mht"));
        QString error;
        QVERIFY2(WriteHelpArchive(dir.path(), {QStringLiteral("eins.htm"), QStringLiteral("zwei.htm")},
                                  QStringLiteral("Anleitung"), target, &error),
                 qPrintable(error));
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray html = decodeQuotedPrintable(f.readAll());
        QVERIFY(html.contains("<style>\nh1 { color: #abcdef; }\n</style>"));
        QVERIFY(!html.contains("<link"));
        QVERIFY(html.contains("href=\"#zwei\""));
        f.close();

        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("hilfe.css"))));
        QVERIFY(QFile::remove(target));
        QVERIFY(!WriteHelpArchive(dir.path(), {QStringLiteral("eins.htm")}, QStringLiteral("Anleitung"),
                                  target, &error));
        QVERIFY2(error.contains(QStringLiteral("hilfe.css")), qPrintable(error));
        QVERIFY(!QFile::exists(target));
    }

    // The browser shows the archive: title, both pages, text with umlauts; a click on a link to the
    // other page stays in the archive.
    void browserShowsArchive()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("bed_anleitung_dokman.mht"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            BuildHelpArchive(samplePages(), QStringLiteral("Anleitung für Büro"), QUrl::fromLocalFile(file)));
        f.close();

        QWebEngineView view;
        view.resize(800, 600);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.load(QUrl::fromLocalFile(file));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 30000);
        QVERIFY(loaded.at(0).at(0).toBool());
        QTRY_COMPARE(view.title(), QStringLiteral("Anleitung für Büro"));

        auto js = [&view](const QString& script) {
            QVariant result;
            bool done = false;
            // Archives are shown sandboxed (no page scripts); the application's own world still runs.
            view.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
                result = v;
                done = true;
            });
            if (!QTest::qWaitFor([&] { return done; }, 10000))
                return QVariant(QStringLiteral("timeout"));
            return result;
        };
        QCOMPARE(js(QStringLiteral("document.querySelectorAll('section').length")).toInt(), 2);
        QCOMPARE(js(QStringLiteral("document.querySelector('h1').textContent")).toString(),
                 QStringLiteral("Übersicht"));
        QCOMPARE(js(QStringLiteral("window.scrollY")).toInt(), 0);
        // A real click on the link, as the user does it.
        const QVariantList rect =
            js(QStringLiteral("(function(){var r=document.getElementById('l2').getBoundingClientRect();"
                              "return [r.left + r.width / 2, r.top + r.height / 2];})()"))
                .toList();
        QCOMPARE(rect.size(), 2);
        QWidget* input = view.focusProxy() ? view.focusProxy() : &view;
        QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(rect[0].toInt(), rect[1].toInt()));
        // The browser keeps archives from navigating, also within the page: without help the click
        // leaves the manual where it is (not an error page), and does not move.
        QTest::qWait(500);
        QCOMPARE(js(QStringLiteral("location.href")).toString(), QUrl::fromLocalFile(file).toString());
        QCOMPARE(view.title(), QStringLiteral("Anleitung für Büro"));
        QCOMPARE(js(QStringLiteral("window.scrollY")).toInt(), 0);

        // With the in-page links installed the same click jumps to the other page's heading.
        InstallInPageLinks(view.page());
        InstallInPageLinks(view.page()); // a second call adds no second handler
        // The scripts run asynchronously: the click comes once the handler is in place, as a user's
        // does long after the page has loaded.
        QTRY_VERIFY(js(QStringLiteral("window.__kvInPageLinks === true")).toBool());
        QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(rect[0].toInt(), rect[1].toInt()));
        QTRY_VERIFY(js(QStringLiteral("window.scrollY")).toInt() > 0);
        // The heading stands last in the document: it is in view, as far up as the page can scroll.
        QVERIFY(js(QStringLiteral(
                       "(function(){var r=document.getElementById('zwei-ende').getBoundingClientRect();"
                       "return r.top >= 0 && r.bottom <= window.innerHeight;})()"))
                    .toBool());
        QCOMPARE(js(QStringLiteral("location.href")).toString(), QUrl::fromLocalFile(file).toString());
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestHelpArchive test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_helparchive.moc"
