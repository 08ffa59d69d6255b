// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/articlelinkdrop.h"

#include "articles/articlelinks.h"
#include "db/query.h"

#include <QAbstractItemView>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

QString FileDragMimeType()
{
    return QStringLiteral("application/x-kvdokman-file");
}

QMimeData* MakeFileDragData(const QString& fullPath)
{
    auto* data = new QMimeData;
    data->setData(FileDragMimeType(), fullPath.toUtf8());
    data->setUrls({QUrl::fromLocalFile(fullPath)});
    return data;
}

QString FileFromDragData(const QMimeData* data)
{
    if (!data || !data->hasFormat(FileDragMimeType()))
        return QString();
    return QString::fromUtf8(data->data(FileDragMimeType()));
}

ArticleLinkDropFilter::ArticleLinkDropFilter(AppContext& ctx, ArtnrProvider currentArtnr, Refresh refresh,
                                             QObject* parent)
    : QObject(parent), ctx_(ctx), currentArtnr_(std::move(currentArtnr)), refresh_(std::move(refresh))
{
    setObjectName(QStringLiteral("ArticleLinkDropFilter"));
}

ArticleLinkDropFilter* ArticleLinkDropFilter::install(QAbstractItemView* view, AppContext& ctx,
                                                      ArtnrProvider currentArtnr, Refresh refresh)
{
    auto* filter = new ArticleLinkDropFilter(ctx, std::move(currentArtnr), std::move(refresh), view);
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->setDropIndicatorShown(false);
    view->viewport()->installEventFilter(filter);
    return filter;
}

bool ArticleLinkDropFilter::dropFile(const QString& fullPath)
{
    const QString artnr = currentArtnr_ ? currentArtnr_() : QString();
    if (artnr.isEmpty() || fullPath.isEmpty())
        return false;
    try {
        InsertArticleLink(ctx_, artnr, fullPath);
    } catch (const AbortSignal&) {
        return false;
    }
    if (refresh_)
        refresh_();
    return true;
}

bool ArticleLinkDropFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        // grdMArtBildDragOver: the grid takes what the file manager drags.
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (!e->mimeData()->hasFormat(FileDragMimeType())) {
            e->ignore(); // nothing else is dropped here
            return true;
        }
        e->setDropAction(Qt::CopyAction);
        e->accept();
        return true;
    }
    case QEvent::Drop: {
        // grdMArtBildDragDrop
        auto* e = static_cast<QDropEvent*>(event);
        if (!e->mimeData()->hasFormat(FileDragMimeType())) {
            e->ignore();
            return true;
        }
        e->setDropAction(Qt::CopyAction);
        e->accept();
        dropFile(FileFromDragData(e->mimeData()));
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
