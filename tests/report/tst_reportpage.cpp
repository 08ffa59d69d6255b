// SPDX-License-Identifier: GPL-3.0-or-later
// The report page on a temporary SQLite database and folder: refresh, page entry, the actions of
// the rows with scripted answers, the scroll position after an action, and the print preview loop.
#include "app/appcontext.h"
#include "db/query.h"
#include "printing/previewform.h"
#include "printing/printdialogs.h"
#include "report/linkscan.h"
#include "report/reportpage.h"
#include "report/reportviewer.h"
#include "scriptedmessages.h"
#include "testdb.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace {
void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}
} // namespace

class TestReportPage : public QObject
{
    Q_OBJECT

    // One page on a fresh database: fixtures live as long as the test function.
    struct Fixture
    {
        TestDatabase tdb;
        ScriptedMessages messages;
        AppContext ctx;
        Query qry1{QStringLiteral("qry1")};
        Query qryExec{QStringLiteral("qryExec")};
        std::unique_ptr<ReportPage> page;
        QString dir;

        Fixture()
        {
            dir = tdb.dir() + u'/';
            ctx.qry1 = &qry1;
            ctx.qryExec = &qryExec;
            ctx.settingsFileName = dir + QStringLiteral("TEST.CFG");
            page = std::make_unique<ReportPage>(ctx);
            page->resize(1100, 500);
            page->show();
        }
        ~Fixture() { page.reset(); }

        void link(const QString& artnr, int lfdnr, const QString& file)
        {
            tdb.exec(QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES ('%1', %2, '%3', '%4')")
                         .arg(artnr)
                         .arg(lfdnr)
                         .arg(file, dir));
        }
        int links(const QString& where)
        {
            return tdb.scalar(QStringLiteral("SELECT COUNT(*) FROM MARTBILD WHERE ") + where).toInt();
        }
        bool listed(const QString& key) const { return page->HTMLViewer1->source().contains(key); }
        // Clicks an anchor of the page as the user does.
        bool click(const QString& target)
        {
            ReportViewer* v = page->HTMLViewer1;
            QRect r = v->anchorViewportRect(target);
            if (r.isNull())
                return false;
            if (!v->viewport()->rect().contains(r.center())) {
                v->setVerticalScrollPosition(v->verticalScrollPosition() + r.center().y() - v->viewport()->height() / 2);
                r = v->anchorViewportRect(target);
            }
            QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
            return true;
        }
    };

private slots:
    void refreshAndPageEntry();
    void deleteWithNoAndYes();
    void relink();
    void undecodableAnchors();
    void scrollPositionKept();
    void failedScanKeepsPage();
    void printPreviewRetry();
};

void TestReportPage::refreshAndPageEntry()
{
    Fixture f;
    touch(f.dir + QStringLiteral("da.pdf"));
    f.link(QStringLiteral("A1"), 1, QStringLiteral("da.pdf"));
    f.link(QStringLiteral("A1"), 2, QStringLiteral("weg.pdf"));
    ReportPage& page = *f.page;
    QCOMPARE(page.pageBuffer(), QStringList{QStringLiteral("Memo für die HTML-Erzeugung")});

    // Auto-Refresh off (the default): entering the page does not scan.
    page.loadSettings();
    QVERIFY(!page.chkArtUngueltVerknAutoRefesh->isChecked());
    QVERIFY(!page.chkAutoKorrLT->isChecked());
    page.pageEntered();
    QVERIFY(page.HTMLViewer1->source().isEmpty());

    QTest::mouseClick(page.btnUngueltigeVerknRefresh, Qt::LeftButton);
    QCOMPARE(page.HTMLViewer1->source(), page.pageBuffer().join(QStringLiteral("\r\n")));
    QVERIFY(f.listed(QStringLiteral("#VerknLoe(A1/2)")));
    QVERIFY(!f.listed(QStringLiteral("#VerknLoe(A1/1)")));
    QCOMPARE(page.HTMLViewer1->verticalScrollPosition(), 0);
    QCOMPARE(f.messages.cursors.last(), Messages::Cursor::Normal);

    // Auto-Refresh on: entering the page scans.
    f.link(QStringLiteral("B2"), 1, QStringLiteral("auch-weg.pdf"));
    f.ctx.settings.chkArtUngueltVerknAutoRefesh = true;
    page.loadSettings();
    QVERIFY(page.chkArtUngueltVerknAutoRefesh->isChecked());
    page.pageEntered();
    QVERIFY(f.listed(QStringLiteral("#VerknLoe(B2/1)")));
    page.chkArtUngueltVerknAutoRefesh->setChecked(false);
    page.storeSettings();
    QVERIFY(!f.ctx.settings.chkArtUngueltVerknAutoRefesh);
}

void TestReportPage::deleteWithNoAndYes()
{
    Fixture f;
    f.link(QStringLiteral("A1"), 2, QStringLiteral("weg.pdf"));
    f.link(QStringLiteral("C3"), 1, QStringLiteral("auch-weg.pdf"));
    ReportPage& page = *f.page;
    page.chkArtUngueltVerknAutoRefesh->setChecked(true);
    page.btnUngueltigeVerknRefreshClick();
    QVERIFY(f.listed(QStringLiteral("#VerknLoe(C3/1)")));

    // No: nothing deleted; the report is scanned again all the same (C3 went meanwhile).
    QVERIFY(f.tdb.exec(QStringLiteral("DELETE FROM MARTBILD WHERE ARTNR='C3'")));
    f.messages.answers.enqueue(Messages::Answer::No);
    QVERIFY(f.click(QStringLiteral("#VerknLoe(A1/2)")));
    QCOMPARE(f.messages.lastText(), QStringLiteral("Wollen Sie diese Dokumenten-Verknüpfung jetzt wirklich löschen? "));
    QCOMPARE(f.links(QStringLiteral("ARTNR='A1'")), 1);
    QVERIFY(!f.listed(QStringLiteral("#VerknLoe(C3/1)")));
    QVERIFY(f.listed(QStringLiteral("#VerknLoe(A1/2)")));

    // Yes: the link row goes, the file is not touched, the report no longer lists it.
    f.messages.answers.enqueue(Messages::Answer::Yes);
    QVERIFY(f.click(QStringLiteral("#VerknLoe(A1/2)")));
    QCOMPARE(f.links(QStringLiteral("ARTNR='A1'")), 0);
    QVERIFY(!f.listed(QStringLiteral("#VerknLoe(A1/2)")));

    // Without Auto-Refresh the old page stays after an action.
    f.link(QStringLiteral("D4"), 1, QStringLiteral("x.pdf"));
    page.btnUngueltigeVerknRefreshClick();
    page.chkArtUngueltVerknAutoRefesh->setChecked(false);
    f.messages.answers.enqueue(Messages::Answer::Yes);
    QVERIFY(f.click(QStringLiteral("#VerknLoe(D4/1)")));
    QCOMPARE(f.links(QStringLiteral("ARTNR='D4'")), 0);
    QVERIFY(f.listed(QStringLiteral("#VerknLoe(D4/1)")));
}

void TestReportPage::relink()
{
    Fixture f;
    QDir().mkpath(f.dir + QStringLiteral("neu"));
    touch(f.dir + QStringLiteral("neu/da.dwg"));
    f.link(QStringLiteral("A1"), 3, QStringLiteral("weg.pdf"));
    f.link(QStringLiteral("B1"), 4, QStringLiteral("weg2.pdf"));
    ReportPage& page = *f.page;
    page.chkArtUngueltVerknAutoRefesh->setChecked(true);
    page.btnUngueltigeVerknRefreshClick();

    // Cancelled file dialog: nothing changes, the scan runs again.
    QVERIFY(f.tdb.exec(QStringLiteral("DELETE FROM MARTBILD WHERE ARTNR='B1'")));
    QVERIFY(f.click(QStringLiteral("#VerknNeu(A1/3)")));
    QCOMPARE(f.tdb.scalar(QStringLiteral("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='A1'")).toString(),
             QStringLiteral("weg.pdf"));
    QVERIFY(!f.listed(QStringLiteral("#VerknNeu(B1/4)")));

    // A file that does not exist: changed, and still listed.
    f.messages.fileNames.enqueue(f.dir + QStringLiteral("neu/gibtsnicht.dwg"));
    QVERIFY(f.click(QStringLiteral("#VerknNeu(A1/3)")));
    QCOMPARE(f.tdb.scalar(QStringLiteral("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='A1'")).toString(),
             QStringLiteral("gibtsnicht.dwg"));
    QVERIFY(f.listed(QStringLiteral("#VerknNeu(A1/3)")));

    // An existing file in another folder: both names change, the running number stays, the link
    // is gone from the report.
    f.messages.fileNames.enqueue(f.dir + QStringLiteral("neu/da.dwg"));
    QVERIFY(f.click(QStringLiteral("#VerknNeu(A1/3)")));
    QCOMPARE(f.tdb.scalar(QStringLiteral("SELECT PFADNAME || DATEINAME FROM MARTBILD WHERE ARTNR='A1' AND LFDNR=3"))
                 .toString(),
             f.dir + QStringLiteral("neu/da.dwg"));
    QVERIFY(!f.listed(QStringLiteral("#VerknNeu(A1/3)")));
    QCOMPARE(f.ctx.settings.OpenDialog1InitialDir, f.dir + QStringLiteral("neu"));
}

void TestReportPage::undecodableAnchors()
{
    Fixture f;
    // Article numbers that cannot be told apart from their running number.
    f.link(QStringLiteral("A/7"), 3, QStringLiteral("weg.pdf"));
    f.link(QStringLiteral("A"), 7, QStringLiteral("weg.pdf"));
    f.link(QStringLiteral("X(1)"), 1, QStringLiteral("weg.pdf"));
    ReportPage& page = *f.page;
    page.btnUngueltigeVerknRefreshClick();
    f.messages.defaultAnswer = Messages::Answer::Yes;
    QVERIFY(f.click(QStringLiteral("#VerknLoe(A/7/3)")));
    QVERIFY(f.click(QStringLiteral("#VerknLoe(X(1)/1)")));
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(f.links(QStringLiteral("1=1")), 3);

    bool handled = false;
    page.HTMLViewer1HotSpotClick(QStringLiteral("#VerknNeu(A7)"), &handled);
    QVERIFY(handled);
    page.HTMLViewer1HotSpotClick(QStringLiteral("#Anderes(A/7)"), &handled);
    QVERIFY(handled);
    QCOMPARE(f.messages.dialogsRun, 0);
    QVERIFY(f.messages.shown.isEmpty());
    // Without "#" the viewer handles the link itself.
    handled = false;
    page.HTMLViewer1HotSpotClick(QStringLiteral("https://example.org"), &handled);
    QVERIFY(!handled);
}

void TestReportPage::scrollPositionKept()
{
    Fixture f;
    for (int i = 0; i < 120; ++i)
        f.link(QStringLiteral("A%1").arg(i, 3, 10, QLatin1Char('0')), 1, QStringLiteral("weg.pdf"));
    ReportPage& page = *f.page;
    page.chkArtUngueltVerknAutoRefesh->setChecked(true);
    page.btnUngueltigeVerknRefreshClick();
    ReportViewer* v = page.HTMLViewer1;
    // Scrolled so that the row of A060 is 100 pixels below the top.
    const int position = v->anchorViewportRect(QStringLiteral("#VerknLoe(A060/1)")).top() - 100;
    QVERIFY(position > 500 && position < v->verticalScrollBar()->maximum());
    v->setVerticalScrollPosition(position);
    f.messages.answers.enqueue(Messages::Answer::Yes);
    const QRect r = v->anchorViewportRect(QStringLiteral("#VerknLoe(A060/1)"));
    QVERIFY(v->viewport()->rect().contains(r.center()));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(f.links(QStringLiteral("ARTNR='A060'")), 0);
    QVERIFY(!f.listed(QStringLiteral("#VerknLoe(A060/1)")));
    QCOMPARE(v->verticalScrollPosition(), position);
    // The button scans from the top.
    page.btnUngueltigeVerknRefreshClick();
    QCOMPARE(v->verticalScrollPosition(), 0);
}

void TestReportPage::failedScanKeepsPage()
{
    Fixture f;
    f.link(QStringLiteral("A1"), 1, QStringLiteral("weg.pdf"));
    ReportPage& page = *f.page;
    page.btnUngueltigeVerknRefreshClick();
    const QString before = page.HTMLViewer1->source();
    QVERIFY(f.tdb.exec(QStringLiteral("DROP TABLE MART")));
    page.btnUngueltigeVerknRefreshClick();
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].kind, Messages::Kind::Warning);
    QCOMPARE(page.HTMLViewer1->source(), before);
    QVERIFY(!f.qry1.isOpen());
    QCOMPARE(f.messages.cursors.last(), Messages::Cursor::Normal);
}

void TestReportPage::printPreviewRetry()
{
    Fixture f;
    for (int i = 0; i < 80; ++i)
        f.link(QStringLiteral("A%1").arg(i), 1, QStringLiteral("weg.pdf"));
    ReportPage& page = *f.page;
    page.btnUngueltigeVerknRefreshClick();
    page.printer().setOutputFormat(QPrinter::PdfFormat);
    page.printer().setPageSize(QPageSize(QPageSize::A4));

    int portraitPages = 0;
    // First preview: page setup to landscape, confirmed: the preview closes with "retry".
    f.messages.dialogHandlers.enqueue([&](QDialog& d) {
        auto& preview = static_cast<TPreviewForm&>(d);
        preview.show();
        portraitPages = preview.pageCount();
        [&] { QVERIFY(preview.recorder().paperSize.height() > preview.recorder().paperSize.width()); }();
        f.messages.dialogHandlers.prepend([](QDialog& s) {
            auto& setup = static_cast<TDlgSeiteEinrichten&>(s);
            setup.setOrientation(1);
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(preview.btnSeiteEinrichten, Qt::LeftButton);
        return preview.result();
    });
    // Second preview: laid out anew for landscape; closed normally.
    int landscapePages = 0;
    f.messages.dialogHandlers.enqueue([&](QDialog& d) {
        auto& preview = static_cast<TPreviewForm&>(d);
        [&] { QVERIFY(preview.recorder().paperSize.width() > preview.recorder().paperSize.height()); }();
        landscapePages = preview.pageCount();
        return int(QDialog::Rejected);
    });
    QTest::mouseClick(page.btnUngueltigeVerknDruck, Qt::LeftButton);
    QCOMPARE(f.messages.dialogsRun, 3); // preview, page setup, preview
    QVERIFY(portraitPages >= 2);
    QVERIFY(landscapePages > portraitPages);
    PreviewSettings saved;
    saved.load(f.ctx.settingsFileName);
    QCOMPARE(saved.SeiteOrientation, 1);
}

QTEST_MAIN(TestReportPage)
#include "tst_reportpage.moc"
