// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

struct AppContext;
class Query;
class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QDrag;
class QFileSystemModel;
class QFrame;
class QItemSelectionModel;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSortFilterProxyModel;
class QSplitter;
class QStackedWidget;
class QTableView;
class QTreeView;

// The file manager: a folder tree and a file list over one current folder beside the main window.
// For the selected file it shows the article links that name it, opens, shows, renames and deletes
// the file while keeping those links in step, and is the source from which the file is dragged onto
// the article link grid (see ArticleLinkDropFilter). There is one per run; closing hides it.
class TDlgDateiManager : public QWidget
{
    Q_OBJECT
public:
    // The main window's command: creates the file manager (owned by ctx.mainWindow) on first use and
    // shows it, not modal, brought to the front. A file manager created otherwise (the main window's
    // own factory) counts as the one of this run.
    static TDlgDateiManager* showFor(AppContext& ctx);
    // The file manager of this run, or nullptr before the first use.
    static TDlgDateiManager* instance();

    // View styles by the index of cboAnsicht.
    enum ViewStyle { LargeIcons = 0, List = 1, Details = 2, SmallIcons = 3 };

    explicit TDlgDateiManager(AppContext& ctx, QWidget* parent = nullptr);
    ~TDlgDateiManager() override;

    // The folder shown (absolute, with "/" separators), and the top of the folder tree.
    QString currentFolder() const { return currentFolder_; }
    QString rootFolder() const { return rootFolder_; }
    // Shows a folder in the file list (and the tree) and puts it into the history.
    void setCurrentFolder(const QString& path);
    // Makes a folder the top of the tree ("sfMyComputer": the file system's top) and shows it.
    void setRootFolder(const QString& setting);
    ViewStyle viewStyle() const { return viewStyle_; }

    // The file list: its model, the selection shared by its views, and the view now in use.
    QFileSystemModel* fileModel() const { return listModel_; }
    QItemSelectionModel* fileSelection() const;
    QAbstractItemView* fileView() const;
    QFileSystemModel* folderModel() const { return treeModel_; }
    Query* linkQuery() const { return qryMArtBild; }
    QStringList history() const { return history_; }

    // Runs a started drag (QDrag::exec in the program; tests replace it).
    void setDragExecutor(std::function<void(QDrag&)> executor);
    // The full name the two fields name ("" while editDatei is empty).
    QString selectedFile() const;

    QWidget* panOrdner;
    QWidget* panDateien;
    QWidget* panDokumente;
    QSplitter* splitter;
    QPushButton* btnPfadZurueck;
    QPushButton* btnPfadVor;
    QTreeView* LMDShellTree1;
    QStackedWidget* LMDShellList1;
    QListView* lstSymbole; // icon and list styles
    QTreeView* lstDetails; // details style
    QLineEdit* editDatei;
    QLineEdit* editPfad;
    QLabel* imgVerknuepfungDateiManager;
    QPushButton* btnHilfeVerknuepfungen;
    QCheckBox* chkSucheDateiInDok;
    QComboBox* cboAnsicht;
    QPushButton* btnDokuLoeschen;
    QPushButton* btnOpenDok;
    QPushButton* btnViewDok;
    QPushButton* btnArtikelDokuUmbenennen;
    QTableView* grdMArtBild;
    QFrame* panHinwVerknuepfung;
    QLabel* labHinweis;
    QPushButton* btnHinweisClose;

public slots:
    void FormShow();
    void FormClose();
    void cboAnsichtChange();
    void btnPfadZurueckClick();
    void btnPfadVorClick();
    void LMDShellList1ItemSelected();
    void LMDShellList1SelectItem();
    bool FindFileLinks(const QString& fileName);
    void btnOpenDokClick();
    void btnViewDokClick();
    void btnArtikelDokuUmbenennenClick();
    void btnDokuLoeschenClick();
    void btnHilfeVerknuepfungenClick();
    void btnHinweisCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyViewStyle(int index);
    void showFolder(const QString& path);
    void treeFolderChosen();
    void fileActivated(const QModelIndex& index);
    void takeSelection(bool withCaption);
    void updateHistoryButtons();
    void arrangeLinkColumns();
    void startDrag(QWidget* source);
    void setFields(const QString& folder, const QString& fileName);

    AppContext& ctx_;
    Query* qryMArtBild;
    QFileSystemModel* treeModel_;
    QSortFilterProxyModel* treeProxy_;
    QFileSystemModel* listModel_;
    QString currentFolder_;
    QString rootFolder_;
    ViewStyle viewStyle_ = Details;
    QStringList history_;
    int historyPos_ = -1;
    bool syncingTree_ = false;
    bool shownOnce_ = false;
    bool selectionChangedByPress_ = false;
    // Drag start: the press that may begin a drag.
    QPointer<QWidget> dragSource_;
    QPoint dragStart_;
    QPixmap arrow_;
    std::function<void(QDrag&)> dragExecutor_;

    static QPointer<TDlgDateiManager> instance_;
};
