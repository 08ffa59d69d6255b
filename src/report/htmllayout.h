// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/htmldocument.h"

#include <QFont>
#include <QFontMetricsF>
#include <QRectF>
#include <QVector>

class QPainter;
class QTextLayout;

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
    bool sameMetrics(int a, int b) const;
    qreal tableBorderOf(const Item& item) const;
    void prepareTable(int tableIndex);
    void layoutColumns(TableGeometry& g, const Table& t, qreal x, qreal avail) const;
    qreal textHeight(const QString& text, const QVector<Anchor>& anchors, int style, float natural,
                     qreal width) const;
    void setupTextLayout(QTextLayout& tl, const QString& text, const QVector<Anchor>& anchors, int style,
                         HAlign align, qreal width) const;
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
};

} // namespace reportview
