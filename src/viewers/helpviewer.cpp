// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewers/helpviewer.h"

#include "app/appcontext.h"
#include "app/appinfo.h"
#include "util/helpers.h"
#include "util/inifile.h"
#include "util/messages.h"
#include "util/namedwidgets.h"
#include "viewers/helparchive.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {

QString defaultOnlineHelpBase()
{
    return appinfo::onlineHelpBaseAddress();
}

QString& onlineHelpBase()
{
    static QString base = defaultOnlineHelpBase();
    return base;
}

QString manualFileName()
{
    return QStringLiteral("bed_anleitung_dokman.mht");
}

// The text of a help page: UTF-8 when the bytes are valid UTF-8, else Windows-1252 (older pages).
QString pageText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = IniFile::fromWindows1252(bytes);
    return text;
}

bool isEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

QStringList SearchHelpPages(const QString& helpFolder, const QString& term)
{
    QStringList hits;
    const QDir dir(helpFolder);
    if (helpFolder.isEmpty() || !dir.exists())
        return hits;
    const QStringList pages = dir.entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")},
                                            QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : pages) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        if (pageText(f.readAll()).contains(term, Qt::CaseInsensitive))
            hits << name;
    }
    return hits;
}

QPointer<TDlgHilfeHTML> TDlgHilfeHTML::instance_;

TDlgHilfeHTML* TDlgHilfeHTML::showHelp(AppContext& ctx)
{
    if (!instance_) {
        instance_ = new TDlgHilfeHTML(ctx, ctx.mainWindow);
        instance_->show();
    } else {
        instance_->bringToFront();
    }
    instance_->navigate(manualAddress(ctx.config.helpFolder));
    return instance_;
}

TDlgHilfeHTML* TDlgHilfeHTML::instance()
{
    return instance_;
}

QUrl TDlgHilfeHTML::manualAddress(const QString& helpFolder)
{
    if (!helpFolder.isEmpty()) {
        const QFileInfo local(QDir(helpFolder), manualFileName());
        if (local.isFile())
            return QUrl::fromLocalFile(local.absoluteFilePath());
    }
    return onlineHelpAddress();
}

QUrl TDlgHilfeHTML::onlineHelpAddress()
{
    return QUrl(onlineHelpBase() + manualFileName());
}

QString TDlgHilfeHTML::onlineHelpBaseAddress()
{
    return onlineHelpBase();
}

void TDlgHilfeHTML::setOnlineHelpBaseAddress(const QString& address)
{
    onlineHelpBase() = address.isEmpty() ? defaultOnlineHelpBase() : address;
}

TDlgHilfeHTML::TDlgHilfeHTML(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("DlgHilfeHTML"));
    if (!instance_)
        instance_ = this;
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Hilfe"));
    resize(928, 732);
    if (const QScreen* screen = (parent ? parent->screen() : QGuiApplication::primaryScreen())) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }

    // Button bar.
    btnZurueck = makeButton(this, "btnZurueck", QString());
    btnZurueck->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    btnZurueck->setToolTip(QStringLiteral("Zurück"));
    btnZurueck->setEnabled(false);
    btnWeiter = makeButton(this, "btnWeiter", QString());
    btnWeiter->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    btnWeiter->setToolTip(QStringLiteral("Weiter"));
    btnWeiter->setEnabled(false);
    btnSuche = makeButton(this, "btnSuche", QStringLiteral("&Suchen..."));
    btnSucheWort = makeButton(this, "btnSucheWort", QStringLiteral("&Wort suchen"));
    btnSeiteDrucken = makeButton(this, "btnSeiteDrucken", QStringLiteral("&Drucken"));
    OKBtn = makeButton(this, "OKBtn", QStringLiteral("Fenster schließen"));
    auto* bar = new QHBoxLayout;
    bar->addWidget(btnZurueck);
    bar->addWidget(btnWeiter);
    bar->addSpacing(12);
    bar->addWidget(btnSuche);
    bar->addWidget(btnSucheWort);
    bar->addWidget(btnSeiteDrucken);
    bar->addStretch();
    bar->addWidget(OKBtn);

    // Search panel.
    panSuchen = new QFrame(this);
    panSuchen->setObjectName(QStringLiteral("panSuchen"));
    panSuchen->setFrameShape(QFrame::StyledPanel);
    Label1 = makeLabel(panSuchen, "Label1", QStringLiteral("S&uchen:"));
    editSuchbegriff = new QLineEdit(panSuchen);
    editSuchbegriff->setObjectName(QStringLiteral("editSuchbegriff"));
    Label1->setBuddy(editSuchbegriff);
    btnSuchenStart = makeButton(panSuchen, "btnSuchenStart", QStringLiteral("&Los!"));
    labSuchenHinweis = makeLabel(panSuchen, "labSuchenHinweis",
                                 QStringLiteral("Geben Sie einen Suchbegriff ein (es wird nicht zwischen "
                                                "Groß-/Klein- buchstaben unterschieden!)"));
    labSuchenHinweis->setWordWrap(true);
    labSuchenHinweis->setVisible(false);
    panSuchErgebnis = new QFrame(panSuchen);
    panSuchErgebnis->setObjectName(QStringLiteral("panSuchErgebnis"));
    Label3 =
        makeLabel(panSuchErgebnis, "Label3", QStringLiteral("Der Suchbegriff ist diesen Seiten enthalten:"));
    Label2 = makeLabel(panSuchErgebnis, "Label2",
                       QStringLiteral("Klicken Sie auf eine der Seiten, um sie anzuzeigen!"));
    lboxSucheTreffer = new QListWidget(panSuchErgebnis);
    lboxSucheTreffer->setObjectName(QStringLiteral("lboxSucheTreffer"));
    lboxSucheTreffer->setFont(QFont(QStringLiteral("Arial")));
    lboxSucheTreffer->setMaximumHeight(140);
    auto* resultLayout = new QVBoxLayout(panSuchErgebnis);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    resultLayout->addWidget(Label3);
    resultLayout->addWidget(Label2);
    resultLayout->addWidget(lboxSucheTreffer);
    panSuchErgebnis->setVisible(false);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(Label1);
    searchRow->addWidget(editSuchbegriff, 1);
    searchRow->addWidget(btnSuchenStart);
    searchRow->addWidget(labSuchenHinweis, 2);
    auto* searchLayout = new QVBoxLayout(panSuchen);
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(panSuchErgebnis);
    panSuchen->setVisible(false);

    // Find-in-page bar.
    panFinden = new QFrame(this);
    panFinden->setObjectName(QStringLiteral("panFinden"));
    auto* findLabel = makeLabel(panFinden, "labFinden", QStringLiteral("Suchen &nach:"));
    editFinden = new QLineEdit(panFinden);
    editFinden->setObjectName(QStringLiteral("editFinden"));
    findLabel->setBuddy(editFinden);
    btnFindenWeiter = makeButton(panFinden, "btnFindenWeiter", QStringLiteral("&Weitersuchen"));
    btnFindenZurueck = makeButton(panFinden, "btnFindenZurueck", QStringLiteral("&Rückwärts"));
    btnFindenSchliessen = makeButton(panFinden, "btnFindenSchliessen", QString());
    btnFindenSchliessen->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    btnFindenSchliessen->setToolTip(QStringLiteral("Suche schließen"));
    auto* findLayout = new QHBoxLayout(panFinden);
    findLayout->setContentsMargins(0, 0, 0, 0);
    findLayout->addWidget(findLabel);
    findLayout->addWidget(editFinden, 1);
    findLayout->addWidget(btnFindenWeiter);
    findLayout->addWidget(btnFindenZurueck);
    findLayout->addWidget(btnFindenSchliessen);
    panFinden->setVisible(false);

    // The browser, on a profile of its own so that the download of the manual stays here.
    auto* profile = new QWebEngineProfile(this);
    profile->setObjectName(QStringLiteral("HelpProfile"));
    WebBrowser1 = new QWebEngineView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setPage(new QWebEnginePage(profile, WebBrowser1));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(panSuchen);
    layout->addWidget(panFinden);
    layout->addWidget(WebBrowser1, 1);

    // Notification-area icon and its menu.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto addEntry = [this](const char* name, const QString& text, void (TDlgHilfeHTML::*slot)()) {
        QAction* a = PopupMenu1->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QAction* help =
        addEntry("menHilfeHTML1", QStringLiteral("Hilfe zu KORVAN"), &TDlgHilfeHTML::menHilfeHTML1Click);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    PopupMenu1->setDefaultAction(help);
    addEntry("menInfo1", QStringLiteral("&Info"), &TDlgHilfeHTML::menInfo1Click);
    addEntry("menEMail1", QStringLiteral("&E-Mail an den Support"), &TDlgHilfeHTML::menEMail1Click);
    addEntry("menMorella1", QStringLiteral("&MORELLA im Internet"), &TDlgHilfeHTML::menMorella1Click);
    PopupMenu1->addSeparator();
    addEntry("menSysInfo1", QStringLiteral("S&ystem-Informationen anzeigen"),
             &TDlgHilfeHTML::menSysInfo1Click);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        LMDTrayIcon1 = new QSystemTrayIcon(style()->standardIcon(QStyle::SP_DialogHelpButton), this);
        LMDTrayIcon1->setObjectName(QStringLiteral("LMDTrayIcon1"));
        LMDTrayIcon1->setToolTip(QStringLiteral("KORVAN-Hilfe"));
        LMDTrayIcon1->setContextMenu(PopupMenu1);
        connect(LMDTrayIcon1, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) { LMDTrayIcon1MouseUp(int(reason)); });
        LMDTrayIcon1->show();
    }

    connect(btnZurueck, &QPushButton::clicked, this, &TDlgHilfeHTML::btnZurueckClick);
    connect(btnWeiter, &QPushButton::clicked, this, &TDlgHilfeHTML::btnWeiterClick);
    connect(btnSuche, &QPushButton::clicked, this, &TDlgHilfeHTML::btnSucheClick);
    connect(btnSucheWort, &QPushButton::clicked, this, &TDlgHilfeHTML::btnSucheWortClick);
    connect(btnSeiteDrucken, &QPushButton::clicked, this, &TDlgHilfeHTML::btnSeiteDruckenClick);
    connect(OKBtn, &QPushButton::clicked, this, &TDlgHilfeHTML::OKBtnClick);
    connect(btnSuchenStart, &QPushButton::clicked, this, &TDlgHilfeHTML::btnSuchenStartClick);
    connect(lboxSucheTreffer, &QListWidget::itemClicked, this, &TDlgHilfeHTML::lboxSucheTrefferClick);
    connect(btnFindenWeiter, &QPushButton::clicked, this, [this] { findInPage(false); });
    connect(btnFindenZurueck, &QPushButton::clicked, this, [this] { findInPage(true); });
    connect(editFinden, &QLineEdit::returnPressed, this, [this] { findInPage(false); });
    connect(btnFindenSchliessen, &QPushButton::clicked, this, [this] {
        WebBrowser1->findText(QString()); // clears the marking
        panFinden->hide();
    });
    connect(WebBrowser1, &QWebEngineView::loadStarted, this, [this] { loading_ = true; });
    connect(WebBrowser1, &QWebEngineView::loadFinished, this, [this](bool ok) {
        loading_ = false;
        if (ok)
            InstallInPageLinks(WebBrowser1->page());
        WebBrowser1NavigateComplete2();
        if (findPending_) {
            findPending_ = false;
            findInPage(false);
        }
        emit navigationCompleted(ok);
    });
    connect(WebBrowser1, &QWebEngineView::printFinished, this, [this](bool) { printer_.reset(); });

    // A manual that the web server hands out as an archive to save (not to show) is saved into the
    // cache and shown from there.
    connect(profile, &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest* download) {
                const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                                       QStringLiteral("/hilfe");
                QDir().mkpath(folder);
                const QString name = QFileInfo(download->url().path()).fileName();
                download->setDownloadDirectory(folder);
                download->setDownloadFileName(name.isEmpty() ? manualFileName() : name);
                connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download] {
                    if (download->state() == QWebEngineDownloadRequest::DownloadCompleted)
                        navigate(QUrl::fromLocalFile(
                            QDir(download->downloadDirectory()).filePath(download->downloadFileName())));
                });
                download->accept();
            });

    editSuchbegriff->installEventFilter(this);
    lboxSucheTreffer->installEventFilter(this);

    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &TDlgHilfeHTML::OKBtnClick);
}

TDlgHilfeHTML::~TDlgHilfeHTML()
{
    if (LMDTrayIcon1)
        LMDTrayIcon1->hide();
    // The page must go before its profile.
    delete WebBrowser1;
    WebBrowser1 = nullptr;
}

void TDlgHilfeHTML::navigate(const QUrl& url)
{
    requestedUrl_ = url;
    loading_ = true;
    WebBrowser1->load(url);
}

bool TDlgHilfeHTML::hasDocument() const
{
    return WebBrowser1 && (!WebBrowser1->url().isEmpty() || !requestedUrl_.isEmpty());
}

void TDlgHilfeHTML::btnZurueckClick()
{
    WebBrowser1->back(); // nothing happens without a previous page
}

void TDlgHilfeHTML::btnWeiterClick()
{
    WebBrowser1->forward();
}

void TDlgHilfeHTML::WebBrowser1NavigateComplete2()
{
    // Enabled after every navigation, whether or not the history has a page in that direction.
    btnZurueck->setEnabled(true);
    btnWeiter->setEnabled(true);
}

void TDlgHilfeHTML::btnSucheClick()
{
    panSuchen->setVisible(!panSuchen->isVisible());
    if (panSuchen->isVisible())
        editSuchbegriff->setFocus();
}

void TDlgHilfeHTML::btnSuchenStartClick()
{
    WaitCursor wait(Messages::Cursor::Wait);
    panSuchErgebnis->setVisible(true);
    lboxSucheTreffer->clear();
    lboxSucheTreffer->addItems(SearchHelpPages(ctx_.config.helpFolder, editSuchbegriff->text()));
    if (lboxSucheTreffer->isVisible() && lboxSucheTreffer->isEnabled())
        lboxSucheTreffer->setFocus();
    if (lboxSucheTreffer->count() > 0) {
        lboxSucheTreffer->setCurrentRow(0);
        lboxSucheTrefferClick();
        btnSucheWortClick();
    }
}

void TDlgHilfeHTML::lboxSucheTrefferClick()
{
    const QListWidgetItem* item = lboxSucheTreffer->currentItem();
    if (!item || !item->isSelected())
        return;
    QString folder = ctx_.config.helpFolder;
    if (!folder.endsWith(u'/') && !folder.endsWith(u'\\'))
        folder += pathSeparator();
    // A help folder given relative to the working folder (as the demo's is) names the page there.
    navigate(QUrl::fromLocalFile(QFileInfo(folder + item->text()).absoluteFilePath()));
}

void TDlgHilfeHTML::btnSucheWortClick()
{
    if (!hasDocument())
        return;
    panFinden->setVisible(true);
    editFinden->setFocus();
    if (panSuchen->isVisible()) {
        // Start the find with the search term, as if it had been typed and Enter pressed.
        editFinden->setText(editSuchbegriff->text());
        findInPage(false);
    } else {
        editFinden->clear();
    }
}

void TDlgHilfeHTML::findInPage(bool backward)
{
    const QString text = editFinden->text();
    if (text.isEmpty())
        return;
    if (loading_) {
        findPending_ = true; // the page that is loading gets searched once it is there
        return;
    }
    QWebEnginePage::FindFlags flags;
    if (backward)
        flags |= QWebEnginePage::FindBackward;
    QPointer<TDlgHilfeHTML> self(this);
    WebBrowser1->findText(text, flags, [self](const QWebEngineFindTextResult& result) {
        if (self)
            emit self->findFinished(result.numberOfMatches());
    });
}

void TDlgHilfeHTML::editSuchbegriffEnter()
{
    labSuchenHinweis->setVisible(true);
}

void TDlgHilfeHTML::editSuchbegriffExit()
{
    labSuchenHinweis->setVisible(false);
}

void TDlgHilfeHTML::btnSeiteDruckenClick()
{
    if (!hasDocument() || printer_)
        return; // nothing shown, or a print still running
    auto printer = std::make_unique<QPrinter>();
    QPrintDialog dialog(printer.get(), this);
    if (msg().execDialog(dialog) != QDialog::Accepted)
        return;
    printer_ = std::move(printer); // lives until the browser reports the end of the print
    WebBrowser1->print(printer_.get());
}

void TDlgHilfeHTML::OKBtnClick()
{
    close();
}

void TDlgHilfeHTML::bringToFront()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void TDlgHilfeHTML::menHilfeHTML1Click()
{
    bringToFront();
}

void TDlgHilfeHTML::runMainWindowCommand(const char* handler)
{
    if (ctx_.mainWindow)
        QMetaObject::invokeMethod(ctx_.mainWindow, handler);
}

void TDlgHilfeHTML::menSysInfo1Click()
{
    runMainWindowCommand("menSysInfoClick");
}

void TDlgHilfeHTML::menInfo1Click()
{
    runMainWindowCommand("menSysInfoClick");
}

void TDlgHilfeHTML::menEMail1Click()
{
    runMainWindowCommand("menHelpEMailClick");
}

void TDlgHilfeHTML::menMorella1Click()
{
    runMainWindowCommand("menHelpMORELLAInternetClick");
}

void TDlgHilfeHTML::LMDTrayIcon1MouseUp(int reason)
{
    // A left-button click on the icon; the context menu opens by itself on the right button.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        bringToFront();
}

bool TDlgHilfeHTML::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editSuchbegriff) {
        if (event->type() == QEvent::FocusIn)
            editSuchbegriffEnter();
        else if (event->type() == QEvent::FocusOut)
            editSuchbegriffExit();
        else if (isEnterKey(event) && !editSuchbegriff->text().isEmpty()) {
            btnSuchenStartClick();
            return true;
        }
    } else if (watched == lboxSucheTreffer && isEnterKey(event)) {
        const QListWidgetItem* item = lboxSucheTreffer->currentItem();
        if (item && item->isSelected()) {
            lboxSucheTrefferClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
