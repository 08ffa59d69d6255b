// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/linkscan.h"

#include "db/literals.h"
#include "db/queryops.h"
#include "util/helpers.h"
#include "util/messages.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSqlRecord>
#include <future>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

bool IsExistingFile(const QString& path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
#ifdef Q_OS_UNIX
    // One stat() call: the scan tests hundreds of thousands of files.
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    return ::stat(name.constData(), &st) == 0 && S_ISREG(st.st_mode);
#else
    return QFileInfo(path).isFile();
#endif
}

QString TrimBlanksAndControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return (begin == 0 && end == text.size()) ? text : text.mid(begin, end - begin);
}

QString AutoCorrectedName(const QString& fileName)
{
    if (fileName.size() < 2)
        return {};
    // The first two characters, ASCII letters upper-cased.
    QString head = fileName.left(2);
    for (QChar& c : head)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    if (head != u"P-")
        return {};
    const QString rest = fileName.mid(2, 255);
    // The extension: from the last "." to the end, when that dot follows the last separator.
    QString extension;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const qsizetype separator = qMax(qMax(fileName.lastIndexOf(u'\\'), fileName.lastIndexOf(u':')),
                                     fileName.lastIndexOf(u'/'));
    if (dot >= 0 && dot > separator)
        extension = fileName.mid(dot);
    const qsizetype firstDot = rest.indexOf(u'.');
    const QString base = firstDot < 0 ? rest : rest.left(firstDot);
    return base + QStringLiteral("-P") + extension;
}

QString ReportTimestamp(const QDateTime& when)
{
    const QLocale locale;
    // The long time format without the time zone.
    QStringList parts = locale.timeFormat(QLocale::LongFormat).split(u' ');
    parts.removeIf([](const QString& p) { return !p.isEmpty() && p.count(u't') == p.size(); });
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' + locale.toString(when.time(), parts.join(u' '));
}

QString LinkKey(const QString& artnr, int lfdnr)
{
    return artnr + u'/' + QString::number(lfdnr);
}

QString ChangeLinkTarget(const QString& artnr, int lfdnr)
{
    return QStringLiteral("#VerknNeu(") + LinkKey(artnr, lfdnr) + u')';
}

QString DeleteLinkTarget(const QString& artnr, int lfdnr)
{
    return QStringLiteral("#VerknLoe(") + LinkKey(artnr, lfdnr) + u')';
}

bool DecodeLinkTarget(const QString& target, const QString& marker, QString* artnr, int* lfdnr)
{
    const qsizetype at = target.indexOf(marker);
    if (at < 0)
        return false;
    const QString key = TextBeforeParenthesis(target.mid(at + marker.size() + 1, 30));
    const qsizetype slash = key.indexOf(u'/');
    const QString article = slash < 0 ? QString() : key.left(slash);
    bool ok = false;
    const int number = (slash < 0 ? key : key.mid(slash + 1, 30)).toInt(&ok);
    if (!ok)
        return false;
    // The key must give back the anchor: an article number with "/", "(" or ")" cannot be told
    // apart from the running number and must not act on another link.
    if (QStringView(target).mid(at) != QString(marker + u'(' + LinkKey(article, number) + u')'))
        return false;
    *artnr = article;
    *lfdnr = number;
    return true;
}

namespace {

QString esc(const QString& value)
{
    return value.toHtmlEscaped();
}

const QString kLeft = QStringLiteral("left");
const QString kTop = QStringLiteral("top");
const QString kNbsp = QStringLiteral("&nbsp;");

void headerCell(PageBuffer& b, const char16_t* text, const char16_t* width)
{
    HtmlCell(b, QString::fromUtf16(text), kLeft, QString::fromUtf16(width), QStringLiteral("cell"),
             QStringLiteral("center"), 0, QString(), 0);
}

void dataCell(PageBuffer& b, const QString& content, const QString& cssClass = QString())
{
    HtmlCell(b, content, kLeft, QString(), cssClass, kTop, 0, QString(), 0);
}

// A date field as the locale writes a date; text from databases without a date type is read as
// ISO date.
QString dateText(const QVariant& v)
{
    if (v.isNull())
        return {};
    QDate date;
    if (v.typeId() == QMetaType::QDateTime)
        date = v.toDateTime().date();
    else if (v.typeId() == QMetaType::QDate)
        date = v.toDate();
    else {
        const QString s = v.toString().trimmed();
        date = QDate::fromString(s.left(10), Qt::ISODate);
        if (!date.isValid())
            return s;
    }
    return QLocale().toString(date, QLocale::ShortFormat);
}

class PhaseTimer
{
public:
    explicit PhaseTimer(qint64* sink) : sink_(sink)
    {
        if (sink_)
            timer_.start();
    }
    ~PhaseTimer()
    {
        if (sink_)
            *sink_ += timer_.nsecsElapsed();
    }

private:
    qint64* sink_;
    QElapsedTimer timer_;
};

// Rows are read in batches; while the next batch is read, a helper thread tests the files of the
// batch before, and the rows are then written in their order. The calling thread stays in the
// scan from start to end (no window messages), the page and the statements are exactly those of a
// loop that reads, tests and writes row by row; the file tests (the scan's floor) and the reading
// of the rows just overlap.
constexpr int kBatchRows = 2048;

template<typename Row>
struct Batch
{
    std::vector<Row> rows;
    QStringList names; // trimmed full names
    std::vector<unsigned char> exists;
    qint64 testNs = 0;

    void test()
    {
        QElapsedTimer t;
        t.start();
        exists.resize(size_t(names.size()));
        for (qsizetype i = 0; i < names.size(); ++i)
            exists[size_t(i)] = IsExistingFile(names[i]) ? 1 : 0;
        testNs = t.nsecsElapsed();
    }
};

template<typename Row, typename Read, typename Write>
void scanRows(Query& q, ReportScanTimings* timings, Read read, Write write)
{
    auto current = std::make_unique<Batch<Row>>();
    auto previous = std::make_unique<Batch<Row>>();
    std::future<void> testing; // the test of *previous; declared after the batches, so it ends first
    for (;;) {
        current->rows.clear();
        current->names.clear();
        while (!q.eof() && int(current->rows.size()) < kBatchRows) {
            QString name;
            current->rows.push_back(read(q, &name));
            current->names << name;
            q.next();
        }
        std::future<void> next;
        if (!current->rows.empty()) {
            Batch<Row>* b = current.get();
            next = std::async(std::launch::async, [b] { b->test(); });
        }
        if (testing.valid()) {
            {
                PhaseTimer t(timings ? &timings->waitNs : nullptr);
                testing.get();
            }
            if (timings)
                timings->fileTestNs += previous->testNs;
            for (size_t i = 0; i < previous->rows.size(); ++i)
                if (!previous->exists[i])
                    write(previous->rows[i]);
        }
        if (current->rows.empty())
            break;
        std::swap(current, previous);
        testing = std::move(next);
    }
}

struct ArticleRow
{
    QString artnr;
    int lfdnr = 0;
    QString file;
    QString folder;
    QString type;
    QString name;
};

struct InvoiceRow
{
    QVariant invoice;
    QVariant booking;
    QVariant date;
    QString supplier;
    QString folder;
    QString file;
};

} // namespace

ReportScanResult InvalidLinkScan::run(PageBuffer& buffer)
{
    msg().setCursor(Messages::Cursor::Wait);
    const bool wasForwardOnly = qry1_.isForwardOnly();
    auto cleanUp = [&] {
        msg().setCursor(Messages::Cursor::Normal);
        CloseQuery(qry1_);
        qry1_.setForwardOnly(wasForwardOnly);
    };
    ReportScanResult result;
    QElapsedTimer total;
    total.start();
    try {
        {
            PhaseTimer t(timings_ ? &timings_->pageNs : nullptr);
            HtmlBeginPage(buffer);
            buffer << QStringLiteral("<h3>Ungültige Verknüpfungen</h3>")
                   << QStringLiteral("<p>Stand: ")
                          + ReportTimestamp(timestamp_.isValid() ? timestamp_ : QDateTime::currentDateTime())
                          + QStringLiteral("</p>");
            buffer << QStringLiteral("<table align=\"left\" border=\"0\" width=\"100%\">")
                   << QStringLiteral("<tr> <td width=\"100%\" align=\"left\">")
                   << QStringLiteral("<table align=\"left\" width=100% border=\"1\" bordercolorlight=\"#e1e1e1\" "
                                     "bordercolordark=\"#828282\">");
            buffer << QStringLiteral("<tr>");
            headerCell(buffer, u"ArtNr.", u"10%");
            headerCell(buffer, u"Typ", u"15%");
            headerCell(buffer, u"Bezeichnung", u"25%");
            headerCell(buffer, u"Datei-Pfad", u"20%");
            headerCell(buffer, u"Datei-Name", u"20%");
            headerCell(buffer, u"Aktion", u"10%");
            buffer << QStringLiteral("</tr>");
        }
        scanArticleLinks(buffer, result);
        {
            PhaseTimer t(timings_ ? &timings_->pageNs : nullptr);
            buffer << QStringLiteral("<tr>");
            headerCell(buffer, u"Eing.Rechn.Nr.", u"10%");
            headerCell(buffer, u"Buch.Nr./Datum", u"15%");
            headerCell(buffer, u"Lieferant", u"25%");
            headerCell(buffer, u"Datei-Pfad", u"20%");
            headerCell(buffer, u"Datei-Name", u"20%");
            headerCell(buffer, u"Aktion", u"10%");
            buffer << QStringLiteral("</tr>");
        }
        scanInvoiceLinks(buffer, result);
        {
            PhaseTimer t(timings_ ? &timings_->pageNs : nullptr);
            buffer << QStringLiteral("</table>") << QStringLiteral("</td> </tr>") << QStringLiteral("</table>");
            HtmlEndPage(buffer);
        }
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
    if (timings_)
        timings_->queryNs = total.nsecsElapsed() - timings_->waitNs - timings_->pageNs - timings_->correctNs;
    return result;
}

void InvalidLinkScan::scanArticleLinks(PageBuffer& buffer, ReportScanResult& result)
{
    CloseQuery(qry1_);
    qry1_.setForwardOnly(true);
    qry1_.addLine(QStringLiteral("select MARTBILD.ARTNR,MARTBILD.LFDNR,MARTBILD.LFDNR,MARTBILD.DATEINAME,"
                                 "MARTBILD.PFADNAME,MARTBILD.TEXT, MARTBILD.BILDKENNZ, MART.TYP,MART.BEZEICHNUNG"));
    qry1_.addLine(QStringLiteral("FROM ~MARTBILD MARTBILD"));
    qry1_.addLine(QStringLiteral("left outer join ~MART MART on MART.ARTNR=MARTBILD.ARTNR"));
    qry1_.addLine(QStringLiteral("ORDER BY MARTBILD.ARTNR,MARTBILD.DATEINAME"));
    OpenQuery(qry1_, true);
    msg().setCursor(Messages::Cursor::Wait);

    const QSqlRecord rec = qry1_.record();
    const int iArtnr = rec.indexOf(QStringLiteral("ARTNR"));
    const int iLfdnr = rec.indexOf(QStringLiteral("LFDNR"));
    const int iFile = rec.indexOf(QStringLiteral("DATEINAME"));
    const int iFolder = rec.indexOf(QStringLiteral("PFADNAME"));
    const int iType = rec.indexOf(QStringLiteral("TYP"));
    const int iName = rec.indexOf(QStringLiteral("BEZEICHNUNG"));
    qint64* pageNs = timings_ ? &timings_->pageNs : nullptr;
    auto read = [&](Query& q, QString* name) {
        ArticleRow r;
        r.artnr = q.value(iArtnr).toString();
        r.lfdnr = q.value(iLfdnr).toInt();
        r.file = q.value(iFile).toString();
        r.folder = q.value(iFolder).toString();
        r.type = q.value(iType).toString();
        r.name = q.value(iName).toString();
        *name = TrimBlanksAndControls(r.folder + r.file);
        ++result.linksTested;
        return r;
    };
    auto write = [&](const ArticleRow& r) {
        QString newName;
        const bool corrected = autoCorrect_ && tryCorrection(r.artnr, r.lfdnr, r.folder, r.file, &newName);
        PhaseTimer t(pageNs);
        buffer << QStringLiteral("<tr>");
        dataCell(buffer, esc(r.artnr) + kNbsp);
        dataCell(buffer, esc(r.type) + kNbsp);
        dataCell(buffer, esc(r.name) + kNbsp);
        dataCell(buffer, esc(r.folder) + kNbsp);
        dataCell(buffer, esc(r.file) + kNbsp);
        if (corrected) {
            dataCell(buffer, QStringLiteral("Korrgiert ") + esc(r.file) + QStringLiteral("-->") + esc(newName),
                     QStringLiteral("kleinnormal"));
            ++result.corrected;
        } else {
            const QString key = esc(LinkKey(r.artnr, r.lfdnr));
            dataCell(buffer,
                     QStringLiteral("<a href=\"#VerknNeu(") + key + QStringLiteral(")\">Neu verkn. | </a>")
                         + QStringLiteral("<a href=\"#VerknLoe(") + key + QStringLiteral(")\"> Löschen</a>"),
                     QStringLiteral("kleinnormal"));
            ++result.invalidArticleLinks;
        }
        buffer << QStringLiteral("</tr>");
    };
    scanRows<ArticleRow>(qry1_, timings_, read, write);
}

bool InvalidLinkScan::tryCorrection(const QString& artnr, int lfdnr, const QString& folder,
                                    const QString& fileName, QString* newName)
{
    const QString name = AutoCorrectedName(fileName);
    if (name.isEmpty())
        return false;
    {
        PhaseTimer t(timings_ ? &timings_->fileTestNs : nullptr);
        if (!IsExistingFile(TrimBlanksAndControls(folder) + name))
            return false;
    }
    PhaseTimer t(timings_ ? &timings_->correctNs : nullptr);
    // The file name enters exactly as found on disk.
    ExecSql(qryExec_, {QStringLiteral("UPDATE ~MARTBILD set"), QStringLiteral("DATEINAME=") + SqlExact(name),
                       QStringLiteral("where ARTNR=") + SqlStr(artnr), QStringLiteral("and LFDNR=") + SqlInt(lfdnr)});
    msg().setCursor(Messages::Cursor::Wait);
    *newName = name;
    return true;
}

void InvalidLinkScan::scanInvoiceLinks(PageBuffer& buffer, ReportScanResult& result)
{
    CloseQuery(qry1_);
    qry1_.setForwardOnly(true);
    qry1_.addLine(QStringLiteral("select DOKUMENT.D_BEZUG_EINGERCHNR, DOKUMENT.D_EMPF_KURZNAME, DOKUMENT.D_PFAD, "
                                 "DOKUMENT.D_DATEINAME,"));
    qry1_.addLine(QStringLiteral("EINGANGSRECH.ERFDATUM, EINGANGSRECH.BUCHNR"));
    qry1_.addLine(QStringLiteral("FROM ~DOKUMENT DOKUMENT"));
    qry1_.addLine(QStringLiteral("left outer join ~EINGANGSRECH EINGANGSRECH on EINGANGSRECH.ID=DOKUMENT.D_BEZUG_EINGERCHNR"));
    qry1_.addLine(QStringLiteral("where D_BEZUG_EINGERCHNR > 0"));
    qry1_.addLine(QStringLiteral("ORDER BY EINGANGSRECH.ID"));
    OpenQuery(qry1_, true);
    msg().setCursor(Messages::Cursor::Wait);

    const QSqlRecord rec = qry1_.record();
    const int iInvoice = rec.indexOf(QStringLiteral("D_BEZUG_EINGERCHNR"));
    const int iSupplier = rec.indexOf(QStringLiteral("D_EMPF_KURZNAME"));
    const int iFolder = rec.indexOf(QStringLiteral("D_PFAD"));
    const int iFile = rec.indexOf(QStringLiteral("D_DATEINAME"));
    const int iDate = rec.indexOf(QStringLiteral("ERFDATUM"));
    const int iBooking = rec.indexOf(QStringLiteral("BUCHNR"));
    qint64* pageNs = timings_ ? &timings_->pageNs : nullptr;
    auto read = [&](Query& q, QString* name) {
        InvoiceRow r;
        r.invoice = q.value(iInvoice);
        r.booking = q.value(iBooking);
        r.date = q.value(iDate);
        r.supplier = q.value(iSupplier).toString();
        r.folder = q.value(iFolder).toString();
        r.file = q.value(iFile).toString();
        *name = TrimBlanksAndControls(r.folder + r.file);
        ++result.linksTested;
        return r;
    };
    auto write = [&](const InvoiceRow& r) {
        PhaseTimer t(pageNs);
        buffer << QStringLiteral("<tr>");
        dataCell(buffer, esc(r.invoice.toString()) + kNbsp);
        dataCell(buffer, esc(r.booking.toString()) + u'/' + esc(dateText(r.date)));
        dataCell(buffer, esc(r.supplier) + kNbsp);
        dataCell(buffer, esc(r.folder) + kNbsp);
        dataCell(buffer, esc(r.file) + kNbsp);
        dataCell(buffer, kNbsp, QStringLiteral("kleinnormal"));
        buffer << QStringLiteral("</tr>");
        ++result.invalidInvoiceLinks;
    };
    scanRows<InvoiceRow>(qry1_, timings_, read, write);
}
