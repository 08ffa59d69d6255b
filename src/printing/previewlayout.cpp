// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/previewlayout.h"

#include <QtGlobal>
#include <cmath>

double ZoomOfEntry(int index)
{
    static const double zooms[] = {0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
    if (index >= 3 && index <= 11)
        return zooms[index - 3];
    return 1.0;
}

double FitPageZoom(int clientHeight, double screenDpi, int paperHeight, int printerDpiY)
{
    if (screenDpi <= 0 || paperHeight <= 0 || printerDpiY <= 0)
        return 1.0;
    return (clientHeight - 20) / screenDpi / (double(paperHeight) / printerDpiY);
}

double FitWidthZoom(int clientWidth, double screenDpi, int paperWidth, int printerDpiX)
{
    if (screenDpi <= 0 || paperWidth <= 0 || printerDpiX <= 0)
        return 1.0;
    return (clientWidth - 20) / screenDpi / (double(paperWidth) / printerDpiX);
}

double ZoomIn(double zoom)
{
    return zoom < 20 ? zoom * 1.5 : zoom;
}

double ZoomOut(double zoom)
{
    return zoom > 0.1 ? zoom / 1.5 : zoom;
}

PreviewGeometry ComputePreviewGeometry(double zoom, bool twoPages, int clientWidth, int clientHeight,
                                       int boxWidth, int boxHeight, double screenDpi, int paperWidth,
                                       int paperHeight, int printerDpiX, int printerDpiY)
{
    PreviewGeometry g;
    if (printerDpiX <= 0 || printerDpiY <= 0)
        return g;
    // Whole pixels, the fraction cut off.
    g.pageHeight = int(std::trunc(screenDpi * zoom * paperHeight / printerDpiY));
    g.pageWidth = int(std::trunc(screenDpi * zoom * paperWidth / printerDpiX));
    int needed = g.pageWidth + 20;
    if (twoPages)
        needed += g.pageWidth + 20;
    g.containerHeight = qMax(g.pageHeight + 20, clientHeight - 1);
    g.containerWidth = qMax(needed, clientWidth - 1);
    g.pageTop = g.pageHeight + 20 < g.containerHeight ? g.containerHeight / 2 - g.pageHeight / 2 : 10;
    g.pageLeft = needed < g.containerWidth ? g.containerWidth / 2 - (needed - 20) / 2 : 10;
    g.page2Left = g.pageLeft + g.pageWidth + 20;
    g.scrollBars = boxWidth < g.pageWidth + 20 || boxHeight < g.pageHeight + 20;
    return g;
}

QVector<int> GridLinePositions(int paperPixels, int printerDpi, double unitFactor)
{
    QVector<int> lines;
    if (printerDpi <= 0 || unitFactor <= 0)
        return lines;
    const int count = int(std::lround(double(paperPixels) / printerDpi * unitFactor));
    for (int i = 1; i <= count; ++i)
        lines.append(int(std::lround(i * printerDpi / unitFactor)));
    return lines;
}
