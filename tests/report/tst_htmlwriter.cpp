// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/htmlwriter.h"

#include <QtTest>

class TestHtmlWriter : public QObject
{
    Q_OBJECT
private slots:
    void head()
    {
        PageBuffer b{"Memo für die HTML-Erzeugung", "old page"};
        HtmlBeginPage(b);
        QCOMPARE(b.size(), 52);
        QCOMPARE(b[0], QString("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"));
        QVERIFY(b[1].startsWith("<!--") && b[1].endsWith("-->"));
        QCOMPARE(b[2], QString("<html>"));
        QCOMPARE(b[3], QString("<head>"));
        QCOMPARE(b[4], QString(" <style type=\"text/css\">"));
        QCOMPARE(b[5], QString("  body     { font-family: Helvetica,Arial,sans-serif;font-size:10  ;font-weight:normal;"
                               "background-color:white;margin-left:1px; }"));
        QCOMPARE(b[12], QString("  td.cell       { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; "
                                "font-style:normal}"));
        QCOMPARE(b[41], QString("  td.achtung2   { font-family: Helvetica,Arial,sans-serif;font-size:14; color: white; "
                                "background-color:tomato; font-style:normal;font-weight:bolder; font-color:white }"));
        QCOMPARE(b[44], QString("  td.kleinnormal { font-family: Helvetica,Arial,sans-serif;font-size:10;"
                                "font-style:normal; color: black }"));
        QCOMPARE(b[47], QString("  td.Summe      { font-family: Helvetica,Arial,sans-serif;font-size:14; color: black; "
                                "background-color:#F0F8FF; font-style:normal;font-weight:bolder }"));
        for (int i = 5; i < 48; ++i)
            QVERIFY2(b[i].startsWith("  ") && b[i].endsWith("}"), qPrintable(b[i]));
        QCOMPARE(b[48], QString(" </style>"));
        QCOMPARE(b[49], QString("</head>"));
        QCOMPARE(b[50], QString("<!--------------------------------------------->"));
        QCOMPARE(b[50].count('-'), 45);
        QCOMPARE(b[51], QString("<body>"));
        // A second page on the same buffer leaves only the new head.
        HtmlCell(b, "x", "", "", "", "", 0, "", 0);
        HtmlBeginPage(b);
        QCOMPARE(b.size(), 52);
    }

    void cells_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("align");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("cssClass");
        QTest::addColumn<QString>("valign");
        QTest::addColumn<int>("rowspan");
        QTest::addColumn<QString>("background");
        QTest::addColumn<int>("colspan");
        QTest::addColumn<QString>("line");
        QTest::newRow("header") << "ArtNr." << "left" << "10%" << "cell" << "center" << 0 << "" << 0
                                << "   <td  class=\"cell\"  width=\"10%\" ALIGN=left VALIGN=center>ArtNr. </td>";
        QTest::newRow("data") << "A-100&nbsp;" << "left" << "" << "" << "top" << 0 << "" << 0
                              << "   <td  class=\"cell\"  ALIGN=left VALIGN=top>A-100&nbsp; </td>";
        QTest::newRow("spans") << "X" << "" << "" << "" << "" << 2 << "" << 3
                               << "   <td  class=\"cell\"  rowspan=\"2\"  colspan=\"3\" >X </td>";
        QTest::newRow("span one, negative") << "X" << "" << "" << "" << "" << 1 << "" << -1
                                            << "   <td  class=\"cell\"  rowspan=\"1\" >X </td>";
        QTest::newRow("class and background") << "" << "" << "" << "kleinnormal" << "" << 0 << "gold" << 0
                                              << "   <td  class=\"kleinnormal\"  style=\"background-color:gold\"> </td>";
        QTest::newRow("unescaped") << "<b>&\"" << "" << "" << "nosuch" << "" << 0 << "" << 0
                                   << "   <td  class=\"nosuch\" ><b>&\" </td>";
    }
    void cells()
    {
        QFETCH(QString, content);
        QFETCH(QString, align);
        QFETCH(QString, width);
        QFETCH(QString, cssClass);
        QFETCH(QString, valign);
        QFETCH(int, rowspan);
        QFETCH(QString, background);
        QFETCH(int, colspan);
        QFETCH(QString, line);
        PageBuffer b;
        HtmlCell(b, content, align, width, cssClass, valign, rowspan, background, colspan);
        QCOMPARE(b, QStringList{line});
    }

    void end()
    {
        PageBuffer b;
        HtmlEndPage(b);
        QCOMPARE(b, (QStringList{"", "</body>", "</html>"}));
    }
};

QTEST_GUILESS_MAIN(TestHtmlWriter)
#include "tst_htmlwriter.moc"
