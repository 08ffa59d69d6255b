// SPDX-License-Identifier: GPL-3.0-or-later
// The file manager's work on files and their article links, and the drop onto a link grid, without
// the file manager window.
#include "app/appcontext.h"
#include "db/queryops.h"
#include "filemanager/articlelinkdrop.h"
#include "filemanager/filelinks.h"
#include "scriptedmessages.h"
#include "testdb.h"
#include "testfiles.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QtTest>
#include <memory>

namespace {

void writeFile(const QString& path, const QByteArray& content = "x")
{
    QVERIFY(WriteTestFile(path, content));
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFileLinks : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> tdb;
    std::unique_ptr<Query> qry1;
    std::unique_ptr<Query> qryExec;
    std::unique_ptr<Query> qryMArtBild;
    AppContext ctx;
    QString docs; // a folder with trailing separator, as the links store it
    QString other;

    void addLink(const QString& artnr, int lfdnr, const QString& name, const QString& folder)
    {
        QVERIFY(tdb->exec(
            QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME, TEXT, BILDKENNZ) "
                           "VALUES ('%1', %2, '%3', '%4', '', 0)")
                .arg(artnr)
                .arg(lfdnr)
                .arg(QString(name).replace("'", "''"), QString(folder).replace("'", "''"))));
    }
    // "ARTNR/LFDNR:DATEINAME" of every link, ordered.
    QStringList links()
    {
        QStringList result;
        QSqlQuery q(QSqlDatabase::database());
        q.exec("SELECT ARTNR, LFDNR, DATEINAME, PFADNAME FROM MARTBILD ORDER BY ARTNR, LFDNR");
        while (q.next())
            result << QStringLiteral("%1/%2:%3%4")
                          .arg(q.value(0).toString(), q.value(1).toString(),
                               q.value(3).toString() == docs    ? "docs/"
                               : q.value(3).toString() == other ? "other/"
                                                                : "?/",
                               q.value(2).toString());
        return result;
    }

private slots:
    void init()
    {
        tdb = std::make_unique<TestDatabase>();
        QVERIFY(tdb->isOpen());
        qry1 = std::make_unique<Query>("qry1");
        qryExec = std::make_unique<Query>("qryExec");
        qryMArtBild = std::make_unique<Query>("qryMArtBild");
        ctx.qry1 = qry1.get();
        ctx.qryExec = qryExec.get();
        docs = LinkFolderOf(tdb->dir() + "/docs");
        other = LinkFolderOf(tdb->dir() + "/other");
        writeFile(docs + "plan.pdf", "plan");
        writeFile(other + "plan.pdf", "anderer plan");
        QVERIFY(tdb->exec({"INSERT INTO MART (ARTNR, TYP, BEZEICHNUNG) VALUES ('A1', 'Zeichnung', 'Welle')",
                           "INSERT INTO MART (ARTNR, TYP, BEZEICHNUNG) VALUES ('A3', 'Teil', 'Mutter')"}));
        addLink("A1", 1, "plan.pdf", docs);
        addLink("A2", 4, "plan.pdf", docs);
        addLink("A3", 1, "plan.pdf", other);
        addLink("A4", 1, "Plan.pdf", docs);
        addLink("A5", 1, "plan.pdf", docs.chopped(1)); // folder without its trailing separator
        addLink("A6", 1, "notiz.txt", docs);
    }
    void cleanup()
    {
        qryMArtBild.reset();
        qryExec.reset();
        qry1.reset();
        ctx = AppContext();
        tdb.reset();
    }

    void folderOfLink()
    {
        QCOMPARE(LinkFolderOf("/srv/daten"), QStringLiteral("/srv/daten/"));
        QCOMPARE(LinkFolderOf("/srv/daten/"), QStringLiteral("/srv/daten/"));
        QCOMPARE(LinkFolderOf("/"), QStringLiteral("/"));
    }

    void lookupStatement()
    {
        QCOMPARE(FileLinksSql("Max's plan.pdf"),
                 (QStringList{"select MARTBILD.ARTNR, MARTBILD.LFDNR, MARTBILD.DATEINAME, MARTBILD.PFADNAME, "
                              "MARTBILD.TEXT, MARTBILD.BILDKENNZ,",
                              "MART.TYP, MART.BEZEICHNUNG", "from ~MARTBILD MARTBILD",
                              "left outer join ~MART MART on MART.ARTNR=MARTBILD.ARTNR",
                              "WHERE MARTBILD.DATEINAME='Max''s plan.pdf'",
                              "ORDER BY MARTBILD.ARTNR,MARTBILD.DATEINAME"}));
    }

    // The lookup matches the name exactly, in any folder, with the article's type and description.
    void lookupListsLinksOfNameInAnyFolder()
    {
        ScriptedMessages m;
        QVERIFY(FindFileLinks(*qryMArtBild, "plan.pdf"));
        QVERIFY(!qryMArtBild->controlsDisabled());
        const QList<FileLink> found = FileLinksOf(*qryMArtBild);
        QCOMPARE(found.size(), 4);
        QStringList keys;
        for (const FileLink& l : found)
            keys << l.artnr + "/" + QString::number(l.lfdnr);
        QCOMPARE(keys, (QStringList{"A1/1", "A2/4", "A3/1", "A5/1"}));
        qryMArtBild->first();
        QCOMPARE(qryMArtBild->text("TYP"), QStringLiteral("Zeichnung"));
        QCOMPARE(qryMArtBild->text("BEZEICHNUNG"), QStringLiteral("Welle"));
        qryMArtBild->next();
        QVERIFY(qryMArtBild->isNull("TYP")); // A2 is no article of MART
        QVERIFY(m.shown.isEmpty());

        QVERIFY(FindFileLinks(*qryMArtBild, "fehlt.pdf"));
        QVERIFY(FileLinksOf(*qryMArtBild).isEmpty());
    }

    void lookupFailureIsReported()
    {
        QVERIFY(tdb->exec("DROP TABLE MART"));
        ScriptedMessages m;
        QVERIFY(!FindFileLinks(*qryMArtBild, "plan.pdf"));
        QVERIFY(!qryMArtBild->isOpen());
        QVERIFY(!qryMArtBild->controlsDisabled());
        QCOMPARE(m.shown.size(), 2); // the query layer's report, then ours
        QCOMPARE(m.shown[1].kind, Messages::Kind::Warning);
        QCOMPARE(m.shown[1].text,
                 QStringLiteral("Die Dokumenten-Abfrage war nicht erfolgreich:Operation abgebrochen"));
        QCOMPARE(m.sounds, QList<Messages::Sound>{Messages::Sound::Beep});
        QVERIFY(FileLinksOf(*qryMArtBild).isEmpty());
    }

    // Of the links found by name, those that name the file itself.
    void linksOfTheFileItself()
    {
        const QList<FileLink> found{{"A1", 1, docs, "plan.pdf"},
                                    {"A3", 1, other, "plan.pdf"},
                                    {"A5", 1, docs.chopped(1), "plan.pdf"},
                                    {"A7", 2, " " + docs, "plan.pdf "},
                                    {"A8", 1, docs, "PLAN.pdf"}};
        QList<FileLink> expected{found[0], found[3]};
#ifdef Q_OS_WIN
        expected << found[4];
#endif
        QCOMPARE(LinksOfFile(found, docs, "plan.pdf"), expected);
    }

    void questions()
    {
        QCOMPARE(RenameFileQuestion("/d/", "a.pdf", "b.pdf"),
                 QStringLiteral("Wollen Sie die Datei\r\n\r\n/d/a.pdf\r\n\r\nwirklich "
                                "nach\r\n\r\n/d/b.pdf\r\n\r\n umbenennen? "));
        QCOMPARE(DeleteFileQuestion(0),
                 QString::fromUtf8(
                     "Wollen Sie diese Datei (incl. 0) Dokumenten-Verknüpfung(en) jetzt wirklich löschen? "));
    }

    // A rename moves exactly the links of that folder and name (any article) to the new name.
    void renameUpdatesLinksOfThatFolder()
    {
        ScriptedMessages m;
        QCOMPARE(RenameFileAndLinks(ctx, docs, "plan.pdf", "plan-neu.pdf"), FileRenameResult::Renamed);
        QVERIFY(!QFile::exists(docs + "plan.pdf"));
        QCOMPARE(readFile(docs + "plan-neu.pdf"), QByteArray("plan"));
        QCOMPARE(links(),
                 (QStringList{"A1/1:docs/plan-neu.pdf", "A2/4:docs/plan-neu.pdf", "A3/1:other/plan.pdf",
                              "A4/1:docs/Plan.pdf", "A5/1:?/plan.pdf", "A6/1:docs/notiz.txt"}));
        QVERIFY(m.shown.isEmpty());
    }

    // A name with an apostrophe and blanks is kept exactly, in the file and in the links.
    void renameKeepsNameExactly()
    {
        ScriptedMessages m;
        const QString name = QStringLiteral(" Max's Plan .pdf");
        QCOMPARE(RenameFileAndLinks(ctx, docs, "plan.pdf", name), FileRenameResult::Renamed);
        QVERIFY(QFile::exists(docs + name));
        QCOMPARE(tdb->scalar("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='A1'").toString(), name);
        QCOMPARE(RenameFileAndLinks(ctx, docs, name, "plan.pdf"), FileRenameResult::Renamed);
        QCOMPARE(tdb->scalar("SELECT DATEINAME FROM MARTBILD WHERE ARTNR='A1'").toString(),
                 QStringLiteral("plan.pdf"));
    }

    void renameFailsAndChangesNothing_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("target exists") << "plan.pdf"
                                       << "notiz.txt";
        QTest::newRow("source missing") << "fehlt.pdf"
                                        << "neu.pdf";
        QTest::newRow("empty new name") << "plan.pdf"
                                        << "";
    }
    void renameFailsAndChangesNothing()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        writeFile(docs + "notiz.txt", "notiz");
        const QStringList before = links();
        ScriptedMessages m;
        QCOMPARE(RenameFileAndLinks(ctx, docs, from, to), FileRenameResult::RenameFailed);
        QCOMPARE(readFile(docs + "plan.pdf"), QByteArray("plan"));
        QCOMPARE(readFile(docs + "notiz.txt"), QByteArray("notiz"));
        QCOMPARE(links(), before);
        QVERIFY(m.shown.isEmpty());
    }

    // When the links cannot follow, the file gets its old name back and the user is told.
    void renameBackWhenLinkUpdateFails()
    {
        QVERIFY(tdb->exec(
            "CREATE TRIGGER no_update BEFORE UPDATE ON MARTBILD BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
        const QStringList before = links();
        ScriptedMessages m;
        QCOMPARE(RenameFileAndLinks(ctx, docs, "plan.pdf", "neu.pdf"), FileRenameResult::LinkUpdateFailed);
        QCOMPARE(readFile(docs + "plan.pdf"), QByteArray("plan"));
        QVERIFY(!QFile::exists(docs + "neu.pdf"));
        QCOMPARE(links(), before);
        QCOMPARE(m.shown.size(), 2);
        QVERIFY(m.shown[0].text.contains("gesperrt")); // the query layer's report
        QCOMPARE(m.shown[1].kind, Messages::Kind::Warning);
        QVERIFY(m.shown[1].text.contains("zurück umbenannt"));
        QVERIFY(m.shown[1].text.endsWith(docs + "plan.pdf"));
    }

    void deleteRemovesFileAndGivenLinks()
    {
        ScriptedMessages m;
        QVERIFY(DeleteFileAndLinks(ctx, docs, "plan.pdf",
                                   {{"A1", 1, docs, "plan.pdf"}, {"A2", 4, docs, "plan.pdf"}}));
        QVERIFY(!QFile::exists(docs + "plan.pdf"));
        QVERIFY(QFile::exists(other + "plan.pdf"));
        QCOMPARE(links(), (QStringList{"A3/1:other/plan.pdf", "A4/1:docs/Plan.pdf", "A5/1:?/plan.pdf",
                                       "A6/1:docs/notiz.txt"}));
        QVERIFY(m.shown.isEmpty()); // no question per link
    }

    void deleteOfUndeletableFileKeepsLinks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("a folder in its place") << "plan.pdf";
        QTest::newRow("missing") << "fehlt.pdf";
    }
    void deleteOfUndeletableFileKeepsLinks()
    {
        QFETCH(QString, name);
        if (name == "plan.pdf") {
            QVERIFY(QFile::remove(docs + name));
            writeFile(docs + name + "/inhalt.txt");
        }
        const QStringList before = links();
        ScriptedMessages m;
        QVERIFY(!DeleteFileAndLinks(ctx, docs, name, {{"A1", 1, docs, name}}));
        QCOMPARE(m.texts(), QStringList{QString::fromUtf8("Die Datei konnte nicht gelöscht werden!")});
        QCOMPARE(m.shown[0].kind, Messages::Kind::Warning);
        QCOMPARE(links(), before);
    }

    // A failing DELETE ends the action after the query layer's report; the file is gone already.
    void deleteStatementFails()
    {
        QVERIFY(tdb->exec(
            "CREATE TRIGGER no_delete BEFORE DELETE ON MARTBILD BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
        ScriptedMessages m;
        QVERIFY_THROWS_EXCEPTION(AbortSignal,
                                 DeleteFileAndLinks(ctx, docs, "plan.pdf", {{"A1", 1, docs, "plan.pdf"}}));
        QVERIFY(!QFile::exists(docs + "plan.pdf"));
        QCOMPARE(m.shown.size(), 1);
    }

    void dragData()
    {
        std::unique_ptr<QMimeData> data(MakeFileDragData(docs + "plan.pdf"));
        QCOMPARE(FileFromDragData(data.get()), docs + "plan.pdf");
        QCOMPARE(data->urls(), QList<QUrl>{QUrl::fromLocalFile(docs + "plan.pdf")});
        QMimeData foreign;
        foreign.setUrls({QUrl::fromLocalFile(docs + "plan.pdf")});
        QVERIFY(FileFromDragData(&foreign).isEmpty());
        QVERIFY(FileFromDragData(nullptr).isEmpty());
    }

    // The drop onto a link grid: only the file manager's drag, only with a current article and a file.
    void dropOntoLinkGrid_data()
    {
        QTest::addColumn<QString>("artnr");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("ownFormat");
        QTest::addColumn<bool>("linked");
        QTest::newRow("article and file") << "A1"
                                          << "docs/neu.pdf" << true << true;
        QTest::newRow("no current article") << ""
                                            << "docs/neu.pdf" << true << false;
        QTest::newRow("no file") << "A1"
                                 << "" << true << false;
        QTest::newRow("another source") << "A1"
                                        << "docs/neu.pdf" << false << false;
    }
    void dropOntoLinkGrid()
    {
        QFETCH(QString, artnr);
        QFETCH(QString, path);
        QFETCH(bool, ownFormat);
        QFETCH(bool, linked);
        const QString fullPath = path.isEmpty() ? QString() : tdb->dir() + "/" + path;
        writeFile(docs + "neu.pdf");

        ScriptedMessages m;
        QStandardItemModel model(3, 3);
        QTableView grid;
        grid.setModel(&model);
        grid.resize(300, 200);
        int refreshed = 0;
        ArticleLinkDropFilter::install(
            &grid, ctx, [&] { return artnr; }, [&] { ++refreshed; });
        QVERIFY(grid.viewport()->acceptDrops());

        std::unique_ptr<QMimeData> data(ownFormat ? MakeFileDragData(fullPath) : new QMimeData);
        if (!ownFormat)
            data->setUrls({QUrl::fromLocalFile(fullPath)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &enter);
        QCOMPARE(enter.isAccepted(), ownFormat); // the grid takes what the file manager drags
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::LinkAction, data.get(), Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &drop);

        const int count = tdb->scalar("SELECT COUNT(*) FROM MARTBILD WHERE DATEINAME='neu.pdf'").toInt();
        QCOMPARE(count, linked ? 1 : 0);
        QCOMPARE(refreshed, linked ? 1 : 0);
        if (linked) {
            // After the highest running number of the article, folder and name split off the path.
            QCOMPARE(tdb->scalar("SELECT LFDNR FROM MARTBILD WHERE DATEINAME='neu.pdf'").toInt(), 2);
            QCOMPARE(tdb->scalar("SELECT PFADNAME FROM MARTBILD WHERE DATEINAME='neu.pdf'").toString(), docs);
        }
        QVERIFY(m.shown.isEmpty());
    }

    // A failing insert has been reported by the query layer; no refresh follows.
    void dropWithFailingInsert()
    {
        QVERIFY(tdb->exec(
            "CREATE TRIGGER no_insert BEFORE INSERT ON MARTBILD BEGIN SELECT RAISE(ABORT, 'gesperrt'); END"));
        ScriptedMessages m;
        int refreshed = 0;
        ArticleLinkDropFilter filter(
            ctx, [] { return QStringLiteral("A1"); }, [&] { ++refreshed; });
        QVERIFY(!filter.dropFile(docs + "plan.pdf"));
        QCOMPARE(refreshed, 0);
        QCOMPARE(m.shown.size(), 1);
    }
};

QTEST_MAIN(TestFileLinks)
#include "tst_filelinks.moc"
