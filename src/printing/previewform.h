// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printsource.h"

#include <QCursor>
#include <QDialog>
#include <QPoint>
#include <functional>

class QComboBox;
class QLabel;
class QMenu;
class QPrinter;
class QPushButton;
class QScrollArea;
class QToolButton;
class TPreviewForm;

// A paint area of the preview: shows one recorded page.
class PreviewPageArea : public QWidget
{
    Q_OBJECT
public:
    PreviewPageArea(TPreviewForm* form, int slot, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TPreviewForm* form_;
    int slot_; // 0: the current page (PB1), 1: the next page in two-page view (PB2)
};

// "Vorschau": the print preview of a document. Creating it lays the document out once into one
// recorded picture per page; the preview shows these pictures, zooms, pages, sets up the page
// (which closes it with RetryResult so that the caller lays out anew) and prints a page range.
class TPreviewForm : public QDialog
{
    Q_OBJECT
public:
    // The close result after a confirmed page setup.
    static constexpr int RetryResult = 4;

    // Reads margins and orientation from the section "PreviewForm" of settingsFile (nothing is
    // read or written when it is empty) and lays the pages out; *cancelled tells whether the user
    // stopped the layout (then the preview must not be shown).
    TPreviewForm(QWidget* owner, PrintSource& viewer, QPrinter& printer, const QString& settingsFile,
                 bool* cancelled);
    ~TPreviewForm() override;

    int currentPage() const { return currentPage_; }
    int pageCount() const { return recorder_.pageCount(); }
    double zoom() const { return zoom_; }
    bool twoPageView() const;
    const PageRecorder& recorder() const { return recorder_; }
    // The page shown in a paint area (-1 when that page does not exist).
    int pageInSlot(int slot) const;

    // Controls (named as their objects).
    QToolButton *GridBut, *ZoomCursorBut, *HandCursorBut, *OnePageBut, *TwoPageBut, *FitPageBut, *FitWidthBut;
    QComboBox *ZoomBox, *UnitsBox;
    QPushButton *PrintBut, *btnSeiteEinrichten, *CloseBut;
    QToolButton *PrevPageBut, *NextPageBut;
    QLabel *CurPageLabel, *ZoomLabel, *HintLabel;
    QToolButton *FirstPageSpeed, *PrevPageSpeed, *NextPageSpeed, *LastPageSpeed, *PageNumSpeed;
    QScrollArea* ScrollBox1;
    QWidget *ContainPanel, *PagePanel, *PagePanel2;
    PreviewPageArea *PB1, *PB2;
    QMenu* PopupMenu1;

public slots:
    void FormShow();
    void ScrollBox1Resize();
    void ZoomBoxChange();
    void OnePageButMouseUp();
    void TwoPageButClick();
    void FitPageButClick();
    void FitWidthButClick();
    void UnitsBoxChange();
    void GridButClick();
    void ZoomCursorButClick();
    void HandCursorButClick();
    void NextPageButClick();
    void PrevPageButClick();
    void FirstPageSpeedClick();
    void LastPageSpeedClick();
    void PageNumSpeedClick();
    void PrintButClick();
    void btnSeiteEinrichtenClick();
    void popAllesMarkierenClick();
    void popKopierenClick();
    void CloseButClick();
    void done(int result) override;

public:
    // Handlers of the paint areas.
    void PBPaint(int slot, QPainter& painter, const QSize& size);
    void PB1MouseDown(Qt::MouseButton button, const QPoint& pos);
    void PB1MouseMove(const QPoint& pos);
    void PB1MouseUp();
    // Keys seen before the controls; returns whether the key was taken.
    bool FormKeyDown(int key);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void GotoPage(int page);
    void CheckEnableButtons();
    void FormClose();
    void buildWindow();
    void restoreApplicationHooks();

    PrintSource& viewer_;
    QPrinter& printer_;
    QString settingsFile_;
    PageRecorder recorder_;
    int currentPage_ = 0;
    double zoom_ = 1.0;
    bool dragging_ = false;
    QPoint dragStart_;
    bool shown_ = false;
    bool closed_ = false;
    int layoutDepth_ = 0;
    std::function<void(const QString&)> previousHintHandler_;
    bool hintHandlerSet_ = false;
    QCursor zoomCursor_;
    QCursor handCursor_;
};
