// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/reportpage.h"

#include "app/appcontext.h"

ReportPage::ReportPage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {}

void ReportPage::loadSettings() {}

void ReportPage::storeSettings() {}

void ReportPage::pageEntered() {}

void ReportPage::closeQueries() {}
