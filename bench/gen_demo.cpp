// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the demo database kvdemo.db and the folder of linked files from the text files in
// demo/data: a small company that rents out machines and event equipment and sells fixings and
// tools, with its article groups, articles, contacts, incoming invoices and users.
//
//   gen_demo DEMO_DIR [--if-needed]
//
// DEMO_DIR is the demo folder (with data/ and KORVAN.INI). It gets kvdemo.db and files/.
// --if-needed leaves those two alone when kvdemo.db is newer than the data files and this program.
// Every run also assembles the manual Hilfe/bed_anleitung_dokman.mht from the pages in Hilfe/, and
// starts each demo user's file manager at files/ (RootFolder of the user's settings file, only where
// the user has no RootFolder yet).
// The result depends only on the data files and the folder's location (links hold absolute
// folders), so running it twice gives the same database.

#include "app/config.h"
#include "db/schema.h"
#include "util/helpers.h"
#include "util/inifile.h"
#include "viewers/helparchive.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

namespace {

[[noreturn]] void die(const QString& text)
{
    std::fprintf(stderr, "gen_demo: %s\n", qPrintable(text));
    std::exit(1);
}

// Non-empty, non-comment lines of a data file, split at "|" (fields trimmed).
QList<QStringList> readTable(const QString& path, QList<int>* indents = nullptr)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        die(QStringLiteral("cannot read ") + path);
    QList<QStringList> rows;
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        int indent = 0;
        while (indent < line.size() && line[indent] == u' ')
            ++indent;
        QStringList fields = line.split(u'|');
        for (QString& s : fields)
            s = s.trimmed();
        rows << fields;
        if (indents)
            *indents << indent;
    }
    return rows;
}

QString field(const QStringList& row, int i)
{
    return i < row.size() ? row[i] : QString();
}

class Generator
{
public:
    Generator(const QString& demoDir) : demo_(demoDir), files_(demoDir + QStringLiteral("/files")) {}

    void run(const QString& dbFile)
    {
        QDir(files_).removeRecursively();
        QDir().mkpath(files_);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
            db.setDatabaseName(dbFile);
            if (!db.open())
                die(db.lastError().text());
            q_ = std::make_unique<QSqlQuery>(db);
            exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
            for (const QString& s : schemaStatements(DatabaseType::SQLITE))
                exec(s);
            db.transaction();
            users();
            groups();
            articles();
            contacts();
            invoices();
            if (!db.commit())
                die(db.lastError().text());
            q_.reset();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("gen"));
    }

    int links = 0, missing = 0, filesWritten = 0;

private:
    void exec(const QString& sql) { execBound(sql, {}); }

    void execBound(const QString& sql, const QVariantList& values)
    {
        if (!q_->prepare(sql))
            die(q_->lastError().text() + QStringLiteral(": ") + sql);
        for (const QVariant& v : values)
            q_->addBindValue(v);
        if (!q_->exec())
            die(q_->lastError().text() + QStringLiteral(": ") + sql);
    }

    static QVariant textOrNull(const QString& s)
    {
        return s.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : s;
    }

    // A folder of the files tree with its trailing separator, as the links store it.
    QString folder(const QString& relative)
    {
        const QString abs = files_ + u'/' + relative;
        QDir().mkpath(abs);
        return QDir::toNativeSeparators(abs) + pathSeparator();
    }

    void writePdf(const QString& path, const QString& title, const QStringList& lines)
    {
        QPdfWriter pdf(path);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(72);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("KvDokMan Demo"));
        QPainter p(&pdf);
        QFont f(QStringLiteral("DejaVu Sans"), 16, QFont::Bold);
        p.setFont(f);
        p.drawText(QRect(40, 40, 520, 40), Qt::AlignLeft, title);
        f.setPointSize(10);
        f.setBold(false);
        p.setFont(f);
        int y = 100;
        for (const QString& l : lines) {
            p.drawText(QRect(40, y, 520, 20), Qt::AlignLeft, l);
            y += 18;
        }
        p.drawText(QRect(40, 780, 520, 20), Qt::AlignLeft,
                   QStringLiteral("Krause Bau- & Eventtechnik GmbH · Demo-Dokument"));
        ++filesWritten;
    }

    void writePng(const QString& path, const QString& caption, int seed)
    {
        QImage img(240, 160, QImage::Format_RGB32);
        img.fill(QColor::fromHsv((seed * 47) % 360, 60, 235));
        QPainter p(&img);
        p.setPen(QPen(QColor::fromHsv((seed * 47) % 360, 200, 120), 6));
        p.drawRoundedRect(20, 30, 200, 90, 12, 12);
        p.drawEllipse(50, 100, 40, 40);
        p.drawEllipse(150, 100, 40, 40);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        p.drawText(QRect(6, 4, 228, 22), Qt::AlignCenter, caption);
        p.end();
        img.save(path, "PNG");
        ++filesWritten;
    }

    void writeText(const QString& path, const QString& text)
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            die(QStringLiteral("cannot write ") + path);
        f.write(text.toUtf8());
        ++filesWritten;
    }

    void users()
    {
        for (const QStringList& r : readTable(demo_ + QStringLiteral("/data/benutzer.txt")))
            execBound(QStringLiteral(
                          "INSERT INTO MRLUSER (KURZNAME, VORNAME, NACHNAME, PASSWORT, ABTEILUNG, INAKTIV) "
                          "VALUES (?, ?, ?, ?, ?, 0)"),
                      {field(r, 0), field(r, 1), field(r, 2), textOrNull(EncodePassword(field(r, 3))),
                       field(r, 4)});
    }

    void groups()
    {
        QList<int> indents;
        const QList<QStringList> rows = readTable(demo_ + QStringLiteral("/data/gruppen.txt"), &indents);
        QString main, group;
        int mainSort = 0, groupSort = 0, subSort = 0;
        for (int i = 0; i < rows.size(); ++i) {
            const QString name = field(rows[i], 0);
            const QString text = field(rows[i], 1);
            if (indents[i] == 0) {
                main = name;
                groupSort = 0;
                execBound(QStringLiteral(
                              "INSERT INTO ARTGRUPP (GRUPPENBEZ, BEZEICHNUNG, SORTKENNZ) VALUES (?, ?, ?)"),
                          {name, text, mainSort += 10});
            } else if (indents[i] == 2) {
                group = name;
                subSort = 0;
                execBound(
                    QStringLiteral("INSERT INTO AGRUPPEN (OBERGRUPPE, GRUPPE, BEZEICHNUNG, SORTKENNZ) VALUES "
                                   "(?, ?, ?, ?)"),
                    {main, name, text, groupSort += 10});
            } else {
                execBound(QStringLiteral(
                              "INSERT INTO AGRUPP2 (OBERGRUPPE, GRUPPE, UNTGRUPPE, BEZEICHNUNG, SORTKENNZ) "
                              "VALUES (?, ?, ?, ?, ?)"),
                          {main, group, name, text, subSort += 10});
            }
        }
    }

    void link(const QString& artnr, int lfdnr, const QString& folderText, const QString& name, bool exists)
    {
        execBound(
            QStringLiteral("INSERT INTO MARTBILD (ARTNR, LFDNR, DATEINAME, PFADNAME, TEXT, BILDKENNZ) VALUES "
                           "(?, ?, ?, ?, '', ?)"),
            {artnr, lfdnr, name, folderText, name.endsWith(QStringLiteral(".png")) ? 1 : 0});
        ++links;
        if (!exists)
            ++missing;
    }

    void articles()
    {
        const QList<QStringList> rows = readTable(demo_ + QStringLiteral("/data/artikel.txt"));
        QRandomGenerator rnd(4711);
        int family = 0;
        int number = 10000;
        const QLocale german(QLocale::German, QLocale::Germany);
        QStringList allArticles;
        for (const QStringList& r : rows) {
            ++family;
            const QStringList path = field(r, 0).split(u'/');
            const int art = field(r, 1).toInt();
            QStringList variants = field(r, 8).split(u';', Qt::SkipEmptyParts);
            if (variants.isEmpty())
                variants << QString();
            const double price = german.toDouble(field(r, 5));
            const QString main = path.value(0);
            const QString sheetFolder = folder(QStringLiteral("Artikel/") + main);
            const QString sheetName =
                QStringLiteral("Datenblatt_%1.pdf").arg(family, 3, 10, QLatin1Char('0'));
            const bool sheetMissing = family % 13 == 0;
            if (!sheetMissing)
                writePdf(files_ + QStringLiteral("/Artikel/") + main + u'/' + sheetName,
                         QStringLiteral("Datenblatt ") + field(r, 2),
                         {field(r, 3).replace(QStringLiteral("{}"), variants.join(QStringLiteral(" / "))),
                          QStringLiteral("Hersteller: ") + field(r, 4),
                          QStringLiteral("Gruppe: ") + field(r, 0)});
            for (int v = 0; v < variants.size(); ++v) {
                number += 10;
                const QString artnr = (art == 1   ? QStringLiteral("M")
                                       : art == 2 ? QStringLiteral("V")
                                       : art == 5 ? QStringLiteral("T")
                                                  : QStringLiteral("D")) +
                                      QString::number(number);
                allArticles << artnr;
                QString name = field(r, 3);
                name.replace(QStringLiteral("{}"), variants[v]);
                const QDate created = QDate(2019, 1, 1).addDays(int(rnd.bounded(2200)));
                execBound(
                    QStringLiteral(
                        "INSERT INTO MART (ARTNR, TYP, BEZEICHNUNG, OBERGRUPPE, GRUPPE, UNTGRUPPE, "
                        "HERSTELLER, LAGERORT, KENNZ1, KENNZ2, KENNZ3, KENNZ4, KENNZ5, ARTIKELART, "
                        "INAKTIV, EINHEIT, VKPREIS, GEWICHT, LANGTEXT, ERFDATUM) VALUES "
                        "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                    {artnr,
                     field(r, 2),
                     name,
                     main,
                     textOrNull(path.value(1)),
                     textOrNull(path.value(2)),
                     textOrNull(field(r, 4)),
                     textOrNull(field(r, 7)),
                     art == 1 ? QVariant(QStringLiteral("MIETE")) : QVariant(QMetaType(QMetaType::QString)),
                     v == 0 ? QVariant(QStringLiteral("TOP")) : QVariant(QMetaType(QMetaType::QString)),
                     textOrNull(QString()),
                     textOrNull(QString()),
                     textOrNull(QString()),
                     art,
                     number % 97 == 0 ? 1 : 0,
                     textOrNull(field(r, 6)),
                     field(r, 5).isEmpty() ? QVariant(QMetaType(QMetaType::Double))
                                           : QVariant(price + 10.0 * v),
                     art <= 2 ? QVariant(double(rnd.bounded(5000)) / 100.0)
                              : QVariant(QMetaType(QMetaType::Double)),
                     QStringLiteral("%1\n\nHersteller: %2\nEinheit: %3").arg(name, field(r, 4), field(r, 6)),
                     created.toString(Qt::ISODate)});
                if (art >= 3 && art != 5)
                    continue; // services and working time carry no documents
                int lfd = 0;
                if (art == 5) {
                    // Text articles: one text file each.
                    const QString f = folder(QStringLiteral("Texte"));
                    const QString fn = QStringLiteral("Textbaustein_") + artnr + QStringLiteral(".txt");
                    writeText(files_ + QStringLiteral("/Texte/") + fn,
                              name + QStringLiteral("\n\nDemo-Textbaustein.\n"));
                    link(artnr, ++lfd, f, fn, true);
                    continue;
                }
                if (v % 4 != 3)
                    link(artnr, ++lfd, sheetFolder, sheetName, !sheetMissing);
                if (v < 2) {
                    const QString photoFolder = folder(QStringLiteral("Fotos/") + main);
                    const QString photo = artnr + QStringLiteral(".png");
                    const bool photoMissing = number % 11 == 0;
                    if (!photoMissing)
                        writePng(files_ + QStringLiteral("/Fotos/") + main + u'/' + photo, name.left(34),
                                 number);
                    link(artnr, ++lfd, photoFolder, photo, !photoMissing);
                }
                if (art == 1 && v == 0) {
                    const QString f = folder(QStringLiteral("Anleitungen"));
                    const QString fn = QStringLiteral("Bedienungsanleitung %1.txt").arg(field(r, 2));
                    if (!QFile::exists(files_ + QStringLiteral("/Anleitungen/") + fn))
                        writeText(
                            files_ + QStringLiteral("/Anleitungen/") + fn,
                            QStringLiteral("Bedienungsanleitung %1\n\n1. Sichtprüfung vor Arbeitsbeginn.\n2. "
                                           "Nur eingewiesenes Personal.\n3. Nach Gebrauch reinigen.\n")
                                .arg(field(r, 2)));
                    link(artnr, ++lfd, f, fn, true);
                }
            }
        }
        drawings(allArticles);
    }

    // Drawings whose files were renamed from "P-<nr>" to "<nr>-P" (the automatic correction of
    // the invalid-link report finds them again), and a few links that are broken for good.
    void drawings(const QStringList& articles)
    {
        const QString f = folder(QStringLiteral("Zeichnungen"));
        const auto drawing = [&](const QString& onDisk, const QString& title) {
            writePdf(files_ + QStringLiteral("/Zeichnungen/") + onDisk, title,
                     {QStringLiteral("Werkstattzeichnung"), QStringLiteral("Maßstab 1:10")});
        };
        struct Drawing
        {
            int article;
            const char* linkName;
            const char* diskName; // nullptr: no file at all
        };
        const Drawing list[] = {
            {0, "P-4711.pdf", "4711-P.pdf"},
            {3, "P-4712.pdf", "4712-P.pdf"},
            {7, "P-4713.pdf", "4713-P.pdf"},
            {12, "p-4714.pdf", "4714-P.pdf"},
            {20, "P-4715.2.pdf", "4715-P.pdf"},
            {25, "P-4716", "4716-P"},
            {31, "P-4717.pdf", nullptr},
            {40, "P-4718.pdf", "4718.pdf"},
            {44, "4719-P.pdf", "4719-P.pdf"},
            {50, "Prüfbericht Bühne 2024.pdf", "Prüfbericht Bühne 2024.pdf"},
        };
        for (const Drawing& d : list) {
            const QString artnr = articles.value(d.article * 5 % articles.size());
            const QString linkName = QString::fromUtf8(d.linkName);
            if (d.diskName)
                drawing(QString::fromUtf8(d.diskName), QStringLiteral("Zeichnung ") + linkName);
            // The link exists on disk only when its own name is there.
            link(artnr, 20 + d.article, f, linkName, d.diskName && qstrcmp(d.linkName, d.diskName) == 0);
        }
        // A folder without its trailing separator, an empty file name, and a link whose
        // article no longer exists.
        const QString noSep = f.left(f.size() - 1);
        link(articles.value(2), 30, noSep, QStringLiteral("4711-P.pdf"), false);
        link(articles.value(4), 31, f, QString(), false);
        drawing(QStringLiteral("Altteil 0815.pdf"), QStringLiteral("Altteil"));
        link(QStringLiteral("X99999"), 1, f, QStringLiteral("Altteil 0815.pdf"), true);
        link(QStringLiteral("X99998"), 1, f, QStringLiteral("Altteil 0816.pdf"), false);
    }

    struct Contact
    {
        int adrnr;
        QString kurzname;
        bool supplier;
    };
    QList<Contact> contacts_;

    void contacts()
    {
        const QList<QStringList> rows = readTable(demo_ + QStringLiteral("/data/kontakte.txt"));
        QRandomGenerator rnd(815);
        int adrnr = 1000, kunde = 10000, lief = 70000;
        const QStringList subjects = {QStringLiteral("Angebot"),        QStringLiteral("Auftragsbestätigung"),
                                      QStringLiteral("Lieferschein"),   QStringLiteral("Mietvertrag"),
                                      QStringLiteral("Schriftverkehr"), QStringLiteral("Übergabeprotokoll")};
        const QStringList users = {QStringLiteral("ADMIN"), QStringLiteral("DEMO"), QStringLiteral("MK")};
        for (const QStringList& r : rows) {
            adrnr += 1 + int(rnd.bounded(5));
            const QString kind = field(r, 11);
            const bool customer = kind.contains(u'K');
            const bool supplier = kind.contains(u'L');
            const QString status = field(r, 12);
            execBound(
                QStringLiteral(
                    "INSERT INTO ADR (ADRNR, KURZNAME, ANSCHRIFT, STR, PLZ, ORT, LANDKENNZ, TELGESCH, "
                    "TELEFAX, TELMOBIL, TELPRIV, MAIL, HOMEPAGE, KUNDENNR, LIEFERNR, INAKTIV, STICHWORT, "
                    "BEMERKUNG, ERFDATUM) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {adrnr, field(r, 0), field(r, 1), field(r, 2), field(r, 3), field(r, 4), field(r, 5),
                 textOrNull(field(r, 6)), textOrNull(field(r, 7)), textOrNull(field(r, 8)),
                 textOrNull(QString()), textOrNull(field(r, 9)), textOrNull(field(r, 10)),
                 customer ? (kunde += 10) : 0, supplier ? (lief += 10) : 0,
                 status.isEmpty() ? QVariant(QMetaType(QMetaType::Int)) : QVariant(status.toInt()),
                 textOrNull(field(r, 13)), textOrNull(field(r, 14)),
                 QDate(2015, 3, 1).addDays(int(rnd.bounded(3000))).toString(Qt::ISODate)});
            contacts_ << Contact{adrnr, field(r, 0), supplier};

            // Documents of the contact.
            const int docs = int(rnd.bounded(5));
            if (docs == 0)
                continue;
            QString safe = field(r, 0);
            const QString f = folder(QStringLiteral("Kontakte/") + safe);
            for (int d = 0; d < docs; ++d) {
                const QString subject = subjects[int(rnd.bounded(subjects.size()))];
                const QDate date = QDate(2022, 1, 10).addDays(int(rnd.bounded(1300)));
                const bool pdf = rnd.bounded(3) != 0;
                const QString fn = QStringLiteral("%1 %2 %3.%4")
                                       .arg(subject, date.toString(QStringLiteral("yyyy-MM-dd")))
                                       .arg(d + 1)
                                       .arg(pdf ? QStringLiteral("pdf") : QStringLiteral("txt"));
                const bool gone = rnd.bounded(12) == 0;
                if (!gone) {
                    const QString path = files_ + QStringLiteral("/Kontakte/") + safe + u'/' + fn;
                    if (pdf)
                        writePdf(path, subject,
                                 {field(r, 1), field(r, 2), field(r, 3) + u' ' + field(r, 4), QString(),
                                  QStringLiteral("Datum: ") + date.toString(QStringLiteral("dd.MM.yyyy"))});
                    else
                        writeText(path, subject + QStringLiteral("\n\n") + field(r, 1) + u'\n' +
                                            date.toString(QStringLiteral("dd.MM.yyyy")) + u'\n');
                }
                execBound(QStringLiteral(
                              "INSERT INTO DOKUMENT (D_BEZUG_ADRNR, D_EMPF_KURZNAME, D_BEZUG_FORMULAR, "
                              "D_DOKUMENTENART, D_BEZUG_AUFTRNR, D_BEZUG_BESTELLNR, D_BEZUG_RECHNNR, "
                              "D_BEZUG_EINGERCHNR, D_PFAD, D_DATEINAME, D_BETREFF, D_BEMERKUNG, ERFDATUM, "
                              "ERFUSER) VALUES (?, ?, 3, 1, ?, 0, ?, 0, ?, ?, ?, ?, ?, ?)"),
                          {adrnr, field(r, 0),
                           subject == QStringLiteral("Auftragsbestätigung") ? 24000 + d : 0,
                           subject == QStringLiteral("Lieferschein") ? 51000 + d : 0, f, fn,
                           QString(subject + u' ' + field(r, 1).left(40)),
                           gone ? QStringLiteral("Datei fehlt") : QString(), date.toString(Qt::ISODate),
                           users[int(rnd.bounded(users.size()))]});
                ++links;
                if (gone)
                    ++missing;
            }
        }
    }

    void invoices()
    {
        QRandomGenerator rnd(2024);
        int id = 500, buchnr = 24000;
        const QLocale german(QLocale::German, QLocale::Germany);
        for (const Contact& c : std::as_const(contacts_)) {
            if (!c.supplier)
                continue;
            const int n = 2 + int(rnd.bounded(4));
            for (int i = 0; i < n; ++i) {
                ++id;
                ++buchnr;
                const QDate date = QDate(2023, 1, 5).addDays(int(rnd.bounded(900)));
                const double amount = double(rnd.bounded(500000)) / 100.0;
                const QString rechnr =
                    QStringLiteral("R%1-%2").arg(date.year()).arg(rnd.bounded(90000) + 10000);
                execBound(QStringLiteral(
                              "INSERT INTO EINGANGSRECH (ID, BUCHNR, LIEFERNR, RECHNR, RECHDATUM, BETRAG, "
                              "ERFDATUM, ERFUSER) VALUES (?, ?, ?, ?, ?, ?, ?, 'SÖ')"),
                          {id, buchnr, c.adrnr, rechnr, date.toString(Qt::ISODate), amount,
                           date.addDays(3).toString(Qt::ISODate)});
                const QString year = QString::number(date.year());
                const QString f = folder(QStringLiteral("Eingangsrechnungen/") + year);
                const QString fn = QStringLiteral("ER_%1.pdf").arg(buchnr);
                const bool gone = rnd.bounded(9) == 0;
                if (!gone)
                    writePdf(
                        files_ + QStringLiteral("/Eingangsrechnungen/") + year + u'/' + fn,
                        QStringLiteral("Rechnung ") + rechnr,
                        {c.kurzname,
                         QStringLiteral("Rechnungsdatum: ") + date.toString(QStringLiteral("dd.MM.yyyy")),
                         QStringLiteral("Betrag: ") + german.toString(amount, 'f', 2) +
                             QStringLiteral(" EUR")});
                execBound(QStringLiteral(
                              "INSERT INTO DOKUMENT (D_BEZUG_ADRNR, D_EMPF_KURZNAME, D_BEZUG_FORMULAR, "
                              "D_DOKUMENTENART, D_BEZUG_AUFTRNR, D_BEZUG_BESTELLNR, D_BEZUG_RECHNNR, "
                              "D_BEZUG_EINGERCHNR, D_PFAD, D_DATEINAME, D_BETREFF, D_BEMERKUNG, ERFDATUM, "
                              "ERFUSER) VALUES (?, ?, 7, 2, 0, 0, 0, ?, ?, ?, ?, '', ?, 'SÖ')"),
                          {c.adrnr, c.kurzname, id, f, fn,
                           QString(QStringLiteral("Eingangsrechnung ") + rechnr),
                           date.addDays(3).toString(Qt::ISODate)});
                ++links;
                if (gone)
                    ++missing;
            }
        }
        // A document of an invoice that was deleted in the ERP.
        const QString f = folder(QStringLiteral("Eingangsrechnungen/2023"));
        execBound(
            QStringLiteral(
                "INSERT INTO DOKUMENT (D_BEZUG_ADRNR, D_EMPF_KURZNAME, D_BEZUG_FORMULAR, D_DOKUMENTENART, "
                "D_BEZUG_AUFTRNR, D_BEZUG_BESTELLNR, D_BEZUG_RECHNNR, D_BEZUG_EINGERCHNR, D_PFAD, "
                "D_DATEINAME, D_BETREFF, D_BEMERKUNG, ERFDATUM, ERFUSER) VALUES (0, 'UNBEKANNT', 7, 2, 0, "
                "0, 0, 999, ?, 'ER_23999.pdf', 'Rechnung ohne Beleg', '', '2023-12-29', 'SÖ')"),
            {f});
        ++links;
        ++missing;
    }

    QString demo_;
    QString files_;
    std::unique_ptr<QSqlQuery> q_;
};

QDateTime newestInput(const QString& demo)
{
    QDateTime newest = QFileInfo(QCoreApplication::applicationFilePath()).lastModified();
    const QFileInfoList data = QDir(demo + QStringLiteral("/data")).entryInfoList(QDir::Files);
    for (const QFileInfo& fi : data)
        newest = std::max(newest, fi.lastModified());
    return newest;
}

// The manual's pages, in the order of the archive.
const QStringList kManualPages = {
    QStringLiteral("index.htm"),     QStringLiteral("start.htm"),        QStringLiteral("artikel.htm"),
    QStringLiteral("kontakte.htm"),  QStringLiteral("ungueltig.htm"),    QStringLiteral("dateimanager.htm"),
    QStringLiteral("viewer.htm"),
};

void writeManual(const QString& demo)
{
    const QString folder = demo + QStringLiteral("/Hilfe");
    if (!QFileInfo::exists(folder + u'/' + kManualPages.first())) {
        std::printf("gen_demo: no manual pages in %s\n", qPrintable(folder));
        return;
    }
    const QString target = folder + QStringLiteral("/bed_anleitung_dokman.mht");
    QString error;
    if (!WriteHelpArchive(folder, kManualPages, QStringLiteral("KORVAN-DokumentenManager – Anleitung"), target,
                          &error))
        die(error);
    std::printf("gen_demo: manual %s\n", qPrintable(target));
}

// The demo's documents as the file manager's start folder of every demo user who has not chosen one.
void seedFileManagerRoot(const QString& demo)
{
    const QString userFolder = demo + QStringLiteral("/User");
    QDir().mkpath(userFolder);
    const QString files = QDir::toNativeSeparators(demo + QStringLiteral("/files"));
    const QString section = QStringLiteral("KvDokManDatMan");
    const QString key = QStringLiteral("RootFolder");
    for (const QStringList& r : readTable(demo + QStringLiteral("/data/benutzer.txt"))) {
        // The file name as the program builds it after the login (the short name as stored).
        IniFile ini(MakeSettingsFileName(userFolder, field(r, 0).left(10)));
        const auto keys = ini.readSection(section);
        const bool chosen = std::any_of(keys.begin(), keys.end(), [&](const QPair<QString, QString>& kv) {
            return kv.first.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (!chosen && !ini.writeString(section, key, files))
            die(QStringLiteral("cannot write ") + ini.path());
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QStringList positional = QStringList(args).filter(QRegularExpression(QStringLiteral("^[^-]")));
    if (positional.size() != 1) {
        std::fprintf(stderr, "usage: gen_demo DEMO_DIR [--if-needed]\n");
        return 2;
    }
    const QString demo = QDir(positional[0]).absolutePath();
    if (!QFileInfo::exists(demo + QStringLiteral("/data/artikel.txt")))
        die(demo + QStringLiteral(" holds no data/artikel.txt"));
    const QString dbFile = demo + QStringLiteral("/kvdemo.db");
    if (args.contains(QStringLiteral("--if-needed")) && QFileInfo::exists(dbFile) &&
        QFileInfo::exists(demo + QStringLiteral("/files")) &&
        QFileInfo(dbFile).lastModified() > newestInput(demo)) {
        std::printf("gen_demo: %s is up to date\n", qPrintable(dbFile));
        writeManual(demo);
        seedFileManagerRoot(demo);
        return 0;
    }
    const QString tmp = dbFile + QStringLiteral(".tmp");
    QFile::remove(tmp);
    Generator g(demo);
    g.run(tmp);
    QFile::remove(dbFile);
    if (!QFile::rename(tmp, dbFile))
        die(QStringLiteral("cannot rename ") + tmp);
    std::printf("gen_demo: %s: %d links (%d to missing files), %d files in %s/files\n", qPrintable(dbFile),
                g.links, g.missing, g.filesWritten, qPrintable(demo));
    writeManual(demo);
    seedFileManagerRoot(demo);
    return 0;
}
