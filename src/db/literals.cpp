// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/literals.h"

#include "db/dialect.h"

#include <QLocale>

namespace {

QString trimControls(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 32)
        ++b;
    while (e > b && s[e - 1].unicode() <= 32)
        --e;
    return s.mid(b, e - b);
}

bool isDateKind(FieldKind k)
{
    return k == FieldKind::Date || k == FieldKind::Time || k == FieldKind::DateTime;
}

bool isIntegerKind(FieldKind k)
{
    return k == FieldKind::SmallInt || k == FieldKind::Integer || k == FieldKind::LargeInt;
}

// Reads a date in day.month.year order: "1.2.2003", "01.02.2003", "1.2.03", "1.2." (this year).
// Returns false when the text is no date; year, month and day are not checked for a valid date.
bool readDayMonthYear(const QString& text, int* day, int* month, int* year)
{
    const QString t = text.trimmed();
    QStringList parts = t.split(u'.');
    if (parts.size() == 3 && parts[2].isEmpty())
        parts.removeLast();
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    bool ok = false;
    *day = parts[0].toInt(&ok);
    if (!ok || parts[0].isEmpty() || parts[0].size() > 2)
        return false;
    *month = parts[1].toInt(&ok);
    if (!ok || parts[1].isEmpty() || parts[1].size() > 2)
        return false;
    for (const QString& p : std::as_const(parts))
        for (QChar c : p)
            if (!c.isDigit())
                return false;
    const int thisYear = QDate::currentDate().year();
    if (parts.size() == 2) {
        *year = thisYear;
        return true;
    }
    const QString& y = parts[2];
    if (y.isEmpty() || y.size() > 4)
        return false;
    *year = y.toInt(&ok);
    if (!ok)
        return false;
    if (y.size() <= 2) {
        // Two-digit years fall into the 100 years that begin 50 years before this year.
        const int windowStart = thisYear - 50;
        int candidate = (windowStart / 100) * 100 + *year;
        if (candidate < windowStart)
            candidate += 100;
        *year = candidate;
    }
    return true;
}

QString dateLiteralFromText(const QString& t, DatabaseType type)
{
    switch (type) {
    case DatabaseType::ORACLE:
        return QStringLiteral("TO_DATE('") + t + QStringLiteral("','DD.MM.YYYY')");
    case DatabaseType::MYSQL:
        return QStringLiteral("'") + t.mid(6, 4) + u'/' + t.mid(3, 2) + u'/' + t.mid(0, 2) + u'\'';
    case DatabaseType::SQLITE:
        if (t.size() == 10)
            return QStringLiteral("'") + t.mid(6, 4) + u'-' + t.mid(3, 2) + u'-' + t.mid(0, 2) + u'\'';
        return QStringLiteral("'") + t + u'\'';
    case DatabaseType::Interbase:
        return {};
    case DatabaseType::MSSQL:
    case DatabaseType::None:
        break;
    }
    return QStringLiteral("'") + t + u'\'';
}

// A plain number as step 9 may write it unquoted.
bool isPlainNumber(const QString& t)
{
    if (t.isEmpty())
        return false;
    int dots = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == u'.' && ++dots <= 1)
            continue;
        if (c == u'-' && i == 0 && t.size() > 1)
            continue;
        if (!c.isDigit())
            return false;
    }
    return true;
}

} // namespace

QString UpperText(const QString& text)
{
    QString r = text;
    for (QChar& c : r)
        c = c.toUpper();
    return r;
}

QString SqlStr(const QString& text, bool nullIfEmpty, int maxLength)
{
    QString t = trimControls(text);
    if (maxLength > 0)
        t = t.left(maxLength);
    if (t.isEmpty() && nullIfEmpty)
        return QStringLiteral("NULL");
    if (db::databaseType() == DatabaseType::MYSQL)
        t.replace(u'\\', QStringLiteral("\\\\"));
    if (!t.contains(QStringLiteral("\\rtf")))
        t.replace(u'\'', QChar(0x00B4));
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

QString SqlExact(const QString& text)
{
    QString t = text;
    if (db::databaseType() == DatabaseType::MYSQL)
        t.replace(u'\\', QStringLiteral("\\\\"));
    t.replace(u'\'', QStringLiteral("''"));
    return u'\'' + t + u'\'';
}

QString SqlInt(qint64 value)
{
    return QString::number(value);
}

QString SqlDate(const QDate& date)
{
    const DatabaseType type = db::databaseType();
    const bool present = date.isValid() && date > QDate(1899, 12, 30);
    if (!present) {
        switch (type) {
        case DatabaseType::MYSQL:
            return QStringLiteral("0");
        case DatabaseType::Interbase:
            return {};
        default:
            return QStringLiteral("NULL");
        }
    }
    if (type == DatabaseType::SQLITE)
        return u'\'' + date.toString(QStringLiteral("yyyy-MM-dd")) + u'\'';
    return dateLiteralFromText(date.toString(QStringLiteral("dd.MM.yyyy")), type);
}

QString BuildSearchCondition(const FieldInfo& field, const QString& searchText, const QString& connector,
                             const QString& qualifier, bool aliasFlag)
{
    const DatabaseType type = db::databaseType();
    const FieldKind kind = field.kind;
    const QLocale locale;

    QString name = field.name;
    if (aliasFlag && name.size() > 1 && name[1] == u'_')
        name[1] = u'.';
    const QString n = qualifier + name;
    const QString upperN = qualifier + name.toUpper();

    // 1. Working text.
    QString t = searchText;
    t.replace(u'*', u'%');
    t.replace(u'?', u'%');
    t = UpperText(t);
    t.remove(u'\'');

    // 2. The empty-search marker.
    if (searchText == emptySearchMarker())
        return connector + QStringLiteral("(0 = 1)");

    // 3. Dates.
    if (isDateKind(kind)) {
        if (t.size() > 1)
            t.remove(u'%');
        if (!t.contains(u'%')) {
            int d = 0, m = 0, y = 0;
            QDate date;
            if (readDayMonthYear(t, &d, &m, &y)) {
                date = QDate(y, m, d);
                if (date.isValid() && y < 1900)
                    date = QDate(1900, m, d);
            }
            t = date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral("%");
        }
        if (t == u"%" && type == DatabaseType::ORACLE)
            t = QStringLiteral("01.01.1900");
        t = dateLiteralFromText(t, type);
    }

    // 4. Empty decimal searches.
    if ((kind == FieldKind::Float || kind == FieldKind::Currency || kind == FieldKind::BCD) && t.isEmpty())
        t = QStringLiteral("0");

    // 5. Range operator and validation.
    QString op;
    if (!t.contains(u'%')) {
        const bool ranged = isIntegerKind(kind) || kind == FieldKind::Float || kind == FieldKind::BCD;
        if (ranged) {
            if (t.endsWith(u'+')) {
                op = QStringLiteral(" >= ");
                t.chop(1);
            } else if (t.endsWith(u'-')) {
                op = QStringLiteral(" <= ");
                t.chop(1);
            }
            if (!op.isEmpty() && t.isEmpty())
                t = QStringLiteral("0");
        }
        bool valid = true;
        if (isIntegerKind(kind))
            locale.toLongLong(t, &valid);
        else if (kind == FieldKind::Float)
            locale.toDouble(t, &valid);
        else if (kind == FieldKind::BCD && op.isEmpty())
            locale.toDouble(t, &valid);
        if (!valid)
            return connector + QStringLiteral(" 1=0 ");
    }

    // 6.
    QString c = connector + u' ';

    const auto likeTail = [&]() {
        QString r = t.endsWith(u'%') ? QStringLiteral("'") : QStringLiteral("%'");
        if (t == u"%")
            r += QStringLiteral(" OR (") + upperN + QStringLiteral(" IS NULL))");
        return r;
    };

    // 7. Numbers on servers that compare them as text.
    const bool numericServer = type == DatabaseType::ORACLE || type == DatabaseType::MSSQL ||
                               type == DatabaseType::MYSQL || type == DatabaseType::SQLITE;
    if (numericServer && (isIntegerKind(kind) || kind == FieldKind::Float || kind == FieldKind::BCD)) {
        if (!op.isEmpty()) {
            QString number = t;
            number.remove(locale.groupSeparator());
            if (!isIntegerKind(kind)) {
                number.replace(locale.decimalPoint(), QStringLiteral("."));
                bool ok = false;
                number.toDouble(&ok);
                if (!ok || t.isEmpty())
                    number = QStringLiteral("0");
            }
            return c + u' ' + n + op + number;
        }
        c += (t == u"%" ? QStringLiteral("(") : QStringLiteral(" ")) + n + QStringLiteral(" LIKE '") + t;
        return c + likeTail();
    }

    // 8. Texts.
    if (kind == FieldKind::String) {
        c += (t == u"%" ? QStringLiteral("(UPPER(") : QStringLiteral(" UPPER(")) + n +
             QStringLiteral(") LIKE '") + t;
        return c + likeTail();
    }
    if (kind == FieldKind::Memo) {
        c += (t == u"%" ? QStringLiteral("(") : QStringLiteral(" ")) + n + QStringLiteral(" LIKE '") + t;
        return c + likeTail();
    }

    // 9. Everything else.
    if (!isDateKind(kind))
        t.replace(u',', u'.');
    const bool numeric = isIntegerKind(kind) || kind == FieldKind::Word || kind == FieldKind::Boolean ||
                         kind == FieldKind::Float || kind == FieldKind::Currency || kind == FieldKind::BCD ||
                         kind == FieldKind::AutoInc;
    if (numeric) {
        QString digits;
        for (QChar ch : std::as_const(t))
            if (ch.isDigit() || ch == u'%')
                digits += ch;
        t = digits;
    }
    const bool greaterOrEqual =
        kind == FieldKind::Float || kind == FieldKind::Currency || kind == FieldKind::BCD || isDateKind(kind);
    if (t.contains(u'%')) {
        t.remove(u'%');
        if (t.isEmpty())
            t = QStringLiteral("0");
        c += u'(' + upperN + QStringLiteral(">=");
    } else {
        if (t.isEmpty())
            t = QStringLiteral("0");
        c += u'(' + upperN + (greaterOrEqual ? QStringLiteral(">=") : QStringLiteral("="));
    }
    // A field of another type gets the user's text as a quoted literal, never as SQL.
    if (kind == FieldKind::Other && !isPlainNumber(t)) {
        QString q = t;
        if (type == DatabaseType::MYSQL)
            q.replace(u'\\', QStringLiteral("\\\\"));
        t = u'\'' + q + u'\'';
    }
    c += t;
    if (t == u"0")
        c += QStringLiteral(" OR ") + upperN + QStringLiteral(" IS NULL)");
    else
        c += u')';
    return c;
}
