// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/contactpage.h"

#include "app/appcontext.h"

ContactPage::ContactPage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {}

void ContactPage::loadSettings() {}

void ContactPage::storeSettings() {}

void ContactPage::pageEntered() {}

void ContactPage::closeQueries() {}
