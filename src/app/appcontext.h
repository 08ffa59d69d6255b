// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/config.h"

#include <QString>
#include <functional>

class Query;
class QWidget;

// What the main window holds for the whole run and shares with its pages and the other windows:
// the configuration, the logged-in user, the per-user settings, the general queries on the one
// database connection, and a few services of the main window.
struct AppContext
{
    Config config;

    // The current user (fixed by the login) and the settings file (fixed right after it; empty
    // until then, and then nothing is written at exit).
    QString shortName;
    QString fullName;
    QString settingsFileName;
    UserSettings settings;

    // QSqlDatabase connection name of the one connection ("" = the default connection).
    QString connectionName;

    // General queries of the main window (owned by it).
    Query* qry1 = nullptr;
    Query* qryExec = nullptr;
    Query* qryHelp = nullptr;
    Query* qry2 = nullptr;

    QWidget* mainWindow = nullptr;

    // Services of the main window; each may be empty in tests that do not need it.
    // Shows a file in the one document viewer window.
    std::function<void(const QString& fullPath)> viewDocument;
    // Opens (or brings to the front) the help window.
    std::function<void()> showHelp;
    // Wait panel of the menu page: show with a reason text, progress (position, maximum), hide.
    std::function<void(const QString& reason, int maximum)> showWaitPanel;
    std::function<void(int position)> setWaitProgress;
    std::function<void()> hideWaitPanel;
};
