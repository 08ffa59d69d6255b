// SPDX-License-Identifier: GPL-3.0-or-later
#include "articles/articlepage.h"

#include "app/appcontext.h"

ArticlePage::ArticlePage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {}

void ArticlePage::loadSettings() {}

void ArticlePage::storeSettings() {}

void ArticlePage::pageEntered() {}

void ArticlePage::closeQueries() {}
