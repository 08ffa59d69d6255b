// SPDX-License-Identifier: GPL-3.0-or-later
// The article link operations once on a real MariaDB server (started by the test fixture), through
// the ODBC data source as the program connects for MYSQL: numbering, exact file names (apostrophes,
// backslashes, surrounding blanks), change, delete, rename and its roll-back.
#include "app/appcontext.h"
#include "app/connection.h"
#include "articles/articlelinks.h"
#include "articles/articlelist.h"
#include "db/dialect.h"
#include "db/query.h"
#include "db/schema.h"
#include "mariadbtest.h"
#include "scriptedmessages.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kConnection = QStringLiteral("links-mariadb");
} // namespace

class TestArticleLinksMariaDb : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir_;
    AppContext ctx_;
    std::unique_ptr<Query> qry1_;
    std::unique_ptr<Query> qryExec_;

    QSqlDatabase db() const { return QSqlDatabase::database(kConnection); }
    QString touch(const QString& name)
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot create test file");
        return path;
    }
    QStringList links(const QString& artnr)
    {
        QStringList r;
        QSqlQuery q(db());
        if (!q.exec(QStringLiteral("SELECT LFDNR, PFADNAME, DATEINAME, TEXT FROM martbild WHERE ARTNR='%1' "
                                   "ORDER BY LFDNR")
                        .arg(artnr)))
            qWarning("%s", qPrintable(q.lastError().text()));
        while (q.next())
            r << q.value(0).toString() + u'|' + q.value(1).toString() + q.value(2).toString() + u'|' +
                     (q.value(3).isNull() ? QStringLiteral("NULL") : q.value(3).toString());
        return r;
    }

private slots:
    void initTestCase()
    {
        KV_REQUIRE_MARIADB_TEST_SERVER();
        QVERIFY(dir_.isValid());
        const Config c = MariaDbTestConfig(dir_.filePath(QStringLiteral("KORVAN.INI")));
        {
            ScriptedMessages messages;
            ResetMySqlVariant();
            QVERIFY2(ConnectDatabase(c, kConnection), qPrintable(messages.texts().join(u'|')));
        }
        db::setDialect(DatabaseType::MYSQL, QString());

        QSqlQuery q(db());
        q.exec(QStringLiteral("DROP TABLE IF EXISTS martbild"));
        q.exec(QStringLiteral("DROP TABLE IF EXISTS mart"));
        bool created = false;
        for (const QString& s : schemaStatements(DatabaseType::MYSQL)) {
            if (!s.contains(QStringLiteral(" martbild"), Qt::CaseInsensitive) &&
                !s.contains(QStringLiteral(" mart "), Qt::CaseInsensitive) &&
                !s.contains(QStringLiteral(" mart("), Qt::CaseInsensitive))
                continue;
            QVERIFY2(q.exec(s), qPrintable(q.lastError().text() + QStringLiteral(": ") + s));
            created = true;
        }
        QVERIFY(created);

        qry1_ = std::make_unique<Query>(QStringLiteral("qry1"), nullptr, kConnection);
        qryExec_ = std::make_unique<Query>(QStringLiteral("qryExec"), nullptr, kConnection);
        ctx_.qry1 = qry1_.get();
        ctx_.qryExec = qryExec_.get();
        ctx_.connectionName = kConnection;
    }

    void cleanupTestCase()
    {
        qry1_.reset();
        qryExec_.reset();
        {
            QSqlQuery q(db());
            q.exec(QStringLiteral("DROP TABLE IF EXISTS martbild"));
            q.exec(QStringLiteral("DROP TABLE IF EXISTS mart"));
        }
        QSqlDatabase::database(kConnection, false).close();
        QSqlDatabase::removeDatabase(kConnection);
    }

    // The article list statement as the page builds it, on lower-case table names: the count
    // sub-query names the outer table, which the server only knows through its alias.
    void articleListRunsOnTheServer_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("orderBy");
        QTest::addColumn<QString>("mainGroup");
        QTest::addColumn<bool>("onlyWithDocuments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all") << QString() << "ARTNR" << QString() << false << "L1:2,L2:0,L3:1";
        QTest::newRow("documents only") << QString() << "ARTNR" << QString() << true << "L1:2,L3:1";
        QTest::newRow("search and group") << "bohr*"
                                          << "BEZEICHNUNG"
                                          << "WERKZEUG" << false << "L1:2";
        QTest::newRow("apostrophe group") << QString() << "ARTNR"
                                          << "O'NEIL" << true << "L3:1";
    }
    void articleListRunsOnTheServer()
    {
        QFETCH(QString, search);
        QFETCH(QString, orderBy);
        QFETCH(QString, mainGroup);
        QFETCH(bool, onlyWithDocuments);
        QFETCH(QString, expected);
        QSqlQuery q(db());
        QVERIFY(q.exec(QStringLiteral("DELETE FROM mart")));
        QVERIFY(q.exec(QStringLiteral("DELETE FROM martbild WHERE ARTNR LIKE 'L%'")));
        QVERIFY2(
            q.exec(QStringLiteral("INSERT INTO mart (ARTNR, OBERGRUPPE, BEZEICHNUNG, ARTIKELART) VALUES "
                                  "('L1', 'Werkzeug', 'Bohrmaschine', 1), ('L2', 'Werkzeug', 'Hammer', 2), "
                                  "('L3', 'O''Neil', 'Bohrfutter', 1)")),
            qPrintable(q.lastError().text()));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO martbild (ARTNR, LFDNR, DATEINAME, PFADNAME) VALUES "
                                      "('L1', 1, 'a.pdf', '/x/'), ('L1', 2, 'b.pdf', '/x/'), "
                                      "('L3', 1, 'c.pdf', '/x/')")));
        ArticleListFilter filter;
        filter.searchText = ArticleSearchText(search);
        filter.orderBy = orderBy;
        filter.mainGroup = mainGroup;
        filter.onlyWithDocuments = onlyWithDocuments;
        const QString sql = db::TranslateSqlText(BuildArticleListSql(filter).join(u'\n'));
        QVERIFY2(q.exec(sql), qPrintable(q.lastError().text() + QStringLiteral(": ") + sql));
        QStringList rows;
        while (q.next())
            rows << q.value(QStringLiteral("ARTNR")).toString() + u':' +
                        q.value(QStringLiteral("ANZBILDER")).toString();
        QCOMPARE(rows.join(u','), expected);
    }

    void insertNumbersAndKeepsNamesExactly()
    {
        ScriptedMessages msgs;
        const QString folder = dir_.path() + u'/';
        const QString plain = touch(QStringLiteral("plan.pdf"));
        QCOMPARE(InsertArticleLink(ctx_, QStringLiteral("M1"), plain), 1);
        QCOMPARE(InsertArticleLink(ctx_, QStringLiteral("M1"), plain), 2);
        QSqlQuery(db()).exec(QStringLiteral("UPDATE martbild SET LFDNR=5 WHERE ARTNR='M1' AND LFDNR=2"));
        QCOMPARE(InsertArticleLink(ctx_, QStringLiteral("M1"), plain), 6);

        // Apostrophe, backslash and surrounding blanks reach the table as they are.
        const QString odd = QStringLiteral(" O'Brien \\ Plan.pdf ");
        const QString file = touch(odd);
        QCOMPARE(InsertArticleLink(ctx_, QStringLiteral("M2"), file), 1);
        QCOMPARE(links(QStringLiteral("M2")), QStringList{QStringLiteral("1|") + folder + odd + u'|'});
        QCOMPARE(links(QStringLiteral("M1")).size(), 3);
        QVERIFY2(msgs.shown.isEmpty(), qPrintable(msgs.texts().join(u'|')));
    }

    void changeAndDelete()
    {
        ScriptedMessages msgs;
        const QString other = touch(QStringLiteral("anders's.pdf"));
        msgs.fileNames.enqueue(other);
        QVERIFY(ChangeArticleLink(ctx_, QStringLiteral("M1"), 5));
        QCOMPARE(links(QStringLiteral("M1")).value(1), QStringLiteral("5|") + other + u'|');

        msgs.answers.enqueue(Messages::Answer::No);
        QVERIFY(!DeleteArticleLink(ctx_, QStringLiteral("M1"), 5, true));
        QCOMPARE(links(QStringLiteral("M1")).size(), 3);
        msgs.answers.enqueue(Messages::Answer::Yes);
        QVERIFY(DeleteArticleLink(ctx_, QStringLiteral("M1"), 5, true));
        QCOMPARE(links(QStringLiteral("M1")).size(), 2);
        QVERIFY(QFile::exists(other));
        QCOMPARE(msgs.shown.size(), 2); // the two questions
    }

    void renameAndRollBack()
    {
        ScriptedMessages msgs;
        const QString folder = dir_.path() + u'/';
        touch(QStringLiteral("r.pdf"));
        QSqlQuery(db()).exec(QStringLiteral("DELETE FROM martbild WHERE ARTNR='M3'"));
        InsertArticleLink(ctx_, QStringLiteral("M3"), folder + QStringLiteral("r.pdf"));

        QCOMPARE(RenameArticleLinkFile(ctx_, QStringLiteral("M3"), 1, folder, QStringLiteral("r.pdf"),
                                       QStringLiteral("Bob's r.pdf")),
                 RenameResult::Renamed);
        QCOMPARE(links(QStringLiteral("M3")),
                 QStringList{QStringLiteral("1|") + folder + QStringLiteral("Bob's r.pdf|")});

        // A name longer than the column holds: the server refuses the update, the file is renamed back.
        QSqlQuery mode(db());
        QVERIFY(mode.exec(QStringLiteral("SELECT @@SESSION.sql_mode")) && mode.next());
        if (!mode.value(0).toString().contains(QStringLiteral("STRICT")))
            QSKIP("the server does not refuse over-long values (no strict sql_mode)");
        const QString longName = QString(120, u'x') + QStringLiteral(".pdf");
        QCOMPARE(RenameArticleLinkFile(ctx_, QStringLiteral("M3"), 1, folder, QStringLiteral("Bob's r.pdf"),
                                       longName),
                 RenameResult::LinkUpdateFailed);
        QVERIFY(QFile::exists(folder + QStringLiteral("Bob's r.pdf")));
        QVERIFY(!QFile::exists(folder + longName));
        QCOMPARE(links(QStringLiteral("M3")),
                 QStringList{QStringLiteral("1|") + folder + QStringLiteral("Bob's r.pdf|")});
        QCOMPARE(msgs.shown.size(), 2);
        QVERIFY(msgs.shown.at(1).text.contains(QStringLiteral("wieder zurück umbenannt")));
    }
};

QTEST_MAIN(TestArticleLinksMariaDb)
#include "tst_articlelinks_mariadb.moc"
