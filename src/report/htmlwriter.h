// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The report page is written line by line into a page buffer (a list of lines).
using PageBuffer = QStringList;

// Empties the buffer and writes the page head with the style sheet.
void HtmlBeginPage(PageBuffer& buffer);
// Appends one table cell line. Nothing is escaped: content is ready HTML.
void HtmlCell(PageBuffer& buffer, const QString& content, const QString& align, const QString& width,
              const QString& cssClass, const QString& valign, int rowspan, const QString& background,
              int colspan);
// Appends an empty line, "</body>" and "</html>".
void HtmlEndPage(PageBuffer& buffer);
