// SPDX-License-Identifier: GPL-3.0-or-later
// The article page driven through its controls on a temporary SQLite database and a temporary
// folder of files: group tree, article list statement, keys, colours, link list and link editing.
#include "app/appcontext.h"
#include "app/dlginputpara.h"
#include "app/gridlayout.h"
#include "articles/articlepage.h"
#include "articles/griddelegate.h"
#include "db/query.h"
#include "scriptedmessages.h"
#include "testdb.h"
#include "testfiles.h"
#include "viewers/documentviewer.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

namespace {

QString crlf()
{
    return QStringLiteral("\r\n");
}

// The four fixed lines of the article statement as sent to SQLite (no table prefix).
QStringList articleHead()
{
    return {QStringLiteral("select ARTNR,OBERGRUPPE,GRUPPE,UNTGRUPPE,TYP,BEZEICHNUNG,HERSTELLER,INAKTIV,"),
            QStringLiteral("LAGERORT,KENNZ1,KENNZ2,KENNZ3,KENNZ4,KENNZ5,ARTIKELART,"),
            QStringLiteral(
                "(select COUNT(*) from MARTBILD  MARTBILD where MART.ARTNR = MARTBILD.ARTNR) as ANZBILDER"),
            QStringLiteral(" FROM MART MART")};
}

} // namespace

class TestArticlePage : public QObject
{
    Q_OBJECT
private:
    struct Fixture
    {
        TestDatabase db;
        Query qry1{QStringLiteral("qry1")};
        Query qryExec{QStringLiteral("qryExec")};
        Query qryHelp{QStringLiteral("qryHelp")};
        Query qry2{QStringLiteral("qry2")};
        AppContext ctx;
        ScriptedMessages msgs;
        QStringList waitCalls;
        QStringList viewed;
        std::unique_ptr<ArticlePage> page;

        Fixture()
        {
            GridLayoutStore::setLayoutFilePath(db.dir() + QStringLiteral("/layout.ini"));
            ctx.qry1 = &qry1;
            ctx.qryExec = &qryExec;
            ctx.qryHelp = &qryHelp;
            ctx.qry2 = &qry2;
            ctx.showWaitPanel = [this](const QString& reason, int max) {
                waitCalls << QStringLiteral("show %1 %2").arg(reason).arg(max);
            };
            ctx.setWaitProgress = [this](int pos) { waitCalls << QString::number(pos); };
            ctx.hideWaitPanel = [this] { waitCalls << QStringLiteral("hide"); };
            ctx.viewDocument = [this](const QString& path) { viewed << path; };
        }
        ~Fixture() { page.reset(); }

        ArticlePage& make()
        {
            page = std::make_unique<ArticlePage>(ctx);
            page->resize(2600, 700);
            page->show();
            if (!QTest::qWaitForWindowExposed(page.get()))
                qFatal("page not exposed");
            return *page;
        }

        template <typename T> T* w(const char* name) const
        {
            T* c = page->findChild<T*>(QString::fromLatin1(name));
            if (!c)
                qFatal("control %s missing", name);
            return c;
        }
        Query* q(const char* name) const { return w<Query>(name); }
        QTreeWidget* tree() const { return w<QTreeWidget>("TreeView1"); }
        QTableView* articles() const { return w<QTableView>("grdArtikel"); }
        QTableView* links() const { return w<QTableView>("grdMArtBild"); }
        QString label(const char* name) const { return w<QLabel>(name)->text(); }

        void click(const char* button) { QTest::mouseClick(w<QPushButton>(button), Qt::LeftButton); }
        void clickNode(QTreeWidgetItem* node)
        {
            QTreeWidget* t = tree();
            t->scrollToItem(node);
            QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(node).center());
        }
        QTreeWidgetItem* node(const QString& path) const
        {
            // "A/A1/U1": texts from the top level down.
            const QStringList parts = path.split(u'/');
            QTreeWidgetItem* found = nullptr;
            for (const QString& part : parts) {
                QTreeWidgetItem* next = nullptr;
                const int n = found ? found->childCount() : tree()->topLevelItemCount();
                for (int i = 0; i < n && !next; ++i) {
                    QTreeWidgetItem* c = found ? found->child(i) : tree()->topLevelItem(i);
                    if (c->text(0) == part)
                        next = c;
                }
                if (!next)
                    return nullptr;
                found = next;
            }
            return found;
        }
        QStringList treeDump() const
        {
            QStringList out;
            std::function<void(QTreeWidgetItem*, int)> walk = [&](QTreeWidgetItem* n, int depth) {
                out << QString(depth * 2, u' ') + n->text(0) +
                           (n->font(0).bold() ? QStringLiteral(" [b]") : QString());
                for (int i = 0; i < n->childCount(); ++i)
                    walk(n->child(i), depth + 1);
            };
            for (int i = 0; i < tree()->topLevelItemCount(); ++i)
                walk(tree()->topLevelItem(i), 0);
            return out;
        }

        void addArticle(const QString& artnr, const QString& values = QString())
        {
            // values: extra "COLUMN=value" pairs separated by ";"
            QStringList cols{QStringLiteral("ARTNR")};
            QStringList vals{QStringLiteral("'") + artnr + u'\''};
            for (const QString& pair : values.split(u';', Qt::SkipEmptyParts)) {
                cols << pair.section(u'=', 0, 0);
                vals << pair.section(u'=', 1);
            }
            db.exec(
                QStringLiteral("INSERT INTO MART (%1) VALUES (%2)").arg(cols.join(u','), vals.join(u',')));
        }
        void addLink(const QString& artnr, int lfdnr, const QString& folder, const QString& name)
        {
            QSqlQuery sq;
            sq.prepare(QStringLiteral("INSERT INTO MARTBILD (ARTNR,LFDNR,DATEINAME,PFADNAME,TEXT,BILDKENNZ) "
                                      "VALUES (?,?,?,?,'',0)"));
            sq.addBindValue(artnr);
            sq.addBindValue(lfdnr);
            sq.addBindValue(name);
            sq.addBindValue(folder);
            if (!sq.exec())
                qFatal("cannot insert link");
        }
        QString touch(const QString& relative)
        {
            const QString path = db.dir() + u'/' + relative;
            if (!WriteTestFile(path))
                qFatal("cannot create test file");
            return path;
        }
        QString folder() const { return db.dir() + u'/'; }
        QStringList linkRows() const
        {
            QStringList r;
            Query* lq = q("qryMArtBild");
            if (!lq->isOpen())
                return {QStringLiteral("closed")};
            auto* m = lq->model();
            for (int row = 0; row < m->rowCount(); ++row)
                r << m->record(row).value(QStringLiteral("LFDNR")).toString() + u':' +
                         m->record(row).value(QStringLiteral("DATEINAME")).toString();
            return r;
        }
        QStringList dbLinks(const QString& artnr)
        {
            QStringList r;
            QSqlQuery sq;
            sq.exec(QStringLiteral(
                        "SELECT LFDNR, PFADNAME, DATEINAME FROM MARTBILD WHERE ARTNR='%1' ORDER BY LFDNR")
                        .arg(artnr));
            while (sq.next())
                r << sq.value(0).toString() + u'|' + sq.value(1).toString() + sq.value(2).toString();
            return r;
        }
        void selectArticle(int row)
        {
            QTableView* g = articles();
            const QModelIndex idx = g->model()->index(row, column(g, QStringLiteral("ARTNR")));
            g->scrollTo(idx);
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(idx).center());
        }
        int linkRow(int lfdnr) const
        {
            auto* m = q("qryMArtBild")->model();
            for (int r = 0; r < m->rowCount(); ++r)
                if (m->record(r).value(QStringLiteral("LFDNR")).toInt() == lfdnr)
                    return r;
            return -1;
        }
        void selectLink(int row)
        {
            QTableView* g = links();
            const QModelIndex idx = g->model()->index(row, column(g, QStringLiteral("DATEINAME")));
            g->scrollTo(idx);
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(idx).center());
        }
        int column(QTableView* grid, const QString& field) const
        {
            return qobject_cast<QSqlQueryModel*>(grid->model())->record().indexOf(field);
        }
        // Answers the rename dialog with a new name (or cancels it).
        void answerRename(const QString& newName, bool ok = true)
        {
            msgs.dialogHandlers.enqueue([newName, ok](QDialog& d) {
                auto* dlg = qobject_cast<TDlgInputPara*>(&d);
                if (!dlg || !ok)
                    return int(QDialog::Rejected);
                dlg->fldInput1->setText(newName);
                return int(QDialog::Accepted);
            });
        }
    };

    // Groups: Z0 before any heading, heading +H1 with A and B, heading -H2 with C.
    static void addGroups(Fixture& fx)
    {
        fx.db.exec(
            {QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('Z0', 0)"),
             QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('+H1', 1)"),
             QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('A', 2)"),
             QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('B', 3)"),
             QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('-H2', 4)"),
             QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('C', 5)"),
             QStringLiteral("INSERT INTO AGRUPPEN (OBERGRUPPE, GRUPPE, SORTKENNZ) VALUES ('Z0', 'Z1', 1)"),
             QStringLiteral("INSERT INTO AGRUPPEN (OBERGRUPPE, GRUPPE, SORTKENNZ) VALUES ('+H1', 'HG', 1)"),
             QStringLiteral("INSERT INTO AGRUPPEN (OBERGRUPPE, GRUPPE, SORTKENNZ) VALUES ('A', 'A2', 2)"),
             QStringLiteral("INSERT INTO AGRUPPEN (OBERGRUPPE, GRUPPE, SORTKENNZ) VALUES ('A', 'A1', 1)"),
             QStringLiteral("INSERT INTO AGRUPPEN (OBERGRUPPE, GRUPPE, SORTKENNZ) VALUES ('C', 'C1', 1)"),
             QStringLiteral("INSERT INTO AGRUPP2 (OBERGRUPPE, GRUPPE, UNTGRUPPE, SORTKENNZ) VALUES ('A', "
                            "'A1', 'U1', 1)"),
             QStringLiteral(
                 "INSERT INTO AGRUPP2 (OBERGRUPPE, GRUPPE, UNTGRUPPE, SORTKENNZ) VALUES ('A', 'A1', '', 2)"),
             // Sub groups find their group whatever its letter case.
             QStringLiteral("INSERT INTO AGRUPP2 (OBERGRUPPE, GRUPPE, UNTGRUPPE, SORTKENNZ) VALUES ('A', "
                            "'a2', 'U2', 1)"),
             // Same group code under another main group: not a sub group of A/A1.
             QStringLiteral("INSERT INTO AGRUPP2 (OBERGRUPPE, GRUPPE, UNTGRUPPE, SORTKENNZ) VALUES ('B', "
                            "'A1', 'X', 1)")});
    }

private slots:
    // At the main window's default size and the default pane widths every button shows its whole
    // caption (the link buttons wrap into a second row), the search box keeps room for a term, and
    // each default column is as wide as its title.
    void captionsFitAtDefaultWidths()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("A1"));
        fx.addLink(QStringLiteral("A1"), 1, QStringLiteral("/x/"), QStringLiteral("y.pdf"));
        ArticlePage& page = fx.make();
        page.resize(1227, 650);
        page.loadSettings();
        QCoreApplication::processEvents();
        fx.click("btnArtikelRefresh");
        QCoreApplication::processEvents();

        auto* bar = fx.w<QWidget>("panArtikelButtons");
        QCOMPARE(bar->width(), fx.w<QWidget>("panArtikelDokumente")->width() - 4);
        QVERIFY(bar->width() < 520); // narrower than the six buttons in one row
        // At the default size and in a small window the controls keep their whole captions: the
        // grids and the tree give way.
        for (int width : {1227, 900}) {
            page.resize(width, 650);
            QCoreApplication::processEvents();
            const QString at = QString::number(width) + QStringLiteral(" px: ");
            for (QPushButton* b : bar->findChildren<QPushButton*>()) {
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(at + b->text()));
                QVERIFY2(bar->rect().contains(b->geometry()), qPrintable(at + b->text()));
            }
            auto* search = fx.w<QLineEdit>("EditSearch");
            QVERIFY2(search->width() >= search->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWWW")),
                     qPrintable(at));
            QList<QAbstractButton*> boxes = fx.w<QWidget>("TopPanel")->findChildren<QAbstractButton*>();
            boxes << fx.w<QCheckBox>("chkArtUngueltVerknMark");
            for (QAbstractButton* b : boxes) {
                if (!b->text().isEmpty())
                    QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(at + b->text()));
            }
        }

        for (QTableView* grid : {fx.articles(), fx.links()}) {
            QHeaderView* header = grid->horizontalHeader();
            for (int col = 0; col < header->count(); ++col) {
                if (header->isSectionHidden(col))
                    continue;
                const QString title = grid->model()->headerData(col, Qt::Horizontal).toString();
                QVERIFY2(header->sectionSize(col) > header->fontMetrics().horizontalAdvance(title),
                         qPrintable(title));
            }
        }
    }

    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // ---- group tree ---------------------------------------------------------------------------

    void treeShapeWithHeadings()
    {
        Fixture fx;
        addGroups(fx);
        ArticlePage& page = fx.make();
        QCOMPARE(fx.tree()->topLevelItemCount(), 0);
        page.pageEntered();
        QCOMPARE(fx.treeDump(),
                 (QStringList{QStringLiteral("*"), QStringLiteral("Z0"), QStringLiteral("  Z1"),
                              QStringLiteral("+H1 [b]"), QStringLiteral("  HG"), QStringLiteral("  A"),
                              QStringLiteral("    A1"), QStringLiteral("      U1"), QStringLiteral("    A2"),
                              QStringLiteral("      U2"), QStringLiteral("  B"), QStringLiteral("-H2 [b]"),
                              QStringLiteral("  C"), QStringLiteral("    C1")}));
        // Collapsed at the start.
        for (int i = 0; i < fx.tree()->topLevelItemCount(); ++i)
            QVERIFY(!fx.tree()->topLevelItem(i)->isExpanded());
        // Wait panel: six main groups give steps of 16.
        QCOMPARE(fx.waitCalls, (QStringList{QStringLiteral("show Artikelgruppen werden erstellt... 100"),
                                            QStringLiteral("0"), QStringLiteral("16"), QStringLiteral("32"),
                                            QStringLiteral("48"), QStringLiteral("64"), QStringLiteral("80"),
                                            QStringLiteral("96"), QStringLiteral("hide")}));
        QVERIFY(fx.msgs.shown.isEmpty());
        QVERIFY(!fx.q("qryArtGrupp")->isOpen() && !fx.q("qryAGruppen")->isOpen() &&
                !fx.q("qryAGrupp2")->isOpen());

        // The second visit reuses the tree: no queries, no wait panel, later rows not shown.
        fx.waitCalls.clear();
        fx.db.exec(QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('NEU', 9)"));
        page.pageEntered();
        QVERIFY(fx.waitCalls.isEmpty());
        QCOMPARE(fx.tree()->topLevelItemCount(), 4);
    }

    void treeEdgeCases()
    {
        {
            // No main groups at all: only "*".
            Fixture fx;
            fx.make().pageEntered();
            QCOMPARE(fx.treeDump(), QStringList{QStringLiteral("*")});
            QCOMPARE(fx.waitCalls.last(), QStringLiteral("hide"));
            QVERIFY(fx.msgs.shown.isEmpty());
        }
        {
            // 250 main groups: the step is 0 and the bar stays at 0.
            Fixture fx;
            QStringList inserts;
            for (int i = 0; i < 250; ++i)
                inserts << QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('G%1', %1)")
                               .arg(i);
            fx.db.exec(inserts);
            fx.make().pageEntered();
            QCOMPARE(fx.tree()->topLevelItemCount(), 251);
            QStringList progress = fx.waitCalls.mid(1, fx.waitCalls.size() - 2);
            QCOMPARE(progress.size(), 251);
            QCOMPARE(progress.count(QStringLiteral("0")), 251);
        }
        {
            // Codes with apostrophes find their groups and sub groups.
            Fixture fx;
            fx.db.exec(
                {QStringLiteral("INSERT INTO ARTGRUPP (GRUPPENBEZ, SORTKENNZ) VALUES ('O''Neil', 1)"),
                 QStringLiteral(
                     "INSERT INTO AGRUPPEN (OBERGRUPPE, GRUPPE, SORTKENNZ) VALUES ('O''Neil', 'G''1', 1)"),
                 QStringLiteral("INSERT INTO AGRUPP2 (OBERGRUPPE, GRUPPE, UNTGRUPPE, SORTKENNZ) "
                                "VALUES ('O''Neil', 'g''1', 'U''1', 1)")});
            fx.make().pageEntered();
            QCOMPARE(fx.treeDump(), (QStringList{QStringLiteral("*"), QStringLiteral("O'Neil"),
                                                 QStringLiteral("  G'1"), QStringLiteral("    U'1")}));
            QVERIFY(fx.msgs.shown.isEmpty());
        }
    }

    void failedTreeBuildKeepsThePartialTree()
    {
        Fixture fx;
        addGroups(fx);
        fx.db.exec(QStringLiteral("DROP TABLE AGRUPP2"));
        ArticlePage& page = fx.make();
        QVERIFY_THROWS_EXCEPTION(AbortSignal, page.pageEntered());
        // Reported once by the query layer, with the query's name and statement.
        QCOMPARE(fx.msgs.shown.size(), 1);
        QVERIFY(fx.msgs.lastText().contains(QStringLiteral("Tabelle: qryAGrupp2")));
        QCOMPARE(fx.waitCalls.last(), QStringLiteral("hide"));
        QVERIFY(!fx.q("qryArtGrupp")->isOpen() && !fx.q("qryAGruppen")->isOpen());
        QCOMPARE(fx.treeDump(),
                 (QStringList{QStringLiteral("*"), QStringLiteral("Z0"), QStringLiteral("  Z1")}));
        // The next visit opens the page with what is there.
        page.pageEntered();
        QCOMPARE(fx.msgs.shown.size(), 1);
    }

    void treeClicksSetTheFilterLabels()
    {
        Fixture fx;
        addGroups(fx);
        fx.addArticle(QStringLiteral("1"), QStringLiteral("OBERGRUPPE='A';GRUPPE='A1';UNTGRUPPE='U1'"));
        fx.addArticle(QStringLiteral("2"), QStringLiteral("OBERGRUPPE='A';GRUPPE='A2'"));
        fx.addArticle(QStringLiteral("3"), QStringLiteral("OBERGRUPPE='C'"));
        ArticlePage& page = fx.make();
        // The labels start empty: a requery before any click filters nothing.
        QCOMPARE(fx.label("labOBERGRUPPE"), QString());
        QCOMPARE(fx.label("labGruppe"), QString());
        QCOMPARE(fx.label("labGru2"), QString());
        page.pageEntered();
        fx.tree()->expandAll();
        Query* art = fx.q("qryMArt");
        QSignalSpy opened(art, &Query::afterOpen);

        fx.clickNode(fx.node(QStringLiteral("+H1/A/A1/U1")));
        QCOMPARE(fx.label("labOBERGRUPPE"), QStringLiteral("A"));
        QCOMPARE(fx.label("labGruppe"), QStringLiteral("A1"));
        QCOMPARE(fx.label("labGru2"), QStringLiteral("U1"));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(art->rowCount(), 1);
        QCOMPARE(art->text(QStringLiteral("ARTNR")), QStringLiteral("1"));

        fx.clickNode(fx.node(QStringLiteral("+H1/A/A2")));
        QCOMPARE(fx.label("labOBERGRUPPE"), QStringLiteral("A"));
        QCOMPARE(fx.label("labGruppe"), QStringLiteral("A2"));
        QCOMPARE(fx.label("labGru2"), QString());
        QCOMPARE(art->text(QStringLiteral("ARTNR")), QStringLiteral("2"));

        fx.clickNode(fx.node(QStringLiteral("-H2/C")));
        QCOMPARE(fx.label("labOBERGRUPPE"), QStringLiteral("C"));
        QCOMPARE(fx.label("labGruppe"), QString());
        QCOMPARE(art->rowCount(), 1);
        QCOMPARE(opened.count(), 3);

        // A heading changes nothing and does not requery.
        fx.clickNode(fx.node(QStringLiteral("-H2")));
        QCOMPARE(fx.label("labOBERGRUPPE"), QStringLiteral("C"));
        QCOMPARE(opened.count(), 3);

        // Moving with the keyboard does not requery.
        fx.tree()->setFocus();
        QTest::keyClick(fx.tree(), Qt::Key_Down);
        QCOMPARE(opened.count(), 3);

        // "*" empties all three labels.
        fx.clickNode(fx.node(QStringLiteral("*")));
        QCOMPARE(fx.label("labOBERGRUPPE"), QString());
        QCOMPARE(fx.label("labGruppe"), QString());
        QCOMPARE(fx.label("labGru2"), QString());
        QCOMPARE(art->rowCount(), 3);
        QCOMPARE(art->sql(), articleHead() << QStringLiteral("ORDER BY ARTNR"));
    }

    // ---- article list -------------------------------------------------------------------------

    void articleListStatement_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("orderBy"); // empty: keep the label as it is
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("docsOnly");
        QTest::addColumn<QStringList>("conditions");
        QTest::addColumn<QString>("order");

        const QString count =
            QStringLiteral("(select COUNT(*) from MARTBILD  MARTBILD where MART.ARTNR = MARTBILD.ARTNR) > 0");
        const QStringList none{QString(), QString(), QString()};
        QTest::newRow("no filter") << QString() << QString() << none << 0 << false << QStringList()
                                   << "ARTNR";
        QTest::newRow("search star becomes percent")
            << QStringLiteral("ab*") << QString() << none << 0 << false
            << QStringList{QStringLiteral("WHERE   UPPER(ARTNR) LIKE 'AB%'")} << "ARTNR";
        QTest::newRow("example of the list")
            << QStringLiteral("AB*") << QString()
            << QStringList{QStringLiteral("Elektro"), QStringLiteral("Kabel"), QString()} << 2 << true
            << QStringList{QStringLiteral("WHERE   UPPER(ARTNR) LIKE 'AB%'"),
                           QStringLiteral(" AND UPPER(OBERGRUPPE) ='ELEKTRO'"),
                           QStringLiteral(" AND UPPER(GRUPPE) ='KABEL'"), QStringLiteral(" AND ARTIKELART=2"),
                           QStringLiteral(" AND ") + count}
            << "ARTNR";
        QTest::newRow("sub group only")
            << QString() << QString() << QStringList{QString(), QString(), QStringLiteral("u1")} << 0 << false
            << QStringList{QStringLiteral("WHERE UPPER(UNTGRUPPE) ='U1'")} << "ARTNR";
        QTest::newRow("star labels filter nothing")
            << QString() << QString()
            << QStringList{QStringLiteral("*"), QStringLiteral("*"), QStringLiteral("*")} << 0 << false
            << QStringList() << "ARTNR";
        QTest::newRow("kind Arbeitszeit") << QString() << QString() << none << 4 << false
                                          << QStringList{QStringLiteral("WHERE ARTIKELART=4")} << "ARTNR";
        QTest::newRow("documents only") << QString() << QString() << none << 0 << true
                                        << QStringList{QStringLiteral("WHERE ") + count} << "ARTNR";
        QTest::newRow("search all") << QStringLiteral("*") << QString() << none << 0 << false
                                    << QStringList{QStringLiteral(
                                           "WHERE  (UPPER(ARTNR) LIKE '%' OR (ARTNR IS NULL))")}
                                    << "ARTNR";
        QTest::newRow("sorted by description")
            << QStringLiteral("schraube") << QStringLiteral("BEZEICHNUNG") << none << 1 << false
            << QStringList{QStringLiteral("WHERE   UPPER(BEZEICHNUNG) LIKE 'SCHRAUBE%'"),
                           QStringLiteral(" AND ARTIKELART=1")}
            << "BEZEICHNUNG";
        QTest::newRow("count column sorts by number")
            << QString() << QStringLiteral("ANZBILDER") << none << 0 << false << QStringList() << "ARTNR";
        QTest::newRow("numeric sort column")
            << QStringLiteral("2") << QStringLiteral("ARTIKELART") << none << 0 << false
            << QStringList{QStringLiteral("WHERE   ARTIKELART LIKE '2%'")} << "ARTIKELART";
        QTest::newRow("apostrophes in labels")
            << QString() << QString()
            << QStringList{QStringLiteral("O'Neil"), QStringLiteral("G'1"), QString()} << 0 << false
            << QStringList{QStringLiteral("WHERE UPPER(OBERGRUPPE) ='O''NEIL'"),
                           QStringLiteral(" AND UPPER(GRUPPE) ='G''1'")}
            << "ARTNR";
    }
    void articleListStatement()
    {
        QFETCH(QString, search);
        QFETCH(QString, orderBy);
        QFETCH(QStringList, groups);
        QFETCH(int, kind);
        QFETCH(bool, docsOnly);
        QFETCH(QStringList, conditions);
        QFETCH(QString, order);

        Fixture fx;
        fx.addArticle(QStringLiteral("AB1"),
                      QStringLiteral("OBERGRUPPE='Elektro';GRUPPE='Kabel';ARTIKELART=2"));
        fx.make();
        fx.w<QLineEdit>("EditSearch")->setText(search);
        fx.w<QLabel>("labOBERGRUPPE")->setText(groups.at(0));
        fx.w<QLabel>("labGruppe")->setText(groups.at(1));
        fx.w<QLabel>("labGru2")->setText(groups.at(2));
        fx.w<QCheckBox>("chkArtikelNurMitDoks")->setChecked(docsOnly);
        Query* art = fx.q("qryMArt");
        if (kind > 0) {
            QTest::mouseClick(fx.w<QRadioButton>(qPrintable(QStringLiteral("rgrpArtikelart%1").arg(kind))),
                              Qt::LeftButton);
        }
        if (!orderBy.isEmpty())
            fx.page->grdArtikelTitleButtonClick(orderBy);
        else
            fx.click("btnArtikelRefresh");

        QCOMPARE(art->sql(), articleHead() + conditions + QStringList{QStringLiteral("ORDER BY ") + order});
        QCOMPARE(fx.label("labOrderBy"), order);
        QVERIFY2(art->isOpen(), qPrintable(fx.msgs.texts().join(u'\n')));
        QVERIFY(fx.msgs.shown.isEmpty());
    }

    void titleClickSortsAndKindAndDocumentSwitchRequery()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("A1"), QStringLiteral("BEZEICHNUNG='Zange';ARTIKELART=1"));
        fx.addArticle(QStringLiteral("A2"), QStringLiteral("BEZEICHNUNG='Bohrer';ARTIKELART=2"));
        fx.addArticle(QStringLiteral("A3"), QStringLiteral("BEZEICHNUNG='Meissel';ARTIKELART=2"));
        fx.addLink(QStringLiteral("A3"), 1, QStringLiteral("/x/"), QStringLiteral("y.pdf"));
        ArticlePage& page = fx.make();
        Query* art = fx.q("qryMArt");
        QVERIFY(!art->isOpen()); // closed until the first requery
        fx.click("btnArtikelRefresh");

        // A click on the title "Bezeichnung" sorts by that column.
        QTableView* grid = fx.articles();
        QHeaderView* header = grid->horizontalHeader();
        const int logical = fx.column(grid, QStringLiteral("BEZEICHNUNG"));
        QCOMPARE(grid->model()->headerData(logical, Qt::Horizontal).toString(),
                 QStringLiteral("Bezeichnung"));
        grid->scrollTo(grid->model()->index(0, logical));
        const QPoint at(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(fx.label("labOrderBy"), QStringLiteral("BEZEICHNUNG"));
        QCOMPARE(art->sql().last(), QStringLiteral("ORDER BY BEZEICHNUNG"));
        QCOMPARE(art->text(QStringLiteral("ARTNR")), QStringLiteral("A2"));

        // The title "Anz.Dok." sorts by article number.
        const int countColumn = fx.column(grid, QStringLiteral("ANZBILDER"));
        QCOMPARE(grid->model()->headerData(countColumn, Qt::Horizontal).toString(),
                 QStringLiteral("Anz.Dok."));
        QCOMPARE(header->visualIndex(countColumn), 0);
        grid->scrollTo(grid->model()->index(0, countColumn));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(countColumn) + 5, header->height() / 2));
        QCOMPARE(fx.label("labOrderBy"), QStringLiteral("ARTNR"));
        QCOMPARE(art->text(QStringLiteral("ARTNR")), QStringLiteral("A1"));

        // Kind "Verkauf", then documents only.
        QTest::mouseClick(fx.w<QRadioButton>("rgrpArtikelart2"), Qt::LeftButton);
        QCOMPARE(art->rowCount(), 2);
        QTest::mouseClick(fx.w<QCheckBox>("chkArtikelNurMitDoks"), Qt::LeftButton);
        QCOMPARE(art->rowCount(), 1);
        QCOMPARE(art->text(QStringLiteral("ARTNR")), QStringLiteral("A3"));
        QCOMPARE(art->text(QStringLiteral("ANZBILDER")), QStringLiteral("1"));
        // INAKTIV is read but not shown; the columns stand in the order of the table.
        QVERIFY(grid->isColumnHidden(fx.column(grid, QStringLiteral("INAKTIV"))));
        QCOMPARE(header->visualIndex(fx.column(grid, QStringLiteral("ARTNR"))), 1);
        QCOMPARE(header->visualIndex(fx.column(grid, QStringLiteral("TYP"))), 2);
        QCOMPARE(header->visualIndex(fx.column(grid, QStringLiteral("ARTIKELART"))), 14);

        // The switch is a per-user setting; setting it at start does not requery.
        page.storeSettings();
        QVERIFY(fx.ctx.settings.chkArtikelNurMitDoks);
        QSignalSpy opened(art, &Query::afterOpen);
        fx.ctx.settings.chkArtikelNurMitDoks = false;
        page.loadSettings();
        QVERIFY(!fx.w<QCheckBox>("chkArtikelNurMitDoks")->isChecked());
        QCOMPARE(opened.count(), 0);
    }

    void paneWidthsAreSettings()
    {
        Fixture fx;
        fx.ctx.settings.panArtikelTreeWidth = 250;
        fx.ctx.settings.panArtikelDokumenteWidth = 400;
        // A page that was never shown keeps the stored widths.
        {
            ArticlePage hidden(fx.ctx);
            hidden.loadSettings();
            fx.ctx.settings.panArtikelTreeWidth = 0;
            hidden.storeSettings();
            QCOMPARE(fx.ctx.settings.panArtikelTreeWidth, 250);
            QCOMPARE(fx.ctx.settings.panArtikelDokumenteWidth, 400);
        }
        ArticlePage& page = fx.make();
        page.loadSettings();
        auto* splitter = fx.w<QSplitter>("splitterArtikel");
        QCOMPARE(splitter->sizes().first(), 250);
        QCOMPARE(splitter->sizes().last(), 400);
        splitter->setSizes({180, splitter->sizes().at(1) + 70 + 100, 300});
        page.storeSettings();
        QCOMPARE(fx.ctx.settings.panArtikelTreeWidth, 180);
        QCOMPARE(fx.ctx.settings.panArtikelDokumenteWidth, 300);
    }

    void searchBoxKeys()
    {
        Fixture fx;
        for (int i = 0; i < 30; ++i)
            fx.addArticle(QStringLiteral("A%1").arg(i, 2, 10, QLatin1Char('0')));
        fx.addArticle(QStringLiteral("B1"));
        fx.make();
        QLineEdit* edit = fx.w<QLineEdit>("EditSearch");
        Query* art = fx.q("qryMArt");
        QSignalSpy opened(art, &Query::afterOpen);
        edit->setFocus();

        // Every typed letter requeries, upper-cased.
        QTest::keyClick(edit, Qt::Key_A);
        QCOMPARE(edit->text(), QStringLiteral("A"));
        QCOMPARE(opened.count(), 1);
        QVERIFY(art->sql().contains(QStringLiteral("WHERE   UPPER(ARTNR) LIKE 'A%'")));
        QCOMPARE(art->currentRow(), 0);

        // Arrow and page keys move the current row and do not requery; the text stays.
        QTest::keyClick(edit, Qt::Key_Down);
        QCOMPARE(art->currentRow(), 1);
        QCOMPARE(art->text(QStringLiteral("ARTNR")), QStringLiteral("A01"));
        QTest::keyClick(edit, Qt::Key_PageDown);
        QCOMPARE(art->currentRow(), 11);
        QTest::keyClick(edit, Qt::Key_PageDown);
        QTest::keyClick(edit, Qt::Key_PageDown);
        QCOMPARE(art->currentRow(), 29); // stops at the last row
        QTest::keyClick(edit, Qt::Key_PageUp);
        QCOMPARE(art->currentRow(), 19);
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(art->currentRow(), 18);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(edit->text(), QStringLiteral("A"));
        // The grid follows the current row.
        QCOMPARE(fx.articles()->currentIndex().row(), 18);

        // The space bar, Enter and Home do not requery.
        QTest::keyClick(edit, Qt::Key_Space);
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Home);
        QCOMPARE(opened.count(), 1);

        // Digits, punctuation and Backspace / Delete do.
        edit->setText(QStringLiteral("A"));
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_0);
        QCOMPARE(opened.count(), 2);
        QVERIFY(art->sql().contains(QStringLiteral("WHERE   UPPER(ARTNR) LIKE 'A0%'")));
        QCOMPARE(art->rowCount(), 10);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(opened.count(), 3);
        QCOMPARE(art->rowCount(), 30);
        QTest::keyClick(edit, Qt::Key_Asterisk);
        QCOMPARE(opened.count(), 4);
        edit->home(false);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(opened.count(), 5);
        QCOMPARE(edit->text(), QStringLiteral("*"));
        QCOMPARE(art->rowCount(), 31);
        QTest::keyClick(edit, Qt::Key_F5);
        QCOMPARE(opened.count(), 6);
    }

    void failingArticleQueryIsReported()
    {
        Fixture fx;
        fx.make();
        fx.db.exec(QStringLiteral("DROP TABLE MART"));
        fx.click("btnArtikelRefresh");
        QCOMPARE(fx.msgs.shown.size(), 2);
        QVERIFY(fx.msgs.shown.at(0).text.contains(QStringLiteral("Tabelle: qryMArt")));
        QCOMPARE(fx.msgs.shown.at(1).kind, Messages::Kind::Error);
        QCOMPARE(fx.msgs.shown.at(1).text,
                 QStringLiteral("Die Artikel-Datenbank-Abfrage war nicht erfolgreich:") + crlf() +
                     QStringLiteral("Operation abgebrochen"));
        QVERIFY(fx.msgs.sounds.contains(Messages::Sound::Question));
        QVERIFY(!fx.q("qryMArt")->isOpen());
        QVERIFY(!fx.q("qryMArt")->controlsDisabled());
        QVERIFY(fx.articles()->updatesEnabled());
        QCOMPARE(fx.msgs.cursors.last(), Messages::Cursor::Normal);
    }

    void articleCellColours()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("K1"), QStringLiteral("ARTIKELART=2;INAKTIV=0"));
        fx.addArticle(QStringLiteral("K2"), QStringLiteral("ARTIKELART=2;INAKTIV=1"));
        fx.addArticle(QStringLiteral("K3"), QStringLiteral("ARTIKELART=1;INAKTIV=0"));
        fx.addArticle(QStringLiteral("K4"), QStringLiteral("INAKTIV=1"));
        fx.addArticle(QStringLiteral("K5"), QStringLiteral("ARTIKELART=4"));
        for (const char* a : {"K1", "K3", "K4"})
            fx.addLink(QString::fromLatin1(a), 1, QStringLiteral("/x/"), QStringLiteral("y"));
        ArticlePage& page = fx.make();
        fx.click("btnArtikelRefresh");
        QTableView* grid = fx.articles();
        auto* model = grid->model();
        const QColor cyan(215, 255, 255);
        const QColor grey(128, 128, 128);
        struct Expect
        {
            QColor background, text;
            bool italic;
            QColor selBackground, selText;
            QString kindText;
        };
        const Expect expected[] = {
            {cyan, Qt::black, false, {}, {}, QStringLiteral("Verkauf")}, // K1 sale
            {cyan, grey, true, {}, grey, QStringLiteral("Verkauf")},     // K2 sale, inactive, no documents
            {{}, {}, false, {}, {}, QStringLiteral("Miete")},            // K3
            {{}, grey, false, {}, grey, QStringLiteral("Fehler")},       // K4 no kind, inactive
            {{}, {}, true, {}, {}, QStringLiteral("Arb.zeit")},          // K5 no documents
        };
        const int kindColumn = fx.column(grid, QStringLiteral("ARTIKELART"));
        auto* delegate = qobject_cast<GridCellDelegate*>(grid->itemDelegate());
        QVERIFY(delegate);
        for (int row = 0; row < 5; ++row) {
            const Expect& e = expected[row];
            for (int column : {0, 1, kindColumn}) {
                const QModelIndex idx = model->index(row, column);
                CellColors plain;
                page.grdArtikelCalcCellColors(idx, false, plain);
                QCOMPARE(plain.background, e.background);
                QCOMPARE(plain.text, e.text);
                QCOMPARE(plain.italic, e.italic);
                CellColors selected;
                page.grdArtikelCalcCellColors(idx, true, selected);
                QCOMPARE(selected.background, e.selBackground);
                QCOMPARE(selected.text, e.selText);
                QCOMPARE(selected.italic, e.italic);
            }
            QStyleOptionViewItem base;
            base.initFrom(grid);
            QCOMPARE(delegate->cellOption(base, model->index(row, kindColumn)).text, e.kindText);
        }
        // The painted option: cyan behind a sale article, the selection colour with grey text when selected.
        QStyleOptionViewItem base;
        base.initFrom(grid);
        QCOMPARE(delegate->cellOption(base, model->index(1, 1)).backgroundBrush.color(), cyan);
        base.state |= QStyle::State_Selected;
        const QStyleOptionViewItem sel = delegate->cellOption(base, model->index(1, 1));
        QCOMPARE(sel.palette.color(QPalette::HighlightedText), grey);
        QCOMPARE(sel.palette.color(QPalette::Highlight), grid->palette().color(QPalette::Highlight));
        QVERIFY(sel.font.italic());

        // And on screen: the first row is the current one, so look at the unselected K2, at the
        // right end of a cell away from its text.
        grid->scrollTo(model->index(1, 1));
        const QImage shot = grid->viewport()->grab().toImage();
        const QRect cell = grid->visualRect(model->index(1, 1));
        QCOMPARE(QColor(shot.pixel(cell.right() - 2, cell.center().y())), cyan);
    }

    // ---- link list ----------------------------------------------------------------------------

    void linkListFollowsTheCurrentArticle()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("A1"));
        fx.addArticle(QStringLiteral("A2"));
        fx.addLink(QStringLiteral("A1"), 1, fx.folder(), QStringLiteral("b.pdf"));
        fx.addLink(QStringLiteral("A1"), 2, fx.folder(), QStringLiteral("a.pdf"));
        fx.addLink(QStringLiteral("A2"), 1, fx.folder(), QStringLiteral("c.pdf"));
        fx.make();
        QCOMPARE(fx.linkRows(), QStringList{QStringLiteral("closed")});
        fx.click("btnArtikelRefresh");
        QCOMPARE(fx.linkRows(), (QStringList{QStringLiteral("2:a.pdf"), QStringLiteral("1:b.pdf")}));
        Query* lq = fx.q("qryMArtBild");
        QCOMPARE(lq->sql(),
                 (QStringList{
                     QStringLiteral("select ARTNR,LFDNR,DATEINAME,PFADNAME,TEXT, BILDKENNZ FROM MARTBILD"),
                     QStringLiteral("WHERE ARTNR='A1'"), QStringLiteral("ORDER BY ARTNR,DATEINAME")}));
        // Columns: file, folder, flag, number, article; TEXT is not shown.
        QTableView* grid = fx.links();
        QHeaderView* h = grid->horizontalHeader();
        QCOMPARE(h->visualIndex(fx.column(grid, QStringLiteral("DATEINAME"))), 0);
        QCOMPARE(h->visualIndex(fx.column(grid, QStringLiteral("PFADNAME"))), 1);
        QCOMPARE(grid->model()
                     ->headerData(fx.column(grid, QStringLiteral("BILDKENNZ")), Qt::Horizontal)
                     .toString(),
                 QStringLiteral("Auftr.Bild?"));
        QVERIFY(grid->isColumnHidden(fx.column(grid, QStringLiteral("TEXT"))));

        fx.selectArticle(1);
        QCOMPARE(fx.page->currentArtNr(), QStringLiteral("A2"));
        QCOMPARE(fx.linkRows(), QStringList{QStringLiteral("1:c.pdf")});

        // A search without hits leaves no current article and no links.
        fx.w<QLineEdit>("EditSearch")->setText(QStringLiteral("XYZ"));
        fx.click("btnArtikelRefresh");
        QVERIFY(!fx.page->hasCurrentArticle());
        QCOMPARE(fx.linkRows(), QStringList{QStringLiteral("closed")});
    }

    void openViewAndDelete()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("A1"));
        fx.addArticle(QStringLiteral("A2"));
        const QString file = fx.touch(QStringLiteral("plan.pdf"));
        fx.addLink(QStringLiteral("A1"), 1, fx.folder(), QStringLiteral("plan.pdf"));
        fx.addLink(QStringLiteral("A1"), 2, fx.folder(), QStringLiteral("weg.pdf"));
        fx.make();
        fx.click("btnArtikelRefresh");
        Query* lq = fx.q("qryMArtBild");

        fx.click("btnArtikelOpenDok");
        QCOMPARE(fx.msgs.openedUrls, QList<QUrl>{QUrl::fromLocalFile(file)});
        fx.click("btnArtikelViewDok");
        QCOMPARE(fx.viewed, QStringList{file});
        // Without the main window's service the page uses the one viewer itself.
        {
            const auto service = fx.ctx.viewDocument;
            fx.ctx.viewDocument = nullptr;
            fx.click("btnArtikelViewDok");
            QVERIFY(TDlgDokView::instance());
            QCOMPARE(TDlgDokView::instance()->editDateiname->text(), file);
            delete TDlgDokView::instance();
            fx.ctx.viewDocument = service;
        }

        // A missing file is handed on all the same, without a message.
        fx.selectLink(1);
        QCOMPARE(lq->text(QStringLiteral("DATEINAME")), QStringLiteral("weg.pdf"));
        fx.click("btnArtikelOpenDok");
        QCOMPARE(fx.msgs.openedUrls.size(), 2);
        QVERIFY(fx.msgs.shown.isEmpty());

        // A double click views the document; it does not open it.
        const QModelIndex first =
            fx.links()->model()->index(0, fx.column(fx.links(), QStringLiteral("DATEINAME")));
        const QPoint at = fx.links()->visualRect(first).center();
        QTest::mouseClick(fx.links()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(fx.links()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(fx.viewed.size(), 2);
        QCOMPARE(fx.msgs.openedUrls.size(), 2);

        // Delete: No keeps the row, Yes removes it; the file stays on disk.
        fx.msgs.answers.enqueue(Messages::Answer::No);
        fx.click("btnDokuLoeschen");
        QCOMPARE(fx.msgs.shown.size(), 1);
        QCOMPARE(fx.msgs.lastText(),
                 QStringLiteral("Wollen Sie diese Dokumenten-Verknüpfung jetzt wirklich löschen? "));
        QCOMPARE(fx.linkRows().size(), 2);
        fx.selectLink(0);
        fx.msgs.answers.enqueue(Messages::Answer::Yes);
        fx.click("btnDokuLoeschen");
        QCOMPARE(fx.linkRows(), QStringList{QStringLiteral("2:weg.pdf")});
        QCOMPARE(fx.dbLinks(QStringLiteral("A1")).size(), 1);
        QVERIFY(QFile::exists(file));
        // The article list's count stays until the list itself is requeried.
        QCOMPARE(fx.q("qryMArt")->text(QStringLiteral("ANZBILDER")), QStringLiteral("2"));

        // An article without links: the buttons do nothing.
        fx.selectArticle(1);
        QCOMPARE(fx.linkRows(), QStringList());
        fx.msgs.clear();
        fx.viewed.clear();
        for (const char* b : {"btnArtikelOpenDok", "btnArtikelViewDok", "btnDokuLoeschen",
                              "btnArtikelVerknAendern", "btnArtikelDokuUmbenennen"})
            fx.click(b);
        QVERIFY(fx.msgs.shown.isEmpty());
        QVERIFY(fx.msgs.openedUrls.isEmpty());
        QCOMPARE(fx.msgs.dialogsRun, 0);
        QVERIFY(fx.viewed.isEmpty());
    }

    void failingLinkQueryIsReported()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("A1"));
        // A link table without the columns the list reads.
        fx.db.exec({QStringLiteral("DROP TABLE MARTBILD"),
                    QStringLiteral("CREATE TABLE MARTBILD (ARTNR VARCHAR(20))")});
        fx.make();
        fx.click("btnArtikelRefresh");
        QVERIFY(fx.q("qryMArt")->isOpen());
        QCOMPARE(fx.msgs.shown.size(), 2);
        QVERIFY(fx.msgs.shown.at(0).text.contains(QStringLiteral("Tabelle: qryMArtBild")));
        QCOMPARE(fx.msgs.shown.at(1).kind, Messages::Kind::Warning);
        QCOMPARE(fx.msgs.shown.at(1).text, QStringLiteral("Die Dokumenten-Abfrage war nicht erfolgreich:") +
                                               crlf() + QStringLiteral("Operation abgebrochen"));
        QVERIFY(!fx.q("qryMArtBild")->isOpen());
    }

    void invalidLinksAreMarked()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("A1"));
        fx.touch(QStringLiteral("da.pdf"));
        fx.touch(QStringLiteral("O'Brien.pdf"));
        fx.addLink(QStringLiteral("A1"), 1, fx.folder(), QStringLiteral("da.pdf"));
        fx.addLink(QStringLiteral("A1"), 2, fx.folder(), QStringLiteral("umbenannt.pdf"));
        fx.addLink(QStringLiteral("A1"), 3, QStringLiteral(" ") + fx.folder(), QStringLiteral("da.pdf "));
        fx.addLink(QStringLiteral("A1"), 4, fx.folder(), QStringLiteral("O'Brien.pdf"));
        ArticlePage& page = fx.make();
        fx.click("btnArtikelRefresh");
        QTableView* grid = fx.links();
        auto* model = grid->model();
        auto rowOf = [&](int lfdnr) {
            for (int r = 0; r < model->rowCount(); ++r)
                if (model->index(r, fx.column(grid, QStringLiteral("LFDNR"))).data().toInt() == lfdnr)
                    return r;
            return -1;
        };

        // Switched off: no test and no colour.
        const int testsBefore = page.fileExistenceTests();
        CellColors off;
        page.grdMArtBildCalcCellColors(model->index(rowOf(2), 0), false, off);
        QVERIFY(!off.text.isValid() && !off.background.isValid());
        grid->viewport()->grab();
        QCOMPARE(page.fileExistenceTests(), testsBefore);

        QTest::mouseClick(fx.w<QCheckBox>("chkArtUngueltVerknMark"), Qt::LeftButton);
        for (int lfdnr : {1, 3, 4}) {
            CellColors c;
            page.grdMArtBildCalcCellColors(model->index(rowOf(lfdnr), 0), false, c);
            QVERIFY2(!c.text.isValid() && !c.background.isValid(), qPrintable(QString::number(lfdnr)));
        }
        CellColors plain;
        page.grdMArtBildCalcCellColors(model->index(rowOf(2), 1), false, plain);
        QCOMPARE(plain.text, QColor(255, 0, 0));
        QVERIFY(!plain.background.isValid());
        CellColors selected;
        page.grdMArtBildCalcCellColors(model->index(rowOf(2), 1), true, selected);
        QCOMPARE(selected.background, QColor(255, 0, 0));
        QCOMPARE(selected.text, QColor(Qt::white));

        // One repaint tests each visible row's file once, not once per cell.
        const int before = page.fileExistenceTests();
        grid->viewport()->grab();
        QCOMPARE(page.fileExistenceTests() - before, 4);
        grid->viewport()->grab();
        QCOMPARE(page.fileExistenceTests() - before, 8);

        // On screen: the selected invalid link is white on red.
        fx.selectLink(rowOf(2));
        const QImage shot = grid->viewport()->grab().toImage();
        const QRect cell =
            grid->visualRect(model->index(rowOf(2), fx.column(grid, QStringLiteral("DATEINAME"))));
        // (the style shades the selection a little)
        const QColor painted(shot.pixel(cell.right() - 2, cell.center().y()));
        QVERIFY2(painted.red() > 230 && painted.green() < 40 && painted.blue() < 40,
                 qPrintable(painted.name()));

        // The marking is a per-user setting.
        page.storeSettings();
        QVERIFY(fx.ctx.settings.chkArtUngueltVerknMark);
    }

    // ---- link editing -------------------------------------------------------------------------

    void newLinkAndChangeLink()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("A1"));
        fx.addArticle(QStringLiteral("A2"));
        fx.addLink(QStringLiteral("A2"), 1, QStringLiteral("/x/"), QStringLiteral("a"));
        fx.addLink(QStringLiteral("A2"), 2, QStringLiteral("/x/"), QStringLiteral("b"));
        fx.addLink(QStringLiteral("A2"), 5, QStringLiteral("/x/"), QStringLiteral("c"));
        const QString plan = fx.touch(QStringLiteral("zeichnungen/Plan O'Neil.pdf"));
        fx.make();
        fx.click("btnArtikelRefresh");

        // Cancelled: nothing happens.
        fx.click("btnDokuNeu");
        QCOMPARE(fx.linkRows(), QStringList());

        fx.msgs.fileNames.enqueue(plan);
        fx.click("btnDokuNeu");
        QCOMPARE(fx.linkRows(), QStringList{QStringLiteral("1:Plan O'Neil.pdf")});
        QCOMPARE(fx.dbLinks(QStringLiteral("A1")), QStringList{QStringLiteral("1|") + plan});
        QCOMPARE(fx.ctx.settings.OpenDialog1InitialDir, fx.db.dir() + QStringLiteral("/zeichnungen"));

        fx.selectArticle(1);
        fx.msgs.fileNames.enqueue(plan);
        fx.click("btnDokuNeu");
        QCOMPARE(fx.dbLinks(QStringLiteral("A2")).last(), QStringLiteral("6|") + plan);

        // Change link: the link with number 5 now names the new file, number kept.
        fx.selectLink(fx.linkRow(5));
        QCOMPARE(fx.q("qryMArtBild")->text(QStringLiteral("LFDNR")), QStringLiteral("5"));
        const QString other = fx.touch(QStringLiteral("neu/anders.pdf"));
        fx.msgs.fileNames.enqueue(other);
        fx.click("btnArtikelVerknAendern");
        QCOMPARE(fx.dbLinks(QStringLiteral("A2")),
                 (QStringList{QStringLiteral("1|/x/a"), QStringLiteral("2|/x/b"),
                              QStringLiteral("5|") + other, QStringLiteral("6|") + plan}));
        QVERIFY(fx.linkRows().contains(QStringLiteral("5:anders.pdf")));
        QCOMPARE(fx.ctx.settings.OpenDialog1InitialDir, fx.db.dir() + QStringLiteral("/neu"));
        QVERIFY(fx.msgs.shown.isEmpty());
    }

    void renameThroughTheDialog()
    {
        Fixture fx;
        fx.addArticle(QStringLiteral("A1"));
        fx.touch(QStringLiteral("alt.pdf"));
        fx.touch(QStringLiteral("belegt.pdf"));
        fx.addLink(QStringLiteral("A1"), 1, fx.folder(), QStringLiteral("alt.pdf"));
        fx.make();
        fx.click("btnArtikelRefresh");
        Query* lq = fx.q("qryMArtBild");
        QSignalSpy reread(lq, &Query::afterOpen);

        // Cancel: the list is read again, nothing else.
        QString caption;
        QString prompt;
        QString start;
        bool secondRowShown = true;
        fx.msgs.dialogHandlers.enqueue([&](QDialog& d) {
            auto* dlg = qobject_cast<TDlgInputPara*>(&d);
            caption = dlg->windowTitle();
            prompt = dlg->labText->text();
            start = dlg->fldInput1->text();
            dlg->show();
            secondRowShown = dlg->fldInput2->isVisible();
            dlg->hide();
            return int(QDialog::Rejected);
        });
        fx.click("btnArtikelDokuUmbenennen");
        QCOMPARE(caption, QStringLiteral("Dokument umbenennen"));
        QCOMPARE(prompt, QStringLiteral("Dokument ") + fx.folder() + QStringLiteral("alt.pdf umbenennen"));
        QCOMPARE(start, QStringLiteral("alt.pdf"));
        QVERIFY(!secondRowShown);
        QCOMPARE(reread.count(), 1);
        QVERIFY(fx.msgs.shown.isEmpty());

        // No: nothing changes and the list is not read again.
        fx.answerRename(QStringLiteral("neu.pdf"));
        fx.msgs.answers.enqueue(Messages::Answer::No);
        fx.click("btnArtikelDokuUmbenennen");
        QCOMPARE(fx.msgs.lastText(), QStringLiteral("Wollen Sie die Datei") + crlf() + crlf() + fx.folder() +
                                         QStringLiteral("alt.pdf") + crlf() + crlf() +
                                         QStringLiteral("wirklich nach") + crlf() + crlf() + fx.folder() +
                                         QStringLiteral("neu.pdf") + crlf() + crlf() +
                                         QStringLiteral(" umbenennen? "));
        QCOMPARE(reread.count(), 1);
        QVERIFY(QFile::exists(fx.folder() + QStringLiteral("alt.pdf")));

        // The target exists: file and link stay, no message; the list is read again.
        fx.msgs.clear();
        fx.answerRename(QStringLiteral("belegt.pdf"));
        fx.msgs.answers.enqueue(Messages::Answer::Yes);
        fx.click("btnArtikelDokuUmbenennen");
        QCOMPARE(fx.msgs.shown.size(), 1); // the question only
        QCOMPARE(reread.count(), 2);
        QCOMPARE(fx.dbLinks(QStringLiteral("A1")),
                 QStringList{QStringLiteral("1|") + fx.folder() + QStringLiteral("alt.pdf")});

        // Success.
        fx.answerRename(QStringLiteral("Bob's neu.pdf"));
        fx.msgs.answers.enqueue(Messages::Answer::Yes);
        fx.click("btnArtikelDokuUmbenennen");
        QVERIFY(QFile::exists(fx.folder() + QStringLiteral("Bob's neu.pdf")));
        QVERIFY(!QFile::exists(fx.folder() + QStringLiteral("alt.pdf")));
        QCOMPARE(fx.dbLinks(QStringLiteral("A1")),
                 QStringList{QStringLiteral("1|") + fx.folder() + QStringLiteral("Bob's neu.pdf")});
        QCOMPARE(fx.linkRows(), QStringList{QStringLiteral("1:Bob's neu.pdf")});

        // The link update fails: the file gets its old name back and the user is told.
        fx.db.exec(QStringLiteral("CREATE TRIGGER no_update BEFORE UPDATE ON MARTBILD BEGIN "
                                  "SELECT RAISE(ABORT, 'gesperrt'); END"));
        fx.msgs.clear();
        fx.answerRename(QStringLiteral("noch neuer.pdf"));
        fx.msgs.answers.enqueue(Messages::Answer::Yes);
        fx.click("btnArtikelDokuUmbenennen");
        QVERIFY(QFile::exists(fx.folder() + QStringLiteral("Bob's neu.pdf")));
        QVERIFY(!QFile::exists(fx.folder() + QStringLiteral("noch neuer.pdf")));
        QCOMPARE(fx.msgs.shown.size(), 3); // question, database error, roll-back
        QVERIFY(fx.msgs.shown.at(2).text.contains(QStringLiteral("wieder zurück umbenannt")));
        QCOMPARE(fx.linkRows(), QStringList{QStringLiteral("1:Bob's neu.pdf")});
    }
};

QTEST_MAIN(TestArticlePage)
#include "tst_articlepage.moc"
