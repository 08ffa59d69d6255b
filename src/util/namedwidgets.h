// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Controls carry their names (tests and the grid layouts find them by name). A button made here is
// never the dialog's automatic default, so Enter in a search field does not press it.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text);
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);
