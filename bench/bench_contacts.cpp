// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the contact page on a large SQLite database (made by gen_bigdb):
//  - a keystroke in the search box: key press and release into the real page (the release
//    requeries the contact list, which moves to its first contact and reads that contact's
//    documents), then the painting it causes (pending events processed);
//  - switching the current contact: the Down key in the search box, with its painting;
// Each figure is given as wall-clock time and as CPU time of the window thread.
//  - for information: the unfiltered list, and a refresh that returns to a contact far down.
//
//   bench_contacts [DATABASE]     (default: $KV_BIGDB, else kvbig.db in the current folder)
//
// Make the database with: gen_bigdb --sqlite kvbig.db
// Runs under the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "app/appcontext.h"
#include "app/gridlayout.h"
#include "contacts/contactpage.h"
#include "db/dialect.h"
#include "db/query.h"
#include "db/sqlitesupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

QString cpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = f.readAll().split('\n');
        for (const QByteArray& line : lines)
            if (line.startsWith("model name")) {
                const qsizetype colon = line.indexOf(':');
                return QString::fromUtf8(line.mid(colon + 1).trimmed());
            }
    }
    return QStringLiteral("unknown");
}

struct Stats
{
    std::vector<double> ms;
    void add(double v) { ms.push_back(v); }
    double quantile(double q) const
    {
        if (ms.empty())
            return 0;
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        const size_t i = std::min(s.size() - 1, size_t(q * double(s.size() - 1) + 0.5));
        return s[i];
    }
    void print(const char* what) const
    {
        std::printf("%-44s n=%4zu  median %8.2f ms   p90 %8.2f ms   max %8.2f ms\n", what, ms.size(),
                    quantile(0.5), quantile(0.9), quantile(1.0));
    }
};

// CPU time of the calling thread (the window thread does all the work, SQLite included), so that
// the figures stay meaningful on a machine shared with other work.
double threadCpuMs()
{
#if defined(CLOCK_THREAD_CPUTIME_ID)
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
#else
    return double(std::clock()) * 1e3 / CLOCKS_PER_SEC;
#endif
}

// Counts the paint events of the two grids, to show that the figures include painting.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromUtf8(f.readAll().trimmed());
}

// Wall-clock and CPU time of one user action: its handler, then the painting it caused.
struct Timing
{
    double wall = 0, cpu = 0, handler = 0;
};

template <typename F> Timing timeAction(F&& action)
{
    QElapsedTimer t;
    const double cpu0 = threadCpuMs();
    t.start();
    action();
    const double handler = double(t.nsecsElapsed()) / 1e6;
    QApplication::processEvents(); // paints what the action changed
    return {double(t.nsecsElapsed()) / 1e6, threadCpuMs() - cpu0, handler};
}

void sendKey(QWidget* w, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

int keyOf(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return Qt::Key_0 + (c.unicode() - u'0');
    if (c >= u'A' && c <= u'Z')
        return Qt::Key_A + (c.unicode() - u'A');
    if (c == u' ')
        return Qt::Key_Space;
    return c.unicode();
}

qint64 scalar(const QString& sql)
{
    QSqlQuery q;
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toLongLong();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QString file = app.arguments().value(1);
    if (file.isEmpty())
        file = qEnvironmentVariable("KV_BIGDB", QStringLiteral("kvbig.db"));
    if (!QFileInfo::exists(file)) {
        std::fprintf(stderr, "bench_contacts: database %s not found; make it with: gen_bigdb --sqlite %s\n",
                     qPrintable(file), qPrintable(file));
        return 2;
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(file);
    if (!db.open()) {
        std::fprintf(stderr, "bench_contacts: %s\n", qPrintable(db.lastError().text()));
        return 1;
    }
    // As the program's connection does.
    const bool unicodeUpper = db::installSqliteFunctions(db);
    db::setDialect(DatabaseType::SQLITE, QString());

    std::printf("machine: %d cores (nproc), CPU %s; load average at start: %s\n", QThread::idealThreadCount(),
                qPrintable(cpuModel()), qPrintable(loadAverage()));
    std::printf("Qt %s, database %s: %lld contacts, %lld documents; Unicode UPPER installed: %s\n",
                qVersion(), qPrintable(file), scalar(QStringLiteral("SELECT COUNT(*) FROM ADR")),
                scalar(QStringLiteral("SELECT COUNT(*) FROM DOKUMENT")), unicodeUpper ? "yes" : "no");

    QTemporaryDir layoutDir;
    GridLayoutStore::setLayoutFilePath(layoutDir.filePath(QStringLiteral("kvdokman.ini")));

    AppContext ctx;
    ctx.shortName = QStringLiteral("BENCH");
    Query qry1(QStringLiteral("qry1")), qryExec(QStringLiteral("qryExec")),
        qryHelp(QStringLiteral("qryHelp")), qry2(QStringLiteral("qry2"));
    ctx.qry1 = &qry1;
    ctx.qryExec = &qryExec;
    ctx.qryHelp = &qryHelp;
    ctx.qry2 = &qry2;

    {
        ContactPage page(ctx);
        page.resize(1600, 900);
        page.show();
        QApplication::processEvents();
        QLineEdit* edit = page.editSearchKontakte;
        edit->setFocus();
        PaintCounter painted;
        page.grdAdrSearch->viewport()->installEventFilter(&painted);
        page.grdDok->viewport()->installEventFilter(&painted);

        // Warm-up: the first query reads the database file into the cache.
        page.RefreshContactList(0);

        // Keystrokes: terms typed letter by letter into an empty box.
        const QStringList terms = {QStringLiteral("KD4711"),  QStringLiteral("FIRMA 2345"),
                                   QStringLiteral("BERLIN"),  QStringLiteral("HAUPTSTR"),
                                   QStringLiteral("12345"),   QStringLiteral("MÜNCHEN"),
                                   QStringLiteral("KD49999"), QStringLiteral("GMBH"),
                                   QStringLiteral("HAMBURG"), QStringLiteral("XYZ")};
        Stats keys, keysCpu, firstKeys, laterKeys, keyHandler;
        for (int round = 0; round < 3; ++round) {
            for (const QString& term : terms) {
                edit->clear();
                QApplication::processEvents();
                int typed = 0;
                for (const QChar c : term) {
                    const Timing t = timeAction([&] { sendKey(edit, keyOf(c), QString(c)); });
                    if (c == u' ')
                        continue; // the space key does not requery
                    keys.add(t.wall);
                    keysCpu.add(t.cpu);
                    keyHandler.add(t.handler);
                    (typed++ == 0 ? firstKeys : laterKeys).add(t.wall);
                }
            }
        }
        std::printf("\n(%d grid paint events during the keystrokes)", painted.paints);
        if (edit->text() != terms.last())
            std::fprintf(stderr, "bench_contacts: the search box holds \"%s\"\n", qPrintable(edit->text()));
        std::printf("\nsearch keystroke (requery, first contact's documents, painting):\n");
        keys.print("  all keystrokes, wall clock");
        keysCpu.print("  all keystrokes, CPU time");
        keyHandler.print("  all keystrokes, handler only (wall)");
        firstKeys.print("  first letter of a term (wall)");
        laterKeys.print("  further letters (wall)");

        // The unfiltered list.
        Stats full;
        edit->clear();
        for (int i = 0; i < 5; ++i)
            full.add(timeAction([&] { page.RefreshContactList(0); }).wall);
        std::printf("\nunfiltered list (%d rows fetched of the first batch):\n",
                    page.qryAdrSearch->rowCount());
        full.print("  open the whole contact list (wall)");

        // Switching the current contact: Down in the search box.
        for (const bool marking : {false, true}) {
            page.chkKontakteUngueltVerknMark->setChecked(marking);
            page.RefreshContactList(0);
            Stats sw, swCpu, handler;
            for (int i = 0; i < 300; ++i) {
                const Timing t = timeAction([&] { sendKey(edit, Qt::Key_Down, QString()); });
                sw.add(t.wall);
                swCpu.add(t.cpu);
                handler.add(t.handler);
            }
            std::printf("\nswitching the current contact (Down key, documents read, painting), marking %s:\n",
                        marking ? "on" : "off");
            sw.print("  switch, wall clock");
            swCpu.print("  switch, CPU time");
            handler.print("  switch, handler only (wall)");
            std::printf("  %d grid paint events so far;", painted.paints);
            std::printf("  now at row %d, contact %lld, %d documents\n", page.qryAdrSearch->currentRow(),
                        page.currentAdrnr(), page.qryDokument->rowCount());
        }

        // A refresh that returns to a contact far down the list.
        page.qryAdrSearch->fetchAll();
        page.qryAdrSearch->setCurrentRow(page.qryAdrSearch->rowCount() - 1);
        const qint64 last = page.currentAdrnr();
        Stats back;
        for (int i = 0; i < 3; ++i)
            back.add(timeAction([&] { page.btnKontakteRefreshClick(); }).wall);
        std::printf("\nrefresh returning to the last of %d contacts (found: %s):\n",
                    page.qryAdrSearch->rowCount(), page.currentAdrnr() == last ? "yes" : "NO");
        back.print("  refresh and locate (wall)");
        page.closeQueries();
    }
    std::printf("load average at the end: %s\n", qPrintable(loadAverage()));
    return 0;
}
