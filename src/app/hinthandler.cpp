// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/hinthandler.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QStatusTipEvent>

namespace {

class HintFilter : public QObject
{
public:
    HintHandler handler;
    const void* owner = nullptr;
    QString lastHint;
    bool haveHint = false;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::StatusTip && handler) {
            const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
            // The same event travels up the parent chain; report each change once.
            if (!haveHint || tip != lastHint) {
                lastHint = tip;
                haveHint = true;
                handler(tip);
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

QPointer<HintFilter>& filter()
{
    static QPointer<HintFilter> f;
    return f;
}

} // namespace

HintHandler SetApplicationHintHandler(HintHandler handler, const void* owner)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!filter() && app) {
        filter() = new HintFilter;
        filter()->setParent(app);
        app->installEventFilter(filter());
    }
    if (!filter())
        return {};
    HintHandler previous = std::move(filter()->handler);
    filter()->handler = std::move(handler);
    filter()->owner = owner;
    filter()->haveHint = false;
    return previous;
}

const void* ApplicationHintHandlerOwner()
{
    return filter() ? filter()->owner : nullptr;
}

QString CurrentApplicationHint()
{
    return filter() ? filter()->lastHint : QString();
}
