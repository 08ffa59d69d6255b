// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

struct AppContext;
class GridLayoutStore;
class Query;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableView;

// The contact page of the main window: the contact search on the left (ADR with the number of
// documents of each contact) and the document links of the current contact on the right
// (DOKUMENT rows), with new link, delete, open, view, rename and the marking of links whose file
// is missing.
class ContactPage : public QWidget
{
    Q_OBJECT
public:
    ContactPage(AppContext& ctx, QWidget* parent = nullptr);
    ~ContactPage() override;

    // Reads / writes this page's keys of the per-user settings (AppContext::settings).
    void loadSettings();
    void storeSettings();
    // Called by the main window each time the page is shown.
    void pageEntered();
    // Closes the page's data queries (main window closing).
    void closeQueries();

    // The contact list's current contact: its ADRNR (0 when the list is closed or empty) and
    // KURZNAME.
    qint64 currentAdrnr() const;
    QString currentKurzname() const;

    // Colours of a cell of the document grid: when the marking is on and the row's file is
    // missing, sets text and background (a highlighted cell white on red, any other cell red
    // text) and returns true. Tests the disk at every call.
    bool grdDokCalcCellColors(int row, bool highlighted, QColor* text, QColor* background) const;

    // Contact search
    Query* qryAdrSearch;
    QTableView* grdAdrSearch;
    QLineEdit* editSearchKontakte;
    QPushButton* btnKontakteRefresh;
    QCheckBox* chkKontakteNurMitDoks;
    QComboBox* cboSearchKontaktArt;
    QComboBox* cboFilterStatus;
    QLabel* labOrderByKontakte;
    QWidget* panKontakteGrid;

    // Document links
    Query* qryDokument;
    QTableView* grdDok;
    QCheckBox* chkKontakteUngueltVerknMark;
    QWidget* panKontakteButtons;
    QPushButton* btnKontaktDokuNeu;
    QPushButton* btnDokuKontaktLoeschen;
    QPushButton* btnKontaktOpenDok;
    QPushButton* btnKontaktViewDok;
    QPushButton* btnKontaktDokuUmbenennen;
    QWidget* panKontakteDokumente;

public slots:
    // Rebuilds and reopens the contact list; returns to the contact adrnr when it is > 0 and
    // still listed.
    void RefreshContactList(qint64 adrnr);
    // Reopens the document list for the current contact.
    void RefreshContactLinks();
    void datAdrSearchDataChange();

    void btnKontakteRefreshClick();
    void chkKontakteNurMitDoksClick();
    void cboSearchKontaktArtClick();
    void cboFilterStatusClick();
    void grdAdrSearchTitleButtonClick(int logicalIndex);

    void btnKontaktDokuNeuClick();
    void btnDokuKontaktLoeschenClick();
    void btnKontaktOpenDokClick();
    void btnKontaktViewDokClick();
    void btnKontaktDokuUmbenennenClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Keys of the search box: returns true when the key is consumed.
    bool editSearchKontakteKeyDown(QKeyEvent* event);
    void editSearchKontakteKeyUp(QKeyEvent* event);

private:
    void buildSearchPane();
    void buildDocumentPane();
    void qryAdrSearchCurrentChanged();
    void qryDokumentCurrentChanged();
    void moveContactRows(int delta);
    qint64 currentAdrnrIfOpen() const;
    void searchTextRule();
    bool hasCurrentDocument() const;
    QString currentDocumentPath() const;
    void ensureDefaultLayouts();

    AppContext& ctx_;
    QSplitter* splitter_ = nullptr;
    GridLayoutStore* adrLayout_ = nullptr;
    GridLayoutStore* dokLayout_ = nullptr;
    int gridPaneWidth_ = 600;
    bool syncing_ = false;
    bool layoutsChecked_ = false;
};
