// SPDX-License-Identifier: GPL-3.0-or-later
// The file manager window on a temporary folder and a temporary SQLite database.
#include "app/appcontext.h"
#include "app/dlginputpara.h"
#include "db/queryops.h"
#include "filemanager/articlelinkdrop.h"
#include "filemanager/dlgdateimanager.h"
#include "filemanager/filelinks.h"
#include "scriptedmessages.h"
#include "testdb.h"
#include "testfiles.h"
#include "util/inifile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDrag>
#include <QFileSystemModel>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>
#include <QtTest>
#include <memory>

namespace {

void writeFile(const QString& path, const QByteArray& content = "x")
{
    QVERIFY(WriteTestFile(path, content));
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

// Press, move past the drag threshold, release.
void dragGesture(QWidget* w, QPoint from, Qt::KeyboardModifiers mods)
{
    sendMouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, mods);
    sendMouse(w, QEvent::MouseMove, from + QPoint(QApplication::startDragDistance() + 5, 0), Qt::LeftButton,
              mods);
    sendMouse(w, QEvent::MouseButtonRelease, from + QPoint(QApplication::startDragDistance() + 5, 0),
              Qt::NoButton, mods);
}

} // namespace

class TestDlgDateiManager : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDatabase> tdb;
    std::unique_ptr<Query> qry1;
    std::unique_ptr<Query> qryExec;
    AppContext ctx;
    QString root; // the test's folder tree: docs/ (plan.pdf, notiz.txt, sub/), other/ (plan.pdf)
    QString docs; // with trailing separator
    QString other;
    TDlgDateiManager* w = nullptr;

    void addLink(const QString& artnr, int lfdnr, const QString& name, const QString& folder)
    {
        QVERIFY(tdb->exec(
            QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME, TEXT, BILDKENNZ) "
                           "VALUES ('%1', %2, '%3', '%4', 't', 1)")
                .arg(artnr)
                .arg(lfdnr)
                .arg(name, folder)));
    }
    QStringList linksOf(const QString& name)
    {
        QStringList r;
        QSqlQuery q(QSqlDatabase::database());
        q.exec("SELECT ARTNR, LFDNR, PFADNAME FROM MARTBILD WHERE DATEINAME='" + name +
               "' ORDER BY ARTNR, LFDNR");
        while (q.next())
            r << q.value(0).toString() + "/" + q.value(1).toString() +
                     (q.value(2).toString() == docs    ? " docs"
                      : q.value(2).toString() == other ? " other"
                                                       : " ?");
        return r;
    }
    void writeSettings(int view, bool lookup, const QString& rootFolder)
    {
        IniFile ini(ctx.settingsFileName);
        ini.writeInteger("KvDokManDatMan", "cboAnsichtItemIndex", view);
        ini.writeBool("KvDokManDatMan", "chkSucheDateiInDok", lookup);
        ini.writeString("KvDokManDatMan", "RootFolder", rootFolder);
    }
    // Shows the file manager on a folder and waits until the list shows its entries.
    void openAt(const QString& folder, int entries)
    {
        writeSettings(TDlgDateiManager::Details, false, folder);
        w = TDlgDateiManager::showFor(ctx);
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        waitForEntries(folder, entries);
    }
    void waitForEntries(const QString& folder, int entries)
    {
        const QModelIndex dir = w->fileModel()->index(QDir::cleanPath(folder));
        QTRY_COMPARE(w->fileModel()->rowCount(dir), entries);
    }
    QModelIndex entry(const QString& path) { return w->fileModel()->index(QDir::cleanPath(path)); }
    void select(const QString& path,
                QItemSelectionModel::SelectionFlags how = QItemSelectionModel::ClearAndSelect)
    {
        const QModelIndex i = entry(path);
        QVERIFY(i.isValid());
        w->fileSelection()->select(i, how | QItemSelectionModel::Rows);
    }
    // Captures what a started drag carries and drops it onto a link grid.
    struct DropTarget
    {
        QStandardItemModel model{2, 2};
        QTableView grid;
        int refreshed = 0;
        int drags = 0;
        QString artnr;
    };
    void connectDrag(DropTarget& t)
    {
        t.grid.setModel(&t.model);
        ArticleLinkDropFilter::install(
            &t.grid, ctx, [&t] { return t.artnr; }, [&t] { ++t.refreshed; });
        w->setDragExecutor([&t](QDrag& drag) {
            ++t.drags;
            // Over the grid, then dropped on it.
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, drag.mimeData(), Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(t.grid.viewport(), &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(t.grid.viewport(), &drop);
        });
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        tdb = std::make_unique<TestDatabase>();
        QVERIFY(tdb->isOpen());
        qry1 = std::make_unique<Query>("qry1");
        qryExec = std::make_unique<Query>("qryExec");
        ctx.qry1 = qry1.get();
        ctx.qryExec = qryExec.get();
        ctx.settingsFileName = tdb->dir() + "/TEST.CFG";
        root = tdb->dir() + "/ablage";
        docs = LinkFolderOf(root + "/docs");
        other = LinkFolderOf(root + "/other");
        writeFile(docs + "plan.pdf", "plan");
        writeFile(docs + "notiz.txt", "notiz");
        QDir().mkpath(docs + "sub");
        writeFile(other + "plan.pdf", "anderer plan");
        QVERIFY(tdb->exec("INSERT INTO MART (ARTNR, TYP, BEZEICHNUNG) VALUES ('A1', 'Zeichnung', 'Welle')"));
        addLink("A1", 1, "plan.pdf", docs);
        addLink("A2", 3, "plan.pdf", docs);
        addLink("A3", 1, "plan.pdf", other);
        addLink("A4", 1, "notiz.txt", docs);
        QSettings("KvDokMan", "KvDokMan").remove("DateiManager");
    }
    void cleanup()
    {
        delete TDlgDateiManager::instance();
        w = nullptr;
        qryExec.reset();
        qry1.reset();
        ctx = AppContext();
        tdb.reset();
    }

    // One window per run: the command shows the same window again; closing only hides it, and the
    // fields survive.
    void oneInstanceHiddenOnClose()
    {
        openAt(docs, 3);
        QCOMPARE(w->windowTitle(), QDir::toNativeSeparators(QDir::cleanPath(docs)));
        select(docs + "plan.pdf");
        QVERIFY(w->close());
        QVERIFY(!w->isVisible());
        QCOMPARE(TDlgDateiManager::instance(), w);
        QCOMPARE(TDlgDateiManager::showFor(ctx), w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->editDatei->text(), QStringLiteral("plan.pdf"));
    }

    // A file fills both fields; a folder empties them; of several the first in the list counts.
    void selectionFillsFields()
    {
        openAt(docs, 3);
        select(docs + "plan.pdf");
        QCOMPARE(w->editDatei->text(), QStringLiteral("plan.pdf"));
        QCOMPARE(w->editPfad->text(), docs);
        QVERIFY(!w->linkQuery()->isOpen()); // the lookup is off

        select(docs + "sub");
        QVERIFY(w->editDatei->text().isEmpty());
        QVERIFY(w->editPfad->text().isEmpty());

        // Several selected: the first in the order of the list (by name).
        QTRY_VERIFY(entry(docs + "notiz.txt").row() < entry(docs + "plan.pdf").row());
        select(docs + "plan.pdf");
        select(docs + "notiz.txt", QItemSelectionModel::Select);
        QCOMPARE(w->editDatei->text(), QStringLiteral("notiz.txt")); // before plan.pdf in the list
        QCOMPARE(w->fileSelection()->selectedRows().size(), 2);

        // Nothing selected: the fields stay.
        w->fileSelection()->clearSelection();
        QCOMPARE(w->editDatei->text(), QStringLiteral("notiz.txt"));
    }

    // With the check box ticked, a selected file's links of that name in any folder are listed; a
    // folder leaves the list as it was.
    void lookupListsLinksOfNameInAnyFolder()
    {
        openAt(docs, 3);
        w->chkSucheDateiInDok->setChecked(true);
        select(docs + "plan.pdf");
        QVERIFY(w->linkQuery()->isOpen());
        QAbstractItemModel* grid = w->grdMArtBild->model();
        QCOMPARE(grid->rowCount(), 3);

        QHeaderView* header = w->grdMArtBild->horizontalHeader();
        QStringList titles;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int col = header->logicalIndex(visual);
            if (!w->grdMArtBild->isColumnHidden(col))
                titles << grid->headerData(col, Qt::Horizontal).toString();
        }
        QCOMPARE(titles,
                 (QStringList{"Typ", "Bezeichnung", "Art.Nr.", "LfdNr", "Datei", "Pfad", "Auftr.Bild?"}));
        const int artnrCol = header->logicalIndex(2);
        const int flagCol = header->logicalIndex(6);
        QCOMPARE(grid->index(0, artnrCol).data().toString(), QStringLiteral("A1"));
        QCOMPARE(grid->index(0, header->logicalIndex(0)).data().toString(), QStringLiteral("Zeichnung"));
        QCOMPARE(grid->index(0, flagCol).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(grid->index(2, header->logicalIndex(5)).data().toString(), other);

        select(docs + "sub");
        QCOMPARE(grid->rowCount(), 3);
        select(docs + "notiz.txt");
        QCOMPARE(grid->rowCount(), 1);
    }

    // The rename asks for the name and for confirmation; the links of that folder and name follow.
    void renameUpdatesLinksOfThatFolder()
    {
        openAt(docs, 3);
        select(docs + "plan.pdf");
        ScriptedMessages m;
        QString caption, prompt, label1, start;
        bool row2Hidden = false;
        m.dialogHandlers.enqueue([&](QDialog& d) {
            auto& dlg = static_cast<TDlgInputPara&>(d);
            caption = dlg.windowTitle();
            prompt = dlg.labText->text();
            label1 = dlg.Label1->text();
            start = dlg.fldInput1->text();
            row2Hidden = dlg.Label2->text().isEmpty();
            dlg.fldInput1->setText("plan-2.pdf");
            return int(QDialog::Accepted);
        });
        m.answers.enqueue(Messages::Answer::Yes);
        QTest::mouseClick(w->btnArtikelDokuUmbenennen, Qt::LeftButton);

        QCOMPARE(caption, QStringLiteral("Dokument umbenennen"));
        QCOMPARE(prompt, "Dokument " + docs + " umbenennen");
        QCOMPARE(label1, QStringLiteral("Neuer Name:"));
        QCOMPARE(start, QStringLiteral("plan.pdf"));
        QVERIFY(row2Hidden);
        QCOMPARE(m.texts(), QStringList{RenameFileQuestion(docs, "plan.pdf", "plan-2.pdf")});
        QVERIFY(QFile::exists(docs + "plan-2.pdf"));
        QVERIFY(!QFile::exists(docs + "plan.pdf"));
        QCOMPARE(linksOf("plan-2.pdf"), (QStringList{"A1/1 docs", "A2/3 docs"}));
        QCOMPARE(linksOf("plan.pdf"), QStringList{"A3/1 other"});
        QCOMPARE(w->editDatei->text(), QStringLiteral("plan-2.pdf"));
    }

    void renameOntoExistingNameChangesNothing()
    {
        openAt(docs, 3);
        select(docs + "plan.pdf");
        ScriptedMessages m;
        m.dialogHandlers.enqueue([](QDialog& d) {
            static_cast<TDlgInputPara&>(d).fldInput1->setText("notiz.txt");
            return int(QDialog::Accepted);
        });
        m.answers.enqueue(Messages::Answer::Yes);
        QTest::mouseClick(w->btnArtikelDokuUmbenennen, Qt::LeftButton);
        QCOMPARE(m.shown.size(), 1); // the question only; the failure is silent
        QFile f(docs + "notiz.txt");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("notiz"));
        QVERIFY(QFile::exists(docs + "plan.pdf"));
        QCOMPARE(linksOf("plan.pdf"), (QStringList{"A1/1 docs", "A2/3 docs", "A3/1 other"}));
        QCOMPARE(linksOf("notiz.txt"), QStringList{"A4/1 docs"});
        QCOMPARE(w->editDatei->text(), QStringLiteral("plan.pdf"));
    }

    void renameCancelledOrDeclined()
    {
        openAt(docs, 3);
        select(docs + "plan.pdf");
        ScriptedMessages m; // no dialog handler: the dialog is cancelled
        QTest::mouseClick(w->btnArtikelDokuUmbenennen, Qt::LeftButton);
        QCOMPARE(m.dialogsRun, 1);
        QVERIFY(m.shown.isEmpty());
        m.dialogHandlers.enqueue([](QDialog& d) {
            static_cast<TDlgInputPara&>(d).fldInput1->setText("neu.pdf");
            return int(QDialog::Accepted);
        });
        m.answers.enqueue(Messages::Answer::No);
        QTest::mouseClick(w->btnArtikelDokuUmbenennen, Qt::LeftButton);
        QVERIFY(QFile::exists(docs + "plan.pdf"));
        QVERIFY(!QFile::exists(docs + "neu.pdf"));
    }

    // The delete looks the file's links up itself (the check box is clear), asks with their number
    // and removes the file and the links that name it in its folder.
    void deleteAsksWithCountAndDeletes()
    {
        openAt(docs, 3);
        QVERIFY(!w->chkSucheDateiInDok->isChecked());
        select(docs + "plan.pdf");
        ScriptedMessages m;
        m.answers.enqueue(Messages::Answer::No);
        QTest::mouseClick(w->btnDokuLoeschen, Qt::LeftButton);
        QCOMPARE(m.texts(), QStringList{DeleteFileQuestion(2)});
        QVERIFY(QFile::exists(docs + "plan.pdf"));
        QCOMPARE(linksOf("plan.pdf").size(), 3);
        QCOMPARE(w->grdMArtBild->model()->rowCount(), 3); // the lookup shows every link of that name

        m.clear();
        m.answers.enqueue(Messages::Answer::Yes);
        QTest::mouseClick(w->btnDokuLoeschen, Qt::LeftButton);
        QCOMPARE(m.texts(), QStringList{DeleteFileQuestion(2)});
        QVERIFY(!QFile::exists(docs + "plan.pdf"));
        QVERIFY(QFile::exists(other + "plan.pdf"));
        QCOMPARE(linksOf("plan.pdf"), QStringList{"A3/1 other"});
        QCOMPARE(linksOf("notiz.txt"), QStringList{"A4/1 docs"});
        QVERIFY(w->editDatei->text().isEmpty());
    }

    void deleteFileWithoutLinks()
    {
        writeFile(docs + "lose.txt");
        openAt(docs, 4);
        select(docs + "lose.txt");
        ScriptedMessages m;
        m.answers.enqueue(Messages::Answer::Yes);
        QTest::mouseClick(w->btnDokuLoeschen, Qt::LeftButton);
        QCOMPARE(m.texts(), QStringList{DeleteFileQuestion(0)});
        QVERIFY(!QFile::exists(docs + "lose.txt"));
        QCOMPARE(tdb->scalar("SELECT COUNT(*) FROM MARTBILD").toInt(), 4);
    }

    void deleteOfUndeletableFileWarnsAndKeepsLinks()
    {
        openAt(docs, 3);
        select(docs + "plan.pdf");
        // Something that cannot be deleted as a file takes its place.
        QVERIFY(QFile::remove(docs + "plan.pdf"));
        writeFile(docs + "plan.pdf/inhalt.txt");
        QCOMPARE(w->editDatei->text(), QStringLiteral("plan.pdf"));
        ScriptedMessages m;
        m.answers.enqueue(Messages::Answer::Yes);
        QTest::mouseClick(w->btnDokuLoeschen, Qt::LeftButton);
        QCOMPARE(m.texts(), (QStringList{DeleteFileQuestion(2),
                                         QString::fromUtf8("Die Datei konnte nicht gelöscht werden!")}));
        QCOMPARE(linksOf("plan.pdf"), (QStringList{"A1/1 docs", "A2/3 docs", "A3/1 other"}));
        QVERIFY(QFileInfo(docs + "plan.pdf").isDir());
    }

    void commandsNeedAFile()
    {
        openAt(docs, 3);
        QStringList viewed;
        ctx.viewDocument = [&](const QString& p) { viewed << p; };
        ScriptedMessages m;
        select(docs + "sub");
        for (QPushButton* b : {w->btnOpenDok, w->btnViewDok, w->btnDokuLoeschen, w->btnArtikelDokuUmbenennen})
            QTest::mouseClick(b, Qt::LeftButton);
        QVERIFY(m.openedUrls.isEmpty());
        QVERIFY(viewed.isEmpty());
        QVERIFY(m.shown.isEmpty());
        QCOMPARE(m.dialogsRun, 0);

        select(docs + "plan.pdf");
        QTest::mouseClick(w->btnOpenDok, Qt::LeftButton);
        QCOMPARE(m.openedUrls, QList<QUrl>{QUrl::fromLocalFile(docs + "plan.pdf")});
        QTest::mouseClick(w->btnViewDok, Qt::LeftButton);
        QCOMPARE(viewed, QStringList{docs + "plan.pdf"});
    }

    // Dragging from the arrow picture, or from the list with Ctrl held, links the selected file to
    // the current article of the grid it is dropped on.
    void dropCreatesLinkOnlyWithArticleAndFile()
    {
        openAt(docs, 3);
        ScriptedMessages m;
        DropTarget t;
        connectDrag(t);
        QWidget* arrow = w->imgVerknuepfungDateiManager;
        const QPoint inArrow = arrow->rect().center();

        // No file selected: nothing is dragged.
        dragGesture(arrow, inArrow, Qt::NoModifier);
        QCOMPARE(t.drags, 0);

        // A file, but no current article.
        select(docs + "notiz.txt");
        dragGesture(arrow, inArrow, Qt::NoModifier);
        QCOMPARE(t.drags, 1);
        QCOMPARE(t.refreshed, 0);
        QCOMPARE(linksOf("notiz.txt"), QStringList{"A4/1 docs"});

        // A file and an article.
        t.artnr = "A4";
        dragGesture(arrow, inArrow, Qt::NoModifier);
        QCOMPARE(t.refreshed, 1);
        QCOMPARE(linksOf("notiz.txt"), (QStringList{"A4/1 docs", "A4/2 docs"}));

        // From the list only with Ctrl held.
        select(docs + "plan.pdf");
        QWidget* list = w->fileView()->viewport();
        const QPoint empty(list->width() / 2, list->height() - 5);
        dragGesture(list, empty, Qt::NoModifier);
        QCOMPARE(t.drags, 2);
        dragGesture(list, empty, Qt::ControlModifier);
        QCOMPARE(t.drags, 3);
        QCOMPARE(linksOf("plan.pdf"), (QStringList{"A1/1 docs", "A2/3 docs", "A3/1 other", "A4/3 docs"}));

        // A folder selected: the fields are empty and nothing is dragged.
        select(docs + "sub");
        dragGesture(arrow, inArrow, Qt::NoModifier);
        QCOMPARE(t.drags, 3);
        QVERIFY(m.shown.isEmpty());
    }

    // The settings are read at every show and written at every close; the tree starts at the folder
    // last shown.
    void settingsRoundTrip()
    {
        writeSettings(TDlgDateiManager::SmallIcons, true, QDir::toNativeSeparators(root));
        w = TDlgDateiManager::showFor(ctx);
        QCOMPARE(w->cboAnsicht->currentIndex(), 3);
        QCOMPARE(w->viewStyle(), TDlgDateiManager::SmallIcons);
        QCOMPARE(w->LMDShellList1->currentWidget(), static_cast<QWidget*>(w->lstSymbole));
        QVERIFY(w->chkSucheDateiInDok->isChecked());
        QCOMPARE(w->rootFolder(), QDir::cleanPath(root));
        QCOMPARE(w->currentFolder(), QDir::cleanPath(root));
        QCOMPARE(w->windowTitle(), QDir::toNativeSeparators(QDir::cleanPath(root)));

        w->setCurrentFolder(docs + "sub");
        w->cboAnsicht->setCurrentIndex(1);
        w->chkSucheDateiInDok->setChecked(false);
        w->resize(900, 500);
        QVERIFY(w->close());
        const IniFile ini(ctx.settingsFileName);
        QCOMPARE(ini.readInteger("KvDokManDatMan", "cboAnsichtItemIndex", -1), 1);
        QCOMPARE(ini.readBool("KvDokManDatMan", "chkSucheDateiInDok", true), false);
        QCOMPARE(ini.readString("KvDokManDatMan", "RootFolder", QString()),
                 QDir::toNativeSeparators(docs + "sub"));
        QVERIFY(!QSettings("KvDokMan", "KvDokMan").value("DateiManager/Geometry").toByteArray().isEmpty());

        TDlgDateiManager::showFor(ctx);
        QCOMPARE(w->rootFolder(), QDir::cleanPath(docs + "sub"));
        QCOMPARE(w->viewStyle(), TDlgDateiManager::List);
        QVERIFY(!w->chkSucheDateiInDok->isChecked());
        QCOMPARE(w->LMDShellTree1->model()->rowCount(w->LMDShellTree1->rootIndex()), 1); // the top node alone
    }

    // Folders and files carry a picture even where the desktop has no icon theme (as here).
    void foldersAndFilesHavePictures()
    {
        w = TDlgDateiManager::showFor(ctx);
        w->setCurrentFolder(docs);
        QFileSystemModel* files = w->fileModel();
        QTRY_VERIFY(files->rowCount(files->index(QDir::cleanPath(docs))) > 0);
        const QModelIndex folder = files->index(docs + "sub");
        QVERIFY(folder.isValid());
        const QIcon folderIcon = files->data(folder, Qt::DecorationRole).value<QIcon>();
        QVERIFY(!folderIcon.isNull());
        QVERIFY(!w->folderModel()
                     ->data(w->folderModel()->index(docs + "sub"), Qt::DecorationRole)
                     .value<QIcon>()
                     .isNull());
        for (int row = 0; row < files->rowCount(folder.parent()); ++row) {
            const QModelIndex i = files->index(row, 0, folder.parent());
            QVERIFY2(!files->data(i, Qt::DecorationRole).value<QIcon>().isNull(),
                     qPrintable(files->fileName(i)));
        }
    }

    void settingsDefaultsAndTop()
    {
        w = TDlgDateiManager::showFor(ctx); // no settings yet
        QCOMPARE(w->cboAnsicht->currentIndex(), 0);
        QCOMPARE(w->viewStyle(), TDlgDateiManager::LargeIcons);
        QCOMPARE(static_cast<QListView*>(w->fileView())->viewMode(), QListView::IconMode);
        QVERIFY(!w->chkSucheDateiInDok->isChecked());
        QCOMPARE(w->rootFolder(), QDir::rootPath());
        w->close();
        QCOMPARE(IniFile(ctx.settingsFileName).readString("KvDokManDatMan", "RootFolder", QString()),
                 QDir::toNativeSeparators(QDir::rootPath()));

        // A folder that no longer exists starts at the top as well.
        writeSettings(2, false, root + "/weg");
        w->show();
        QCOMPARE(w->rootFolder(), QDir::rootPath());
        QCOMPARE(w->viewStyle(), TDlgDateiManager::Details);
        QCOMPARE(w->fileView(), static_cast<QAbstractItemView*>(w->lstDetails));
    }

    void viewStyles_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("details");
        QTest::addColumn<int>("mode");
        QTest::newRow("Symbol") << 0 << int(TDlgDateiManager::LargeIcons) << false
                                << int(QListView::IconMode);
        QTest::newRow("Liste") << 1 << int(TDlgDateiManager::List) << false << int(QListView::ListMode);
        QTest::newRow("Details") << 2 << int(TDlgDateiManager::Details) << true << -1;
        QTest::newRow("Kleines Symbol")
            << 3 << int(TDlgDateiManager::SmallIcons) << false << int(QListView::ListMode);
    }
    void viewStyles()
    {
        QFETCH(int, index);
        QFETCH(int, style);
        QFETCH(bool, details);
        QFETCH(int, mode);
        openAt(docs, 3);
        w->cboAnsicht->setCurrentIndex(index == 2 ? 0 : 2);
        w->cboAnsicht->setCurrentIndex(index);
        QCOMPARE(int(w->viewStyle()), style);
        QCOMPARE(w->fileView() == w->lstDetails, details);
        if (!details)
            QCOMPARE(int(w->lstSymbole->viewMode()), mode);
        // Both views show the same entries and share the selection.
        select(docs + "plan.pdf");
        QVERIFY(w->fileView()->selectionModel()->isSelected(entry(docs + "plan.pdf")));
    }

    void historyBackAndForward()
    {
        openAt(root, 2);
        const QString top = QDir::cleanPath(root);
        const QString d = QDir::cleanPath(docs);
        QVERIFY(!w->btnPfadZurueck->isEnabled());
        QVERIFY(!w->btnPfadVor->isEnabled());

        // Into a folder of the list (Enter on it), then through the tree.
        w->fileView()->setFocus();
        w->fileView()->setCurrentIndex(entry(d));
        QTest::keyClick(w->fileView(), Qt::Key_Return);
        QCOMPARE(w->currentFolder(), d);
        QCOMPARE(w->windowTitle(), QDir::toNativeSeparators(d));
        const QModelIndex subInTree = static_cast<QSortFilterProxyModel*>(w->LMDShellTree1->model())
                                          ->mapFromSource(w->folderModel()->index(d + "/sub"));
        QTRY_VERIFY(subInTree.isValid());
        w->LMDShellTree1->setCurrentIndex(subInTree);
        QCOMPARE(w->currentFolder(), d + "/sub");
        QCOMPARE(w->history(), (QStringList{top, d, d + "/sub"}));

        QTest::mouseClick(w->btnPfadZurueck, Qt::LeftButton);
        QCOMPARE(w->currentFolder(), d);
        QTest::mouseClick(w->btnPfadZurueck, Qt::LeftButton);
        QCOMPARE(w->currentFolder(), top);
        QVERIFY(!w->btnPfadZurueck->isEnabled());
        QTest::mouseClick(w->btnPfadVor, Qt::LeftButton);
        QCOMPARE(w->currentFolder(), d);
        QVERIFY(w->btnPfadVor->isEnabled());
        // A new way drops what lay ahead.
        w->setCurrentFolder(QDir::cleanPath(other));
        QVERIFY(!w->btnPfadVor->isEnabled());
        QCOMPARE(w->history(), (QStringList{top, d, QDir::cleanPath(other)}));
        // The list shows the folder now current.
        waitForEntries(other, 1);
        QCOMPARE(w->fileView()->rootIndex(), entry(other));
    }

    void notePanel()
    {
        openAt(docs, 3);
        QVERIFY(!w->panHinwVerknuepfung->isVisible());
        QTest::mouseClick(w->btnHilfeVerknuepfungen, Qt::LeftButton);
        QVERIFY(w->panHinwVerknuepfung->isVisible());
        QCOMPARE(w->labHinweis->text().split("\n\n").size(), 5);
        QVERIFY(w->labHinweis->text().startsWith("Wenn Sie eine Verknüpfung erstellen wollen"));
        QTest::mouseClick(w->btnHinweisClose, Qt::LeftButton);
        QVERIFY(!w->panHinwVerknuepfung->isVisible());
    }
};

QTEST_MAIN(TestDlgDateiManager)
#include "tst_dlgdateimanager.moc"
