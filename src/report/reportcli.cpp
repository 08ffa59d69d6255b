// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/reportcli.h"

#include "app/config.h"
#include "app/connection.h"
#include "db/dialect.h"
#include "db/query.h"
#include "report/linkscan.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QTextStream>
#include <cstdio>
#include <memory>

namespace {

const QString kReportSwitch = QStringLiteral("--report");
const QString kAutoCorrectSwitch = QStringLiteral("--auto-correct");
const QString kConnection = QStringLiteral("KvDokManReport");

QTextStream& standardError()
{
    static QTextStream stream(stderr);
    return stream;
}

QTextStream& standardOutput()
{
    static QTextStream stream(stdout);
    return stream;
}

struct Arguments
{
    QString reportFile;
    bool autoCorrect = false;
    QStringList rest; // the program's own switches (/K, /U, /P)
    QString error;
};

Arguments parse(const QStringList& arguments)
{
    Arguments a;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == kReportSwitch) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                a.error = QStringLiteral("--report: der Name der Berichtsdatei fehlt.");
            else
                a.reportFile = arguments[++i];
        } else if (arg.startsWith(kReportSwitch + u'=')) {
            a.reportFile = arg.mid(kReportSwitch.size() + 1);
            if (a.reportFile.isEmpty())
                a.error = QStringLiteral("--report: der Name der Berichtsdatei fehlt.");
        } else if (arg == kAutoCorrectSwitch) {
            a.autoCorrect = true;
        } else if (arg.startsWith(QStringLiteral("--"))) {
            a.error = QStringLiteral("Unbekannte Option: ") + arg;
        } else {
            a.rest << arg;
        }
    }
    return a;
}

// Installs a messages implementation for its lifetime and puts the previous one back.
class MessagesScope
{
public:
    explicit MessagesScope(Messages* m) : previous_(&Messages::instance()) { Messages::setInstance(m); }
    ~MessagesScope() { Messages::setInstance(previous_); }

private:
    Messages* previous_;
};

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    ConsoleMessages console(&err);
    const MessagesScope scope(&console);

    const Arguments args = parse(arguments);
    if (!args.error.isEmpty()) {
        console.write(args.error);
        return 2;
    }
    Config config;
    ParseCommandLine(args.rest, config);
    const QString programFolder = programFileFolder();
    if (config.iniFilePath.isEmpty())
        config.iniFilePath = defaultIniFilePath(programFolder);
    if (!QFileInfo(config.iniFilePath).isFile()) {
        console.write(QStringLiteral("Die INI-Datei \"") + config.iniFilePath + QStringLiteral("\" wurde nicht gefunden."));
        return 2;
    }
    db::clearTerminationRequest();
    ReadKorvanIni(config, programFolder);
    if (db::terminationRequested()) {
        // The unknown database type has been reported.
        db::clearTerminationRequest();
        return 2;
    }

    ReportScanResult result;
    PageBuffer page;
    {
        if (!ConnectDatabase(config, kConnection)) {
            QSqlDatabase::removeDatabase(kConnection);
            console.write(QStringLiteral("Keine Verbindung zur Datenbank."));
            return 2;
        }
        bool ok = true;
        {
            Query qry1(QStringLiteral("qry1"), nullptr, kConnection);
            Query qryExec(QStringLiteral("qryExec"), nullptr, kConnection);
            InvalidLinkScan scan(qry1, qryExec);
            scan.setAutoCorrect(args.autoCorrect);
            try {
                result = scan.run(page);
            } catch (const AbortSignal&) {
                ok = false; // reported by the query operations
            }
        }
        {
            QSqlDatabase db = QSqlDatabase::database(kConnection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(kConnection);
        if (!ok)
            return 2;
    }

    QSaveFile file(args.reportFile);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        QByteArray bytes;
        for (const QString& line : page) {
            bytes += line.toUtf8();
            bytes += "\r\n";
        }
        written = file.write(bytes) == bytes.size() && file.commit();
    }
    if (!written) {
        console.write(QStringLiteral("Die Berichtsdatei \"") + args.reportFile +
                      QStringLiteral("\" kann nicht geschrieben werden: ") + file.errorString());
        return 2;
    }

    QString summary = QString::number(result.linksTested) + QStringLiteral(" Verknüpfungen geprüft, ") +
                      QString::number(result.invalidArticleLinks) +
                      QStringLiteral(" ungültige Artikel-Verknüpfungen, ") +
                      QString::number(result.invalidInvoiceLinks) +
                      QStringLiteral(" ungültige Eingangsrechnungs-Verknüpfungen");
    if (args.autoCorrect)
        summary += QStringLiteral(", ") + QString::number(result.corrected) + QStringLiteral(" korrigiert");
    out << summary << Qt::endl;
    return result.invalidArticleLinks + result.invalidInvoiceLinks > 0 ? 1 : 0;
}

} // namespace

bool IsReportCommand(const QStringList& arguments)
{
    for (const QString& arg : arguments)
        if (arg == kReportSwitch || arg.startsWith(kReportSwitch + u'='))
            return true;
    return false;
}

int runReportCommand(const QStringList& arguments, QTextStream* out, QTextStream* err)
{
    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "kvdokman";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    return run(arguments, out ? *out : standardOutput(), err ? *err : standardError());
}

namespace {
QString oneLine(const QString& text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line.simplified();
}
} // namespace

void ConsoleMessages::write(const QString& text)
{
    QTextStream& s = err_ ? *err_ : standardError();
    s << QStringLiteral("kvdokman: ") << oneLine(text) << Qt::endl;
}

Messages::Answer ConsoleMessages::show(Kind, const QString& text, Buttons buttons, const QString&)
{
    write(text);
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::No;
    case Buttons::OkCancel:
        return Answer::Cancel;
    case Buttons::Ok:
        break;
    }
    return Answer::Ok;
}

int ConsoleMessages::execDialog(QDialog&)
{
    return QDialog::Rejected;
}
