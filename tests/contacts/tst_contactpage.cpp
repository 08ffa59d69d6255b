// SPDX-License-Identifier: GPL-3.0-or-later
// The contact page driven through its controls on a temporary SQLite database and folder: the
// contact list's SQL and filters, returning to the current contact, the search box's keys, and
// the document links (list, new, delete, open, view, rename, marking).
#include "app/appcontext.h"
#include "app/dlginputpara.h"
#include "app/gridlayout.h"
#include "contacts/contactlinks.h"
#include "contacts/contactpage.h"
#include "db/query.h"
#include "scriptedmessages.h"
#include "testdb.h"
#include "testfiles.h"
#include "util/inifile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QtTest>
#include <memory>

namespace {

// The four lines every contact list starts with (tables translated for SQLITE without prefix).
const QStringList kBaseLines = {
    "select ADRNR,KURZNAME,ORT,TELGESCH,TELPRIV,TELMOBIL,TELEFAX,",
    "MAIL,ANSCHRIFT,BEMERKUNG,HOMEPAGE,LANDKENNZ,PLZ,STR,STICHWORT,KUNDENNR,LIEFERNR,",
    "(select COUNT(*) from DOKUMENT DOKUMENT where ADR.ADRNR = DOKUMENT.D_BEZUG_ADRNR) as ANZAHL",
    "from ADR where ADRNR > 0"};

QStringList searchLines(const QString& pattern)
{
    return {" AND (",
            "   UPPER(KURZNAME) LIKE('" + pattern + "')",
            "or UPPER(ORT) LIKE('" + pattern + "')",
            "or UPPER(ANSCHRIFT) LIKE('" + pattern + "')",
            "or UPPER(PLZ) LIKE('" + pattern + "')",
            "or UPPER(STR) LIKE('" + pattern + "')",
            " )"};
}

QString fileText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

} // namespace

class TestContactPage : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void filterSql_data();
    void filterSql();
    void listChoiceWithEmptySearch_data();
    void listChoiceWithEmptySearch();
    void statusListKeepsTypedSearch();
    void returnsToCurrentContact();
    void titleClickSorts();
    void searchBoxKeys();
    void searchBoxMovesRows();
    void apostropheAndInjection();
    void failingListQuery();
    void gridLayouts();

    void documentsNewestFirst();
    void newLink();
    void newLinkKeepsFileNameExactly();
    void newLinkWithoutContact();
    void deleteLink();
    void openAndView();
    void renameCases();
    void renameBackWhenUpdateFails();
    void marking();
    void settingsRoundTrip();

private:
    void selectContact(qint64 adrnr);
    QList<qint64> listedAdrnrs() const;
    QStringList listedDocuments() const;
    void clickRefresh();
    QString folder() const { return db_->dir() + "/docs/"; }
    qint64 insertDoc(qint64 adrnr, const QString& folder, const QString& name, const QString& date);

    std::unique_ptr<TestDatabase> db_;
    std::unique_ptr<ScriptedMessages> sm_;
    std::unique_ptr<AppContext> ctx_;
    std::unique_ptr<ContactPage> page_;
    QStringList viewed_;
};

void TestContactPage::init()
{
    db_ = std::make_unique<TestDatabase>();
    sm_ = std::make_unique<ScriptedMessages>();
    GridLayoutStore::setLayoutFilePath(db_->dir() + "/kvdokman.ini");
    QVERIFY(QDir().mkpath(folder()));

    // Contacts: 1 and 6 customers, 2 a supplier with status NULL, 3 both and inactive, 4 with an
    // apostrophe and status Marketing, 5 a supplier without any of the five text columns (Storno),
    // 0 the ERP's placeholder row that is never listed.
    QVERIFY(db_->exec(QStringList{
        "INSERT INTO ADR (ADRNR,KURZNAME,ORT,ANSCHRIFT,PLZ,STR,KUNDENNR,LIEFERNR,INAKTIV) VALUES "
        "(1,'MUELLER','Berlin','Müller GmbH','10115','Hauptstr. 1',100,0,0)",
        "INSERT INTO ADR (ADRNR,KURZNAME,ORT,ANSCHRIFT,PLZ,STR,KUNDENNR,LIEFERNR,INAKTIV) VALUES "
        "(2,'MEIER','Hamburg','Meier KG','20095','Alsterweg 2',0,200,NULL)",
        "INSERT INTO ADR (ADRNR,KURZNAME,ORT,ANSCHRIFT,PLZ,STR,KUNDENNR,LIEFERNR,INAKTIV) VALUES "
        "(3,'SCHMIDT','München','Schmidt AG','80331','Marienplatz 3',101,201,1)",
        "INSERT INTO ADR (ADRNR,KURZNAME,ORT,ANSCHRIFT,PLZ,STR,KUNDENNR,LIEFERNR,INAKTIV) VALUES "
        "(4,'O''NEIL','Dublin','O''Neil Ltd','D01','Grafton St',0,0,2)",
        "INSERT INTO ADR (ADRNR,KUNDENNR,LIEFERNR,INAKTIV) VALUES (5,0,202,3)",
        "INSERT INTO ADR (ADRNR,KURZNAME,ORT,ANSCHRIFT,PLZ,STR,KUNDENNR,LIEFERNR,INAKTIV) VALUES "
        "(6,'MUELLERSEN','Kiel','Muellersen OHG','24103','Förde 6',102,0,0)",
        "INSERT INTO ADR (ADRNR,KURZNAME,ORT,KUNDENNR,LIEFERNR,INAKTIV) VALUES (0,'NULL','-',0,0,0)",
    }));
    insertDoc(1, folder(), "alt.doc", "2024-01-05");
    insertDoc(1, folder(), "neu.doc", "2024-03-01");
    insertDoc(1, folder(), "mitte.doc", "2024-02-10");
    insertDoc(3, folder(), "schmidt.pdf", "2023-06-01");
    insertDoc(6, folder(), "kiel.txt", "2022-01-01");

    ctx_ = std::make_unique<AppContext>();
    ctx_->shortName = "ABC";
    ctx_->qry1 = new Query("qry1");
    ctx_->qryExec = new Query("qryExec");
    ctx_->qryHelp = new Query("qryHelp");
    ctx_->qry2 = new Query("qry2");
    viewed_.clear();
    ctx_->viewDocument = [this](const QString& path) { viewed_ << path; };
    page_ = std::make_unique<ContactPage>(*ctx_);
    page_->resize(1400, 600);
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
}

void TestContactPage::cleanup()
{
    page_.reset();
    if (ctx_) {
        delete ctx_->qry1;
        delete ctx_->qryExec;
        delete ctx_->qryHelp;
        delete ctx_->qry2;
    }
    ctx_.reset();
    sm_.reset();
    db_.reset();
}

qint64 TestContactPage::insertDoc(qint64 adrnr, const QString& dir, const QString& name, const QString& date)
{
    db_->exec(QString("INSERT INTO DOKUMENT (D_BEZUG_ADRNR,D_PFAD,D_DATEINAME,ERFDATUM,ERFUSER) VALUES "
                      "(%1,'%2','%3','%4','XY')")
                  .arg(adrnr)
                  .arg(QString(dir).replace("'", "''"), QString(name).replace("'", "''"), date));
    return db_->scalar("SELECT MAX(ID) FROM DOKUMENT").toLongLong();
}

QList<qint64> TestContactPage::listedAdrnrs() const
{
    QList<qint64> r;
    for (const QVariant& v : ColumnValues(page_->qryAdrSearch, "ADRNR"))
        r << v.toLongLong();
    return r;
}

QStringList TestContactPage::listedDocuments() const
{
    QStringList r;
    for (const QVariant& v : ColumnValues(page_->qryDokument, "D_DATEINAME"))
        r << v.toString();
    return r;
}

void TestContactPage::clickRefresh()
{
    QTest::mouseClick(page_->btnKontakteRefresh, Qt::LeftButton);
}

// Clicks the contact's row in the contact grid.
void TestContactPage::selectContact(qint64 adrnr)
{
    const int row = listedAdrnrs().indexOf(adrnr);
    QVERIFY2(row >= 0, "contact not listed");
    QTableView* grid = page_->grdAdrSearch;
    const QModelIndex index = grid->model()->index(row, grid->horizontalHeader()->logicalIndex(1));
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    QCOMPARE(page_->currentAdrnr(), adrnr);
}

// ---------------------------------------------------------------------------------------------

void TestContactPage::filterSql_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("onlyWithDocs");
    QTest::addColumn<QStringList>("filterLines");
    QTest::addColumn<QList<qint64>>("adrnrs");

    const QString docsLine =
        " and (select COUNT(*) from DOKUMENT DOKUMENT where ADR.ADRNR = DOKUMENT.D_BEZUG_ADRNR) > 0";
    // Sorted by KURZNAME: the contact without a short name (NULL) comes first in SQLite.
    QTest::newRow("no filter") << "" << -1 << -1 << false << QStringList{} << QList<qint64>{5, 2, 1, 6, 4, 3};
    QTest::newRow("star search") << "MUELLER*" << -1 << -1 << false << searchLines("%MUELLER%%")
                                 << QList<qint64>{1, 6};
    QTest::newRow("lower case, town")
        << "kiel" << -1 << -1 << false << searchLines("%KIEL%") << QList<qint64>{6};
    QTest::newRow("postal code") << "2009" << -1 << -1 << false << searchLines("%2009%") << QList<qint64>{2};
    QTest::newRow("street") << "MARIEN" << -1 << -1 << false << searchLines("%MARIEN%") << QList<qint64>{3};
    QTest::newRow("umlaut in name") << QString::fromUtf8("MÜLLER") << -1 << -1 << false
                                    << searchLines(QString::fromUtf8("%MÜLLER%")) << QList<qint64>{1};
    QTest::newRow("Aktiv") << "" << 0 << -1 << false << QStringList{" AND (INAKTIV = 0 or INAKTIV is null)"}
                           << QList<qint64>{2, 1, 6};
    QTest::newRow("Inaktiv") << "" << 1 << -1 << false << QStringList{" AND (INAKTIV = 1)"}
                             << QList<qint64>{3};
    QTest::newRow("Marketing") << "" << 2 << -1 << false << QStringList{" AND (INAKTIV = 2)"}
                               << QList<qint64>{4};
    QTest::newRow("Storno") << "" << 3 << -1 << false << QStringList{" AND (INAKTIV = 3)"}
                            << QList<qint64>{5};
    QTest::newRow("Alle") << "" << -1 << 0 << false << QStringList{} << QList<qint64>{5, 2, 1, 6, 4, 3};
    QTest::newRow("Nur Kunden") << "" << -1 << 1 << false << QStringList{" AND KUNDENNR > 0"}
                                << QList<qint64>{1, 6, 3};
    QTest::newRow("Nur Lieferanten") << "" << -1 << 2 << false << QStringList{" AND LIEFERNR > 0"}
                                     << QList<qint64>{5, 2, 3};
    QTest::newRow("only with documents")
        << "" << -1 << -1 << true << QStringList{docsLine} << QList<qint64>{1, 6, 3};
    QTest::newRow("all together") << "M*" << 0 << 1 << true
                                  << (searchLines("%M%%") +
                                      QStringList{" AND (INAKTIV = 0 or INAKTIV is null)",
                                                  " AND KUNDENNR > 0", docsLine})
                                  << QList<qint64>{1, 6};
}

void TestContactPage::filterSql()
{
    QFETCH(QString, search);
    QFETCH(int, status);
    QFETCH(int, kind);
    QFETCH(bool, onlyWithDocs);
    QFETCH(QStringList, filterLines);
    QFETCH(QList<qint64>, adrnrs);

    page_->editSearchKontakte->setText(search);
    page_->cboFilterStatus->setCurrentIndex(status);
    page_->cboSearchKontaktArt->setCurrentIndex(kind);
    page_->chkKontakteNurMitDoks->setChecked(onlyWithDocs);
    clickRefresh();

    QVERIFY(sm_->shown.isEmpty());
    QCOMPARE(page_->qryAdrSearch->sql(), kBaseLines + filterLines + QStringList{"ORDER BY KURZNAME"});
    QCOMPARE(listedAdrnrs(), adrnrs);
}

void TestContactPage::listChoiceWithEmptySearch_data()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("filterLine");
    QTest::addColumn<QList<qint64>>("adrnrs");
    // Contact 5 is a supplier with status Storno but none of the five text columns: the "*" that
    // the choice writes into the search box leaves it out.
    QTest::newRow("Nur Lieferanten") << "cboSearchKontaktArt" << 2 << " AND LIEFERNR > 0"
                                     << QList<qint64>{2, 3};
    QTest::newRow("Storno") << "cboFilterStatus" << 3 << " AND (INAKTIV = 3)" << QList<qint64>{};
    QTest::newRow("Aktiv, status NULL listed")
        << "cboFilterStatus" << 0 << " AND (INAKTIV = 0 or INAKTIV is null)" << QList<qint64>{2, 1, 6};
}

void TestContactPage::listChoiceWithEmptySearch()
{
    QFETCH(QString, combo);
    QFETCH(int, index);
    QFETCH(QString, filterLine);
    QFETCH(QList<qint64>, adrnrs);

    auto* box = page_->findChild<QComboBox*>(combo);
    QVERIFY(box);
    QCOMPARE(box->currentIndex(), -1);
    QVERIFY(!page_->qryAdrSearch->isOpen());
    box->setFocus();
    // Keyboard choice on the closed drop-down list: Down moves from "no entry" to the first.
    for (int i = 0; i <= index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentIndex(), index);

    QCOMPARE(page_->editSearchKontakte->text(), QString("*"));
    QCOMPARE(page_->qryAdrSearch->sql(),
             (kBaseLines + searchLines("%%%") + QStringList{filterLine, "ORDER BY KURZNAME"}));
    QCOMPARE(listedAdrnrs(), adrnrs);
}

void TestContactPage::statusListKeepsTypedSearch()
{
    page_->editSearchKontakte->setText("MUE");
    page_->cboFilterStatus->setCurrentIndex(0);
    emit page_->cboFilterStatus->activated(0);
    QCOMPARE(page_->editSearchKontakte->text(), QString("MUE"));
    QCOMPARE(listedAdrnrs(), (QList<qint64>{1, 6}));
    // Once chosen, no entry of the status list lists every status again.
    for (int i = 0; i < page_->cboFilterStatus->count(); ++i) {
        page_->cboFilterStatus->setCurrentIndex(i);
        emit page_->cboFilterStatus->activated(i);
        QVERIFY(page_->qryAdrSearch->sql().join("\n").contains("INAKTIV"));
    }
}

void TestContactPage::returnsToCurrentContact()
{
    clickRefresh();
    selectContact(6);
    QCOMPARE(listedDocuments(), QStringList{"kiel.txt"});

    // Every caller that passes the current contact: refresh, documents-only, both lists.
    clickRefresh();
    QCOMPARE(page_->currentAdrnr(), qint64(6));
    QTest::mouseClick(page_->chkKontakteNurMitDoks, Qt::LeftButton);
    QVERIFY(page_->chkKontakteNurMitDoks->isChecked());
    QCOMPARE(listedAdrnrs(), (QList<qint64>{1, 6, 3}));
    QCOMPARE(page_->currentAdrnr(), qint64(6));
    page_->cboSearchKontaktArt->setCurrentIndex(1);
    emit page_->cboSearchKontaktArt->activated(1);
    QCOMPARE(page_->currentAdrnr(), qint64(6));
    QCOMPARE(page_->grdAdrSearch->currentIndex().row(), listedAdrnrs().indexOf(6));
    QCOMPARE(listedDocuments(), QStringList{"kiel.txt"});

    // The contact no longer in the result: the first row becomes current.
    db_->exec("DELETE FROM DOKUMENT WHERE D_BEZUG_ADRNR = 6");
    clickRefresh();
    QCOMPARE(listedAdrnrs(), (QList<qint64>{1, 3}));
    QCOMPARE(page_->currentAdrnr(), qint64(1));
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc", "alt.doc"}));

    // A contact far down a list longer than the first fetch is found as well.
    for (int i = 100; i < 700; ++i)
        db_->exec(QString("INSERT INTO ADR (ADRNR,KURZNAME,ORT,KUNDENNR,INAKTIV) VALUES (%1,'X%1','Y',1,0)")
                      .arg(i));
    db_->exec("INSERT INTO DOKUMENT (D_BEZUG_ADRNR,D_PFAD,D_DATEINAME,ERFDATUM) VALUES "
              "(699,'/','z.txt','2020-01-01')");
    QTest::mouseClick(page_->chkKontakteNurMitDoks, Qt::LeftButton);
    QVERIFY(!page_->chkKontakteNurMitDoks->isChecked());
    QCOMPARE(page_->currentAdrnr(), qint64(1));
    page_->qryAdrSearch->fetchAll();
    page_->qryAdrSearch->setCurrentRow(listedAdrnrs().indexOf(699));
    QCOMPARE(page_->currentAdrnr(), qint64(699));
    page_->qryAdrSearch->close();
    clickRefresh(); // closed list: passes 0
    QCOMPARE(page_->currentAdrnr(), qint64(1));
    page_->qryAdrSearch->fetchAll();
    page_->qryAdrSearch->setCurrentRow(listedAdrnrs().indexOf(699));
    clickRefresh();
    QCOMPARE(page_->currentAdrnr(), qint64(699));
    QCOMPARE(listedDocuments(), QStringList{"z.txt"});
}

void TestContactPage::titleClickSorts()
{
    clickRefresh();
    selectContact(3);
    QHeaderView* header = page_->grdAdrSearch->horizontalHeader();
    QSqlQueryModel* model = page_->qryAdrSearch->model();

    const int ortColumn = model->record().indexOf("ORT");
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(ortColumn) + 5, header->height() / 2));
    QCOMPARE(page_->labOrderByKontakte->text(), QString("ORT"));
    QCOMPARE(page_->qryAdrSearch->sql().last(), QString("ORDER BY ORT"));
    QCOMPARE(listedAdrnrs(), (QList<qint64>{5, 1, 4, 2, 6, 3}));
    QCOMPARE(page_->currentAdrnr(), qint64(5)); // first row, not the contact of before

    // "Anz.Dok." sorts by the computed count.
    const int countColumn = model->record().indexOf("ANZAHL");
    QCOMPARE(header->visualIndex(countColumn), 0);
    page_->grdAdrSearchTitleButtonClick(countColumn);
    QCOMPARE(page_->labOrderByKontakte->text(), QString("ANZAHL"));
    // 2, 4 and 5 have no documents, 3 and 6 one each, 1 three.
    const QList<qint64> rows = listedAdrnrs();
    QCOMPARE(rows.size(), 6);
    QCOMPARE(QSet<qint64>(rows.begin(), rows.begin() + 3), (QSet<qint64>{2, 4, 5}));
    QCOMPARE(QSet<qint64>(rows.begin() + 3, rows.begin() + 5), (QSet<qint64>{3, 6}));
    QCOMPARE(rows.last(), qint64(1));
}

void TestContactPage::searchBoxKeys()
{
    QLineEdit* edit = page_->editSearchKontakte;
    edit->setFocus();
    QTest::keyClicks(edit, "muell");
    QCOMPARE(edit->text(), QString("MUELL")); // upper-case input
    QCOMPARE(page_->qryAdrSearch->sql().at(5), QString("   UPPER(KURZNAME) LIKE('%MUELL%')"));
    QCOMPARE(listedAdrnrs(), (QList<qint64>{1, 6}));

    // A contact added meanwhile shows only after a key that requeries.
    db_->exec("INSERT INTO ADR (ADRNR,KURZNAME,INAKTIV) VALUES (7,'MUELLMANN',0)");
    for (Qt::Key key :
         {Qt::Key_F7, Qt::Key_F8, Qt::Key_F9, Qt::Key_Left, Qt::Key_Return, Qt::Key_End, Qt::Key_Space}) {
        QTest::keyClick(edit, key);
        QCOMPARE(listedAdrnrs(), (QList<qint64>{1, 6}));
    }
    QCOMPARE(edit->text(), QString("MUELL ")); // the space is typed but does not requery
    QTest::keyClick(edit, Qt::Key_F6);
    QCOMPARE(listedAdrnrs(), QList<qint64>{});
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(listedAdrnrs(), (QList<qint64>{1, 6, 7}));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), QString("UELL"));
    QCOMPARE(page_->qryAdrSearch->sql().at(5), QString("   UPPER(KURZNAME) LIKE('%UELL%')"));
    QCOMPARE(listedAdrnrs(), (QList<qint64>{1, 6, 7}));
}

void TestContactPage::searchBoxMovesRows()
{
    for (int i = 10; i < 40; ++i)
        db_->exec(QString("INSERT INTO ADR (ADRNR,KURZNAME,INAKTIV) VALUES (%1,'Q%1',0)").arg(i));
    QLineEdit* edit = page_->editSearchKontakte;
    edit->setFocus();
    QTest::keyClicks(edit, "Q");
    const QList<qint64> rows = listedAdrnrs();
    QCOMPARE(rows.size(), 30);
    QCOMPARE(page_->currentAdrnr(), rows.at(0));
    QTest::keyClick(edit, Qt::Key_Down);
    QCOMPARE(page_->currentAdrnr(), rows.at(1));
    QTest::keyClick(edit, Qt::Key_PageDown);
    QCOMPARE(page_->currentAdrnr(), rows.at(11));
    QCOMPARE(page_->grdAdrSearch->currentIndex().row(), 11);
    QTest::keyClick(edit, Qt::Key_PageDown);
    QTest::keyClick(edit, Qt::Key_PageDown);
    QCOMPARE(page_->currentAdrnr(), rows.at(29)); // stops at the last row
    QTest::keyClick(edit, Qt::Key_Up);
    QCOMPARE(page_->currentAdrnr(), rows.at(28));
    QTest::keyClick(edit, Qt::Key_PageUp);
    QCOMPARE(page_->currentAdrnr(), rows.at(18));
    QTest::keyClick(edit, Qt::Key_PageUp);
    QTest::keyClick(edit, Qt::Key_PageUp);
    QCOMPARE(page_->currentAdrnr(), rows.at(0));
    QCOMPARE(edit->text(), QString("Q")); // the keys were consumed
    QCOMPARE(page_->qryAdrSearch->sql().at(5), QString("   UPPER(KURZNAME) LIKE('%Q%')"));
}

void TestContactPage::apostropheAndInjection()
{
    QLineEdit* edit = page_->editSearchKontakte;
    edit->setFocus();
    QTest::keyClicks(edit, "o'n");
    QVERIFY2(sm_->shown.isEmpty(), qPrintable(sm_->texts().join("|")));
    QCOMPARE(page_->qryAdrSearch->sql().at(5), QString("   UPPER(KURZNAME) LIKE('%O''N%')"));
    QCOMPARE(listedAdrnrs(), QList<qint64>{4});

    // Typed SQL stays inside the pattern: no row matches it, nothing fails, the table is intact.
    edit->clear();
    QTest::keyClicks(edit, "x') or 1=1 or ('");
    QVERIFY(sm_->shown.isEmpty());
    QCOMPARE(listedAdrnrs(), QList<qint64>{});
    edit->clear();
    QTest::keyClicks(edit, "'); delete from adr; --");
    QVERIFY(sm_->shown.isEmpty());
    QCOMPARE(db_->scalar("SELECT COUNT(*) FROM ADR").toInt(), 7);
    // "%" keeps working as a wildcard.
    edit->clear();
    QTest::keyClicks(edit, "m%er");
    QCOMPARE(listedAdrnrs(), (QList<qint64>{2, 1, 6}));
}

void TestContactPage::failingListQuery()
{
    clickRefresh();
    selectContact(1);
    db_->exec("DROP TABLE ADR");
    sm_->clear();
    clickRefresh();
    QCOMPARE(sm_->shown.size(), 2);
    QVERIFY(sm_->shown.at(0).text.contains("Tabelle: qryAdrSearch"));
    QCOMPARE(sm_->shown.at(1).text, QString("Operation abgebrochen"));
    QCOMPARE(sm_->shown.at(1).kind, Messages::Kind::Warning);
    QCOMPARE(sm_->sounds, QList<Messages::Sound>{Messages::Sound::Question});
    QVERIFY(!page_->qryAdrSearch->isOpen());
    QVERIFY(page_->grdAdrSearch->updatesEnabled());
    QVERIFY(!page_->qryAdrSearch->controlsDisabled());
    // The document list keeps its rows.
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc", "alt.doc"}));
}

void TestContactPage::gridLayouts()
{
    clickRefresh();
    QHeaderView* header = page_->grdAdrSearch->horizontalHeader();
    QSqlQueryModel* model = page_->qryAdrSearch->model();
    const QStringList order = {"ANZAHL",    "KURZNAME",  "LANDKENNZ", "PLZ",      "ORT",      "STR",
                               "ANSCHRIFT", "TELGESCH",  "TELEFAX",   "TELPRIV",  "TELMOBIL", "BEMERKUNG",
                               "HOMEPAGE",  "STICHWORT", "KUNDENNR",  "LIEFERNR", "MAIL",     "ADRNR"};
    for (int visual = 0; visual < order.size(); ++visual)
        QCOMPARE(model->record().fieldName(header->logicalIndex(visual)), order.at(visual));
    QCOMPARE(model->headerData(model->record().indexOf("ANZAHL"), Qt::Horizontal).toString(),
             QString("Anz.Dok."));
    QCOMPARE(model->headerData(model->record().indexOf("ADRNR"), Qt::Horizontal).toString(),
             QString("Adr.~Nr."));

    QHeaderView* dokHeader = page_->grdDok->horizontalHeader();
    QSqlQueryModel* dokModel = page_->qryDokument->model();
    QVERIFY(dokHeader->isSectionHidden(dokModel->record().indexOf("ID")));
    QVERIFY(dokHeader->isSectionHidden(dokModel->record().indexOf("D_DOKUMENTENART")));
    QCOMPARE(dokModel->record().fieldName(dokHeader->logicalIndex(0)), QString("D_DATEINAME"));
    QCOMPARE(dokModel->headerData(dokModel->record().indexOf("ERFDATUM"), Qt::Horizontal).toString(),
             QString("Erf.-Datum"));

    IniFile ini(GridLayoutStore::layoutFilePath());
    QCOMPARE(ini.readString("frmAuftragwwDBGrid1", "ANZAHL"), QString("8;;Anz.Dok.;;F"));
    QCOMPARE(ini.readString("FrmMaingrdDok", "D_BEZUG_RECHNNR"), QString("10;;Zu Rech.Nr.;;F"));
}

// ---------------------------------------------------------------------------------------------

void TestContactPage::documentsNewestFirst()
{
    QVERIFY(!page_->qryDokument->isOpen());
    clickRefresh();
    QCOMPARE(page_->currentAdrnr(), qint64(5));
    QCOMPARE(listedDocuments(), QStringList{});
    selectContact(1);
    QCOMPARE(page_->qryDokument->sql(),
             (QStringList{
                 "select",
                 "ID,D_DOKUMENTENART,D_BEZUG_AUFTRNR,D_BEZUG_BESTELLNR,D_BEZUG_RECHNNR,D_PFAD,D_DATEINAME,"
                 "D_BETREFF,D_BEMERKUNG,ERFDATUM,ERFUSER FROM DOKUMENT",
                 "WHERE D_BEZUG_ADRNR = 1", "ORDER BY ERFDATUM DESC"}));
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc", "alt.doc"}));
    // An empty result keeps the previous document list.
    page_->editSearchKontakte->setText("ZZZ");
    clickRefresh();
    QCOMPARE(listedAdrnrs(), QList<qint64>{});
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc", "alt.doc"}));
}

void TestContactPage::newLink()
{
    clickRefresh();
    selectContact(6);
    const QString file = folder() + "brief.doc";
    QVERIFY(WriteTestFile(file));
    sm_->fileNames.enqueue(file);
    QTest::mouseClick(page_->btnKontaktDokuNeu, Qt::LeftButton);
    QVERIFY2(sm_->shown.isEmpty(), qPrintable(sm_->texts().join("|")));

    QSqlQuery q(QSqlDatabase::database());
    QVERIFY(q.exec("SELECT D_BEZUG_ADRNR,D_EMPF_KURZNAME,D_BEZUG_FORMULAR,D_DOKUMENTENART,D_BEZUG_AUFTRNR,"
                   "D_PFAD,D_DATEINAME,D_BETREFF,D_BEMERKUNG,ERFDATUM,ERFUSER,D_BEZUG_BESTELLNR "
                   "FROM DOKUMENT WHERE D_DATEINAME='brief.doc'"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 6);
    QCOMPARE(q.value(1).toString(), QString("MUELLERSEN"));
    QCOMPARE(q.value(2).toInt(), 3);
    QCOMPARE(q.value(3).toInt(), 1);
    QCOMPARE(q.value(4).toInt(), 0);
    QCOMPARE(q.value(5).toString(), folder());
    QCOMPARE(q.value(6).toString(), QString("brief.doc"));
    QVERIFY(!q.value(7).isNull());
    QCOMPARE(q.value(7).toString(), QString(""));
    QVERIFY(!q.value(8).isNull());
    QCOMPARE(q.value(8).toString(), QString(""));
    QCOMPARE(q.value(9).toString(), QDate::currentDate().toString("yyyy-MM-dd"));
    QCOMPARE(q.value(10).toString(), QString("ABC"));
    QVERIFY(q.value(11).isNull());
    QVERIFY(!q.next());

    // The list shows it first (newest), the dialog's next folder is the file's folder without
    // its separator, and the contact's count waits for the next requery of the contact list.
    QCOMPARE(listedDocuments(), (QStringList{"brief.doc", "kiel.txt"}));
    QCOMPARE(ctx_->settings.OpenDialog2InitialDir, db_->dir() + "/docs");
    QCOMPARE(page_->qryAdrSearch->value("ANZAHL").toInt(), 1);
    clickRefresh();
    QCOMPARE(page_->qryAdrSearch->value("ANZAHL").toInt(), 2);

    // A cancelled dialog changes nothing.
    sm_->fileNames.clear();
    QTest::mouseClick(page_->btnKontaktDokuNeu, Qt::LeftButton);
    QCOMPARE(db_->scalar("SELECT COUNT(*) FROM DOKUMENT").toInt(), 6);

    // A failing insert: the query layer's message, no refresh, the folder stays.
    db_->exec(
        "CREATE TRIGGER no_insert BEFORE INSERT ON DOKUMENT BEGIN SELECT RAISE(ABORT, 'gesperrt'); END");
    sm_->clear();
    sm_->fileNames.enqueue("/tmp/other/x.doc");
    QTest::mouseClick(page_->btnKontaktDokuNeu, Qt::LeftButton);
    QCOMPARE(sm_->shown.size(), 1);
    QVERIFY(sm_->lastText().contains("gesperrt"));
    QCOMPARE(ctx_->settings.OpenDialog2InitialDir, db_->dir() + "/docs");
}

void TestContactPage::newLinkKeepsFileNameExactly()
{
    clickRefresh();
    selectContact(4);
    // A leading blank and an apostrophe: the link still names the file.
    const QString file = folder() + " O'Neil Angebot.doc";
    QVERIFY(WriteTestFile(file));
    sm_->fileNames.enqueue(file);
    QTest::mouseClick(page_->btnKontaktDokuNeu, Qt::LeftButton);
    QCOMPARE(listedDocuments(), QStringList{" O'Neil Angebot.doc"});
    QCOMPARE(db_->scalar("SELECT D_EMPF_KURZNAME FROM DOKUMENT WHERE D_BEZUG_ADRNR=4").toString(),
             QString::fromUtf8("O´NEIL")); // other texts keep the ERP's text literal
    page_->chkKontakteUngueltVerknMark->setChecked(true);
    QColor text, background;
    QVERIFY(!page_->grdDokCalcCellColors(0, false, &text, &background));
}

void TestContactPage::newLinkWithoutContact()
{
    // List closed, then empty: "Neu verkn." asks for no file.
    sm_->fileNames.enqueue(folder() + "a.doc");
    QTest::mouseClick(page_->btnKontaktDokuNeu, Qt::LeftButton);
    QTest::keyClicks(page_->editSearchKontakte, "ZZZ");
    QTest::mouseClick(page_->btnKontaktDokuNeu, Qt::LeftButton);
    QCOMPARE(sm_->fileNames.size(), 1);
    QCOMPARE(db_->scalar("SELECT COUNT(*) FROM DOKUMENT").toInt(), 5);
}

void TestContactPage::deleteLink()
{
    QVERIFY(WriteTestFile(folder() + "mitte.doc"));
    clickRefresh();
    selectContact(1);
    page_->qryDokument->setCurrentRow(1);
    QCOMPARE(page_->grdDok->currentIndex().row(), 1);
    QCOMPARE(page_->qryDokument->text("D_DATEINAME"), QString("mitte.doc"));

    sm_->answers.enqueue(Messages::Answer::No);
    QTest::mouseClick(page_->btnDokuKontaktLoeschen, Qt::LeftButton);
    QCOMPARE(sm_->lastText(), QString("Wollen Sie diese Dokumentenverknüpfung wirklich löschen?"));
    QCOMPARE(sm_->shown.last().buttons, Messages::Buttons::YesNo);
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc", "alt.doc"}));

    sm_->answers.enqueue(Messages::Answer::Yes);
    QTest::mouseClick(page_->btnDokuKontaktLoeschen, Qt::LeftButton);
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "alt.doc"}));
    QCOMPARE(db_->scalar("SELECT COUNT(*) FROM DOKUMENT WHERE D_DATEINAME='mitte.doc'").toInt(), 0);
    QVERIFY(QFile::exists(folder() + "mitte.doc"));
    QCOMPARE(db_->scalar("SELECT COUNT(*) FROM DOKUMENT").toInt(), 4);

    // No current document: nothing is asked.
    selectContact(2);
    sm_->clear();
    QTest::mouseClick(page_->btnDokuKontaktLoeschen, Qt::LeftButton);
    QVERIFY(sm_->shown.isEmpty());
}

void TestContactPage::openAndView()
{
    clickRefresh();
    selectContact(1);
    QTableView* grid = page_->grdDok;
    const QModelIndex cell = grid->model()->index(2, grid->horizontalHeader()->logicalIndex(1));
    const QPoint at = grid->visualRect(cell).center();
    // A double click as the platform delivers it: press, release, press, double click, release.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(sm_->openedUrls, QList<QUrl>{QUrl::fromLocalFile(folder() + "alt.doc")});
    QVERIFY(viewed_.isEmpty()); // the double click opens, it does not view

    page_->qryDokument->setCurrentRow(0);
    QTest::mouseClick(page_->btnKontaktOpenDok, Qt::LeftButton);
    QCOMPARE(sm_->openedUrls.last(), QUrl::fromLocalFile(folder() + "neu.doc"));
    QTest::mouseClick(page_->btnKontaktViewDok, Qt::LeftButton);
    QCOMPARE(viewed_, QStringList{folder() + "neu.doc"});

    // An empty file name is not opened; without a viewer service nothing happens.
    insertDoc(2, folder(), "", "2024-01-01");
    selectContact(2);
    sm_->openedUrls.clear();
    QTest::mouseClick(page_->btnKontaktOpenDok, Qt::LeftButton);
    QVERIFY(sm_->openedUrls.isEmpty());
    ctx_->viewDocument = nullptr;
    QTest::mouseClick(page_->btnKontaktViewDok, Qt::LeftButton);
}

void TestContactPage::renameCases()
{
    QVERIFY(WriteTestFile(folder() + "neu.doc", "inhalt"));
    QVERIFY(WriteTestFile(folder() + "alt.doc", "anderer"));
    clickRefresh();
    selectContact(1);
    QCOMPARE(page_->qryDokument->text("D_DATEINAME"), QString("neu.doc"));
    const qint64 id = page_->qryDokument->value("ID").toLongLong();
    QString labText, field, caption;
    auto answerDialog = [&](const QString& newName, int result) {
        sm_->dialogHandlers.enqueue([&, newName, result](QDialog& d) {
            auto& dlg = dynamic_cast<TDlgInputPara&>(d);
            caption = dlg.windowTitle();
            labText = dlg.labText->text();
            field = dlg.fldInput1->text();
            dlg.fldInput1->setText(newName);
            return result;
        });
    };

    // Cancelled dialog: nothing renamed, the list is read again (it shows a row added meanwhile).
    insertDoc(1, folder(), "inzwischen.doc", "2000-01-01");
    answerDialog("egal.doc", QDialog::Rejected);
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QCOMPARE(caption, QString("Dokument umbenennen"));
    QCOMPARE(labText, "Dokument " + folder() + "neu.doc umbenennen");
    QCOMPARE(field, QString("neu.doc"));
    QVERIFY(sm_->shown.isEmpty());
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc", "alt.doc", "inzwischen.doc"}));

    // No to the confirmation: nothing renamed, no refresh.
    insertDoc(1, folder(), "spaeter.doc", "1999-01-01");
    answerDialog("angebot.doc", QDialog::Accepted);
    sm_->answers.enqueue(Messages::Answer::No);
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QCOMPARE(sm_->lastText(), "Wollen Sie die Datei\r\n\r\n" + folder() +
                                  "neu.doc\r\n\r\nwirklich nach\r\n\r\n" + folder() +
                                  "angebot.doc\r\n\r\n umbenennen? ");
    QVERIFY(QFile::exists(folder() + "neu.doc"));
    QCOMPARE(listedDocuments().size(), 4);

    // Yes: file and link renamed, the list read again.
    sm_->clear();
    answerDialog("angebot.doc", QDialog::Accepted);
    sm_->answers.enqueue(Messages::Answer::Yes);
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QCOMPARE(sm_->shown.size(), 1);
    QVERIFY(!QFile::exists(folder() + "neu.doc"));
    QCOMPARE(fileText(folder() + "angebot.doc"), QString("inhalt"));
    QCOMPARE(db_->scalar(QString("SELECT D_DATEINAME FROM DOKUMENT WHERE ID=%1").arg(id)).toString(),
             QString("angebot.doc"));
    QCOMPARE(listedDocuments(),
             (QStringList{"angebot.doc", "mitte.doc", "alt.doc", "inzwischen.doc", "spaeter.doc"}));

    // The new name exists already: neither file changes, no message, the link stays.
    page_->qryDokument->setCurrentRow(0);
    sm_->clear();
    answerDialog("alt.doc", QDialog::Accepted);
    sm_->answers.enqueue(Messages::Answer::Yes);
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QCOMPARE(sm_->shown.size(), 1); // the confirmation only
    QCOMPARE(fileText(folder() + "angebot.doc"), QString("inhalt"));
    QCOMPARE(fileText(folder() + "alt.doc"), QString("anderer"));
    QCOMPARE(db_->scalar(QString("SELECT D_DATEINAME FROM DOKUMENT WHERE ID=%1").arg(id)).toString(),
             QString("angebot.doc"));

    // The file is missing: nothing changes.
    page_->qryDokument->setCurrentRow(1);
    QCOMPARE(page_->qryDokument->text("D_DATEINAME"), QString("mitte.doc"));
    answerDialog("mitte2.doc", QDialog::Accepted);
    sm_->answers.enqueue(Messages::Answer::Yes);
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QCOMPARE(db_->scalar("SELECT COUNT(*) FROM DOKUMENT WHERE D_DATEINAME='mitte.doc'").toInt(), 1);
    QVERIFY(!QFile::exists(folder() + "mitte2.doc"));

    // A name with an apostrophe and blanks is stored exactly as the file now has it.
    page_->qryDokument->setCurrentRow(0);
    answerDialog(" Angebot O'Neil.doc", QDialog::Accepted);
    sm_->answers.enqueue(Messages::Answer::Yes);
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QVERIFY(QFile::exists(folder() + " Angebot O'Neil.doc"));
    QCOMPARE(db_->scalar(QString("SELECT D_DATEINAME FROM DOKUMENT WHERE ID=%1").arg(id)).toString(),
             QString(" Angebot O'Neil.doc"));
}

void TestContactPage::renameBackWhenUpdateFails()
{
    QVERIFY(WriteTestFile(folder() + "neu.doc", "inhalt"));
    clickRefresh();
    selectContact(1);
    insertDoc(1, folder(), "zusatz.doc", "2000-01-01");
    db_->exec(
        "CREATE TRIGGER no_update BEFORE UPDATE ON DOKUMENT BEGIN SELECT RAISE(ABORT, 'gesperrt'); END");
    sm_->dialogHandlers.enqueue([](QDialog& d) {
        dynamic_cast<TDlgInputPara&>(d).fldInput1->setText("neu2.doc");
        return int(QDialog::Accepted);
    });
    sm_->answers.enqueue(Messages::Answer::Yes);
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);

    QCOMPARE(sm_->shown.size(), 3);
    QVERIFY(sm_->shown.at(1).text.contains("gesperrt"));
    QCOMPARE(sm_->shown.at(2).kind, Messages::Kind::Warning);
    QCOMPARE(sm_->shown.at(2).text, "Die Verknüpfung konnte nicht geändert werden. Die Datei wurde wieder "
                                    "zurück umbenannt in\r\n\r\n" +
                                        folder() + "neu.doc");
    QCOMPARE(fileText(folder() + "neu.doc"), QString("inhalt"));
    QVERIFY(!QFile::exists(folder() + "neu2.doc"));
    QCOMPARE(db_->scalar("SELECT COUNT(*) FROM DOKUMENT WHERE D_DATEINAME='neu.doc'").toInt(), 1);
    // The action ended: no refresh.
    QCOMPARE(listedDocuments().size(), 3);
}

void TestContactPage::marking()
{
    QVERIFY(WriteTestFile(folder() + "neu.doc"));
    insertDoc(1, " " + folder(), "mitte.doc ", "2024-02-11"); // blanks around an existing file
    QVERIFY(WriteTestFile(folder() + "mitte.doc"));
    clickRefresh();
    selectContact(1);
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc ", "mitte.doc", "alt.doc"}));

    QColor text, background;
    // Off: nothing is tested.
    QVERIFY(!page_->grdDokCalcCellColors(3, false, &text, &background));
    QTest::mouseClick(page_->chkKontakteUngueltVerknMark, Qt::LeftButton, {},
                      QPoint(8, page_->chkKontakteUngueltVerknMark->height() / 2));
    QVERIFY(page_->chkKontakteUngueltVerknMark->isChecked());
    QVERIFY(!page_->grdDokCalcCellColors(0, false, &text, &background));
    QVERIFY(!page_->grdDokCalcCellColors(1, true, &text, &background));
    QVERIFY(!page_->grdDokCalcCellColors(2, false, &text, &background));
    QVERIFY(page_->grdDokCalcCellColors(3, false, &text, &background));
    QCOMPARE(text, QColor(255, 0, 0));
    QVERIFY(page_->grdDokCalcCellColors(3, true, &text, &background));
    QCOMPARE(text, QColor(Qt::white));
    QCOMPARE(background, QColor(255, 0, 0));
    // The disk is asked at every call.
    QVERIFY(WriteTestFile(folder() + "alt.doc"));
    QVERIFY(!page_->grdDokCalcCellColors(3, true, &text, &background));
    QFile::remove(folder() + "neu.doc");
    QVERIFY(page_->grdDokCalcCellColors(0, false, &text, &background));

    // Painted: the current cell of an invalid link is white on red.
    QTableView* grid = page_->grdDok;
    const QModelIndex cell = grid->model()->index(0, grid->horizontalHeader()->logicalIndex(2));
    grid->setCurrentIndex(cell);
    grid->setFocus();
    const QRect rect = grid->visualRect(cell);
    // The style may shade the highlight a little.
    auto isRed = [](const QColor& c) { return c.red() > 230 && c.green() < 40 && c.blue() < 40; };
    const QImage image = grid->viewport()->grab().toImage();
    QVERIFY2(isRed(image.pixelColor(rect.center())), qPrintable(image.pixelColor(rect.center()).name()));
    const QModelIndex valid = grid->model()->index(2, grid->horizontalHeader()->logicalIndex(2));
    grid->setCurrentIndex(valid);
    const QRect validRect = grid->visualRect(valid);
    const QImage image2 = grid->viewport()->grab().toImage();
    QVERIFY(!isRed(image2.pixelColor(validRect.center())));
    QVERIFY(!isRed(image2.pixelColor(rect.center())));
}

void TestContactPage::settingsRoundTrip()
{
    ctx_->settings.chkKontakteNurMitDoks = true;
    ctx_->settings.chkKontakteUngueltVerknMark = true;
    ctx_->settings.panKontakteGridWidth = 700;
    page_->loadSettings();
    QVERIFY(page_->chkKontakteNurMitDoks->isChecked());
    QVERIFY(page_->chkKontakteUngueltVerknMark->isChecked());
    QVERIFY(!page_->qryAdrSearch->isOpen()); // restoring does not query
    QCOMPARE(page_->panKontakteGrid->width(), 700);
    page_->pageEntered();
    QVERIFY(!page_->qryAdrSearch->isOpen());

    page_->chkKontakteNurMitDoks->setChecked(false);
    ctx_->settings = UserSettings();
    page_->storeSettings();
    QVERIFY(!ctx_->settings.chkKontakteNurMitDoks);
    QVERIFY(ctx_->settings.chkKontakteUngueltVerknMark);
    QCOMPARE(ctx_->settings.panKontakteGridWidth, 700);
}

QTEST_MAIN(TestContactPage)
#include "tst_contactpage.moc"
