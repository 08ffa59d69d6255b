// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/query.h"

#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlQueryModel>

namespace {

QString errorText(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Unbekannter Datenbankfehler.");
    return text;
}

// ODBC SQL data types (sql.h / sqlext.h), as QODBC reports them in QSqlField::typeID().
enum OdbcType {
    SqlChar = 1,
    SqlNumeric = 2,
    SqlDecimal = 3,
    SqlInteger = 4,
    SqlSmallInt = 5,
    SqlFloat = 6,
    SqlReal = 7,
    SqlDouble = 8,
    SqlDate = 9,
    SqlTime = 10,
    SqlTimestamp = 11,
    SqlVarChar = 12,
    SqlTypeDate = 91,
    SqlTypeTime = 92,
    SqlTypeTimestamp = 93,
    SqlLongVarChar = -1,
    SqlBigInt = -5,
    SqlTinyInt = -6,
    SqlBit = -7,
    SqlWChar = -8,
    SqlWVarChar = -9,
    SqlWLongVarChar = -10,
    SqlGuid = -11,
    SqlSsTime2 = -154,
};

// MySQL/MariaDB column types (mysql_com.h), as QMYSQL reports them in QSqlField::typeID().
enum MysqlType {
    MyDecimal = 0,
    MyTiny = 1,
    MyShort = 2,
    MyLong = 3,
    MyFloat = 4,
    MyDouble = 5,
    MyTimestamp = 7,
    MyLongLong = 8,
    MyInt24 = 9,
    MyDate = 10,
    MyTime = 11,
    MyDateTime = 12,
    MyYear = 13,
    MyNewDate = 14,
    MyVarChar = 15,
    MyBit = 16,
    MyNewDecimal = 246,
    MyEnum = 247,
    MySet = 248,
    MyTinyBlob = 249,
    MyMediumBlob = 250,
    MyLongBlob = 251,
    MyBlob = 252,
    MyVarString = 253,
    MyString = 254,
};

bool isUnsigned(const QSqlField& field)
{
    const int id = field.metaType().id();
    return id == QMetaType::UShort || id == QMetaType::UInt || id == QMetaType::ULongLong ||
           id == QMetaType::UChar;
}

FieldKind fromMetaType(const QSqlField& field)
{
    switch (field.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return FieldKind::SmallInt;
    case QMetaType::UShort:
        return FieldKind::Word;
    case QMetaType::Int:
    case QMetaType::UInt:
        return field.isAutoValue() ? FieldKind::AutoInc : FieldKind::Integer;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return FieldKind::LargeInt;
    case QMetaType::Bool:
        return FieldKind::Boolean;
    case QMetaType::Double:
    case QMetaType::Float:
        return FieldKind::Float;
    case QMetaType::QDate:
        return FieldKind::Date;
    case QMetaType::QTime:
        return FieldKind::Time;
    case QMetaType::QDateTime:
        return FieldKind::DateTime;
    case QMetaType::QString:
        return FieldKind::String;
    default:
        return FieldKind::Other;
    }
}

FieldKind odbcKind(const QSqlField& field)
{
    switch (field.typeID()) {
    case SqlChar:
    case SqlVarChar:
    case SqlWChar:
    case SqlWVarChar:
    case SqlGuid:
        return FieldKind::String;
    case SqlLongVarChar:
    case SqlWLongVarChar:
        return FieldKind::Memo;
    case SqlTinyInt:
    case SqlSmallInt:
        return isUnsigned(field) ? FieldKind::Word : FieldKind::SmallInt;
    case SqlInteger:
        return field.isAutoValue() ? FieldKind::AutoInc : FieldKind::Integer;
    case SqlBigInt:
        return FieldKind::LargeInt;
    case SqlBit:
        return FieldKind::Boolean;
    case SqlFloat:
    case SqlReal:
    case SqlDouble:
        return FieldKind::Float;
    case SqlNumeric:
    case SqlDecimal:
        return FieldKind::BCD;
    case SqlDate:
    case SqlTypeDate:
        return FieldKind::Date;
    case SqlTime:
    case SqlTypeTime:
    case SqlSsTime2:
        return FieldKind::Time;
    case SqlTimestamp:
    case SqlTypeTimestamp:
        return FieldKind::DateTime;
    default:
        return fromMetaType(field);
    }
}

FieldKind mysqlKind(const QSqlField& field)
{
    switch (field.typeID()) {
    case MyTiny:
    case MyShort:
    case MyYear:
        return isUnsigned(field) && field.typeID() == MyShort ? FieldKind::Word : FieldKind::SmallInt;
    case MyLong:
    case MyInt24:
        return field.isAutoValue() ? FieldKind::AutoInc : FieldKind::Integer;
    case MyLongLong:
        return FieldKind::LargeInt;
    case MyFloat:
    case MyDouble:
        return FieldKind::Float;
    case MyDecimal:
    case MyNewDecimal:
        return FieldKind::BCD;
    case MyDate:
    case MyNewDate:
        return FieldKind::Date;
    case MyTime:
        return FieldKind::Time;
    case MyDateTime:
    case MyTimestamp:
        return FieldKind::DateTime;
    case MyBit:
        return FieldKind::Boolean;
    case MyVarChar:
    case MyVarString:
    case MyString:
    case MyEnum:
    case MySet:
        return field.metaType().id() == QMetaType::QString ? FieldKind::String : FieldKind::Other;
    case MyTinyBlob:
    case MyMediumBlob:
    case MyLongBlob:
    case MyBlob:
        // TEXT columns are blobs with a character set; Qt gives them as strings.
        return field.metaType().id() == QMetaType::QString ? FieldKind::Memo : FieldKind::Other;
    default:
        return fromMetaType(field);
    }
}

// Declared column types of SQLite tables, read once per open from the table definitions.
class SqliteDeclaredTypes
{
public:
    explicit SqliteDeclaredTypes(const QSqlDatabase& db) : db_(db) {}

    // The declared type of table.column ("" when unknown); autoInc set for an INTEGER PRIMARY
    // KEY AUTOINCREMENT column.
    QString declaredType(const QString& table, const QString& column, bool* autoInc)
    {
        *autoInc = false;
        if (!table.isEmpty()) {
            const Table& t = load(table);
            const auto it = t.columns.constFind(column.toUpper());
            if (it != t.columns.constEnd()) {
                *autoInc = t.autoIncColumn == column.toUpper();
                return it.value();
            }
        }
        // An alias or an expression: the column of that name in any table, if unambiguous.
        loadAll();
        const auto it = byName_.constFind(column.toUpper());
        return it == byName_.constEnd() ? QString() : it.value();
    }

private:
    struct Table
    {
        QHash<QString, QString> columns; // upper-case name -> declared type
        QString autoIncColumn;
    };

    const Table& load(const QString& table)
    {
        const QString key = table.toUpper();
        auto it = tables_.find(key);
        if (it != tables_.end())
            return it.value();
        Table t;
        QSqlQuery q(db_);
        q.setForwardOnly(true);
        QString pk;
        int pkCount = 0;
        if (q.exec(QStringLiteral("PRAGMA table_info(\"%1\")")
                       .arg(QString(table).replace(u'"', QStringLiteral("\"\""))))) {
            while (q.next()) {
                const QString name = q.value(1).toString().toUpper();
                t.columns.insert(name, q.value(2).toString());
                if (q.value(5).toInt() > 0) {
                    pk = name;
                    ++pkCount;
                }
            }
        }
        if (pkCount == 1 &&
            t.columns.value(pk).compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0) {
            QSqlQuery m(db_);
            m.setForwardOnly(true);
            m.prepare(QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND upper(name)=?"));
            m.addBindValue(key);
            if (m.exec() && m.next() &&
                m.value(0).toString().contains(QStringLiteral("AUTOINCREMENT"), Qt::CaseInsensitive))
                t.autoIncColumn = pk;
        }
        return tables_.insert(key, t).value();
    }

    void loadAll()
    {
        if (allLoaded_)
            return;
        allLoaded_ = true;
        QStringList names;
        {
            QSqlQuery q(db_);
            q.setForwardOnly(true);
            if (q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table'")))
                while (q.next())
                    names << q.value(0).toString();
        }
        QSet<QString> ambiguous;
        for (const QString& name : names) {
            const Table& t = load(name);
            for (auto it = t.columns.constBegin(); it != t.columns.constEnd(); ++it) {
                const auto known = byName_.constFind(it.key());
                if (known == byName_.constEnd()) {
                    if (!ambiguous.contains(it.key()))
                        byName_.insert(it.key(), it.value());
                } else if (declaredTypeKind(known.value()) != declaredTypeKind(it.value())) {
                    byName_.remove(it.key());
                    ambiguous.insert(it.key());
                }
            }
        }
    }

    QSqlDatabase db_;
    QHash<QString, Table> tables_;
    QHash<QString, QString> byName_;
    bool allLoaded_ = false;
};

} // namespace

FieldKind declaredTypeKind(const QString& declaredType)
{
    QString t = declaredType.trimmed().toUpper();
    const qsizetype paren = t.indexOf(u'(');
    if (paren >= 0)
        t = t.left(paren).trimmed();
    const bool isUnsignedType = t.contains(QStringLiteral("UNSIGNED"));
    t.remove(QStringLiteral("UNSIGNED"));
    t = t.trimmed();
    if (t.isEmpty())
        return FieldKind::Other;
    if (t == u"SMALLINT" || t == u"TINYINT")
        return isUnsignedType && t == u"SMALLINT" ? FieldKind::Word : FieldKind::SmallInt;
    if (t == u"BIGINT" || t == u"INT8")
        return FieldKind::LargeInt;
    if (t.contains(QStringLiteral("INT")))
        return FieldKind::Integer;
    if (t == u"BIT" || t == u"BOOL" || t == u"BOOLEAN")
        return FieldKind::Boolean;
    if (t == u"DATE")
        return FieldKind::Date;
    if (t == u"TIME")
        return FieldKind::Time;
    if (t == u"DATETIME" || t == u"TIMESTAMP" || t == u"SMALLDATETIME" || t == u"DATETIME2")
        return FieldKind::DateTime;
    if (t == u"DECIMAL" || t == u"NUMERIC")
        return FieldKind::BCD;
    if (t == u"MONEY" || t == u"SMALLMONEY")
        return FieldKind::Currency;
    if (t == u"FLOAT" || t == u"DOUBLE" || t == u"REAL" || t == u"DOUBLE PRECISION")
        return FieldKind::Float;
    if (t == u"TEXT" || t == u"CLOB" || t == u"MEDIUMTEXT" || t == u"LONGTEXT" || t == u"NTEXT" ||
        t == u"TINYTEXT")
        return FieldKind::Memo;
    if (t.contains(QStringLiteral("CHAR")))
        return FieldKind::String;
    return FieldKind::Other;
}

FieldKind driverFieldKind(const QSqlField& field, const QString& driverName)
{
    if (driverName == u"QODBC")
        return odbcKind(field);
    if (driverName == u"QMYSQL")
        return mysqlKind(field);
    return fromMetaType(field);
}

QString fieldKindName(FieldKind kind)
{
    static const char* const names[] = {"String", "Memo",    "SmallInt", "Integer",  "LargeInt",
                                        "Word",   "AutoInc", "Boolean",  "Float",    "Currency",
                                        "BCD",    "Date",    "Time",     "DateTime", "Other"};
    return QString::fromLatin1(names[int(kind)]);
}

Query::Query(const QString& componentName, QObject* parent, const QString& connectionName)
    : QObject(parent), connectionName_(connectionName)
{
    setObjectName(componentName);
    model_ = new QSqlQueryModel(this);
}

Query::~Query()
{
    // No signals here: the receivers may already be gone.
    cursor_.reset();
    model_->clear();
}

QSqlDatabase Query::database() const
{
    return QSqlDatabase::database(
        connectionName_.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection) : connectionName_,
        false);
}

QString Query::sqlText() const
{
    QString text;
    for (const QString& line : sql_)
        text += line + QStringLiteral("\r\n");
    return text;
}

void Query::setSqlText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    QStringList lines = t.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    sql_ = lines;
}

void Query::open()
{
    if (open_)
        close();
    const QSqlDatabase db = database();
    if (!db.isValid() || !db.isOpen())
        throw DbError(QStringLiteral("Keine Verbindung zur Datenbank."));
    const QString text = sqlText();
    columns_.clear();
    if (forwardOnly_) {
        auto cursor = std::make_unique<QSqlQuery>(db);
        cursor->setForwardOnly(true);
        if (!cursor->exec(text))
            throw DbError(errorText(cursor->lastError()));
        if (!cursor->isSelect())
            throw DbError(QStringLiteral("Die Anweisung liefert keine Datenmenge."));
        cursor_ = std::move(cursor);
        open_ = true;
        cursorValid_ = cursor_->next();
        if (!cursorValid_ && cursor_->lastError().isValid()) {
            const QString error = errorText(cursor_->lastError());
            cursor_.reset();
            open_ = false;
            throw DbError(error);
        }
        current_ = cursorValid_ ? 0 : -1;
        eof_ = !cursorValid_;
    } else {
        QSqlQuery q(db);
        q.setForwardOnly(false);
        if (!q.exec(text))
            throw DbError(errorText(q.lastError()));
        if (!q.isSelect())
            throw DbError(QStringLiteral("Die Anweisung liefert keine Datenmenge."));
        model_->setQuery(std::move(q));
        if (model_->lastError().isValid()) {
            const QString error = errorText(model_->lastError());
            model_->clear();
            throw DbError(error);
        }
        open_ = true;
        current_ = model_->rowCount() > 0 ? 0 : -1;
        eof_ = current_ < 0;
    }
    refreshKinds();
    emit afterOpen();
    emitCurrentChanged();
}

void Query::execute()
{
    if (open_)
        close();
    const QSqlDatabase db = database();
    if (!db.isValid() || !db.isOpen())
        throw DbError(QStringLiteral("Keine Verbindung zur Datenbank."));
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sqlText()))
        throw DbError(errorText(q.lastError()));
}

void Query::close()
{
    if (!open_)
        return;
    emit beforeClose();
    cursor_.reset();
    cursorValid_ = false;
    model_->clear();
    open_ = false;
    current_ = -1;
    eof_ = true;
    kinds_.clear();
    columns_.clear();
    emitCurrentChanged();
}

void Query::ensureRow(int row) const
{
    while (row >= model_->rowCount() && model_->canFetchMore())
        model_->fetchMore();
}

bool Query::eof() const
{
    return !open_ || eof_;
}

void Query::first()
{
    if (!open_)
        return;
    if (forwardOnly_) {
        // A forward-only cursor cannot go back; it stays where it is.
        return;
    }
    const int old = current_;
    current_ = model_->rowCount() > 0 ? 0 : -1;
    eof_ = current_ < 0;
    if (old != current_)
        emitCurrentChanged();
}

void Query::next()
{
    if (!open_ || eof_)
        return;
    if (forwardOnly_) {
        cursorValid_ = cursor_->next();
        if (cursorValid_)
            ++current_;
        else
            eof_ = true;
        emitCurrentChanged();
        return;
    }
    ensureRow(current_ + 1);
    if (current_ + 1 < model_->rowCount()) {
        ++current_;
        emitCurrentChanged();
    } else {
        eof_ = true;
    }
}

void Query::setCurrentRow(int row)
{
    if (!open_ || forwardOnly_ || row < 0)
        return;
    ensureRow(row);
    if (row >= model_->rowCount())
        return;
    eof_ = false;
    if (row != current_) {
        current_ = row;
        emitCurrentChanged();
    }
}

int Query::rowCount() const
{
    if (forwardOnly_)
        return -1;
    return open_ ? model_->rowCount() : 0;
}

void Query::fetchAll()
{
    if (!open_ || forwardOnly_)
        return;
    while (model_->canFetchMore())
        model_->fetchMore();
}

int Query::columnOf(const QString& field) const
{
    const auto it = columns_.constFind(field);
    if (it != columns_.constEnd())
        return it.value();
    int col = -1;
    if (open_)
        col = forwardOnly_ ? (cursor_ ? cursor_->record().indexOf(field) : -1)
                           : model_->record().indexOf(field);
    columns_.insert(field, col);
    return col;
}

QVariant Query::value(const QString& field) const
{
    const int col = columnOf(field);
    if (col < 0)
        return {};
    return value(col);
}

QVariant Query::value(int column) const
{
    if (!open_ || current_ < 0 || column < 0)
        return {};
    if (forwardOnly_)
        return cursorValid_ ? cursor_->value(column) : QVariant();
    return model_->data(model_->index(current_, column), Qt::EditRole);
}

bool Query::isNull(const QString& field) const
{
    return value(field).isNull();
}

QSqlRecord Query::record() const
{
    if (!open_)
        return {};
    if (forwardOnly_)
        return cursor_->record();
    if (current_ < 0)
        return model_->record();
    return model_->record(current_);
}

bool Query::hasField(const QString& field) const
{
    return columnOf(field) >= 0;
}

FieldKind Query::fieldKind(const QString& field) const
{
    return kinds_.value(field.toUpper(), FieldKind::Other);
}

void Query::refreshKinds()
{
    kinds_.clear();
    const QSqlDatabase db = database();
    const QString driver = db.driverName();
    const QSqlRecord rec = forwardOnly_ ? cursor_->record() : model_->record();
    std::unique_ptr<SqliteDeclaredTypes> declared;
    if (driver == u"QSQLITE")
        declared = std::make_unique<SqliteDeclaredTypes>(db);
    for (int i = 0; i < rec.count(); ++i) {
        const QSqlField f = rec.field(i);
        FieldKind kind = FieldKind::Other;
        if (declared) {
            bool autoInc = false;
            const QString decl = declared->declaredType(f.tableName(), f.name(), &autoInc);
            kind = decl.isEmpty() ? fromMetaType(f) : declaredTypeKind(decl);
            if (autoInc)
                kind = FieldKind::AutoInc;
        } else {
            kind = driverFieldKind(f, driver);
        }
        const QString key = f.name().toUpper();
        if (!kinds_.contains(key))
            kinds_.insert(key, kind);
    }
}

void Query::disableControls()
{
    if (disabledCount_++ == 0)
        emit controlsEnabledChanged(false);
}

void Query::enableControls()
{
    if (disabledCount_ == 0)
        return;
    if (--disabledCount_ == 0) {
        emit controlsEnabledChanged(true);
        // Enabling the controls tells the bound views that the data changed.
        emit currentChanged();
    }
}

void Query::emitCurrentChanged()
{
    if (disabledCount_ == 0)
        emit currentChanged();
}
