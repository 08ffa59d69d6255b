// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include "app/appinfo.h"
#include "app/frmmain.h"
#include "articles/articlepage.h"
#include "db/query.h"
#include "filemanager/articlelinkdrop.h"
#include "filemanager/dlgdateimanager.h"
#include "report/reportcli.h"
#include "viewers/documentviewer.h"
#include "viewers/helpviewer.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QSqlDatabase>
#include <QTableView>
#include <QTranslator>
#include <QUrl>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

KvApplication::KvApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(appinfo::organisationName());
    setApplicationName(appinfo::applicationTitle());
}

bool KvApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const AbortSignal&) {
        return false;
    }
}

namespace {
// The database connection goes with the main window.
void closeDatabaseConnections()
{
    for (const QString& name : QSqlDatabase::connectionNames()) {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}
// The windows of their own that the main window opens: the file manager, the help window and
// the document viewer; and the drop of a file from the file manager onto the article link grid.
void registerWindows()
{
    TFrmMain::setFileManagerFactory(
        [](AppContext& ctx, QWidget* owner) -> QWidget* { return new TDlgDateiManager(ctx, owner); });
    TFrmMain::setHelpWindowFactory(
        [](AppContext& ctx, QWidget*) -> QWidget* { return new TDlgHilfeHTML(ctx, nullptr); },
        [](QWidget* window, const QString& address) {
            if (auto* help = qobject_cast<TDlgHilfeHTML*>(window))
                help->navigate(QUrl::fromUserInput(address));
        });
}

void connectWindows(TFrmMain& window)
{
    AppContext& ctx = window.context();
    TDlgDokView::install(ctx);
    ArticlePage* page = window.articlePage;
    ArticleLinkDropFilter::install(
        page->linkGrid(), ctx,
        [page] { return page->hasCurrentArticle() ? page->currentArtNr() : QString(); },
        [page] { page->RefreshArticleLinks(); });
}
// German number and date formats where the system names no locale of its own (the "C" locale of
// a bare Linux session); a user's own locale is kept.
void useGermanFormatsWithoutSystemLocale()
{
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

// The program speaks German: Qt's own texts (the standard buttons "Ja", "Nein", "Abbrechen", the
// file and print dialogs) are shown in German too.
void installGermanQtTexts(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
// Chromium, behind the help window and the HTML view of the document viewer, cannot use its sandbox
// for the root user and ends the whole program instead. Started as root (as the set-up script does
// on a fresh machine), the embedded browser runs without its sandbox.
void allowEmbeddedBrowserForRoot()
{
#ifdef Q_OS_UNIX
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}
} // namespace

int runApplication(int argc, char* argv[])
{
    useGermanFormatsWithoutSystemLocale();
    {
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        // The invalid-link report for administrators runs without any window and without a login.
        if (IsReportCommand(arguments))
            return runReportCommand(arguments);
    }
    allowEmbeddedBrowserForRoot();
    // The embedded browser (help window, document viewer) wants this before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    KvApplication app(argc, argv);
    installGermanQtTexts(app);
    registerWindows();
    int result = 0;
    {
        TFrmMain window(QCoreApplication::arguments().mid(1));
        connectWindows(window);
        window.FormShow();
        if (!window.programEnded()) {
            window.show();
            result = app.exec();
        }
    }
    closeDatabaseConnections();
    return result;
}
