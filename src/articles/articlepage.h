// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "articles/articlelist.h"

#include <QHash>
#include <QWidget>

struct AppContext;
class GridCellDelegate;
class GridLayoutStore;
class Query;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

// The article documents page: the article group tree (left), the article list with its filters
// (middle) and the document links of the current article (right).
class ArticlePage : public QWidget
{
    Q_OBJECT
public:
    // Kinds of the group tree's nodes (stored with each node, Qt::UserRole).
    enum class NodeKind { Root = 0, Heading, MainGroup, Group, SubGroup };

    ArticlePage(AppContext& ctx, QWidget* parent = nullptr);
    ~ArticlePage() override;

    // Reads / writes this page's keys of the per-user settings (AppContext::settings).
    void loadSettings();
    void storeSettings();
    // Called by the main window each time the page is shown: builds the group tree on the first
    // visit. A failed build has been reported and leaves through AbortSignal, so the caller can
    // keep its current page; the nodes read so far stay and are not built again.
    void pageEntered();
    // Closes the page's data queries (main window closing); changed grid layouts are saved.
    void closeQueries();

    // The current article of the list (empty when there is none), and the link list's current row.
    bool hasCurrentArticle() const;
    QString currentArtNr() const;
    bool hasCurrentLink() const;
    // The link grid (the file manager drops files onto it).
    QTableView* linkGrid() const { return grdMArtBild; }

    // Cell colours of the two grids (called for each painted cell).
    void grdArtikelCalcCellColors(const QModelIndex& index, bool highlighted, CellColors& colors);
    void grdMArtBildCalcCellColors(const QModelIndex& index, bool highlighted, CellColors& colors);
    // Node font of the group tree: bold for headings.
    void TreeView1CalcNodeAttributes(QTreeWidgetItem* node);
    // How many times the link marking tested a file on disk (each visible row once per repaint).
    int fileExistenceTests() const { return fileTests_; }

public slots:
    // Group tree. BuildArticleGroupTree throws AbortSignal after a reported failure.
    void BuildArticleGroupTree();
    void TreeView1Click();

    // Article list.
    void RefreshArticleList();
    void btnArtikelRefreshClick();
    void chkArtikelNurMitDoksClick();
    void rgrpArtikelartClick();
    void grdArtikelTitleButtonClick(const QString& fieldName);
    // Returns true when the key was consumed (it moved the current row).
    bool EditSearchKeyDown(int key);
    void EditSearchKeyUp(int key, Qt::KeyboardModifiers modifiers, const QString& text);
    void datMArtDataChange();

    // Links of the current article.
    void RefreshArticleLinks();
    void btnArtikelOpenDokClick();
    void btnArtikelViewDokClick();
    void btnDokuLoeschenClick();
    void btnDokuNeuClick();
    void btnArtikelVerknAendernClick();
    void btnArtikelDokuUmbenennenClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void applyPaneWidths();
    QWidget* buildTreePane();
    QWidget* buildListPane();
    QWidget* buildLinkPane();
    void bindGrid(QTableView* grid, Query* query);
    void queryOpened(QTableView* grid, Query* query);
    void syncGridToQuery(QTableView* grid, Query* query);
    void moveArticleRow(int delta);
    int columnOf(const QModelIndex& index, const QString& field) const;
    QVariant cellValue(const QModelIndex& index, const QString& field) const;
    void buildGroupTreeRows();
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& text, NodeKind kind);
    bool linkRowValid(int row);

    AppContext& ctx_;

    // Page queries.
    Query* qryArtGrupp;
    Query* qryAGruppen;
    Query* qryAGrupp2;
    Query* qryMArt;
    Query* qryMArtBild;

    QStackedWidget* LMDPageControl2;
    QWidget* tsAuswahl;
    QSplitter* splitter_;

    // Group tree pane.
    QWidget* panArtikelTree;
    QWidget* panAuswahl;
    QLabel* labOBERGRUPPE;
    QLabel* labGruppe;
    QLabel* labGru2;
    QTreeWidget* TreeView1;

    // Article list pane.
    QWidget* panArtGrids;
    QWidget* TopPanel;
    QGroupBox* LMDGroupBox1;
    QLineEdit* EditSearch;
    QPushButton* btnArtikelRefresh;
    QCheckBox* chkArtikelNurMitDoks;
    QGroupBox* LMDGroupBox2;
    QLabel* labOrderBy;
    QGroupBox* rgrpArtikelart;
    QButtonGroup* rgrpArtikelartButtons;
    QTableView* grdArtikel;
    GridCellDelegate* artikelDelegate_;
    GridLayoutStore* artikelLayout_;

    // Link pane.
    QWidget* panArtikelDokumente;
    QCheckBox* chkArtUngueltVerknMark;
    QWidget* panArtikelButtons;
    QPushButton* btnDokuNeu;
    QPushButton* btnArtikelVerknAendern;
    QPushButton* btnDokuLoeschen;
    QPushButton* btnArtikelOpenDok;
    QPushButton* btnArtikelViewDok;
    QPushButton* btnArtikelDokuUmbenennen;
    QTableView* grdMArtBild;
    GridCellDelegate* linkDelegate_;
    GridLayoutStore* linkLayout_;

    bool syncing_ = false;
    // Field name -> column of the open article and link queries.
    QHash<QString, int> articleColumns_;
    QHash<QString, int> linkColumns_;
    // Pane widths of the per-user settings; applied when the page is first shown.
    int treeWidth_ = 200;
    int documentsWidth_ = 430;
    bool widthsApplied_ = false;
    // Existence of each painted link row's file, valid for one repaint of the link grid.
    QHash<int, bool> linkValidCache_;
    int fileTests_ = 0;
};
