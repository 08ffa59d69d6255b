// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/appcontext.h"
#include "scriptedmessages.h"
#include "util/inifile.h"
#include "viewers/helpviewer.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

// A minimal web archive as browsers save it.
QByteArray manualArchive()
{
    return "From: <Saved by Blink>\r\n"
           "Subject: Handbuch\r\n"
           "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/related;\r\n"
           "\ttype=\"text/html\";\r\n"
           "\tboundary=\"----KvBoundary----\"\r\n"
           "\r\n"
           "------KvBoundary----\r\n"
           "Content-Type: text/html\r\n"
           "Content-ID: <frame-0@mhtml.blink>\r\n"
           "Content-Transfer-Encoding: 8bit\r\n"
           "Content-Location: http://example.invalid/bed_anleitung_dokman.htm\r\n"
           "\r\n"
           "<html><head><title>Handbuch</title></head><body><h1>Handbuch</h1></body></html>\r\n"
           "\r\n"
           "------KvBoundary------\r\n";
}

// Stands in for the main window and its commands.
class FakeMainWindow : public QWidget
{
    Q_OBJECT
public:
    int sysInfo = 0;
    int mail = 0;
public slots:
    void menSysInfoClick() { ++sysInfo; }
    void menHelpEMailClick() { ++mail; }
};

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT
    QTemporaryDir dir_;
    QString helpFolder_;
    QString manualFolder_;
    AppContext ctx_;

    TDlgHilfeHTML* openHelp()
    {
        TDlgHilfeHTML* w = TDlgHilfeHTML::showHelp(ctx_);
        return w;
    }
    static QString shownFile(TDlgHilfeHTML* w)
    {
        return QFileInfo(w->browser()->url().toLocalFile()).fileName();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        helpFolder_ = dir_.filePath(QStringLiteral("Hilfe"));
        manualFolder_ = dir_.filePath(QStringLiteral("online"));
        writeFile(helpFolder_ + "/artikel.htm",
                  "<html><body><p>Die Schraube wird verknuepft.</p></body></html>");
        writeFile(helpFolder_ + "/kontakte.html", "<html><body><table class=\"Hinweis\"><tr><td>x</td></tr>"
                                                  "</table></body></html>");
        writeFile(helpFolder_ + "/bericht.HTM", "<html><body>SCHRAUBE und Mutter</body></html>");
        writeFile(helpFolder_ + "/umlaut.htm",
                  IniFile::toWindows1252(QStringLiteral("<html><body>Die Größe zählt</body></html>")));
        writeFile(helpFolder_ + "/utf8.htm", QStringLiteral("<html><body>Übersicht</body></html>").toUtf8());
        writeFile(helpFolder_ + "/notiz.txt", "Schraube Hinweis");
        writeFile(helpFolder_ + "/unter/tief.htm", "<html><body>Schraube Hinweis</body></html>");
        writeFile(manualFolder_ + "/bed_anleitung_dokman.mht", manualArchive());
        ctx_.config.helpFolder = helpFolder_;
        TDlgHilfeHTML::setOnlineHelpBaseAddress(QUrl::fromLocalFile(manualFolder_ + "/").toString());
    }

    void cleanup()
    {
        if (TDlgHilfeHTML* w = TDlgHilfeHTML::instance()) {
            w->close();
            QTRY_VERIFY(!TDlgHilfeHTML::instance());
        }
        ctx_.mainWindow = nullptr;
    }

    // Pages of the help folder itself (no sub folders, only *.htm / *.html), raw text with markup,
    // letter case ignored, in the order of the folder listing.
    void searchPages_data()
    {
        QTest::addColumn<QString>("term");
        QTest::addColumn<QStringList>("hits");
        QTest::newRow("text, any case") << "schraube" << QStringList{"artikel.htm", "bericht.HTM"};
        QTest::newRow("attribute value") << "HINWEIS" << QStringList{"kontakte.html"};
        QTest::newRow("tag name") << "<Table" << QStringList{"kontakte.html"};
        QTest::newRow("Windows-1252 page") << QString::fromUtf8("GRÖßE") << QStringList{"umlaut.htm"};
        QTest::newRow("UTF-8 page") << QString::fromUtf8("übersicht") << QStringList{"utf8.htm"};
        QTest::newRow("no page") << "Zahnrad" << QStringList();
        QTest::newRow("markup of every page")
            << "<body>"
            << QStringList{"artikel.htm", "bericht.HTM", "kontakte.html", "umlaut.htm", "utf8.htm"};
    }
    void searchPages()
    {
        QFETCH(QString, term);
        QFETCH(QStringList, hits);
        QCOMPARE(SearchHelpPages(helpFolder_, term), hits);
    }

    void searchMissingFolder() { QVERIFY(SearchHelpPages(dir_.filePath("fehlt"), "x").isEmpty()); }

    // One window: created on the first command, brought to the front and sent to the manual again on
    // later ones; a closed window is gone and the next command creates a new one.
    void oneInstanceWithManual()
    {
        QVERIFY(!TDlgHilfeHTML::instance());
        TDlgHilfeHTML* w = openHelp();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Hilfe"));
        QCOMPARE(w->size(), QSize(928, 732));
        QVERIFY(!w->btnZurueck->isEnabled());
        QVERIFY(!w->btnWeiter->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(w->browser()->title(), QStringLiteral("Handbuch"), 30000);
        QCOMPARE(w->browser()->url(), TDlgHilfeHTML::onlineHelpAddress());
        QTRY_VERIFY(w->btnZurueck->isEnabled());
        QVERIFY(w->btnWeiter->isEnabled());

        QSignalSpy done(w, &TDlgHilfeHTML::navigationCompleted);
        w->navigate(QUrl::fromLocalFile(helpFolder_ + "/artikel.htm"));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 30000);
        QCOMPARE(shownFile(w), QStringLiteral("artikel.htm"));

        QCOMPARE(openHelp(), w);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 30000);
        QCOMPARE(w->browser()->url(), TDlgHilfeHTML::onlineHelpAddress());

        w->OKBtn->click();
        QTRY_VERIFY(!TDlgHilfeHTML::instance());
        TDlgHilfeHTML* second = openHelp();
        QVERIFY(second);
        QVERIFY(!second->btnZurueck->isEnabled());

        // Esc closes it as well.
        second->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(second));
        QTest::keyClick(second->btnSuche, Qt::Key_Escape);
        QTRY_VERIFY(!TDlgHilfeHTML::instance());
    }

    // The manual in the help folder wins over the online one, on the first command and on every later
    // one; a help folder given relative to the working folder works as well, also for the search. Without it (or with a
    // folder of that name) the online manual is loaded.
    void manualFromHelpFolder()
    {
        const QString folder = dir_.filePath(QStringLiteral("lokal"));
        const QString local = folder + QStringLiteral("/bed_anleitung_dokman.mht");
        writeFile(local, manualArchive().replace("<h1>Handbuch</h1>", "<h1>Lokal</h1>")
                             .replace("<title>Handbuch</title>", "<title>Lokales Handbuch</title>"));
        const QString oldCurrent = QDir::currentPath();
        const auto restore = qScopeGuard([&] {
            QDir::setCurrent(oldCurrent);
            ctx_.config.helpFolder = helpFolder_;
        });
        QVERIFY(QDir::setCurrent(dir_.path()));

        for (const QString& helpFolder : {folder, QStringLiteral("lokal"), QStringLiteral("lokal/")}) {
            ctx_.config.helpFolder = helpFolder;
            QCOMPARE(TDlgHilfeHTML::manualAddress(helpFolder), QUrl::fromLocalFile(local));
        }
        ctx_.config.helpFolder = QStringLiteral("lokal");
        TDlgHilfeHTML* w = openHelp();
        QSignalSpy done(w, &TDlgHilfeHTML::navigationCompleted);
        QTRY_COMPARE_WITH_TIMEOUT(w->browser()->title(), QStringLiteral("Lokales Handbuch"), 30000);
        QCOMPARE(w->browser()->url(), QUrl::fromLocalFile(local));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 30000);
        w->navigate(QUrl::fromLocalFile(helpFolder_ + "/artikel.htm"));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 30000);
        QCOMPARE(openHelp(), w);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 3, 30000);
        QCOMPARE(w->browser()->url(), QUrl::fromLocalFile(local));

        // A hit of the search is shown from the relative help folder as well.
        writeFile(folder + "/seite.htm", "<html><body>Seite im lokalen Ordner</body></html>");
        w->editSuchbegriff->setText(QStringLiteral("lokalen"));
        w->btnSuchenStartClick();
        QCOMPARE(w->lboxSucheTreffer->count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(w->browser()->url(), QUrl::fromLocalFile(folder + "/seite.htm"), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 4, 30000);

        // Gone from the folder (or a folder in its place): the online manual again.
        QVERIFY(QFile::remove(local));
        QCOMPARE(TDlgHilfeHTML::manualAddress(QStringLiteral("lokal")), TDlgHilfeHTML::onlineHelpAddress());
        QVERIFY(QDir().mkpath(local));
        QCOMPARE(TDlgHilfeHTML::manualAddress(QStringLiteral("lokal")), TDlgHilfeHTML::onlineHelpAddress());
        QCOMPARE(TDlgHilfeHTML::manualAddress(QString()), TDlgHilfeHTML::onlineHelpAddress());
        QCOMPARE(openHelp(), w);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 5, 30000);
        QCOMPARE(w->browser()->url(), TDlgHilfeHTML::onlineHelpAddress());
        QTRY_COMPARE_WITH_TIMEOUT(w->browser()->title(), QStringLiteral("Handbuch"), 30000);
    }

    // The maker's server hands the manual out as a web archive; the window shows it all the same.
    void manualFromWebServer()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, &server, [&server] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    if (!socket->readAll().contains("\r\n\r\n"))
                        return;
                    const QByteArray body = manualArchive();
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: multipart/related\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
            }
        });
        TDlgHilfeHTML::setOnlineHelpBaseAddress(
            QStringLiteral("http://127.0.0.1:%1/hilfe/").arg(server.serverPort()));
        TDlgHilfeHTML* w = openHelp();
        TDlgHilfeHTML::setOnlineHelpBaseAddress(QUrl::fromLocalFile(manualFolder_ + "/").toString());
        QTRY_COMPARE_WITH_TIMEOUT(w->browser()->title(), QStringLiteral("Handbuch"), 30000);
        // Saved from the server and shown from the local copy.
        QVERIFY(w->browser()->url().isLocalFile());
        QCOMPARE(shownFile(w), QStringLiteral("bed_anleitung_dokman.mht"));
    }

    void backAndForward()
    {
        TDlgHilfeHTML* w = openHelp();
        QSignalSpy done(w, &TDlgHilfeHTML::navigationCompleted);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 30000);
        w->navigate(QUrl::fromLocalFile(helpFolder_ + "/artikel.htm"));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 2, 30000);
        w->navigate(QUrl::fromLocalFile(helpFolder_ + "/kontakte.html"));
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 3, 30000);

        QTest::mouseClick(w->btnZurueck, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(shownFile(w), QStringLiteral("artikel.htm"), 30000);
        QTest::mouseClick(w->btnWeiter, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(shownFile(w), QStringLiteral("kontakte.html"), 30000);
        // Nothing further ahead: forward is ignored.
        QTest::mouseClick(w->btnWeiter, Qt::LeftButton);
        QTest::qWait(200);
        QCOMPARE(shownFile(w), QStringLiteral("kontakte.html"));
        QVERIFY(w->btnWeiter->isEnabled());
    }

    // Enter in the search field runs the search, shows the first hit and finds the term in it; Enter
    // in the hit list shows the selected hit; Enter in an empty field does nothing.
    void searchWithEnter()
    {
        TDlgHilfeHTML* w = openHelp();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(!w->panSuchen->isVisible());
        QTest::mouseClick(w->btnSuche, Qt::LeftButton);
        QVERIFY(w->panSuchen->isVisible());
        QVERIFY(!w->panSuchErgebnis->isVisible());

        QTest::keyClick(w->editSuchbegriff, Qt::Key_Return);
        QVERIFY(!w->panSuchErgebnis->isVisible());

        QSignalSpy found(w, &TDlgHilfeHTML::findFinished);
        w->editSuchbegriff->setText(QStringLiteral("Schraube"));
        QTest::keyClick(w->editSuchbegriff, Qt::Key_Return);
        QVERIFY(w->panSuchErgebnis->isVisible());
        QCOMPARE(w->lboxSucheTreffer->count(), 2);
        QCOMPARE(w->lboxSucheTreffer->item(0)->text(), QStringLiteral("artikel.htm"));
        QCOMPARE(w->lboxSucheTreffer->currentRow(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(shownFile(w), QStringLiteral("artikel.htm"), 30000);
        QVERIFY(w->panFinden->isVisible());
        QCOMPARE(w->editFinden->text(), QStringLiteral("Schraube"));
        QTRY_COMPARE_WITH_TIMEOUT(found.count(), 1, 30000); // the find ran on the hit once it had loaded
        QCOMPARE(found.at(0).at(0).toInt(), 1);

        w->lboxSucheTreffer->setCurrentRow(1);
        QTest::keyClick(w->lboxSucheTreffer, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(shownFile(w), QStringLiteral("bericht.HTM"), 30000);

        // A search without hits keeps the result area with an empty list.
        w->editSuchbegriff->setText(QStringLiteral("Zahnrad"));
        QTest::mouseClick(w->btnSuchenStart, Qt::LeftButton);
        QVERIFY(w->panSuchErgebnis->isVisible());
        QCOMPARE(w->lboxSucheTreffer->count(), 0);
        QVERIFY(w->findChild<QLabel*>("Label3")->isVisible());

        // The search panel toggles.
        QTest::mouseClick(w->btnSuche, Qt::LeftButton);
        QVERIFY(!w->panSuchen->isVisible());
    }

    void findInShownPage()
    {
        TDlgHilfeHTML* w = openHelp();
        QSignalSpy done(w, &TDlgHilfeHTML::navigationCompleted);
        w->navigate(QUrl::fromLocalFile(helpFolder_ + "/bericht.HTM"));
        QTRY_VERIFY_WITH_TIMEOUT(shownFile(w) == QStringLiteral("bericht.HTM") && done.count() >= 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(done.last().at(0).toBool(), true, 30000);

        // With the search panel hidden the find bar opens empty.
        w->editSuchbegriff->setText(QStringLiteral("Mutter"));
        QTest::mouseClick(w->btnSucheWort, Qt::LeftButton);
        QVERIFY(w->panFinden->isVisible());
        QVERIFY(w->editFinden->text().isEmpty());

        QSignalSpy found(w, &TDlgHilfeHTML::findFinished);
        w->editFinden->setText(QStringLiteral("mutter"));
        QTest::keyClick(w->editFinden, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(found.count(), 1, 30000);
        QCOMPARE(found.at(0).at(0).toInt(), 1);
    }

    void hintWhileSearchFieldHasFocus()
    {
        TDlgHilfeHTML* w = openHelp();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::mouseClick(w->btnSuche, Qt::LeftButton);
        QTRY_VERIFY(w->editSuchbegriff->hasFocus());
        QVERIFY(w->labSuchenHinweis->isVisible());
        w->btnSucheWort->setFocus();
        QTRY_VERIFY(!w->labSuchenHinweis->isVisible());
    }

    void printNeedsDocumentAndAsks()
    {
        ScriptedMessages m;
        TDlgHilfeHTML* w = openHelp();
        QSignalSpy done(w, &TDlgHilfeHTML::navigationCompleted);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 30000);
        QTest::mouseClick(w->btnSeiteDrucken, Qt::LeftButton);
        QCOMPARE(m.dialogsRun, 1); // the print dialog, rejected by the script
    }

    // The icon menu, in its order; its entries run the main window's commands of the same names.
    void trayMenu()
    {
        FakeMainWindow mainWindow;
        ctx_.mainWindow = &mainWindow;
        TDlgHilfeHTML* w = openHelp();
        QCOMPARE(w->parentWidget(), &mainWindow);
        QVERIFY(w->isWindow());
        QStringList texts;
        for (QAction* a : w->trayMenu()->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(texts, (QStringList{"Hilfe zu KORVAN", "&Info", "&E-Mail an den Support",
                                     "&MORELLA im Internet", "-", "S&ystem-Informationen anzeigen"}));
        QCOMPARE(w->trayMenu()->defaultAction()->text(), QStringLiteral("Hilfe zu KORVAN"));
        w->trayMenu()->findChild<QAction*>("menSysInfo1")->trigger();
        w->trayMenu()->findChild<QAction*>("menInfo1")->trigger();
        w->trayMenu()->findChild<QAction*>("menEMail1")->trigger();
        w->trayMenu()->findChild<QAction*>("menMorella1")->trigger(); // no such command here: nothing
        QCOMPARE(mainWindow.sysInfo, 2);
        QCOMPARE(mainWindow.mail, 1);
        w->showMinimized();
        w->trayMenu()->findChild<QAction*>("menHilfeHTML1")->trigger();
        QTRY_VERIFY(!w->isMinimized());
        // The icon exists exactly where the desktop has a notification area.
        QCOMPARE(w->trayIcon() != nullptr, QSystemTrayIcon::isSystemTrayAvailable());
        w->close();
        QTRY_VERIFY(!TDlgHilfeHTML::instance());
    }

    // A window that the main window created itself is the one the help command brings forward.
    void windowCreatedElsewhere()
    {
        auto* w = new TDlgHilfeHTML(ctx_);
        QCOMPARE(TDlgHilfeHTML::instance(), w);
        QCOMPARE(openHelp(), w);
        QVERIFY(w->isVisible());
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestHelpViewer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_helpviewer.moc"
