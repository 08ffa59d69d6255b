// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: start-up phases, login, exit, commands, hints and the wait panel.
#include "app/application.h"
#include "app/dlganmeldung.h"
#include "app/dlginputpara.h"
#include "app/frmmain.h"
#include "app/hinthandler.h"
#include "db/dialect.h"
#include "db/query.h"
#include "scriptedmessages.h"
#include "testdb.h"
#include "util/helpers.h"
#include "util/inifile.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QStackedWidget>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

// Runs one login dialog: shows it, lets steps act on it and returns its result.
std::function<int(QDialog&)> loginHandler(std::function<void(TDlgAnmeldung&)> steps)
{
    return [steps](QDialog& d) {
        auto* dlg = qobject_cast<TDlgAnmeldung*>(&d);
        if (!dlg)
            return -1;
        d.show();
        if (!QTest::qWaitForWindowActive(&d))
            qWarning("login dialog not active");
        steps(*dlg);
        const int r = d.result();
        d.hide();
        return r;
    };
}

} // namespace

class TestFrmMain : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> tdb_;
    std::unique_ptr<ScriptedMessages> sm_;
    int connectCalls_ = 0;

    QString path(const QString& name) const { return QDir(tdb_->dir()).filePath(name); }
    QString iniPath() const { return path(QStringLiteral("KORVAN.INI")); }

    void writeIni(const QString& driver = QStringLiteral("SQLITE"))
    {
        IniFile ini(iniPath());
        ini.writeString(QStringLiteral("Path"), QStringLiteral("Prog"), tdb_->dir());
        ini.writeString(QStringLiteral("Path"), QStringLiteral("Help"), path(QStringLiteral("Hilfe")));
        ini.writeString(QStringLiteral("Path"), QStringLiteral("User"), path(QStringLiteral("User")));
        ini.writeString(QStringLiteral("Path"), QStringLiteral("Update"), path(QStringLiteral("Update")));
        ini.writeString(QStringLiteral("Options"), QStringLiteral("Database"), QStringLiteral("DEMO"));
        ini.writeString(QStringLiteral("Options"), QStringLiteral("DatabaseDriverName"), driver);
        ini.writeString(QStringLiteral("Options"), QStringLiteral("DatabaseName"), tdb_->fileName());
    }

    void createDatabase()
    {
        tdb_ = std::make_unique<TestDatabase>();
        QVERIFY(tdb_->isOpen());
        QVERIFY(tdb_->exec(QStringList{
            "INSERT INTO MRLUSER (KURZNAME, VORNAME, NACHNAME, PASSWORT) VALUES ('ANNA', 'Anna', 'Berg', '" +
                EncodePassword("geheim") + "')",
            "INSERT INTO MRLUSER (KURZNAME, VORNAME, NACHNAME, PASSWORT) VALUES ('LEER', 'Lena', 'Eer', "
            "NULL)",
            "INSERT INTO MRLUSER (KURZNAME, VORNAME, NACHNAME, PASSWORT) VALUES ('BERND', 'Bernd', 'Lang', "
            "'" +
                EncodePassword("abc") + "')"}));
    }

    QStringList args(const QStringList& extra = {}) const
    {
        return QStringList{QStringLiteral("/K:") + path(QStringLiteral("KORVAN"))} + extra;
    }

    // First and second start-up phase, as the program entry runs them.
    std::unique_ptr<TFrmMain> start(const QStringList& extra = {})
    {
        auto w = std::make_unique<TFrmMain>(args(extra));
        w->FormShow();
        return w;
    }

    QString cfgPath(const QString& user) const
    {
        return path(QStringLiteral("User/") + user + QStringLiteral(".CFG"));
    }

private slots:
    void init()
    {
        createDatabase();
        sm_ = std::make_unique<ScriptedMessages>();
        connectCalls_ = 0;
        TFrmMain::setConnectFunction([this](AppContext&) { ++connectCalls_; });
        TFrmMain::setHelpWindowFactory({}, {});
        TFrmMain::setFileManagerFactory({});
        writeIni();
        QSettings(QStringLiteral("KvDokMan"), QStringLiteral("KvDokMan")).clear();
    }

    void cleanup()
    {
        sm_.reset();
        db::clearTerminationRequest();
        tdb_.reset();
    }

    void automaticLogin_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QString>("message");
        QTest::newRow("right") << QStringList{"/U:ANNA", "/P:geheim"} << true << QString();
        QTest::newRow("password in other case") << QStringList{"/U=ANNA", "/p:GeHeIm"} << true << QString();
        QTest::newRow("wrong password") << QStringList{"/U:ANNA", "/P:falsch"} << false
                                        << "Falsche Anmeldung!\nBitte korrektes Passwort angeben!";
        QTest::newRow("unknown user") << QStringList{"/U:NIEMAND", "/P:x"} << false
                                      << "Falsche Anmeldung!\nBitte Kurznamen überprüfen!";
        // The command-line name is looked up as typed.
        QTest::newRow("name as typed") << QStringList{"/U:anna", "/P:geheim"} << false
                                       << "Falsche Anmeldung!\nBitte Kurznamen überprüfen!";
        // An apostrophe in the name does not break the lookup's SQL.
        QTest::newRow("apostrophe") << QStringList{"/U:O'NEIL", "/P:x"} << false
                                    << "Falsche Anmeldung!\nBitte Kurznamen überprüfen!";
        // "/P=" gives a password of one blank, which is not the empty stored password.
        QTest::newRow("empty switch value") << QStringList{"/U:LEER", "/P="} << false
                                            << "Falsche Anmeldung!\nBitte korrektes Passwort angeben!";
    }

    void automaticLogin()
    {
        QFETCH(QStringList, extra);
        QFETCH(bool, loggedIn);
        QFETCH(QString, message);
        {
            auto w = start(extra);
            QCOMPARE(sm_->dialogsRun, 0);
            QCOMPARE(w->programEnded(), !loggedIn);
            if (loggedIn) {
                QVERIFY(sm_->shown.isEmpty());
                const AppContext& ctx = w->context();
                QCOMPARE(ctx.shortName, QStringLiteral("ANNA"));
                QCOMPARE(ctx.fullName, QStringLiteral("Anna Berg"));
                QCOMPARE(w->panUser->text(), QStringLiteral("ANNA"));
                QCOMPARE(w->panUser->toolTip(), QStringLiteral("ANNA (Anna Berg)"));
                QCOMPARE(w->panVers->text(), QStringLiteral("2.0.131015"));
                QCOMPARE(w->panDB->text(), QStringLiteral("DEMO"));
                QCOMPARE(ctx.settingsFileName, cfgPath(QStringLiteral("ANNA")));
                QCOMPARE(w->LMDPageControl1->currentWidget(), w->tsMenu);
                QVERIFY(!ctx.qry1->isOpen());
            } else {
                QCOMPARE(sm_->texts(), QStringList{message});
                QCOMPARE(sm_->shown.first().kind, Messages::Kind::Error);
                QVERIFY(w->context().settingsFileName.isEmpty());
                QVERIFY(!w->context().qry1->isOpen());
            }
        }
        // Nothing is written to the settings store after a failed login.
        QCOMPARE(QFile::exists(cfgPath(QStringLiteral("ANNA"))), loggedIn);
        QCOMPARE(QFileInfo::exists(path(QStringLiteral("User"))), loggedIn);
    }

    void startUpThroughConnectDatabase()
    {
        // The program's own connection to the database file named in KORVAN.INI.
        TFrmMain::setConnectFunction({});
        QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
        QVERIFY(!QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false).isOpen());
        auto w = start({"/U:ANNA", "/P:geheim"});
        QVERIFY(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false).isOpen());
        QVERIFY(!w->programEnded());
        QVERIFY(sm_->shown.isEmpty());
        QCOMPARE(w->context().fullName, QStringLiteral("Anna Berg"));
    }

    void dialogLoginWrongUserThenWrongPasswordThenRight()
    {
        QStringList seen;
        sm_->dialogHandlers.enqueue(loginHandler([&](TDlgAnmeldung& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("KORVAN-DokumentenManager - Anmelden..."));
            QCOMPARE(d.labVersion->text(), QStringLiteral("2.0.131015"));
            QVERIFY(!d.labBeta->isVisible());
            QCOMPARE(d.EditDatabase->text(), QStringLiteral("DEMO"));
            QVERIFY(d.fldKurzname->hasFocus());
            QVERIFY(d.btnOk->isEnabled());

            // Unknown user: the name field is emptied and gets the focus; the dialog stays open.
            QTest::keyClicks(d.fldKurzname, QStringLiteral("xyz"));
            QCOMPARE(d.fldKurzname->text(), QStringLiteral("XYZ"));
            d.fldPasswort->setFocus();
            sm_->shown.clear();
            QTest::keyClicks(d.fldPasswort, QStringLiteral("geheim"));
            QTest::mouseClick(d.btnOk, Qt::LeftButton);
            seen << sm_->texts();
            QCOMPARE(d.fldKurzname->text(), QString());
            QVERIFY(d.fldKurzname->hasFocus());
            QVERIFY(d.isVisible());

            // Right user, wrong password: the password field is emptied, OK is disabled with it.
            QTest::keyClicks(d.fldKurzname, QStringLiteral("anna"));
            sm_->shown.clear();
            // Focus stays in the name field: OK runs only its own check.
            d.fldPasswort->setText(QStringLiteral("falsch"));
            QTest::mouseClick(d.btnOk, Qt::LeftButton);
            seen << sm_->texts();
            QCOMPARE(d.fldPasswort->text(), QString());
            QVERIFY(d.fldPasswort->hasFocus());
            QVERIFY(!d.btnOk->isEnabled());
            QVERIFY(d.isVisible());

            // Right password, in other case, with Enter.
            QTest::keyClicks(d.fldPasswort, QStringLiteral("GEHEIM"));
            QVERIFY(d.btnOk->isEnabled());
            sm_->shown.clear();
            QTest::keyClick(d.fldPasswort, Qt::Key_Return);
            seen << sm_->texts();
        }));
        auto w = start();
        QCOMPARE(sm_->dialogsRun, 1);
        QCOMPARE(seen, (QStringList{"Das Kennwort oder der Benutzer ist falsch!\nBitte Kurzname (XYZ) und "
                                    "Passwort überprüfen!",
                                    "Das Kennwort ist falsch, bitte korrekt eingeben!"}));
        QVERIFY(!w->programEnded());
        QCOMPARE(w->context().shortName, QStringLiteral("ANNA"));
        QCOMPARE(w->context().fullName, QStringLiteral("Anna Berg"));
        QCOMPARE(w->panUser->text(), QStringLiteral("ANNA"));
        QVERIFY(!w->context().qry1->isOpen());
    }

    void dialogEarlyCheckWhenLeavingPassword()
    {
        QStringList seen;
        sm_->dialogHandlers.enqueue(loginHandler([&](TDlgAnmeldung& d) {
            QTest::keyClicks(d.fldKurzname, QStringLiteral("nobody"));
            QTest::keyClick(d.fldKurzname, Qt::Key_Tab);
            QVERIFY(d.fldPasswort->hasFocus());
            QTest::keyClicks(d.fldPasswort, QStringLiteral("x"));
            QTest::keyClick(d.fldPasswort, Qt::Key_Tab);
            seen << sm_->texts();
            QCOMPARE(d.fldKurzname->text(), QString());
            QVERIFY(d.fldKurzname->hasFocus());
            QCOMPARE(d.fldPasswort->text(), QStringLiteral("x"));

            sm_->shown.clear();
            QTest::keyClicks(d.fldKurzname, QStringLiteral("bernd"));
            QTest::keyClick(d.fldKurzname, Qt::Key_Tab);
            QTest::keyClick(d.fldPasswort, Qt::Key_Tab);
            seen << sm_->texts();
            QCOMPARE(d.fldPasswort->text(), QString());
            QVERIFY(d.fldPasswort->hasFocus());

            // The right password passes the early check silently; the dialog stays open.
            sm_->shown.clear();
            QTest::keyClicks(d.fldPasswort, QStringLiteral("ABC"));
            QTest::keyClick(d.fldPasswort, Qt::Key_Backtab);
            seen << sm_->texts();
            QVERIFY(d.isVisible());
            QTest::mouseClick(d.btnOk, Qt::LeftButton);
        }));
        auto w = start();
        QCOMPARE(seen,
                 (QStringList{"\"NOBODY\" ist kein gültiger Benutzer. Bitte korrekten Kurznamen angeben!",
                              "Das Kennwort ist falsch, bitte korrekt eingeben!"}));
        QCOMPARE(w->context().shortName, QStringLiteral("BERND"));
    }

    void dialogDatabaseErrorEndsOnlyTheEvent()
    {
        bool stillOpen = false;
        sm_->dialogHandlers.enqueue(loginHandler([&](TDlgAnmeldung& d) {
            tdb_->exec("DROP TABLE MRLUSER");
            QTest::keyClicks(d.fldKurzname, "ANNA");
            d.fldPasswort->setText("geheim");
            QTest::mouseClick(d.btnOk, Qt::LeftButton);
            stillOpen = d.isVisible();
            QTest::keyClick(d.fldKurzname, Qt::Key_Escape);
        }));
        auto w = start();
        QVERIFY(stillOpen);
        QCOMPARE(sm_->shown.size(), 1);
        QCOMPARE(sm_->shown.first().kind, Messages::Kind::Warning);
        QVERIFY(w->programEnded());
    }

    void dialogEmptyStoredPassword()
    {
        // OK and Enter work with an untouched empty password field ...
        sm_->dialogHandlers.enqueue(loginHandler([&](TDlgAnmeldung& d) {
            QTest::keyClicks(d.fldKurzname, QStringLiteral("leer"));
            QTest::keyClick(d.fldKurzname, Qt::Key_Enter);
        }));
        auto w = start();
        QVERIFY(sm_->shown.isEmpty());
        QCOMPARE(w->context().shortName, QStringLiteral("LEER"));
        QCOMPARE(w->context().fullName, QStringLiteral("Lena Eer"));
    }

    void dialogPasswordTypedAndEmptiedDisablesEnter()
    {
        bool stillOpen = false;
        sm_->dialogHandlers.enqueue(loginHandler([&](TDlgAnmeldung& d) {
            QTest::keyClicks(d.fldKurzname, QStringLiteral("LEER"));
            d.fldPasswort->setFocus();
            QTest::keyClicks(d.fldPasswort, QStringLiteral("a"));
            QTest::keyClick(d.fldPasswort, Qt::Key_Backspace);
            QVERIFY(!d.btnOk->isEnabled());
            QTest::keyClick(d.fldPasswort, Qt::Key_Return);
            stillOpen = d.isVisible() && d.result() == 0;
            QTest::keyClick(d.fldPasswort, Qt::Key_Escape);
        }));
        {
            auto w = start();
            QVERIFY(stillOpen);
            QVERIFY(sm_->shown.isEmpty());
            QVERIFY(w->programEnded());
            QVERIFY(w->context().shortName.isEmpty());
        }
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("User"))));
    }

    void dialogWithCommandLineUserAndHelp()
    {
        int helpCalls = 0;
        int helpClicks = 0;
        QPointer<QPushButton> helpButton;
        TFrmMain::setHelpWindowFactory(
            [&](AppContext&, QWidget* owner) {
                ++helpCalls;
                auto* help = new QPushButton(QStringLiteral("Suchen"), owner);
                help->setWindowFlag(Qt::Window);
                connect(help, &QPushButton::clicked, help, [&] { ++helpClicks; });
                helpButton = help;
                return help;
            },
            {});
        bool ok = false;
        QString saveDir = qEnvironmentVariable("KV_SCREENSHOT_DIR");
        sm_->dialogHandlers.enqueue(loginHandler([&](TDlgAnmeldung& d) {
            // The command-line name is put in (in capitals) and the password field has the focus.
            QCOMPARE(d.fldKurzname->text(), QStringLiteral("ANNA"));
            QVERIFY(d.fldPasswort->hasFocus());
            if (!saveDir.isEmpty())
                d.grab().save(saveDir + QStringLiteral("/login.png"));
            QTest::keyClick(d.fldPasswort, Qt::Key_F1);
            QCOMPARE(helpCalls, 1);
            QVERIFY(d.isVisible());
            QCOMPARE(d.focusWidget(), d.fldKurzname);
            // The help window takes input while the login dialog is open (the click goes through
            // the window system, which drops input to windows a modal dialog blocks).
            QVERIFY(helpButton && helpButton->isVisible());
            QTest::mouseClick(helpButton->windowHandle(), Qt::LeftButton, {}, helpButton->rect().center());
            QCOMPARE(helpClicks, 1);
            // Active again, the dialog puts the command-line user back and focuses the password.
            d.fldKurzname->setText(QStringLiteral("XY"));
            d.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&d));
            QCOMPARE(d.fldKurzname->text(), QStringLiteral("ANNA"));
            QVERIFY(d.fldPasswort->hasFocus());
            // Closing the window gives cancel.
            d.close();
            ok = true;
        }));
        auto w = start({"/U:anna"});
        QVERIFY(ok);
        QVERIFY(w->programEnded());
        QVERIFY(sm_->shown.isEmpty());
    }

    void invalidDatabaseTypeEndsBeforeConnecting()
    {
        writeIni(QStringLiteral("DB2"));
        {
            auto w = start({"/U:ANNA", "/P:geheim"});
            QVERIFY(w->programEnded());
            QCOMPARE(connectCalls_, 0);
            QCOMPARE(sm_->shown.size(), 1);
            QVERIFY(sm_->lastText().contains(QStringLiteral("Der Datenbanktyp DB2 ist nicht zulässig")));
            QCOMPARE(sm_->dialogsRun, 0);
        }
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("User"))));
    }

    void databaseErrorEndsSecondPhase_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QStringList>("extra");
        // The user lookup fails (no user table) ...
        QTest::newRow("automatic login") << "SQLITE" << QStringList{"/U:ANNA", "/P:geheim"};
        QTest::newRow("dialog login") << "SQLITE" << QStringList{"/U:ANNA"};
        // ... or, for MSSQL, the date-format statement (which this database does not know).
        QTest::newRow("date format") << "MSSQL" << QStringList{"/U:ANNA", "/P:geheim"};
    }

    void databaseErrorEndsSecondPhase()
    {
        QFETCH(QString, driver);
        QFETCH(QStringList, extra);
        writeIni(driver);
        QVERIFY(tdb_->exec(QStringLiteral("DROP TABLE MRLUSER")));
        {
            auto w = start(extra);
            QVERIFY(!w->programEnded());
            QCOMPARE(sm_->dialogsRun, 0);
            QCOMPARE(sm_->shown.size(), 1);
            QCOMPARE(sm_->shown.first().kind, Messages::Kind::Warning);
            QCOMPARE(w->panUser->text(), QStringLiteral("ANNA"));
            QCOMPARE(w->LMDPageControl1->currentWidget(), w->tsMenu);
            QVERIFY(w->context().settingsFileName.isEmpty());
            QVERIFY(!w->context().qry1->isOpen());
            QVERIFY(w->context().qry1->sql().isEmpty());
        }
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("User"))));
    }

    void settingsWrittenAtExit()
    {
        QDir().mkpath(path(QStringLiteral("User")));
        IniFile cfg(cfgPath(QStringLiteral("ANNA")));
        cfg.writeString(QStringLiteral("KvDokMan"), QStringLiteral("panArtikelTreeWidth"),
                        QStringLiteral("abc"));
        cfg.writeString(QStringLiteral("KvDokMan"), QStringLiteral("panKontakteGridWidth"),
                        QStringLiteral("444"));
        cfg.writeString(QStringLiteral("KvDokMan"), QStringLiteral("chkArtikelNurMitDoks"),
                        QStringLiteral("1"));
        cfg.writeString(QStringLiteral("KvDokMan"), QStringLiteral("OpenDialog2InitialDir"),
                        QStringLiteral("/srv/dok/"));
        {
            auto w = start({"/U:ANNA", "/P:geheim"});
            QVERIFY(!w->programEnded());
            QCOMPARE(w->context().settings.panArtikelTreeWidth, 200);
            QCOMPARE(w->context().settings.panKontakteGridWidth, 444);
            w->show();
            QTest::mouseClick(w->btnMenuBeenden, Qt::LeftButton);
            QVERIFY(!w->isVisible());
        }
        const auto values = IniFile(cfgPath(QStringLiteral("ANNA"))).readSection(QStringLiteral("KvDokMan"));
        QStringList keys;
        for (const auto& kv : values)
            keys << kv.first;
        keys.sort();
        QCOMPARE(keys,
                 (QStringList{"OpenDialog1InitialDir", "OpenDialog2InitialDir",
                              "chkArtUngueltVerknAutoRefesh", "chkArtUngueltVerknMark",
                              "chkArtikelNurMitDoks", "chkKontakteNurMitDoks", "chkKontakteUngueltVerknMark",
                              "panArtikelDokumenteWidth", "panArtikelTreeWidth", "panKontakteGridWidth"}));
        const IniFile after(cfgPath(QStringLiteral("ANNA")));
        QCOMPARE(after.readString(QStringLiteral("KvDokMan"), QStringLiteral("panArtikelTreeWidth")),
                 QStringLiteral("200"));
        QCOMPARE(after.readString(QStringLiteral("KvDokMan"), QStringLiteral("panKontakteGridWidth")),
                 QStringLiteral("444"));
        QCOMPARE(after.readString(QStringLiteral("KvDokMan"), QStringLiteral("chkArtikelNurMitDoks")),
                 QStringLiteral("1"));
        QCOMPARE(after.readString(QStringLiteral("KvDokMan"), QStringLiteral("OpenDialog2InitialDir")),
                 QStringLiteral("/srv/dok/"));
        // The window placement was stored when the window closed.
        QSettings placement(QStringLiteral("KvDokMan"), QStringLiteral("KvDokMan"));
        QVERIFY(!placement.value(QStringLiteral("FrmMain/Geometry")).toByteArray().isEmpty());
    }

    void windowPlacementRestored()
    {
        {
            auto w = start({"/U:ANNA", "/P:geheim"});
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            w->resize(900, 600);
            w->close();
        }
        auto w = start({"/U:ANNA", "/P:geheim"});
        QCOMPARE(w->size(), QSize(900, 600));
    }

    void acceptedUpdateEndsProgramWithoutLogin()
    {
        // The installed program is this test program; a newer file of the same name waits.
        QDir().mkpath(path(QStringLiteral("Update")));
        const QString newFile =
            path(QStringLiteral("Update/")) + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QFile f(newFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addDays(2), QFileDevice::FileModificationTime));
        f.close();
        IniFile(iniPath()).writeInteger(QStringLiteral("Options"), QStringLiteral("UpdateAge"), 77);
        sm_->dialogHandlers.enqueue([](QDialog& d) {
            auto* yes = d.findChild<QPushButton*>(QStringLiteral("btnOK"));
            if (!yes)
                return -1;
            d.show();
            QTest::mouseClick(yes, Qt::LeftButton);
            return d.result();
        });
        {
            auto w = start({"/U:ANNA", "/P:geheim"});
            QVERIFY(w->programEnded());
            QCOMPARE(sm_->dialogsRun, 1);
            QVERIFY(sm_->shown.isEmpty());
            QVERIFY(w->context().shortName.isEmpty());
            QCOMPARE(sm_->started.size(), 1);
            QCOMPARE(sm_->started.first().first, path(QStringLiteral("Update/autoup")));
            QCOMPARE(sm_->started.first().second,
                     (QStringList{"/ZMN", "/CP", "/A=" + QCoreApplication::applicationFilePath(),
                                  "/N=" + newFile}));
        }
        QCOMPARE(IniFile(iniPath()).readInteger(QStringLiteral("Options"), QStringLiteral("UpdateAge"), 0),
                 -1);
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("User"))));
    }

    void pageSwitching_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("back");
        QTest::newRow("articles button") << "btnMenuZuArtikel"
                                         << "tsArtikel"
                                         << "btnArtikellZurueck";
        QTest::newRow("report button") << "LMDSpeedButton1"
                                       << "tsUngueltigeVerknuepfungen"
                                       << "LMDSpeedButton3";
        QTest::newRow("contacts button") << "btnMenuZuKontakte"
                                         << "tsKontakte"
                                         << "LMDSpeedButton4";
        QTest::newRow("articles menu") << "menArtikelDokumente"
                                       << "tsArtikel"
                                       << "btnArtikellZurueck";
        QTest::newRow("report menu") << "menUngltigeVerknpfungen"
                                     << "tsUngueltigeVerknuepfungen"
                                     << "LMDSpeedButton3";
        QTest::newRow("contacts menu") << "menUngltigeVerknpfungen1"
                                       << "tsKontakte"
                                       << "LMDSpeedButton4";
    }

    void pageSwitching()
    {
        QFETCH(QString, command);
        QFETCH(QString, page);
        QFETCH(QString, back);
        auto w = start({"/U:ANNA", "/P:geheim"});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->LMDPageControl1->currentWidget(), w->tsMenu);
        if (auto* b = w->findChild<QToolButton*>(command))
            QTest::mouseClick(b, Qt::LeftButton);
        else if (auto* a = w->findChild<QAction*>(command))
            a->trigger();
        else
            QFAIL("no such command");
        QCOMPARE(w->LMDPageControl1->currentWidget()->objectName(), page);
        if (const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR"); !dir.isEmpty()) {
            QCoreApplication::processEvents();
            w->grab().save(dir + "/page-" + page + ".png");
        }
        auto* backButton = w->findChild<QToolButton*>(back);
        QVERIFY(backButton && backButton->isVisible());
        QTest::mouseClick(backButton, Qt::LeftButton);
        QCOMPARE(w->LMDPageControl1->currentWidget(), w->tsMenu);
    }

    void helpKeyOpensOneHelpWindow()
    {
        int created = 0;
        QStringList loaded;
        TFrmMain::setHelpWindowFactory(
            [&](AppContext&, QWidget* owner) {
                ++created;
                auto* win = new QWidget(owner, Qt::Window);
                win->setObjectName(QStringLiteral("DlgHilfeHTML"));
                return win;
            },
            [&](QWidget*, const QString& address) { loaded << address; });
        auto w = start({"/U:ANNA", "/P:geheim"});
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_F1);
        QCOMPARE(created, 1);
        QPointer<QWidget> help = w->helpWindow();
        QVERIFY(help && help->isVisible());
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_F1);
        QCOMPARE(created, 1);
        QCOMPARE(w->helpWindow(), help.data());
        QCOMPARE(loaded, QStringList(2, "http://www.morella.de/hilfe/bed_anleitung_dokman.mht"));
        // A closed help window is gone; the menu page's button opens a new one.
        help->close();
        QTRY_VERIFY(!help);
        QTest::mouseClick(w->LMDSpeedButton7, Qt::LeftButton);
        QCOMPARE(created, 2);
        QVERIFY(w->helpWindow() && w->helpWindow()->isVisible());
        // The input dialog's help button reaches the same command.
        TDlgInputPara input;
        QTest::mouseClick(input.btnHelp, Qt::LeftButton);
        QCOMPARE(created, 2);
        QCOMPARE(loaded.size(), 4);
    }

    void helpWithoutHelpWindowOpensBrowser()
    {
        auto w = start({"/U:ANNA", "/P:geheim"});
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::keyClick(w.get(), Qt::Key_F1);
        QCOMPARE(sm_->openedUrls, QList<QUrl>{QUrl("http://www.morella.de/hilfe/bed_anleitung_dokman.mht")});
    }

    void ctrlEEndsProgram()
    {
        auto w = start({"/U:ANNA", "/P:geheim"});
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QTest::mouseClick(w->btnMenuZuKontakte, Qt::LeftButton);
        QSettings placement(QStringLiteral("KvDokMan"), QStringLiteral("KvDokMan"));
        QVERIFY(!placement.contains(QStringLiteral("FrmMain/Geometry")));
        QTest::keyClick(w.get(), Qt::Key_E, Qt::ControlModifier);
        // The window closed the regular way (its placement is stored when it closes).
        QVERIFY(!w->isVisible());
        placement.sync();
        QVERIFY(placement.contains(QStringLiteral("FrmMain/Geometry")));
    }

    void fileManagerCreatedOnceAndShownAgain()
    {
        int created = 0;
        TFrmMain::setFileManagerFactory([&](AppContext&, QWidget* owner) {
            ++created;
            return new QWidget(owner);
        });
        auto w = start({"/U:ANNA", "/P:geheim"});
        w->show();
        QTest::mouseClick(w->bntMenuDateiManager, Qt::LeftButton);
        QPointer<QWidget> fm = w->fileManagerWindow();
        QVERIFY(fm && fm->isWindow() && fm->isVisible());
        fm->close();
        QVERIFY(fm && !fm->isVisible());
        w->menDateiManager->trigger();
        QTest::mouseClick(w->btnMenuZuArtikel, Qt::LeftButton);
        QTest::mouseClick(w->LMDSpeedButton5, Qt::LeftButton);
        QTest::mouseClick(w->btnArtikellZurueck, Qt::LeftButton);
        QTest::mouseClick(w->btnMenuZuKontakte, Qt::LeftButton);
        QTest::mouseClick(w->LMDSpeedButton6, Qt::LeftButton);
        QCOMPARE(created, 1);
        QCOMPARE(w->fileManagerWindow(), fm.data());
        QVERIFY(fm->isVisible());
    }

    void infoAndAddresses()
    {
        auto w = start({"/U:ANNA", "/P:geheim"});
        w->menSysInfo->trigger();
        QCOMPARE(sm_->shown.size(), 1);
        QCOMPARE(sm_->shown.first().kind, Messages::Kind::Information);
        const QStringList lines = sm_->lastText().split(u'\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0), QStringLiteral("KORVAN DokumentenManager 2.0.131015"));
        QCOMPARE(lines.at(1), QString());
        w->menHelpMORELLAInternet->trigger();
        w->menHelpEMail->trigger();
        QCOMPARE(sm_->openedUrls.size(), 2);
        QCOMPARE(sm_->openedUrls.at(1).scheme(), QStringLiteral("mailto"));
        QCOMPARE(w->menExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
        QCOMPARE(w->menHilfeHTML->shortcut(), QKeySequence(Qt::Key_F1));
    }

    void hintsShowInStatusBar()
    {
        auto w = start({"/U:ANNA", "/P:geheim"});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->menExit->showStatusText(w.get());
        QCOMPARE(w->panStatus->text(), QStringLiteral("Anwendung beenden"));
        QStatusTipEvent tip(w->panDB->statusTip());
        QCoreApplication::sendEvent(w->panDB, &tip);
        QCOMPARE(w->panStatus->text(), QStringLiteral("Verwendete Datenbank"));
        QStatusTipEvent none{QString()};
        QCoreApplication::sendEvent(w->panDB, &none);
        QCOMPARE(w->panStatus->text(), QString());
        QCOMPARE(w->panUser->statusTip(), QStringLiteral("ANNA (Anna Berg)"));
    }

    void waitPanel()
    {
        auto w = start({"/U:ANNA", "/P:geheim"});
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(!w->panBitteWarten->isVisible());
        AppContext& ctx = w->context();
        ctx.showWaitPanel(QStringLiteral("Artikelgruppen werden gelesen..."), 40);
        QVERIFY(w->panBitteWarten->isVisible());
        QCOMPARE(w->panWartenGrund->text(), QStringLiteral("Artikelgruppen werden gelesen..."));
        QCOMPARE(w->ProgressBar1->value(), 0);
        QCOMPARE(w->ProgressBar1->maximum(), 40);
        ctx.setWaitProgress(30);
        QCOMPARE(w->ProgressBar1->value(), 30);
        // Screenshots of the menu page with and without the wait panel, on request.
        const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            QCoreApplication::processEvents();
            w->grab().save(dir + QStringLiteral("/menu-wait.png"));
        }
        ctx.hideWaitPanel();
        QVERIFY(!w->panBitteWarten->isVisible());
        if (!dir.isEmpty()) {
            QCoreApplication::processEvents();
            w->grab().save(dir + QStringLiteral("/menu.png"));
        }
    }

    void strayAbortSignalIsDiscarded()
    {
        QPushButton button(QStringLiteral("x"));
        int after = 0;
        connect(&button, &QPushButton::clicked, &button, [] { throw AbortSignal(); });
        connect(&button, &QPushButton::pressed, &button, [&] { ++after; });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(after, 2);
    }
};

int main(int argc, char** argv)
{
    KvApplication app(argc, argv);
    TestFrmMain test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmmain.moc"
