// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printsource.h"
#include "report/htmldocument.h"
#include "report/htmllayout.h"

#include <QAbstractScrollArea>
#include <memory>

class QPrinter;

// The report viewer: shows a report page (HTML from the report writer) from in-memory text, reports
// anchor clicks, keeps print margins and lays the page out for printing. The page is parsed into
// rows once; the screen lays out and paints only what is needed, so pages of tens of thousands of
// rows load in a fraction of a second.
class ReportViewer : public QAbstractScrollArea, public PrintSource
{
    Q_OBJECT
public:
    explicit ReportViewer(QWidget* parent = nullptr);
    ~ReportViewer() override;

    // Loads a document from text (the base reference is empty) and shows its top.
    void loadFromString(const QString& html);
    void clear();
    const QString& source() const { return source_; }
    const reportview::Document& document() const { return doc_; }
    // The document's height in pixels at the current width.
    int documentHeight() const;

    int verticalScrollPosition() const;
    void setVerticalScrollPosition(int position);

    // Selection: the whole document or a range of lines (text blocks and table rows).
    bool hasSelection() const { return selFirst_ >= 0; }
    QString selectedText() const;

    // Viewport rectangle of the first anchor with this target (for tests); null when not shown.
    QRect anchorViewportRect(const QString& href) const;

    // PrintSource
    PrintMargins printMargins() const override { return margins_; }
    void setPrintMargins(const PrintMargins& margins) override { margins_ = margins; }
    bool layoutPages(QPrinter& printer, PageRecorder& recorder, const PrintProgress& progress) override;
    bool printPages(QPrinter& printer, int from, int to, const PrintProgress& progress) override;
    void selectAll() override;
    void copySelection() override;

signals:
    // An anchor was clicked. A handler that takes care of it sets *handled; an unhandled target
    // with a scheme (http:, mailto:, file:) is opened with the desktop's program.
    void hotSpotClick(const QString& target, bool* handled);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct PrintGeometry;
    PrintGeometry printGeometry(QPrinter& printer) const;
    void relayout();
    void updateScrollBars();
    QPointF toDocument(const QPointF& viewportPos) const;

    QString source_;
    reportview::Document doc_;
    std::unique_ptr<reportview::Layout> layout_;
    PrintMargins margins_;
    int selFirst_ = -1;
    int selLast_ = -1;
    int selAnchor_ = -1;
    bool selecting_ = false;
    QString pressedHref_;
};
