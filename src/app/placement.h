// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// Window position, size and state per desktop user, in QSettings of the organisation and
// application "KvDokMan", one group per window ("FrmMain", "DateiManager").
// Restore returns false when nothing was stored yet (the window keeps its own placement).
bool RestoreWindowPlacement(QWidget* window, const QString& group);
void SaveWindowPlacement(const QWidget* window, const QString& group);
