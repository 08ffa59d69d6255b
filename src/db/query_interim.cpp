// SPDX-License-Identifier: GPL-3.0-or-later
// Interim, reduced implementation of the query class, the statement operations and the text
// literal, used until the full database layer replaces this file.
#include "db/dialect.h"
#include "db/literals.h"
#include "db/query.h"
#include "db/queryops.h"
#include "util/messages.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>

Query::Query(const QString& componentName, QObject* parent, const QString& connectionName)
    : QObject(parent), connectionName_(connectionName)
{
    setObjectName(componentName);
    model_ = new QSqlQueryModel(this);
}

Query::~Query() = default;

QString Query::sqlText() const
{
    QString s;
    for (const QString& l : sql_)
        s += l + QStringLiteral("\r\n");
    return s;
}

void Query::setSqlText(const QString& text)
{
    sql_ = text.split(QStringLiteral("\r\n"));
}

static QSqlDatabase dbFor(const QString& name)
{
    return name.isEmpty() ? QSqlDatabase::database() : QSqlDatabase::database(name);
}

void Query::open()
{
    close();
    QSqlQuery q(dbFor(connectionName_));
    if (!q.exec(sqlText()))
        throw DbError(q.lastError().text());
    model_->setQuery(std::move(q));
    while (model_->canFetchMore())
        model_->fetchMore();
    open_ = true;
    current_ = model_->rowCount() > 0 ? 0 : -1;
    emit afterOpen();
    emit currentChanged();
}

void Query::execute()
{
    QSqlQuery q(dbFor(connectionName_));
    if (!q.exec(sqlText()))
        throw DbError(q.lastError().text());
}

void Query::close()
{
    if (!open_)
        return;
    emit beforeClose();
    model_->clear();
    open_ = false;
    current_ = -1;
    emit currentChanged();
}

bool Query::eof() const
{
    return !open_ || current_ < 0 || current_ >= model_->rowCount();
}

void Query::first()
{
    current_ = model_->rowCount() > 0 ? 0 : -1;
}

void Query::next()
{
    if (current_ >= 0)
        ++current_;
}

void Query::setCurrentRow(int row)
{
    current_ = row;
}

int Query::rowCount() const
{
    return open_ ? model_->rowCount() : 0;
}

void Query::fetchAll() {}

QVariant Query::value(const QString& field) const
{
    if (eof())
        return {};
    return model_->record(current_).value(field);
}

QVariant Query::value(int column) const
{
    if (eof())
        return {};
    return model_->record(current_).value(column);
}

bool Query::isNull(const QString& field) const
{
    return value(field).isNull();
}

QSqlRecord Query::record() const
{
    return eof() ? model_->record() : model_->record(current_);
}

bool Query::hasField(const QString& field) const
{
    return model_->record().indexOf(field) >= 0;
}

FieldKind Query::fieldKind(const QString&) const
{
    return FieldKind::Other;
}

void Query::disableControls()
{
    ++disabledCount_;
}

void Query::enableControls()
{
    if (disabledCount_ > 0)
        --disabledCount_;
}

void Query::refreshKinds() {}

void TranslateSql(Query& query)
{
    query.setSqlText(db::TranslateSqlText(query.sqlText()));
}

static bool run(Query& query, bool open, bool report)
{
    TranslateSql(query);
    try {
        if (open)
            query.open();
        else
            query.execute();
    } catch (const DbError& e) {
        if (!report)
            return false;
        msg().warning(e.text());
        throw AbortSignal();
    }
    return true;
}

bool OpenQuery(Query& query, bool report)
{
    return run(query, true, report);
}

bool OpenSql(Query& query, const QStringList& lines)
{
    query.close();
    query.setSql(lines);
    return run(query, true, true);
}

bool ExecSql(Query& query, const QStringList& lines)
{
    query.close();
    query.setSql(lines);
    return run(query, false, true);
}

void CloseQuery(Query& query)
{
    query.close();
    query.clearSql();
}

QString SqlStr(const QString& text, bool nullIfEmpty, int maxLength)
{
    QString t = text.trimmed();
    if (maxLength > 0)
        t = t.left(maxLength);
    if (t.isEmpty() && nullIfEmpty)
        return QStringLiteral("NULL");
    t.replace(u'\'', QChar(0x00B4));
    return u'\'' + t + u'\'';
}
