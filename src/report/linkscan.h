// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "report/htmlwriter.h"

#include <QDateTime>
#include <QString>

class Query;

// The invalid-link scan: reads all article links and all document links of incoming invoices,
// tests each link's file and writes every link whose file is missing as a row of the report page.

// True when a regular file (not a folder) exists under the path.
bool IsExistingFile(const QString& path);
// The text without the blanks and control characters (code 0 to 32) at both ends.
QString TrimBlanksAndControls(const QString& text);
// The automatic correction's file name for a link named N: for N = "P-" + R (case-insensitive),
// R up to its first "." + "-P" + N's extension ("P-4711.dwg" -> "4711-P.dwg", "P-12.3.pdf" ->
// "12-P.pdf", "P-4711" -> "4711-P"). Empty when N does not begin with "P-".
QString AutoCorrectedName(const QString& fileName);
// The "Stand:" text of the page: date in the short date format, time in the long time format of
// the user's locale.
QString ReportTimestamp(const QDateTime& when);

// The "#VerknNeu(" / "#VerknLoe(" anchor targets of an article link.
QString LinkKey(const QString& artnr, int lfdnr);
QString ChangeLinkTarget(const QString& artnr, int lfdnr);
QString DeleteLinkTarget(const QString& artnr, int lfdnr);
// Decodes the link key behind marker ("#VerknNeu" or "#VerknLoe") in an anchor target: the at most
// 30 characters after "marker(", cut at the first parenthesis, split at the first "/" into the
// article number and the running number. Fails for a running number that is no integer and for a
// key that does not give back the target it came from (an article number holding "/", "(" or
// ")"), so that a click never acts on another link than the one its row shows.
bool DecodeLinkTarget(const QString& target, const QString& marker, QString* artnr, int* lfdnr);

struct ReportScanResult
{
    int linksTested = 0;
    int invalidArticleLinks = 0; // listed article links, the corrected ones not counted
    int invalidInvoiceLinks = 0;
    int corrected = 0;
};

// Where the scan spends its time (nanoseconds), for the benchmark. The file tests of a batch of rows
// run beside the reading of the next batch; queryNs + waitNs + pageNs + correctNs is the scan's time.
struct ReportScanTimings
{
    qint64 queryNs = 0;    // opening the queries and reading their rows
    qint64 fileTestNs = 0; // file existence tests (beside the reading; the correction's included)
    qint64 waitNs = 0;     // waiting for file tests that the reading did not cover
    qint64 pageNs = 0;     // writing the page lines
    qint64 correctNs = 0;  // correction statements
};

class InvalidLinkScan
{
public:
    // qry1 reads the links, qryExec runs the correction statements.
    InvalidLinkScan(Query& qry1, Query& qryExec) : qry1_(qry1), qryExec_(qryExec) {}

    // The automatic correction "Auto-Korr. LT".
    void setAutoCorrect(bool on) { autoCorrect_ = on; }
    // The time written into the page (the current time when not set).
    void setTimestamp(const QDateTime& when) { timestamp_ = when; }
    void setTimings(ReportScanTimings* timings) { timings_ = timings; }

    // Writes the page into buffer. A failing statement has been reported by the query operations
    // and ends the scan with AbortSignal; qry1 is closed in every case and the cursor is normal.
    ReportScanResult run(PageBuffer& buffer);

private:
    void scanArticleLinks(PageBuffer& buffer, ReportScanResult& result);
    void scanInvoiceLinks(PageBuffer& buffer, ReportScanResult& result);
    bool tryCorrection(const QString& artnr, int lfdnr, const QString& folder, const QString& fileName,
                       QString* newName);

    Query& qry1_;
    Query& qryExec_;
    bool autoCorrect_ = false;
    QDateTime timestamp_;
    ReportScanTimings* timings_ = nullptr;
};
