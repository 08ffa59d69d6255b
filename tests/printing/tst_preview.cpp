// SPDX-License-Identifier: GPL-3.0-or-later
// The print preview, its dialogs and printing to a PDF file, over the report viewer.
#include "app/config.h"
#include "printing/previewform.h"
#include "printing/previewlayout.h"
#include "printing/printdialogs.h"
#include "report/htmlwriter.h"
#include "report/reportviewer.h"
#include "scriptedmessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// A report page with n link rows.
QString reportPage(int rows)
{
    PageBuffer b;
    HtmlBeginPage(b);
    b << QStringLiteral("<h3>Ungültige Verknüpfungen</h3>") << QStringLiteral("<p>Stand: heute</p>")
      << QStringLiteral("<table align=\"left\" border=\"0\" width=\"100%\">")
      << QStringLiteral("<tr> <td width=\"100%\" align=\"left\">")
      << QStringLiteral("<table align=\"left\" width=100% border=\"1\">") << QStringLiteral("<tr>");
    for (const char* h : {"ArtNr.", "Typ", "Bezeichnung", "Datei-Pfad", "Datei-Name", "Aktion"})
        HtmlCell(b, QString::fromLatin1(h), QStringLiteral("left"), QStringLiteral("15%"), QStringLiteral("cell"),
                 QStringLiteral("center"), 0, QString(), 0);
    b << QStringLiteral("</tr>");
    for (int i = 0; i < rows; ++i) {
        b << QStringLiteral("<tr>");
        for (int c = 0; c < 5; ++c)
            HtmlCell(b, QStringLiteral("Wert %1/%2&nbsp;").arg(i).arg(c), QStringLiteral("left"), QString(), QString(),
                     QStringLiteral("top"), 0, QString(), 0);
        HtmlCell(b, QStringLiteral("<a href=\"#VerknNeu(A%1/1)\">Neu verkn. | </a>").arg(i), QStringLiteral("left"),
                 QString(), QStringLiteral("kleinnormal"), QStringLiteral("top"), 0, QString(), 0);
        b << QStringLiteral("</tr>");
    }
    b << QStringLiteral("</table>") << QStringLiteral("</td> </tr>") << QStringLiteral("</table>");
    HtmlEndPage(b);
    return b.join(QStringLiteral("\r\n"));
}

int pdfPageCount(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = f.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(data).count(page));
}

template<typename T>
T* child(QWidget* w, const char* name)
{
    return w->findChild<T*>(QString::fromLatin1(name));
}

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString settingsFile() const { return dir.filePath(QStringLiteral("TEST.CFG")); }

    std::unique_ptr<QPrinter> a4Printer()
    {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setPageSize(QPageSize(QPageSize::A4));
        p->setPageOrientation(QPageLayout::Portrait);
        return p;
    }

private slots:
    void zoomArithmetic();
    void geometry();
    void gridLines();
    void statusFormProgressAndCancel();
    void pageSetupSampleSheet();
    void goToPageBounds_data();
    void goToPageBounds();

    void laysOutOnceAndNavigates();
    void onePageDocument();
    void zoomChoices();
    void zoomTool();
    void pageSetupClosesWithRetry();
    void printsPageRangeToPdf();
    void printsThroughTheRealDialog();
};

void TestPreview::zoomArithmetic()
{
    // A4 at 1200 dpi on a 96 dpi screen: 700 pixels high fit 680 / 96 / (14033 / 1200) of real size.
    QCOMPARE(FitPageZoom(700, 96, 14033, 1200), 680.0 / 96 / (14033.0 / 1200));
    QCOMPARE(FitWidthZoom(1000, 96, 9917, 1200), 980.0 / 96 / (9917.0 / 1200));
    QCOMPARE(ZoomOfEntry(3), 0.25);
    QCOMPARE(ZoomOfEntry(9), 2.0);
    QCOMPARE(ZoomOfEntry(11), 4.0);
    QCOMPARE(ZoomOfEntry(2), 1.0);
    QCOMPARE(ZoomOfEntry(12), 1.0);
    QCOMPARE(ZoomIn(2.0), 3.0);
    QCOMPARE(ZoomIn(19.9), 19.9 * 1.5);
    QCOMPARE(ZoomIn(20.0), 20.0);
    QCOMPARE(ZoomOut(3.0), 2.0);
    QCOMPARE(ZoomOut(0.1), 0.1);
    QCOMPARE(ZoomOut(0.11), 0.11 / 1.5);
}

void TestPreview::geometry()
{
    // 100%, one page in a large area: centred, no scroll bars.
    PreviewGeometry g = ComputePreviewGeometry(1.0, false, 1200, 1300, 1200, 1300, 96, 9917, 14033, 1200, 1200);
    QCOMPARE(g.pageWidth, 793);  // trunc(96 * 9917 / 1200)
    QCOMPARE(g.pageHeight, 1122); // trunc(96 * 14033 / 1200)
    QCOMPARE(g.containerWidth, 1199);
    QCOMPARE(g.containerHeight, 1299);
    QCOMPARE(g.pageLeft, 1199 / 2 - 793 / 2);
    QCOMPARE(g.pageTop, 1299 / 2 - 1122 / 2);
    QVERIFY(!g.scrollBars);
    // Two pages side by side need twice the width.
    g = ComputePreviewGeometry(1.0, true, 1200, 1300, 1200, 1300, 96, 9917, 14033, 1200, 1200);
    QCOMPARE(g.containerWidth, 2 * (793 + 20));
    QCOMPARE(g.pageLeft, 10);
    QCOMPARE(g.page2Left, 10 + 793 + 20);
    QVERIFY(!g.scrollBars); // the box is wide enough for one page and its margin
    // Larger than the area: top left at 10, scroll bars.
    g = ComputePreviewGeometry(2.0, false, 800, 600, 800, 600, 96, 9917, 14033, 1200, 1200);
    QCOMPARE(g.pageLeft, 10);
    QCOMPARE(g.pageTop, 10);
    QCOMPARE(g.containerHeight, g.pageHeight + 20);
    QVERIFY(g.scrollBars);
}

void TestPreview::gridLines()
{
    // A4 portrait, 21 cm wide: 21 lines every centimetre, the last at the right paper edge.
    const QVector<int> cm = GridLinePositions(9917, 1200, 2.54);
    QCOMPARE(cm.size(), 21);
    QCOMPARE(cm.first(), 472);
    QVERIFY(qAbs(cm.last() - 9917) < 10);
    // 8.27 inches: 8 lines every inch.
    const QVector<int> inch = GridLinePositions(9917, 1200, 1.0);
    QCOMPARE(inch.size(), 8);
    QCOMPARE(inch.last(), 9600);
}

void TestPreview::statusFormProgressAndCancel()
{
    ReportViewer viewer;
    viewer.loadFromString(reportPage(200));
    auto printer = a4Printer();
    {
        TPrnStatusForm status;
        bool stop = false;
        status.ViewerPrintProgress(0, stop);
        QCOMPARE(status.StatusLabel->text(), QStringLiteral("Formating"));
        status.ViewerPrintProgress(3, stop);
        QCOMPARE(status.StatusLabel->text(), QStringLiteral("Page Number 3"));
        QVERIFY(!stop);
    }
    {
        // "Abbruch" before the first report stops the work there; the label keeps its text.
        TPrnStatusForm status;
        QTest::mouseClick(status.CancelButton, Qt::LeftButton);
        PageRecorder recorder;
        bool cancelled = false;
        status.DoPreview(viewer, *printer, recorder, cancelled);
        QVERIFY(cancelled);
        QCOMPARE(recorder.pageCount(), 0);
        QCOMPARE(status.StatusLabel->text(), QStringLiteral("Status"));
        QVERIFY(!status.isVisible());
    }
    {
        TPrnStatusForm status;
        PageRecorder recorder;
        bool cancelled = true;
        status.DoPreview(viewer, *printer, recorder, cancelled);
        QVERIFY(!cancelled);
        QVERIFY(recorder.pageCount() > 2);
        QCOMPARE(status.StatusLabel->text(), QStringLiteral("Page Number ") + QString::number(recorder.pageCount()));
    }
}

void TestPreview::pageSetupSampleSheet()
{
    TDlgSeiteEinrichten dlg;
    dlg.show();
    QCOMPARE(dlg.panSeitenFmtBsp->geometry(), QRect(176, 116, 100, 130));
    QRadioButton* landscape = dlg.rgrpSeiteOrientation->button(1);
    QTest::mouseClick(landscape, Qt::LeftButton, {}, QPoint(6, landscape->height() / 2));
    QCOMPARE(dlg.orientation(), 1);
    QCOMPARE(dlg.panSeitenFmtBsp->geometry(), QRect(160, 128, 130, 100));
    dlg.setMargins(PrintMargins{1.25, 0.5, 6.0, 0.0});
    QCOMPARE(dlg.seditSeiteRandLinks->value(), 1.25);
    QCOMPARE(dlg.seditSeiteRandOben->value(), 5.0); // at most 5 cm
    QCOMPARE(dlg.seditSeiteRandOben->singleStep(), 0.2);
}

void TestPreview::goToPageBounds_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("page");
    QTest::newRow("inside") << "3" << 3;
    QTest::newRow("zero") << "0" << 1;
    QTest::newRow("above the last") << "99" << 7;
    QTest::newRow("empty") << "" << 1;
}

void TestPreview::goToPageBounds()
{
    QFETCH(QString, typed);
    TDlgGoPage dlg;
    dlg.setPageRange(7, 5);
    dlg.show();
    QCOMPARE(dlg.PageNum->value(), 5);
    QLineEdit* edit = dlg.PageNum->findChild<QLineEdit*>();
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QTEST(dlg.pageNumber(), "page");
}

void TestPreview::laysOutOnceAndNavigates()
{
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.loadFromString(reportPage(120));
    auto printer = a4Printer();
    bool cancelled = true;
    TPreviewForm preview(nullptr, viewer, *printer, settingsFile(), &cancelled);
    QVERIFY(!cancelled);
    const int pages = preview.pageCount();
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
    QCOMPARE(preview.recorder().paperSize, printer->paperRect(QPrinter::DevicePixel).size().toSize());
    QCOMPARE(preview.recorder().dpiX, printer->resolution());
    for (const QPicture& p : preview.recorder().pages)
        QVERIFY(!p.boundingRect().isEmpty());

    preview.show();
    const QString of = QStringLiteral(" von ") + QString::number(pages);
    QCOMPARE(preview.CurPageLabel->text(), QStringLiteral("Seite 1") + of);
    QCOMPARE(preview.UnitsBox->currentText(), QStringLiteral("cm"));
    QVERIFY(!preview.PrevPageBut->isEnabled());
    QVERIFY(!preview.FirstPageSpeed->isEnabled());
    QVERIFY(preview.NextPageBut->isEnabled());
    QVERIFY(preview.PageNumSpeed->isEnabled());

    QTest::mouseClick(preview.NextPageBut, Qt::LeftButton);
    QCOMPARE(preview.CurPageLabel->text(), QStringLiteral("Seite 2") + of);
    QVERIFY(preview.PrevPageSpeed->isEnabled());
    // Keys reach the preview whatever control has the focus.
    QTest::keyClick(preview.ZoomBox, Qt::Key_End);
    QCOMPARE(preview.currentPage(), pages - 1);
    QVERIFY(!preview.NextPageBut->isEnabled());
    QVERIFY(!preview.LastPageSpeed->isEnabled());
    QTest::keyClick(preview.ContainPanel, Qt::Key_PageDown); // nothing beyond the last page
    QCOMPARE(preview.currentPage(), pages - 1);
    QTest::keyClick(preview.ContainPanel, Qt::Key_PageUp);
    QCOMPARE(preview.currentPage(), pages - 2);
    QTest::keyClick(preview.ContainPanel, Qt::Key_Home);
    QCOMPARE(preview.currentPage(), 0);

    // Two pages: the second panel shows the next page; next still moves by one.
    QTest::mouseClick(preview.TwoPageBut, Qt::LeftButton);
    QVERIFY(preview.twoPageView());
    QVERIFY(preview.PagePanel2->isVisible());
    QCOMPARE(preview.pageInSlot(1), 1);
    QTest::mouseClick(preview.NextPageBut, Qt::LeftButton);
    QCOMPARE(preview.pageInSlot(0), 1);
    QCOMPARE(preview.pageInSlot(1), 2);

    // "Zu Seite N gehen" with a number above the last page: the last page.
    messages.dialogHandlers.enqueue([](QDialog& d) {
        auto& dlg = static_cast<TDlgGoPage&>(d);
        QLineEdit* edit = dlg.PageNum->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("500"));
        QTest::keyClick(edit, Qt::Key_Return);
        return dlg.result();
    });
    QTest::mouseClick(preview.PageNumSpeed, Qt::LeftButton);
    QCOMPARE(preview.currentPage(), pages - 1);
    QCOMPARE(preview.pageInSlot(1), -1); // no page after the last

    // Esc closes.
    QTest::keyClick(preview.ContainPanel, Qt::Key_Escape);
    QCOMPARE(preview.result(), int(QDialog::Rejected));
    QVERIFY(!preview.isVisible());
}

void TestPreview::onePageDocument()
{
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.loadFromString(reportPage(2));
    auto printer = a4Printer();
    bool cancelled = true;
    TPreviewForm preview(nullptr, viewer, *printer, QString(), &cancelled);
    preview.show();
    QCOMPARE(preview.pageCount(), 1);
    QCOMPARE(preview.CurPageLabel->text(), QStringLiteral("Seite 1 von 1"));
    for (QToolButton* b : {preview.NextPageBut, preview.PrevPageBut, preview.FirstPageSpeed, preview.PrevPageSpeed,
                           preview.NextPageSpeed, preview.LastPageSpeed, preview.PageNumSpeed})
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
}

void TestPreview::zoomChoices()
{
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.loadFromString(reportPage(60));
    auto printer = a4Printer();
    bool cancelled = true;
    TPreviewForm preview(nullptr, viewer, *printer, QString(), &cancelled);
    preview.setWindowState(Qt::WindowNoState);
    preview.resize(900, 700);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    const int paperH = preview.recorder().paperSize.height();
    const int clientH = preview.ScrollBox1->viewport()->height();
    QCOMPARE(preview.zoom(), FitPageZoom(clientH, preview.logicalDpiY(), paperH, preview.recorder().dpiY));
    QVERIFY(preview.FitPageBut->isChecked());
    QCOMPARE(preview.PagePanel->height(), int(preview.logicalDpiY() * preview.zoom() * paperH / preview.recorder().dpiY));

    // Resizing in "An Seite anpassen" fits again.
    const double before = preview.zoom();
    preview.resize(900, 500);
    QTRY_VERIFY(preview.zoom() < before);

    // "200%" in two-page view: one page at 200 %.
    QTest::mouseClick(preview.TwoPageBut, Qt::LeftButton);
    QVERIFY(preview.twoPageView());
    preview.ZoomBox->setCurrentIndex(9);
    preview.ZoomBoxChange();
    QCOMPARE(preview.zoom(), 2.0);
    QVERIFY(!preview.twoPageView());
    QVERIFY(preview.OnePageBut->isChecked());
    QVERIFY(!preview.FitPageBut->isChecked());
    QCOMPARE(preview.ZoomLabel->text(), QStringLiteral("200%"));
    QCOMPARE(preview.ScrollBox1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // "An Breite anpassen".
    QTest::mouseClick(preview.FitWidthBut, Qt::LeftButton);
    QCOMPARE(preview.ZoomBox->currentIndex(), int(ZoomFitWidth));
    QVERIFY(preview.FitWidthBut->isChecked());
    // The width fits, up to the fraction cut off.
    QVERIFY(qAbs(preview.PagePanel->width() - (preview.ScrollBox1->viewport()->width() - 20)) <= 1);

    // "Individuell" keeps the zoom when the window changes.
    preview.ZoomBox->setCurrentIndex(ZoomCustom);
    preview.ZoomBoxChange();
    const double custom = preview.zoom();
    preview.resize(1000, 650);
    QTest::qWait(20);
    QCOMPARE(preview.zoom(), custom);
}

void TestPreview::zoomTool()
{
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.loadFromString(reportPage(10));
    auto printer = a4Printer();
    bool cancelled = true;
    TPreviewForm preview(nullptr, viewer, *printer, QString(), &cancelled);
    preview.show();
    // No tool chosen: a click does nothing.
    const double start = preview.zoom();
    QTest::mouseClick(preview.PB1, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(preview.zoom(), start);

    QTest::mouseClick(preview.ZoomCursorBut, Qt::LeftButton);
    QTest::mouseClick(preview.PB1, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(preview.zoom(), start * 1.5);
    QCOMPARE(preview.ZoomBox->currentIndex(), int(ZoomCustom));
    // Enlarges until 20 and no further.
    double z = preview.zoom();
    while (z < 20) {
        QTest::mouseClick(preview.PB1, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(preview.zoom(), z * 1.5);
        z = preview.zoom();
    }
    QTest::mouseClick(preview.PB1, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(preview.zoom(), z);
    // Reduces down to 0.1 and no further.
    while (z > 0.1) {
        QTest::mouseClick(preview.PB1, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(preview.zoom(), z / 1.5);
        z = preview.zoom();
    }
    QTest::mouseClick(preview.PB1, Qt::RightButton, {}, QPoint(2, 2));
    QCOMPARE(preview.zoom(), z);
    QCOMPARE(preview.ZoomBox->currentIndex(), int(ZoomCustom));
}

void TestPreview::pageSetupClosesWithRetry()
{
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.loadFromString(reportPage(10));
    auto printer = a4Printer();
    QFile::remove(settingsFile());
    PreviewSettings stored;
    stored.PrintMarginLeft = 2.5;
    stored.save(settingsFile());
    bool cancelled = true;
    TPreviewForm preview(nullptr, viewer, *printer, settingsFile(), &cancelled);
    // Margins come from the settings.
    QCOMPARE(viewer.printMargins().left, 2.5);
    QCOMPARE(viewer.printMargins().top, 0.5);
    preview.show();

    // Cancelled: nothing changes, the preview stays.
    messages.dialogHandlers.enqueue([](QDialog&) { return int(QDialog::Rejected); });
    QTest::mouseClick(preview.btnSeiteEinrichten, Qt::LeftButton);
    QVERIFY(preview.isVisible());
    QCOMPARE(printer->pageLayout().orientation(), QPageLayout::Portrait);

    // Confirmed (through the context menu's short-cut): new margins and landscape, the preview
    // closes with "retry" and stores them.
    preview.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&preview));
    messages.dialogHandlers.enqueue([](QDialog& d) {
        auto& dlg = static_cast<TDlgSeiteEinrichten&>(d);
        [&] {
            QCOMPARE(dlg.seditSeiteRandLinks->value(), 2.5);
            QCOMPARE(dlg.orientation(), 0);
        }();
        dlg.seditSeiteRandLinks->setValue(3.2);
        QRadioButton* landscape = dlg.rgrpSeiteOrientation->button(1);
        QTest::mouseClick(landscape, Qt::LeftButton, {}, QPoint(6, landscape->height() / 2));
        QTest::mouseClick(dlg.btnSeitenFmtOK, Qt::LeftButton);
        return dlg.result();
    });
    QTest::keyClick(preview.ContainPanel, Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(preview.result(), TPreviewForm::RetryResult);
    QVERIFY(!preview.isVisible());
    QCOMPARE(viewer.printMargins().left, 3.2);
    QCOMPARE(printer->pageLayout().orientation(), QPageLayout::Landscape);
    PreviewSettings saved;
    saved.load(settingsFile());
    QCOMPARE(saved.PrintMarginLeft, 3.2);
    QCOMPARE(saved.PrintMarginTop, 0.5);
    QCOMPARE(saved.SeiteOrientation, 1);

    // A new preview lays out for landscape paper.
    TPreviewForm again(nullptr, viewer, *printer, settingsFile(), &cancelled);
    QVERIFY(again.recorder().paperSize.width() > again.recorder().paperSize.height());
}

void TestPreview::printsPageRangeToPdf()
{
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.loadFromString(reportPage(250));
    auto printer = a4Printer();
    bool cancelled = true;
    TPreviewForm preview(nullptr, viewer, *printer, QString(), &cancelled);
    preview.show();
    const int pages = preview.pageCount();
    QVERIFY(pages >= 4);

    const QString all = dir.filePath(QStringLiteral("alle.pdf"));
    messages.dialogHandlers.enqueue([&](QDialog& d) {
        auto& dlg = static_cast<QPrintDialog&>(d);
        [&] {
            QCOMPARE(dlg.minPage(), 1);
            QCOMPARE(dlg.maxPage(), 9999);
            QVERIFY(dlg.testOption(QAbstractPrintDialog::PrintPageRange));
            QVERIFY(dlg.testOption(QAbstractPrintDialog::PrintToFile));
        }();
        dlg.printer()->setOutputFileName(all);
        dlg.printer()->setPrintRange(QPrinter::AllPages);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(preview.PrintBut, Qt::LeftButton);
    QCOMPARE(pdfPageCount(all), pages);

    // Pages 2 to 3, started with F12.
    const QString range = dir.filePath(QStringLiteral("bereich.pdf"));
    messages.dialogHandlers.enqueue([&](QDialog& d) {
        auto& dlg = static_cast<QPrintDialog&>(d);
        dlg.printer()->setOutputFileName(range);
        dlg.printer()->setPrintRange(QPrinter::PageRange);
        dlg.printer()->setFromTo(2, 3);
        return int(QDialog::Accepted);
    });
    QTest::keyClick(preview.ContainPanel, Qt::Key_F12);
    QCOMPARE(pdfPageCount(range), 2);

    // The next dialog offers the last from-page.
    messages.dialogHandlers.enqueue([](QDialog& d) {
        [&] { QCOMPARE(static_cast<QPrintDialog&>(d).fromPage(), 2); }();
        return int(QDialog::Rejected);
    });
    QTest::mouseClick(preview.PrintBut, Qt::LeftButton);
    QVERIFY(messages.dialogHandlers.isEmpty());
}

void TestPreview::printsThroughTheRealDialog()
{
    // The print dialog's own "Print to File (PDF)" entry and page range, confirmed with OK.
    ScriptedMessages messages;
    ReportViewer viewer;
    viewer.loadFromString(reportPage(150));
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPageSize(QPageSize(QPageSize::A4));
    bool cancelled = true;
    TPreviewForm preview(nullptr, viewer, *printer, QString(), &cancelled);
    preview.show();
    const QString pdf = dir.filePath(QStringLiteral("dialog.pdf"));
    bool sawFileEntry = false;
    messages.dialogHandlers.enqueue([&](QDialog& d) {
        d.show();
        auto* printers = d.findChild<QComboBox*>(QStringLiteral("printers"));
        auto* fileName = d.findChild<QLineEdit*>(QStringLiteral("filename"));
        auto* pageRange = d.findChild<QRadioButton*>(QStringLiteral("printRange"));
        auto* from = d.findChild<QSpinBox*>(QStringLiteral("from"));
        auto* to = d.findChild<QSpinBox*>(QStringLiteral("to"));
        if (!printers || !fileName || !pageRange || !from || !to)
            return int(QDialog::Rejected);
        for (int i = 0; i < printers->count(); ++i)
            if (printers->itemText(i).contains(QStringLiteral("PDF")))
                printers->setCurrentIndex(i), sawFileEntry = true;
        fileName->setText(pdf);
        pageRange->setChecked(true);
        to->setValue(3);
        from->setValue(2);
        static_cast<QPrintDialog&>(d).accept();
        return d.result();
    });
    QTest::mouseClick(preview.PrintBut, Qt::LeftButton);
    QVERIFY(sawFileEntry);
    QCOMPARE(printer->outputFormat(), QPrinter::PdfFormat);
    QCOMPARE(pdfPageCount(pdf), 2);
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
