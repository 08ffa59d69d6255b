// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QTableView;
class Query;

// Keeps the column layout of a grid (order, widths, titles) in the INI file beside the program
// file (program file name with ".ini"). One section per grid, rewritten whole: one key per column
// in display order, key = field name, value = width in characters ";;" title ";;" "F".
// A layout-changed flag is set at start and whenever the user moves or resizes a column; before
// the grid's query closes a set flag saves the layout, after it opens a set flag loads the saved
// layout and clears the flag. The layout is applied again after every open, because a requery
// resets the grid's header.
class GridLayoutStore : public QObject
{
    Q_OBJECT
public:
    GridLayoutStore(QTableView* grid, Query* query, const QString& section, QObject* parent = nullptr);

    // The INI file beside the program file ("<program file>.ini"); overridable for tests.
    static QString layoutFilePath();
    static void setLayoutFilePath(const QString& path);

    // Titles shown for fields when the stored layout has none (field name -> title).
    void setDefaultTitles(const QHash<QString, QString>& titles) { defaultTitles_ = titles; }
    // Widths in characters used when the stored layout has none.
    void setDefaultWidths(const QHash<QString, int>& widths) { defaultWidths_ = widths; }

    bool layoutChanged() const { return changed_; }
    void setLayoutChanged(bool changed) { changed_ = changed; }

    void saveLayout();
    void loadLayout();
    // Applies the layout held in memory (order, widths, titles) to the grid.
    void applyLayout();

private slots:
    void queryAboutToClose();
    void queryOpened();

private:
    struct Column
    {
        QString field;
        int widthChars = 0;
        QString title;
    };
    void captureFromGrid();
    int charWidth() const;
    int titleWidth(const QString& title) const;

    QPointer<QTableView> grid_;
    QString section_;
    bool changed_ = true;
    bool applying_ = false;
    QList<Column> columns_;
    QHash<QString, QString> defaultTitles_;
    QHash<QString, int> defaultWidths_;
};
