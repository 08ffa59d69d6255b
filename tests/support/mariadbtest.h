// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/config.h"

#include <QString>

// The private MariaDB server that ctest starts for the tests named "*mariadb*" describes itself in
// the environment (KV_MARIADB_HOST, _PORT, _DATABASE, _USER, _PASSWORD, _DSN, and ODBCINI).

// Whether that server's description is there (the test runs through ctest).
bool MariaDbTestServerGiven();
#define KV_REQUIRE_MARIADB_TEST_SERVER()                                                                     \
    if (!MariaDbTestServerGiven())                                                                           \
    QFAIL("KV_MARIADB_* / ODBCINI are not set: run this test through ctest, which starts the server")

// One of the server's settings by its name without the prefix ("HOST", "PORT", ...).
QString MariaDbTestSetting(const char* name);

// The configuration of a MYSQL installation that uses the test server with its own user, by data
// source name and by server ("host:port"), for an INI file at iniFilePath.
Config MariaDbTestConfig(const QString& iniFilePath);
