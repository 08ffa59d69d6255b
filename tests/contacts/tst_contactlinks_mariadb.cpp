// SPDX-License-Identifier: GPL-3.0-or-later
// The contact page's search and link operations on a real MariaDB server (started by the test
// fixture), connected through ODBC by data source name as the program connects: the search with
// an apostrophe and a backslash, new link, list order, delete, rename (also renamed back when the
// update fails) and marking.
#include "app/appcontext.h"
#include "app/connection.h"
#include "app/dlginputpara.h"
#include "app/gridlayout.h"
#include "contacts/contactpage.h"
#include "db/query.h"
#include "db/schema.h"
#include "mariadbtest.h"
#include "scriptedmessages.h"
#include "testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {
const QString kConnection = "kvcontacts";

} // namespace

class TestContactLinksMariaDb : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void searchWithApostropheAndBackslash();
    void linkOperations();
    void renameBackWhenUpdateFails();

private:
    bool exec(const QString& sql);
    QVariant scalar(const QString& sql);
    QList<qint64> listedAdrnrs() const;
    QStringList listedDocuments() const;
    void search(const QString& text);
    void answerRename(const QString& newName);
    QString folder() const { return dir_.path() + "/docs/"; }

    QTemporaryDir dir_;
    std::unique_ptr<ScriptedMessages> sm_;
    std::unique_ptr<AppContext> ctx_;
    std::unique_ptr<ContactPage> page_;
};

bool TestContactLinksMariaDb::exec(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(kConnection));
    if (!q.exec(sql)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

QVariant TestContactLinksMariaDb::scalar(const QString& sql)
{
    QSqlQuery q(QSqlDatabase::database(kConnection));
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return {};
    }
    return q.value(0);
}

void TestContactLinksMariaDb::initTestCase()
{
    KV_REQUIRE_MARIADB_TEST_SERVER();
    QVERIFY(dir_.isValid());
    GridLayoutStore::setLayoutFilePath(dir_.filePath("kvdokman.ini"));

    ScriptedMessages messages;
    const Config c = MariaDbTestConfig(dir_.filePath("KORVAN.INI"));
    ResetMySqlVariant();
    QVERIFY2(ConnectDatabase(c, kConnection), qPrintable(messages.texts().join(" | ")));
}

void TestContactLinksMariaDb::init()
{
    db::setDialect(DatabaseType::MYSQL, QString());
    for (const QString& t : schemaTables(DatabaseType::MYSQL))
        QVERIFY(exec("DROP TABLE IF EXISTS " + t));
    for (const QString& s : schemaStatements(DatabaseType::MYSQL))
        QVERIFY(exec(s));
    QVERIFY(exec("INSERT INTO adr (ADRNR,KURZNAME,ORT,ANSCHRIFT,PLZ,STR,KUNDENNR,LIEFERNR,INAKTIV) VALUES "
                 "(1,'MUELLER','Berlin','Müller GmbH','10115','Hauptstr. 1',100,0,0),"
                 "(2,'O''NEIL','Dublin','O''Neil Ltd','D01','Grafton St',0,200,NULL),"
                 "(3,'BACKSLASH','Wien','Back\\\\Slash','1010','A\\\\B 3',101,0,0),"
                 "(4,'ONEIL','Cork','Oneil','T12','Main St',0,0,0)"));
    QVERIFY(exec("INSERT INTO dokument (D_BEZUG_ADRNR,D_PFAD,D_DATEINAME,ERFDATUM,ERFUSER) VALUES "
                 "(1,'" +
                 folder() +
                 "','alt.doc','2024-01-05','XY'),"
                 "(1,'" +
                 folder() +
                 "','neu.doc','2024-03-01','XY'),"
                 "(1,'" +
                 folder() + "','mitte.doc','2024-02-10','XY')"));
    QVERIFY(QDir().mkpath(folder()));

    sm_ = std::make_unique<ScriptedMessages>();
    ctx_ = std::make_unique<AppContext>();
    ctx_->connectionName = kConnection;
    ctx_->shortName = "ABC";
    ctx_->qry1 = new Query("qry1", nullptr, kConnection);
    ctx_->qryExec = new Query("qryExec", nullptr, kConnection);
    ctx_->qryHelp = new Query("qryHelp", nullptr, kConnection);
    ctx_->qry2 = new Query("qry2", nullptr, kConnection);
    page_ = std::make_unique<ContactPage>(*ctx_);
    page_->resize(1400, 600);
    page_->show();
    QVERIFY(QTest::qWaitForWindowExposed(page_.get()));
}

void TestContactLinksMariaDb::cleanup()
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
    QDir(folder()).removeRecursively();
}

void TestContactLinksMariaDb::cleanupTestCase()
{
    QSqlDatabase::database(kConnection, false).close();
    QSqlDatabase::removeDatabase(kConnection);
}

QList<qint64> TestContactLinksMariaDb::listedAdrnrs() const
{
    QList<qint64> r;
    for (const QVariant& v : ColumnValues(page_->qryAdrSearch, "ADRNR"))
        r << v.toLongLong();
    return r;
}

QStringList TestContactLinksMariaDb::listedDocuments() const
{
    QStringList r;
    for (const QVariant& v : ColumnValues(page_->qryDokument, "D_DATEINAME"))
        r << v.toString();
    return r;
}

void TestContactLinksMariaDb::search(const QString& text)
{
    QLineEdit* edit = page_->editSearchKontakte;
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

void TestContactLinksMariaDb::answerRename(const QString& newName)
{
    sm_->dialogHandlers.enqueue([newName](QDialog& d) {
        dynamic_cast<TDlgInputPara&>(d).fldInput1->setText(newName);
        return int(QDialog::Accepted);
    });
    sm_->answers.enqueue(Messages::Answer::Yes);
}

void TestContactLinksMariaDb::searchWithApostropheAndBackslash()
{
    search("o'n");
    QVERIFY2(sm_->shown.isEmpty(), qPrintable(sm_->texts().join(" | ")));
    QCOMPARE(listedAdrnrs(), QList<qint64>{2});
    // On MySQL the backslash escapes inside literals: a typed one still finds itself, and a
    // backslash before an apostrophe cannot end the literal.
    search("k\\s");
    QVERIFY2(sm_->shown.isEmpty(), qPrintable(sm_->texts().join(" | ")));
    QCOMPARE(listedAdrnrs(), QList<qint64>{3});
    search("\\' or 1=1 or '");
    QVERIFY2(sm_->shown.isEmpty(), qPrintable(sm_->texts().join(" | ")));
    QCOMPARE(listedAdrnrs(), QList<qint64>{});
    search("o%n");
    QCOMPARE(listedAdrnrs(), (QList<qint64>{2, 4}));
    // The status "Aktiv" lists the contact whose status is NULL.
    page_->editSearchKontakte->clear();
    page_->cboFilterStatus->setCurrentIndex(0);
    emit page_->cboFilterStatus->activated(0);
    QCOMPARE(listedAdrnrs(), (QList<qint64>{3, 1, 2, 4}));
}

void TestContactLinksMariaDb::linkOperations()
{
    search("mue");
    QCOMPARE(page_->currentAdrnr(), qint64(1));
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc", "alt.doc"}));

    // New link to a file whose name has an apostrophe.
    const QString file = folder() + "O'Neil Angebot.doc";
    QVERIFY(WriteTestFile(file));
    sm_->fileNames.enqueue(file);
    QTest::mouseClick(page_->btnKontaktDokuNeu, Qt::LeftButton);
    QVERIFY2(sm_->shown.isEmpty(), qPrintable(sm_->texts().join(" | ")));
    QSqlQuery q(QSqlDatabase::database(kConnection));
    QVERIFY(q.exec("SELECT D_BEZUG_ADRNR,D_EMPF_KURZNAME,D_BEZUG_FORMULAR,D_DOKUMENTENART,D_BEZUG_AUFTRNR,"
                   "D_PFAD,D_DATEINAME,D_BETREFF,D_BEMERKUNG,ERFDATUM,ERFUSER,ID FROM dokument "
                   "WHERE D_DATEINAME LIKE 'O%Angebot.doc'"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    QCOMPARE(q.value(1).toString(), QString("MUELLER"));
    QCOMPARE(q.value(2).toInt(), 3);
    QCOMPARE(q.value(3).toInt(), 1);
    QCOMPARE(q.value(4).toInt(), 0);
    QCOMPARE(q.value(5).toString(), folder());
    QCOMPARE(q.value(6).toString(), QString("O'Neil Angebot.doc"));
    QVERIFY(!q.value(7).isNull() && q.value(7).toString().isEmpty());
    QVERIFY(!q.value(8).isNull() && q.value(8).toString().isEmpty());
    QCOMPARE(q.value(9).toDateTime(), QDateTime(QDate::currentDate(), QTime(0, 0)));
    QCOMPARE(q.value(10).toString(), QString("ABC"));
    const qint64 newId = q.value(11).toLongLong();
    QVERIFY(!q.next());
    QCOMPARE(listedDocuments(), (QStringList{"O'Neil Angebot.doc", "neu.doc", "mitte.doc", "alt.doc"}));
    QCOMPARE(ctx_->settings.OpenDialog2InitialDir, dir_.path() + "/docs");

    // Marking: the new link's file exists, the others do not.
    page_->chkKontakteUngueltVerknMark->setChecked(true);
    QColor text, background;
    QVERIFY(!page_->grdDokCalcCellColors(0, false, &text, &background));
    QVERIFY(page_->grdDokCalcCellColors(1, false, &text, &background));
    QCOMPARE(text, QColor(255, 0, 0));

    // Rename the new link's file: file and link follow; a taken name changes nothing.
    QVERIFY(WriteTestFile(folder() + "belegt.doc"));
    page_->qryDokument->setCurrentRow(0);
    answerRename("Angebot O'Neil 2.doc");
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QVERIFY(QFile::exists(folder() + "Angebot O'Neil 2.doc"));
    QVERIFY(!QFile::exists(file));
    QCOMPARE(scalar(QString("SELECT D_DATEINAME FROM dokument WHERE ID=%1").arg(newId)).toString(),
             QString("Angebot O'Neil 2.doc"));
    page_->qryDokument->setCurrentRow(0);
    answerRename("belegt.doc");
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QCOMPARE(scalar(QString("SELECT D_DATEINAME FROM dokument WHERE ID=%1").arg(newId)).toString(),
             QString("Angebot O'Neil 2.doc"));
    QVERIFY(QFile::exists(folder() + "Angebot O'Neil 2.doc"));

    // Delete: the row goes, the file stays.
    page_->qryDokument->setCurrentRow(0);
    sm_->clear();
    sm_->answers.enqueue(Messages::Answer::Yes);
    QTest::mouseClick(page_->btnDokuKontaktLoeschen, Qt::LeftButton);
    QCOMPARE(sm_->texts(), QStringList{"Wollen Sie diese Dokumentenverknüpfung wirklich löschen?"});
    QCOMPARE(listedDocuments(), (QStringList{"neu.doc", "mitte.doc", "alt.doc"}));
    QCOMPARE(scalar(QString("SELECT COUNT(*) FROM dokument WHERE ID=%1").arg(newId)).toInt(), 0);
    QVERIFY(QFile::exists(folder() + "Angebot O'Neil 2.doc"));
}

void TestContactLinksMariaDb::renameBackWhenUpdateFails()
{
    QVERIFY(WriteTestFile(folder() + "neu.doc", "inhalt"));
    QVERIFY(exec("CREATE TRIGGER dokument_no_update BEFORE UPDATE ON dokument FOR EACH ROW "
                 "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'gesperrt'"));
    search("mue");
    QCOMPARE(page_->qryDokument->text("D_DATEINAME"), QString("neu.doc"));
    answerRename("neu2.doc");
    QTest::mouseClick(page_->btnKontaktDokuUmbenennen, Qt::LeftButton);
    QCOMPARE(sm_->shown.size(), 3);
    QVERIFY2(sm_->shown.at(1).text.contains("gesperrt"), qPrintable(sm_->shown.at(1).text));
    QVERIFY(
        sm_->shown.at(2).text.startsWith("Die Verknüpfung konnte nicht geändert werden. Die Datei wurde"));
    QVERIFY(QFile::exists(folder() + "neu.doc"));
    QVERIFY(!QFile::exists(folder() + "neu2.doc"));
    QCOMPARE(scalar("SELECT COUNT(*) FROM dokument WHERE D_DATEINAME='neu.doc'").toInt(), 1);
}

QTEST_MAIN(TestContactLinksMariaDb)
#include "tst_contactlinks_mariadb.moc"
