// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the article page on a large database made by gen_bigdb:
//
//   bench_articles FILE.db [rounds]
//
// Drives a real article page (offscreen) and prints medians of:
//   - the group tree build (a fresh page per round),
//   - a keystroke in the search box: the requery with the document count sub-query, the link list
//     of the new current article, and the first screen of both grids painted,
//   - switching the current article with the Down key: the link list requery and its grid painted,
//   - one repaint of the link grid with the invalid-link marking on.
// and the machine it ran on.

#include "app/appcontext.h"
#include "app/gridlayout.h"
#include "articles/articlepage.h"
#include "db/dialect.h"
#include "db/query.h"
#include "db/queryops.h"
#include "db/sqlitesupport.h"
#include "util/messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class QuietMessages : public Messages
{
public:
    Answer show(Kind, const QString& text, Buttons, const QString&) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        ++shown;
        return Answer::Ok;
    }
    void playSound(Sound) override {}
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString existingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int execDialog(QDialog&) override { return 0; }
    bool openUrl(const QUrl&) override { return false; }
    bool startDetached(const QString&, const QStringList&) override { return false; }
    void setCursor(Cursor) override {}
    int shown = 0;
};

struct Stats
{
    std::vector<double> ms;
    void add(qint64 ns) { ms.push_back(double(ns) / 1e6); }
    double median() const
    {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        if (v.empty())
            return 0;
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    double max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
    void print(const char* what, double target) const
    {
        std::printf("%-58s median %8.2f ms   max %8.2f ms   n=%zu   target < %.0f ms: %s\n", what, median(),
                    max(), ms.size(), target, median() < target ? "met" : "NOT MET");
    }
};

// A key press and release as the keyboard sends them.
void typeKey(QWidget* w, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &release);
}

QString cpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed();
    return QStringLiteral("unknown");
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || !QFileInfo::exists(args[1])) {
        std::fprintf(stderr,
                     "usage: bench_articles FILE.db [rounds]   (make one with gen_bigdb --sqlite FILE.db)\n");
        return 2;
    }
    const int rounds = args.size() > 2 ? std::max(1, args[2].toInt()) : 40;

    QuietMessages quiet;
    Messages::setInstance(&quiet);
    QTemporaryDir layoutDir;
    GridLayoutStore::setLayoutFilePath(layoutDir.filePath(QStringLiteral("layout.ini")));

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(args[1]);
        if (!db.open()) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(args[1]));
            return 1;
        }
        db::installSqliteFunctions(db);
    }
    db::setDialect(DatabaseType::SQLITE, QString());

    std::printf("machine: %d logical CPUs (nproc), %s\n", QThread::idealThreadCount(),
                qPrintable(cpuModel()));
    std::printf("database: %s (%.0f MB)\n", qPrintable(args[1]), QFileInfo(args[1]).size() / 1e6);

    Query qry1(QStringLiteral("qry1")), qryExec(QStringLiteral("qryExec")),
        qryHelp(QStringLiteral("qryHelp")), qry2(QStringLiteral("qry2"));
    AppContext ctx;
    ctx.qry1 = &qry1;
    ctx.qryExec = &qryExec;
    ctx.qryHelp = &qryHelp;
    ctx.qry2 = &qry2;

    QElapsedTimer t;
    try {
        // Group tree: once per page, so a fresh page per round.
        Stats tree;
        int nodes = 0;
        for (int i = 0; i < std::min(rounds, 10); ++i) {
            ArticlePage page(ctx);
            t.start();
            page.pageEntered();
            tree.add(t.nsecsElapsed());
            if (nodes == 0)
                for (QTreeWidgetItemIterator it(page.findChild<QTreeWidget*>(QStringLiteral("TreeView1")));
                     *it; ++it)
                    ++nodes;
        }

        ArticlePage page(ctx);
        page.resize(1600, 900);
        page.show();
        QApplication::processEvents();
        auto* edit = page.findChild<QLineEdit*>(QStringLiteral("EditSearch"));
        auto* articles = page.findChild<QTableView*>(QStringLiteral("grdArtikel"));
        auto* links = page.findChild<QTableView*>(QStringLiteral("grdMArtBild"));
        auto* art = page.findChild<Query*>(QStringLiteral("qryMArt"));
        auto* linkQuery = page.findChild<Query*>(QStringLiteral("qryMArtBild"));
        edit->setFocus();

        // Keystrokes: typing an article number and taking it back again, then a description
        // search sorted by description.
        Stats keys;
        auto keystroke = [&](int key, const QString& text) {
            t.start();
            typeKey(edit, key, text);
            articles->viewport()->grab();
            links->viewport()->grab();
            keys.add(t.nsecsElapsed());
        };
        const QString number = QStringLiteral("A00123");
        while (int(keys.ms.size()) < rounds) {
            for (const QChar c : number)
                keystroke(c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_A + (c.unicode() - u'A'),
                          QString(c));
            for (int i = 0; i < number.size(); ++i)
                keystroke(Qt::Key_Backspace, QString());
        }
        const int rowsAfterA = art->rowCount();

        page.grdArtikelTitleButtonClick(QStringLiteral("BEZEICHNUNG"));
        edit->clear();
        Stats descKeys, descRequery, descPaint;
        const QString word = QStringLiteral("FLANSCH");
        while (int(descKeys.ms.size()) < rounds / 2) {
            for (const QChar c : word) {
                t.start();
                typeKey(edit, Qt::Key_A + (c.unicode() - u'A'), QString(c));
                const qint64 requery = t.nsecsElapsed();
                articles->viewport()->grab();
                links->viewport()->grab();
                descKeys.add(t.nsecsElapsed());
                descRequery.add(requery);
                descPaint.add(t.nsecsElapsed() - requery);
            }
            edit->clear();
        }

        // The statement alone for the same description searches (what the database takes).
        Stats descSql;
        for (int round = 0; round < 3; ++round) {
            for (int n = 1; n <= word.size(); ++n) {
                Query q(QStringLiteral("qrySql"));
                t.start();
                OpenSql(q,
                        {QStringLiteral(
                             "select ARTNR,OBERGRUPPE,GRUPPE,UNTGRUPPE,TYP,BEZEICHNUNG,HERSTELLER,INAKTIV,"),
                         QStringLiteral("LAGERORT,KENNZ1,KENNZ2,KENNZ3,KENNZ4,KENNZ5,ARTIKELART,"),
                         QStringLiteral("(select COUNT(*) from ~MARTBILD  MARTBILD where MART.ARTNR = "
                                        "MARTBILD.ARTNR) as ANZBILDER"),
                         QStringLiteral(" FROM ~MART MART"),
                         QStringLiteral("WHERE   UPPER(BEZEICHNUNG) LIKE '") + word.left(n) +
                             QStringLiteral("%'"),
                         QStringLiteral("ORDER BY BEZEICHNUNG")});
                descSql.add(t.nsecsElapsed());
            }
        }

        // Switching the current article.
        page.grdArtikelTitleButtonClick(QStringLiteral("ARTNR"));
        edit->clear();
        typeKey(edit, Qt::Key_Backspace, QString());
        Stats down;
        int linkRows = 0;
        for (int i = 0; i < std::max(rounds, 200); ++i) {
            t.start();
            typeKey(edit, Qt::Key_Down, QString());
            links->viewport()->grab();
            down.add(t.nsecsElapsed());
            linkRows += linkQuery->rowCount();
        }

        // The invalid-link marking: one repaint tests each visible row's file once.
        page.findChild<QCheckBox*>(QStringLiteral("chkArtUngueltVerknMark"))->setChecked(true);
        Stats marking;
        const int testsBefore = page.fileExistenceTests();
        for (int i = 0; i < rounds; ++i) {
            t.start();
            links->viewport()->grab();
            marking.add(t.nsecsElapsed());
        }

        std::printf("group tree: %d tree items\n", nodes);
        tree.print("group tree build (pageEntered on a fresh page)", 1000);
        std::printf("keystrokes: search on ARTNR, first screen %d rows\n", rowsAfterA);
        keys.print("search-box keystroke, ARTNR (requery + both grids painted)", 50);
        descKeys.print("search-box keystroke, BEZEICHNUNG", 50);
        descRequery.print("  of which the requery with the link list", 50);
        descPaint.print("  of which painting both grids", 50);
        descSql.print("  the statement alone (open, first 256 rows)", 50);
        std::printf("switching: %.1f links per article on average\n", double(linkRows) / down.ms.size());
        down.print("Down key: next article, link list requery + grid painted", 10);
        marking.print("link grid repaint with marking on", 10);
        std::printf("file tests per marking repaint: %.1f (visible link rows)\n",
                    double(page.fileExistenceTests() - testsBefore) / rounds);
    } catch (const AbortSignal&) {
        std::fprintf(stderr, "aborted after a database error\n");
        return 1;
    }
    return quiet.shown == 0 ? 0 : 1;
}
