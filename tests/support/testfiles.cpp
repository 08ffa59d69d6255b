// SPDX-License-Identifier: GPL-3.0-or-later
#include "testfiles.h"

#include "db/query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQueryModel>
#include <QSqlRecord>

bool WriteTestFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

QVariantList ColumnValues(Query* query, const char* field)
{
    QVariantList values;
    if (!query->isOpen())
        return values;
    query->fetchAll();
    QSqlQueryModel* m = query->model();
    const int col = m->record().indexOf(QString::fromLatin1(field));
    for (int row = 0; row < m->rowCount(); ++row)
        values << m->data(m->index(row, col));
    return values;
}
