// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemanager/dlgdateimanager.h"

#include "app/appcontext.h"
#include "app/dlginputpara.h"
#include "app/placement.h"
#include "db/query.h"
#include "filemanager/articlelinkdrop.h"
#include "filemanager/filelinks.h"
#include "util/helpers.h"
#include "util/messages.h"
#include "util/namedwidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShowEvent>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

namespace {

// Icons of the folder tree and the file list. Without a desktop icon theme (a plain X session, a
// minimal desktop) the system gives no icons at all and folders look like files; the style's
// folder, drive and file pictures stand in for the missing ones.
class FallbackIconProvider : public QFileIconProvider
{
public:
    QIcon icon(IconType type) const override
    {
        const QIcon themed = QFileIconProvider::icon(type);
        if (!themed.isNull())
            return themed;
        switch (type) {
        case Computer:
            return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
        case Drive:
            return QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
        case Folder:
            return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        default:
            return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        }
    }
    QIcon icon(const QFileInfo& info) const override
    {
        const QIcon themed = QFileIconProvider::icon(info);
        if (!themed.isNull())
            return themed;
        if (info.isRoot())
            return icon(Drive);
        return icon(info.isDir() ? Folder : File);
    }
};

// The group of the window placement.
QString settingsSection()
{
    return QStringLiteral("DateiManager");
}

// The setting for the file system's top ("My Computer" with its drives on Windows, "/" elsewhere).
QString myComputerSetting()
{
    return QStringLiteral("sfMyComputer");
}

QString fileSystemTop()
{
#ifdef Q_OS_WIN
    return QString(); // the model's top level lists the drives
#else
    return QDir::rootPath();
#endif
}

// Shows the folder tree from its top folder down: of the top folder's siblings only the top folder
// stays, so it is the tree's one top node.
class TreeTopProxy : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setTop(const QModelIndex& sourceTop)
    {
        top_ = sourceTop;
        invalidateFilter();
    }
    QModelIndex top() const { return top_; }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        if (!top_.isValid() || parent != top_.parent())
            return true;
        return row == top_.row();
    }

private:
    QPersistentModelIndex top_;
};

// The link list's columns: titles, and the picture flag as a check box.
class LinkListModel : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QString fieldName(int column) const
    {
        const auto* sql = qobject_cast<const QSqlQueryModel*>(sourceModel());
        return sql ? sql->record().fieldName(column).toUpper() : QString();
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (index.isValid() && fieldName(index.column()) == u"BILDKENNZ") {
            const QVariant v = QIdentityProxyModel::data(index, Qt::DisplayRole);
            if (role == Qt::CheckStateRole)
                return v.toInt() == 1 ? Qt::Checked : Qt::Unchecked;
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return QVariant();
        }
        return QIdentityProxyModel::data(index, role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
            const QString title = titleOf(fieldName(section));
            if (!title.isEmpty())
                return title;
        }
        return QIdentityProxyModel::headerData(section, orientation, role);
    }

    struct Column
    {
        const char* field;
        const char* title;
        int chars;
    };
    static const std::array<Column, 7>& columns()
    {
        static const std::array<Column, 7> c{{{"TYP", "Typ", 23},
                                              {"BEZEICHNUNG", "Bezeichnung", 34},
                                              {"ARTNR", "Art.Nr.", 20},
                                              {"LFDNR", "LfdNr", 5},
                                              {"DATEINAME", "Datei", 13},
                                              {"PFADNAME", "Pfad", 61},
                                              {"BILDKENNZ", "Auftr.Bild?", 10}}};
        return c;
    }
    static QString titleOf(const QString& field)
    {
        for (const Column& c : columns())
            if (field == QLatin1String(c.field))
                return QString::fromUtf8(c.title);
        return QString();
    }
};

QPixmap arrowPixmap()
{
    QPixmap pm(56, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(2, 11);
    path.lineTo(34, 11);
    path.lineTo(34, 3);
    path.lineTo(54, 16);
    path.lineTo(34, 29);
    path.lineTo(34, 21);
    path.lineTo(2, 21);
    path.closeSubpath();
    p.setPen(QPen(QColor(0, 0, 128), 1.5));
    p.setBrush(QColor(70, 110, 220));
    p.drawPath(path);
    return pm;
}

QString helpText()
{
    return QStringLiteral(
        "Wenn Sie eine Verknüpfung erstellen wollen, so ziehen Sie den Pfeil mit der Maus auf das "
        "Dokumentenfenster in den Artikeln oder Kontakten.\n\n"
        "Also:\n\n"
        "Zuerst öffnen Sie ein Fenster mit Dokumenten-Verknüpfungen, z.B. die Artikel-Dokumente. Dort suchen "
        "Sie einen Artikel aus.\n\n"
        "Dann öffnen Sie den Datei-Manager und suchen die gewünschte Datei aus.\n\n"
        "Anschließend ziehen Sie den Pfeil auf das Fenster der Dokumenten-Verknüpfungen.");
}

} // namespace

QPointer<TDlgDateiManager> TDlgDateiManager::instance_;

TDlgDateiManager* TDlgDateiManager::showFor(AppContext& ctx)
{
    if (!instance_)
        instance_ = new TDlgDateiManager(ctx, ctx.mainWindow);
    instance_->show();
    if (instance_->isMinimized())
        instance_->showNormal();
    instance_->raise();
    instance_->activateWindow();
    return instance_;
}

TDlgDateiManager* TDlgDateiManager::instance()
{
    return instance_;
}

TDlgDateiManager::TDlgDateiManager(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("DlgDateiManager"));
    if (!instance_)
        instance_ = this;
    setWindowFlag(Qt::Window);
    setWindowTitle(QStringLiteral("DokumentenManager"));
    resize(1150, 620);
    arrow_ = arrowPixmap();
    dragExecutor_ = [](QDrag& drag) { drag.exec(Qt::CopyAction | Qt::LinkAction, Qt::CopyAction); };

    qryMArtBild = new Query(QStringLiteral("qryMArtBild"), this, ctx.connectionName);

    // Left: folder history and the folder tree.
    panOrdner = new QWidget(this);
    panOrdner->setObjectName(QStringLiteral("panOrdner"));
    btnPfadZurueck = makeButton(panOrdner, "btnPfadZurueck", QString());
    btnPfadZurueck->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    btnPfadZurueck->setToolTip(QStringLiteral("Zurück"));
    btnPfadVor = makeButton(panOrdner, "btnPfadVor", QString());
    btnPfadVor->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    btnPfadVor->setToolTip(QStringLiteral("Vorwärts"));
    // One provider for every window and model, kept to the end of the program: the models may ask
    // for icons until they are destroyed.
    static FallbackIconProvider* const iconProvider = new FallbackIconProvider;
    treeModel_ = new QFileSystemModel(this);
    treeModel_->setObjectName(QStringLiteral("LMDShellFolder1Tree"));
    treeModel_->setIconProvider(iconProvider);
    treeModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    treeModel_->setRootPath(fileSystemTop());
    treeModel_->sort(0, Qt::AscendingOrder);
    treeProxy_ = new TreeTopProxy(this);
    treeProxy_->setSourceModel(treeModel_);
    LMDShellTree1 = new QTreeView(panOrdner);
    LMDShellTree1->setObjectName(QStringLiteral("LMDShellTree1"));
    LMDShellTree1->setModel(treeProxy_);
    LMDShellTree1->setHeaderHidden(true);
    for (int c = 1; c < treeModel_->columnCount(); ++c)
        LMDShellTree1->hideColumn(c);
    LMDShellTree1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* folderBar = new QHBoxLayout;
    folderBar->addWidget(btnPfadZurueck);
    folderBar->addWidget(btnPfadVor);
    folderBar->addWidget(makeLabel(panOrdner, "labOrdner", QStringLiteral("Ordner:")));
    folderBar->addStretch();
    auto* folderLayout = new QVBoxLayout(panOrdner);
    folderLayout->setContentsMargins(2, 2, 2, 2);
    folderLayout->addLayout(folderBar);
    folderLayout->addWidget(LMDShellTree1, 1);

    // Middle: the header with the fields and buttons, and the file list.
    panDateien = new QWidget(this);
    panDateien->setObjectName(QStringLiteral("panDateien"));
    editDatei = new QLineEdit(panDateien);
    editDatei->setObjectName(QStringLiteral("editDatei"));
    editDatei->setReadOnly(true);
    editPfad = new QLineEdit(panDateien);
    editPfad->setObjectName(QStringLiteral("editPfad"));
    editPfad->setReadOnly(true);
    editPfad->setMinimumWidth(220);
    imgVerknuepfungDateiManager = new QLabel(panDateien);
    imgVerknuepfungDateiManager->setObjectName(QStringLiteral("imgVerknuepfungDateiManager"));
    imgVerknuepfungDateiManager->setPixmap(arrow_);
    imgVerknuepfungDateiManager->setCursor(Qt::OpenHandCursor);
    imgVerknuepfungDateiManager->setToolTip(QStringLiteral("Pfeil auf Dokumente im Hauptfenster ziehen."));
    auto* labVerkn =
        makeLabel(panDateien, "labVerknuepfungErstellen", QStringLiteral("Verknüpfung erstellen:"));
    QFont underlined = labVerkn->font();
    underlined.setUnderline(true);
    labVerkn->setFont(underlined);
    btnHilfeVerknuepfungen = makeButton(panDateien, "btnHilfeVerknuepfungen", QString());
    btnHilfeVerknuepfungen->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    btnHilfeVerknuepfungen->setToolTip(QStringLiteral("Hilfe zum Erstellen von Verknüpfungen"));
    chkSucheDateiInDok = new QCheckBox(QStringLiteral("Datei in Dokumentenverknüpfungen suchen"), panDateien);
    chkSucheDateiInDok->setObjectName(QStringLiteral("chkSucheDateiInDok"));
    cboAnsicht = new QComboBox(panDateien);
    cboAnsicht->setObjectName(QStringLiteral("cboAnsicht"));
    cboAnsicht->addItems({QStringLiteral("Symbol"), QStringLiteral("Liste"), QStringLiteral("Details"),
                          QStringLiteral("Kleines Symbol")});
    cboAnsicht->setCurrentIndex(Details);
    btnDokuLoeschen = makeButton(panDateien, "btnDokuLoeschen", QStringLiteral("Datei löschen"));
    btnOpenDok = makeButton(panDateien, "btnOpenDok", QStringLiteral("Öffnen"));
    btnViewDok = makeButton(panDateien, "btnViewDok", QStringLiteral("Anzeigen"));
    btnViewDok->setToolTip(QStringLiteral("Dokument anzeigen (Geht nicht bei allen Datei-Typen!)"));
    btnArtikelDokuUmbenennen =
        makeButton(panDateien, "btnArtikelDokuUmbenennen", QStringLiteral("Datei umbenennen"));

    listModel_ = new QFileSystemModel(this);
    listModel_->setObjectName(QStringLiteral("LMDShellFolder1"));
    listModel_->setIconProvider(iconProvider);
    listModel_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::AllDirs);
    listModel_->setReadOnly(true); // renames go through the command that keeps the links in step
    LMDShellList1 = new QStackedWidget(panDateien);
    LMDShellList1->setObjectName(QStringLiteral("LMDShellList1"));
    lstSymbole = new QListView(LMDShellList1);
    lstSymbole->setObjectName(QStringLiteral("lstSymbole"));
    lstSymbole->setModel(listModel_);
    lstDetails = new QTreeView(LMDShellList1);
    lstDetails->setObjectName(QStringLiteral("lstDetails"));
    lstDetails->setModel(listModel_);
    lstDetails->setSelectionModel(lstSymbole->selectionModel());
    lstDetails->setRootIsDecorated(false);
    lstDetails->setItemsExpandable(false);
    lstDetails->setSortingEnabled(true);
    lstDetails->sortByColumn(0, Qt::AscendingOrder);
    lstDetails->setAllColumnsShowFocus(true);
    // Columns: Name, Type, Size, Date Modified.
    QHeaderView* listHeader = lstDetails->header();
    listHeader->moveSection(listHeader->visualIndex(2), 1);
    listHeader->setMaximumSectionSize(300);
    const int widths[] = {180, 96, 150, 120}; // by the model's columns Name, Size, Type, Date
    for (int c = 0; c < 4; ++c)
        lstDetails->setColumnWidth(c, widths[c]);
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(lstSymbole), static_cast<QAbstractItemView*>(lstDetails)}) {
        v->setSelectionMode(QAbstractItemView::ExtendedSelection);
        v->setSelectionBehavior(QAbstractItemView::SelectRows);
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setDragEnabled(false);
        v->viewport()->installEventFilter(this);
    }
    LMDShellList1->addWidget(lstSymbole);
    LMDShellList1->addWidget(lstDetails);
    LMDShellList1->setCurrentWidget(lstDetails);

    auto* fields = new QGridLayout;
    fields->addWidget(makeLabel(panDateien, "labDateien", QStringLiteral("Dateien:")), 0, 0, 1, 2);
    fields->addWidget(makeLabel(panDateien, "labDatei", QStringLiteral("Datei:")), 1, 0);
    fields->addWidget(editDatei, 1, 1);
    fields->addWidget(makeLabel(panDateien, "labPfad", QStringLiteral("Pfad:")), 2, 0);
    fields->addWidget(editPfad, 2, 1);
    auto* linkBox = new QGridLayout;
    linkBox->addWidget(imgVerknuepfungDateiManager, 0, 0, 2, 1);
    linkBox->addWidget(labVerkn, 0, 1);
    auto* labPfeil = makeLabel(panDateien, "labPfeilZiehen",
                               QStringLiteral("Pfeil auf Dokumente im Hauptfenster ziehen."));
    labPfeil->setWordWrap(true);
    labPfeil->setMaximumWidth(170);
    linkBox->addWidget(labPfeil, 1, 1);
    linkBox->addWidget(btnHilfeVerknuepfungen, 0, 2, 2, 1);
    auto* header = new QHBoxLayout;
    header->addLayout(fields, 1);
    header->addLayout(linkBox);
    auto* options = new QHBoxLayout;
    options->addWidget(chkSucheDateiInDok);
    options->addStretch();
    options->addWidget(makeLabel(panDateien, "labAnsicht", QStringLiteral("Ansicht:")));
    options->addWidget(cboAnsicht);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnDokuLoeschen);
    buttons->addWidget(btnOpenDok);
    buttons->addWidget(btnViewDok);
    buttons->addWidget(btnArtikelDokuUmbenennen);
    buttons->addStretch();
    auto* filesLayout = new QVBoxLayout(panDateien);
    filesLayout->setContentsMargins(2, 2, 2, 2);
    filesLayout->addLayout(header);
    filesLayout->addLayout(options);
    filesLayout->addLayout(buttons);
    filesLayout->addWidget(LMDShellList1, 1);

    // Right: the article links of the selected file.
    panDokumente = new QWidget(this);
    panDokumente->setObjectName(QStringLiteral("panDokumente"));
    grdMArtBild = new QTableView(panDokumente);
    grdMArtBild->setObjectName(QStringLiteral("grdMArtBild"));
    auto* linkModel = new LinkListModel(grdMArtBild);
    linkModel->setSourceModel(qryMArtBild->model());
    grdMArtBild->setModel(linkModel);
    grdMArtBild->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMArtBild->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMArtBild->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdMArtBild->verticalHeader()->hide();
    grdMArtBild->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grdMArtBild->horizontalHeader()->setFont(QFont(QStringLiteral("Arial")));
    grdMArtBild->horizontalHeader()->setSectionsMovable(false);
    auto* docsLayout = new QVBoxLayout(panDokumente);
    docsLayout->setContentsMargins(2, 2, 2, 2);
    docsLayout->addWidget(
        makeLabel(panDokumente, "labArtikelDokumente", QStringLiteral("Artikel-Dokumentenverknüpfung:")));
    docsLayout->addWidget(grdMArtBild, 1);

    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(panOrdner);
    splitter->addWidget(panDateien);
    splitter->addWidget(panDokumente);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({285, width() - 285 - 323, 323});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    // The note on how links are made, floating over the window.
    panHinwVerknuepfung = new QFrame(this);
    panHinwVerknuepfung->setObjectName(QStringLiteral("panHinwVerknuepfung"));
    panHinwVerknuepfung->setFrameShape(QFrame::Box);
    panHinwVerknuepfung->setAutoFillBackground(true);
    QPalette notePalette = panHinwVerknuepfung->palette();
    notePalette.setColor(QPalette::Window, notePalette.color(QPalette::ToolTipBase));
    notePalette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    panHinwVerknuepfung->setPalette(notePalette);
    labHinweis = makeLabel(panHinwVerknuepfung, "labHinweis", helpText());
    labHinweis->setWordWrap(true);
    labHinweis->setFixedWidth(380);
    btnHinweisClose = makeButton(panHinwVerknuepfung, "btnHinweisClose", QString());
    btnHinweisClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    btnHinweisClose->setToolTip(QStringLiteral("Hinweis schließen"));
    auto* noteLayout = new QHBoxLayout(panHinwVerknuepfung);
    noteLayout->addWidget(labHinweis);
    noteLayout->addWidget(btnHinweisClose, 0, Qt::AlignTop);
    panHinwVerknuepfung->hide();

    imgVerknuepfungDateiManager->installEventFilter(this);

    connect(cboAnsicht, &QComboBox::currentIndexChanged, this, &TDlgDateiManager::cboAnsichtChange);
    connect(btnPfadZurueck, &QPushButton::clicked, this, &TDlgDateiManager::btnPfadZurueckClick);
    connect(btnPfadVor, &QPushButton::clicked, this, &TDlgDateiManager::btnPfadVorClick);
    connect(btnOpenDok, &QPushButton::clicked, this, &TDlgDateiManager::btnOpenDokClick);
    connect(btnViewDok, &QPushButton::clicked, this, &TDlgDateiManager::btnViewDokClick);
    connect(btnArtikelDokuUmbenennen, &QPushButton::clicked, this,
            &TDlgDateiManager::btnArtikelDokuUmbenennenClick);
    connect(btnDokuLoeschen, &QPushButton::clicked, this, &TDlgDateiManager::btnDokuLoeschenClick);
    connect(btnHilfeVerknuepfungen, &QPushButton::clicked, this,
            &TDlgDateiManager::btnHilfeVerknuepfungenClick);
    connect(btnHinweisClose, &QPushButton::clicked, this, &TDlgDateiManager::btnHinweisCloseClick);
    connect(fileSelection(), &QItemSelectionModel::selectionChanged, this,
            &TDlgDateiManager::LMDShellList1SelectItem);
    for (QAbstractItemView* v :
         {static_cast<QAbstractItemView*>(lstSymbole), static_cast<QAbstractItemView*>(lstDetails)}) {
        connect(v, &QAbstractItemView::clicked, this, &TDlgDateiManager::LMDShellList1ItemSelected);
        connect(v, &QAbstractItemView::activated, this, &TDlgDateiManager::fileActivated);
    }
    connect(LMDShellTree1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TDlgDateiManager::treeFolderChosen);
    connect(qryMArtBild, &Query::afterOpen, this, &TDlgDateiManager::arrangeLinkColumns);
    connect(qryMArtBild, &Query::controlsEnabledChanged, grdMArtBild,
            [this](bool enabled) { grdMArtBild->setUpdatesEnabled(enabled); });

    updateHistoryButtons();
}

TDlgDateiManager::~TDlgDateiManager() = default;

QItemSelectionModel* TDlgDateiManager::fileSelection() const
{
    return lstSymbole->selectionModel();
}

QAbstractItemView* TDlgDateiManager::fileView() const
{
    return qobject_cast<QAbstractItemView*>(LMDShellList1->currentWidget());
}

void TDlgDateiManager::setDragExecutor(std::function<void(QDrag&)> executor)
{
    dragExecutor_ = std::move(executor);
}

QString TDlgDateiManager::selectedFile() const
{
    return editDatei->text().isEmpty() ? QString() : editPfad->text() + editDatei->text();
}

// ---- Show and close ----------------------------------------------------------------------------

void TDlgDateiManager::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TDlgDateiManager::closeEvent(QCloseEvent* event)
{
    FormClose();
    QWidget::closeEvent(event); // accepted: the window is hidden, not destroyed
}

void TDlgDateiManager::FormShow()
{
    if (!shownOnce_) {
        shownOnce_ = true;
        RestoreWindowPlacement(this, settingsSection());
    }
    FileManagerSettings s;
    if (!ctx_.settingsFileName.isEmpty())
        s.load(ctx_.settingsFileName);
    {
        const QSignalBlocker block(cboAnsicht);
        cboAnsicht->setCurrentIndex(s.cboAnsichtItemIndex >= 0 && s.cboAnsichtItemIndex < cboAnsicht->count()
                                        ? s.cboAnsichtItemIndex
                                        : -1);
    }
    cboAnsichtChange();
    chkSucheDateiInDok->setChecked(s.chkSucheDateiInDok);
    setRootFolder(s.RootFolder);
    setWindowTitle(QDir::toNativeSeparators(currentFolder_));
}

void TDlgDateiManager::FormClose()
{
    if (!ctx_.settingsFileName.isEmpty()) {
        FileManagerSettings s;
        s.cboAnsichtItemIndex = cboAnsicht->currentIndex();
        s.chkSucheDateiInDok = chkSucheDateiInDok->isChecked();
        s.RootFolder =
            currentFolder_.isEmpty() ? myComputerSetting() : QDir::toNativeSeparators(currentFolder_);
        s.save(ctx_.settingsFileName);
    }
    SaveWindowPlacement(this, settingsSection());
}

// ---- Folders ------------------------------------------------------------------------------------

void TDlgDateiManager::setRootFolder(const QString& setting)
{
    QString root = fileSystemTop();
    if (setting.compare(myComputerSetting(), Qt::CaseInsensitive) != 0 && !setting.isEmpty()) {
        const QFileInfo fi(setting);
        if (fi.isDir())
            root = QDir::cleanPath(fi.absoluteFilePath());
    }
    rootFolder_ = root;
    const QModelIndex top = root.isEmpty() ? QModelIndex() : treeModel_->index(root);
    auto* proxy = static_cast<TreeTopProxy*>(treeProxy_);
    proxy->setTop(top);
    LMDShellTree1->setRootIndex(top.isValid() ? treeProxy_->mapFromSource(top.parent()) : QModelIndex());
    if (top.isValid())
        LMDShellTree1->expand(treeProxy_->mapFromSource(top));
    setCurrentFolder(root);
}

void TDlgDateiManager::setCurrentFolder(const QString& path)
{
    const QString folder = path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (historyPos_ >= 0 && history_.at(historyPos_) == folder) {
        showFolder(folder);
        return;
    }
    while (history_.size() > historyPos_ + 1)
        history_.removeLast();
    history_ << folder;
    historyPos_ = int(history_.size()) - 1;
    showFolder(folder);
}

void TDlgDateiManager::showFolder(const QString& folder)
{
    currentFolder_ = folder;
    const QModelIndex listRoot = listModel_->setRootPath(folder);
    lstSymbole->setRootIndex(listRoot);
    lstDetails->setRootIndex(listRoot);
    fileSelection()->clear();

    // The tree follows the list.
    const QModelIndex inTree = treeProxy_->mapFromSource(treeModel_->index(folder));
    if (inTree.isValid()) {
        syncingTree_ = true;
        LMDShellTree1->setCurrentIndex(inTree);
        LMDShellTree1->scrollTo(inTree);
        syncingTree_ = false;
    }
    if (shownOnce_)
        setWindowTitle(QDir::toNativeSeparators(folder));
    updateHistoryButtons();
}

void TDlgDateiManager::treeFolderChosen()
{
    if (syncingTree_)
        return;
    const QModelIndex index = treeProxy_->mapToSource(LMDShellTree1->currentIndex());
    if (index.isValid())
        setCurrentFolder(treeModel_->filePath(index));
}

void TDlgDateiManager::updateHistoryButtons()
{
    btnPfadZurueck->setEnabled(historyPos_ > 0);
    btnPfadVor->setEnabled(historyPos_ >= 0 && historyPos_ < history_.size() - 1);
}

void TDlgDateiManager::btnPfadZurueckClick()
{
    if (historyPos_ <= 0)
        return;
    --historyPos_;
    showFolder(history_.at(historyPos_));
}

void TDlgDateiManager::btnPfadVorClick()
{
    if (historyPos_ < 0 || historyPos_ >= history_.size() - 1)
        return;
    ++historyPos_;
    showFolder(history_.at(historyPos_));
}

void TDlgDateiManager::fileActivated(const QModelIndex& index)
{
    const QFileInfo fi = listModel_->fileInfo(index);
    if (fi.isDir())
        setCurrentFolder(fi.absoluteFilePath());
    else if (fi.isFile())
        msg().openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()));
}

// ---- View style ---------------------------------------------------------------------------------

void TDlgDateiManager::cboAnsichtChange()
{
    applyViewStyle(cboAnsicht->currentIndex());
}

void TDlgDateiManager::applyViewStyle(int index)
{
    switch (index) {
    case LargeIcons:
        lstSymbole->setViewMode(QListView::IconMode);
        // Names wrap under their picture (up to three lines), as on the desktop.
        lstSymbole->setIconSize(QSize(32, 32));
        lstSymbole->setGridSize(QSize(112, 32 + 3 * lstSymbole->fontMetrics().lineSpacing() + 14));
        lstSymbole->setWordWrap(true);
        lstSymbole->setFlow(QListView::LeftToRight);
        lstSymbole->setWrapping(true);
        LMDShellList1->setCurrentWidget(lstSymbole);
        break;
    case List:
        lstSymbole->setViewMode(QListView::ListMode);
        lstSymbole->setIconSize(QSize(16, 16));
        lstSymbole->setGridSize(QSize());
        lstSymbole->setWordWrap(false);
        lstSymbole->setFlow(QListView::TopToBottom);
        lstSymbole->setWrapping(true);
        LMDShellList1->setCurrentWidget(lstSymbole);
        break;
    case Details:
        LMDShellList1->setCurrentWidget(lstDetails);
        break;
    case SmallIcons:
        lstSymbole->setViewMode(QListView::ListMode);
        lstSymbole->setIconSize(QSize(16, 16));
        lstSymbole->setGridSize(QSize(150, 22));
        lstSymbole->setWordWrap(false);
        lstSymbole->setFlow(QListView::LeftToRight);
        lstSymbole->setWrapping(true);
        LMDShellList1->setCurrentWidget(lstSymbole);
        break;
    default:
        return; // any other index leaves the style as it is
    }
    lstSymbole->setResizeMode(QListView::Adjust);
    // Names of one folder often share their beginning ("Bedienungsanleitung ..."): a cut name keeps
    // its end, where they differ.
    lstSymbole->setTextElideMode(Qt::ElideMiddle);
    viewStyle_ = ViewStyle(index);
}

// ---- Selection and lookup -----------------------------------------------------------------------

void TDlgDateiManager::setFields(const QString& folder, const QString& fileName)
{
    editPfad->setText(folder);
    editDatei->setText(fileName);
}

void TDlgDateiManager::takeSelection(bool withCaption)
{
    QModelIndexList selected;
    for (const QModelIndex& i : fileSelection()->selectedIndexes())
        if (i.column() == 0)
            selected << i;
    if (selected.isEmpty())
        return;
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    // The first selected entry in the order of the list.
    const QFileInfo fi = listModel_->fileInfo(selected.first());
    if (fi.isFile())
        setFields(LinkFolderOf(fi.absolutePath()), fi.fileName());
    else
        setFields(QString(), QString());
    if (chkSucheDateiInDok->isChecked() && !editDatei->text().isEmpty())
        FindFileLinks(editDatei->text());
    if (withCaption)
        setWindowTitle(QDir::toNativeSeparators(currentFolder_));
}

void TDlgDateiManager::LMDShellList1SelectItem()
{
    selectionChangedByPress_ = true;
    takeSelection(false);
}

void TDlgDateiManager::LMDShellList1ItemSelected()
{
    // A click that changed the selection has been taken already; a click on the entry that was
    // selected takes it again (and runs the lookup again).
    if (!selectionChangedByPress_)
        takeSelection(true);
    else
        setWindowTitle(QDir::toNativeSeparators(currentFolder_));
    selectionChangedByPress_ = false;
}

bool TDlgDateiManager::FindFileLinks(const QString& fileName)
{
    return ::FindFileLinks(*qryMArtBild, fileName);
}

void TDlgDateiManager::arrangeLinkColumns()
{
    auto* model = static_cast<LinkListModel*>(grdMArtBild->model());
    QHeaderView* header = grdMArtBild->horizontalHeader();
    const int charWidth = grdMArtBild->fontMetrics().averageCharWidth();
    int visual = 0;
    for (const LinkListModel::Column& c : LinkListModel::columns()) {
        for (int col = 0; col < model->columnCount(); ++col) {
            if (model->fieldName(col) != QLatin1String(c.field))
                continue;
            header->moveSection(header->visualIndex(col), visual++);
            grdMArtBild->setColumnWidth(col, c.chars * charWidth + 8);
            break;
        }
    }
    for (int col = 0; col < model->columnCount(); ++col)
        grdMArtBild->setColumnHidden(col, model->fieldName(col) == u"TEXT");
}

// ---- Commands -----------------------------------------------------------------------------------

void TDlgDateiManager::btnOpenDokClick()
{
    if (editDatei->text().isEmpty())
        return;
    msg().openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(selectedFile())));
}

void TDlgDateiManager::btnViewDokClick()
{
    if (editDatei->text().isEmpty())
        return;
    if (ctx_.viewDocument)
        ctx_.viewDocument(selectedFile());
}

void TDlgDateiManager::btnArtikelDokuUmbenennenClick()
{
    const QString folder = editPfad->text();
    const QString oldName = editDatei->text();
    if (oldName.isEmpty())
        return;
    TDlgInputPara dialog(this);
    dialog.setWindowTitle(QStringLiteral("Dokument umbenennen"));
    dialog.labText->setText(QStringLiteral("Dokument ") + folder + QStringLiteral(" umbenennen"));
    dialog.Label1->setText(QStringLiteral("Neuer Name:"));
    dialog.Label2->clear();
    dialog.Label3->clear();
    dialog.Label4->clear();
    dialog.fldInput1->setText(oldName);
    if (msg().execDialog(dialog) != QDialog::Accepted)
        return;
    const QString newName = dialog.fldInput1->text();
    if (!msg().askYesNo(RenameFileQuestion(folder, oldName, newName)))
        return;
    if (RenameFileAndLinks(ctx_, folder, oldName, newName) != FileRenameResult::Renamed)
        return;
    // The fields name the file by its new name (the list drops the old entry by itself).
    QString newFolder;
    QString newFile;
    SplitFilePath(folder + newName, &newFolder, &newFile);
    setFields(LinkFolderOf(QFileInfo(newFolder).absoluteFilePath()), newFile);
}

void TDlgDateiManager::btnDokuLoeschenClick()
{
    const QString folder = editPfad->text();
    const QString name = editDatei->text();
    if (name.isEmpty())
        return;
    // The links of this very file: the lookup runs for it now, whatever the check box says.
    if (!FindFileLinks(name))
        return;
    const QList<FileLink> links = LinksOfFile(FileLinksOf(*qryMArtBild), folder, name);
    if (!msg().askYesNo(DeleteFileQuestion(int(links.size()))))
        return;
    try {
        if (DeleteFileAndLinks(ctx_, folder, name, links))
            setFields(QString(), QString());
    } catch (const AbortSignal&) {
        // reported by the query layer; the file is gone already
        setFields(QString(), QString());
    }
}

void TDlgDateiManager::btnHilfeVerknuepfungenClick()
{
    panHinwVerknuepfung->adjustSize();
    panHinwVerknuepfung->move(std::max(0, (width() - panHinwVerknuepfung->width()) / 2),
                              std::max(0, (height() - panHinwVerknuepfung->height()) / 3));
    panHinwVerknuepfung->raise();
    panHinwVerknuepfung->show();
}

void TDlgDateiManager::btnHinweisCloseClick()
{
    panHinwVerknuepfung->hide();
}

// ---- Drag ---------------------------------------------------------------------------------------

bool TDlgDateiManager::eventFilter(QObject* watched, QEvent* event)
{
    const bool fromImage = watched == imgVerknuepfungDateiManager;
    const bool fromList = watched == lstSymbole->viewport() || watched == lstDetails->viewport();
    if (!fromImage && !fromList)
        return QWidget::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (fromList)
            selectionChangedByPress_ = false;
        // The arrow picture always, the list only with Ctrl held.
        if (e->button() == Qt::LeftButton && (fromImage || (e->modifiers() & Qt::ControlModifier))) {
            dragSource_ = widget;
            dragStart_ = e->position().toPoint();
        } else {
            dragSource_ = nullptr;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (dragSource_ == widget && (e->buttons() & Qt::LeftButton) &&
            (e->position().toPoint() - dragStart_).manhattanLength() >= QApplication::startDragDistance()) {
            dragSource_ = nullptr;
            startDrag(widget);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        dragSource_ = nullptr;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TDlgDateiManager::startDrag(QWidget* source)
{
    // What a drop links is the file of the two fields, the entry last selected.
    const QString path = selectedFile();
    if (path.isEmpty())
        return;
    QPointer<QDrag> drag = new QDrag(source);
    drag->setMimeData(MakeFileDragData(path));
    drag->setPixmap(arrow_);
    drag->setHotSpot(QPoint(arrow_.width() / 2, arrow_.height() / 2));
    dragExecutor_(*drag);
    if (drag)
        drag->deleteLater();
}
