// SPDX-License-Identifier: GPL-3.0-or-later
#include "mariadbtest.h"

#include "db/dialect.h"

bool MariaDbTestServerGiven()
{
    return !qEnvironmentVariableIsEmpty("KV_MARIADB_PORT") && !qEnvironmentVariableIsEmpty("ODBCINI");
}

QString MariaDbTestSetting(const char* name)
{
    const QByteArray variable = QByteArray("KV_MARIADB_") + name;
    return qEnvironmentVariable(variable.constData());
}

Config MariaDbTestConfig(const QString& iniFilePath)
{
    Config c;
    c.databaseType = DatabaseType::MYSQL;
    c.iniFilePath = iniFilePath;
    c.useSqlUser = true;
    c.databaseAlias = MariaDbTestSetting("DSN");
    c.databaseServerName = MariaDbTestSetting("HOST") + u':' + MariaDbTestSetting("PORT");
    c.databaseName = MariaDbTestSetting("DATABASE");
    c.databaseUser = MariaDbTestSetting("USER");
    c.databasePassword = MariaDbTestSetting("PASSWORD");
    return c;
}
