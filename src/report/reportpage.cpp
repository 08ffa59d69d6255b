// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/reportpage.h"

#include "app/appcontext.h"
#include "articles/articlelinks.h"
#include "db/query.h"
#include "printing/previewform.h"
#include "report/reportviewer.h"
#include "util/messages.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

ReportPage::ReportPage(AppContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), Memo1{QStringLiteral("Memo für die HTML-Erzeugung")}
{
    setObjectName(QStringLiteral("ReportPage"));
    btnUngueltigeVerknRefresh = new QPushButton(QStringLiteral("Liste aktualisieren"), this);
    btnUngueltigeVerknRefresh->setObjectName(QStringLiteral("btnUngueltigeVerknRefresh"));
    btnUngueltigeVerknDruck = new QPushButton(QStringLiteral("Drucken"), this);
    btnUngueltigeVerknDruck->setObjectName(QStringLiteral("btnUngueltigeVerknDruck"));
    Label5 = new QLabel(QStringLiteral("Ungültige Verknüpfungen"), this);
    Label5->setObjectName(QStringLiteral("Label5"));
    QFont title(QStringLiteral("Arial"));
    title.setBold(true);
    title.setPointSizeF(Label5->font().pointSizeF() * 1.15);
    Label5->setFont(title);
    chkArtUngueltVerknAutoRefesh = new QCheckBox(QStringLiteral("Auto-Refresh"), this);
    chkArtUngueltVerknAutoRefesh->setObjectName(QStringLiteral("chkArtUngueltVerknAutoRefesh"));
    chkAutoKorrLT = new QCheckBox(QStringLiteral("Auto-Korr. LT"), this);
    chkAutoKorrLT->setObjectName(QStringLiteral("chkAutoKorrLT"));
    HTMLViewer1 = new ReportViewer(this);

    // The controls go into the page's button bar of the main window when there is one (after its
    // back button), else into a bar of their own.
    QHBoxLayout* bar = nullptr;
    if (parent) {
        if (auto* frame = parent->findChild<QFrame*>(parent->objectName() + QStringLiteral("Leiste"),
                                                     Qt::FindDirectChildrenOnly))
            bar = qobject_cast<QHBoxLayout*>(frame->layout());
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (bar) {
        // Before the bar's closing stretch.
        int at = qMax(0, bar->count() - 1);
        for (QWidget* w : std::initializer_list<QWidget*>{btnUngueltigeVerknRefresh, btnUngueltigeVerknDruck, Label5,
                                                          chkArtUngueltVerknAutoRefesh, chkAutoKorrLT}) {
            w->setParent(bar->parentWidget());
            if (w == Label5)
                bar->insertSpacing(at++, 12);
            bar->insertWidget(at++, w);
        }
    } else {
        auto* own = new QHBoxLayout;
        own->setContentsMargins(4, 2, 4, 2);
        own->addWidget(btnUngueltigeVerknRefresh);
        own->addWidget(btnUngueltigeVerknDruck);
        own->addSpacing(12);
        own->addWidget(Label5);
        own->addWidget(chkArtUngueltVerknAutoRefesh);
        own->addWidget(chkAutoKorrLT);
        own->addStretch(1);
        layout->addLayout(own);
    }
    layout->addWidget(HTMLViewer1, 1);

    connect(btnUngueltigeVerknRefresh, &QPushButton::clicked, this, &ReportPage::btnUngueltigeVerknRefreshClick);
    connect(btnUngueltigeVerknDruck, &QPushButton::clicked, this, &ReportPage::btnUngueltigeVerknDruckClick);
    connect(HTMLViewer1, &ReportViewer::hotSpotClick, this, &ReportPage::HTMLViewer1HotSpotClick);
}

ReportPage::~ReportPage() = default;

void ReportPage::loadSettings()
{
    chkArtUngueltVerknAutoRefesh->setChecked(ctx_.settings.chkArtUngueltVerknAutoRefesh);
}

void ReportPage::storeSettings()
{
    ctx_.settings.chkArtUngueltVerknAutoRefesh = chkArtUngueltVerknAutoRefesh->isChecked();
}

void ReportPage::pageEntered()
{
    if (chkArtUngueltVerknAutoRefesh->isChecked())
        btnUngueltigeVerknRefreshClick();
}

void ReportPage::closeQueries()
{
    // The page keeps no query open: the scan closes qry1 when it ends.
}

QPrinter& ReportPage::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void ReportPage::btnUngueltigeVerknRefreshClick()
{
    if (!ctx_.qry1 || !ctx_.qryExec)
        return;
    InvalidLinkScan scan(*ctx_.qry1, *ctx_.qryExec);
    scan.setAutoCorrect(chkAutoKorrLT->isChecked());
    scan.setTimings(timings_);
    try {
        lastResult_ = scan.run(Memo1);
    } catch (const AbortSignal&) {
        // Reported by the query operations; the viewer keeps the page it showed.
        return;
    }
    const QString text = Memo1.join(QStringLiteral("\r\n"));
    msg().setCursor(Messages::Cursor::Wait);
    HTMLViewer1->loadFromString(text);
    msg().setCursor(Messages::Cursor::Normal);
    HTMLViewer1->setVerticalScrollPosition(0);
}

void ReportPage::refreshAfterAction()
{
    if (!chkArtUngueltVerknAutoRefesh->isChecked())
        return;
    const int position = HTMLViewer1->verticalScrollPosition();
    btnUngueltigeVerknRefreshClick();
    HTMLViewer1->setVerticalScrollPosition(position);
}

void ReportPage::HTMLViewer1HotSpotClick(const QString& target, bool* handled)
{
    if (!target.contains(u'#'))
        return;
    if (handled)
        *handled = true;
    // Any failure ends the handling silently: a database error has been reported already.
    try {
        QString artnr;
        int lfdnr = 0;
        if (target.contains(QStringLiteral("#VerknNeu"))) {
            if (!DecodeLinkTarget(target, QStringLiteral("#VerknNeu"), &artnr, &lfdnr))
                return;
            ChangeArticleLink(ctx_, artnr, lfdnr, this);
            refreshAfterAction();
        } else if (target.contains(QStringLiteral("#VerknLoe"))) {
            if (!DecodeLinkTarget(target, QStringLiteral("#VerknLoe"), &artnr, &lfdnr))
                return;
            DeleteArticleLink(ctx_, artnr, lfdnr, true);
            refreshAfterAction();
        }
    } catch (...) {
    }
}

void ReportPage::btnUngueltigeVerknDruckClick()
{
    // A confirmed page setup closes the preview with "retry": lay out anew with the new settings.
    for (;;) {
        bool cancelled = false;
        auto preview = std::make_unique<TPreviewForm>(window(), *HTMLViewer1, printer(), ctx_.settingsFileName,
                                                      &cancelled);
        if (cancelled)
            return;
        const int result = msg().execDialog(*preview);
        preview.reset();
        if (result != TPreviewForm::RetryResult)
            return;
    }
}

#include "moc_reportpage.cpp"
