// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/sqlitesupport.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QVariant>

#ifdef KV_HAVE_SQLITE3
#include <sqlite3.h>

namespace {

template <bool Upper> void changeCase(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    QString s = QString::fromUtf8(text, bytes);
    // Character by character, so that "ß" stays one character.
    for (QChar& c : s)
        c = Upper ? c.toUpper() : c.toLower();
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(context, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

} // namespace
#endif

namespace db {

bool installSqliteFunctions(const QSqlDatabase& db)
{
#ifdef KV_HAVE_SQLITE3
    if (!db.isOpen() || db.driverName() != QStringLiteral("QSQLITE"))
        return false;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    auto* sqlite = *static_cast<sqlite3* const*>(handle.data());
    if (!sqlite)
        return false;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(sqlite, "upper", 1, flags, nullptr, &changeCase<true>, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(sqlite, "lower", 1, flags, nullptr, &changeCase<false>, nullptr,
                                      nullptr, nullptr) == SQLITE_OK;
#else
    Q_UNUSED(db);
    return false;
#endif
}

} // namespace db
