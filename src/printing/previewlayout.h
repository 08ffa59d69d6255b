// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVector>

// The arithmetic of the print preview, free of widgets.

// Zoom entries of the preview's zoom box, by index.
enum PreviewZoomIndex { ZoomFitPage = 0, ZoomFitWidth = 1, ZoomCustom = 2 };
// The fixed zoom of an entry from 3 on ("25%" ... "400%"); 1.0 for any other index.
double ZoomOfEntry(int index);
// Zoom that fits the paper's height (width) into the client area, 20 pixels left over.
double FitPageZoom(int clientHeight, double screenDpi, int paperHeight, int printerDpiY);
double FitWidthZoom(int clientWidth, double screenDpi, int paperWidth, int printerDpiX);

// Zoom tool: a left click enlarges by 1.5 below 20, a right click reduces by 1.5 above 0.1.
double ZoomIn(double zoom);
double ZoomOut(double zoom);

struct PreviewGeometry
{
    int pageWidth = 0;
    int pageHeight = 0;
    int containerWidth = 0;
    int containerHeight = 0;
    int pageLeft = 0;
    int pageTop = 0;
    int page2Left = 0;
    bool scrollBars = false;
};

// Sizes and places the page panels for a zoom in a client area of the given size; the scroll bars
// are wanted when the whole scrolling area (box) is narrower or lower than a page and its margin.
PreviewGeometry ComputePreviewGeometry(double zoom, bool twoPages, int clientWidth, int clientHeight,
                                       int boxWidth, int boxHeight, double screenDpi, int paperWidth,
                                       int paperHeight, int printerDpiX, int printerDpiY);

// Positions (printer pixels from the paper edge) of the grid lines across one paper dimension:
// every inch (unitFactor 1) or every centimetre (unitFactor 2.54).
QVector<int> GridLinePositions(int paperPixels, int printerDpi, double unitFactor);
