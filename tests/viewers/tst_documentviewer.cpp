// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appcontext.h"
#include "scriptedmessages.h"
#include "viewers/documentviewer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

class TestDocumentViewer : public QObject
{
    Q_OBJECT
private:
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write test file");
        f.write(bytes);
        return path;
    }
    QString writePng(const QString& name, QSize size)
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::red);
        const QString path = dir_.filePath(name);
        if (!img.save(path, "PNG"))
            qFatal("cannot write png");
        return path;
    }
    QString writePdf(const QString& name, int pages)
    {
        const QString path = dir_.filePath(name);
        QPdfWriter writer(path);
        QPainter p(&writer);
        for (int i = 0; i < pages; ++i) {
            if (i > 0)
                writer.newPage();
            p.drawText(QPointF(200, 200), QStringLiteral("Seite %1").arg(i + 1));
        }
        p.end();
        return path;
    }
    // Answers the print dialog by printing into a PDF file.
    void answerPrintDialog(const QString& outFile)
    {
        msgs_->dialogHandlers.enqueue([outFile](QDialog& d) {
            auto* pd = qobject_cast<QPrintDialog*>(&d);
            if (!pd)
                return int(QDialog::Rejected);
            pd->printer()->setOutputFormat(QPrinter::PdfFormat);
            pd->printer()->setOutputFileName(outFile);
            return int(QDialog::Accepted);
        });
    }

    QTemporaryDir dir_;
    AppContext ctx_;
    std::unique_ptr<ScriptedMessages> msgs_;

private slots:
    void init() { msgs_ = std::make_unique<ScriptedMessages>(); }
    void cleanup()
    {
        delete TDlgDokView::instance();
        msgs_.reset();
    }

    void showsPictureTextAndPdfInside()
    {
        const QString png = writePng(QStringLiteral("bild.png"), QSize(40, 30));
        TDlgDokView* v = TDlgDokView::showFile(ctx_, png);
        QVERIFY(v->isVisible());
        QCOMPARE(v->windowTitle(), png);
        QCOMPARE(v->editDateiname->text(), png);
        QCOMPARE(v->content(), TDlgDokView::Content::Image);
        QCOMPARE(v->image().size(), QSize(40, 30));
        QCOMPARE(v->image().pixelColor(5, 5), QColor(Qt::red));

        const QString txt =
            writeFile(QStringLiteral("notiz.txt"), QStringLiteral("Größe: 12 mm\nZeile 2\n").toUtf8());
        QCOMPARE(TDlgDokView::showFile(ctx_, txt), v);
        QCOMPARE(v->content(), TDlgDokView::Content::Text);
        QCOMPARE(v->plainText(), QStringLiteral("Größe: 12 mm\nZeile 2\n"));

        // A Windows-1252 text keeps its umlauts.
        const QString ansi = writeFile(QStringLiteral("ansi.txt"), QByteArray("Ma\xdf und \xc4nderung"));
        TDlgDokView::showFile(ctx_, ansi);
        QCOMPARE(v->plainText(), QStringLiteral("Maß und Änderung"));

        const QString pdf = writePdf(QStringLiteral("zeichnung.pdf"), 2);
        TDlgDokView::showFile(ctx_, pdf);
        QCOMPARE(v->content(), TDlgDokView::Content::Pdf);
        QCOMPARE(v->pdfDocument()->pageCount(), 2);
        QCOMPARE(v->windowTitle(), pdf);
        QVERIFY(v->infoText().isEmpty());
    }

    void showsHtmlInWebView()
    {
        const QString html = writeFile(QStringLiteral("seite.html"),
                                       "<html><body><h1>Montageanleitung</h1><p>Schritt 1</p></body></html>");
        TDlgDokView* v = TDlgDokView::showFile(ctx_, html);
        QCOMPARE(v->content(), TDlgDokView::Content::Html);
        QSignalSpy loaded(v, &TDlgDokView::htmlLoaded);
        QVERIFY(loaded.wait(60000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QVERIFY(v->hasDocument());
        QString text;
        v->webView()->page()->toPlainText([&text](const QString& t) { text = t; });
        QTRY_VERIFY_WITH_TIMEOUT(text.contains(QStringLiteral("Montageanleitung")), 20000);

        // The web view prints asynchronously.
        const QString out = dir_.filePath(QStringLiteral("ausgabe-html.pdf"));
        answerPrintDialog(out);
        QSignalSpy printed(v, &TDlgDokView::printed);
        QTest::mouseClick(v->btnSeiteDrucken, Qt::LeftButton);
        QCOMPARE(msgs_->dialogsRun, 1);
        QVERIFY(printed.count() == 1 || printed.wait(60000));
        QCOMPARE(printed.first().first().toBool(), true);
        QPdfDocument result;
        QCOMPARE(result.load(out), QPdfDocument::Error::None);
        QCOMPARE(result.pageCount(), 1);
    }

    void otherTypesAndMissingFilesAreExplainedInTheViewer()
    {
        const QString odd =
            writeFile(QStringLiteral("angebot.xyzdoc"), QByteArray("\x00\x01\x02\x03PK\x05", 7));
        TDlgDokView* v = TDlgDokView::showFile(ctx_, odd);
        QCOMPARE(v->content(), TDlgDokView::Content::Unsupported);
        QVERIFY(v->infoText().contains(QStringLiteral("kann hier nicht angezeigt werden")));
        QVERIFY(!v->hasDocument());
        auto* open = v->findChild<QPushButton*>(QStringLiteral("btnExternOeffnen"));
        QVERIFY(open && open->isVisible());
        QTest::mouseClick(open, Qt::LeftButton);
        QCOMPARE(msgs_->openedUrls, QList<QUrl>{QUrl::fromLocalFile(odd)});
        QVERIFY(msgs_->shown.isEmpty()); // no message box of its own

        const QString missing = dir_.filePath(QStringLiteral("weg.pdf"));
        TDlgDokView::showFile(ctx_, missing);
        QCOMPARE(v->content(), TDlgDokView::Content::Missing);
        QVERIFY(v->infoText().contains(QStringLiteral("wurde nicht gefunden")));
        QVERIFY(!open->isVisible());
        QVERIFY(msgs_->shown.isEmpty());
    }

    void oneViewerIsReused()
    {
        const QString a = writePng(QStringLiteral("a.png"), QSize(10, 10));
        const QString b = writePng(QStringLiteral("b.png"), QSize(20, 10));
        QVERIFY(!TDlgDokView::instance());
        TDlgDokView::install(ctx_);
        QVERIFY(ctx_.viewDocument);
        ctx_.viewDocument(a);
        TDlgDokView* v = TDlgDokView::instance();
        QVERIFY(v);
        QCOMPARE(v->loadCount(), 1);

        // Closing hides the viewer; the same file again shows it without loading it anew.
        QTest::mouseClick(v->OKBtn, Qt::LeftButton);
        QVERIFY(!v->isVisible());
        ctx_.viewDocument(a);
        QCOMPARE(TDlgDokView::instance(), v);
        QVERIFY(v->isVisible());
        QCOMPARE(v->loadCount(), 1);

        // Another file replaces the first one and gives the caption.
        ctx_.viewDocument(b);
        QCOMPARE(TDlgDokView::instance(), v);
        QCOMPARE(v->loadCount(), 2);
        QCOMPARE(v->windowTitle(), b);
        QCOMPARE(v->image().size(), QSize(20, 10));

        // Escape hides it too.
        v->activateWindow();
        QTest::keyClick(v, Qt::Key_Escape);
        QVERIFY(!v->isVisible());
        QCOMPARE(TDlgDokView::instance(), v);
    }

    void printing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("picture") << QStringLiteral("png");
        QTest::newRow("pdf") << QStringLiteral("pdf");
        QTest::newRow("text") << QStringLiteral("txt");
    }
    void printing()
    {
        QFETCH(QString, kind);
        QString file;
        if (kind == QStringLiteral("png"))
            file = writePng(QStringLiteral("druck.png"), QSize(60, 40));
        else if (kind == QStringLiteral("pdf"))
            file = writePdf(QStringLiteral("druck.pdf"), 2);
        else
            file = writeFile(QStringLiteral("druck.txt"), "Zeile 1\nZeile 2\n");
        TDlgDokView* v = TDlgDokView::showFile(ctx_, file);
        const QString out = dir_.filePath(QStringLiteral("ausgabe-%1.pdf").arg(kind));
        answerPrintDialog(out);
        QSignalSpy printed(v, &TDlgDokView::printed);
        QTest::mouseClick(v->btnSeiteDrucken, Qt::LeftButton);
        QCOMPARE(msgs_->dialogsRun, 1);
        QCOMPARE(printed.count(), 1);
        QCOMPARE(printed.first().first().toBool(), true);
        QPdfDocument result;
        QCOMPARE(result.load(out), QPdfDocument::Error::None);
        QCOMPARE(result.pageCount(), kind == QStringLiteral("pdf") ? 2 : 1);
    }

    void printingWithoutDocumentDoesNothing()
    {
        auto* v = new TDlgDokView;
        QTest::mouseClick(v->btnSeiteDrucken, Qt::LeftButton);
        TDlgDokView::showFile(ctx_, dir_.filePath(QStringLiteral("fehlt.png")));
        QTest::mouseClick(TDlgDokView::instance()->btnSeiteDrucken, Qt::LeftButton);
        QCOMPARE(msgs_->dialogsRun, 0);
        delete v;
    }
};

QTEST_MAIN(TestDocumentViewer)
#include "tst_documentviewer.moc"
