// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/htmlwriter.h"
#include "report/linkscan.h"

#include <QWidget>
#include <memory>

struct AppContext;
class QCheckBox;
class QLabel;
class QPrinter;
class QPushButton;
class ReportViewer;

// The invalid-link report page: scans all article links and invoice document links, shows every
// link whose file is missing in the report viewer, carries out the actions of its rows and prints
// the report through the print preview.
class ReportPage : public QWidget
{
    Q_OBJECT
public:
    ReportPage(AppContext& ctx, QWidget* parent = nullptr);
    ~ReportPage() override;

    // Reads / writes this page's keys of the per-user settings (AppContext::settings).
    void loadSettings();
    void storeSettings();
    // Called by the main window each time the page is shown: scans when Auto-Refresh is ticked.
    void pageEntered();
    // Closes the page's data queries (main window closing).
    void closeQueries();

    // The page buffer of the last scan (the lines of the page, as written).
    const PageBuffer& pageBuffer() const { return Memo1; }
    const ReportScanResult& lastScanResult() const { return lastResult_; }
    // The printer the preview lays out for and prints on (created on first use).
    QPrinter& printer();
    // For the benchmark: where the next scans spend their time.
    void setScanTimings(ReportScanTimings* timings) { timings_ = timings; }

    QLabel* Label5;
    QPushButton* btnUngueltigeVerknRefresh;
    QPushButton* btnUngueltigeVerknDruck;
    QCheckBox* chkArtUngueltVerknAutoRefesh;
    QCheckBox* chkAutoKorrLT;
    ReportViewer* HTMLViewer1;

public slots:
    // The scan ("Liste aktualisieren").
    void btnUngueltigeVerknRefreshClick();
    // The print preview ("Drucken").
    void btnUngueltigeVerknDruckClick();
    // An anchor of the report: "#VerknNeu(...)" points the link at another file, "#VerknLoe(...)"
    // deletes it; with Auto-Refresh the report is scanned again at the same scroll position.
    void HTMLViewer1HotSpotClick(const QString& target, bool* handled);

private:
    void refreshAfterAction();

    AppContext& ctx_;
    PageBuffer Memo1;
    ReportScanResult lastResult_;
    ReportScanTimings* timings_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
};
