// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/htmllayout.h"

#include <QFontInfo>
#include <QPainter>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>

namespace reportview {

namespace {
const QChar kLineSeparator(0x2028);
}

Layout::Layout(const Document& doc, qreal scale) : doc_(doc), scale_(scale > 0 ? scale : 1)
{
    fonts_.resize(doc_.styles.size());
    metrics_.reserve(doc_.styles.size());
    for (int i = 0; i < doc_.styles.size(); ++i) {
        const Style& st = doc_.styles[i];
        QFont f;
        f.setFamilies(st.families);
        f.setPixelSize(qMax(1, qRound(st.fontPx * scale_)));
        f.setWeight(QFont::Weight(st.weight));
        f.setItalic(st.italic);
        f.setUnderline(st.underline);
        // One resolved family: a recorded page stores the font with every text item.
        const QString family = QFontInfo(f).family();
        if (!family.isEmpty())
            f.setFamilies({family});
        fonts_[i] = f;
        metrics_.append(QFontMetricsF(f));
    }
    advances_.resize(doc_.styles.size());
    tables_.resize(doc_.tables.size());
}

const QFont& Layout::font(int style) const
{
    return fonts_[style];
}

const QFontMetricsF& Layout::metrics(int style) const
{
    return metrics_[style];
}

qreal Layout::textAdvance(int style, const QString& text, int from, int to) const
{
    // Sum of the characters' advances, from a table per style (kerning is left out: the page is
    // measured once for tens of thousands of cells, and shaping each of them costs too much).
    CharAdvances& t = advances_[style];
    const QFontMetricsF& fm = metrics_[style];
    qreal w = 0;
    for (int i = from; i < to; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 256) {
            qreal& a = t.latin[c];
            if (a < 0)
                a = fm.horizontalAdvance(QChar(c));
            w += a;
        } else if (QChar::isHighSurrogate(c) && i + 1 < to) {
            w += fm.horizontalAdvance(text.mid(i, 2));
            ++i;
        } else {
            auto it = t.other.constFind(c);
            if (it == t.other.cend())
                it = t.other.insert(c, fm.horizontalAdvance(QChar(c)));
            w += it.value();
        }
    }
    return w;
}

bool Layout::sameMetrics(int a, int b) const
{
    const Style& x = doc_.styles[a];
    const Style& y = doc_.styles[b];
    return x.fontPx == y.fontPx && x.weight == y.weight && x.italic == y.italic && x.families == y.families;
}

void Layout::prepareTable(int tableIndex)
{
    TableGeometry& g = tables_[tableIndex];
    if (g.measured)
        return;
    const Table& t = doc_.tables[tableIndex];
    const int cols = t.columnCount();
    g.specPercent.fill(-1, cols);
    g.specPixels.fill(-1, cols);
    int cells = 0;
    for (const Row& row : t.rows)
        cells += int(row.cells.size());
    g.natural.resize(cells);
    g.cellOffset.resize(t.rows.size());
    int k = 0;
    for (int r = 0; r < t.rows.size(); ++r) {
        g.cellOffset[r] = k;
        int col = 0;
        for (const Cell& c : t.rows[r].cells) {
            if (c.colspan <= 1 && col < cols) {
                if (c.widthPercent >= 0 && g.specPercent[col] < c.widthPercent)
                    g.specPercent[col] = c.widthPercent;
                if (c.widthPixels >= 0 && g.specPixels[col] < c.widthPixels)
                    g.specPixels[col] = c.widthPixels;
            }
            col += qMax<int>(1, c.colspan);
            // Cells with a line break or anchors in another font are measured when laid out.
            bool simple = !c.text.contains(kLineSeparator);
            for (const Anchor& a : c.anchors)
                simple = simple && sameMetrics(a.style, c.style);
            g.natural[k++] = simple ? float(textAdvance(c.style, c.text, 0, int(c.text.size()))) : -1.0f;
        }
    }
    g.measured = true;
}

void Layout::layoutColumns(TableGeometry& g, const Table& t, qreal x, qreal avail) const
{
    const qreal s = scale_;
    g.border = t.border > 0 ? t.border * s : 0;
    g.cellBorder = t.border > 0 ? 1 * s : 0;
    g.spacing = t.cellSpacing * s;
    g.padding = t.cellPadding * s;
    g.x = x;
    if (t.widthPercent >= 0)
        g.width = avail * t.widthPercent / 100.0;
    else if (t.widthPixels >= 0)
        g.width = qMin(avail, t.widthPixels * s);
    else
        g.width = avail;
    const int cols = int(g.specPercent.size());
    g.colW.fill(0, cols);
    g.colX.fill(0, cols);
    if (cols == 0)
        return;
    const qreal colsAvail = qMax<qreal>(0, g.width - 2 * g.border - (cols + 1) * g.spacing);
    qreal fixed = 0;
    int open = 0;
    for (int i = 0; i < cols; ++i) {
        if (g.specPercent[i] >= 0)
            g.colW[i] = colsAvail * g.specPercent[i] / 100.0;
        else if (g.specPixels[i] >= 0)
            g.colW[i] = g.specPixels[i] * s;
        else {
            ++open;
            continue;
        }
        fixed += g.colW[i];
    }
    if (fixed > colsAvail || (open == 0 && fixed > 0)) {
        // Too wide, or all columns fixed: scale the fixed columns to the table's width.
        const qreal f = fixed > 0 ? colsAvail / fixed : 0;
        for (int i = 0; i < cols; ++i)
            g.colW[i] *= f;
        fixed = colsAvail;
    }
    if (open > 0) {
        const qreal share = qMax<qreal>(0, colsAvail - fixed) / open;
        for (int i = 0; i < cols; ++i)
            if (g.specPercent[i] < 0 && g.specPixels[i] < 0)
                g.colW[i] = share;
    }
    qreal cx = x + g.border + g.spacing;
    for (int i = 0; i < cols; ++i) {
        g.colX[i] = cx;
        cx += g.colW[i] + g.spacing;
    }
}

namespace {
// Break opportunities: after a blank, a folder separator or a hyphen (never at a non-breaking space).
bool breaksAfter(QChar c)
{
    return c == u' ' || c == u'/' || c == u'\\' || c == u'-';
}
} // namespace

qreal Layout::advance(const QString& text, int from, int to, const QVector<Anchor>& anchors, int style) const
{
    if (to <= from)
        return 0;
    bool uniform = true;
    for (const Anchor& a : anchors)
        uniform = uniform && (a.start + a.length <= from || a.start >= to || sameMetrics(a.style, style));
    if (uniform)
        return textAdvance(style, text, from, to);
    qreal w = 0;
    forEachRun(text, from, to, anchors, style, [&](int a, int b, int st) { w += textAdvance(st, text, a, b); });
    return w;
}

template<typename F>
void Layout::forEachRun(const QString&, int from, int to, const QVector<Anchor>& anchors, int style, F&& f) const
{
    int pos = from;
    for (const Anchor& a : anchors) {
        const int as = qMax(a.start, pos);
        const int ae = qMin(a.start + a.length, to);
        if (ae <= as)
            continue;
        if (as > pos)
            f(pos, as, style);
        f(as, ae, a.style);
        pos = ae;
    }
    if (pos < to)
        f(pos, to, style);
}

void Layout::wrap(const QString& text, const QVector<Anchor>& anchors, int style, qreal width, TextLines& lines) const
{
    lines.clear();
    const int n = int(text.size());
    auto visibleEnd = [&](int start, int end) {
        while (end > start && text.at(end - 1) == u' ')
            --end;
        return end;
    };
    // Paragraphs end at forced line breaks; each is filled greedily, word by word.
    int paraStart = 0;
    for (;;) {
        int paraEnd = int(text.indexOf(kLineSeparator, paraStart));
        if (paraEnd < 0)
            paraEnd = n;
        if (paraStart == paraEnd)
            lines.append(TextLine{paraStart, paraStart, 0});
        int pos = paraStart;
        bool first = true;
        while (pos < paraEnd) {
            if (!first) {
                // Blanks at a soft line break vanish.
                while (pos < paraEnd && text.at(pos) == u' ')
                    ++pos;
                if (pos >= paraEnd)
                    break;
            }
            first = false;
            const int lineStart = pos;
            int end = pos;
            while (end < paraEnd) {
                int j = end;
                while (j < paraEnd && !breaksAfter(text.at(j)))
                    ++j;
                if (j < paraEnd)
                    ++j; // the break character stays on this line
                if (advance(text, lineStart, visibleEnd(lineStart, j), anchors, style) <= width) {
                    end = j;
                    continue;
                }
                if (end == lineStart) {
                    // A word wider than the line is cut where it fits (one character at least).
                    const int stop = visibleEnd(lineStart, j);
                    int lo = lineStart + 1, hi = stop;
                    while (lo < hi) {
                        const int mid = (lo + hi + 1) / 2;
                        if (advance(text, lineStart, mid, anchors, style) <= width)
                            lo = mid;
                        else
                            hi = mid - 1;
                    }
                    if (lo > lineStart + 1 && lo < stop && text.at(lo).isLowSurrogate())
                        --lo; // never between the halves of a character
                    end = lo;
                }
                break;
            }
            const int vis = visibleEnd(lineStart, end);
            lines.append(TextLine{lineStart, vis, advance(text, lineStart, vis, anchors, style)});
            pos = end;
        }
        if (paraEnd >= n)
            break;
        paraStart = paraEnd + 1;
    }
}

qreal Layout::textHeight(const QString& text, const QVector<Anchor>& anchors, int style, float natural,
                         qreal width) const
{
    if (text.isEmpty())
        return 0;
    const qreal lineSpacing = metrics(style).lineSpacing();
    if (natural >= 0 && natural <= width)
        return lineSpacing;
    TextLines lines;
    wrap(text, anchors, style, width, lines);
    return qMax<qsizetype>(1, lines.size()) * lineSpacing;
}

void Layout::drawLines(QPainter& p, const QString& text, const QVector<Anchor>& anchors, int style, HAlign align,
                       const TextLines& lines, const QPointF& origin, qreal width, int& current) const
{
    const qreal lineSpacing = metrics(style).lineSpacing();
    const qreal ascent = metrics(style).ascent();
    for (int l = 0; l < lines.size(); ++l) {
        const TextLine& line = lines[l];
        qreal x = origin.x();
        if (align == HAlign::Center)
            x += (width - line.width) / 2;
        else if (align == HAlign::Right)
            x += width - line.width;
        const qreal baseline = origin.y() + l * lineSpacing + ascent;
        forEachRun(text, line.start, line.end, anchors, style, [&](int a, int b, int st) {
            // Font and pen only when they change: a recorded page stores every change.
            if (current != st) {
                p.setFont(font(st));
                p.setPen(doc_.styles[st].color);
                current = st;
            }
            p.drawText(QPointF(x, baseline), text.mid(a, b - a));
            x += textAdvance(st, text, a, b);
        });
    }
}

QString Layout::anchorInLines(const QString& text, const QVector<Anchor>& anchors, int style, HAlign align,
                              const TextLines& lines, const QPointF& origin, qreal width, const QPointF& pos) const
{
    const qreal lineSpacing = metrics(style).lineSpacing();
    const int l = int(std::floor((pos.y() - origin.y()) / lineSpacing));
    if (l < 0 || l >= lines.size())
        return {};
    const TextLine& line = lines[l];
    qreal x = origin.x();
    if (align == HAlign::Center)
        x += (width - line.width) / 2;
    else if (align == HAlign::Right)
        x += width - line.width;
    for (const Anchor& a : anchors) {
        const int as = qMax(a.start, line.start);
        const int ae = qMin(a.start + a.length, line.end);
        if (ae <= as)
            continue;
        const qreal x1 = x + advance(text, line.start, as, anchors, style);
        const qreal x2 = x + advance(text, line.start, ae, anchors, style);
        if (pos.x() >= x1 && pos.x() < x2)
            return a.href;
    }
    return {};
}

void Layout::layout(qreal width)
{
    width_ = width;
    items_.clear();
    const qreal s = scale_;
    const qreal x0 = doc_.marginLeft * s;
    const qreal avail = qMax<qreal>(10 * s, width - (doc_.marginLeft + doc_.marginRight) * s);
    qreal bottom = doc_.marginTop * s; // bottom of the last item
    qreal pendingMargin = 0;
    for (int b = 0; b < doc_.blocks.size(); ++b) {
        const Block& block = doc_.blocks[b];
        if (block.kind == Block::Kind::Text) {
            const qreal y = bottom + qMax(pendingMargin, block.marginTop * s);
            const bool simple = !block.text.contains(kLineSeparator) && block.anchors.isEmpty();
            const float natural = simple ? float(textAdvance(block.style, block.text, 0, int(block.text.size()))) : -1.0f;
            qreal h = textHeight(block.text, block.anchors, block.style, natural, avail);
            if (doc_.styles[block.style].borderBottom)
                h += 2 * s;
            Item it;
            it.block = b;
            it.y = y;
            it.height = h;
            it.boxHeight = h;
            items_.append(it);
            bottom = y + h;
            pendingMargin = block.marginBottom * s;
            continue;
        }
        // A table.
        prepareTable(block.table);
        TableGeometry& g = tables_[block.table];
        const Table& t = doc_.tables[block.table];
        layoutColumns(g, t, x0, avail);
        qreal y = bottom + pendingMargin;
        pendingMargin = 0;
        const int cols = int(g.colW.size());
        const int rows = int(t.rows.size());
        items_.reserve(items_.size() + rows);
        for (int r = 0; r < rows; ++r) {
            const Row& row = t.rows[r];
            qreal content = 0;
            int col = 0;
            int k = g.cellOffset[r];
            for (const Cell& c : row.cells) {
                const int span = qMax<int>(1, c.colspan);
                qreal w = 0;
                for (int i = col; i < col + span && i < cols; ++i)
                    w += g.colW[i] + (i > col ? g.spacing : 0);
                const qreal cw = w - 2 * g.cellBorder - 2 * g.padding;
                content = qMax(content, textHeight(c.text, c.anchors, c.style, g.natural[k], cw));
                col += span;
                ++k;
            }
            Item it;
            it.block = b;
            it.row = r;
            it.y = y;
            it.boxTop = (r == 0 ? g.border : 0) + g.spacing;
            it.boxHeight = content + 2 * g.cellBorder + 2 * g.padding;
            it.height = it.boxTop + it.boxHeight + (r == rows - 1 ? g.spacing + g.border : 0);
            items_.append(it);
            y += it.height;
        }
        bottom = y;
    }
    height_ = bottom + pendingMargin + doc_.marginBottom * s;
}

int Layout::firstItemBelow(qreal y) const
{
    const auto it = std::upper_bound(items_.cbegin(), items_.cend(), y,
                                     [](qreal v, const Item& item) { return v < item.y + item.height; });
    return int(it - items_.cbegin());
}

int Layout::itemAt(qreal y) const
{
    const int i = firstItemBelow(y);
    if (i >= items_.size() || items_[i].y > y)
        return -1;
    return i;
}

template<typename F>
void Layout::forEachCell(const Item& item, F&& f) const
{
    const Block& block = doc_.blocks[item.block];
    const Table& t = doc_.tables[block.table];
    const TableGeometry& g = tables_[block.table];
    const Row& row = t.rows[item.row];
    const int cols = int(g.colW.size());
    int col = 0;
    const qreal top = item.y + item.boxTop;
    for (int ci = 0; ci < row.cells.size(); ++ci) {
        const Cell& c = row.cells[ci];
        const int span = qMax<int>(1, c.colspan);
        if (col >= cols)
            break;
        qreal w = 0;
        for (int i = col; i < col + span && i < cols; ++i)
            w += g.colW[i] + (i > col ? g.spacing : 0);
        const QRectF box(g.colX[col], top, w, item.boxHeight);
        const qreal inset = g.cellBorder + g.padding;
        const QRectF content = box.adjusted(inset, inset, -inset, -inset);
        f(ci, box, content);
        col += span;
    }
}

void Layout::paintItem(QPainter& p, int index, qreal dx, qreal dy, bool segmentStart, bool segmentEnd) const
{
    const Item& item = items_[index];
    const Block& block = doc_.blocks[item.block];
    const qreal s = scale_;
    if (block.kind == Block::Kind::Text) {
        const qreal x = doc_.marginLeft * s + dx;
        const qreal w = width_ - (doc_.marginLeft + doc_.marginRight) * s;
        const Style& st = doc_.styles[block.style];
        if (st.background.isValid())
            p.fillRect(QRectF(x, item.y + dy, w, item.height), st.background);
        TextLines lines;
        wrap(block.text, block.anchors, block.style, w, lines);
        int current = -1;
        drawLines(p, block.text, block.anchors, block.style, block.align, lines, QPointF(x, item.y + dy), w, current);
        if (st.borderBottom)
            p.fillRect(QRectF(x, item.y + dy + item.height - 1 * s, w, 1 * s), st.color);
        return;
    }
    const Table& t = doc_.tables[block.table];
    const TableGeometry& g = tables_[block.table];
    const Row& row = t.rows[item.row];
    const qreal y = item.y + dy;
    // The table's outer border beside (and above / below) this row.
    if (g.border > 0) {
        const qreal x = g.x + dx;
        const qreal w = g.width;
        const qreal yTop = segmentStart ? y + item.boxTop - g.spacing - g.border : y;
        const qreal yBottom =
            segmentEnd ? y + item.boxTop + item.boxHeight + g.spacing + g.border : y + item.height;
        const qreal h = g.border / 2;
        QPen pen(t.borderLight, g.border);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(QLineF(x + h, yTop, x + h, yBottom));
        if (segmentStart)
            p.drawLine(QLineF(x, yTop + h, x + w, yTop + h));
        pen.setColor(t.borderDark);
        p.setPen(pen);
        p.drawLine(QLineF(x + w - h, yTop, x + w - h, yBottom));
        if (segmentEnd)
            p.drawLine(QLineF(x, yBottom - h, x + w, yBottom - h));
    }
    QVarLengthArray<QLineF, 32> darkLines;
    QVarLengthArray<QLineF, 32> lightLines;
    int current = -1;
    forEachCell(item, [&](int ci, QRectF box, QRectF content) {
        box.translate(dx, dy);
        content.translate(dx, dy);
        const Cell& c = row.cells[ci];
        const Style& st = doc_.styles[c.style];
        const QColor bg = c.background.isValid() ? c.background : st.background;
        if (bg.isValid())
            p.fillRect(box, bg);
        if (g.cellBorder > 0) {
            // Inset cell frame: dark above and left, light below and right (drawn after the row).
            const qreal h = g.cellBorder / 2;
            darkLines << QLineF(box.left(), box.top() + h, box.right(), box.top() + h)
                      << QLineF(box.left() + h, box.top(), box.left() + h, box.bottom());
            lightLines << QLineF(box.left(), box.bottom() - h, box.right(), box.bottom() - h)
                       << QLineF(box.right() - h, box.top(), box.right() - h, box.bottom());
        }
        if (c.text.isEmpty())
            return;
        TextLines lines;
        const qreal ty = cellLines(item, ci, content.translated(-dx, -dy), lines) + dy;
        drawLines(p, c.text, c.anchors, c.style, c.align, lines, QPointF(content.left(), ty), content.width(),
                  current);
    });
    if (!darkLines.isEmpty()) {
        QPen pen(t.borderDark, g.cellBorder);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLines(darkLines.constData(), int(darkLines.size()));
        pen.setColor(t.borderLight);
        p.setPen(pen);
        p.drawLines(lightLines.constData(), int(lightLines.size()));
    }
}

qreal Layout::tableBorderOf(const Item& item) const
{
    return item.row >= 0 ? tables_[doc_.blocks[item.block].table].border : 0;
}

QVector<Layout::Page> Layout::paginate(qreal pageHeight) const
{
    QVector<Page> pages;
    if (items_.isEmpty()) {
        pages.append(Page{0, -1, 0});
        return pages;
    }
    Page page{0, -1, 0};
    for (int i = 0; i < items_.size(); ++i) {
        const Item& it = items_[i];
        const bool first = page.last < page.first;
        // A table cut by the page end gets its border above and below the cut.
        const qreal cut = tableBorderOf(it);
        const qreal startShift = page.first < items_.size() && items_[page.first].row > 0
                                     ? tableBorderOf(items_[page.first])
                                     : 0;
        if (!first && it.y + it.height + cut + startShift - page.top > pageHeight) {
            pages.append(page);
            page = Page{i, -1, it.y};
        }
        page.last = i;
    }
    pages.append(page);
    return pages;
}

void Layout::paintPage(QPainter& painter, const Page& page) const
{
    if (page.last < page.first)
        return;
    // A page that continues a table begins with the table's top border.
    const Item& head = items_[page.first];
    const qreal dy = -page.top + (head.row > 0 ? tableBorderOf(head) : 0);
    for (int i = page.first; i <= page.last; ++i) {
        const Item& it = items_[i];
        bool start = i == page.first;
        bool end = i == page.last;
        if (it.row >= 0) {
            const Block& b = doc_.blocks[it.block];
            start = start || it.row == 0;
            end = end || it.row == doc_.tables[b.table].rows.size() - 1;
        }
        paintItem(painter, i, 0, dy, start, end);
    }
}

qreal Layout::cellLines(const Item& item, int ci, const QRectF& content, TextLines& lines) const
{
    const Block& block = doc_.blocks[item.block];
    const TableGeometry& g = tables_[block.table];
    const Cell& c = doc_.tables[block.table].rows[item.row].cells[ci];
    lines.clear();
    if (c.text.isEmpty())
        return content.top();
    const float natural = g.natural[g.cellOffset[item.row] + ci];
    if (natural >= 0 && natural <= content.width())
        lines.append(TextLine{0, int(c.text.size()), natural});
    else
        wrap(c.text, c.anchors, c.style, content.width(), lines);
    const qreal textH = lines.size() * metrics(c.style).lineSpacing();
    if (c.valign == VAlign::Middle)
        return content.top() + (content.height() - textH) / 2;
    if (c.valign == VAlign::Bottom)
        return content.top() + content.height() - textH;
    return content.top();
}

QString Layout::anchorAt(const QPointF& pos) const
{
    const int index = itemAt(pos.y());
    if (index < 0)
        return {};
    const Item& item = items_[index];
    const Block& block = doc_.blocks[item.block];
    if (block.kind == Block::Kind::Text) {
        if (block.anchors.isEmpty())
            return {};
        const qreal s = scale_;
        const qreal w = width_ - (doc_.marginLeft + doc_.marginRight) * s;
        TextLines lines;
        wrap(block.text, block.anchors, block.style, w, lines);
        return anchorInLines(block.text, block.anchors, block.style, block.align, lines,
                             QPointF(doc_.marginLeft * s, item.y), w, pos);
    }
    const Row& row = doc_.tables[block.table].rows[item.row];
    QString result;
    forEachCell(item, [&](int ci, const QRectF& box, const QRectF& content) {
        const Cell& c = row.cells[ci];
        if (!result.isEmpty() || c.anchors.isEmpty() || !box.contains(pos))
            return;
        TextLines lines;
        const qreal top = cellLines(item, ci, content, lines);
        result = anchorInLines(c.text, c.anchors, c.style, c.align, lines, QPointF(content.left(), top),
                               content.width(), pos);
    });
    return result;
}

QRectF Layout::anchorRect(const QString& href) const
{
    for (const Item& item : items_) {
        const Block& block = doc_.blocks[item.block];
        if (block.kind != Block::Kind::Table)
            continue;
        const Row& row = doc_.tables[block.table].rows[item.row];
        QRectF found;
        forEachCell(item, [&](int ci, const QRectF&, const QRectF& content) {
            const Cell& c = row.cells[ci];
            if (!found.isNull())
                return;
            for (const Anchor& a : c.anchors) {
                if (a.href != href || a.length <= 0)
                    continue;
                TextLines lines;
                const qreal top = cellLines(item, ci, content, lines);
                const qreal lineSpacing = metrics(c.style).lineSpacing();
                for (int l = 0; l < lines.size(); ++l) {
                    const TextLine& line = lines[l];
                    const int as = qMax(a.start, line.start);
                    const int ae = qMin(a.start + a.length, line.end);
                    if (ae <= as)
                        continue;
                    qreal x = content.left();
                    if (c.align == HAlign::Center)
                        x += (content.width() - line.width) / 2;
                    else if (c.align == HAlign::Right)
                        x += content.width() - line.width;
                    const qreal x1 = x + advance(c.text, line.start, as, c.anchors, c.style);
                    const qreal x2 = x + advance(c.text, line.start, ae, c.anchors, c.style);
                    found = QRectF(x1, top + l * lineSpacing, x2 - x1, lineSpacing);
                    return;
                }
            }
        });
        if (!found.isNull())
            return found;
    }
    return {};
}

QString Layout::itemsText(int first, int last) const
{
    QStringList lines;
    for (int i = qMax(0, first); i <= last && i < items_.size(); ++i) {
        const Item& item = items_[i];
        const Block& block = doc_.blocks[item.block];
        auto visible = [](QString t) {
            t.replace(QChar(0x00A0), u' ');
            t.replace(kLineSeparator, u'\n');
            return t.trimmed();
        };
        if (block.kind == Block::Kind::Text) {
            lines << visible(block.text);
            continue;
        }
        QStringList cells;
        for (const Cell& c : doc_.tables[block.table].rows[item.row].cells)
            cells << visible(c.text);
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n');
}

} // namespace reportview
