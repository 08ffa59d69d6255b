// SPDX-License-Identifier: GPL-3.0-or-later
// Builds a large ERP database of the program's schema for benchmarks, with the linked files on
// disk (empty files; the program only tests whether they exist).
//
//   gen_bigdb --sqlite FILE [options]
//   gen_bigdb --mariadb [--host H] [--port P] [--user U] [--password PW] [--database DB] [options]
//
// Options (defaults in brackets):
//   --articles N [100000]        --links N [300000] article links (MARTBILD)
//   --contacts N [50000]         --documents N [150000] contact documents (DOKUMENT)
//   --invoice-links N [20000]    incoming invoices, each with one document
//   --missing PERCENT [2]        share of links whose file is not created; a tenth of them are
//                                "P-" names whose file exists renamed to "<nr>-P"
//   --files DIR [<temp>/kvbig-files]   folder of the files (emptied first)
//   --no-files                   do not create files
//   --seed N [1]
// MariaDB settings default to the variables of the test server (KV_MARIADB_HOST, _PORT, _USER,
// _PASSWORD) and the database "kvbig" (created when missing).

#include "db/schema.h"
#include "util/helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>

namespace {

[[noreturn]] void die(const QString& text)
{
    std::fprintf(stderr, "gen_bigdb: %s\n", qPrintable(text));
    std::exit(1);
}

struct Options
{
    QString sqliteFile;
    bool mariadb = false;
    QString host, user, password, database = QStringLiteral("kvbig");
    int port = 3306;
    int articles = 100000, links = 300000, contacts = 50000, documents = 150000, invoiceLinks = 20000;
    double missingPercent = 2.0;
    QString filesDir = QDir::tempPath() + QStringLiteral("/kvbig-files");
    bool files = true;
    quint32 seed = 1;
};

// Inserts rows in batches: prepared statements on SQLite, multi-row INSERTs on MariaDB.
class Inserter
{
public:
    Inserter(QSqlDatabase db, bool multiRow) : db_(db), multiRow_(multiRow), q_(db) {}

    void begin(const QString& table, const QStringList& columns)
    {
        flush();
        table_ = table;
        columns_ = columns;
        if (!multiRow_) {
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?");
            if (!q_.prepare(QStringLiteral("INSERT INTO ") + table + u'(' + columns.join(u',') +
                            QStringLiteral(") VALUES (") + marks.join(u',') + u')'))
                die(q_.lastError().text());
        }
    }

    void add(const QVariantList& values)
    {
        ++rows;
        if (!multiRow_) {
            for (int i = 0; i < values.size(); ++i)
                q_.bindValue(i, values[i]);
            if (!q_.exec())
                die(q_.lastError().text());
            return;
        }
        QStringList literals;
        for (const QVariant& v : values)
            literals << literal(v);
        batch_ << u'(' + literals.join(u',') + u')';
        if (batch_.size() >= 1000)
            flush();
    }

    void flush()
    {
        if (batch_.isEmpty())
            return;
        QSqlQuery q(db_);
        if (!q.exec(QStringLiteral("INSERT INTO ") + table_ + u'(' + columns_.join(u',') +
                    QStringLiteral(") VALUES ") + batch_.join(u',')))
            die(q.lastError().text());
        batch_.clear();
    }

    qint64 rows = 0;

private:
    static QString literal(const QVariant& v)
    {
        if (v.isNull())
            return QStringLiteral("NULL");
        switch (v.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Double:
            return v.toString();
        default: {
            QString s = v.toString();
            s.replace(u'\\', QStringLiteral("\\\\"));
            s.replace(u'\'', QStringLiteral("''"));
            return u'\'' + s + u'\'';
        }
        }
    }

    QSqlDatabase db_;
    bool multiRow_;
    QSqlQuery q_;
    QString table_;
    QStringList columns_;
    QStringList batch_;
};

class Files
{
public:
    Files(const Options& o) : enabled_(o.files), base_(QDir(o.filesDir).absolutePath())
    {
        if (enabled_) {
            QDir(base_).removeRecursively();
            QDir().mkpath(base_);
        }
    }
    // A folder (with trailing separator) for item number n of a kind; 1000 files per folder.
    QString folder(const QString& kind, qint64 n)
    {
        const QString rel = kind + u'/' + QString::number(n / 1000).rightJustified(4, u'0');
        const QString abs = base_ + u'/' + rel;
        if (enabled_ && !made_.contains(rel)) {
            QDir().mkpath(abs);
            made_.insert(rel);
        }
        return QDir::toNativeSeparators(abs) + pathSeparator();
    }
    void create(const QString& folder, const QString& name)
    {
        if (!enabled_)
            return;
        QFile f(folder + name);
        if (!f.open(QIODevice::WriteOnly))
            die(QStringLiteral("cannot create ") + folder + name);
        ++created;
    }
    qint64 created = 0;
    QString base() const { return base_; }

private:
    bool enabled_;
    QString base_;
    QSet<QString> made_;
};

const char* const kWords[] = {"Schraube", "Mutter", "Scheibe", "Winkel", "Platte",   "Rohr",
                              "Flansch",  "Ventil", "Pumpe",   "Motor",  "Kabel",    "Stecker",
                              "Lager",    "Welle",  "Gehäuse", "Deckel", "Dichtung", "Feder",
                              "Bolzen",   "Halter", "Schiene", "Profil", "Blech",    "Düse"};
const char* const kMaterials[] = {"Stahl",      "Edelstahl", "Messing", "Aluminium",
                                  "Kunststoff", "Gummi",     "Guss",    "Kupfer"};
const char* const kTowns[] = {"Heilbronn", "Stuttgart", "München", "Köln",     "Hamburg",  "Berlin",
                              "Leipzig",   "Würzburg",  "Ulm",     "Mannheim", "Freiburg", "Nürnberg",
                              "Dresden",   "Bremen",    "Kassel",  "Trier"};

template <size_t N> QString pick(const char* const (&list)[N], QRandomGenerator& rnd)
{
    return QString::fromUtf8(list[rnd.bounded(int(N))]);
}

Options parse(const QStringList& args)
{
    Options o;
    o.host = qEnvironmentVariable("KV_MARIADB_HOST", QStringLiteral("127.0.0.1"));
    o.port = qEnvironmentVariableIntValue("KV_MARIADB_PORT");
    if (o.port == 0)
        o.port = 3306;
    o.user = qEnvironmentVariable("KV_MARIADB_USER", QStringLiteral("root"));
    o.password = qEnvironmentVariable("KV_MARIADB_PASSWORD");
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        const auto next = [&]() {
            if (i + 1 >= args.size())
                die(a + QStringLiteral(" needs a value"));
            return args[++i];
        };
        if (a == u"--sqlite")
            o.sqliteFile = next();
        else if (a == u"--mariadb")
            o.mariadb = true;
        else if (a == u"--host")
            o.host = next();
        else if (a == u"--port")
            o.port = next().toInt();
        else if (a == u"--user")
            o.user = next();
        else if (a == u"--password")
            o.password = next();
        else if (a == u"--database")
            o.database = next();
        else if (a == u"--articles")
            o.articles = next().toInt();
        else if (a == u"--links")
            o.links = next().toInt();
        else if (a == u"--contacts")
            o.contacts = next().toInt();
        else if (a == u"--documents")
            o.documents = next().toInt();
        else if (a == u"--invoice-links")
            o.invoiceLinks = next().toInt();
        else if (a == u"--missing")
            o.missingPercent = next().toDouble();
        else if (a == u"--files")
            o.filesDir = next();
        else if (a == u"--no-files")
            o.files = false;
        else if (a == u"--seed")
            o.seed = next().toUInt();
        else
            die(QStringLiteral("unknown argument ") + a +
                QStringLiteral(" (see the comment at the top of gen_bigdb.cpp)"));
    }
    if (o.sqliteFile.isEmpty() == !o.mariadb)
        die(QStringLiteral("give either --sqlite FILE or --mariadb"));
    if (o.articles < 1 || o.contacts < 1)
        die(QStringLiteral("--articles and --contacts must be at least 1"));
    return o;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const Options o = parse(app.arguments().mid(1));
    QElapsedTimer total;
    total.start();

    const DatabaseType type = o.mariadb ? DatabaseType::MYSQL : DatabaseType::SQLITE;
    QSqlDatabase db;
    if (o.mariadb) {
        {
            QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("admin"));
            admin.setHostName(o.host);
            admin.setPort(o.port);
            admin.setUserName(o.user);
            admin.setPassword(o.password);
            if (!admin.open())
                die(admin.lastError().text());
            QSqlQuery q(admin);
            if (!q.exec(QStringLiteral("CREATE DATABASE IF NOT EXISTS `") + o.database +
                        QStringLiteral("` CHARACTER SET utf8mb4")))
                die(q.lastError().text());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("admin"));
        db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), QStringLiteral("big"));
        db.setHostName(o.host);
        db.setPort(o.port);
        db.setUserName(o.user);
        db.setPassword(o.password);
        db.setDatabaseName(o.database);
    } else {
        QFile::remove(o.sqliteFile);
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("big"));
        db.setDatabaseName(o.sqliteFile);
    }
    if (!db.open())
        die(db.lastError().text());
    {
        QSqlQuery q(db);
        if (o.mariadb)
            for (const QString& t : schemaTables(type))
                q.exec(QStringLiteral("DROP TABLE IF EXISTS ") + t);
        else
            q.exec(QStringLiteral("PRAGMA journal_mode=OFF")),
                q.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        for (const QString& s : schemaStatements(type))
            if (!q.exec(s))
                die(q.lastError().text() + QStringLiteral(": ") + s);
    }
    const auto table = [&](const char* name) {
        const QString n = QString::fromLatin1(name);
        return o.mariadb ? n.toLower() : n;
    };

    QRandomGenerator rnd(o.seed);
    Files files(o);
    Inserter ins(db, o.mariadb);
    db.transaction();
    QElapsedTimer phase;
    phase.start();

    // Users and groups.
    ins.begin(table("MRLUSER"), {QStringLiteral("KURZNAME"), QStringLiteral("VORNAME"),
                                 QStringLiteral("NACHNAME"), QStringLiteral("PASSWORT")});
    ins.add({QStringLiteral("BENCH"), QStringLiteral("Bench"), QStringLiteral("Mark"),
             EncodePassword(QStringLiteral("bench"))});
    const int mains = 20, groupsPer = 10, subsPer = 5;
    ins.begin(table("ARTGRUPP"), {QStringLiteral("GRUPPENBEZ"), QStringLiteral("SORTKENNZ")});
    for (int m = 0; m < mains; ++m) {
        if (m % 7 == 0)
            ins.add({QStringLiteral("+BEREICH%1").arg(m / 7 + 1), m * 10});
        ins.add({QStringLiteral("HG%1").arg(m, 2, 10, QLatin1Char('0')), m * 10 + 1});
    }
    ins.begin(table("AGRUPPEN"),
              {QStringLiteral("OBERGRUPPE"), QStringLiteral("GRUPPE"), QStringLiteral("SORTKENNZ")});
    for (int m = 0; m < mains; ++m)
        for (int g = 0; g < groupsPer; ++g)
            ins.add(
                {QStringLiteral("HG%1").arg(m, 2, 10, QLatin1Char('0')), QStringLiteral("G%1").arg(g), g});
    ins.begin(table("AGRUPP2"), {QStringLiteral("OBERGRUPPE"), QStringLiteral("GRUPPE"),
                                 QStringLiteral("UNTGRUPPE"), QStringLiteral("SORTKENNZ")});
    for (int m = 0; m < mains; ++m)
        for (int g = 0; g < groupsPer; ++g)
            for (int u = 0; u < subsPer; ++u)
                ins.add({QStringLiteral("HG%1").arg(m, 2, 10, QLatin1Char('0')), QStringLiteral("G%1").arg(g),
                         QStringLiteral("U%1").arg(u), u});

    // Articles.
    ins.begin(table("MART"),
              {QStringLiteral("ARTNR"), QStringLiteral("TYP"), QStringLiteral("BEZEICHNUNG"),
               QStringLiteral("OBERGRUPPE"), QStringLiteral("GRUPPE"), QStringLiteral("UNTGRUPPE"),
               QStringLiteral("HERSTELLER"), QStringLiteral("LAGERORT"), QStringLiteral("KENNZ1"),
               QStringLiteral("ARTIKELART"), QStringLiteral("INAKTIV"), QStringLiteral("VKPREIS"),
               QStringLiteral("GEWICHT"), QStringLiteral("ERFDATUM")});
    const auto artnr = [](int i) { return QStringLiteral("A%1").arg(i, 7, 10, QLatin1Char('0')); };
    for (int i = 0; i < o.articles; ++i) {
        const int m = int(rnd.bounded(mains));
        const QString word = pick(kWords, rnd);
        ins.add({artnr(i), word,
                 QString(word + u' ' + pick(kMaterials, rnd) + QStringLiteral(" Nr. ") + QString::number(i)),
                 QStringLiteral("HG%1").arg(m, 2, 10, QLatin1Char('0')),
                 QStringLiteral("G%1").arg(rnd.bounded(groupsPer)),
                 QStringLiteral("U%1").arg(rnd.bounded(subsPer)),
                 QStringLiteral("Hersteller %1").arg(rnd.bounded(300)),
                 QStringLiteral("R%1").arg(rnd.bounded(50)), QString(), int(1 + rnd.bounded(5)),
                 int(rnd.bounded(20) == 0), double(rnd.bounded(100000)) / 100.0,
                 double(rnd.bounded(10000)) / 100.0, QStringLiteral("2015-01-01")});
    }
    std::printf("articles: %d in %.1f s\n", o.articles, phase.restart() / 1000.0);

    // Article links: links per article spread around the average.
    const double missShare = o.missingPercent / 100.0;
    qint64 missing = 0, renamed = 0;
    ins.begin(table("MARTBILD"),
              {QStringLiteral("ARTNR"), QStringLiteral("LFDNR"), QStringLiteral("DATEINAME"),
               QStringLiteral("PFADNAME"), QStringLiteral("TEXT"), QStringLiteral("BILDKENNZ")});
    {
        qint64 made = 0;
        for (int i = 0; i < o.articles && made < o.links; ++i) {
            const qint64 left = o.links - made;
            const int articlesLeft = o.articles - i;
            const double mean = double(left) / articlesLeft;
            int n = articlesLeft == 1 ? int(left) : int(rnd.bounded(int(2 * mean) + 1));
            n = int(std::min<qint64>(n, left));
            n = std::min(n, 32767);
            for (int l = 1; l <= n; ++l) {
                const qint64 k = made++;
                const QString folder = files.folder(QStringLiteral("art"), k);
                QString name = artnr(i) + u'_' + QString::number(l) +
                               (l % 3 ? QStringLiteral(".pdf") : QStringLiteral(".png"));
                if (rnd.generateDouble() < missShare) {
                    ++missing;
                    if (rnd.bounded(10) == 0) {
                        // Renamed from "P-<nr>.pdf" to "<nr>-P.pdf".
                        const QString nr = QString::number(100000 + k);
                        name = QStringLiteral("P-") + nr + QStringLiteral(".pdf");
                        files.create(folder, nr + QStringLiteral("-P.pdf"));
                        ++renamed;
                    }
                } else {
                    files.create(folder, name);
                }
                ins.add({artnr(i), l, name, folder, QString(), int(l % 3 == 0)});
            }
        }
        std::printf("article links: %lld in %.1f s\n", made, phase.restart() / 1000.0);
    }

    // Contacts, their documents, incoming invoices with one document each.
    ins.begin(table("ADR"),
              {QStringLiteral("ADRNR"), QStringLiteral("KURZNAME"), QStringLiteral("ANSCHRIFT"),
               QStringLiteral("STR"), QStringLiteral("PLZ"), QStringLiteral("ORT"),
               QStringLiteral("LANDKENNZ"), QStringLiteral("TELGESCH"), QStringLiteral("MAIL"),
               QStringLiteral("KUNDENNR"), QStringLiteral("LIEFERNR"), QStringLiteral("INAKTIV")});
    for (int i = 1; i <= o.contacts; ++i) {
        const QString town = pick(kTowns, rnd);
        const bool supplier = i % 10 == 0;
        ins.add({i, QStringLiteral("KD%1").arg(i), QStringLiteral("Firma %1 GmbH").arg(i),
                 QStringLiteral("Hauptstraße %1").arg(rnd.bounded(200) + 1),
                 QString::number(10000 + rnd.bounded(89999)), town, QStringLiteral("D"),
                 QStringLiteral("0%1 %2").arg(rnd.bounded(9000) + 1000).arg(rnd.bounded(999999)),
                 QStringLiteral("info@firma%1.example").arg(i), supplier ? 0 : 10000 + i,
                 supplier ? 70000 + i : 0, int(rnd.bounded(4) == 0 ? 1 : 0)});
    }
    const QStringList docColumns = {QStringLiteral("D_BEZUG_ADRNR"),    QStringLiteral("D_EMPF_KURZNAME"),
                                    QStringLiteral("D_BEZUG_FORMULAR"), QStringLiteral("D_DOKUMENTENART"),
                                    QStringLiteral("D_BEZUG_AUFTRNR"),  QStringLiteral("D_BEZUG_BESTELLNR"),
                                    QStringLiteral("D_BEZUG_RECHNNR"),  QStringLiteral("D_BEZUG_EINGERCHNR"),
                                    QStringLiteral("D_PFAD"),           QStringLiteral("D_DATEINAME"),
                                    QStringLiteral("D_BETREFF"),        QStringLiteral("D_BEMERKUNG"),
                                    QStringLiteral("ERFDATUM"),         QStringLiteral("ERFUSER")};
    ins.begin(table("DOKUMENT"), docColumns);
    for (int k = 0; k < o.documents; ++k) {
        const int adr = int(1 + rnd.bounded(o.contacts));
        const QString folder = files.folder(QStringLiteral("dok"), k);
        const QString name = QStringLiteral("Schreiben_%1.pdf").arg(k);
        if (rnd.generateDouble() < missShare)
            ++missing;
        else
            files.create(folder, name);
        ins.add({adr, QStringLiteral("KD%1").arg(adr), 3, 1, 0, 0, 0, 0, folder, name,
                 QStringLiteral("Schreiben"), QString(),
                 QDate(2020, 1, 1).addDays(int(rnd.bounded(2000))).toString(Qt::ISODate),
                 QStringLiteral("BENCH")});
    }
    std::printf("contacts: %d, documents: %d in %.1f s\n", o.contacts, o.documents, phase.restart() / 1000.0);
    ins.begin(table("EINGANGSRECH"),
              {QStringLiteral("ID"), QStringLiteral("BUCHNR"), QStringLiteral("LIEFERNR"),
               QStringLiteral("RECHNR"), QStringLiteral("BETRAG"), QStringLiteral("ERFDATUM")});
    for (int i = 1; i <= o.invoiceLinks; ++i)
        ins.add({i, 100000 + i, int(1 + rnd.bounded(o.contacts)), QStringLiteral("R-%1").arg(i),
                 double(rnd.bounded(1000000)) / 100.0,
                 QDate(2021, 1, 1).addDays(i % 1500).toString(Qt::ISODate)});
    ins.begin(table("DOKUMENT"), docColumns);
    for (int i = 1; i <= o.invoiceLinks; ++i) {
        const QString folder = files.folder(QStringLiteral("er"), i);
        const QString name = QStringLiteral("ER_%1.pdf").arg(100000 + i);
        if (rnd.generateDouble() < missShare)
            ++missing;
        else
            files.create(folder, name);
        const int adr = int(1 + rnd.bounded(o.contacts));
        ins.add({adr, QStringLiteral("KD%1").arg(adr), 7, 2, 0, 0, 0, i, folder, name,
                 QStringLiteral("Eingangsrechnung"), QString(),
                 QDate(2021, 1, 1).addDays(i % 1500).toString(Qt::ISODate), QStringLiteral("BENCH")});
    }
    ins.flush();
    if (!db.commit())
        die(db.lastError().text());
    std::printf("invoices with documents: %d in %.1f s\n", o.invoiceLinks, phase.restart() / 1000.0);
    std::printf(
        "total: %lld rows, %lld files in %s, %lld links to missing files (%lld of them renamed P- names), "
        "%.1f s\n",
        ins.rows, files.created, qPrintable(files.base()), missing, renamed, total.elapsed() / 1000.0);
    db.close();
    return 0;
}
