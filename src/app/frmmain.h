// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/appcontext.h"
#include "app/hinthandler.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>

class ArticlePage;
class ContactPage;
class ReportPage;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QStackedWidget;
class QToolButton;

// The main window: runs the start-up in two phases (creation, first showing), holds the
// configuration, the user, the settings and the general queries for the whole run, hosts the
// four pages (menu, article documents, contact documents, invalid-link report) without visible
// tabs, the main menu, the status bar and the wait panel, and saves the settings at exit.
//
// Start-up: the constructor runs the first phase; the program entry then calls FormShow() before
// the window is shown for the first time. When programEnded() is true afterwards (invalid
// database type, accepted update, failed or cancelled login) the program ends without showing the
// window and without writing the user's settings.
class TFrmMain : public QMainWindow
{
    Q_OBJECT
public:
    // arguments: the command line without the program name.
    explicit TFrmMain(const QStringList& arguments, QWidget* parent = nullptr);
    ~TFrmMain() override;

    AppContext& context() { return ctx_; }
    bool programEnded() const { return programEnded_; }

    // Opens the one database connection for the configuration (ConnectDatabase by default).
    using ConnectFunction = std::function<void(AppContext&)>;
    static void setConnectFunction(ConnectFunction connect);
    // Creates a window of its own owned by the main window (file manager, help window).
    using WindowFactory = std::function<QWidget*(AppContext&, QWidget* owner)>;
    // The file manager window: created on first use, hidden when closed, kept until exit.
    static void setFileManagerFactory(WindowFactory create);
    // The help window: created on first use (without a parent, owner is null), released when the
    // user closes it or at exit; load shows an address in it. Without a help window the online
    // help opens in the desktop's browser.
    static void setHelpWindowFactory(WindowFactory create,
                                     std::function<void(QWidget* window, const QString& address)> load);

    QWidget* fileManagerWindow() const { return fileManager_; }
    QWidget* helpWindow() const { return helpWindow_; }

    // Pages and their content.
    QStackedWidget* LMDPageControl1;
    QWidget* tsMenu;
    QWidget* tsArtikel;
    QWidget* tsKontakte;
    QWidget* tsUngueltigeVerknuepfungen;
    ArticlePage* articlePage;
    ContactPage* contactPage;
    ReportPage* reportPage;

    // Menu page.
    QToolButton* btnMenuZuArtikel;
    QToolButton* LMDSpeedButton1;
    QToolButton* btnMenuZuKontakte;
    QToolButton* bntMenuDateiManager;
    QToolButton* LMDSpeedButton7;
    QToolButton* btnMenuBeenden;
    QFrame* panBitteWarten;
    QLabel* panWartenGrund;
    QProgressBar* ProgressBar1;

    // Button bars of the other pages.
    QToolButton* btnArtikellZurueck;
    QToolButton* LMDSpeedButton5;
    QToolButton* Hilfe;
    QToolButton* LMDSpeedButton4;
    QToolButton* LMDSpeedButton6;
    QToolButton* LMDSpeedButton2;
    QToolButton* LMDSpeedButton3;

    // Status bar.
    QLabel* panStatus;
    QLabel* panVers;
    QLabel* panUser;
    QLabel* panDB;

    // Main menu.
    QMenu* menFile;
    QAction* menArtikelDokumente;
    QAction* menUngltigeVerknpfungen;
    QAction* menUngltigeVerknpfungen1;
    QAction* menDateiManager;
    QAction* menExit;
    QMenu* menHelp;
    QAction* menHilfeHTML;
    QAction* menHelpMORELLAInternet;
    QAction* menHelpEMail;
    QAction* menSysInfo;

public slots:
    // Second start-up phase (runs once).
    void FormShow();

    void btnMenuZuArtikelClick();
    void LMDSpeedButton1Click();
    void btnMenuZuKontakteClick();
    void btnArtikellZurueckClick();
    void bntMenuDateiManagerClick();
    void menHilfeHTMLClick();
    void menHelpMORELLAInternetClick();
    void menHelpEMailClick();
    void menSysInfoClick();
    void btnCloseClick();
    void ShowApplicationHint(const QString& hint);

    // Wait panel of the menu page.
    void showWaitPanel(const QString& reason, int maximum);
    void setWaitProgress(int position);
    void hideWaitPanel();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenuPage();
    QWidget* buildButtonBar(QWidget* page, QToolButton* back, const QList<QWidget*>& items);
    QToolButton* barButton(const QString& name, const QString& text, const QIcon& icon);
    void buildStatusBar(QWidget* parent);
    void buildMainMenu();
    void connectCommands();

    void FormCreate(const QStringList& arguments);
    void FormClose();
    void FormDestroy();
    bool LoginUser();
    void showPage(QWidget* page);

    AppContext ctx_;
    bool programEnded_ = false;
    bool formShowDone_ = false;
    bool placementSaved_ = false;
    HintHandler previousHintHandler_;
    QPointer<QWidget> fileManager_;
    QPointer<QWidget> helpWindow_;
};
