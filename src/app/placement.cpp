// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/placement.h"

#include <QSettings>
#include <QWidget>

bool RestoreWindowPlacement(QWidget* window, const QString& group)
{
    QSettings s(QStringLiteral("KvDokMan"), QStringLiteral("KvDokMan"));
    s.beginGroup(group);
    const QByteArray geometry = s.value(QStringLiteral("Geometry")).toByteArray();
    if (geometry.isEmpty())
        return false;
    return window->restoreGeometry(geometry);
}

void SaveWindowPlacement(const QWidget* window, const QString& group)
{
    QSettings s(QStringLiteral("KvDokMan"), QStringLiteral("KvDokMan"));
    s.beginGroup(group);
    s.setValue(QStringLiteral("Geometry"), window->saveGeometry());
}
