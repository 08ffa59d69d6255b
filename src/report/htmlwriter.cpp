// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/htmlwriter.h"

namespace {
const char16_t* const kStyleRules[] = {
    u"  body     { font-family: Helvetica,Arial,sans-serif;font-size:10  ;font-weight:normal;background-color:white;margin-left:1px; }",
    u"  h1       { font-family: Helvetica,Arial,sans-serif;font-size:150%;font-weight:bold;color:black;font-style:normal }",
    u"  h2       { font-family: Helvetica,Arial,sans-serif;font-size:200%;font-weight:bold;color:black;font-style:normal }",
    u"  h3       { font-family: Helvetica,Arial,sans-serif;font-size:300%;font-weight:bolder;color:black;font-style:italic;border-bottom:solid thin black }",
    u"  p,li     { font-family: Helvetica,Arial,sans-serif;font-size:100%;font-weight:normal;line-height:100%;color:black;}",
    u"  a        { font-family: Helvetica,Arial,sans-serif;font-size:100%;font-weight:normal;line-height:100%;color:black;}",
    u"  th       { font-family: Helvetica,Arial,sans-serif;font-size:10; color: black; font-style:normal}",
    u"  td.cell       { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; font-style:normal}",
    u"  td.cellcolor  { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; background-color:gold; font-style:normal}",
    u"  td.cellgold10 { font-family: Helvetica,Arial,sans-serif;font-size:10; color: black; background-color:gold; font-style:normal}",
    u"  td.cellgold12 { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; background-color:gold; font-style:normal}",
    u"  td.cellgreen10 { font-family: Helvetica,Arial,sans-serif;font-size:10; color: black; background-color:lawngreen; font-style:normal}",
    u"  td.cellgreen12 { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; background-color:lawngreen; font-style:normal}",
    u"  td.cellblue10 { font-family: Helvetica,Arial,sans-serif;font-size:10; color: black; background-color:powderblue; font-style:normal}",
    u"  td.cellblue12 { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; background-color:powderblue; font-style:normal}",
    u"  td.fett       { font-family: Helvetica,Arial,sans-serif;font-size:14; color: black; font-style:normal;font-weight:bolder }",
    u"  td.fettnormal { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; font-style:normal;font-weight:bolder }",
    u"  td.grau       { font-family: Helvetica,Arial,sans-serif;font-size:12; color: gray; font-style:normal}",
    u"  td.blau       { font-family: Helvetica,Arial,sans-serif;font-size:12; color: blue; font-style:normal}",
    u"  td.blaufett   { font-family: Helvetica,Arial,sans-serif;font-size:12; color: blue; font-style:normal;font-weight:bolder}",
    u"  td.blaufett14 { font-family: Helvetica,Arial,sans-serif;font-size:14; color: blue; font-style:normal;font-weight:bolder}",
    u"  td.rot        { font-family: Helvetica,Arial,sans-serif;font-size:12; color: red; font-style:normal}",
    u"  td.rotfett    { font-family: Helvetica,Arial,sans-serif;font-size:12; color: red; font-style:normal;font-weight:bolder}",
    u"  td.gruen      { font-family: Helvetica,Arial,sans-serif;font-size:12; color: green; font-style:normal}",
    u"  td.gruenfett  { font-family: Helvetica,Arial,sans-serif;font-size:12; color: green; font-style:normal;font-weight:bolder}",
    u"  td.gruenfett14 { font-family: Helvetica,Arial,sans-serif;font-size:14; color: green; font-style:normal;font-weight:bolder}",
    u"  td.minus      { font-family: Helvetica,Arial,sans-serif;font-size:12; color: white; background-color:crimson; font-style:normal;font-weight:bolder }",
    u"  td.plus       { font-family: Helvetica,Arial,sans-serif;font-size:12; color: white; background-color:forestgreen; font-style:normal;font-weight:bolder }",
    u"  td.ang        { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; background-color:lawngreen; font-style:normal;font-weight:bolder }",
    u"  td.int        { font-family: Helvetica,Arial,sans-serif;font-size:12; color: white; background-color:deepskyblue; font-style:normal;font-weight:bolder }",
    u"  td.auf        { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; background-color:chartreuse; font-style:normal;font-weight:bolder }",
    u"  td.rep        { font-family: Helvetica,Arial,sans-serif;font-size:12; color: white; background-color:darkblue; font-style:normal;font-weight:bolder }",
    u"  td.aus        { font-family: Helvetica,Arial,sans-serif;font-size:12; color: white; background-color:firebrick; font-style:normal;font-weight:bolder }",
    u"  td.tra        { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; background-color:goldenrod; font-style:normal;font-weight:bolder }",
    u"  td.ok         { font-family: Helvetica,Arial,sans-serif;font-size:14; color: black; background-color:#00FF00; font-style:normal;font-weight:bolder }",
    u"  td.achtung    { font-family: Helvetica,Arial,sans-serif;font-size:14; color: black; background-color:yellow; font-style:normal;font-weight:bolder }",
    u"  td.achtung2   { font-family: Helvetica,Arial,sans-serif;font-size:14; color: white; background-color:tomato; font-style:normal;font-weight:bolder; font-color:white }",
    u"  td.klein      { font-family: Helvetica,Arial,sans-serif;font-size:10;font-style:italic; color: black }",
    u"  td.kleinfett  { font-family: Helvetica,Arial,sans-serif;font-size:10;font-weight:bold; color: black }",
    u"  td.kleinnormal { font-family: Helvetica,Arial,sans-serif;font-size:10;font-style:normal; color: black }",
    u"  td.kleinhigr  { font-family: Helvetica,Arial,sans-serif;font-size:10; color: black; background-color:#F0F8FF; font-style:italic; }",
    u"  td.ZwiSumme   { font-family: Helvetica,Arial,sans-serif;font-size:12; color: black; background-color:lightgrey; font-style:normal;font-weight:bolder }",
    u"  td.Summe      { font-family: Helvetica,Arial,sans-serif;font-size:14; color: black; background-color:#F0F8FF; font-style:normal;font-weight:bolder }",
};
} // namespace

void HtmlBeginPage(PageBuffer& buffer)
{
    buffer.clear();
    buffer << QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">")
           << QStringLiteral("<!-- KORVAN-DokumentenManager: Bericht -->") << QStringLiteral("<html>")
           << QStringLiteral("<head>") << QStringLiteral(" <style type=\"text/css\">");
    for (const char16_t* rule : kStyleRules)
        buffer << QString::fromUtf16(rule);
    buffer << QStringLiteral(" </style>") << QStringLiteral("</head>")
           << QStringLiteral("<!--------------------------------------------->") << QStringLiteral("<body>");
}

void HtmlCell(PageBuffer& buffer, const QString& content, const QString& align, const QString& width,
              const QString& cssClass, const QString& valign, int rowspan, const QString& background,
              int colspan)
{
    QString line = QStringLiteral("   <td  class=\"") + (cssClass.isEmpty() ? QStringLiteral("cell") : cssClass) +
                   QStringLiteral("\" ");
    if (rowspan > 0)
        line += QStringLiteral(" rowspan=\"") + QString::number(rowspan) + QStringLiteral("\" ");
    if (colspan > 0)
        line += QStringLiteral(" colspan=\"") + QString::number(colspan) + QStringLiteral("\" ");
    if (!width.isEmpty())
        line += QStringLiteral(" width=\"") + width + u'"';
    if (!align.isEmpty())
        line += QStringLiteral(" ALIGN=") + align;
    if (!valign.isEmpty())
        line += QStringLiteral(" VALIGN=") + valign;
    if (!background.isEmpty())
        line += QStringLiteral(" style=\"background-color:") + background + u'"';
    line += u'>' + content + QStringLiteral(" </td>");
    buffer << line;
}

void HtmlEndPage(PageBuffer& buffer)
{
    buffer << QString() << QStringLiteral("</body>") << QStringLiteral("</html>");
}
