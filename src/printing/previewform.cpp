// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/previewform.h"

#include "app/config.h"
#include "app/hinthandler.h"
#include "printing/previewlayout.h"
#include "printing/printdialogs.h"
#include "util/messages.h"

#include <QApplication>
#include <QBitmap>
#include <QButtonGroup>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// From-page of the last print run, offered again by the next print dialog.
int lastFromPage = 1;

QCursor makeZoomCursor()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 4));
    p.drawEllipse(QRectF(3, 3, 16, 16));
    p.drawLine(QPointF(17, 17), QPointF(28, 28));
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(QRectF(3, 3, 16, 16));
    p.setPen(QPen(Qt::black, 3));
    p.drawLine(QPointF(17, 17), QPointF(28, 28));
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(7, 11), QPointF(15, 11));
    p.drawLine(QPointF(11, 7), QPointF(11, 15));
    p.end();
    return QCursor(pm, 11, 11);
}

QToolButton* toolButton(QWidget* parent, const char* name, const QString& text, const QString& hint,
                        bool checkable = false)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setCheckable(checkable);
    b->setAutoRaise(true);
    return b;
}

} // namespace

// ---------------------------------------------------------------------------------------------

PreviewPageArea::PreviewPageArea(TPreviewForm* form, int slot, QWidget* parent)
    : QWidget(parent), form_(form), slot_(slot)
{
    setObjectName(slot == 0 ? QStringLiteral("PB1") : QStringLiteral("PB2"));
}

void PreviewPageArea::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    form_->PBPaint(slot_, p, size());
}

void PreviewPageArea::mousePressEvent(QMouseEvent* event)
{
    if (slot_ == 0)
        form_->PB1MouseDown(event->button(), event->position().toPoint());
}

void PreviewPageArea::mouseMoveEvent(QMouseEvent* event)
{
    if (slot_ == 0)
        form_->PB1MouseMove(event->position().toPoint());
}

void PreviewPageArea::mouseReleaseEvent(QMouseEvent*)
{
    if (slot_ == 0)
        form_->PB1MouseUp();
}

// ---------------------------------------------------------------------------------------------

TPreviewForm::TPreviewForm(QWidget* owner, PrintSource& viewer, QPrinter& printer, const QString& settingsFile,
                           bool* cancelled)
    : QDialog(owner), viewer_(viewer), printer_(printer), settingsFile_(settingsFile)
{
    buildWindow();
    // Creation: fit the page, inches; the zoom cursor on both pages, neither tool chosen yet.
    {
        const QSignalBlocker b1(ZoomBox);
        const QSignalBlocker b2(UnitsBox);
        ZoomBox->setCurrentIndex(ZoomFitPage);
        UnitsBox->setCurrentIndex(0);
    }
    zoomCursor_ = makeZoomCursor();
    handCursor_ = QCursor(Qt::OpenHandCursor);
    PB1->setCursor(zoomCursor_);
    PB2->setCursor(zoomCursor_);

    PreviewSettings settings;
    if (!settingsFile_.isEmpty())
        settings.load(settingsFile_);
    viewer_.setPrintMargins(PrintMargins{settings.PrintMarginLeft, settings.PrintMarginRight, settings.PrintMarginTop,
                                         settings.PrintMarginBottom});
    printer_.setPageOrientation(settings.SeiteOrientation == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);

    bool stopped = false;
    TPrnStatusForm status(this);
    status.DoPreview(viewer_, printer_, recorder_, stopped);
    if (cancelled)
        *cancelled = stopped;
}

TPreviewForm::~TPreviewForm()
{
    restoreApplicationHooks();
}

void TPreviewForm::restoreApplicationHooks()
{
    qApp->removeEventFilter(this);
    if (hintHandlerSet_) {
        SetApplicationHintHandler(std::move(previousHintHandler_));
        hintHandlerSet_ = false;
    }
}

void TPreviewForm::buildWindow()
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Vorschau"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setFont(QFont(QStringLiteral("Tahoma")));
    setWindowState(Qt::WindowMaximized);
    resize(900, 700);

    auto* top = new QHBoxLayout;
    GridBut = toolButton(this, "GridBut", QStringLiteral("Gitter"), QStringLiteral("Gitter ein/aus"), true);
    ZoomCursorBut = toolButton(this, "ZoomCursorBut", QStringLiteral("Zoom"), QStringLiteral("Zoom-Tool ein/aus"), true);
    HandCursorBut = toolButton(this, "HandCursorBut", QStringLiteral("Hand"), QStringLiteral("Verschieben ein/aus"), true);
    auto* tools = new QButtonGroup(this);
    tools->addButton(ZoomCursorBut);
    tools->addButton(HandCursorBut);
    OnePageBut = toolButton(this, "OnePageBut", QStringLiteral("&1"), QStringLiteral("Eine Seite anzeigen"), true);
    TwoPageBut = toolButton(this, "TwoPageBut", QStringLiteral("&2"),
                            QStringLiteral("Zwei Seiten nebeneinander anzeigen"), true);
    auto* pages = new QButtonGroup(this);
    pages->addButton(OnePageBut);
    pages->addButton(TwoPageBut);
    OnePageBut->setChecked(true);
    FitPageBut = toolButton(this, "FitPageBut", QStringLiteral("Seite"), QStringLiteral("An Seite anpassen"), true);
    FitWidthBut = toolButton(this, "FitWidthBut", QStringLiteral("Breite"), QStringLiteral("An Breite anpassen"), true);
    ZoomBox = new QComboBox(this);
    ZoomBox->setObjectName(QStringLiteral("ZoomBox"));
    ZoomBox->addItems({QStringLiteral("An Seite anpassen"), QStringLiteral("An Breite anpassen"),
                       QStringLiteral("Individuell"), QStringLiteral("25%"), QStringLiteral("50%"),
                       QStringLiteral("75%"), QStringLiteral("100%"), QStringLiteral("125%"), QStringLiteral("150%"),
                       QStringLiteral("200%"), QStringLiteral("300%"), QStringLiteral("400%")});
    ZoomBox->setToolTip(QStringLiteral("Zoom"));
    ZoomBox->setStatusTip(QStringLiteral("Zoom"));
    UnitsBox = new QComboBox(this);
    UnitsBox->setObjectName(QStringLiteral("UnitsBox"));
    UnitsBox->addItems({QStringLiteral("Zoll"), QStringLiteral("cm")});
    UnitsBox->setToolTip(QStringLiteral("Einheit"));
    UnitsBox->setStatusTip(QStringLiteral("Einheit"));
    PrintBut = new QPushButton(QStringLiteral("&Drucken"), this);
    PrintBut->setObjectName(QStringLiteral("PrintBut"));
    btnSeiteEinrichten = new QPushButton(QStringLiteral("Seite einrichten"), this);
    btnSeiteEinrichten->setObjectName(QStringLiteral("btnSeiteEinrichten"));
    btnSeiteEinrichten->setToolTip(QStringLiteral("Seitenrändern, Seitenausrichtung usw. einstellen"));
    btnSeiteEinrichten->setStatusTip(btnSeiteEinrichten->toolTip());
    PrevPageBut = toolButton(this, "PrevPageBut", QString(), QStringLiteral("Vorherige Seite"));
    PrevPageBut->setArrowType(Qt::LeftArrow);
    NextPageBut = toolButton(this, "NextPageBut", QString(), QStringLiteral("Nächste Seite"));
    NextPageBut->setArrowType(Qt::RightArrow);
    CloseBut = new QPushButton(QStringLiteral("Schli&eßen"), this);
    CloseBut->setObjectName(QStringLiteral("CloseBut"));
    for (QWidget* w : std::initializer_list<QWidget*>{GridBut, ZoomCursorBut, HandCursorBut, OnePageBut, TwoPageBut,
                                                      FitPageBut, FitWidthBut, ZoomBox, UnitsBox, PrintBut,
                                                      btnSeiteEinrichten, PrevPageBut, NextPageBut})
        top->addWidget(w);
    top->addStretch(1);
    top->addWidget(CloseBut);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    ContainPanel = new QWidget;
    ContainPanel->setObjectName(QStringLiteral("ContainPanel"));
    ContainPanel->setAutoFillBackground(true);
    ContainPanel->setFocusPolicy(Qt::StrongFocus);
    QPalette shadow = ContainPanel->palette();
    shadow.setColor(QPalette::Window, shadow.color(QPalette::Dark));
    ContainPanel->setPalette(shadow);
    auto makePagePanel = [this](const char* name, int slot, PreviewPageArea** area) {
        auto* panel = new QWidget(ContainPanel);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setAutoFillBackground(true);
        QPalette white = panel->palette();
        white.setColor(QPalette::Window, Qt::white);
        panel->setPalette(white);
        auto* l = new QVBoxLayout(panel);
        l->setContentsMargins(0, 0, 0, 0);
        *area = new PreviewPageArea(this, slot, panel);
        l->addWidget(*area);
        return panel;
    };
    PagePanel = makePagePanel("PagePanel", 0, &PB1);
    PagePanel2 = makePagePanel("PagePanel2", 1, &PB2);
    PagePanel2->hide();
    ScrollBox1->setWidget(ContainPanel);
    ScrollBox1->viewport()->installEventFilter(this);

    auto* status = new QHBoxLayout;
    CurPageLabel = new QLabel(this);
    CurPageLabel->setObjectName(QStringLiteral("CurPageLabel"));
    CurPageLabel->setToolTip(QStringLiteral("Aktuelle Seitennummer"));
    CurPageLabel->setStatusTip(CurPageLabel->toolTip());
    CurPageLabel->setFrameShape(QFrame::Panel);
    CurPageLabel->setFrameShadow(QFrame::Sunken);
    CurPageLabel->setMinimumWidth(130);
    ZoomLabel = new QLabel(this);
    ZoomLabel->setObjectName(QStringLiteral("ZoomLabel"));
    ZoomLabel->setToolTip(QStringLiteral("Zoom Level (100% = normal)"));
    ZoomLabel->setStatusTip(ZoomLabel->toolTip());
    ZoomLabel->setFrameShape(QFrame::Panel);
    ZoomLabel->setFrameShadow(QFrame::Sunken);
    ZoomLabel->setMinimumWidth(60);
    FirstPageSpeed = toolButton(this, "FirstPageSpeed", QStringLiteral("|<"), QStringLiteral("Zur ersten Seite"));
    PrevPageSpeed = toolButton(this, "PrevPageSpeed", QStringLiteral("<"), QStringLiteral("Zur vorherigen Seite"));
    NextPageSpeed = toolButton(this, "NextPageSpeed", QStringLiteral(">"), QStringLiteral("Zur nächsten Seite"));
    LastPageSpeed = toolButton(this, "LastPageSpeed", QStringLiteral(">|"), QStringLiteral("Zur letzten Seite"));
    PageNumSpeed = toolButton(this, "PageNumSpeed", QStringLiteral("#"), QStringLiteral("Zu Seite N gehen"));
    HintLabel = new QLabel(this);
    HintLabel->setObjectName(QStringLiteral("HintLabel"));
    for (QWidget* w : std::initializer_list<QWidget*>{CurPageLabel, ZoomLabel, FirstPageSpeed, PrevPageSpeed,
                                                      NextPageSpeed, LastPageSpeed, PageNumSpeed})
        status->addWidget(w);
    status->addWidget(HintLabel, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(ScrollBox1, 1);
    layout->addLayout(status);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto addItem = [this](const QString& text, const QKeySequence& key, void (TPreviewForm::*slot)()) {
        QAction* a = PopupMenu1->addAction(text);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    addItem(QStringLiteral("Seite einrichten"), QKeySequence(Qt::CTRL | Qt::Key_R), &TPreviewForm::btnSeiteEinrichtenClick);
    addItem(QStringLiteral("Alles markieren"), QKeySequence(Qt::CTRL | Qt::Key_A), &TPreviewForm::popAllesMarkierenClick);
    addItem(QStringLiteral("Kopieren"), QKeySequence(Qt::CTRL | Qt::Key_C), &TPreviewForm::popKopierenClick);
    PopupMenu1->addSeparator();
    addItem(QStringLiteral("Erste Seite"), QKeySequence(Qt::CTRL | Qt::Key_E), &TPreviewForm::FirstPageSpeedClick);
    addItem(QStringLiteral("Vorherige Seite"), QKeySequence(Qt::CTRL | Qt::Key_V), &TPreviewForm::PrevPageButClick);
    addItem(QStringLiteral("Nächste Seite"), QKeySequence(Qt::CTRL | Qt::Key_N), &TPreviewForm::NextPageButClick);
    addItem(QStringLiteral("Letzte Seite"), QKeySequence(Qt::CTRL | Qt::Key_L), &TPreviewForm::LastPageSpeedClick);
    connect(ScrollBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(ScrollBox1->mapToGlobal(pos)); });

    connect(ZoomBox, &QComboBox::activated, this, &TPreviewForm::ZoomBoxChange);
    connect(UnitsBox, &QComboBox::currentIndexChanged, this, &TPreviewForm::UnitsBoxChange);
    connect(GridBut, &QToolButton::clicked, this, &TPreviewForm::GridButClick);
    connect(ZoomCursorBut, &QToolButton::clicked, this, &TPreviewForm::ZoomCursorButClick);
    connect(HandCursorBut, &QToolButton::clicked, this, &TPreviewForm::HandCursorButClick);
    connect(OnePageBut, &QToolButton::clicked, this, &TPreviewForm::OnePageButMouseUp);
    connect(TwoPageBut, &QToolButton::clicked, this, &TPreviewForm::TwoPageButClick);
    connect(FitPageBut, &QToolButton::clicked, this, &TPreviewForm::FitPageButClick);
    connect(FitWidthBut, &QToolButton::clicked, this, &TPreviewForm::FitWidthButClick);
    connect(PrintBut, &QPushButton::clicked, this, &TPreviewForm::PrintButClick);
    connect(btnSeiteEinrichten, &QPushButton::clicked, this, &TPreviewForm::btnSeiteEinrichtenClick);
    connect(PrevPageBut, &QToolButton::clicked, this, &TPreviewForm::PrevPageButClick);
    connect(NextPageBut, &QToolButton::clicked, this, &TPreviewForm::NextPageButClick);
    connect(CloseBut, &QPushButton::clicked, this, &TPreviewForm::CloseButClick);
    connect(FirstPageSpeed, &QToolButton::clicked, this, &TPreviewForm::FirstPageSpeedClick);
    connect(PrevPageSpeed, &QToolButton::clicked, this, &TPreviewForm::PrevPageButClick);
    connect(NextPageSpeed, &QToolButton::clicked, this, &TPreviewForm::NextPageButClick);
    connect(LastPageSpeed, &QToolButton::clicked, this, &TPreviewForm::LastPageSpeedClick);
    connect(PageNumSpeed, &QToolButton::clicked, this, &TPreviewForm::PageNumSpeedClick);
}

bool TPreviewForm::twoPageView() const
{
    return TwoPageBut->isChecked();
}

int TPreviewForm::pageInSlot(int slot) const
{
    if (slot == 1 && !twoPageView())
        return -1;
    const int page = currentPage_ + slot;
    return page >= 0 && page < recorder_.pageCount() ? page : -1;
}

void TPreviewForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TPreviewForm::FormShow()
{
    UnitsBox->setCurrentIndex(1);
    GotoPage(0);
    // The hints of the controls go to the status line while the preview is open.
    previousHintHandler_ = SetApplicationHintHandler([this](const QString& hint) { HintLabel->setText(hint); });
    hintHandlerSet_ = true;
    // Keys reach the preview before its controls.
    qApp->installEventFilter(this);
    CheckEnableButtons();
    ScrollBox1Resize();
    ContainPanel->setFocus();
}

bool TPreviewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == ScrollBox1->viewport()) {
        ScrollBox1Resize();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && !PopupMenu1->isVisible()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() == Qt::NoModifier && FormKeyDown(key->key()))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TPreviewForm::FormKeyDown(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        CloseButClick();
        return true;
    case Qt::Key_PageUp:
        PrevPageButClick();
        return true;
    case Qt::Key_PageDown:
        NextPageButClick();
        return true;
    case Qt::Key_End:
        LastPageSpeedClick();
        return true;
    case Qt::Key_Home:
        FirstPageSpeedClick();
        return true;
    case Qt::Key_F12:
        PrintButClick();
        return true;
    default:
        return false;
    }
}

void TPreviewForm::GotoPage(int page)
{
    currentPage_ = page;
    CurPageLabel->setText(QStringLiteral("Seite %1 von %2").arg(page + 1).arg(recorder_.pageCount()));
    PB1->update();
    PB2->update();
}

void TPreviewForm::CheckEnableButtons()
{
    const int count = recorder_.pageCount();
    const bool forward = currentPage_ + 1 < count;
    const bool back = currentPage_ > 0;
    NextPageBut->setEnabled(forward);
    NextPageSpeed->setEnabled(forward);
    LastPageSpeed->setEnabled(forward);
    PrevPageBut->setEnabled(back);
    PrevPageSpeed->setEnabled(back);
    FirstPageSpeed->setEnabled(back);
    PageNumSpeed->setEnabled(count > 1);
}

void TPreviewForm::NextPageButClick()
{
    if (currentPage_ < recorder_.pageCount() - 1)
        GotoPage(currentPage_ + 1);
    CheckEnableButtons();
}

void TPreviewForm::PrevPageButClick()
{
    if (currentPage_ > 0)
        GotoPage(currentPage_ - 1);
    CheckEnableButtons();
}

void TPreviewForm::FirstPageSpeedClick()
{
    GotoPage(0);
    CheckEnableButtons();
}

void TPreviewForm::LastPageSpeedClick()
{
    GotoPage(qMax(0, recorder_.pageCount() - 1));
    CheckEnableButtons();
}

void TPreviewForm::PageNumSpeedClick()
{
    TDlgGoPage dlg(this);
    dlg.setPageRange(recorder_.pageCount(), currentPage_ + 1);
    if (msg().execDialog(dlg) == QDialog::Accepted) {
        GotoPage(dlg.pageNumber() - 1);
        CheckEnableButtons();
    }
}

void TPreviewForm::ScrollBox1Resize()
{
    // A change of the scroll bars resizes the area again; one nested run sees that, no more.
    if (layoutDepth_ > 1)
        return;
    ++layoutDepth_;
    if (ZoomBox->currentIndex() < 0) {
        const QSignalBlocker block(ZoomBox);
        ZoomBox->setCurrentIndex(ZoomFitPage);
    }
    const int index = ZoomBox->currentIndex();
    FitPageBut->setChecked(index == ZoomFitPage);
    FitWidthBut->setChecked(index == ZoomFitWidth);
    const int clientW = ScrollBox1->viewport()->width();
    const int clientH = ScrollBox1->viewport()->height();
    const double screenDpi = logicalDpiY();
    const QSize paper = recorder_.paperSize;
    double z = zoom_;
    if (index == ZoomFitPage)
        z = FitPageZoom(clientH, screenDpi, paper.height(), recorder_.dpiY);
    else if (index == ZoomFitWidth)
        z = FitWidthZoom(clientW, screenDpi, paper.width(), recorder_.dpiX);
    else if (index != ZoomCustom)
        z = ZoomOfEntry(index);
    // Two pages side by side only with "An Seite anpassen".
    if (index != ZoomFitPage)
        OnePageBut->setChecked(true);
    const bool two = twoPageView();
    const PreviewGeometry g =
        ComputePreviewGeometry(z, two, clientW, clientH, ScrollBox1->width(), ScrollBox1->height(), screenDpi,
                               paper.width(), paper.height(), recorder_.dpiX, recorder_.dpiY);
    ContainPanel->resize(g.containerWidth, g.containerHeight);
    PagePanel->setGeometry(g.pageLeft, g.pageTop, g.pageWidth, g.pageHeight);
    PagePanel2->setGeometry(g.page2Left, g.pageTop, g.pageWidth, g.pageHeight);
    PagePanel2->setVisible(two);
    const Qt::ScrollBarPolicy policy = g.scrollBars ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    ScrollBox1->setHorizontalScrollBarPolicy(policy);
    ScrollBox1->setVerticalScrollBarPolicy(policy);
    zoom_ = z;
    ZoomLabel->setText(QLocale().toString(z * 100, 'f', 0) + u'%');
    PB1->update();
    PB2->update();
    --layoutDepth_;
}

void TPreviewForm::ZoomBoxChange()
{
    ScrollBox1Resize();
    ScrollBox1Resize();
}

void TPreviewForm::FitPageButClick()
{
    ZoomBox->setCurrentIndex(ZoomFitPage);
    ZoomBoxChange();
}

void TPreviewForm::FitWidthButClick()
{
    ZoomBox->setCurrentIndex(ZoomFitWidth);
    ZoomBoxChange();
}

void TPreviewForm::TwoPageButClick()
{
    ZoomBox->setCurrentIndex(ZoomFitPage);
    ScrollBox1Resize();
}

void TPreviewForm::OnePageButMouseUp()
{
    ZoomBox->setCurrentIndex(ZoomFitPage);
    ScrollBox1Resize();
}

void TPreviewForm::UnitsBoxChange()
{
    if (GridBut->isChecked()) {
        PB1->update();
        PB2->update();
    }
}

void TPreviewForm::GridButClick()
{
    PB1->update();
    PB2->update();
}

void TPreviewForm::ZoomCursorButClick()
{
    PB1->setCursor(zoomCursor_);
    PB2->setCursor(zoomCursor_);
}

void TPreviewForm::HandCursorButClick()
{
    PB1->setCursor(handCursor_);
    PB2->setCursor(handCursor_);
}

void TPreviewForm::PBPaint(int slot, QPainter& p, const QSize& size)
{
    const int page = pageInSlot(slot);
    if (page < 0 || recorder_.paperSize.isEmpty())
        return;
    const QSize paper = recorder_.paperSize;
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    // Paper coordinates onto the paint area; the picture lands at its printable offset.
    p.setWindow(0, 0, paper.width(), paper.height());
    p.setViewport(0, 0, size.width(), size.height());
    p.save();
    p.translate(recorder_.printableOffset);
    p.drawPicture(0, 0, recorder_.pages[page]);
    p.restore();
    if (!GridBut->isChecked())
        return;
    const double f = UnitsBox->currentIndex() == 1 ? 2.54 : 1.0;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 0));
    for (int x : GridLinePositions(paper.width(), recorder_.dpiX, f))
        p.drawLine(x, 0, x, paper.height());
    for (int y : GridLinePositions(paper.height(), recorder_.dpiY, f))
        p.drawLine(0, y, paper.width(), y);
}

void TPreviewForm::PB1MouseDown(Qt::MouseButton button, const QPoint& pos)
{
    if (ZoomCursorBut->isChecked()) {
        const double fx = PagePanel->width() > 0 ? double(pos.x()) / PagePanel->width() : 0;
        const double fy = PagePanel->height() > 0 ? double(pos.y()) / PagePanel->height() : 0;
        if (button == Qt::LeftButton)
            zoom_ = ZoomIn(zoom_);
        else if (button == Qt::RightButton)
            zoom_ = ZoomOut(zoom_);
        {
            const QSignalBlocker block(ZoomBox);
            ZoomBox->setCurrentIndex(ZoomCustom);
        }
        ScrollBox1Resize();
        ScrollBox1->horizontalScrollBar()->setValue(int(PagePanel->width() * fx) - ScrollBox1->width() / 2);
        ScrollBox1->verticalScrollBar()->setValue(int(PagePanel->height() * fy) - ScrollBox1->height() / 2);
        return;
    }
    if (HandCursorBut->isChecked() && button == Qt::LeftButton) {
        dragging_ = true;
        dragStart_ = pos;
    }
}

void TPreviewForm::PB1MouseMove(const QPoint& pos)
{
    if (!dragging_)
        return;
    QScrollBar* h = ScrollBox1->horizontalScrollBar();
    QScrollBar* v = ScrollBox1->verticalScrollBar();
    h->setValue(h->value() + dragStart_.x() - pos.x());
    v->setValue(v->value() + dragStart_.y() - pos.y());
}

void TPreviewForm::PB1MouseUp()
{
    dragging_ = false;
}

void TPreviewForm::PrintButClick()
{
    QPrintDialog dialog(&printer_, this);
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    dialog.setMinMax(1, 9999);
    dialog.setFromTo(lastFromPage, qMax(1, lastFromPage));
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintPageRange;
#ifndef Q_OS_WIN
    // Without a printer queue the dialog's "Print to File (PDF)" is the way to paper.
    options |= QAbstractPrintDialog::PrintToFile;
#endif
    dialog.setOptions(options);
    if (msg().execDialog(dialog) != QDialog::Accepted)
        return;
    const bool range = printer_.printRange() == QPrinter::PageRange;
    const int from = range ? qMax(1, printer_.fromPage()) : 1;
    const int last = range ? printer_.toPage() : 9999;
    lastFromPage = from;
    TPrnStatusForm status(this);
    bool cancelled = false;
    status.DoPrint(viewer_, printer_, from, last, cancelled);
}

void TPreviewForm::btnSeiteEinrichtenClick()
{
    TDlgSeiteEinrichten dlg(this);
    const PrintMargins m = viewer_.printMargins();
    auto twoDecimals = [](double v) { return std::round(v * 100) / 100; };
    dlg.setMargins(PrintMargins{twoDecimals(m.left), twoDecimals(m.right), twoDecimals(m.top), twoDecimals(m.bottom)});
    dlg.setOrientation(printer_.pageLayout().orientation() == QPageLayout::Portrait ? 0 : 1);
    if (msg().execDialog(dlg) != QDialog::Accepted)
        return;
    viewer_.setPrintMargins(dlg.margins());
    printer_.setPageOrientation(dlg.orientation() == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
    done(RetryResult);
}

void TPreviewForm::popAllesMarkierenClick()
{
    viewer_.selectAll();
}

void TPreviewForm::popKopierenClick()
{
    viewer_.copySelection();
}

void TPreviewForm::CloseButClick()
{
    reject();
}

void TPreviewForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TPreviewForm::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    restoreApplicationHooks();
    if (!settingsFile_.isEmpty()) {
        const PrintMargins m = viewer_.printMargins();
        PreviewSettings settings;
        settings.PrintMarginLeft = m.left;
        settings.PrintMarginRight = m.right;
        settings.PrintMarginTop = m.top;
        settings.PrintMarginBottom = m.bottom;
        settings.SeiteOrientation = printer_.pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
        settings.save(settingsFile_);
    }
}

#include "moc_previewform.cpp"
