// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPicture>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>
#include <functional>

class QPrinter;

// The laid-out pages of a document: one recorded picture per page, in printer pixels relative to
// the printable area, with the paper size, the printer's resolution and the printable offset.
struct PageRecorder
{
    QVector<QPicture> pages;
    QSize paperSize;     // printer pixels
    int dpiX = 0;        // printer pixels per inch
    int dpiY = 0;
    QPoint printableOffset; // top left corner of the printable area on the paper, printer pixels

    int pageCount() const { return int(pages.size()); }
    void clear() { pages.clear(); }
};

// Print margins in centimetres, measured from the paper edge.
struct PrintMargins
{
    double left = 2.0;
    double right = 1.0;
    double top = 1.0;
    double bottom = 1.0;
};

// Progress report during a layout or a print run: the page being handled (0 before the first page);
// setting stop ends the work.
using PrintProgress = std::function<void(int page, bool& stop)>;

// A document that the print preview shows and prints: the report viewer.
class PrintSource
{
public:
    virtual ~PrintSource() = default;

    virtual PrintMargins printMargins() const = 0;
    virtual void setPrintMargins(const PrintMargins& margins) = 0;
    // Lays the document out into pages for the printer's paper, orientation and resolution.
    // Returns false when the progress callback stopped the work (the pages so far stay).
    virtual bool layoutPages(QPrinter& printer, PageRecorder& recorder, const PrintProgress& progress) = 0;
    // Lays the document out again and prints the pages from..to (1-based, to clamped to the last
    // page) on the printer. Returns false when stopped or when the printer could not be opened.
    virtual bool printPages(QPrinter& printer, int from, int to, const PrintProgress& progress) = 0;
    virtual void selectAll() = 0;
    virtual void copySelection() = 0;
};
