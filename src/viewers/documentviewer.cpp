// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewers/documentviewer.h"

#include "app/appcontext.h"
#include "util/messages.h"

#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStringDecoder>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

QPointer<TDlgDokView>& theViewer()
{
    static QPointer<TDlgDokView> v;
    return v;
}

// Plain text larger than this is shown cut off.
constexpr qint64 kMaxTextBytes = 16 * 1024 * 1024;

QString decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    // The ERP's files are mostly Windows-1252; Latin-1 keeps its umlauts.
    return QString::fromLatin1(bytes);
}

// Draws an image into the printable area of the current page, keeping its aspect ratio.
void drawFitted(QPainter& painter, const QImage& image)
{
    const QRect area = painter.viewport();
    QSize size = image.size();
    size.scale(area.size(), Qt::KeepAspectRatio);
    painter.setViewport(area.x(), area.y(), size.width(), size.height());
    painter.setWindow(image.rect());
    painter.drawImage(0, 0, image);
    painter.setViewport(area);
    painter.setWindow(area);
}

} // namespace

TDlgDokView::TDlgDokView(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgDokView"));
    setWindowTitle(QStringLiteral("Dokumente"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFont(QFont(QStringLiteral("Arial"), 9));
    resize(993, 707);

    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("panTop"));
    top->setFixedHeight(33);
    top->setStyleSheet(QStringLiteral("QFrame#panTop { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, "
                                      "stop:0 cyan, stop:1 silver); }"));
    btnSeiteDrucken = new QPushButton(QStringLiteral("&Drucken"), top);
    btnSeiteDrucken->setObjectName(QStringLiteral("btnSeiteDrucken"));
    btnSeiteDrucken->setToolTip(QStringLiteral("Aktuelle Seite drucken"));
    btnSeiteDrucken->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    btnSeiteDrucken->setAutoDefault(false);
    OKBtn = new QPushButton(top);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setToolTip(QStringLiteral("Fenster schließen"));
    OKBtn->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    OKBtn->setAutoDefault(false);
    editDateiname = new QLineEdit(top);
    editDateiname->setObjectName(QStringLiteral("editDateiname"));
    editDateiname->setReadOnly(true);
    auto* strip = new QHBoxLayout(top);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->addWidget(btnSeiteDrucken);
    strip->addWidget(OKBtn);
    strip->addWidget(editDateiname, 1);

    WebBrowser1 = new QStackedWidget(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));

    emptyPage_ = new QWidget(WebBrowser1);
    WebBrowser1->addWidget(emptyPage_);

    pdf_ = new QPdfDocument(this);
    pdfView_ = new QPdfView(WebBrowser1);
    pdfView_->setObjectName(QStringLiteral("pdfView"));
    pdfView_->setPageMode(QPdfView::PageMode::MultiPage);
    pdfView_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    pdfView_->setDocument(pdf_);
    WebBrowser1->addWidget(pdfView_);

    imageArea_ = new QScrollArea(WebBrowser1);
    imageArea_->setObjectName(QStringLiteral("imageView"));
    imageArea_->setAlignment(Qt::AlignCenter);
    imageLabel_ = new QLabel;
    imageLabel_->setAlignment(Qt::AlignCenter);
    imageArea_->setWidget(imageLabel_);
    WebBrowser1->addWidget(imageArea_);

    textView_ = new QPlainTextEdit(WebBrowser1);
    textView_->setObjectName(QStringLiteral("textView"));
    textView_->setReadOnly(true);
    textView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    WebBrowser1->addWidget(textView_);

    infoPage_ = new QWidget(WebBrowser1);
    infoPage_->setObjectName(QStringLiteral("infoPage"));
    labInfo_ = new QLabel(infoPage_);
    labInfo_->setObjectName(QStringLiteral("labInfo"));
    labInfo_->setAlignment(Qt::AlignCenter);
    labInfo_->setWordWrap(true);
    labInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    btnExternOeffnen_ = new QPushButton(QStringLiteral("Mit zugeordnetem Programm öffnen"), infoPage_);
    btnExternOeffnen_->setObjectName(QStringLiteral("btnExternOeffnen"));
    btnExternOeffnen_->setAutoDefault(false);
    auto* info = new QVBoxLayout(infoPage_);
    info->addStretch();
    info->addWidget(labInfo_);
    info->addWidget(btnExternOeffnen_, 0, Qt::AlignHCenter);
    info->addStretch();
    WebBrowser1->addWidget(infoPage_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(WebBrowser1, 1);

    connect(editDateiname, &QLineEdit::textChanged, this, &TDlgDokView::editDateinameChange);
    connect(btnSeiteDrucken, &QPushButton::clicked, this, &TDlgDokView::btnSeiteDruckenClick);
    connect(OKBtn, &QPushButton::clicked, this, &TDlgDokView::OKBtnClick);
    connect(btnExternOeffnen_, &QPushButton::clicked, this, &TDlgDokView::btnExternOeffnenClick);
}

TDlgDokView::~TDlgDokView() = default;

TDlgDokView* TDlgDokView::instance()
{
    return theViewer();
}

TDlgDokView* TDlgDokView::showFile(AppContext& ctx, const QString& fullPath)
{
    if (!theViewer())
        theViewer() = new TDlgDokView(ctx.mainWindow);
    TDlgDokView* v = theViewer();
    // The same path again is no change: nothing is reloaded, the window only shows again.
    if (v->editDateiname->text() != fullPath)
        v->editDateiname->setText(fullPath);
    v->show();
    v->raise();
    v->activateWindow();
    return v;
}

void TDlgDokView::install(AppContext& ctx)
{
    AppContext* c = &ctx;
    ctx.viewDocument = [c](const QString& fullPath) { showFile(*c, fullPath); };
}

void TDlgDokView::editDateinameChange(const QString& text)
{
    setWindowTitle(text);
    loadFile(text);
}

void TDlgDokView::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TDlgDokView::FormShow()
{
    WebBrowser1->currentWidget()->setFocus();
}

void TDlgDokView::OKBtnClick()
{
    close();
}

void TDlgDokView::btnExternOeffnenClick()
{
    const QString path = editDateiname->text();
    if (!path.isEmpty())
        msg().openUrl(QUrl::fromLocalFile(path));
}

bool TDlgDokView::hasDocument() const
{
    switch (content_) {
    case Content::Pdf:
    case Content::Image:
    case Content::Text:
        return true;
    case Content::Html:
        return htmlReady_;
    default:
        return false;
    }
}

QString TDlgDokView::infoText() const
{
    return WebBrowser1->currentWidget() == infoPage_ ? labInfo_->text() : QString();
}

QString TDlgDokView::plainText() const
{
    return content_ == Content::Text ? textView_->toPlainText() : QString();
}

void TDlgDokView::showInfo(Content kind, const QString& text, bool offerOpen)
{
    content_ = kind;
    labInfo_->setText(text);
    btnExternOeffnen_->setVisible(offerOpen);
    WebBrowser1->setCurrentWidget(infoPage_);
}

void TDlgDokView::ensureWebView()
{
    if (web_)
        return;
    web_ = new QWebEngineView(WebBrowser1);
    web_->setObjectName(QStringLiteral("webView"));
    // PDF files embedded in a page need the plug-in of the web view.
    web_->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    web_->settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    WebBrowser1->addWidget(web_);
    connect(web_, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (content_ != Content::Html)
            return;
        htmlReady_ = ok;
        emit htmlLoaded(ok);
    });
    connect(web_, &QWebEngineView::printFinished, this, [this](bool ok) { emit printed(ok); });
}

void TDlgDokView::loadFile(const QString& path)
{
    ++loadCount_;
    content_ = Content::None;
    htmlReady_ = false;
    pdf_->close();
    image_ = QImage();
    imageLabel_->clear();
    textView_->clear();

    if (path.isEmpty()) {
        WebBrowser1->setCurrentWidget(emptyPage_);
        return;
    }
    const QFileInfo fi(path);
    if (!fi.isFile()) {
        showInfo(Content::Missing, QStringLiteral("Die Datei\n%1\nwurde nicht gefunden.").arg(path), false);
        return;
    }

    const QMimeType mime = QMimeDatabase().mimeTypeForFile(fi);
    if (mime.inherits(QStringLiteral("application/pdf"))) {
        if (pdf_->load(path) == QPdfDocument::Error::None && pdf_->pageCount() > 0) {
            content_ = Content::Pdf;
            WebBrowser1->setCurrentWidget(pdfView_);
            return;
        }
        pdf_->close();
        showInfo(Content::Unsupported,
                 QStringLiteral("Die PDF-Datei\n%1\nkann nicht gelesen werden.").arg(path), true);
        return;
    }
    if (mime.name().startsWith(QStringLiteral("image/")) && mime.name() != QStringLiteral("image/svg+xml")) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        image_ = reader.read();
        if (!image_.isNull()) {
            content_ = Content::Image;
            imageLabel_->setPixmap(QPixmap::fromImage(image_));
            imageLabel_->resize(image_.size());
            WebBrowser1->setCurrentWidget(imageArea_);
            return;
        }
    }
    if (mime.inherits(QStringLiteral("text/html")) ||
        mime.inherits(QStringLiteral("application/xhtml+xml")) ||
        mime.name() == QStringLiteral("image/svg+xml")) {
        ensureWebView();
        content_ = Content::Html;
        WebBrowser1->setCurrentWidget(web_);
        web_->load(QUrl::fromLocalFile(fi.absoluteFilePath()));
        return;
    }
    if (mime.inherits(QStringLiteral("text/plain"))) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            content_ = Content::Text;
            textView_->setPlainText(decodeText(f.read(kMaxTextBytes)));
            WebBrowser1->setCurrentWidget(textView_);
            return;
        }
    }
    showInfo(Content::Unsupported,
             QStringLiteral("Die Datei\n%1\n(%2) kann hier nicht angezeigt werden.\n\n"
                            "Sie können sie mit dem zugeordneten Programm öffnen.")
                 .arg(path, mime.comment()),
             true);
}

void TDlgDokView::btnSeiteDruckenClick()
{
    if (!hasDocument())
        return;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(editDateiname->text());
    {
        QPrintDialog dialog(printer.get(), this);
        if (msg().execDialog(dialog) != QDialog::Accepted)
            return;
    }
    switch (content_) {
    case Content::Pdf:
        emit printed(printPdf(*printer));
        break;
    case Content::Image:
        emit printed(printImage(*printer));
        break;
    case Content::Text:
        textView_->print(printer.get());
        emit printed(true);
        break;
    case Content::Html: {
        // The web view prints asynchronously; the printer lives until it is done.
        QPrinter* p = printer.release();
        connect(
            web_, &QWebEngineView::printFinished, this, [p](bool) { delete p; }, Qt::SingleShotConnection);
        web_->print(p);
        break;
    }
    default:
        break;
    }
}

bool TDlgDokView::printPdf(QPrinter& printer)
{
    const int pages = pdf_->pageCount();
    int from = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    int to = printer.toPage() > 0 ? printer.toPage() - 1 : pages - 1;
    to = std::min(to, pages - 1);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    // Pages are rendered at 300 dpi and scaled onto the printer's page.
    for (int page = from; page <= to; ++page) {
        if (page > from)
            printer.newPage();
        const QSizeF points = pdf_->pagePointSize(page);
        const QSize pixels = (points * 300.0 / 72.0).toSize();
        drawFitted(painter, pdf_->render(page, pixels));
    }
    return painter.end();
}

bool TDlgDokView::printImage(QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    drawFitted(painter, image_);
    return painter.end();
}
