// SPDX-License-Identifier: GPL-3.0-or-later
// The contact search's pieces that need no window: the key rule of the search box, the search
// text, and the LIKE patterns for the database types.
#include "contacts/contactsearch.h"

#include <QtTest>

class TestContactSearch : public QObject
{
    Q_OBJECT
private slots:
    void keyRule_data();
    void keyRule();
    void searchText_data();
    void searchText();
    void likePattern_data();
    void likePattern();
    void mysqlSearchLines();
};

void TestContactSearch::keyRule_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("vk");
    QTest::addColumn<bool>("requeries");

    const int none = int(Qt::NoModifier);
    const int keypad = int(Qt::KeypadModifier);
    QTest::newRow("letter") << int(Qt::Key_M) << none << "m" << 77 << true;
    QTest::newRow("shifted letter") << int(Qt::Key_M) << int(Qt::ShiftModifier) << "M" << 77 << true;
    QTest::newRow("digit") << int(Qt::Key_0) << none << "0" << 48 << true;
    QTest::newRow("keypad digit") << int(Qt::Key_5) << keypad << "5" << 101 << true;
    QTest::newRow("keypad star") << int(Qt::Key_Asterisk) << keypad << "*" << 106 << true;
    QTest::newRow("star") << int(Qt::Key_Asterisk) << none << "*" << 186 << true;
    QTest::newRow("percent") << int(Qt::Key_Percent) << none << "%" << 186 << true;
    QTest::newRow("apostrophe") << int(Qt::Key_Apostrophe) << none << "'" << 186 << true;
    QTest::newRow("umlaut") << int(Qt::Key_Udiaeresis) << none << QString::fromUtf8("ü") << 186 << true;
    QTest::newRow("dead circumflex") << int(Qt::Key_Dead_Circumflex) << none << "" << 220 << true;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << "\b" << 8 << true;
    QTest::newRow("delete") << int(Qt::Key_Delete) << none << "" << 46 << true;
    QTest::newRow("space") << int(Qt::Key_Space) << none << " " << 32 << false;
    QTest::newRow("shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << "" << 16 << false;
    QTest::newRow("return") << int(Qt::Key_Return) << none << "\r" << 13 << false;
    QTest::newRow("escape") << int(Qt::Key_Escape) << none << "" << 27 << false;
    QTest::newRow("left") << int(Qt::Key_Left) << none << "" << 37 << false;
    QTest::newRow("page down") << int(Qt::Key_PageDown) << none << "" << 34 << false;
    QTest::newRow("home") << int(Qt::Key_Home) << none << "" << 36 << false;
    QTest::newRow("insert") << int(Qt::Key_Insert) << none << "" << 45 << false;
    QTest::newRow("F1") << int(Qt::Key_F1) << none << "" << 112 << true;
    QTest::newRow("F6") << int(Qt::Key_F6) << none << "" << 117 << true;
    QTest::newRow("F7") << int(Qt::Key_F7) << none << "" << 118 << false;
    QTest::newRow("F8") << int(Qt::Key_F8) << none << "" << 119 << false;
    QTest::newRow("F9") << int(Qt::Key_F9) << none << "" << 120 << false;
    QTest::newRow("F10") << int(Qt::Key_F10) << none << "" << 121 << true;
    QTest::newRow("F12") << int(Qt::Key_F12) << none << "" << 123 << true;
}

void TestContactSearch::keyRule()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(int, vk);
    QFETCH(bool, requeries);
    const int got = WindowsVirtualKey(key, Qt::KeyboardModifiers(modifiers), text);
    QCOMPARE(got, vk);
    QCOMPARE(SearchKeyRequeries(got), requeries);
}

void TestContactSearch::searchText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("search");
    QTest::newRow("star becomes percent") << "mueller*"
                                          << "MUELLER%";
    QTest::newRow("percent stays") << "a%b"
                                   << "A%B";
    QTest::newRow("umlauts upper-cased") << QString::fromUtf8("müller") << QString::fromUtf8("MÜLLER");
    // The sharp s has no single upper-case letter; the database leaves it as well.
    QTest::newRow("sharp s kept") << QString::fromUtf8("straße") << QString::fromUtf8("STRAßE");
    QTest::newRow("empty") << ""
                           << "";
}

void TestContactSearch::searchText()
{
    QFETCH(QString, typed);
    QFETCH(QString, search);
    QCOMPARE(ContactSearchText(typed), search);
}

void TestContactSearch::likePattern_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("inside");
    const int sqlite = int(DatabaseType::SQLITE), mssql = int(DatabaseType::MSSQL),
              mysql = int(DatabaseType::MYSQL);
    QTest::newRow("apostrophe doubled") << sqlite << "O'NEIL"
                                        << "O''NEIL";
    QTest::newRow("apostrophe MSSQL") << mssql << "D'AMATO%"
                                      << "D''AMATO%";
    QTest::newRow("injection stays inside") << mssql << "X') OR 1=1 --"
                                            << "X'') OR 1=1 --";
    QTest::newRow("backslash plain for MSSQL") << mssql << "A\\B"
                                               << "A\\B";
    QTest::newRow("backslash for MYSQL") << mysql << "A\\B"
                                         << "A\\\\\\\\B";
    QTest::newRow("MYSQL backslash-quote") << mysql << "\\'"
                                           << "\\\\\\\\''";
    QTest::newRow("wildcards stay") << mysql << "%A_B%"
                                    << "%A_B%";
}

void TestContactSearch::likePattern()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QString, inside);
    QCOMPARE(LikePatternText(text, DatabaseType(type)), inside);
}

void TestContactSearch::mysqlSearchLines()
{
    // The five conditions carry the escaped pattern; the statement's other lines stay as they are.
    ContactFilter f;
    f.searchText = "o'*";
    const QStringList sql = BuildContactListSql(f, DatabaseType::MYSQL);
    QCOMPARE(sql.size(), 4 + 7 + 1);
    // The outer table carries the name the sub-query uses as its alias.
    QCOMPARE(sql.at(3), QStringLiteral("from ~ADR ADR where ADRNR > 0"));
    QCOMPARE(BuildContactListSql(f, DatabaseType::MSSQL).at(3), QStringLiteral("from ~ADR where ADRNR > 0"));
    QCOMPARE(sql.at(4), QStringLiteral(" AND ("));
    QCOMPARE(sql.at(5), QStringLiteral("   UPPER(KURZNAME) LIKE('%O''%%')"));
    QCOMPARE(sql.at(9), QStringLiteral("or UPPER(STR) LIKE('%O''%%')"));
    QCOMPARE(sql.at(10), QStringLiteral(" )"));
    QCOMPARE(sql.last(), QStringLiteral("ORDER BY KURZNAME"));
}

QTEST_APPLESS_MAIN(TestContactSearch)
#include "tst_contactsearch.moc"
