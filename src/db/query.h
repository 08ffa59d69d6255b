// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <stdexcept>

class QAbstractTableModel;
class QSqlQuery;
class QSqlQueryModel;

// The abort signal: thrown by the query operations after they reported a failure. It ends the
// current user action; every handler boundary catches it, and the application's notify() discards
// a stray one silently.
class AbortSignal : public std::runtime_error
{
public:
    AbortSignal() : std::runtime_error("Operation abgebrochen") {}
    static QString text() { return QStringLiteral("Operation abgebrochen"); }
};

// Kinds of fields as the search conditions see them.
enum class FieldKind {
    String,
    Memo,
    SmallInt,
    Integer,
    LargeInt,
    Word,
    AutoInc,
    Boolean,
    Float,
    Currency,
    BCD,
    Date,
    Time,
    DateTime,
    Other
};

class QSqlField;

// The kind of a column from its declared SQL type ("SMALLINT", "VARCHAR(20)", "DECIMAL(15,2)",
// "DATETIME", ...), as SQLite keeps it in the table definition.
FieldKind declaredTypeKind(const QString& declaredType);
// The kind of a result field as the Qt driver reports it (QSQLITE, QMYSQL, QODBC). For SQLite the
// declared type cannot be read from the field; use Query::fieldKind, which looks it up.
FieldKind driverFieldKind(const QSqlField& field, const QString& driverName);
QString fieldKindName(FieldKind kind);

struct FieldInfo
{
    QString name;
    FieldKind kind = FieldKind::Other;
};

// A query component: a component name, SQL text as a list of lines, open/close, execute without
// rows, a current row with end-of-data flag, fields by name with their kinds, and a table model for
// the grids bound to it (rows are fetched lazily as the grid scrolls).
// Used through OpenQuery / OpenSql / ExecSql / CloseQuery (db/queryops.h).
class Query : public QObject
{
    Q_OBJECT
public:
    // connectionName empty: the default connection of QSqlDatabase.
    explicit Query(const QString& componentName, QObject* parent = nullptr,
                   const QString& connectionName = QString());
    ~Query() override;

    QString name() const { return objectName(); }
    QString connectionName() const { return connectionName_; }

    // SQL lines.
    QStringList& sql() { return sql_; }
    const QStringList& sql() const { return sql_; }
    void setSql(const QStringList& lines) { sql_ = lines; }
    void clearSql() { sql_.clear(); }
    void addLine(const QString& line) { sql_.append(line); }
    // The lines joined with CR LF after each line.
    QString sqlText() const;
    // Replaces the lines by a text split at its line breaks.
    void setSqlText(const QString& text);

    // Forward-only queries (long scans) keep no rows in memory and have no model rows.
    void setForwardOnly(bool forwardOnly) { forwardOnly_ = forwardOnly; }
    bool isForwardOnly() const { return forwardOnly_; }

    // Raw operations; they throw DbError (below) on failure and do not report or translate.
    void open();
    void execute();
    void close();
    bool isOpen() const { return open_; }
    void cancel() {}

    // Current row and end-of-data. After an open the first row is current (eof() only for an
    // empty result). next() past the last row sets eof() and leaves the last row current (for a
    // forward-only query the values are gone then). first() does nothing on a forward-only query.
    // setCurrentRow() follows a grid's selection (fetching up to that row) and clears eof().
    bool eof() const;
    void first();
    void next();
    int currentRow() const { return current_; }
    void setCurrentRow(int row);
    // Rows fetched so far (-1 for forward-only queries); fetchAll() reads the rest.
    int rowCount() const;
    void fetchAll();

    // Fields of the current row.
    QVariant value(const QString& field) const;
    QVariant value(int column) const;
    QString text(const QString& field) const { return value(field).toString(); }
    bool isNull(const QString& field) const;
    QSqlRecord record() const;
    bool hasField(const QString& field) const;
    FieldKind fieldKind(const QString& field) const;
    FieldInfo fieldInfo(const QString& field) const { return {field, fieldKind(field)}; }

    // The database connection of this query.
    QSqlDatabase database() const;

    // The model the grids show (empty while closed). Owned by the query.
    QSqlQueryModel* model() const { return model_; }

    // Suspend/resume the bound grids while the SQL is rebuilt. Nestable; while suspended no
    // currentChanged() is sent, and resuming sends controlsEnabledChanged(true) and one
    // currentChanged() (the bound views then show the new data).
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disabledCount_ > 0; }

signals:
    void beforeClose();
    void afterOpen();
    // afterOpen: the model holds the new result; beforeClose: it still holds the old one.
    // currentChanged: the current row moved (also after open and close).
    void currentChanged();
    void controlsEnabledChanged(bool enabled);

private:
    void refreshKinds();
    int columnOf(const QString& field) const;
    void ensureRow(int row) const;
    void emitCurrentChanged();

    QString connectionName_;
    QStringList sql_;
    bool forwardOnly_ = false;
    bool open_ = false;
    int current_ = -1;
    int disabledCount_ = 0;
    QSqlQueryModel* model_ = nullptr;
    std::unique_ptr<QSqlQuery> cursor_; // forward-only queries
    QHash<QString, FieldKind> kinds_;
    bool cursorValid_ = false;
    bool eof_ = true;
    mutable QHash<QString, int> columns_;
};

// A failure of the database, with its error text.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    QString text() const { return text_; }

private:
    QString text_;
};
