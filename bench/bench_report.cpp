// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmark of the invalid-link report on a large database: the whole refresh of the report page
// (queries, file tests, page text, page shown) with each phase's share, the floor of the file
// tests, the command-line report, and the print preview (layout into recorded pages, paging,
// zooming) with time and peak memory.
//
//   bench_report [--data DIR] [--links N] [--invoices N] [--compare]
//
// Without --data the database and the files are generated under ./bench_report_data (kept for the
// next run): N article links (default 300000) and N invoice document links (default 20000), in a
// 2 % and a 10 % missing variant. Each scenario runs in a child process of its own so that its
// peak memory is its own. --compare also times QTextBrowser on the 5,000-row report page.
#include "app/appcontext.h"
#include "db/dialect.h"
#include "db/query.h"
#include "db/schema.h"
#include "printing/previewform.h"
#include "report/htmldocument.h"
#include "report/linkscan.h"
#include "report/reportcli.h"
#include "report/reportpage.h"
#include "report/reportviewer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextBrowser>
#include <QTextStream>
#include <QThread>
#include <QToolButton>
#include <cstdio>
#include <sys/resource.h>

namespace {

QTextStream out(stdout);

double ms(qint64 ns)
{
    return ns / 1e6;
}

// CPU time of the process (user + system), ms: the figures next to the wall clock when the machine
// is shared.
double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(f.readAll()).section(u' ', 0, 0);
}

long peakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

struct Options
{
    QString dataDir = QStringLiteral("bench_report_data");
    int links = 300000;
    int invoices = 20000;
    bool compare = false;
    QString scenario;
    int missingPercent = 2;
};

QString dbFile(const Options& o, int percent)
{
    return QDir(o.dataDir).absoluteFilePath(QStringLiteral("links-%1pct.db").arg(percent));
}

QString filesDir(const Options& o)
{
    return QDir(o.dataDir).absoluteFilePath(QStringLiteral("files"));
}

bool execOrDie(QSqlQuery& q, const QString& sql)
{
    if (q.exec(sql))
        return true;
    out << "SQL failed: " << q.lastError().text() << " in " << sql << Qt::endl;
    return false;
}

// Folder of link i and the file names.
QString linkFolder(const Options& o, int i)
{
    return filesDir(o) + QStringLiteral("/d%1/").arg(i / 1000, 4, 10, QLatin1Char('0'));
}

QString linkFile(int i)
{
    return QStringLiteral("Zeichnung-%1.pdf").arg(i, 7, 10, QLatin1Char('0'));
}

bool generateFiles(const Options& o, int total)
{
    const QString stamp = QDir(o.dataDir).absoluteFilePath(QStringLiteral("files-%1.done").arg(total));
    if (QFile::exists(stamp))
        return true;
    out << "generating " << total << " files ..." << Qt::endl;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < total; ++i) {
        if (i % 1000 == 0)
            QDir().mkpath(linkFolder(o, i));
        QFile f(linkFolder(o, i) + linkFile(i));
        if (!f.open(QIODevice::WriteOnly)) {
            out << "cannot create " << f.fileName() << Qt::endl;
            return false;
        }
    }
    QFile s(stamp);
    s.open(QIODevice::WriteOnly);
    out << "files generated in " << t.elapsed() << " ms" << Qt::endl;
    return true;
}

bool generateDatabase(const Options& o, int percent)
{
    const QString file = dbFile(o, percent);
    if (QFile::exists(file))
        return true;
    out << "generating " << file << " ..." << Qt::endl;
    const QString tmp = file + QStringLiteral(".tmp");
    QFile::remove(tmp);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
        db.setDatabaseName(tmp);
        if (!db.open())
            return false;
        QSqlQuery q(db);
        execOrDie(q, QStringLiteral("PRAGMA synchronous=OFF"));
        execOrDie(q, QStringLiteral("PRAGMA journal_mode=OFF"));
        for (const QString& s : schemaStatements(DatabaseType::SQLITE))
            ok = ok && execOrDie(q, s);
        db.transaction();
        const int every = 100 / percent; // every n-th link names a missing file
        // Articles: three links each.
        q.prepare(QStringLiteral("INSERT INTO MART (ARTNR, TYP, BEZEICHNUNG) VALUES (?, ?, ?)"));
        for (int a = 0; ok && a < o.links / 3 + 1; ++a) {
            q.addBindValue(QStringLiteral("A%1").arg(a, 7, 10, QLatin1Char('0')));
            q.addBindValue(QStringLiteral("Typ %1").arg(a % 40));
            q.addBindValue(QStringLiteral("Bezeichnung des Artikels Nr. %1").arg(a));
            ok = q.exec();
        }
        q.prepare(QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME, TEXT, BILDKENNZ) "
                                 "VALUES (?, ?, ?, ?, '', 0)"));
        for (int i = 0; ok && i < o.links; ++i) {
            q.addBindValue(QStringLiteral("A%1").arg(i / 3, 7, 10, QLatin1Char('0')));
            q.addBindValue(i % 3 + 1);
            q.addBindValue(i % every == 0 ? QStringLiteral("fehlt-") + linkFile(i) : linkFile(i));
            q.addBindValue(linkFolder(o, i));
            ok = q.exec();
        }
        q.prepare(QStringLiteral("INSERT INTO EINGANGSRECH (ID, BUCHNR, ERFDATUM) VALUES (?, ?, '2024-03-05 10:00:00')"));
        for (int r = 1; ok && r <= o.invoices / 2; ++r) {
            q.addBindValue(r);
            q.addBindValue(100000 + r);
            ok = q.exec();
        }
        q.prepare(QStringLiteral("INSERT INTO DOKUMENT (D_BEZUG_ADRNR, D_EMPF_KURZNAME, D_BEZUG_EINGERCHNR, D_PFAD, "
                                 "D_DATEINAME) VALUES (?, ?, ?, ?, ?)"));
        for (int k = 0; ok && k < o.invoices; ++k) {
            const int i = o.links + k;
            q.addBindValue(k % 500);
            q.addBindValue(QStringLiteral("LIEF%1").arg(k % 500));
            q.addBindValue(k / 2 + 1);
            q.addBindValue(linkFolder(o, i));
            q.addBindValue(k % every == 0 ? QStringLiteral("fehlt-") + linkFile(i) : linkFile(i));
            ok = q.exec();
        }
        // Contact documents: not part of the report.
        for (int k = 0; ok && k < o.invoices; ++k) {
            q.addBindValue(k % 500);
            q.addBindValue(QStringLiteral("KUNDE%1").arg(k % 500));
            q.addBindValue(0);
            q.addBindValue(QStringLiteral("/nirgends/"));
            q.addBindValue(QStringLiteral("brief.doc"));
            ok = q.exec();
        }
        if (!ok)
            out << "insert failed: " << q.lastError().text() << Qt::endl;
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("gen"));
    return ok && QFile::rename(tmp, file);
}

bool openDatabase(const QString& file)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(file);
    db::setDialect(DatabaseType::SQLITE, QString());
    return db.open();
}

// The report page in a window of the main window's size, on the general queries.
struct ShownPage
{
    AppContext ctx;
    Query qry1{QStringLiteral("qry1")};
    Query qryExec{QStringLiteral("qryExec")};
    std::unique_ptr<ReportPage> page;
    ReportViewer* viewer = nullptr;
    ShownPage()
    {
        ctx.qry1 = &qry1;
        ctx.qryExec = &qryExec;
        page = std::make_unique<ReportPage>(ctx);
        viewer = page->HTMLViewer1;
        page->resize(1227, 700);
        page->show();
        QCoreApplication::processEvents();
    }
};

// One refresh as the button runs it, until the page is painted; returns the total in ns.
qint64 refresh(ShownPage& shown, ReportScanTimings& t, qint64* shownNs)
{
    shown.page->setScanTimings(&t);
    QElapsedTimer total;
    total.start();
    shown.page->btnUngueltigeVerknRefreshClick();
    shown.viewer->viewport()->repaint();
    const qint64 ns = total.nsecsElapsed();
    *shownNs = ns - (t.queryNs + t.waitNs + t.pageNs + t.correctNs);
    shown.page->setScanTimings(nullptr);
    return ns;
}

int scenarioRefresh(const Options& o)
{
    if (!openDatabase(dbFile(o, o.missingPercent)))
        return 2;
    ShownPage shown;
    out << "== refresh, " << o.missingPercent << "% missing (load average " << loadAverage() << " on "
        << QThread::idealThreadCount() << " cores)" << Qt::endl;
    qint64 best = -1;
    for (int run = 1; run <= 3; ++run) {
        ReportScanTimings t;
        qint64 shownNs = 0;
        const double cpu0 = cpuMs();
        const qint64 total = refresh(shown, t, &shownNs);
        const ReportScanResult& r = shown.page->lastScanResult();
        const PageBuffer& page = shown.page->pageBuffer();
        const double cpu = cpuMs() - cpu0;
        if (best < 0 || total < best)
            best = total;
        const double tot = ms(total);
        out << QStringLiteral("run %1: total %2 ms (CPU %3 ms) | queries and rows %4 ms (%5%) | waiting for file "
                              "tests %6 ms (%7%) | page text %8 ms (%9%) | page shown %10 ms (%11%) | file tests "
                              "beside the reading %12 ms")
                   .arg(run)
                   .arg(tot, 0, 'f', 0)
                   .arg(cpu, 0, 'f', 0)
                   .arg(ms(t.queryNs), 0, 'f', 0)
                   .arg(100 * ms(t.queryNs) / tot, 0, 'f', 0)
                   .arg(ms(t.waitNs), 0, 'f', 0)
                   .arg(100 * ms(t.waitNs) / tot, 0, 'f', 0)
                   .arg(ms(t.pageNs + t.correctNs), 0, 'f', 0)
                   .arg(100 * ms(t.pageNs + t.correctNs) / tot, 0, 'f', 0)
                   .arg(ms(shownNs), 0, 'f', 0)
                   .arg(100 * ms(shownNs) / tot, 0, 'f', 0)
                   .arg(ms(t.fileTestNs), 0, 'f', 0)
            << Qt::endl;
        if (run == 1)
            out << "  links tested " << r.linksTested << ", listed rows " << r.invalidArticleLinks << " + "
                << r.invalidInvoiceLinks << ", page " << page.size() << " lines, document height "
                << shown.viewer->documentHeight() << " px" << Qt::endl;
    }
    // The floor: a loop that only tests the same files.
    QStringList names;
    {
        QSqlQuery q;
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT PFADNAME, DATEINAME FROM MARTBILD"));
        while (q.next())
            names << TrimBlanksAndControls(q.value(0).toString() + q.value(1).toString());
        q.exec(QStringLiteral("SELECT D_PFAD, D_DATEINAME FROM DOKUMENT WHERE D_BEZUG_EINGERCHNR > 0"));
        while (q.next())
            names << TrimBlanksAndControls(q.value(0).toString() + q.value(1).toString());
    }
    QElapsedTimer floor;
    const double floorCpu0 = cpuMs();
    floor.start();
    int found = 0;
    for (const QString& n : names)
        found += IsExistingFile(n) ? 1 : 0;
    const qint64 floorNs = floor.nsecsElapsed();
    const double floorCpu = cpuMs() - floorCpu0;
    QElapsedTimer info;
    info.start();
    int found2 = 0;
    for (const QString& n : names)
        found2 += QFileInfo(n).isFile() ? 1 : 0;
    const qint64 infoNs = info.nsecsElapsed();
    out << QStringLiteral("file-test floor: %1 stat() tests in %2 ms, CPU %7 ms (%3 us each; QFileInfo::isFile "
                          "%4 ms); best refresh %5 ms = %6 x the floor")
               .arg(names.size())
               .arg(ms(floorNs), 0, 'f', 0)
               .arg(floorNs / 1000.0 / qMax<qsizetype>(1, names.size()), 0, 'f', 2)
               .arg(ms(infoNs), 0, 'f', 0)
               .arg(ms(best), 0, 'f', 0)
               .arg(double(best) / floorNs, 0, 'f', 2)
               .arg(floorCpu, 0, 'f', 0)
        << Qt::endl;
    Q_UNUSED(found)
    Q_UNUSED(found2)
    out << "peak memory " << peakRssMb() << " MB" << Qt::endl;
    return 0;
}

int scenarioCli(const Options& o)
{
    const QString ini = QDir(o.dataDir).absoluteFilePath(QStringLiteral("KORVAN.INI"));
    QFile f(ini);
    if (!f.open(QIODevice::WriteOnly))
        return 2;
    f.write(QStringLiteral("[Options]\r\nDatabaseDriverName=SQLITE\r\nDatabaseName=%1\r\n")
                .arg(dbFile(o, o.missingPercent))
                .toUtf8());
    f.close();
    out << "== command-line report, " << o.missingPercent << "% missing (load average " << loadAverage() << ")"
        << Qt::endl;
    const QString report = QDir(o.dataDir).absoluteFilePath(QStringLiteral("bericht.html"));
    for (int run = 1; run <= 3; ++run) {
        QString summary, errors;
        QTextStream so(&summary), se(&errors);
        QElapsedTimer t;
        const double cpu0 = cpuMs();
        t.start();
        const int code = runReportCommand({QStringLiteral("/K:") + ini.chopped(4), QStringLiteral("--report"), report},
                                          &so, &se);
        const qint64 ns = t.nsecsElapsed();
        so.flush();
        se.flush();
        out << QStringLiteral("run %1: %2 ms (CPU %5 ms), exit %3, %4")
                   .arg(run)
                   .arg(ms(ns), 0, 'f', 0)
                   .arg(code)
                   .arg(summary.trimmed())
                   .arg(cpuMs() - cpu0, 0, 'f', 0)
            << errors << Qt::endl;
    }
    out << "report file " << QFileInfo(report).size() / 1024 << " KB; peak memory " << peakRssMb() << " MB" << Qt::endl;
    return 0;
}

int scenarioPreview(const Options& o)
{
    if (!openDatabase(dbFile(o, o.missingPercent)))
        return 2;
    ShownPage shown;
    ReportScanTimings t;
    qint64 shownNs = 0;
    const qint64 total = refresh(shown, t, &shownNs);
    const ReportScanResult& r = shown.page->lastScanResult();
    out << "== refresh and preview, " << o.missingPercent << "% missing: " << r.invalidArticleLinks + r.invalidInvoiceLinks
        << " rows" << Qt::endl;
    out << QStringLiteral("refresh %1 ms (page shown %2 ms); memory after refresh %3 MB")
               .arg(ms(total), 0, 'f', 0)
               .arg(ms(shownNs), 0, 'f', 0)
               .arg(peakRssMb())
        << Qt::endl;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QElapsedTimer lt;
    lt.start();
    bool cancelled = false;
    TPreviewForm preview(nullptr, *shown.viewer, printer, QString(), &cancelled);
    const qint64 layoutNs = lt.nsecsElapsed();
    qint64 bytes = 0;
    for (const QPicture& p : preview.recorder().pages)
        bytes += p.size();
    out << QStringLiteral("preview laid out: %1 pages in %2 ms (%3 ms/page), recorded %4 MB; peak memory %5 MB")
               .arg(preview.pageCount())
               .arg(ms(layoutNs), 0, 'f', 0)
               .arg(ms(layoutNs) / qMax(1, preview.pageCount()), 0, 'f', 1)
               .arg(bytes / 1048576.0, 0, 'f', 1)
               .arg(peakRssMb())
        << Qt::endl;
    preview.setWindowState(Qt::WindowNoState);
    preview.resize(1100, 800);
    QElapsedTimer st;
    st.start();
    preview.show();
    preview.repaint();
    out << "preview shown " << st.elapsed() << " ms" << Qt::endl;
    st.restart();
    for (int i = 0; i < 20; ++i) {
        preview.NextPageButClick();
        preview.PB1->repaint();
    }
    out << QStringLiteral("paging: 20 pages in %1 ms").arg(st.elapsed()) << Qt::endl;
    st.restart();
    preview.LastPageSpeedClick();
    preview.PB1->repaint();
    out << QStringLiteral("last page: %1 ms").arg(st.elapsed()) << Qt::endl;
    for (int index : {9, 11, 3, 1, 0}) {
        st.restart();
        preview.ZoomBox->setCurrentIndex(index);
        preview.ZoomBoxChange();
        preview.repaint();
        out << QStringLiteral("zoom \"%1\": %2 ms").arg(preview.ZoomBox->itemText(index)).arg(st.elapsed()) << Qt::endl;
    }
    st.restart();
    preview.TwoPageBut->click();
    preview.repaint();
    preview.GridBut->click();
    preview.repaint();
    out << QStringLiteral("two pages with grid: %1 ms").arg(st.elapsed()) << Qt::endl;
    const QString pdf = QDir(o.dataDir).absoluteFilePath(QStringLiteral("vorschau.pdf"));
    printer.setOutputFileName(pdf);
    st.restart();
    shown.viewer->printPages(printer, 1, 9999, {});
    out << QStringLiteral("printing all pages to PDF: %1 ms, %2 KB").arg(st.elapsed()).arg(QFileInfo(pdf).size() / 1024)
        << Qt::endl;
    out << "peak memory " << peakRssMb() << " MB" << Qt::endl;
    return 0;
}

// The report page of the first n listed rows of the 2 % database.
QString pageOfRows(const Options& o, int rows)
{
    if (!openDatabase(dbFile(o, 2)))
        return {};
    Query qry1(QStringLiteral("qry1"));
    Query qryExec(QStringLiteral("qryExec"));
    InvalidLinkScan scan(qry1, qryExec);
    PageBuffer page;
    scan.run(page);
    // Keep the head, the first n rows and the end.
    PageBuffer cut;
    int seen = 0;
    bool inRows = true;
    for (const QString& line : page) {
        if (line == QStringLiteral("<tr>"))
            ++seen;
        if (seen > rows + 1 && inRows && line != QStringLiteral("</table>"))
            continue;
        if (line == QStringLiteral("</table>"))
            inRows = false;
        cut << line;
    }
    return cut.join(QStringLiteral("\r\n"));
}

int scenarioPreview5000(const Options& o)
{
    const QString html = pageOfRows(o, 5000);
    ShownPage shown;
    QElapsedTimer t;
    t.start();
    shown.viewer->loadFromString(html);
    shown.viewer->viewport()->repaint();
    out << "== 5,000-row report: shown in " << t.elapsed() << " ms" << Qt::endl;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    t.restart();
    bool cancelled = false;
    TPreviewForm preview(nullptr, *shown.viewer, printer, QString(), &cancelled);
    out << "preview opened (" << preview.pageCount() << " pages laid out) in " << t.elapsed() << " ms" << Qt::endl;
    preview.setWindowState(Qt::WindowNoState);
    preview.resize(1100, 800);
    preview.show();
    t.restart();
    for (int i = 0; i < preview.pageCount(); ++i) {
        preview.NextPageButClick();
        preview.PB1->repaint();
    }
    out << "paged through all " << preview.pageCount() << " pages in " << t.elapsed() << " ms" << Qt::endl;
    t.restart();
    preview.ZoomCursorBut->click();
    for (int i = 0; i < 6; ++i)
        preview.PB1MouseDown(Qt::LeftButton, QPoint(100, 100));
    preview.repaint();
    out << "6 zoom-tool clicks (to " << int(preview.zoom() * 100) << "%) in " << t.elapsed() << " ms" << Qt::endl;
    out << "peak memory " << peakRssMb() << " MB" << Qt::endl;
    if (o.compare) {
        QTextBrowser browser;
        browser.resize(1227, 730);
        browser.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        browser.show();
        QCoreApplication::processEvents();
        t.restart();
        browser.setHtml(html);
        browser.viewport()->repaint();
        out << "for comparison, QTextBrowser shows the same page in " << t.elapsed() << " ms" << Qt::endl;
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Options o;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QStringLiteral("--data") && i + 1 < args.size())
            o.dataDir = args[++i];
        else if (a == QStringLiteral("--links") && i + 1 < args.size())
            o.links = args[++i].toInt();
        else if (a == QStringLiteral("--invoices") && i + 1 < args.size())
            o.invoices = args[++i].toInt();
        else if (a == QStringLiteral("--compare"))
            o.compare = true;
        else if (a == QStringLiteral("--scenario") && i + 1 < args.size())
            o.scenario = args[++i];
        else if (a == QStringLiteral("--missing") && i + 1 < args.size())
            o.missingPercent = args[++i].toInt();
    }
    o.dataDir = QDir(o.dataDir).absolutePath();

    if (o.scenario == QStringLiteral("refresh"))
        return scenarioRefresh(o);
    if (o.scenario == QStringLiteral("cli"))
        return scenarioCli(o);
    if (o.scenario == QStringLiteral("preview"))
        return scenarioPreview(o);
    if (o.scenario == QStringLiteral("preview5000"))
        return scenarioPreview5000(o);

    QDir().mkpath(o.dataDir);
    if (!generateFiles(o, o.links + o.invoices) || !generateDatabase(o, 2) || !generateDatabase(o, 10))
        return 1;
    out << "data: " << o.links << " article links, " << o.invoices << " invoice document links in " << o.dataDir
        << Qt::endl;
    const QList<QStringList> runs = {{QStringLiteral("refresh"), QStringLiteral("2")},
                                     {QStringLiteral("cli"), QStringLiteral("2")},
                                     {QStringLiteral("preview"), QStringLiteral("10")},
                                     {QStringLiteral("preview5000"), QStringLiteral("2")}};
    for (const QStringList& r : runs) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList childArgs = {QStringLiteral("--data"), o.dataDir, QStringLiteral("--scenario"), r[0],
                                 QStringLiteral("--missing"), r[1]};
        if (o.compare)
            childArgs << QStringLiteral("--compare");
        child.start(QCoreApplication::applicationFilePath(), childArgs);
        child.waitForFinished(-1);
    }
    return 0;
}
