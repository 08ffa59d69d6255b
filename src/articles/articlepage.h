// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

struct AppContext;

// A page of the main window.
class ArticlePage : public QWidget
{
    Q_OBJECT
public:
    ArticlePage(AppContext& ctx, QWidget* parent = nullptr);

    // Reads / writes this page's keys of the per-user settings (AppContext::settings).
    void loadSettings();
    void storeSettings();
    // Called by the main window each time the page is shown.
    void pageEntered();
    // Closes the page's data queries (main window closing).
    void closeQueries();

private:
    AppContext& ctx_;
};
