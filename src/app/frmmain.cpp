// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/frmmain.h"

#include "app/appinfo.h"
#include "app/connection.h"
#include "app/dlganmeldung.h"
#include "app/dlginputpara.h"
#include "app/handlerguard.h"
#include "app/placement.h"
#include "app/updatecheck.h"
#include "articles/articlepage.h"
#include "contacts/contactpage.h"
#include "db/query.h"
#include "db/queryops.h"
#include "report/reportpage.h"
#include "util/helpers.h"
#include "util/messages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

TFrmMain::ConnectFunction& connectFunction()
{
    static TFrmMain::ConnectFunction f;
    return f;
}

TFrmMain::WindowFactory& fileManagerFactory()
{
    static TFrmMain::WindowFactory f;
    return f;
}

struct HelpWindowHooks
{
    TFrmMain::WindowFactory create;
    std::function<void(QWidget*, const QString&)> load;
};

HelpWindowHooks& helpWindowHooks()
{
    static HelpWindowHooks h;
    return h;
}

QFont boldFont(QFont f, qreal scale = 1.0)
{
    f.setBold(true);
    if (scale != 1.0)
        f.setPointSizeF(f.pointSizeF() * scale);
    return f;
}

} // namespace

void TFrmMain::setConnectFunction(ConnectFunction connect)
{
    connectFunction() = std::move(connect);
}

void TFrmMain::setFileManagerFactory(WindowFactory create)
{
    fileManagerFactory() = std::move(create);
}

void TFrmMain::setHelpWindowFactory(WindowFactory create,
                                    std::function<void(QWidget* window, const QString& address)> load)
{
    helpWindowHooks() = {std::move(create), std::move(load)};
}

TFrmMain::TFrmMain(const QStringList& arguments, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(appinfo::applicationTitle());
    QFont f = font();
    f.setFamilies({QStringLiteral("Segoe UI"), f.family()});
    setFont(f);

    ctx_.mainWindow = this;
    ctx_.qry1 = new Query(QStringLiteral("qry1"), this, ctx_.connectionName);
    ctx_.qryExec = new Query(QStringLiteral("qryExec"), this, ctx_.connectionName);
    ctx_.qryHelp = new Query(QStringLiteral("qryHelp"), this, ctx_.connectionName);
    ctx_.qry2 = new Query(QStringLiteral("qry2"), this, ctx_.connectionName);
    ctx_.showHelp = [this] { menHilfeHTMLClick(); };
    ctx_.showWaitPanel = [this](const QString& reason, int maximum) { showWaitPanel(reason, maximum); };
    ctx_.setWaitProgress = [this](int position) { setWaitProgress(position); };
    ctx_.hideWaitPanel = [this] { hideWaitPanel(); };

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("panMain"));
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);

    LMDPageControl1 = new QStackedWidget(central);
    LMDPageControl1->setObjectName(QStringLiteral("LMDPageControl1"));
    centralLayout->addWidget(LMDPageControl1, 1);

    tsMenu = new QWidget;
    tsMenu->setObjectName(QStringLiteral("tsMenu"));
    tsMenu->setWindowTitle(QStringLiteral("Menu"));
    tsArtikel = new QWidget;
    tsArtikel->setObjectName(QStringLiteral("tsArtikel"));
    tsArtikel->setWindowTitle(QStringLiteral("Artikel"));
    tsKontakte = new QWidget;
    tsKontakte->setObjectName(QStringLiteral("tsKontakte"));
    tsKontakte->setWindowTitle(QStringLiteral("Kontakte"));
    tsUngueltigeVerknuepfungen = new QWidget;
    tsUngueltigeVerknuepfungen->setObjectName(QStringLiteral("tsUngueltigeVerknuepfungen"));
    tsUngueltigeVerknuepfungen->setWindowTitle(QStringLiteral("Ungültigen Verknüpfungen "));
    for (QWidget* page : {tsMenu, tsArtikel, tsKontakte, tsUngueltigeVerknuepfungen})
        LMDPageControl1->addWidget(page);

    buildMenuPage();

    // Article page: button bar, then the page itself.
    btnArtikellZurueck =
        barButton(QStringLiteral("btnArtikellZurueck"), {}, style()->standardIcon(QStyle::SP_ArrowBack));
    LMDSpeedButton5 = barButton(QStringLiteral("LMDSpeedButton5"), QStringLiteral("Datei-Manager"),
                                style()->standardIcon(QStyle::SP_DirOpenIcon));
    Hilfe = barButton(QStringLiteral("Hilfe"), {}, style()->standardIcon(QStyle::SP_DialogHelpButton));
    Hilfe->setToolTip(QStringLiteral("Hilfe anzeigen"));
    Hilfe->setStatusTip(QStringLiteral("Hilfe anzeigen"));
    auto* artikelTitle = new QLabel(QStringLiteral("Artikel-Dokumente"));
    artikelTitle->setObjectName(QStringLiteral("labArtikelTitel"));
    buildButtonBar(tsArtikel, btnArtikellZurueck, {LMDSpeedButton5, Hilfe, artikelTitle});
    articlePage = new ArticlePage(ctx_, tsArtikel);
    static_cast<QVBoxLayout*>(tsArtikel->layout())->addWidget(articlePage, 1);

    // Contact page.
    LMDSpeedButton4 =
        barButton(QStringLiteral("LMDSpeedButton4"), {}, style()->standardIcon(QStyle::SP_ArrowBack));
    LMDSpeedButton6 = barButton(QStringLiteral("LMDSpeedButton6"), QStringLiteral("Datei-Manager"),
                                style()->standardIcon(QStyle::SP_DirOpenIcon));
    LMDSpeedButton2 =
        barButton(QStringLiteral("LMDSpeedButton2"), {}, style()->standardIcon(QStyle::SP_DialogHelpButton));
    LMDSpeedButton2->setToolTip(QStringLiteral("Hilfe anzeigen"));
    LMDSpeedButton2->setStatusTip(QStringLiteral("Hilfe anzeigen"));
    auto* kontakteTitle = new QLabel(QStringLiteral("Kontakt-Dokumente"));
    kontakteTitle->setObjectName(QStringLiteral("labKontakteTitel"));
    buildButtonBar(tsKontakte, LMDSpeedButton4, {LMDSpeedButton6, LMDSpeedButton2, kontakteTitle});
    contactPage = new ContactPage(ctx_, tsKontakte);
    static_cast<QVBoxLayout*>(tsKontakte->layout())->addWidget(contactPage, 1);

    // Invalid-link report page: the back button; the report's own buttons and options belong to
    // the report page (it may put them into the bar, which exists when the page is created).
    LMDSpeedButton3 =
        barButton(QStringLiteral("LMDSpeedButton3"), {}, style()->standardIcon(QStyle::SP_ArrowBack));
    buildButtonBar(tsUngueltigeVerknuepfungen, LMDSpeedButton3, {});
    reportPage = new ReportPage(ctx_, tsUngueltigeVerknuepfungen);
    static_cast<QVBoxLayout*>(tsUngueltigeVerknuepfungen->layout())->addWidget(reportPage, 1);
    for (QLabel* title : {artikelTitle, kontakteTitle})
        title->setFont(boldFont(title->font(), 1.15));

    buildStatusBar(central);
    setCentralWidget(central);
    buildMainMenu();
    connectCommands();
    TDlgInputPara::setHelpHandler([this] { menHilfeHTMLClick(); });

    // Initial placement: 1227 x 760, centred on the screen (the stored placement wins later).
    resize(1227, 760);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(width() / 2, height() / 2));
    }

    FormCreate(arguments);
}

TFrmMain::~TFrmMain()
{
    FormDestroy();
    // The pages and windows use the context and the general queries: they go first, while both
    // still exist (members are released before the base class deletes the children).
    delete helpWindow_;
    delete fileManager_;
    delete takeCentralWidget();
    for (Query** q : {&ctx_.qry1, &ctx_.qryExec, &ctx_.qryHelp, &ctx_.qry2}) {
        delete *q;
        *q = nullptr;
    }
}

QToolButton* TFrmMain::barButton(const QString& name, const QString& text, const QIcon& icon)
{
    auto* b = new QToolButton;
    b->setObjectName(name);
    b->setAutoRaise(true);
    b->setIcon(icon);
    b->setIconSize(QSize(18, 18));
    b->setFocusPolicy(Qt::NoFocus);
    if (!text.isEmpty()) {
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

QWidget* TFrmMain::buildButtonBar(QWidget* page, QToolButton* back, const QList<QWidget*>& items)
{
    // The page: its button bar at the top, the page content below (added by the caller).
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    auto* bar = new QFrame(page);
    bar->setObjectName(page->objectName() + QStringLiteral("Leiste"));
    pageLayout->addWidget(bar);
    bar->setFrameShape(QFrame::StyledPanel);
    bar->setMinimumHeight(28);
    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(2, 1, 2, 1);
    l->setSpacing(4);
    back->setParent(bar);
    l->addWidget(back);
    auto* separator = new QFrame(bar);
    separator->setFrameShape(QFrame::VLine);
    separator->setFrameShadow(QFrame::Sunken);
    l->addWidget(separator);
    for (QWidget* w : items) {
        w->setParent(bar);
        if (qobject_cast<QLabel*>(w))
            l->addSpacing(12);
        l->addWidget(w);
    }
    l->addStretch();
    return bar;
}

void TFrmMain::buildMenuPage()
{
    auto* pageLayout = new QVBoxLayout(tsMenu);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);

    auto* white = new QFrame(tsMenu);
    white->setObjectName(QStringLiteral("panMenu"));
    white->setAutoFillBackground(true);
    QPalette pal = white->palette();
    pal.setColor(QPalette::Window, Qt::white);
    white->setPalette(pal);
    pageLayout->addWidget(white, 1);

    auto* heading = new QLabel(QStringLiteral("Menü:"), white);
    heading->setObjectName(QStringLiteral("labMenu"));
    heading->setFont(boldFont(heading->font(), 1.5));
    auto* prompt = new QLabel(QStringLiteral("Bitte wählen Sie die gewünschte Funktion:"), white);
    prompt->setObjectName(QStringLiteral("labMenuAuswahl"));

    struct Entry
    {
        QToolButton** button;
        const char* name;
        QString caption;
        QStyle::StandardPixmap icon;
        const char* descriptionName;
        QString description;
    };
    const Entry entries[] = {
        {&btnMenuZuArtikel, "btnMenuZuArtikel", QStringLiteral("Artikel-Dokumente..."),
         QStyle::SP_FileDialogDetailedView, "labMenuZuArtikel",
         QStringLiteral("Lassen Sie die Verknüpfungen von Artikel-Dokumenten anzeigen. Fügen Sie neue "
                        "Verknüpfungen hinzu oder bearbeiten Sie die Verknüpfungen. Sie können  hier auch "
                        "Dateien umbenennen oder löschen.")},
        {&LMDSpeedButton1, "LMDSpeedButton1", QStringLiteral("Ungültige Verknüpfungen..."),
         QStyle::SP_MessageBoxWarning, "labMenuUngueltigeVerkn",
         QStringLiteral("Hiermit können Sie eine Liste der ungültigen Verknüpfungen erzeugen. Ungültigen "
                        "Verknüpfungen  entstehen z.B. wenn eine Datei manuelle gelöscht oder umbenannt "
                        "wurde.")},
        {&btnMenuZuKontakte, "btnMenuZuKontakte", QStringLiteral("Kontakt-Dokumente..."),
         QStyle::SP_FileDialogInfoView, "labMenuZuKontakte",
         QStringLiteral("Lassen Sie die Verknüpfungen von Kontakt-Dokumenten anzeigen. Fügen Sie neue "
                        "Verknüpfungen hinzu oder bearbeiten Sie die Verknüpfungen. Sie können  hier auch "
                        "Dateien umbenennen oder löschen.")},
        {&bntMenuDateiManager, "bntMenuDateiManager", QStringLiteral("Datei-Manager"), QStyle::SP_DirIcon,
         "labMenuDateiManager",
         QStringLiteral("Anzeigen von Ordnern und Verzeichnissen, prüfen von Verknüpfungen auf Datei-Ebene, "
                        "Umbenennen und Verschieben von Dateien...")},
        {&LMDSpeedButton7, "LMDSpeedButton7", QStringLiteral("Online-Hilfe"), QStyle::SP_DialogHelpButton,
         "labMenuHilfe",
         QStringLiteral("Online-Hilfe anzeigen. Eine Internet-Verbindung  ist Voraussetzung!")},
        {&btnMenuBeenden, "btnMenuBeenden", QStringLiteral("Beenden"), QStyle::SP_DialogCloseButton, nullptr,
         QString()},
    };

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(8);
    int row = 0;
    int buttonWidth = 0;
    QList<QToolButton*> buttons;
    for (const Entry& e : entries) {
        auto* b = new QToolButton(white);
        b->setObjectName(QLatin1String(e.name));
        b->setText(e.caption);
        b->setIcon(style()->standardIcon(e.icon));
        b->setIconSize(QSize(32, 32));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(false);
        b->setFont(boldFont(b->font()));
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        *e.button = b;
        buttons << b;
        buttonWidth = qMax(buttonWidth, b->sizeHint().width());
        grid->addWidget(b, row, 0);
        if (e.descriptionName) {
            auto* d = new QLabel(e.description, white);
            d->setObjectName(QLatin1String(e.descriptionName));
            d->setWordWrap(true);
            grid->addWidget(d, row, 1);
        }
        ++row;
    }
    // One column of equally large buttons.
    buttonWidth = qMax(buttonWidth + 24, 190);
    for (QToolButton* b : buttons)
        b->setFixedSize(buttonWidth, qMax(b->sizeHint().height() + 8, 64));
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(1, 360);

    auto* whiteLayout = new QVBoxLayout(white);
    whiteLayout->setContentsMargins(40, 24, 40, 16);
    whiteLayout->setSpacing(6);
    whiteLayout->addWidget(heading);
    whiteLayout->addWidget(prompt);
    whiteLayout->addSpacing(14);
    auto* gridRow = new QHBoxLayout;
    gridRow->addLayout(grid, 3);
    gridRow->addStretch(1);
    whiteLayout->addLayout(gridRow);
    whiteLayout->addStretch();

    // Wait panel at the bottom of the menu page.
    panBitteWarten = new QFrame(tsMenu);
    panBitteWarten->setObjectName(QStringLiteral("panBitteWarten"));
    panBitteWarten->setFrameShape(QFrame::StyledPanel);
    panBitteWarten->setMinimumHeight(22);
    panWartenGrund = new QLabel(QStringLiteral("Was wird gemacht...."), panBitteWarten);
    panWartenGrund->setObjectName(QStringLiteral("panWartenGrund"));
    panWartenGrund->setMinimumWidth(293);
    ProgressBar1 = new QProgressBar(panBitteWarten);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    auto* bitteWarten = new QLabel(QStringLiteral("Bitte warten..."), panBitteWarten);
    bitteWarten->setObjectName(QStringLiteral("labBitteWarten"));
    bitteWarten->setMinimumWidth(189);
    bitteWarten->setAlignment(Qt::AlignCenter);
    auto* waitLayout = new QHBoxLayout(panBitteWarten);
    waitLayout->setContentsMargins(4, 1, 4, 1);
    waitLayout->addWidget(panWartenGrund);
    waitLayout->addWidget(ProgressBar1, 1);
    waitLayout->addWidget(bitteWarten);
    panBitteWarten->setVisible(false);
    pageLayout->addWidget(panBitteWarten);
}

void TFrmMain::buildStatusBar(QWidget* parent)
{
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("panStatusLeiste"));
    auto* l = new QHBoxLayout(bar);
    l->setContentsMargins(0, 1, 0, 0);
    l->setSpacing(2);
    auto panel = [bar](const QString& name, int width, const QString& hint) {
        auto* p = new QLabel(bar);
        p->setObjectName(name);
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        p->setMinimumHeight(21);
        p->setMargin(1);
        if (width > 0) {
            p->setMinimumWidth(width);
            p->setAlignment(Qt::AlignCenter);
        }
        if (!hint.isEmpty()) {
            p->setToolTip(hint);
            p->setStatusTip(hint);
        }
        return p;
    };
    panStatus = panel(QStringLiteral("panStatus"), 0, {});
    panStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panStatus->setIndent(4);
    panStatus->setAutoFillBackground(true);
    panStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panVers = panel(QStringLiteral("panVers"), 80, QStringLiteral("Programm-Version"));
    panUser = panel(QStringLiteral("panUser"), 80, QStringLiteral("Benutzer-Name"));
    panDB = panel(QStringLiteral("panDB"), 125, QStringLiteral("Verwendete Datenbank"));
    l->addWidget(panStatus, 1);
    l->addWidget(panVers);
    l->addWidget(panUser);
    l->addWidget(panDB);
    static_cast<QVBoxLayout*>(parent->layout())->addWidget(bar);
}

void TFrmMain::buildMainMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    menFile = bar->addMenu(QStringLiteral("&Datei"));
    menFile->setObjectName(QStringLiteral("menFile"));
    auto item = [this](QMenu* menu, const char* name, const QString& caption, const QString& hint = {}) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        a->setParent(this);
        if (!hint.isEmpty())
            a->setStatusTip(hint);
        return a;
    };
    menArtikelDokumente = item(menFile, "menArtikelDokumente", QStringLiteral("Artikel-Dokumente..."));
    menUngltigeVerknpfungen =
        item(menFile, "menUngltigeVerknpfungen", QStringLiteral("Ungültige Verknüpfungen..."));
    menUngltigeVerknpfungen1 =
        item(menFile, "menUngltigeVerknpfungen1", QStringLiteral("Kontakt-Dokumente..."));
    menDateiManager = item(menFile, "menDateiManager", QStringLiteral("DateiManager"));
    menFile->addSeparator()->setObjectName(QStringLiteral("N1"));
    menExit = item(menFile, "menExit", QStringLiteral("&Beenden"), QStringLiteral("Anwendung beenden"));
    menExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));

    menHelp = bar->addMenu(QStringLiteral("&Hilfe"));
    menHelp->setObjectName(QStringLiteral("menHelp"));
    menHelp->menuAction()->setStatusTip(QStringLiteral("Hilfethemen"));
    menHilfeHTML = item(menHelp, "menHilfeHTML", QStringLiteral("Hilfe"));
    menHilfeHTML->setShortcut(QKeySequence(Qt::Key_F1));
    menHelp->setDefaultAction(menHilfeHTML);
    menHelpMORELLAInternet = item(menHelp, "menHelpMORELLAInternet", QStringLiteral("&MORELLA im Internet"),
                                  QStringLiteral("MORELLA-Internet Homepage öffnen"));
    menHelpEMail = item(menHelp, "menHelpEMail", QStringLiteral("&E-Mail an den Support"),
                        QStringLiteral("EMail an den Support schreiben"));
    menSysInfo = item(menHelp, "menSysInfo", QStringLiteral("Info"));
}

void TFrmMain::connectCommands()
{
    // Every command runs as one user action: the abort signal of a reported failure ends it.
    auto bind = [this](auto* sender, auto signal, void (TFrmMain::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { RunAction([this, handler] { (this->*handler)(); }); });
    };
    bind(btnMenuZuArtikel, &QToolButton::clicked, &TFrmMain::btnMenuZuArtikelClick);
    bind(LMDSpeedButton1, &QToolButton::clicked, &TFrmMain::LMDSpeedButton1Click);
    bind(btnMenuZuKontakte, &QToolButton::clicked, &TFrmMain::btnMenuZuKontakteClick);
    bind(bntMenuDateiManager, &QToolButton::clicked, &TFrmMain::bntMenuDateiManagerClick);
    bind(LMDSpeedButton7, &QToolButton::clicked, &TFrmMain::menHilfeHTMLClick);
    bind(btnMenuBeenden, &QToolButton::clicked, &TFrmMain::btnCloseClick);
    for (QToolButton* back : {btnArtikellZurueck, LMDSpeedButton4, LMDSpeedButton3})
        bind(back, &QToolButton::clicked, &TFrmMain::btnArtikellZurueckClick);
    for (QToolButton* fm : {LMDSpeedButton5, LMDSpeedButton6})
        bind(fm, &QToolButton::clicked, &TFrmMain::bntMenuDateiManagerClick);
    for (QToolButton* help : {Hilfe, LMDSpeedButton2})
        bind(help, &QToolButton::clicked, &TFrmMain::menHilfeHTMLClick);

    bind(menArtikelDokumente, &QAction::triggered, &TFrmMain::btnMenuZuArtikelClick);
    bind(menUngltigeVerknpfungen, &QAction::triggered, &TFrmMain::LMDSpeedButton1Click);
    bind(menUngltigeVerknpfungen1, &QAction::triggered, &TFrmMain::btnMenuZuKontakteClick);
    bind(menDateiManager, &QAction::triggered, &TFrmMain::bntMenuDateiManagerClick);
    bind(menExit, &QAction::triggered, &TFrmMain::btnCloseClick);
    bind(menHilfeHTML, &QAction::triggered, &TFrmMain::menHilfeHTMLClick);
    bind(menHelpMORELLAInternet, &QAction::triggered, &TFrmMain::menHelpMORELLAInternetClick);
    bind(menHelpEMail, &QAction::triggered, &TFrmMain::menHelpEMailClick);
    bind(menSysInfo, &QAction::triggered, &TFrmMain::menSysInfoClick);
}

// ---------------------------------------------------------------------------------------------
// Start-up and exit

void TFrmMain::FormCreate(const QStringList& arguments)
{
    Config& c = ctx_.config;
    c.commandLineUser.clear();
    c.commandLinePassword.clear();
    // The pages have no tabs (a stacked widget): they change only through the window's commands.
    // Hints of controls and menu items go to the status bar.
    previousHintHandler_ =
        SetApplicationHintHandler([this](const QString& hint) { ShowApplicationHint(hint); }, this);
    const QString programFolder = programFileFolder();
    c.iniFilePath = defaultIniFilePath(programFolder);
    ParseCommandLine(arguments, c);
    ReadKorvanIni(c, programFolder);
    if (c.databaseType == DatabaseType::None) {
        // Reported by the type check; the program ends without a connection and without a login.
        programEnded_ = true;
        return;
    }
    if (connectFunction())
        connectFunction()(ctx_);
    else
        ConnectDatabase(c, ctx_.connectionName);
}

void TFrmMain::FormShow()
{
    if (formShowDone_ || programEnded_)
        return;
    formShowDone_ = true;
    // The stored placement; without one the window keeps its initial size, centred.
    RestoreWindowPlacement(this, QStringLiteral("FrmMain"));
    const Config& c = ctx_.config;
    try {
        if (CheckForUpdate(c)) {
            programEnded_ = true;
            return;
        }
        panVers->setText(appinfo::programVersion());
        panUser->setText(c.commandLineUser);
        panDB->setText(c.databaseAlias);

        if (c.databaseType == DatabaseType::MSSQL) {
            // The server reads date literals as day, month, year from now on.
            Query& q = *ctx_.qry1;
            CloseQuery(q);
            try {
                ExecSql(q, {QStringLiteral("SET DATEFORMAT dmy")});
            } catch (...) {
                CloseQuery(q);
                throw;
            }
            CloseQuery(q);
        }

        if (!LoginUser()) {
            programEnded_ = true;
            return;
        }

        EnsureDirectory(c.userFolder);
        ctx_.settingsFileName = MakeSettingsFileName(c.userFolder, ctx_.shortName);
        ctx_.settings.load(ctx_.settingsFileName);
        articlePage->loadSettings();
        contactPage->loadSettings();
        reportPage->loadSettings();
        showPage(tsMenu);
    } catch (const AbortSignal&) {
        // A database error, already reported: the start-up ends here and the window stays open on
        // the menu page without a logged-in user.
    }
}

bool TFrmMain::LoginUser()
{
    if (!::LoginUser(ctx_, this, panVers->text()))
        return false;
    panUser->setText(ctx_.shortName);
    const QString hint = ctx_.shortName + QStringLiteral(" (") + ctx_.fullName + QStringLiteral(")");
    panUser->setToolTip(hint);
    panUser->setStatusTip(hint);
    return true;
}

void TFrmMain::closeEvent(QCloseEvent* event)
{
    FormClose();
    SaveWindowPlacement(this, QStringLiteral("FrmMain"));
    placementSaved_ = true;
    event->accept();
}

void TFrmMain::FormClose()
{
    articlePage->closeQueries();
    contactPage->closeQueries();
    reportPage->closeQueries();
}

void TFrmMain::FormDestroy()
{
    if (!placementSaved_ && formShowDone_ && !programEnded_)
        SaveWindowPlacement(this, QStringLiteral("FrmMain"));
    if (!ctx_.settingsFileName.isEmpty()) {
        articlePage->storeSettings();
        contactPage->storeSettings();
        reportPage->storeSettings();
        ctx_.settings.save(ctx_.settingsFileName);
    }
    TDlgInputPara::setHelpHandler({});
    if (ApplicationHintHandlerOwner() == this)
        SetApplicationHintHandler(std::move(previousHintHandler_));
}

// ---------------------------------------------------------------------------------------------
// Commands

void TFrmMain::showPage(QWidget* page)
{
    LMDPageControl1->setCurrentWidget(page);
}

void TFrmMain::btnMenuZuArtikelClick()
{
    // The group tree is built on the first visit; when that fails the page stays as it is.
    articlePage->pageEntered();
    showPage(tsArtikel);
}

void TFrmMain::LMDSpeedButton1Click()
{
    showPage(tsUngueltigeVerknuepfungen);
    reportPage->pageEntered();
}

void TFrmMain::btnMenuZuKontakteClick()
{
    showPage(tsKontakte);
    contactPage->pageEntered();
}

void TFrmMain::btnArtikellZurueckClick()
{
    showPage(tsMenu);
}

void TFrmMain::bntMenuDateiManagerClick()
{
    if (!fileManager_) {
        if (!fileManagerFactory())
            return;
        fileManager_ = fileManagerFactory()(ctx_, this);
        if (!fileManager_)
            return;
        if (!fileManager_->isWindow())
            fileManager_->setWindowFlag(Qt::Window);
    }
    fileManager_->show();
    fileManager_->raise();
    fileManager_->activateWindow();
}

void TFrmMain::menHilfeHTMLClick()
{
    const QString address = appinfo::onlineHelpAddress();
    const HelpWindowHooks& hooks = helpWindowHooks();
    if (!hooks.create) {
        OpenInBrowser(address);
        return;
    }
    if (!helpWindow_) {
        // A window of its own without a parent, so that it takes input while a dialog of the main
        // window is open (the login dialog); the main window releases it at exit.
        helpWindow_ = hooks.create(ctx_, nullptr);
        if (!helpWindow_)
            return;
        if (!helpWindow_->isWindow())
            helpWindow_->setWindowFlag(Qt::Window);
        // A help window that the user closes is gone; the next command creates a new one.
        helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
    if (hooks.load)
        hooks.load(helpWindow_, address);
}

void TFrmMain::menHelpMORELLAInternetClick()
{
    msg().openUrl(QUrl(appinfo::makerWebAddress()));
}

void TFrmMain::menHelpEMailClick()
{
    msg().openUrl(QUrl(appinfo::supportMailAddress()));
}

void TFrmMain::menSysInfoClick()
{
    msg().information(QStringLiteral("KORVAN DokumentenManager ") + appinfo::programVersion() +
                      QStringLiteral("\n\n") + appinfo::rightsNotice() + QStringLiteral("\n") +
                      appinfo::makerWebAddress());
}

void TFrmMain::btnCloseClick()
{
    close();
}

void TFrmMain::ShowApplicationHint(const QString& hint)
{
    QPalette pal = panStatus->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    panStatus->setPalette(pal);
    panStatus->setText(hint);
    msg().setCursor(Messages::Cursor::Normal);
}

// ---------------------------------------------------------------------------------------------
// Wait panel

void TFrmMain::showWaitPanel(const QString& reason, int maximum)
{
    panWartenGrund->setText(reason);
    ProgressBar1->setRange(0, maximum > 0 ? maximum : 100);
    ProgressBar1->setValue(0);
    panBitteWarten->setVisible(true);
    // The operation does not let window messages through: paint now.
    if (panBitteWarten->isVisible())
        panBitteWarten->repaint();
}

void TFrmMain::setWaitProgress(int position)
{
    ProgressBar1->setValue(qBound(ProgressBar1->minimum(), position, ProgressBar1->maximum()));
    if (ProgressBar1->isVisible())
        ProgressBar1->repaint();
}

void TFrmMain::hideWaitPanel()
{
    panBitteWarten->setVisible(false);
}
