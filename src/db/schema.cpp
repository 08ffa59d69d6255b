// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/schema.h"

namespace {

struct Column
{
    const char* name;
    const char* type; // portable type; AUTOINC is the table's generated integer key
    bool notNull;
};

struct Table
{
    const char* name;
    std::initializer_list<Column> columns;
    const char* primaryKey; // column list
};

struct Index
{
    const char* name;
    const char* table;
    const char* columns;
};

// Column types as the ERP declares them.
const Table kTables[] = {
    {"MRLUSER",
     {{"KURZNAME", "VARCHAR(10)", true},
      {"VORNAME", "VARCHAR(50)", false},
      {"NACHNAME", "VARCHAR(50)", false},
      {"PASSWORT", "VARCHAR(20)", false},
      {"ABTEILUNG", "VARCHAR(30)", false},
      {"EMAIL", "VARCHAR(100)", false},
      {"INAKTIV", "INTEGER", false}},
     "KURZNAME"},
    {"ARTGRUPP",
     {{"GRUPPENBEZ", "VARCHAR(15)", true},
      {"BEZEICHNUNG", "VARCHAR(60)", false},
      {"SORTKENNZ", "SMALLINT", false}},
     "GRUPPENBEZ"},
    {"AGRUPPEN",
     {{"OBERGRUPPE", "VARCHAR(15)", true},
      {"GRUPPE", "VARCHAR(15)", true},
      {"BEZEICHNUNG", "VARCHAR(60)", false},
      {"SORTKENNZ", "SMALLINT", false}},
     "OBERGRUPPE,GRUPPE"},
    {"AGRUPP2",
     {{"OBERGRUPPE", "VARCHAR(15)", true},
      {"GRUPPE", "VARCHAR(15)", true},
      {"UNTGRUPPE", "VARCHAR(15)", true},
      {"BEZEICHNUNG", "VARCHAR(60)", false},
      {"SORTKENNZ", "SMALLINT", false}},
     "OBERGRUPPE,GRUPPE,UNTGRUPPE"},
    {"MART",
     {{"ARTNR", "VARCHAR(20)", true},
      {"TYP", "VARCHAR(40)", false},
      {"BEZEICHNUNG", "VARCHAR(255)", false},
      {"OBERGRUPPE", "VARCHAR(15)", false},
      {"GRUPPE", "VARCHAR(15)", false},
      {"UNTGRUPPE", "VARCHAR(15)", false},
      {"HERSTELLER", "VARCHAR(30)", false},
      {"LAGERORT", "VARCHAR(20)", false},
      {"KENNZ1", "VARCHAR(15)", false},
      {"KENNZ2", "VARCHAR(15)", false},
      {"KENNZ3", "VARCHAR(15)", false},
      {"KENNZ4", "VARCHAR(15)", false},
      {"KENNZ5", "VARCHAR(15)", false},
      {"ARTIKELART", "SMALLINT", false},
      {"INAKTIV", "INTEGER", false},
      {"EINHEIT", "VARCHAR(10)", false},
      {"VKPREIS", "DECIMAL(15,2)", false},
      {"GEWICHT", "FLOAT", false},
      {"LANGTEXT", "TEXT", false},
      {"ERFDATUM", "DATETIME", false}},
     "ARTNR"},
    {"MARTBILD",
     {{"ARTNR", "VARCHAR(20)", true},
      {"LFDNR", "SMALLINT", true},
      {"DATEINAME", "VARCHAR(100)", false},
      {"PFADNAME", "VARCHAR(200)", false},
      {"TEXT", "VARCHAR(255)", false},
      {"BILDKENNZ", "INTEGER", false}},
     "ARTNR,LFDNR"},
    {"ADR",
     {{"ADRNR", "INTEGER", true},
      {"KURZNAME", "VARCHAR(20)", false},
      {"LANDKENNZ", "VARCHAR(5)", false},
      {"PLZ", "VARCHAR(10)", false},
      {"ORT", "VARCHAR(40)", false},
      {"STR", "VARCHAR(40)", false},
      {"ANSCHRIFT", "VARCHAR(160)", false},
      {"TELGESCH", "VARCHAR(30)", false},
      {"TELEFAX", "VARCHAR(30)", false},
      {"TELPRIV", "VARCHAR(30)", false},
      {"TELMOBIL", "VARCHAR(30)", false},
      {"BEMERKUNG", "VARCHAR(250)", false},
      {"HOMEPAGE", "VARCHAR(100)", false},
      {"STICHWORT", "VARCHAR(200)", false},
      {"KUNDENNR", "INTEGER", false},
      {"LIEFERNR", "INTEGER", false},
      {"MAIL", "VARCHAR(100)", false},
      {"INAKTIV", "INTEGER", false},
      {"ERFDATUM", "DATETIME", false}},
     "ADRNR"},
    {"DOKUMENT",
     {{"ID", "AUTOINC", true},
      {"D_BEZUG_ADRNR", "INTEGER", false},
      {"D_EMPF_KURZNAME", "VARCHAR(20)", false},
      {"D_BEZUG_FORMULAR", "SMALLINT", false},
      {"D_DOKUMENTENART", "SMALLINT", false},
      {"D_BEZUG_AUFTRNR", "INTEGER", false},
      {"D_BEZUG_BESTELLNR", "INTEGER", false},
      {"D_BEZUG_RECHNNR", "INTEGER", false},
      {"D_BEZUG_EINGERCHNR", "INTEGER", false},
      {"D_PFAD", "VARCHAR(200)", false},
      {"D_DATEINAME", "VARCHAR(200)", false},
      {"D_BETREFF", "VARCHAR(200)", false},
      {"D_BEMERKUNG", "VARCHAR(200)", false},
      {"ERFDATUM", "DATETIME", false},
      {"ERFUSER", "VARCHAR(20)", false}},
     nullptr},
    {"EINGANGSRECH",
     {{"ID", "INTEGER", true},
      {"BUCHNR", "INTEGER", false},
      {"LIEFERNR", "INTEGER", false},
      {"RECHNR", "VARCHAR(30)", false},
      {"RECHDATUM", "DATE", false},
      {"BETRAG", "DECIMAL(15,2)", false},
      {"ERFDATUM", "DATETIME", false},
      {"ERFUSER", "VARCHAR(20)", false}},
     "ID"},
};

const Index kIndexes[] = {
    {"IDX_MARTBILD_DATEINAME", "MARTBILD", "DATEINAME"},
    {"IDX_DOKUMENT_ADRNR", "DOKUMENT", "D_BEZUG_ADRNR"},
    {"IDX_DOKUMENT_EINGERCHNR", "DOKUMENT", "D_BEZUG_EINGERCHNR"},
    {"IDX_MART_GRUPPEN", "MART", "OBERGRUPPE,GRUPPE,UNTGRUPPE"},
    {"IDX_MART_BEZEICHNUNG", "MART", "BEZEICHNUNG"},
    {"IDX_ADR_KURZNAME", "ADR", "KURZNAME"},
    {"IDX_EINGANGSRECH_BUCHNR", "EINGANGSRECH", "BUCHNR"},
};

QString tableName(const char* name, DatabaseType type)
{
    const QString n = QString::fromLatin1(name);
    return type == DatabaseType::MYSQL ? n.toLower() : n;
}

} // namespace

QStringList schemaTables(DatabaseType type)
{
    QStringList r;
    for (const Table& t : kTables)
        r << tableName(t.name, type);
    return r;
}

QStringList schemaStatements(DatabaseType type, const QString& tablePrefix)
{
    const bool mysql = type == DatabaseType::MYSQL;
    QStringList statements;
    for (const Table& t : kTables) {
        QStringList parts;
        for (const Column& c : t.columns) {
            QString def = QString::fromLatin1(c.name) + u' ';
            if (qstrcmp(c.type, "AUTOINC") == 0) {
                def += mysql ? QStringLiteral("INT NOT NULL AUTO_INCREMENT PRIMARY KEY")
                             : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
            } else {
                def += QString::fromLatin1(c.type);
                if (c.notNull)
                    def += QStringLiteral(" NOT NULL");
            }
            parts << def;
        }
        if (t.primaryKey)
            parts << QStringLiteral("PRIMARY KEY (") + QString::fromLatin1(t.primaryKey) + u')';
        QString sql = QStringLiteral("CREATE TABLE ") + tablePrefix + tableName(t.name, type) +
                      QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + u')';
        if (mysql)
            sql += QStringLiteral(" ENGINE=InnoDB DEFAULT CHARSET=utf8mb4");
        statements << sql;
    }
    for (const Index& i : kIndexes) {
        const QString idx = QString::fromLatin1(i.name);
        statements << QStringLiteral("CREATE INDEX ") + (mysql ? idx : tablePrefix + idx) +
                          QStringLiteral(" ON ") + (mysql ? tablePrefix : QString()) +
                          tableName(i.table, type) + QStringLiteral(" (") + QString::fromLatin1(i.columns) +
                          u')';
    }
    return statements;
}
