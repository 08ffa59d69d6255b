// SPDX-License-Identifier: GPL-3.0-or-later
// The report viewer: what it reads from a page, how it lays rows out, anchors, scrolling, selection.
#include "report/htmldocument.h"
#include "report/htmllayout.h"
#include "report/htmlwriter.h"
#include "report/reportviewer.h"
#include "scriptedmessages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPrinter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace reportview;

namespace {

QString page(const QStringList& rows, int repeat = 1)
{
    PageBuffer b;
    HtmlBeginPage(b);
    b << QStringLiteral("<h3>Titel</h3>") << QStringLiteral("<p>Stand: jetzt</p>")
      << QStringLiteral("<table align=\"left\" border=\"0\" width=\"100%\">")
      << QStringLiteral("<tr> <td width=\"100%\" align=\"left\">")
      << QStringLiteral("<table align=\"left\" width=100% border=\"1\" bordercolorlight=\"#e1e1e1\" "
                        "bordercolordark=\"#828282\">");
    for (int r = 0; r < repeat; ++r)
        b << rows;
    b << QStringLiteral("</table>") << QStringLiteral("</td> </tr>") << QStringLiteral("</table>");
    HtmlEndPage(b);
    return b.join(QStringLiteral("\r\n"));
}

QStringList actionRow(const QString& key, const QString& name = QStringLiteral("x.pdf"))
{
    PageBuffer b;
    b << QStringLiteral("<tr>");
    HtmlCell(b, key + QStringLiteral("&nbsp;"), QStringLiteral("left"), QString(), QString(), QStringLiteral("top"), 0,
             QString(), 0);
    HtmlCell(b, name + QStringLiteral("&nbsp;"), QStringLiteral("left"), QString(), QString(), QStringLiteral("top"), 0,
             QString(), 0);
    HtmlCell(b,
             QStringLiteral("<a href=\"#VerknNeu(") + key + QStringLiteral(")\">Neu verkn. | </a><a href=\"#VerknLoe(") +
                 key + QStringLiteral(")\"> Löschen</a>"),
             QStringLiteral("left"), QString(), QStringLiteral("kleinnormal"), QStringLiteral("top"), 0, QString(), 0);
    b << QStringLiteral("</tr>");
    return b;
}

} // namespace

class TestReportViewer : public QObject
{
    Q_OBJECT

private slots:
    void readsThePage();
    void stylesFromTheSheet();
    void wrapsLongCells();
    void anchorClicks();
    void scrollAndSelection();
    void pagesForPrinting();
};

void TestReportViewer::readsThePage()
{
    const Document doc = ParseHtml(page(actionRow(QStringLiteral("A1/2"), QStringLiteral("a &amp; b &lt;c&gt; &quot;d&quot;"))));
    // Heading and paragraph; the frame table around the report table is not a table of its own.
    QCOMPARE(doc.blocks.size(), 3);
    QCOMPARE(doc.blocks[0].text, QStringLiteral("Titel"));
    QCOMPARE(doc.blocks[1].text, QStringLiteral("Stand: jetzt"));
    QCOMPARE(doc.blocks[2].kind, Block::Kind::Table);
    QCOMPARE(doc.tables.size(), 1);
    const Table& t = doc.tables[0];
    QCOMPARE(t.border, 1);
    QCOMPARE(t.borderDark, QColor(0x82, 0x82, 0x82));
    QCOMPARE(t.rows.size(), 1);
    const Row& row = t.rows[0];
    QCOMPARE(row.cells.size(), 3);
    // Entities decoded, the blank before </td> collapsed away, the non-breaking space kept.
    QCOMPARE(row.cells[0].text, QStringLiteral("A1/2") + QChar(0x00A0));
    QCOMPARE(row.cells[1].text, QStringLiteral("a & b <c> \"d\"") + QChar(0x00A0));
    QCOMPARE(row.cells[0].valign, VAlign::Top);
    // Two anchors; the blank inside the first and the one starting the second collapse into one.
    const Cell& action = row.cells[2];
    QCOMPARE(action.text, QStringLiteral("Neu verkn. | Löschen"));
    QCOMPARE(action.anchors.size(), 2);
    QCOMPARE(action.anchors[0].href, QStringLiteral("#VerknNeu(A1/2)"));
    QCOMPARE(action.text.mid(action.anchors[0].start, action.anchors[0].length), QStringLiteral("Neu verkn. | "));
    QCOMPARE(action.anchors[1].href, QStringLiteral("#VerknLoe(A1/2)"));
    QCOMPARE(action.text.mid(action.anchors[1].start, action.anchors[1].length), QStringLiteral("Löschen"));
    QCOMPARE(doc.plainText().section(u'\n', 2), QStringLiteral("A1/2 \ta & b <c> \"d\" \tNeu verkn. | Löschen"));
}

void TestReportViewer::stylesFromTheSheet()
{
    const Document doc = ParseHtml(page(actionRow(QStringLiteral("A1/2"))));
    const Style& body = doc.styles[doc.blocks[1].style];
    QCOMPARE(body.fontPx, 10.0);                // p: 100 % of the body's 10
    QCOMPARE(body.families.first(), QStringLiteral("Helvetica"));
    const Style& h3 = doc.styles[doc.blocks[0].style];
    QCOMPARE(h3.fontPx, 30.0);                  // 300 %
    QVERIFY(h3.italic);
    QVERIFY(h3.borderBottom);
    QVERIFY(h3.weight >= 700);
    const Cell& cell = doc.tables[0].rows[0].cells[0];
    QCOMPARE(doc.styles[cell.style].fontPx, 12.0); // td.cell
    const Cell& action = doc.tables[0].rows[0].cells[2];
    QCOMPARE(doc.styles[action.style].fontPx, 10.0); // td.kleinnormal
    const Style& link = doc.styles[action.anchors[0].style];
    QCOMPARE(link.color, QColor(Qt::black));    // a { color:black }
    QVERIFY(link.underline);
    QCOMPARE(doc.background, QColor(Qt::white));
    QCOMPARE(doc.marginLeft, 1.0);              // body { margin-left:1px }
}

void TestReportViewer::wrapsLongCells()
{
    PageBuffer b;
    b << QStringLiteral("<tr>");
    HtmlCell(b, QStringLiteral("kurz"), QStringLiteral("left"), QStringLiteral("50%"), QString(), QString(), 0, QString(), 0);
    HtmlCell(b, QStringLiteral("/ein/sehr/langer/ordner/mit/vielen/teilen/und/noch/mehr/teilen/datei.pdf"),
             QStringLiteral("left"), QStringLiteral("50%"), QString(), QString(), 0, QString(), 0);
    b << QStringLiteral("</tr>");
    const Document doc = ParseHtml(page(b));
    Layout wide(doc, 1.0);
    wide.layout(2000);
    Layout narrow(doc, 1.0);
    narrow.layout(300);
    const auto rowItem = [](const Layout& l) { return l.items().last(); };
    QCOMPARE(wide.items().size(), 3);
    // One line when wide; several when narrow, so the row grows.
    QVERIFY(rowItem(narrow).boxHeight > 2.5 * rowItem(wide).boxHeight);
    QVERIFY(narrow.height() > wide.height());
    // Twice the scale: twice the size.
    Layout big(doc, 2.0);
    big.layout(4000);
    QVERIFY(qAbs(big.height() - 2 * wide.height()) < 8);
}

void TestReportViewer::anchorClicks()
{
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.resize(900, 400);
    viewer.show();
    QStringList rows = actionRow(QStringLiteral("A1/2")) + actionRow(QStringLiteral("B7/3"));
    PageBuffer extra;
    extra << QStringLiteral("<tr>");
    HtmlCell(extra, QStringLiteral("<a href=\"https://example.org/x\">Web</a>"), QStringLiteral("left"), QString(),
             QString(), QString(), 0, QString(), 0);
    extra << QStringLiteral("</tr>");
    viewer.loadFromString(page(rows + extra));
    QSignalSpy spy(&viewer, &ReportViewer::hotSpotClick);

    const QRect del = viewer.anchorViewportRect(QStringLiteral("#VerknLoe(B7/3)"));
    QVERIFY(!del.isNull());
    QTest::mouseClick(viewer.viewport(), Qt::LeftButton, {}, del.center());
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("#VerknLoe(B7/3)"));
    // The other anchor of the same cell.
    const QRect change = viewer.anchorViewportRect(QStringLiteral("#VerknNeu(B7/3)"));
    QVERIFY(change.right() < del.left() + 1);
    QTest::mouseClick(viewer.viewport(), Qt::LeftButton, {}, change.center());
    QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("#VerknNeu(B7/3)"));
    // Beside the anchors: no click.
    QTest::mouseClick(viewer.viewport(), Qt::LeftButton, {}, QPoint(del.right() + 30, del.center().y()));
    QCOMPARE(spy.size(), 2);
    // A link nobody handles opens with the desktop's program.
    const QRect web = viewer.anchorViewportRect(QStringLiteral("https://example.org/x"));
    QTest::mouseClick(viewer.viewport(), Qt::LeftButton, {}, web.center());
    QCOMPARE(spy.size(), 3);
    QCOMPARE(messages.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/x"))});
}

void TestReportViewer::scrollAndSelection()
{
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.resize(800, 300);
    viewer.show();
    QStringList rows;
    for (int i = 0; i < 200; ++i)
        rows << actionRow(QStringLiteral("A%1/1").arg(i));
    viewer.loadFromString(page(rows));
    QCOMPARE(viewer.verticalScrollPosition(), 0);
    QVERIFY(viewer.documentHeight() > 200 * 15);
    QCOMPARE(viewer.verticalScrollBar()->maximum(), viewer.documentHeight() - viewer.viewport()->height());
    viewer.setVerticalScrollPosition(1234);
    QCOMPARE(viewer.verticalScrollPosition(), 1234);
    // Anchors far down are found where they are shown.
    const QRect r = viewer.anchorViewportRect(QStringLiteral("#VerknLoe(A199/1)"));
    QVERIFY(r.top() > viewer.viewport()->height());
    viewer.setVerticalScrollPosition(viewer.verticalScrollBar()->maximum());
    QVERIFY(viewer.viewport()->rect().contains(viewer.anchorViewportRect(QStringLiteral("#VerknLoe(A199/1)")).center()));
    // A new document shows its top.
    viewer.loadFromString(page(rows));
    QCOMPARE(viewer.verticalScrollPosition(), 0);

    // Select all and copy: the text of the page, cells separated by tabs.
    QVERIFY(!viewer.hasSelection());
    QTest::keyClick(viewer.viewport(), Qt::Key_A, Qt::ControlModifier);
    QVERIFY(viewer.hasSelection());
    QTest::keyClick(viewer.viewport(), Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    QVERIFY(copied.startsWith(QStringLiteral("Titel\nStand: jetzt\nA0/1\tx.pdf\tNeu verkn. | Löschen\n")));
    QCOMPARE(copied.count(u'\n'), 201);
    // Dragging over rows selects them.
    const QRect first = viewer.anchorViewportRect(QStringLiteral("#VerknNeu(A0/1)"));
    const QRect third = viewer.anchorViewportRect(QStringLiteral("#VerknNeu(A2/1)"));
    QTest::mousePress(viewer.viewport(), Qt::LeftButton, {}, QPoint(20, first.center().y()));
    QMouseEvent move(QEvent::MouseMove, QPointF(20, third.center().y()), viewer.viewport()->mapToGlobal(QPointF(20, third.center().y())),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewer.viewport(), &move);
    QTest::mouseRelease(viewer.viewport(), Qt::LeftButton, {}, QPoint(20, third.center().y()));
    QCOMPARE(viewer.selectedText(), QStringLiteral("A0/1\tx.pdf\tNeu verkn. | Löschen\nA1/1\tx.pdf\tNeu verkn. | Löschen\n"
                                                   "A2/1\tx.pdf\tNeu verkn. | Löschen"));
}

void TestReportViewer::pagesForPrinting()
{
    ReportViewer viewer;
    QStringList rows;
    for (int i = 0; i < 300; ++i)
        rows << actionRow(QStringLiteral("A%1/1").arg(i));
    viewer.loadFromString(page(rows));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    PageRecorder portrait;
    QList<int> reported;
    QVERIFY(viewer.layoutPages(printer, portrait, [&](int page, bool&) { reported << page; }));
    QVERIFY(portrait.pageCount() > 3);
    QCOMPARE(reported.size(), portrait.pageCount() + 1);
    QCOMPARE(reported.first(), 0);
    QCOMPARE(reported.last(), portrait.pageCount());
    // Wider margins leave less room: more pages. Landscape: fewer rows per page.
    viewer.setPrintMargins(PrintMargins{2, 1, 5, 5});
    PageRecorder narrow;
    viewer.layoutPages(printer, narrow, {});
    QVERIFY(narrow.pageCount() > portrait.pageCount());
    viewer.setPrintMargins(PrintMargins{});
    printer.setPageOrientation(QPageLayout::Landscape);
    PageRecorder landscape;
    viewer.layoutPages(printer, landscape, {});
    QVERIFY(landscape.pageCount() > portrait.pageCount());
    QVERIFY(landscape.paperSize.width() > landscape.paperSize.height());
    // Stopped at the third report: two pages recorded.
    PageRecorder stopped;
    QVERIFY(!viewer.layoutPages(printer, stopped, [](int page, bool& stop) { stop = page == 3; }));
    QCOMPARE(stopped.pageCount(), 2);
}

QTEST_MAIN(TestReportViewer)
#include "tst_reportviewer.moc"
