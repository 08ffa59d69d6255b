// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLayout>
#include <QList>

// Lays its items out left to right at their preferred sizes and starts a new row when the next item
// would not fit, so a bar of buttons in a narrow pane wraps instead of cutting its captions. The
// height follows the width (height for width), so the parent layout makes room for every row.
class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(QWidget* parent = nullptr, int spacing = 6);
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items into rect (or only measures when apply is false); returns the height used.
    int doLayout(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
    int spacing_;
};
