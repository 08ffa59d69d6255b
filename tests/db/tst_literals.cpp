// SPDX-License-Identifier: GPL-3.0-or-later
// SQL literals and search conditions for every database type.
#include "db/dialect.h"
#include "db/literals.h"

#include <QtTest>

Q_DECLARE_METATYPE(FieldKind)

namespace {
const int MS = int(DatabaseType::MSSQL);
const int MY = int(DatabaseType::MYSQL);
const int ORA = int(DatabaseType::ORACLE);
const int IB = int(DatabaseType::Interbase);
const int LITE = int(DatabaseType::SQLITE);
} // namespace

class TestLiterals : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void cleanup() { db::setDialect(DatabaseType::None, QString()); }

    void sqlStr_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("nullIfEmpty");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << MS << "" << false << 0 << "''";
        QTest::newRow("blanks") << MS << "   " << false << 0 << "''";
        QTest::newRow("trimmed") << MS << " \tabc \r\n" << false << 0 << "'abc'";
        QTest::newRow("null flag") << MS << "  " << true << 0 << "NULL";
        QTest::newRow("null flag, text") << MS << "x" << true << 0 << "'x'";
        QTest::newRow("cut") << MS << "  abcdef" << false << 3 << "'abc'";
        QTest::newRow("cut to blanks") << MS << "ab" << true << -1 << "'ab'";
        QTest::newRow("apostrophe") << MS << "O'Brien" << false << 0 << "'O´Brien'";
        QTest::newRow("rtf keeps apostrophe") << MS << "{\\rtf1 it's}" << false << 0 << "'{\\rtf1 it''s}'";
        QTest::newRow("RTF upper is no rtf") << MS << "{\\RTF1 it's}" << false << 0 << "'{\\RTF1 it´s}'";
        QTest::newRow("path mssql") << MS << "C:\\Daten\\Bild.jpg" << false << 0 << "'C:\\Daten\\Bild.jpg'";
        QTest::newRow("path mysql") << MY << "C:\\Daten\\" << false << 0 << "'C:\\\\Daten\\\\'";
        QTest::newRow("rtf mysql") << MY << "{\\rtf1 a'b}" << false << 0 << "'{\\\\rtf1 a''b}'";
        QTest::newRow("path sqlite") << LITE << "C:\\x" << false << 0 << "'C:\\x'";
        QTest::newRow("umlaut") << ORA << "Müller €" << false << 0 << "'Müller €'";
    }
    void sqlStr()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(bool, nullIfEmpty);
        QFETCH(int, maxLength);
        QFETCH(QString, expected);
        db::setDialect(DatabaseType(type), QString());
        QCOMPARE(SqlStr(text, nullIfEmpty, maxLength), expected);
    }

    void sqlExact_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("kept as is") << MS << " O'Brien .pdf "
                                    << "' O''Brien .pdf '";
        QTest::newRow("mysql backslash") << MY << "C:\\A'B\\"
                                         << "'C:\\\\A''B\\\\'";
        QTest::newRow("empty") << LITE << ""
                               << "''";
    }
    void sqlExact()
    {
        QFETCH(int, type);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        db::setDialect(DatabaseType(type), QString());
        QCOMPARE(SqlExact(text), expected);
    }

    void sqlInt()
    {
        QCOMPARE(SqlInt(0), QStringLiteral("0"));
        QCOMPARE(SqlInt(1234567), QStringLiteral("1234567")); // no thousands separator in the German locale
        QCOMPARE(SqlInt(-42), QStringLiteral("-42"));
        QCOMPARE(SqlInt(Q_INT64_C(-9000000000)), QStringLiteral("-9000000000"));
    }

    void sqlDate_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("expected");
        const QDate d(2003, 2, 1);
        const QDate zero(1899, 12, 30);
        QTest::newRow("mssql") << MS << d << "'01.02.2003'";
        QTest::newRow("oracle") << ORA << d << "TO_DATE('01.02.2003','DD.MM.YYYY')";
        QTest::newRow("mysql") << MY << d << "'2003/02/01'";
        QTest::newRow("interbase") << IB << d << "";
        QTest::newRow("sqlite") << LITE << d << "'2003-02-01'";
        QTest::newRow("zero mssql") << MS << zero << "NULL";
        QTest::newRow("zero oracle") << ORA << zero << "NULL";
        QTest::newRow("zero mysql") << MY << zero << "0";
        QTest::newRow("zero interbase") << IB << zero << "";
        QTest::newRow("zero sqlite") << LITE << zero << "NULL";
        QTest::newRow("before zero") << MS << QDate(1850, 1, 1) << "NULL";
        QTest::newRow("invalid") << MY << QDate() << "0";
        QTest::newRow("day after zero") << MS << QDate(1899, 12, 31) << "'31.12.1899'";
    }
    void sqlDate()
    {
        QFETCH(int, type);
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        db::setDialect(DatabaseType(type), QString());
        QCOMPARE(SqlDate(date), expected);
    }

    void searchCondition_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<FieldKind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("expected");
        using K = FieldKind;
        // The worked examples.
        QTest::newRow("ex string prefix") << MS << K::String << "BEZEICHNUNG"
                                          << "schraube*"
                                          << "WHERE   UPPER(BEZEICHNUNG) LIKE 'SCHRAUBE%'";
        QTest::newRow("ex string ?") << MS << K::String << "BEZEICHNUNG"
                                     << "M?6"
                                     << "WHERE   UPPER(BEZEICHNUNG) LIKE 'M%6%'";
        QTest::newRow("ex string *") << MS << K::String << "BEZEICHNUNG"
                                     << "*"
                                     << "WHERE  (UPPER(BEZEICHNUNG) LIKE '%' OR (BEZEICHNUNG IS NULL))";
        QTest::newRow("ex memo") << MS << K::Memo << "TEXT"
                                 << "abc"
                                 << "WHERE   TEXT LIKE 'ABC%'";
        QTest::newRow("ex integer") << MS << K::Integer << "F"
                                    << "12"
                                    << "WHERE   F LIKE '12%'";
        QTest::newRow("ex integer +") << MS << K::Integer << "F"
                                      << "100+"
                                      << "WHERE   F >= 100";
        QTest::newRow("ex lone minus") << MS << K::Integer << "F"
                                       << "-"
                                       << "WHERE   F <= 0";
        QTest::newRow("ex integer abc") << MS << K::Integer << "F"
                                        << "abc"
                                        << "WHERE  1=0 ";
        QTest::newRow("ex interbase integer") << IB << K::Integer << "F"
                                              << "12"
                                              << "WHERE  (F=12)";
        QTest::newRow("ex float german") << MS << K::Float << "F"
                                         << "12,5+"
                                         << "WHERE   F >= 12.5";
        QTest::newRow("ex date") << MS << K::Date << "F"
                                 << "1.2.2003"
                                 << "WHERE  (F>='01.02.2003')";
        QTest::newRow("ex date oracle") << ORA << K::Date << "F"
                                        << "01.02.2003"
                                        << "WHERE  (F>=TO_DATE('01.02.2003','DD.MM.YYYY'))";
        QTest::newRow("ex date mysql") << MY << K::Date << "F"
                                       << "01.02.2003"
                                       << "WHERE  (F>='2003/02/01')";
        QTest::newRow("ex date *") << MS << K::Date << "F"
                                   << "*"
                                   << "WHERE  (F>='')";
        QTest::newRow("ex date 1850") << MS << K::Date << "F"
                                      << "01.02.1850"
                                      << "WHERE  (F>='01.02.1900')";
        QTest::newRow("ex boolean") << MS << K::Boolean << "F"
                                    << "1"
                                    << "WHERE  (F=1)";
        QTest::newRow("ex empty marker") << MS << K::String << "F"
                                         << "##LEERSTRING##"
                                         << "WHERE (0 = 1)";
        QTest::newRow("ex empty marker date") << ORA << K::Date << "F"
                                              << "##LEERSTRING##"
                                              << "WHERE (0 = 1)";

        // Further edge cases.
        QTest::newRow("string % alone") << MS << K::String << "F"
                                        << "%"
                                        << "WHERE  (UPPER(F) LIKE '%' OR (F IS NULL))";
        QTest::newRow("string + literal") << MS << K::String << "F"
                                          << "a+"
                                          << "WHERE   UPPER(F) LIKE 'A+%'";
        QTest::newRow("apostrophe dropped") << MS << K::String << "F"
                                            << "o'brien"
                                            << "WHERE   UPPER(F) LIKE 'OBRIEN%'";
        QTest::newRow("umlaut upper, ß kept") << LITE << K::String << "F"
                                              << "müß*"
                                              << "WHERE   UPPER(F) LIKE 'MÜß%'";
        QTest::newRow("memo *") << MY << K::Memo << "F"
                                << "*"
                                << "WHERE  (F LIKE '%' OR (F IS NULL))";
        QTest::newRow("smallint mysql") << MY << K::SmallInt << "F"
                                        << "3"
                                        << "WHERE   F LIKE '3%'";
        QTest::newRow("integer *") << MS << K::Integer << "F"
                                   << "*"
                                   << "WHERE  (F LIKE '%' OR (F IS NULL))";
        QTest::newRow("integer minus range") << ORA << K::Integer << "F"
                                             << "5-"
                                             << "WHERE   F <= 5";
        QTest::newRow("integer thousands") << MS << K::Integer << "F"
                                           << "1.000+"
                                           << "WHERE   F >= 1000";
        QTest::newRow("integer negative") << MS << K::Integer << "F"
                                          << "-5"
                                          << "WHERE   F LIKE '-5%'";
        QTest::newRow("largeint sqlite +") << LITE << K::LargeInt << "F"
                                           << "7+"
                                           << "WHERE   F >= 7";
        QTest::newRow("integer + interbase") << IB << K::Integer << "F"
                                             << "100+"
                                             << "WHERE  (F=100)";
        QTest::newRow("integer % interbase") << IB << K::Integer << "F"
                                             << "1*"
                                             << "WHERE  (F>=1)";
        QTest::newRow("integer empty % interbase") << IB << K::Integer << "F"
                                                   << "*"
                                                   << "WHERE  (F>=0 OR F IS NULL)";
        QTest::newRow("float bad") << MS << K::Float << "F"
                                   << "1x"
                                   << "WHERE  1=0 ";
        QTest::newRow("float point is no german decimal") << MS << K::Float << "F"
                                                          << "12.5"
                                                          << "WHERE  1=0 ";
        QTest::newRow("float plain") << MS << K::Float << "F"
                                     << "12,5"
                                     << "WHERE   F LIKE '12,5%'";
        QTest::newRow("float lone plus") << MS << K::Float << "F"
                                         << "+"
                                         << "WHERE   F >= 0";
        QTest::newRow("float thousands") << MS << K::Float << "F"
                                         << "1.234,5-"
                                         << "WHERE   F <= 1234.5";
        QTest::newRow("bcd range unchecked") << MS << K::BCD << "F"
                                             << "x+"
                                             << "WHERE   F >= 0";
        QTest::newRow("bcd checked") << MS << K::BCD << "F"
                                     << "x"
                                     << "WHERE  1=0 ";
        QTest::newRow("bcd +") << MY << K::BCD << "F"
                               << "25+"
                               << "WHERE   F >= 25";
        QTest::newRow("currency") << MS << K::Currency << "F"
                                  << "12,50"
                                  << "WHERE  (F>=1250)";
        QTest::newRow("currency empty") << MS << K::Currency << "F"
                                        << ""
                                        << "WHERE  (F>=0 OR F IS NULL)";
        QTest::newRow("word") << MS << K::Word << "F"
                              << "4+"
                              << "WHERE  (F=4)";
        QTest::newRow("autoinc") << MS << K::AutoInc << "F"
                                 << "12"
                                 << "WHERE  (F=12)";
        QTest::newRow("autoinc 0") << MS << K::AutoInc << "F"
                                   << "x"
                                   << "WHERE  (F=0 OR F IS NULL)";
        QTest::newRow("date two-digit year") << MS << K::Date << "F"
                                             << "1.2.03"
                                             << "WHERE  (F>='01.02.2003')";
        QTest::newRow("date no year")
            << MS << K::DateTime << "F"
            << "24.12." << QStringLiteral("WHERE  (F>='24.12.%1')").arg(QDate::currentDate().year());
        QTest::newRow("date % in it") << MS << K::Date << "F"
                                      << "1.2.20*"
                                      << "WHERE  (F>='01.02.2020')";
        QTest::newRow("date not a date") << MS << K::Date << "F"
                                         << "abc"
                                         << "WHERE  (F>='')";
        QTest::newRow("date 29.02.1850") << MS << K::Date << "F"
                                         << "29.02.1850"
                                         << "WHERE  (F>='')";
        QTest::newRow("date 31.02.") << MS << K::Date << "F"
                                     << "31.02.2003"
                                     << "WHERE  (F>='')";
        QTest::newRow("date * oracle") << ORA << K::Date << "F"
                                       << "*"
                                       << "WHERE  (F>=TO_DATE('01.01.1900','DD.MM.YYYY'))";
        QTest::newRow("date * mysql") << MY << K::Date << "F"
                                      << "*"
                                      << "WHERE  (F>='//')";
        QTest::newRow("date interbase") << IB << K::Date << "F"
                                        << "1.2.2003"
                                        << "WHERE  (F>=0 OR F IS NULL)";
        QTest::newRow("date sqlite") << LITE << K::DateTime << "F"
                                     << "1.2.2003"
                                     << "WHERE  (F>='2003-02-01')";
        QTest::newRow("date * sqlite") << LITE << K::Date << "F"
                                       << "*"
                                       << "WHERE  (F>='')";
        QTest::newRow("time") << MS << K::Time << "F"
                              << "1.2.2003"
                              << "WHERE  (F>='01.02.2003')";
        QTest::newRow("other numeric") << MS << K::Other << "F"
                                       << "12,5"
                                       << "WHERE  (F=12.5)";
        QTest::newRow("other text quoted") << MS << K::Other << "F"
                                           << "1 OR 1=1"
                                           << "WHERE  (F='1 OR 1=1')";
        QTest::newRow("other text mysql") << MY << K::Other << "F"
                                          << "a\\"
                                          << "WHERE  (F='A\\\\')";
    }
    void searchCondition()
    {
        QFETCH(int, type);
        QFETCH(FieldKind, kind);
        QFETCH(QString, name);
        QFETCH(QString, search);
        QFETCH(QString, expected);
        db::setDialect(DatabaseType(type), QString());
        QCOMPARE(BuildSearchCondition(FieldInfo{name, kind}, search, QStringLiteral("WHERE ")), expected);
    }

    void qualifierAndAlias()
    {
        db::setDialect(DatabaseType::MSSQL, QString());
        QCOMPARE(BuildSearchCondition({QStringLiteral("bezeichnung"), FieldKind::String}, QStringLiteral("*"),
                                      QStringLiteral(" AND "), QStringLiteral("MART.")),
                 QStringLiteral(" AND  (UPPER(MART.bezeichnung) LIKE '%' OR (MART.BEZEICHNUNG IS NULL))"));
        QCOMPARE(BuildSearchCondition({QStringLiteral("A_NAME"), FieldKind::String}, QStringLiteral("x"),
                                      QStringLiteral("WHERE "), QString(), true),
                 QStringLiteral("WHERE   UPPER(A.NAME) LIKE 'X%'"));
        QCOMPARE(BuildSearchCondition({QStringLiteral("A_NAME"), FieldKind::String}, QStringLiteral("x"),
                                      QStringLiteral("WHERE "), QString(), false),
                 QStringLiteral("WHERE   UPPER(A_NAME) LIKE 'X%'"));
        QCOMPARE(BuildSearchCondition({QStringLiteral("AB_C"), FieldKind::Integer}, QStringLiteral("3+"),
                                      QStringLiteral("WHERE "), QString(), true),
                 QStringLiteral("WHERE   AB_C >= 3"));
    }
};

QTEST_MAIN(TestLiterals)
#include "tst_literals.moc"
