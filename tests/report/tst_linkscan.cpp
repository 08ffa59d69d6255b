// SPDX-License-Identifier: GPL-3.0-or-later
// The invalid-link scan on a temporary SQLite database and folder.
#include "db/query.h"
#include "report/htmldocument.h"
#include "report/linkscan.h"
#include "scriptedmessages.h"
#include "testdb.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

namespace {

void touch(const QString& path)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write("x");
}

QString q(const QString& s)
{
    QString t = s;
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

// The lines of the page after the head that HtmlBeginPage writes.
QStringList body(const PageBuffer& page)
{
    PageBuffer head;
    HtmlBeginPage(head);
    if (page.mid(0, head.size()) != head)
        return {QStringLiteral("<head differs>")};
    return page.mid(head.size());
}

QStringList articleHeader()
{
    return {QStringLiteral("<tr>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"10%\" ALIGN=left VALIGN=center>ArtNr. </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"15%\" ALIGN=left VALIGN=center>Typ </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"25%\" ALIGN=left VALIGN=center>Bezeichnung </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"20%\" ALIGN=left VALIGN=center>Datei-Pfad </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"20%\" ALIGN=left VALIGN=center>Datei-Name </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"10%\" ALIGN=left VALIGN=center>Aktion </td>"),
            QStringLiteral("</tr>")};
}

QStringList invoiceHeader()
{
    return {QStringLiteral("<tr>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"10%\" ALIGN=left VALIGN=center>Eing.Rechn.Nr. </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"15%\" ALIGN=left VALIGN=center>Buch.Nr./Datum </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"25%\" ALIGN=left VALIGN=center>Lieferant </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"20%\" ALIGN=left VALIGN=center>Datei-Pfad </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"20%\" ALIGN=left VALIGN=center>Datei-Name </td>"),
            QStringLiteral("   <td  class=\"cell\"  width=\"10%\" ALIGN=left VALIGN=center>Aktion </td>"),
            QStringLiteral("</tr>")};
}

QString cell(const QString& content, const QString& cls = QStringLiteral("cell"))
{
    return QStringLiteral("   <td  class=\"") + cls + QStringLiteral("\"  ALIGN=left VALIGN=top>") + content +
           QStringLiteral(" </td>");
}

QStringList opening(const QDateTime& when)
{
    return {QStringLiteral("<h3>Ungültige Verknüpfungen</h3>"),
            QStringLiteral("<p>Stand: ") + ReportTimestamp(when) + QStringLiteral("</p>"),
            QStringLiteral("<table align=\"left\" border=\"0\" width=\"100%\">"),
            QStringLiteral("<tr> <td width=\"100%\" align=\"left\">"),
            QStringLiteral("<table align=\"left\" width=100% border=\"1\" bordercolorlight=\"#e1e1e1\" "
                           "bordercolordark=\"#828282\">")};
}

QStringList closing()
{
    return {QStringLiteral("</table>"), QStringLiteral("</td> </tr>"), QStringLiteral("</table>"), QString(),
            QStringLiteral("</body>"), QStringLiteral("</html>")};
}

QStringList actionRow(const QStringList& values, const QString& key)
{
    QStringList lines{QStringLiteral("<tr>")};
    for (const QString& v : values)
        lines << cell(v + QStringLiteral("&nbsp;"));
    lines << cell(QStringLiteral("<a href=\"#VerknNeu(") + key + QStringLiteral(")\">Neu verkn. | </a><a href=\"#VerknLoe(") +
                      key + QStringLiteral(")\"> Löschen</a>"),
                  QStringLiteral("kleinnormal"))
          << QStringLiteral("</tr>");
    return lines;
}

} // namespace

class TestLinkScan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void autoCorrectedName_data();
    void autoCorrectedName();
    void trimAndTimestamp();
    void decodeTarget_data();
    void decodeTarget();

    void pageTextOfSmallCase();
    void noInvalidLinks();
    void fileNameEdgeCases();
    void autoCorrection();
    void valuesAreEscaped();
    void manyRowsKeepTheirOrder();
    void failingQueryStopsScan();
    void failingCorrectionStopsScan();
};

void TestLinkScan::autoCorrectedName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("P- with extension") << "P-4711.dwg" << "4711-P.dwg";
    QTest::newRow("lower-case p-") << "p-4711.dwg" << "4711-P.dwg";
    QTest::newRow("no extension") << "P-4711" << "4711-P";
    QTest::newRow("base cut at first dot") << "P-12.3.pdf" << "12-P.pdf";
    QTest::newRow("other prefix") << "X-4711.dwg" << "";
    QTest::newRow("P without dash") << "P4711.dwg" << "";
    QTest::newRow("too short") << "P" << "";
    QTest::newRow("non-ASCII letter not upper-cased") << QString::fromUtf8("ä-1.pdf") << "";
    QTest::newRow("dot before a separator is no extension") << "P-a.b\\c" << "a-P";
    QTest::newRow("only the prefix") << "P-" << "-P";
}

void TestLinkScan::autoCorrectedName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(AutoCorrectedName(name), expected);
}

void TestLinkScan::trimAndTimestamp()
{
    QCOMPARE(TrimBlanksAndControls(QStringLiteral(" \t/a/b c\r\n\x01")), QStringLiteral("/a/b c"));
    QCOMPARE(TrimBlanksAndControls(QStringLiteral("   ")), QString());
    QCOMPARE(ReportTimestamp(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))), QStringLiteral("05.03.24 07:08:09"));
}

void TestLinkScan::decodeTarget_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("artnr");
    QTest::addColumn<int>("lfdnr");
    QTest::newRow("change") << "#VerknNeu(A1/3)" << "#VerknNeu" << true << "A1" << 3;
    QTest::newRow("delete") << "#VerknLoe(4711-X/12)" << "#VerknLoe" << true << "4711-X" << 12;
    QTest::newRow("20 characters and 5 digits") << "#VerknLoe(ABCDEFGHIJKLMNOPQRST/32767)" << "#VerknLoe" << true
                                                << "ABCDEFGHIJKLMNOPQRST" << 32767;
    QTest::newRow("with markup") << "#VerknNeu(A&B <x>/1)" << "#VerknNeu" << true << "A&B <x>" << 1;
    QTest::newRow("no slash") << "#VerknNeu(A13)" << "#VerknNeu" << false << "" << 0;
    QTest::newRow("no integer") << "#VerknNeu(A1/x)" << "#VerknNeu" << false << "" << 0;
    QTest::newRow("empty") << "#VerknNeu()" << "#VerknNeu" << false << "" << 0;
    QTest::newRow("slash in article number") << "#VerknNeu(A/1/3)" << "#VerknNeu" << false << "" << 0;
    QTest::newRow("parenthesis in article number") << "#VerknLoe(A(1)/3)" << "#VerknLoe" << false << "" << 0;
    // Read as the article "A" and running number 7 without the check: another link.
    QTest::newRow("slash and parenthesis") << "#VerknLoe(A/7)/3)" << "#VerknLoe" << false << "" << 0;
    QTest::newRow("other marker") << "#VerknNeu(A1/3)" << "#VerknLoe" << false << "" << 0;
}

void TestLinkScan::decodeTarget()
{
    QFETCH(QString, target);
    QFETCH(QString, marker);
    QFETCH(bool, ok);
    QString artnr = QStringLiteral("unchanged");
    int lfdnr = -1;
    QCOMPARE(DecodeLinkTarget(target, marker, &artnr, &lfdnr), ok);
    if (ok) {
        QTEST(artnr, "artnr");
        QTEST(lfdnr, "lfdnr");
        QCOMPARE(ChangeLinkTarget(artnr, lfdnr).mid(10), target.mid(10));
    } else {
        QCOMPARE(artnr, QStringLiteral("unchanged"));
    }
}

void TestLinkScan::pageTextOfSmallCase()
{
    TestDatabase tdb;
    ScriptedMessages messages;
    const QString dir = tdb.dir() + u'/';
    touch(dir + QStringLiteral("da.pdf"));
    touch(dir + QStringLiteral("rechnung-ok.pdf"));
    QVERIFY(tdb.exec({
        QStringLiteral("INSERT INTO MART (ARTNR, TYP, BEZEICHNUNG) VALUES ('A1', 'Blech', 'Winkel 40')"),
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('A1', 1, 'da.pdf', ") + q(dir) + u')',
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('A1', 2, 'weg.pdf', ") + q(dir) + u')',
        // Its article is gone: still tested.
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('B2', 7, 'fehlt.dwg', '/nirgends/')"),
        QStringLiteral("INSERT INTO EINGANGSRECH (ID, BUCHNR, ERFDATUM) VALUES (5, 1234, '2024-03-05 10:00:00')"),
        QStringLiteral("INSERT INTO DOKUMENT (D_BEZUG_EINGERCHNR, D_EMPF_KURZNAME, D_PFAD, D_DATEINAME) VALUES (5, 'MUELLER', ") +
            q(dir) + QStringLiteral(", 're-fehlt.pdf')"),
        QStringLiteral("INSERT INTO DOKUMENT (D_BEZUG_EINGERCHNR, D_EMPF_KURZNAME, D_PFAD, D_DATEINAME) VALUES (5, 'MUELLER', ") +
            q(dir) + QStringLiteral(", 'rechnung-ok.pdf')"),
        // Its invoice row is missing: "/" alone.
        QStringLiteral("INSERT INTO DOKUMENT (D_BEZUG_EINGERCHNR, D_EMPF_KURZNAME, D_PFAD, D_DATEINAME) VALUES (9, 'MEIER', '/x/', 'y.pdf')"),
        // Not invoice links: never tested.
        QStringLiteral("INSERT INTO DOKUMENT (D_BEZUG_EINGERCHNR, D_BEZUG_ADRNR, D_PFAD, D_DATEINAME) VALUES (0, 3, '/x/', 'null.pdf')"),
        QStringLiteral("INSERT INTO DOKUMENT (D_BEZUG_EINGERCHNR, D_BEZUG_ADRNR, D_PFAD, D_DATEINAME) VALUES (NULL, 3, '/x/', 'leer.pdf')"),
    }));

    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);
    const QDateTime when(QDate(2024, 6, 1), QTime(12, 30, 15));
    scan.setTimestamp(when);
    PageBuffer page{QStringLiteral("Memo für die HTML-Erzeugung")};
    const ReportScanResult r = scan.run(page);

    QStringList expected = opening(when) + articleHeader();
    expected << actionRow({QStringLiteral("A1"), QStringLiteral("Blech"), QStringLiteral("Winkel 40"), dir,
                           QStringLiteral("weg.pdf")},
                          QStringLiteral("A1/2"));
    expected << actionRow({QStringLiteral("B2"), QString(), QString(), QStringLiteral("/nirgends/"),
                           QStringLiteral("fehlt.dwg")},
                          QStringLiteral("B2/7"));
    expected << invoiceHeader();
    // Ordered by the invoice: the link without its invoice row comes first.
    expected << QStringLiteral("<tr>") << cell(QStringLiteral("9&nbsp;")) << cell(QStringLiteral("/"))
             << cell(QStringLiteral("MEIER&nbsp;")) << cell(QStringLiteral("/x/&nbsp;"))
             << cell(QStringLiteral("y.pdf&nbsp;")) << cell(QStringLiteral("&nbsp;"), QStringLiteral("kleinnormal"))
             << QStringLiteral("</tr>");
    expected << QStringLiteral("<tr>") << cell(QStringLiteral("5&nbsp;")) << cell(QStringLiteral("1234/05.03.24"))
             << cell(QStringLiteral("MUELLER&nbsp;")) << cell(dir + QStringLiteral("&nbsp;"))
             << cell(QStringLiteral("re-fehlt.pdf&nbsp;")) << cell(QStringLiteral("&nbsp;"), QStringLiteral("kleinnormal"))
             << QStringLiteral("</tr>");
    expected << closing();
    const QStringList got = body(page);
    for (int i = 0; i < qMax(got.size(), expected.size()); ++i)
        QCOMPARE(got.value(i), expected.value(i));

    QCOMPARE(r.linksTested, 6);
    QCOMPARE(r.invalidArticleLinks, 2);
    QCOMPARE(r.invalidInvoiceLinks, 2);
    QCOMPARE(r.corrected, 0);
    QVERIFY(!qry1.isOpen());
    QVERIFY(qry1.sql().isEmpty());
    QVERIFY(!qry1.isForwardOnly());
    QCOMPARE(messages.cursors.last(), Messages::Cursor::Normal);
    QVERIFY(messages.shown.isEmpty());
}

void TestLinkScan::noInvalidLinks()
{
    TestDatabase tdb;
    ScriptedMessages messages;
    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);
    const QDateTime when(QDate(2024, 6, 1), QTime(8, 0, 0));
    scan.setTimestamp(when);
    PageBuffer page;
    const ReportScanResult r = scan.run(page);
    QCOMPARE(body(page), opening(when) + articleHeader() + invoiceHeader() + closing());
    QCOMPARE(r.linksTested, 0);
}

void TestLinkScan::fileNameEdgeCases()
{
    TestDatabase tdb;
    ScriptedMessages messages;
    const QString dir = tdb.dir() + u'/';
    QDir(tdb.dir()).mkdir(QStringLiteral("ordner"));
    touch(dir + QStringLiteral("a.pdf"));
    QVERIFY(tdb.exec({
        // Valid: blanks around the joined name are trimmed.
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('OK', 1, 'a.pdf  ', ") + q(u"  " + dir) + u')',
        // Invalid: folder without its trailing separator, a folder, an empty name.
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('X1', 1, 'a.pdf', ") + q(tdb.dir()) + u')',
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('X2', 1, 'ordner', ") + q(dir) + u')',
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('X3', 1, '', ") + q(dir) + u')',
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('X4', 1, NULL, NULL)"),
    }));
    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);
    PageBuffer page;
    const ReportScanResult r = scan.run(page);
    QCOMPARE(r.linksTested, 5);
    QCOMPARE(r.invalidArticleLinks, 4);
    const QString text = page.join(u'\n');
    QVERIFY(!text.contains(QStringLiteral("#VerknNeu(OK/1)")));
    for (const char* key : {"X1/1", "X2/1", "X3/1", "X4/1"})
        QVERIFY2(text.contains(QStringLiteral("#VerknLoe(") + QString::fromLatin1(key) + u')'), key);
}

void TestLinkScan::autoCorrection()
{
    TestDatabase tdb;
    ScriptedMessages messages;
    const QString dir = tdb.dir() + u'/';
    touch(dir + QStringLiteral("4711-P.dwg"));
    touch(dir + QStringLiteral("4712-P.dwg"));
    touch(dir + QStringLiteral("4713-P"));
    touch(dir + QStringLiteral("12-P.pdf"));
    QVERIFY(tdb.exec({
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('A', 1, 'P-4711.dwg', ") + q(dir) + u')',
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('B', 2, 'p-4712.dwg', ") + q(dir) + u')',
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('C', 3, 'P-4713', ") + q(dir) + u')',
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('D', 4, 'P-12.3.pdf', ") + q(dir) + u')',
        // No corrected file there: stays with its actions.
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('E', 5, 'P-99.dwg', ") + q(dir) + u')',
        // Not a "P-" name.
        QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('F', 6, '4711.dwg', ") + q(dir) + u')',
    }));
    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);

    // Without the correction nothing changes.
    PageBuffer page;
    ReportScanResult r = scan.run(page);
    QCOMPARE(r.invalidArticleLinks, 6);
    QCOMPARE(tdb.scalar(QStringLiteral("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='A'")).toString(),
             QStringLiteral("P-4711.dwg"));

    scan.setAutoCorrect(true);
    r = scan.run(page);
    QCOMPARE(r.corrected, 4);
    QCOMPARE(r.invalidArticleLinks, 2);
    const QStringList lines = body(page);
    const QString korr = cell(QStringLiteral("Korrgiert P-4711.dwg-->4711-P.dwg"), QStringLiteral("kleinnormal"));
    const int at = int(lines.indexOf(korr));
    QVERIFY(at > 0);
    QCOMPARE(lines.at(at - 5), cell(QStringLiteral("A&nbsp;")));
    QCOMPARE(lines.at(at + 1), QStringLiteral("</tr>"));
    QVERIFY(lines.contains(cell(QStringLiteral("Korrgiert p-4712.dwg-->4712-P.dwg"), QStringLiteral("kleinnormal"))));
    QVERIFY(lines.contains(cell(QStringLiteral("Korrgiert P-4713-->4713-P"), QStringLiteral("kleinnormal"))));
    QVERIFY(lines.contains(cell(QStringLiteral("Korrgiert P-12.3.pdf-->12-P.pdf"), QStringLiteral("kleinnormal"))));
    const QString text = lines.join(u'\n');
    QVERIFY(!text.contains(QStringLiteral("#VerknNeu(A/1)")));
    QVERIFY(text.contains(QStringLiteral("#VerknNeu(E/5)")));
    QVERIFY(text.contains(QStringLiteral("#VerknNeu(F/6)")));

    // The statements: only DATEINAME changed, the folder stays.
    const QStringList expectedNames{QStringLiteral("4711-P.dwg"), QStringLiteral("4712-P.dwg"), QStringLiteral("4713-P"),
                                    QStringLiteral("12-P.pdf"), QStringLiteral("P-99.dwg"), QStringLiteral("4711.dwg")};
    const QStringList articles{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                               QStringLiteral("D"), QStringLiteral("E"), QStringLiteral("F")};
    for (int i = 0; i < articles.size(); ++i) {
        QCOMPARE(tdb.scalar(QStringLiteral("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='") + articles[i] + u'\'').toString(),
                 expectedNames[i]);
        QCOMPARE(tdb.scalar(QStringLiteral("SELECT PFADNAME FROM MARTBILD WHERE ARTNR='") + articles[i] + u'\'').toString(),
                 dir);
    }
    // Gone from the next scan.
    r = scan.run(page);
    QCOMPARE(r.corrected, 0);
    QCOMPARE(r.invalidArticleLinks, 2);
    QVERIFY(!page.join(u'\n').contains(QStringLiteral("Korrgiert")));
}

void TestLinkScan::valuesAreEscaped()
{
    TestDatabase tdb;
    ScriptedMessages messages;
    const QString artnr = QStringLiteral("A<&\"1");
    const QString file = QStringLiteral("x<b>&amp;\" onclick=\".pdf");
    const QString type = QStringLiteral("</td></tr></table>");
    QVERIFY(tdb.exec({QStringLiteral("INSERT INTO MART (ARTNR, TYP, BEZEICHNUNG) VALUES (") + q(artnr) + u',' + q(type) +
                          QStringLiteral(", 'Öl & Fett')"),
                      QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES (") + q(artnr) +
                          QStringLiteral(", 3, ") + q(file) + QStringLiteral(", '/<p>/')")}));
    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);
    PageBuffer page;
    scan.run(page);

    // What the viewer reads from the page: the values as typed, one row, the anchors intact.
    const reportview::Document doc = reportview::ParseHtml(page.join(QStringLiteral("\r\n")));
    QCOMPARE(doc.tables.size(), 1);
    const auto& rows = doc.tables[0].rows;
    QCOMPARE(rows.size(), 3); // two header rows and the link
    const auto& cells = rows[1].cells;
    QCOMPARE(cells.size(), 6);
    const QChar nbsp(0x00A0);
    QCOMPARE(cells[0].text, artnr + nbsp);
    QCOMPARE(cells[1].text, type + nbsp);
    QCOMPARE(cells[2].text, QStringLiteral("Öl & Fett") + nbsp);
    QCOMPARE(cells[3].text, QStringLiteral("/<p>/") + nbsp);
    QCOMPARE(cells[4].text, file + nbsp);
    QCOMPARE(cells[5].anchors.size(), 2);
    QCOMPARE(cells[5].anchors[0].href, ChangeLinkTarget(artnr, 3));
    QCOMPARE(cells[5].anchors[1].href, DeleteLinkTarget(artnr, 3));
    QString a;
    int n = 0;
    QVERIFY(DecodeLinkTarget(cells[5].anchors[1].href, QStringLiteral("#VerknLoe"), &a, &n));
    QCOMPARE(a, artnr);
    QCOMPARE(n, 3);
}

void TestLinkScan::manyRowsKeepTheirOrder()
{
    // Several batches of rows: the files of one batch are tested while the next is read.
    TestDatabase tdb;
    ScriptedMessages messages;
    const QString dir = tdb.dir() + u'/';
    touch(dir + QStringLiteral("da.pdf"));
    touch(dir + QStringLiteral("3-P.pdf"));
    QVERIFY(tdb.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 6999) "
                                    "INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) "
                                    "SELECT printf('A%05d', i), 1, CASE WHEN i % 7 = 0 THEN 'weg.pdf' ELSE 'da.pdf' END, ")
                     + q(dir) + QStringLiteral(" FROM n")));
    // A correction in the middle of the third batch.
    QVERIFY(tdb.exec(QStringLiteral("UPDATE MARTBILD SET DATEINAME='P-3.pdf' WHERE ARTNR='A04907'")));
    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);
    scan.setAutoCorrect(true);
    PageBuffer page;
    const ReportScanResult r = scan.run(page);
    QCOMPARE(r.linksTested, 7000);
    QCOMPARE(r.corrected, 1);
    QCOMPARE(r.invalidArticleLinks, 999);
    QStringList expected;
    for (int i = 0; i < 7000; i += 7)
        expected << QString::asprintf("A%05d", i);
    QStringList listed;
    for (const QString& line : page) {
        if (line.startsWith(QStringLiteral("   <td  class=\"cell\"  ALIGN=left VALIGN=top>A")) && line.contains(u'&'))
            listed << line.mid(line.indexOf(u'>') + 1, 6);
    }
    QCOMPARE(listed, expected);
    QVERIFY(page.contains(cell(QStringLiteral("Korrgiert P-3.pdf-->3-P.pdf"), QStringLiteral("kleinnormal"))));
    QCOMPARE(tdb.scalar(QStringLiteral("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='A04907'")).toString(),
             QStringLiteral("3-P.pdf"));
}

void TestLinkScan::failingQueryStopsScan()
{
    TestDatabase tdb;
    ScriptedMessages messages;
    QVERIFY(tdb.exec(QStringLiteral("DROP TABLE EINGANGSRECH")));
    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);
    PageBuffer page;
    QVERIFY_THROWS_EXCEPTION(AbortSignal, scan.run(page));
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.lastText().contains(QStringLiteral("EINGANGSRECH")));
    QVERIFY(!qry1.isOpen());
    QCOMPARE(messages.cursors.last(), Messages::Cursor::Normal);
}

void TestLinkScan::failingCorrectionStopsScan()
{
    TestDatabase tdb;
    ScriptedMessages messages;
    const QString dir = tdb.dir() + u'/';
    touch(dir + QStringLiteral("1-P.pdf"));
    QVERIFY(tdb.exec({QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('A', 1, 'P-1.pdf', ") +
                          q(dir) + u')',
                      QStringLiteral("CREATE TRIGGER nein BEFORE UPDATE ON MARTBILD BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")}));
    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);
    scan.setAutoCorrect(true);
    PageBuffer page;
    QVERIFY_THROWS_EXCEPTION(AbortSignal, scan.run(page));
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.lastText().contains(QStringLiteral("gesperrt")));
    QVERIFY(!qry1.isOpen());
    QCOMPARE(messages.cursors.last(), Messages::Cursor::Normal);
}

QTEST_MAIN(TestLinkScan)
#include "tst_linkscan.moc"
