// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/htmldocument.h"

#include <QFont>
#include <QHash>
#include <algorithm>
#include <iterator>
#include <QFontMetricsF>
#include <QRectF>
#include <QVarLengthArray>
#include <QVector>

class QPainter;

namespace reportview {

// Lays a document out for one width, row by row, in device pixels (scale = device pixels per CSS
// pixel: 1 on the screen, the printer's resolution / 96 when printing). Only the rows that are
// painted are shaped; a cell whose text fits on one line is measured with one advance lookup.
class Layout
{
public:
    // One laid-out unit: a text block or one table row.
    struct Item
    {
        int block = 0;
        int row = -1;       // table row; -1 for a text block
        qreal y = 0;        // top of the unit (the table border and spacing above the row included)
        qreal height = 0;
        qreal boxTop = 0;   // offset of the row's cell boxes (or the text) from y
        qreal boxHeight = 0;
    };

    struct Page
    {
        int first = 0; // items first..last
        int last = -1;
        qreal top = 0; // document y at the top of the page
    };

    Layout(const Document& doc, qreal scale);

    const Document& document() const { return doc_; }
    qreal scale() const { return scale_; }

    // Lays the document out for the given width (device pixels, the page margins included).
    void layout(qreal width);
    qreal width() const { return width_; }
    qreal height() const { return height_; }
    const QVector<Item>& items() const { return items_; }

    // The item at a document y (-1 when none).
    int itemAt(qreal y) const;
    // First item whose bottom lies below y.
    int firstItemBelow(qreal y) const;

    // Paints one item, translated by (dx, dy). segmentStart/End draw the table's outer border
    // above/below the row (table start and end, page breaks).
    void paintItem(QPainter& painter, int item, qreal dx, qreal dy, bool segmentStart, bool segmentEnd) const;
    // Paints the items of a page with the page top at y = 0.
    void paintPage(QPainter& painter, const Page& page) const;

    // Splits the items into pages of the given height.
    QVector<Page> paginate(qreal pageHeight) const;

    // The anchor target under a point (document coordinates), empty when none.
    QString anchorAt(const QPointF& pos) const;
    // The rectangle of the first anchor with this target (document coordinates); null when none.
    QRectF anchorRect(const QString& href) const;

    // Plain text of the items first..last (cells separated by tabs).
    QString itemsText(int first, int last) const;

private:
    struct TableGeometry
    {
        qreal x = 0, width = 0;
        qreal border = 0, cellBorder = 0, spacing = 0, padding = 0;
        QVector<qreal> colX, colW;
        // Column widths as the document asks for them.
        QVector<qint16> specPercent, specPixels;
        // Natural (one-line) width of each cell; first cell of row r at cellOffset[r].
        QVector<float> natural;
        QVector<int> cellOffset;
        bool measured = false;
    };

    const QFont& font(int style) const;
    const QFontMetricsF& metrics(int style) const;
    qreal textAdvance(int style, const QString& text, int from, int to) const;
    bool sameMetrics(int a, int b) const;
    qreal tableBorderOf(const Item& item) const;
    void prepareTable(int tableIndex);
    void layoutColumns(TableGeometry& g, const Table& t, qreal x, qreal avail) const;
    // One laid-out line of a text: characters [start, end), its advance.
    struct TextLine
    {
        int start = 0;
        int end = 0;
        qreal width = 0;
    };
    using TextLines = QVarLengthArray<TextLine, 4>;

    qreal textHeight(const QString& text, const QVector<Anchor>& anchors, int style, float natural,
                     qreal width) const;
    // Advance of text[from, to) in the runs' styles.
    qreal advance(const QString& text, int from, int to, const QVector<Anchor>& anchors, int style) const;
    // Calls f(from, to, style) for the runs of text[from, to): plain text and anchors.
    template<typename F>
    void forEachRun(const QString& text, int from, int to, const QVector<Anchor>& anchors, int style, F&& f) const;
    // Breaks a text into lines of at most width: at blanks, "/", "\\" and "-", at forced breaks, and
    // inside a word that is wider than a line.
    void wrap(const QString& text, const QVector<Anchor>& anchors, int style, qreal width, TextLines& lines) const;
    void drawLines(QPainter& p, const QString& text, const QVector<Anchor>& anchors, int style, HAlign align,
                   const TextLines& lines, const QPointF& origin, qreal width, int& current) const;
    QString anchorInLines(const QString& text, const QVector<Anchor>& anchors, int style, HAlign align,
                          const TextLines& lines, const QPointF& origin, qreal width, const QPointF& pos) const;
    // The lines of a cell and the top of its text (vertical alignment applied).
    qreal cellLines(const Item& item, int ci, const QRectF& content, TextLines& lines) const;
    // Calls f(cellIndex, box, content) for the cells of a row item.
    template<typename F>
    void forEachCell(const Item& item, F&& f) const;

    const Document& doc_;
    qreal scale_ = 1;
    qreal width_ = 0;
    qreal height_ = 0;
    QVector<Item> items_;
    QVector<TableGeometry> tables_;
    mutable QVector<QFont> fonts_;
    mutable QVector<QFontMetricsF> metrics_;
    struct CharAdvances
    {
        CharAdvances() { std::fill(std::begin(latin), std::end(latin), qreal(-1)); }
        qreal latin[256];
        QHash<char16_t, qreal> other;
    };
    mutable QVector<CharAdvances> advances_;
};

} // namespace reportview
