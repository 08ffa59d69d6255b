// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/htmllayout.h"

#include <QFontInfo>
#include <QPainter>
#include <QTextLayout>
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
            g.natural[k++] = simple ? float(metrics(c.style).horizontalAdvance(c.text)) : -1.0f;
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

void Layout::setupTextLayout(QTextLayout& tl, const QString& text, const QVector<Anchor>& anchors, int style,
                             HAlign align, qreal width) const
{
    tl.setText(text);
    tl.setFont(font(style));
    QTextOption opt;
    opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    opt.setAlignment(align == HAlign::Center ? Qt::AlignHCenter
                     : align == HAlign::Right ? Qt::AlignRight
                                              : Qt::AlignLeft);
    tl.setTextOption(opt);
    if (!anchors.isEmpty()) {
        QList<QTextLayout::FormatRange> formats;
        for (const Anchor& a : anchors) {
            if (a.length <= 0)
                continue;
            QTextLayout::FormatRange r;
            r.start = a.start;
            r.length = a.length;
            r.format.setFont(font(a.style));
            r.format.setForeground(doc_.styles[a.style].color);
            r.format.setFontUnderline(doc_.styles[a.style].underline);
            formats << r;
        }
        tl.setFormats(formats);
    }
    const qreal lineSpacing = metrics(style).lineSpacing();
    tl.beginLayout();
    int n = 0;
    for (;;) {
        QTextLine line = tl.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(qMax<qreal>(1, width));
        line.setPosition(QPointF(0, n * lineSpacing));
        ++n;
    }
    tl.endLayout();
}

qreal Layout::textHeight(const QString& text, const QVector<Anchor>& anchors, int style, float natural,
                         qreal width) const
{
    if (text.isEmpty())
        return 0;
    const qreal lineSpacing = metrics(style).lineSpacing();
    if (natural >= 0 && natural <= width)
        return lineSpacing;
    QTextLayout tl;
    setupTextLayout(tl, text, anchors, style, HAlign::Left, width);
    return qMax(1, tl.lineCount()) * lineSpacing;
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
            const float natural = simple ? float(metrics(block.style).horizontalAdvance(block.text)) : -1.0f;
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
        QTextLayout tl;
        setupTextLayout(tl, block.text, block.anchors, block.style, block.align, w);
        p.setPen(st.color);
        tl.draw(&p, QPointF(x, item.y + dy));
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
        p.fillRect(QRectF(x, yTop, g.border, yBottom - yTop), t.borderLight);
        p.fillRect(QRectF(x + w - g.border, yTop, g.border, yBottom - yTop), t.borderDark);
        if (segmentStart)
            p.fillRect(QRectF(x, yTop, w, g.border), t.borderLight);
        if (segmentEnd)
            p.fillRect(QRectF(x, yBottom - g.border, w, g.border), t.borderDark);
    }
    QVarLengthArray<QLineF, 32> darkLines;
    QVarLengthArray<QLineF, 32> lightLines;
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
        const qreal lineSpacing = metrics(c.style).lineSpacing();
        const float natural = g.natural[g.cellOffset[item.row] + ci];
        if (natural < 0 || natural > content.width()) {
            QTextLayout tl;
            setupTextLayout(tl, c.text, c.anchors, c.style, c.align, content.width());
            const qreal textH = tl.lineCount() * lineSpacing;
            qreal ty = content.top();
            if (c.valign == VAlign::Middle)
                ty += (content.height() - textH) / 2;
            else if (c.valign == VAlign::Bottom)
                ty += content.height() - textH;
            p.setPen(st.color);
            tl.draw(&p, QPointF(content.left(), ty));
            return;
        }
        // One line: the text, or its runs in the anchors' styles.
        qreal ty = content.top();
        if (c.valign == VAlign::Middle)
            ty += (content.height() - lineSpacing) / 2;
        else if (c.valign == VAlign::Bottom)
            ty += content.height() - lineSpacing;
        const qreal baseline = ty + metrics(c.style).ascent();
        qreal tx = content.left();
        if (c.align == HAlign::Center)
            tx += (content.width() - natural) / 2;
        else if (c.align == HAlign::Right)
            tx += content.width() - natural;
        auto run = [&](int from, int to, int style) {
            if (to <= from)
                return;
            const QString part = c.text.mid(from, to - from);
            p.setFont(font(style));
            p.setPen(doc_.styles[style].color);
            p.drawText(QPointF(tx, baseline), part);
            tx += metrics(style).horizontalAdvance(part);
        };
        int pos = 0;
        for (const Anchor& a : c.anchors) {
            if (a.start < pos || a.length <= 0)
                continue;
            run(pos, a.start, c.style);
            run(a.start, a.start + a.length, a.style);
            pos = a.start + a.length;
        }
        run(pos, int(c.text.size()), c.style);
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

QString Layout::anchorAt(const QPointF& pos) const
{
    const int index = itemAt(pos.y());
    if (index < 0)
        return {};
    const Item& item = items_[index];
    const Block& block = doc_.blocks[item.block];
    auto hit = [&](const QString& text, const QVector<Anchor>& anchors, int style, HAlign align,
                   const QPointF& origin, qreal width) -> QString {
        if (anchors.isEmpty())
            return {};
        QTextLayout tl;
        setupTextLayout(tl, text, anchors, style, align, width);
        const QPointF local = pos - origin;
        for (int l = 0; l < tl.lineCount(); ++l) {
            const QTextLine line = tl.lineAt(l);
            const QRectF r = line.naturalTextRect();
            if (local.y() < r.top() || local.y() >= r.bottom() || local.x() < r.left() || local.x() >= r.right())
                continue;
            const int ch = line.xToCursor(local.x(), QTextLine::CursorOnCharacter);
            for (const Anchor& a : anchors)
                if (ch >= a.start && ch < a.start + a.length)
                    return a.href;
        }
        return {};
    };
    if (block.kind == Block::Kind::Text) {
        const qreal s = scale_;
        return hit(block.text, block.anchors, block.style, block.align, QPointF(doc_.marginLeft * s, item.y),
                   width_ - (doc_.marginLeft + doc_.marginRight) * s);
    }
    const Row& row = doc_.tables[block.table].rows[item.row];
    QString result;
    forEachCell(item, [&](int ci, const QRectF& box, const QRectF& content) {
        if (!result.isEmpty() || !box.contains(pos))
            return;
        const Cell& c = row.cells[ci];
        if (c.anchors.isEmpty())
            return;
        QTextLayout tl;
        setupTextLayout(tl, c.text, c.anchors, c.style, c.align, content.width());
        const qreal textH = tl.lineCount() * metrics(c.style).lineSpacing();
        qreal ty = content.top();
        if (c.valign == VAlign::Middle)
            ty += (content.height() - textH) / 2;
        else if (c.valign == VAlign::Bottom)
            ty += content.height() - textH;
        result = hit(c.text, c.anchors, c.style, c.align, QPointF(content.left(), ty), content.width());
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
                QTextLayout tl;
                setupTextLayout(tl, c.text, c.anchors, c.style, c.align, content.width());
                const qreal textH = tl.lineCount() * metrics(c.style).lineSpacing();
                qreal ty = content.top();
                if (c.valign == VAlign::Middle)
                    ty += (content.height() - textH) / 2;
                else if (c.valign == VAlign::Bottom)
                    ty += content.height() - textH;
                const QTextLine line = tl.lineForTextPosition(a.start);
                if (!line.isValid())
                    return;
                const qreal x1 = line.cursorToX(a.start);
                const qreal x2 = tl.lineForTextPosition(a.start + a.length - 1).lineNumber() == line.lineNumber()
                                     ? line.cursorToX(a.start + a.length)
                                     : line.naturalTextRect().right();
                found = QRectF(content.left() + x1, ty + line.y(), x2 - x1, line.height());
                return;
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
