// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/dialect.h"

#include "util/messages.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {
DatabaseType g_type = DatabaseType::None;
QString g_prefix;
bool g_terminate = false;

QString trimControls(const QString& s)
{
    // Blanks and control characters (code <= 32) from both ends, as the ERP's trim does.
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 32)
        ++b;
    while (e > b && s[e - 1].unicode() <= 32)
        --e;
    return s.mid(b, e - b);
}

QString asciiUpper(QString s)
{
    for (QChar& c : s)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return s;
}

struct Keyword
{
    const char16_t* text;
    bool flag;
    int advance;
};

const Keyword kKeywords[] = {
    {u" FROM ", true, 5},     {u"UPDATE ", true, 6}, {u"INSERT INTO ", true, 11}, {u" TABLE ", true, 6},
    {u" SEQUENCE ", true, 9}, {u" TRIGGER ", true, 8}, {u" SELECT ", true, 7},    {u" CREATE ", true, 7},
    {u" INDEX ", true, 6},    {u" WHERE ", false, 7}, {u" SET ", false, 5},        {u" VALUES ", false, 8},
    {u" BEGIN ", false, 6},   {u" END IF", false, 7},
};
} // namespace

namespace db {

DatabaseType databaseType()
{
    return g_type;
}

QString tablePrefix()
{
    return g_prefix;
}

void setDialect(DatabaseType type, const QString& prefix)
{
    g_type = type;
    g_prefix = prefix;
}

QString databaseTypeName(DatabaseType type)
{
    switch (type) {
    case DatabaseType::Interbase:
        return QStringLiteral("INTERBASE");
    case DatabaseType::MSSQL:
        return QStringLiteral("MSSQL");
    case DatabaseType::MYSQL:
        return QStringLiteral("MYSQL");
    case DatabaseType::ORACLE:
        return QStringLiteral("ORACLE");
    case DatabaseType::SQLITE:
        return QStringLiteral("SQLITE");
    case DatabaseType::None:
        break;
    }
    return {};
}

DatabaseType InitDatabaseType(const QString& text)
{
    g_type = DatabaseType::None;
    const QString t = asciiUpper(trimControls(text));
    if (t == u"ORACLE")
        g_type = DatabaseType::ORACLE;
    else if (t == u"MSSQL")
        g_type = DatabaseType::MSSQL;
    else if (t == u"MYSQL")
        g_type = DatabaseType::MYSQL;
    else if (t == u"INTERBASE")
        g_type = DatabaseType::Interbase;
    else if (t == u"SQLITE")
        g_type = DatabaseType::SQLITE;
    if (g_type == DatabaseType::None) {
        msg().show(Messages::Kind::Plain,
                   QStringLiteral("Fehler bei der Initialisierung des Datenbanktypes.\nDer Datenbanktyp ") +
                       text + QStringLiteral(" ist nicht zulässig. Bitte ändern Sie die INI-Datei."));
        g_terminate = true;
        if (QCoreApplication::instance())
            QMetaObject::invokeMethod(QCoreApplication::instance(), "quit", Qt::QueuedConnection);
    }
    return g_type;
}

bool terminationRequested()
{
    return g_terminate;
}

void clearTerminationRequest()
{
    g_terminate = false;
}

QString InitTablePrefix(const QString& text)
{
    QString r = trimControls(asciiUpper(text));
    if (!r.isEmpty()) {
        if (r == u".")
            r.clear();
        else if (!r.endsWith(u'.'))
            r += u'.';
    }
    g_prefix = r;
    return r;
}

QString TranslateSqlText(const QString& text)
{
    return TranslateSqlText(text, g_type, g_prefix);
}

QString TranslateSqlText(const QString& input, DatabaseType type, const QString& prefix)
{
    QString text = input;
    bool tableContext = false;
    qsizetype p = 0; // 0-based here
    while (p + 1 < text.size()) {
        QString window = text.mid(p, 14);
        window.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        window = asciiUpper(window);
        bool matched = false;
        for (const Keyword& kw : kKeywords) {
            if (window.startsWith(QStringView(kw.text))) {
                tableContext = kw.flag;
                p += kw.advance;
                matched = true;
                break;
            }
        }
        if (matched)
            continue;
        if (tableContext && text[p] == u'~') {
            qsizetype j = p + 1;
            while (j < text.size() && text[j] != u' ' && text[j] != u'\r' && text[j] != u'\n')
                ++j;
            QString name = trimControls(text.mid(p + 1, j - p - 1));
            name = type == DatabaseType::MYSQL ? name.toLower() : name.toUpper();
            text.replace(p, j - p, prefix + name);
        }
        ++p;
    }
    return text;
}

} // namespace db
