# SPDX-License-Identifier: GPL-3.0-or-later
# A private MariaDB server for the tests whose name contains "mariadb": started once before them
# (fixture setup), stopped after them (fixture cleanup). Its data folder lives in the build tree;
# the port is derived from the build folder so that several build trees on one machine do not
# collide (override with -DKV_MARIADB_PORT=...). A server that cannot start fails the setup, and
# the tests that need it are not run and count as failed.

string(MD5 _kv_build_hash "${PROJECT_BINARY_DIR}")
string(SUBSTRING "${_kv_build_hash}" 0 3 _kv_hash3)
math(EXPR _kv_port_offset "0x${_kv_hash3} % 800")
math(EXPR _kv_default_port "33061 + ${_kv_port_offset}")
set(KV_MARIADB_PORT "${_kv_default_port}" CACHE STRING "TCP port of the test suite's MariaDB server")
set(KV_MARIADB_DIR "${PROJECT_BINARY_DIR}/mariadb-test")
set(KV_MARIADB_SCRIPT "${PROJECT_SOURCE_DIR}/scripts/mariadb-test-server.sh")

add_test(NAME mariadb_server_start COMMAND ${KV_MARIADB_SCRIPT} start ${KV_MARIADB_DIR} ${KV_MARIADB_PORT})
set_tests_properties(mariadb_server_start PROPERTIES FIXTURES_SETUP kv_mariadb TIMEOUT 120)
add_test(NAME mariadb_server_stop COMMAND ${KV_MARIADB_SCRIPT} stop ${KV_MARIADB_DIR} ${KV_MARIADB_PORT})
set_tests_properties(mariadb_server_stop PROPERTIES FIXTURES_CLEANUP kv_mariadb TIMEOUT 60)

set(KV_MARIADB_ENV
    KV_MARIADB_HOST=127.0.0.1
    KV_MARIADB_PORT=${KV_MARIADB_PORT}
    KV_MARIADB_SOCKET=${KV_MARIADB_DIR}/mysqld.sock
    KV_MARIADB_USER=kvtest
    KV_MARIADB_PASSWORD=kvtest
    KV_MARIADB_DATABASE=KVTEST
    KV_MARIADB_DSN=KVTEST
    KV_MARIADB_LOG=${KV_MARIADB_DIR}/error.log
    ODBCSYSINI=${KV_MARIADB_DIR}/odbc
    ODBCINI=${KV_MARIADB_DIR}/odbc/odbc.ini)

# Makes test `name` use the server and see its connection settings in its environment.
function(kv_mariadb_test name)
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED kv_mariadb)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${KV_MARIADB_ENV})
  # One server, one test database: the MariaDB tests do not run at the same time.
  set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK kv_mariadb_database)
endfunction()
