// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QImage>

struct AppContext;
class QLabel;
class QLineEdit;
class QPdfDocument;
class QPdfView;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QWebEngineView;

// The document viewer: a window beside the main window that shows one linked file inside the
// program. PDF files, pictures and plain text are shown directly; HTML pages in an embedded web
// view. For any other type (and for a missing file) the viewer says so in its own area and offers
// to open the file with the desktop's associated program.
//
// One viewer serves the whole run: showFile() creates it on first use (owned by the main window)
// and reuses it afterwards. Closing it hides it; its file stays loaded for the next call.
class TDlgDokView : public QDialog
{
    Q_OBJECT
public:
    enum class Content { None, Pdf, Image, Text, Html, Unsupported, Missing };

    explicit TDlgDokView(QWidget* parent = nullptr);
    ~TDlgDokView() override;

    // Puts the path into the one viewer's file name field and shows the viewer (not modal).
    static TDlgDokView* showFile(AppContext& ctx, const QString& fullPath);
    // The viewer, when one was created.
    static TDlgDokView* instance();
    // Points ctx.viewDocument at showFile.
    static void install(AppContext& ctx);

    Content content() const { return content_; }
    // True when something printable is shown.
    bool hasDocument() const;
    // How often a file was loaded (setting the field to the path it holds loads nothing).
    int loadCount() const { return loadCount_; }
    // The text shown in place of a document that cannot be displayed.
    QString infoText() const;
    QPdfDocument* pdfDocument() const { return pdf_; }
    QWebEngineView* webView() const { return web_; }
    const QImage& image() const { return image_; }
    QString plainText() const;

    QPushButton* btnSeiteDrucken;
    QPushButton* OKBtn;
    QLineEdit* editDateiname;
    QStackedWidget* WebBrowser1;

public slots:
    void editDateinameChange(const QString& text);
    void FormShow();
    void btnSeiteDruckenClick();
    void OKBtnClick();
    // Opens the shown file with the desktop's associated program.
    void btnExternOeffnenClick();

signals:
    // An HTML page finished loading (ok: it could be shown).
    void htmlLoaded(bool ok);
    // A print job ended (HTML pages print asynchronously).
    void printed(bool ok);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void loadFile(const QString& path);
    void showInfo(Content kind, const QString& text, bool offerOpen);
    void ensureWebView();
    bool printPdf(QPrinter& printer);
    bool printImage(QPrinter& printer);

    Content content_ = Content::None;
    int loadCount_ = 0;
    bool htmlReady_ = false;
    QImage image_;

    QPdfDocument* pdf_;
    QPdfView* pdfView_;
    QScrollArea* imageArea_;
    QLabel* imageLabel_;
    QPlainTextEdit* textView_;
    QWebEngineView* web_ = nullptr;
    QWidget* infoPage_;
    QLabel* labInfo_;
    QPushButton* btnExternOeffnen_;
    QWidget* emptyPage_;
};
