// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/appinfo.h"
#include "app/frmmain.h"
#include "db/query.h"

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

int runApplication(int argc, char* argv[])
{
    KvApplication app(argc, argv);
    int result = 0;
    {
        TFrmMain window(QCoreApplication::arguments().mid(1));
        if (!window.programEnded())
            window.FormShow();
        if (window.programEnded())
            return 0;
        window.show();
        result = app.exec();
    }
    return result;
}
