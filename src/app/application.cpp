// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/appinfo.h"
#include "app/frmmain.h"
#include "db/query.h"

#include <QSqlDatabase>

KvApplication::KvApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(appinfo::organisationName());
    setApplicationName(appinfo::applicationTitle());
}

bool KvApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const AbortSignal&) {
        return false;
    }
}

namespace {
// The database connection goes with the main window.
void closeDatabaseConnections()
{
    for (const QString& name : QSqlDatabase::connectionNames()) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}
} // namespace

int runApplication(int argc, char* argv[])
{
    KvApplication app(argc, argv);
    int result = 0;
    {
        TFrmMain window(QCoreApplication::arguments().mid(1));
        window.FormShow();
        if (!window.programEnded()) {
            window.show();
            result = app.exec();
        }
    }
    closeDatabaseConnections();
    return result;
}
