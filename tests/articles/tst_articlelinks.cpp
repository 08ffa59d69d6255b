// SPDX-License-Identifier: GPL-3.0-or-later
// The article link operations without a window: numbering, exact file names, delete with its
// question, change link, rename with its roll-back, and the path helpers.
#include "app/appcontext.h"
#include "articles/articlelinks.h"
#include "db/query.h"
#include "scriptedmessages.h"
#include "testdb.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

class TestArticleLinks : public QObject
{
    Q_OBJECT
private:
    struct Fixture
    {
        TestDatabase db;
        Query qry1{QStringLiteral("qry1")};
        Query qryExec{QStringLiteral("qryExec")};
        AppContext ctx;
        ScriptedMessages msgs;
        Fixture()
        {
            ctx.qry1 = &qry1;
            ctx.qryExec = &qryExec;
        }
        QString touch(const QString& relative)
        {
            const QString path = db.dir() + u'/' + relative;
            if (!WriteTestFile(path))
                qFatal("cannot create test file");
            return path;
        }
        void addLink(const QString& artnr, int lfdnr, const QString& folder, const QString& name)
        {
            QSqlQuery q;
            q.prepare(QStringLiteral(
                "INSERT INTO MARTBILD (ARTNR,LFDNR,DATEINAME,PFADNAME,TEXT) VALUES (?,?,?,?,'')"));
            q.addBindValue(artnr);
            q.addBindValue(lfdnr);
            q.addBindValue(name);
            q.addBindValue(folder);
            if (!q.exec())
                qFatal("cannot insert link");
        }
        QStringList links(const QString& artnr)
        {
            QStringList r;
            QSqlQuery q;
            q.exec(
                QStringLiteral(
                    "SELECT LFDNR, PFADNAME, DATEINAME, TEXT FROM MARTBILD WHERE ARTNR='%1' ORDER BY LFDNR")
                    .arg(artnr));
            while (q.next())
                r << q.value(0).toString() + u'|' + q.value(1).toString() + u'|' + q.value(2).toString() +
                         u'|' + (q.value(3).isNull() ? QStringLiteral("NULL") : q.value(3).toString());
            return r;
        }
    };

private slots:
    void splitLinkPath_data()
    {
        QTest::addColumn<QString>("full");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("initialDir");
        QTest::newRow("windows") << "C:\\Daten\\Zeichnung.pdf"
                                 << "C:\\Daten\\"
                                 << "Zeichnung.pdf"
                                 << "C:\\Daten";
        QTest::newRow("drive root") << "C:\\a.doc"
                                    << "C:\\"
                                    << "a.doc"
                                    << "C:\\";
        QTest::newRow("drive colon") << "D:liste.xls"
                                     << "D:"
                                     << "liste.xls"
                                     << "D:";
        QTest::newRow("unix") << "/srv/dok/a b.pdf"
                              << "/srv/dok/"
                              << "a b.pdf"
                              << "/srv/dok";
        QTest::newRow("unix root") << "/a.pdf"
                                   << "/"
                                   << "a.pdf"
                                   << "/";
        QTest::newRow("unc") << "\\\\srv\\share\\x.txt"
                             << "\\\\srv\\share\\"
                             << "x.txt"
                             << "\\\\srv\\share";
        QTest::newRow("no folder") << "x.txt"
                                   << ""
                                   << "x.txt"
                                   << "";
    }
    void splitLinkPath()
    {
        QFETCH(QString, full);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, initialDir);
        QString f;
        QString n;
        SplitLinkPath(full, &f, &n);
        QCOMPARE(f, folder);
        QCOMPARE(n, name);
        QCOMPARE(f + n, full);
        QCOMPARE(FolderWithoutSeparator(full), initialDir);
    }

    void insertNumbersAfterTheHighestLink()
    {
        Fixture fx;
        const QString file = fx.touch(QStringLiteral("dok/plan.pdf"));
        QCOMPARE(InsertArticleLink(fx.ctx, QStringLiteral("4711"), file), 1);
        const QString folder = fx.db.dir() + QStringLiteral("/dok/");
        QCOMPARE(fx.links(QStringLiteral("4711")),
                 QStringList{QStringLiteral("1|") + folder + QStringLiteral("|plan.pdf|")});

        // Gaps are not filled: 1, 2 and 5 give 6.
        fx.addLink(QStringLiteral("0815"), 1, folder, QStringLiteral("a"));
        fx.addLink(QStringLiteral("0815"), 2, folder, QStringLiteral("b"));
        fx.addLink(QStringLiteral("0815"), 5, folder, QStringLiteral("c"));
        QCOMPARE(InsertArticleLink(fx.ctx, QStringLiteral("0815"), file), 6);
        QCOMPARE(fx.links(QStringLiteral("0815")).last(),
                 QStringLiteral("6|") + folder + QStringLiteral("|plan.pdf|"));
        // Other articles' numbers do not count.
        QCOMPARE(InsertArticleLink(fx.ctx, QStringLiteral("4711"), file), 2);
        QVERIFY(!fx.qry1.isOpen());
        QVERIFY(fx.qry1.sql().isEmpty());
        QVERIFY(fx.msgs.shown.isEmpty());
    }

    void insertKeepsFileNamesExactly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("apostrophe") << QStringLiteral("O'Brien Zeichnung.pdf");
        QTest::newRow("surrounding blanks") << QStringLiteral(" Angebot .doc ");
        QTest::newRow("two apostrophes") << QStringLiteral("a''b.txt");
    }
    void insertKeepsFileNamesExactly()
    {
        QFETCH(QString, name);
        Fixture fx;
        const QString file = fx.touch(QStringLiteral("it's here/") + name);
        InsertArticleLink(fx.ctx, QStringLiteral("4711"), file);
        QSqlQuery q(QStringLiteral("SELECT PFADNAME, DATEINAME FROM MARTBILD"));
        QVERIFY(q.next());
        QCOMPARE(q.value(1).toString(), name);
        QCOMPARE(q.value(0).toString() + q.value(1).toString(), file);
        QVERIFY(LinkFileExists(q.value(0).toString(), q.value(1).toString()));
    }

    void failingInsertIsReportedAndClosesTheQuery()
    {
        Fixture fx;
        fx.db.exec(QStringLiteral("CREATE TRIGGER no_insert BEFORE INSERT ON MARTBILD BEGIN "
                                  "SELECT RAISE(ABORT, 'gesperrt'); END"));
        QVERIFY_THROWS_EXCEPTION(
            AbortSignal, InsertArticleLink(fx.ctx, QStringLiteral("4711"), QStringLiteral("/x/y.pdf")));
        QCOMPARE(fx.msgs.shown.size(), 1);
        QVERIFY(fx.msgs.lastText().contains(QStringLiteral("gesperrt")));
        QVERIFY(fx.qry1.sql().isEmpty());
    }

    void deleteAsksAndKeepsTheFile()
    {
        Fixture fx;
        const QString file = fx.touch(QStringLiteral("a.pdf"));
        fx.addLink(QStringLiteral("4711"), 1, fx.db.dir() + u'/', QStringLiteral("a.pdf"));
        fx.addLink(QStringLiteral("4711"), 2, fx.db.dir() + u'/', QStringLiteral("b.pdf"));

        fx.msgs.answers.enqueue(Messages::Answer::No);
        QVERIFY(!DeleteArticleLink(fx.ctx, QStringLiteral("4711"), 1, true));
        QCOMPARE(fx.msgs.shown.size(), 1);
        QCOMPARE(fx.msgs.shown.first().text,
                 QStringLiteral("Wollen Sie diese Dokumenten-Verknüpfung jetzt wirklich löschen? "));
        QCOMPARE(fx.msgs.shown.first().buttons, Messages::Buttons::YesNo);
        QCOMPARE(fx.links(QStringLiteral("4711")).size(), 2);

        fx.msgs.answers.enqueue(Messages::Answer::Yes);
        QVERIFY(DeleteArticleLink(fx.ctx, QStringLiteral("4711"), 1, true));
        QCOMPARE(fx.links(QStringLiteral("4711")).size(), 1);
        QVERIFY(fx.links(QStringLiteral("4711")).first().startsWith(QStringLiteral("2|")));
        QVERIFY(QFile::exists(file));

        // Without confirmation (the file manager after deleting the file) nothing is asked.
        fx.msgs.clear();
        QVERIFY(DeleteArticleLink(fx.ctx, QStringLiteral("4711"), 2, false));
        QVERIFY(fx.msgs.shown.isEmpty());
        QVERIFY(fx.links(QStringLiteral("4711")).isEmpty());
    }

    void changeLinkPointsAtTheChosenFile()
    {
        Fixture fx;
        fx.addLink(QStringLiteral("4711"), 3, QStringLiteral("/alt/"), QStringLiteral("alt.pdf"));
        fx.ctx.settings.OpenDialog1InitialDir = QStringLiteral("/start");

        // Cancelled: nothing changes.
        QVERIFY(!ChangeArticleLink(fx.ctx, QStringLiteral("4711"), 3));
        QCOMPARE(fx.links(QStringLiteral("4711")), QStringList{QStringLiteral("3|/alt/|alt.pdf|")});
        QCOMPARE(fx.ctx.settings.OpenDialog1InitialDir, QStringLiteral("/start"));

        const QString chosen = fx.touch(QStringLiteral("neu/Bob's Plan.pdf"));
        fx.msgs.fileNames.enqueue(chosen);
        QVERIFY(ChangeArticleLink(fx.ctx, QStringLiteral("4711"), 3));
        QCOMPARE(fx.links(QStringLiteral("4711")),
                 QStringList{QStringLiteral("3|") + fx.db.dir() + QStringLiteral("/neu/|Bob's Plan.pdf|")});
        QCOMPARE(fx.ctx.settings.OpenDialog1InitialDir, fx.db.dir() + QStringLiteral("/neu"));
    }

    void renameFileAndLink()
    {
        Fixture fx;
        const QString folder = fx.db.dir() + u'/';
        fx.touch(QStringLiteral("alt.pdf"));
        fx.touch(QStringLiteral("belegt.pdf"));
        fx.addLink(QStringLiteral("4711"), 1, folder, QStringLiteral("alt.pdf"));

        // The target exists: nothing changes, nothing is said.
        QCOMPARE(RenameArticleLinkFile(fx.ctx, QStringLiteral("4711"), 1, folder, QStringLiteral("alt.pdf"),
                                       QStringLiteral("belegt.pdf")),
                 RenameResult::RenameFailed);
        QVERIFY(QFile::exists(folder + QStringLiteral("alt.pdf")));
        QCOMPARE(fx.links(QStringLiteral("4711")).first(),
                 QStringLiteral("1|") + folder + QStringLiteral("|alt.pdf|"));
        QVERIFY(fx.msgs.shown.isEmpty());

        // Success, with a name the literal rules of ordinary texts would have changed.
        const QString newName = QStringLiteral(" Bob's neu.pdf");
        QCOMPARE(RenameArticleLinkFile(fx.ctx, QStringLiteral("4711"), 1, folder, QStringLiteral("alt.pdf"),
                                       newName),
                 RenameResult::Renamed);
        QVERIFY(!QFile::exists(folder + QStringLiteral("alt.pdf")));
        QVERIFY(QFile::exists(folder + newName));
        QCOMPARE(fx.links(QStringLiteral("4711")).first(),
                 QStringLiteral("1|") + folder + u'|' + newName + u'|');

        // A name with a sub folder moves the file there, and the link still names it.
        QDir(folder).mkdir(QStringLiteral("archiv"));
        QCOMPARE(RenameArticleLinkFile(fx.ctx, QStringLiteral("4711"), 1, folder, newName,
                                       QStringLiteral("archiv/a.pdf")),
                 RenameResult::Renamed);
        QVERIFY(QFile::exists(folder + QStringLiteral("archiv/a.pdf")));
        QVERIFY(LinkFileExists(folder, QStringLiteral("archiv/a.pdf")));
        QVERIFY(fx.msgs.shown.isEmpty());
    }

    void renameRollsTheFileBackWhenTheLinkUpdateFails()
    {
        Fixture fx;
        const QString folder = fx.db.dir() + u'/';
        fx.touch(QStringLiteral("alt.pdf"));
        fx.addLink(QStringLiteral("4711"), 1, folder, QStringLiteral("alt.pdf"));
        fx.db.exec(QStringLiteral("CREATE TRIGGER no_update BEFORE UPDATE ON MARTBILD BEGIN "
                                  "SELECT RAISE(ABORT, 'Datensatz gesperrt'); END"));

        QCOMPARE(RenameArticleLinkFile(fx.ctx, QStringLiteral("4711"), 1, folder, QStringLiteral("alt.pdf"),
                                       QStringLiteral("neu.pdf")),
                 RenameResult::LinkUpdateFailed);
        QVERIFY(QFile::exists(folder + QStringLiteral("alt.pdf")));
        QVERIFY(!QFile::exists(folder + QStringLiteral("neu.pdf")));
        QCOMPARE(fx.links(QStringLiteral("4711")).first(),
                 QStringLiteral("1|") + folder + QStringLiteral("|alt.pdf|"));
        // First the database's error from the query layer, then what happened to the file.
        QCOMPARE(fx.msgs.shown.size(), 2);
        QVERIFY(fx.msgs.shown.at(0).text.contains(QStringLiteral("Datensatz gesperrt")));
        QCOMPARE(fx.msgs.shown.at(1).kind, Messages::Kind::Warning);
        QVERIFY(fx.msgs.shown.at(1).text.contains(QStringLiteral("wieder zurück umbenannt")));
        QVERIFY(fx.msgs.shown.at(1).text.contains(folder + QStringLiteral("alt.pdf")));
    }

    void linkFileExistsTrimsSurroundingBlanks()
    {
        Fixture fx;
        const QString folder = fx.db.dir() + u'/';
        fx.touch(QStringLiteral("da.pdf"));
        fx.touch(QStringLiteral("blank.pdf "));
        QVERIFY(LinkFileExists(folder, QStringLiteral("da.pdf")));
        QVERIFY(LinkFileExists(QStringLiteral("  ") + folder, QStringLiteral("da.pdf  ")));
        QCOMPARE(ResolveLinkPath(QStringLiteral("  ") + folder, QStringLiteral("da.pdf  ")),
                 folder + QStringLiteral("da.pdf"));
        // A file whose own name ends in a blank is found as stored.
        QVERIFY(LinkFileExists(folder, QStringLiteral("blank.pdf ")));
        QCOMPARE(ResolveLinkPath(folder, QStringLiteral("blank.pdf ")),
                 folder + QStringLiteral("blank.pdf "));
        QVERIFY(!LinkFileExists(folder, QStringLiteral("weg.pdf")));
        QVERIFY(!LinkFileExists(folder, QString())); // the folder itself is no file
    }
};

QTEST_MAIN(TestArticleLinks)
#include "tst_articlelinks.moc"
