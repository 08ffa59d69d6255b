// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

class Query;

// Creates the file with its folders and the given content; false when it cannot.
bool WriteTestFile(const QString& path, const QByteArray& content = "x");

// The values of one field in every row of an open query (all rows fetched); empty when it is closed.
QVariantList ColumnValues(Query* query, const char* field);
