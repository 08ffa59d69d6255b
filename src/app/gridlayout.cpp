// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/gridlayout.h"

#include "db/query.h"
#include "util/inifile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStyle>
#include <QTableView>

namespace {
QString& layoutPathOverride()
{
    static QString p;
    return p;
}
} // namespace

GridLayoutStore::GridLayoutStore(QTableView* grid, Query* query, const QString& section, QObject* parent)
    : QObject(parent), grid_(grid), section_(section)
{
    connect(query, &Query::beforeClose, this, &GridLayoutStore::queryAboutToClose);
    connect(query, &Query::afterOpen, this, &GridLayoutStore::queryOpened);
    QHeaderView* h = grid->horizontalHeader();
    connect(h, &QHeaderView::sectionMoved, this, [this] {
        if (!applying_)
            changed_ = true;
    });
    connect(h, &QHeaderView::sectionResized, this, [this] {
        if (!applying_)
            changed_ = true;
    });
}

QString GridLayoutStore::layoutFilePath()
{
    if (!layoutPathOverride().isEmpty())
        return layoutPathOverride();
    const QString exe = QCoreApplication::applicationFilePath();
    const QFileInfo fi(exe);
    return fi.absolutePath() + u'/' + fi.completeBaseName() + QStringLiteral(".ini");
}

void GridLayoutStore::setLayoutFilePath(const QString& path)
{
    layoutPathOverride() = path;
}

int GridLayoutStore::charWidth() const
{
    const int w = grid_ ? grid_->fontMetrics().averageCharWidth() : 7;
    return w > 0 ? w : 7;
}

int GridLayoutStore::titleWidth(const QString& title) const
{
    // The titles use a larger font than the cells: a default width in characters of the cell font
    // is widened so that the whole title shows.
    QHeaderView* h = grid_->horizontalHeader();
    const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    int widest = 0;
    for (const QString& line : title.split(u'~')) // "~" breaks a title into lines
        widest = qMax(widest, h->fontMetrics().horizontalAdvance(line));
    return widest + 2 * margin + 2;
}

void GridLayoutStore::captureFromGrid()
{
    if (!grid_ || !grid_->model())
        return;
    auto* model = qobject_cast<QSqlQueryModel*>(grid_->model());
    QHeaderView* h = grid_->horizontalHeader();
    QList<Column> cols;
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        if (h->isSectionHidden(logical))
            continue;
        Column c;
        c.field = model ? model->record().fieldName(logical)
                        : grid_->model()->headerData(logical, Qt::Horizontal).toString();
        c.widthChars = (h->sectionSize(logical) + charWidth() / 2) / charWidth();
        c.title = grid_->model()->headerData(logical, Qt::Horizontal).toString();
        if (!c.field.isEmpty())
            cols << c;
    }
    if (!cols.isEmpty())
        columns_ = cols;
}

void GridLayoutStore::saveLayout()
{
    captureFromGrid();
    QList<QPair<QString, QString>> values;
    for (const Column& c : columns_)
        values << qMakePair(c.field, QString::number(c.widthChars) + QStringLiteral(";;") + c.title +
                                         QStringLiteral(";;F"));
    if (!values.isEmpty())
        IniFile(layoutFilePath()).writeSection(section_, values);
}

void GridLayoutStore::loadLayout()
{
    const auto values = IniFile(layoutFilePath()).readSection(section_);
    if (values.isEmpty())
        return;
    QList<Column> cols;
    for (const auto& kv : values) {
        const QStringList parts = kv.second.split(QStringLiteral(";;"));
        Column c;
        c.field = kv.first;
        c.widthChars = parts.value(0).toInt();
        c.title = parts.value(1);
        cols << c;
    }
    columns_ = cols;
}

void GridLayoutStore::applyLayout()
{
    if (!grid_ || !grid_->model())
        return;
    auto* model = qobject_cast<QSqlQueryModel*>(grid_->model());
    if (!model)
        return;
    applying_ = true;
    QHeaderView* h = grid_->horizontalHeader();
    const QSqlRecord rec = model->record();
    // Default titles and widths first, then the stored layout on top.
    for (int i = 0; i < rec.count(); ++i) {
        const QString f = rec.fieldName(i);
        if (defaultTitles_.contains(f))
            model->setHeaderData(i, Qt::Horizontal, defaultTitles_.value(f));
        if (defaultWidths_.contains(f))
            h->resizeSection(i, qMax(defaultWidths_.value(f) * charWidth(),
                                     titleWidth(model->headerData(i, Qt::Horizontal).toString())));
    }
    int visual = 0;
    for (const Column& c : std::as_const(columns_)) {
        const int logical = rec.indexOf(c.field);
        if (logical < 0)
            continue;
        const int from = h->visualIndex(logical);
        if (from != visual)
            h->moveSection(from, visual);
        // A stored width that is still the default one is widened to its title as the default is.
        if (c.widthChars > 0 && c.widthChars == defaultWidths_.value(c.field, -1))
            h->resizeSection(
                logical,
                qMax(c.widthChars * charWidth(),
                     titleWidth(c.title.isEmpty() ? model->headerData(logical, Qt::Horizontal).toString()
                                                  : c.title)));
        else if (c.widthChars > 0)
            h->resizeSection(logical, c.widthChars * charWidth());
        if (!c.title.isEmpty())
            model->setHeaderData(logical, Qt::Horizontal, c.title);
        ++visual;
    }
    applying_ = false;
}

void GridLayoutStore::queryAboutToClose()
{
    if (changed_)
        saveLayout();
}

void GridLayoutStore::queryOpened()
{
    if (changed_) {
        loadLayout();
        changed_ = false;
    }
    applyLayout();
}
