// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <functional>

struct AppContext;
class QAbstractItemView;
class QMimeData;

// What the file manager drags: the full path of its selected file under a type of its own, plus the
// file's address for other programs.
QString FileDragMimeType();
QMimeData* MakeFileDragData(const QString& fullPath);
// The full path carried by a drag of the file manager; empty for any other drag.
QString FileFromDragData(const QMimeData* data);

// Receives the file manager's drag on an article link grid: accepts it while it is over the grid,
// and on the drop, with a current article and a file, links the file to the article with
// InsertArticleLink and then runs the refresh. Drags from any other source are not accepted.
//
//   ArticleLinkDropFilter::install(grdMArtBild, ctx,
//       [this] { return currentArtnr(); },     // "" while no article is current
//       [this] { RefreshArticleLinks(); });
class ArticleLinkDropFilter : public QObject
{
    Q_OBJECT
public:
    using ArtnrProvider = std::function<QString()>;
    using Refresh = std::function<void()>;

    ArticleLinkDropFilter(AppContext& ctx, ArtnrProvider currentArtnr, Refresh refresh,
                          QObject* parent = nullptr);

    // Creates a filter owned by the view, installs it on the view's viewport and lets the view
    // accept drops.
    static ArticleLinkDropFilter* install(QAbstractItemView* view, AppContext& ctx,
                                          ArtnrProvider currentArtnr, Refresh refresh);

    // The drop (grdMArtBildDragDrop): links the file to the current article; true when a link was
    // added. A failing statement has been reported by the query layer; the result is then false.
    bool dropFile(const QString& fullPath);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AppContext& ctx_;
    ArtnrProvider currentArtnr_;
    Refresh refresh_;
};
