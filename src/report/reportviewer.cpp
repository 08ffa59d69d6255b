// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/reportviewer.h"

#include "util/messages.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QUrl>

using reportview::Layout;

namespace {
// Below this width the page is laid out wider and scrolls sideways.
constexpr int kMinLayoutWidth = 480;
// The viewer's default font: Arial, 11 points.
constexpr qreal kDefaultFontPx = 11.0 * 96.0 / 72.0;
} // namespace

struct ReportViewer::PrintGeometry
{
    QSize paper;
    int dpiX = 96;
    int dpiY = 96;
    QPoint offset;
    QRectF content;    // printable-area coordinates (printer pixels)
    qreal pageHeight = 0; // content height in layout units (horizontal printer pixels)
};

ReportViewer::ReportViewer(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("HTMLViewer1"));
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Window);
    setFocusPolicy(Qt::StrongFocus);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::clear()
{
    layout_.reset();
    doc_ = reportview::Document();
    source_.clear();
    selFirst_ = selLast_ = selAnchor_ = -1;
    updateScrollBars();
    viewport()->update();
}

void ReportViewer::loadFromString(const QString& html)
{
    layout_.reset();
    source_ = html;
    doc_ = reportview::ParseHtml(html, kDefaultFontPx, {QStringLiteral("Arial")});
    layout_ = std::make_unique<Layout>(doc_, 1.0);
    selFirst_ = selLast_ = selAnchor_ = -1;
    pressedHref_.clear();
    relayout();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

int ReportViewer::documentHeight() const
{
    return layout_ ? int(std::ceil(layout_->height())) : 0;
}

void ReportViewer::relayout()
{
    if (!layout_)
        return;
    const qreal width = qMax(kMinLayoutWidth, viewport()->width());
    if (layout_->items().isEmpty() || layout_->width() != width)
        layout_->layout(width);
    updateScrollBars();
}

void ReportViewer::updateScrollBars()
{
    const int docH = documentHeight();
    const int docW = layout_ ? int(std::ceil(layout_->width())) : 0;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, qMax(0, docH - viewport()->height()));
    v->setPageStep(qMax(1, viewport()->height()));
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, qMax(0, docW - viewport()->width()));
    h->setPageStep(qMax(1, viewport()->width()));
}

int ReportViewer::verticalScrollPosition() const
{
    return verticalScrollBar()->value();
}

void ReportViewer::setVerticalScrollPosition(int position)
{
    verticalScrollBar()->setValue(position);
}

QPointF ReportViewer::toDocument(const QPointF& p) const
{
    return p + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void ReportViewer::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void ReportViewer::scrollContentsBy(int, int)
{
    viewport()->update();
}

void ReportViewer::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    const QColor bg = doc_.background.isValid() ? doc_.background : palette().color(QPalette::Window);
    p.fillRect(event->rect(), bg);
    if (!layout_)
        return;
    const int sx = horizontalScrollBar()->value();
    const int sy = verticalScrollBar()->value();
    const QRect r = event->rect();
    const auto& items = layout_->items();
    const QColor highlight = [this] {
        QColor c = palette().color(QPalette::Highlight);
        c.setAlpha(90);
        return c;
    }();
    for (int i = layout_->firstItemBelow(r.top() + sy); i < items.size(); ++i) {
        const Layout::Item& it = items[i];
        if (it.y - sy > r.bottom())
            break;
        bool start = true;
        bool end = true;
        if (it.row >= 0) {
            const auto& block = doc_.blocks[it.block];
            start = it.row == 0;
            end = it.row == doc_.tables[block.table].rows.size() - 1;
        }
        layout_->paintItem(p, i, -sx, -sy, start, end);
        if (selFirst_ >= 0 && i >= selFirst_ && i <= selLast_)
            p.fillRect(QRectF(-sx, it.y - sy, layout_->width(), it.height), highlight);
    }
}

void ReportViewer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !layout_) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPointF pos = toDocument(event->position());
    pressedHref_ = layout_->anchorAt(pos);
    if (!pressedHref_.isEmpty())
        return;
    const int item = layout_->itemAt(pos.y());
    selecting_ = true;
    selAnchor_ = item;
    selFirst_ = selLast_ = item;
    viewport()->update();
}

void ReportViewer::mouseMoveEvent(QMouseEvent* event)
{
    if (!layout_)
        return;
    const QPointF pos = toDocument(event->position());
    if (selecting_ && (event->buttons() & Qt::LeftButton)) {
        int item = layout_->itemAt(pos.y());
        if (item < 0)
            item = pos.y() < 0 ? 0 : int(layout_->items().size()) - 1;
        if (selAnchor_ < 0)
            selAnchor_ = item;
        selFirst_ = qMin(selAnchor_, item);
        selLast_ = qMax(selAnchor_, item);
        // Scroll along while dragging beyond the edges.
        if (event->position().y() < 0)
            verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        else if (event->position().y() > viewport()->height())
            verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        viewport()->update();
        return;
    }
    viewport()->setCursor(layout_->anchorAt(pos).isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void ReportViewer::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !layout_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    selecting_ = false;
    const QString pressed = pressedHref_;
    pressedHref_.clear();
    if (pressed.isEmpty())
        return;
    if (layout_->anchorAt(toDocument(event->position())) != pressed)
        return;
    // A click on an anchor clears the selection.
    selFirst_ = selLast_ = selAnchor_ = -1;
    viewport()->update();
    bool handled = false;
    emit hotSpotClick(pressed, &handled);
    if (handled)
        return;
    const QUrl url(pressed);
    if (!url.scheme().isEmpty())
        msg().openUrl(url);
}

void ReportViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->key() == Qt::Key_Home && event->modifiers() == Qt::NoModifier) {
        verticalScrollBar()->setValue(0);
        return;
    }
    if (event->key() == Qt::Key_End && event->modifiers() == Qt::NoModifier) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ReportViewer::selectAll()
{
    if (!layout_ || layout_->items().isEmpty())
        return;
    selFirst_ = 0;
    selLast_ = int(layout_->items().size()) - 1;
    viewport()->update();
}

QString ReportViewer::selectedText() const
{
    if (!layout_ || selFirst_ < 0)
        return {};
    return layout_->itemsText(selFirst_, selLast_);
}

void ReportViewer::copySelection()
{
    if (!hasSelection())
        return;
    QGuiApplication::clipboard()->setText(selectedText());
}

QRect ReportViewer::anchorViewportRect(const QString& href) const
{
    if (!layout_)
        return {};
    const QRectF r = layout_->anchorRect(href);
    if (r.isNull())
        return {};
    return r.translated(-horizontalScrollBar()->value(), -verticalScrollBar()->value()).toAlignedRect();
}

ReportViewer::PrintGeometry ReportViewer::printGeometry(QPrinter& printer) const
{
    PrintGeometry g;
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    g.paper = paper.size().toSize();
    g.dpiX = qMax(1, printer.logicalDpiX());
    g.dpiY = qMax(1, printer.logicalDpiY());
    g.offset = page.topLeft().toPoint() - paper.topLeft().toPoint();
    // Margins count from the paper edge; the printable area starts at the offset.
    const qreal left = margins_.left / 2.54 * g.dpiX - g.offset.x();
    const qreal top = margins_.top / 2.54 * g.dpiY - g.offset.y();
    const qreal right = paper.width() - margins_.right / 2.54 * g.dpiX - g.offset.x();
    const qreal bottom = paper.height() - margins_.bottom / 2.54 * g.dpiY - g.offset.y();
    QRectF content(QPointF(qMax<qreal>(0, left), qMax<qreal>(0, top)),
                   QPointF(qMin(right, page.width()), qMin(bottom, page.height())));
    if (content.width() < g.dpiX / 2.0 || content.height() < g.dpiY / 2.0)
        content = QRectF(0, 0, page.width(), page.height()); // margins leave no room: use the page
    g.content = content;
    g.pageHeight = content.height() * g.dpiX / g.dpiY;
    return g;
}

namespace {
void paintPrintPage(QPainter& p, const Layout& layout, const Layout::Page& page, const QRectF& content,
                    int dpiX, int dpiY)
{
    p.save();
    p.translate(content.topLeft());
    if (dpiX != dpiY)
        p.scale(1.0, qreal(dpiY) / dpiX);
    p.setClipRect(QRectF(0, 0, content.width(), content.height() * dpiX / dpiY));
    layout.paintPage(p, page);
    p.restore();
}
} // namespace

bool ReportViewer::layoutPages(QPrinter& printer, PageRecorder& recorder, const PrintProgress& progress)
{
    recorder.clear();
    const PrintGeometry g = printGeometry(printer);
    recorder.paperSize = g.paper;
    recorder.dpiX = g.dpiX;
    recorder.dpiY = g.dpiY;
    recorder.printableOffset = g.offset;
    bool stop = false;
    if (progress)
        progress(0, stop);
    if (stop)
        return false;
    Layout layout(doc_, g.dpiX / 96.0);
    layout.layout(g.content.width());
    const QVector<Layout::Page> pages = layout.paginate(g.pageHeight);
    recorder.pages.reserve(pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        if (progress)
            progress(i + 1, stop);
        if (stop)
            return false;
        QPicture picture;
        QPainter p(&picture);
        paintPrintPage(p, layout, pages[i], g.content, g.dpiX, g.dpiY);
        p.end();
        recorder.pages.append(picture);
    }
    return true;
}

bool ReportViewer::printPages(QPrinter& printer, int from, int to, const PrintProgress& progress)
{
    const PrintGeometry g = printGeometry(printer);
    bool stop = false;
    if (progress)
        progress(0, stop);
    if (stop)
        return false;
    Layout layout(doc_, g.dpiX / 96.0);
    layout.layout(g.content.width());
    const QVector<Layout::Page> pages = layout.paginate(g.pageHeight);
    const int first = qMax(1, from);
    const int last = qMin(to, int(pages.size()));
    if (first > last)
        return true;
    QPainter p;
    if (!p.begin(&printer))
        return false;
    for (int n = first; n <= last; ++n) {
        if (progress)
            progress(n, stop);
        if (stop)
            break;
        if (n != first)
            printer.newPage();
        paintPrintPage(p, layout, pages[n - 1], g.content, g.dpiX, g.dpiY);
    }
    p.end();
    return !stop;
}

#include "moc_reportviewer.cpp"
