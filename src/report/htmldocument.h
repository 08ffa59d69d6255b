// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The document model of the report viewer: the HTML that the report writes (a style sheet,
// headings, paragraphs and tables of text cells with anchors), parsed into blocks and rows that the
// viewer lays out row by row. Unknown elements are skipped and their text kept; a table inside a
// table cell is shown as a table of its own.
namespace reportview {

enum class HAlign : quint8 { Left, Center, Right };
enum class VAlign : quint8 { Top, Middle, Bottom };

// Computed style of an element; sizes in CSS pixels.
struct Style
{
    QStringList families;
    qreal fontPx = 14.67;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    QColor color = Qt::black;
    QColor background; // invalid: none
    bool borderBottom = false;

    QString key() const;
};

// A stretch of a text that is an anchor.
struct Anchor
{
    int start = 0;
    int length = 0;
    QString href;
    int style = 0;
};

struct Cell
{
    QString text; // white space collapsed, non-breaking spaces kept, U+2028 for <br>
    QVector<Anchor> anchors;
    int style = 0;
    HAlign align = HAlign::Left;
    VAlign valign = VAlign::Middle;
    qint16 widthPercent = -1;
    qint16 widthPixels = -1;
    quint16 colspan = 1;
    QColor background; // from a style attribute; the style's background otherwise
};

struct Row
{
    QVector<Cell> cells;
};

struct Table
{
    QVector<Row> rows;
    int border = 0;
    int cellSpacing = 2;
    int cellPadding = 1;
    int widthPercent = -1;
    int widthPixels = -1;
    QColor borderLight = QColor(0xe1, 0xe1, 0xe1);
    QColor borderDark = QColor(0x82, 0x82, 0x82);
    int columnCount() const;
};

struct Block
{
    enum class Kind : quint8 { Text, Table };
    Kind kind = Kind::Text;
    int style = 0;
    QString text;
    QVector<Anchor> anchors;
    HAlign align = HAlign::Left;
    qreal marginTop = 0; // CSS px
    qreal marginBottom = 0;
    int table = -1;
};

struct Document
{
    QVector<Style> styles;
    QVector<Block> blocks;
    QVector<Table> tables;
    QColor background; // invalid: the viewer's own
    qreal marginLeft = 8, marginTop = 8, marginRight = 8, marginBottom = 8;

    bool isEmpty() const { return blocks.isEmpty(); }
    // The text of the whole document: blocks as lines, table cells separated by tabs.
    QString plainText() const;
    // Number of table rows in all tables.
    int rowCount() const;
};

// Parses an HTML page. defaultFontPx is the size of text that no style sets (the viewer's
// default font).
Document ParseHtml(const QString& html, qreal defaultFontPx = 14.67,
                   const QStringList& defaultFamilies = {QStringLiteral("Arial")});

// Decodes the character references of an attribute value or text ("&amp;", "&#228;", ...).
QString DecodeEntities(const QString& text);

} // namespace reportview
