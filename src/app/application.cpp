// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include <QApplication>
#include <QMainWindow>

int runApplication(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KvDokMan"));
    QApplication::setApplicationName(QStringLiteral("KORVAN-DokumentenManager"));
    QMainWindow w;
    w.setWindowTitle(QApplication::applicationName());
    w.show();
    return app.exec();
}
