// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "articles/articlelist.h"

#include <QStyledItemDelegate>
#include <functional>

// Item delegate of the page grids: lets the page adjust each cell's option (colours, font, text,
// check box) while the cell is painted.
class GridCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using Adjust = std::function<void(QStyleOptionViewItem& option, const QModelIndex& index)>;

    explicit GridCellDelegate(Adjust adjust, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), adjust_(std::move(adjust))
    {
    }

    // The option a cell is painted with (what paint() uses).
    QStyleOptionViewItem cellOption(const QStyleOptionViewItem& base, const QModelIndex& index) const
    {
        QStyleOptionViewItem o = base;
        initStyleOption(&o, index);
        return o;
    }

    // Puts colours into a cell's option: a background on the selected row replaces the selection
    // colour; a text colour applies to the selected row as well.
    static void applyColors(QStyleOptionViewItem& option, const CellColors& colors)
    {
        const bool highlighted = option.state & QStyle::State_Selected;
        if (colors.background.isValid()) {
            if (highlighted)
                option.palette.setColor(QPalette::Highlight, colors.background);
            else
                option.backgroundBrush = colors.background;
        }
        if (colors.text.isValid()) {
            option.palette.setColor(QPalette::Text, colors.text);
            option.palette.setColor(QPalette::HighlightedText, colors.text);
        }
        if (colors.italic)
            option.font.setItalic(true);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (adjust_)
            adjust_(*option, index);
    }

private:
    Adjust adjust_;
};
