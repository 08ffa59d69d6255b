// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Database-facing cases of the query operations, run on SQLite (tst_queries) and on MariaDB
// (tst_queries_mariadb) alike. Each function expects an open connection with the ERP tables,
// the dialect set (db::setDialect) and a ScriptedMessages installed.

#include "db/dialect.h"
#include "db/literals.h"
#include "db/queryops.h"
#include "scriptedmessages.h"

#include <QSignalSpy>
#include <QSqlQueryModel>
#include <QtTest>

namespace querycases {

inline void execOrFail(Query& q, const QStringList& lines)
{
    try {
        ExecSql(q, lines);
    } catch (const AbortSignal&) {
        QFAIL(qPrintable(QStringLiteral("statement failed: ") + lines.join(u' ')));
    }
}

inline void fillArticles(const QString& connection)
{
    Query q(QStringLiteral("qryExec"), nullptr, connection);
    execOrFail(q, {QStringLiteral("DELETE FROM ~MARTBILD")});
    execOrFail(q, {QStringLiteral("DELETE FROM ~MART")});
    execOrFail(
        q, {QStringLiteral("INSERT INTO ~MART (ARTNR, BEZEICHNUNG, ARTIKELART, INAKTIV, VKPREIS, GEWICHT, "
                           "ERFDATUM) VALUES"),
            QStringLiteral("('1000', 'Sechskantschraube M6', 2, 0, 0.12, 0.01, '2003-02-01'),"),
            QStringLiteral("('1001', 'Müller-Dübel 8 mm €', 2, 0, 1.50, 0.02, '2003-02-02'),"),
            QStringLiteral("('2000', 'Bohrhammer', 1, 0, 25.00, 4.5, '2010-06-30'),"),
            QStringLiteral("('3000', NULL, 3, 1, 100.00, 0, '1999-12-31')")});
}

// Open, current row, end-of-data, fields by name, NULL values, texts with umlauts and "€".
inline void openReadEof(const QString& connection)
{
    fillArticles(connection);
    ScriptedMessages messages;
    Query q(QStringLiteral("qryMArt"), nullptr, connection);
    q.addLine(QStringLiteral("select ARTNR, BEZEICHNUNG, ARTIKELART, INAKTIV"));
    q.addLine(QStringLiteral(" FROM ~MART MART"));
    q.addLine(QStringLiteral("ORDER BY ARTNR"));
    QVERIFY(OpenQuery(q));
    QVERIFY(q.isOpen());
    QVERIFY(!q.eof());
    QCOMPARE(q.text(QStringLiteral("ARTNR")), QStringLiteral("1000"));
    QCOMPARE(q.value(QStringLiteral("artikelart")).toInt(), 2); // names without regard to case
    q.next();
    QCOMPARE(q.text(QStringLiteral("BEZEICHNUNG")), QStringLiteral("Müller-Dübel 8 mm €"));
    q.next();
    q.next();
    QCOMPARE(q.text(QStringLiteral("ARTNR")), QStringLiteral("3000"));
    QVERIFY(q.isNull(QStringLiteral("BEZEICHNUNG")));
    QCOMPARE(q.text(QStringLiteral("BEZEICHNUNG")), QString());
    QVERIFY(!q.eof());
    q.next();
    QVERIFY(q.eof());
    // The last row stays current after the end was reached.
    QCOMPARE(q.text(QStringLiteral("ARTNR")), QStringLiteral("3000"));
    QVERIFY(q.hasField(QStringLiteral("INAKTIV")));
    QVERIFY(!q.hasField(QStringLiteral("NOSUCH")));
    QVERIFY(!q.value(QStringLiteral("NOSUCH")).isValid());
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(messages.cursors,
             (QList<Messages::Cursor>{Messages::Cursor::SqlWait, Messages::Cursor::Normal}));

    // No row: end-of-data right after the open.
    OpenSql(q, {QStringLiteral("SELECT * FROM ~MART WHERE ARTNR='nix'")});
    QVERIFY(q.eof());
    QVERIFY(q.isOpen());
    QCOMPARE(q.rowCount(), 0);
    CloseQuery(q);
    QVERIFY(!q.isOpen());
    QVERIFY(q.sql().isEmpty());
    QVERIFY(q.eof());
}

// ExecSql sends its lines as one statement; OpenSql replaces the lines.
inline void execLines(const QString& connection)
{
    fillArticles(connection);
    ScriptedMessages messages;
    Query q(QStringLiteral("qryExec"), nullptr, connection);
    q.addLine(QStringLiteral("old line"));
    QVERIFY(ExecSql(q, {QStringLiteral("UPDATE ~MART"), QStringLiteral("SET LAGERORT='R1'"),
                        QStringLiteral("WHERE ARTNR IN ('1000',"), QStringLiteral("'2000')")}));
    QCOMPARE(q.sql().size(), 4);
    QVERIFY(!q.sql().contains(QStringLiteral("old line")));
    Query r(QStringLiteral("qry1"), nullptr, connection);
    OpenSql(r, {QStringLiteral("SELECT COUNT(*) AS N FROM ~MART WHERE LAGERORT='R1'")});
    QCOMPARE(r.value(QStringLiteral("N")).toInt(), 2);
    // Values written through the literals come back exactly.
    const QString name = QStringLiteral("  O'Brien \\ Plan.pdf");
    QVERIFY(ExecSql(
        q, {QStringLiteral("INSERT INTO ~MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME, TEXT) VALUES ("),
            SqlStr(QStringLiteral("1000")) + u',' + SqlInt(1) + u',' + SqlExact(name) + u',',
            SqlStr(QStringLiteral("C:\\Daten\\")) + u',' + SqlStr(QStringLiteral("Rock 'n' Roll")) + u')'}));
    OpenSql(r, {QStringLiteral("SELECT * FROM ~MARTBILD WHERE ARTNR='1000'")});
    QCOMPARE(r.text(QStringLiteral("DATEINAME")), name);
    QCOMPARE(r.text(QStringLiteral("PFADNAME")), QStringLiteral("C:\\Daten\\"));
    QCOMPARE(r.text(QStringLiteral("TEXT")), QStringLiteral("Rock ´n´ Roll"));
    QVERIFY(messages.shown.isEmpty());
}

// The warning texts, the normal cursor after a failure and the abort signal.
inline void failures(const QString& connection, const QString& translatedMart)
{
    ScriptedMessages messages;
    Query q(QStringLiteral("qryTest"), nullptr, connection);
    q.addLine(QStringLiteral("SELECT NOSUCHCOLUMN"));
    q.addLine(QStringLiteral("FROM ~MART"));
    bool aborted = false;
    try {
        OpenQuery(q);
    } catch (const AbortSignal& e) {
        aborted = true;
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Operation abgebrochen"));
    }
    QVERIFY(aborted);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].kind, Messages::Kind::Warning);
    QCOMPARE(messages.shown[0].buttons, Messages::Buttons::Ok);
    const QString text = messages.shown[0].text;
    const QString tail = QStringLiteral("\n\nTabelle: qryTest\n\nSELECT NOSUCHCOLUMN\r\nFROM ") +
                         translatedMart + QStringLiteral("\r\n\r\r");
    QVERIFY2(text.endsWith(tail), qPrintable(text));
    const QString errorText = text.left(text.size() - tail.size());
    QVERIFY2(errorText.contains(QStringLiteral("NOSUCHCOLUMN"), Qt::CaseInsensitive), qPrintable(errorText));
    QCOMPARE(messages.cursors.last(), Messages::Cursor::Normal);
    QVERIFY(!q.isOpen());

    // Without the report flag: false and no message.
    messages.clear();
    QVERIFY(!OpenQuery(q, false));
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(messages.cursors.last(), Messages::Cursor::Normal);

    // OpenSql and ExecSql show the database's text alone, and OpenSql resumes the grids.
    // expected empty: the text must name the column and must not show the statement.
    const auto expectAbort = [&](const std::function<void()>& op, const QString& expected) {
        messages.clear();
        bool thrown = false;
        try {
            op();
        } catch (const AbortSignal&) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(messages.shown.size(), 1);
        const QString shown = messages.shown[0].text;
        QVERIFY2(!shown.contains(QStringLiteral("Tabelle:")) && !shown.contains(QStringLiteral("UPDATE")),
                 qPrintable(shown));
        if (expected.isEmpty())
            QVERIFY2(shown.contains(QStringLiteral("NOSUCHCOLUMN"), Qt::CaseInsensitive), qPrintable(shown));
        else
            QCOMPARE(shown, expected);
        QCOMPARE(messages.shown[0].kind, Messages::Kind::Warning);
        QCOMPARE(messages.cursors.last(), Messages::Cursor::Normal);
    };
    int enabledSignals = 0;
    QObject::connect(&q, &Query::controlsEnabledChanged, [&](bool on) { enabledSignals += on ? 1 : 0; });
    expectAbort(
        [&] {
            OpenSql(q, {QStringLiteral("SELECT NOSUCHCOLUMN"), QStringLiteral("FROM ~MART")});
        },
        errorText);
    QVERIFY(!q.controlsDisabled());
    QCOMPARE(enabledSignals, 1);
    expectAbort([&] { ExecSql(q, {QStringLiteral("UPDATE ~MART SET NOSUCHCOLUMN=1")}); }, QString());
    // Nothing written by a failed statement; the query can be used again.
    QVERIFY(OpenSql(q, {QStringLiteral("SELECT COUNT(*) AS N FROM ~MART")}));
    QVERIFY(!q.eof());
}

// A statement with "~" markers reaches the database in the configured case with the prefix.
inline void translatedPrefix(const QString& connection, DatabaseType type, const QString& prefix)
{
    fillArticles(connection);
    ScriptedMessages messages;
    const QString oldPrefix = db::tablePrefix();
    db::setDialect(type, db::InitTablePrefix(prefix));
    Query q(QStringLiteral("qryMArt"), nullptr, connection);
    q.addLine(QStringLiteral("select ARTNR,"));
    q.addLine(QStringLiteral(
        "(select COUNT(*) from ~MARTBILD  MARTBILD where MART.ARTNR = MARTBILD.ARTNR) as ANZBILDER"));
    q.addLine(QStringLiteral(" FROM ~MART MART"));
    q.addLine(QStringLiteral("WHERE ARTNR='2000'"));
    const bool ok = OpenQuery(q, false);
    const QString sent = q.sqlText();
    db::setDialect(type, oldPrefix);
    QVERIFY2(ok, qPrintable(sent));
    QVERIFY2(sent.contains(db::InitTablePrefix(prefix) + (type == DatabaseType::MYSQL
                                                              ? QStringLiteral("mart MART")
                                                              : QStringLiteral("MART MART"))),
             qPrintable(sent));
    QVERIFY(!sent.contains(u'~'));
    QCOMPARE(q.text(QStringLiteral("ARTNR")), QStringLiteral("2000"));
    QCOMPARE(q.value(QStringLiteral("ANZBILDER")).toInt(), 0);
    Query e(QStringLiteral("qryExec"), nullptr, connection);
    db::setDialect(type, db::InitTablePrefix(prefix));
    bool execOk = true;
    try {
        ExecSql(e, {QStringLiteral("UPDATE ~MART SET TYP='X' WHERE ARTNR='2000'")});
    } catch (const AbortSignal&) {
        execOk = false;
    }
    db::setDialect(type, oldPrefix);
    QVERIFY(execOk);
    QVERIFY(e.sqlText().startsWith(QStringLiteral("UPDATE ") + db::InitTablePrefix(prefix)));
    db::setDialect(type, oldPrefix);
}

// Field kinds of the ERP's column types, as the search conditions see them.
inline void fieldKinds(const QString& connection)
{
    ScriptedMessages messages;
    Query q(QStringLiteral("qryExec"), nullptr, connection);
    try {
        ExecSql(q, {QStringLiteral("DROP TABLE ~KVTYPES")});
    } catch (const AbortSignal&) {
    }
    execOrFail(q, {QStringLiteral(
                      "CREATE TABLE ~KVTYPES (FVARCHAR VARCHAR(20), FTEXT TEXT, FSMALLINT SMALLINT, "
                      "FINT INT, FINTEGER INTEGER, FBIGINT BIGINT, FDECIMAL DECIMAL(15,2), FFLOAT FLOAT, "
                      "FDATE DATE, FDATETIME DATETIME)")});
    execOrFail(q,
               {QStringLiteral("INSERT INTO ~KVTYPES VALUES ('a', 'b', 1, 2, 3, 4, 5.5, 6.5, '2003-02-01', "
                               "'2003-02-01 10:00:00')")});
    const QList<QPair<QString, FieldKind>> expected = {
        {QStringLiteral("FVARCHAR"), FieldKind::String},
        {QStringLiteral("FTEXT"), FieldKind::Memo},
        {QStringLiteral("FSMALLINT"), FieldKind::SmallInt},
        {QStringLiteral("FINT"), FieldKind::Integer},
        {QStringLiteral("FINTEGER"), FieldKind::Integer},
        {QStringLiteral("FBIGINT"), FieldKind::LargeInt},
        {QStringLiteral("FDECIMAL"), FieldKind::BCD},
        {QStringLiteral("FFLOAT"), FieldKind::Float},
        {QStringLiteral("FDATE"), FieldKind::Date},
        {QStringLiteral("FDATETIME"), FieldKind::DateTime},
    };
    for (bool forwardOnly : {false, true}) {
        Query r(QStringLiteral("qry1"), nullptr, connection);
        r.setForwardOnly(forwardOnly);
        OpenSql(r, {QStringLiteral("SELECT * FROM ~KVTYPES")});
        for (const auto& [name, kind] : expected)
            QVERIFY2(r.fieldKind(name) == kind,
                     qPrintable(name + QStringLiteral(": ") + fieldKindName(r.fieldKind(name)) +
                                (forwardOnly ? QStringLiteral(" (forward-only)") : QString())));
        // Through an alias of a table column and in a join with table aliases.
        OpenSql(r, {QStringLiteral("SELECT T.FSMALLINT AS ART, T.FDATETIME FROM ~KVTYPES T")});
        QCOMPARE(fieldKindName(r.fieldKind(QStringLiteral("FDATETIME"))), fieldKindName(FieldKind::DateTime));
        QCOMPARE(r.fieldInfo(QStringLiteral("FDATETIME")).name, QStringLiteral("FDATETIME"));
    }
    execOrFail(q, {QStringLiteral("DROP TABLE ~KVTYPES")});
    // The ERP columns the article list searches on.
    fillArticles(connection);
    Query m(QStringLiteral("qryMArt"), nullptr, connection);
    OpenSql(m,
            {QStringLiteral("select ARTNR,BEZEICHNUNG,ARTIKELART,INAKTIV,VKPREIS,GEWICHT,LANGTEXT,ERFDATUM,"),
             QStringLiteral("(select COUNT(*) from ~MARTBILD  MARTBILD where MART.ARTNR = MARTBILD.ARTNR) as "
                            "ANZBILDER FROM ~MART MART")});
    QCOMPARE(fieldKindName(m.fieldKind(QStringLiteral("ARTNR"))), fieldKindName(FieldKind::String));
    QCOMPARE(fieldKindName(m.fieldKind(QStringLiteral("ARTIKELART"))), fieldKindName(FieldKind::SmallInt));
    QCOMPARE(fieldKindName(m.fieldKind(QStringLiteral("INAKTIV"))), fieldKindName(FieldKind::Integer));
    QCOMPARE(fieldKindName(m.fieldKind(QStringLiteral("VKPREIS"))), fieldKindName(FieldKind::BCD));
    QCOMPARE(fieldKindName(m.fieldKind(QStringLiteral("GEWICHT"))), fieldKindName(FieldKind::Float));
    QCOMPARE(fieldKindName(m.fieldKind(QStringLiteral("LANGTEXT"))), fieldKindName(FieldKind::Memo));
    QCOMPARE(fieldKindName(m.fieldKind(QStringLiteral("ERFDATUM"))), fieldKindName(FieldKind::DateTime));
}

// Search conditions built from the fields of an open query select the right rows.
inline void searchConditions(const QString& connection)
{
    fillArticles(connection);
    ScriptedMessages messages;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Query m(QStringLiteral("qryMArt"), nullptr, connection);
    OpenSql(m, {QStringLiteral("SELECT * FROM ~MART")});
    struct Case
    {
        const char* field;
        const char* search;
        QStringList expected;
    };
    const QList<Case> cases = {
        {"BEZEICHNUNG", "sechs*", {QStringLiteral("1000")}},
        {"BEZEICHNUNG", "mü?", {QStringLiteral("1001")}},
        {"BEZEICHNUNG",
         "*",
         {QStringLiteral("1000"), QStringLiteral("1001"), QStringLiteral("2000"), QStringLiteral("3000")}},
        {"BEZEICHNUNG", "o'bohr", {}},
        {"ARTNR", "10", {QStringLiteral("1000"), QStringLiteral("1001")}},
        {"ARTIKELART", "2+", {QStringLiteral("1000"), QStringLiteral("1001"), QStringLiteral("3000")}},
        {"ARTIKELART", "1-", {QStringLiteral("2000")}},
        {"ARTIKELART", "abc", {}},
        {"VKPREIS", "25+", {QStringLiteral("2000"), QStringLiteral("3000")}},
        {"GEWICHT", "0,5-", {QStringLiteral("1000"), QStringLiteral("1001"), QStringLiteral("3000")}},
        {"ERFDATUM", "1.2.2003", {QStringLiteral("1000"), QStringLiteral("1001"), QStringLiteral("2000")}},
        {"ERFDATUM",
         "*",
         {QStringLiteral("1000"), QStringLiteral("1001"), QStringLiteral("2000"), QStringLiteral("3000")}},
        {"ARTNR", "##LEERSTRING##", {}},
    };
    for (const Case& c : cases) {
        const FieldInfo f = m.fieldInfo(QString::fromLatin1(c.field));
        const QString cond = BuildSearchCondition(f, QString::fromUtf8(c.search), QStringLiteral("WHERE "));
        Query r(QStringLiteral("qryMArt"), nullptr, connection);
        QStringList found;
        try {
            OpenSql(r,
                    {QStringLiteral("SELECT ARTNR FROM ~MART MART"), cond, QStringLiteral("ORDER BY ARTNR")});
            for (; !r.eof(); r.next())
                found << r.text(QStringLiteral("ARTNR"));
        } catch (const AbortSignal&) {
            QFAIL(qPrintable(QStringLiteral("failed: ") + cond + QStringLiteral(": ") + messages.lastText()));
        }
        QVERIFY2(found == c.expected, qPrintable(QString::fromUtf8(c.search) + QStringLiteral(" -> ") + cond +
                                                 QStringLiteral(": ") + found.join(u',')));
    }
    QLocale::setDefault(QLocale::c());
}

// The model is made once and reused; rows come lazily; signals; suspended controls.
inline void modelAndSignals(const QString& connection)
{
    ScriptedMessages messages;
    Query e(QStringLiteral("qryExec"), nullptr, connection);
    execOrFail(e, {QStringLiteral("DELETE FROM ~MARTBILD")});
    QStringList values;
    for (int i = 1; i <= 1000; ++i)
        values << QStringLiteral("('A%1', %2, 'f%2.pdf', '/tmp/', '', 0)").arg(i % 7).arg(i);
    execOrFail(e, {QStringLiteral(
                       "INSERT INTO ~MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME, TEXT, BILDKENNZ) VALUES"),
                   values.join(QStringLiteral(",\r\n"))});

    Query q(QStringLiteral("qryMArtBild"), nullptr, connection);
    QSqlQueryModel* model = q.model();
    QSignalSpy opened(&q, &Query::afterOpen);
    QSignalSpy closing(&q, &Query::beforeClose);
    QSignalSpy moved(&q, &Query::currentChanged);
    int rowsAtAfterOpen = -1;
    QObject::connect(&q, &Query::afterOpen, [&] { rowsAtAfterOpen = q.model()->rowCount(); });
    int rowsAtBeforeClose = -1;
    QObject::connect(&q, &Query::beforeClose, [&] { rowsAtBeforeClose = q.model()->rowCount(); });
    OpenSql(q, {QStringLiteral("SELECT * FROM ~MARTBILD ORDER BY LFDNR")});
    QCOMPARE(q.model(), model);
    QCOMPARE(opened.count(), 1);
    QVERIFY(rowsAtAfterOpen > 0);
    QCOMPARE(moved.count(), 1);
    int n = 0;
    for (; !q.eof(); q.next())
        ++n;
    QCOMPARE(n, 1000);
    QCOMPARE(q.rowCount(), 1000);
    QCOMPARE(q.value(QStringLiteral("LFDNR")).toInt(), 1000);
    q.first();
    QCOMPARE(q.value(QStringLiteral("LFDNR")).toInt(), 1);
    q.setCurrentRow(499);
    QCOMPARE(q.value(QStringLiteral("LFDNR")).toInt(), 500);
    QCOMPARE(model->data(model->index(499, model->record().indexOf(QStringLiteral("DATEINAME")))).toString(),
             QStringLiteral("f500.pdf"));

    // Reopen: same model, beforeClose with the old rows, afterOpen with the new ones.
    moved.clear();
    OpenSql(q, {QStringLiteral("SELECT * FROM ~MARTBILD WHERE LFDNR <= 3")});
    QCOMPARE(closing.count(), 1);
    QCOMPARE(rowsAtBeforeClose, 1000);
    QCOMPARE(q.model(), model);
    QCOMPARE(model->rowCount(), 3);
    // Close and open each move the current row; OpenSql suspends the views, so the
    // move of its open is reported once when they are resumed.
    QVERIFY(moved.count() >= 1);
    CloseQuery(q);
    QCOMPARE(model->rowCount(), 0);

    // Suspended controls: no current-row signals until resumed, then one.
    OpenSql(q, {QStringLiteral("SELECT * FROM ~MARTBILD ORDER BY LFDNR")});
    moved.clear();
    q.disableControls();
    q.next();
    q.next();
    QCOMPARE(moved.count(), 0);
    q.enableControls();
    QCOMPARE(moved.count(), 1);
    QCOMPARE(q.value(QStringLiteral("LFDNR")).toInt(), 3);

    // Forward-only: all rows, none kept in the model.
    Query f(QStringLiteral("qryScan"), nullptr, connection);
    f.setForwardOnly(true);
    OpenSql(f, {QStringLiteral("SELECT LFDNR, DATEINAME FROM ~MARTBILD ORDER BY LFDNR")});
    int sum = 0;
    n = 0;
    for (; !f.eof(); f.next()) {
        sum += f.value(QStringLiteral("LFDNR")).toInt();
        ++n;
    }
    QCOMPARE(n, 1000);
    QCOMPARE(sum, 500500);
    QCOMPARE(f.rowCount(), -1);
    QCOMPARE(f.model()->rowCount(), 0);
    CloseQuery(f);
    execOrFail(e, {QStringLiteral("DELETE FROM ~MARTBILD")});
}

} // namespace querycases
