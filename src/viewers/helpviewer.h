// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

struct AppContext;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPrinter;
class QPushButton;
class QSystemTrayIcon;
class QWebEngineView;

// The help pages (files "*.htm" and "*.html" directly in the folder, not in its sub folders) whose raw
// text, markup included, contains the term, ignoring letter case; file names in the order of the
// folder listing (by name). A page is read as UTF-8 when it is valid UTF-8, else as Windows-1252.
QStringList SearchHelpPages(const QString& helpFolder, const QString& term);

// The help window: an embedded browser with the online manual, back and forward, a search over the
// local help pages, find in page and print. While it exists it puts an icon with a small menu into
// the notification area, where the desktop has one. There is at most one; closing destroys it.
// The icon menu runs the main window's (ctx.mainWindow) commands of the same names:
// menSysInfoClick ("Info", "System-Informationen anzeigen"), menHelpEMailClick and
// menHelpMORELLAInternetClick.
class TDlgHilfeHTML : public QWidget
{
    Q_OBJECT
public:
    // The help command: creates the help window (owned by ctx.mainWindow) on the first call and shows
    // it, brings the existing one to the front on later calls; then loads the manual (manualAddress).
    // A window created otherwise (the main window's own factory) counts as the existing one.
    static TDlgHilfeHTML* showHelp(AppContext& ctx);
    // The open help window, or nullptr.
    static TDlgHilfeHTML* instance();

    // The manual the help command shows: the file "bed_anleitung_dokman.mht" in the help folder when
    // it is there (so the manual works without a connection), else the online manual.
    static QUrl manualAddress(const QString& helpFolder);
    // The online manual: base address followed by "bed_anleitung_dokman.mht".
    static QUrl onlineHelpAddress();
    static QString onlineHelpBaseAddress();
    // Replaces the base address (an empty text restores the maker's address, appinfo).
    static void setOnlineHelpBaseAddress(const QString& address);

    explicit TDlgHilfeHTML(AppContext& ctx, QWidget* parent = nullptr);
    ~TDlgHilfeHTML() override;

    // Sends the browser to an address or local file.
    void navigate(const QUrl& url);
    // Brings the window to the front: restored if minimised, shown, raised, activated.
    void bringToFront();
    QWebEngineView* browser() const { return WebBrowser1; }
    QMenu* trayMenu() const { return PopupMenu1; }
    QSystemTrayIcon* trayIcon() const { return LMDTrayIcon1; }

    QPushButton* btnZurueck;
    QPushButton* btnWeiter;
    QPushButton* btnSuche;
    QPushButton* btnSucheWort;
    QPushButton* btnSeiteDrucken;
    QPushButton* OKBtn;
    QWebEngineView* WebBrowser1;
    QFrame* panSuchen;
    QLabel* Label1;
    QLineEdit* editSuchbegriff;
    QPushButton* btnSuchenStart;
    QLabel* labSuchenHinweis;
    QFrame* panSuchErgebnis;
    QLabel* Label3;
    QLabel* Label2;
    QListWidget* lboxSucheTreffer;
    // The find-in-page bar (the browser's find function).
    QFrame* panFinden;
    QLineEdit* editFinden;
    QPushButton* btnFindenWeiter;
    QPushButton* btnFindenZurueck;
    QPushButton* btnFindenSchliessen;

public slots:
    void btnZurueckClick();
    void btnWeiterClick();
    void WebBrowser1NavigateComplete2();
    void btnSucheClick();
    void btnSuchenStartClick();
    void lboxSucheTrefferClick();
    void btnSucheWortClick();
    void editSuchbegriffEnter();
    void editSuchbegriffExit();
    void btnSeiteDruckenClick();
    void OKBtnClick();
    void menHilfeHTML1Click();
    void menSysInfo1Click();
    void menInfo1Click();
    void menEMail1Click();
    void menMorella1Click();
    // Finds the text of the find bar in the page (forward, or backward).
    void findInPage(bool backward = false);

signals:
    // A navigation completed (successfully or not).
    void navigationCompleted(bool ok);
    // The browser answered a find request: number of matches.
    void findFinished(int matches);

protected:
    // Enter in the search field and in the hit list; focus of the search field.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool hasDocument() const;
    void LMDTrayIcon1MouseUp(int reason);
    // Runs a command (slot) of the main window by its name.
    void runMainWindowCommand(const char* handler);

    AppContext& ctx_;
    QSystemTrayIcon* LMDTrayIcon1 = nullptr;
    QMenu* PopupMenu1;
    std::unique_ptr<QPrinter> printer_;
    QUrl requestedUrl_;
    bool loading_ = false;
    bool findPending_ = false;

    static QPointer<TDlgHilfeHTML> instance_;
};
