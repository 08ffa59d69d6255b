// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/contactpage.h"

#include "app/appcontext.h"
#include "app/dlginputpara.h"
#include "app/gridlayout.h"
#include "contacts/contactlinks.h"
#include "contacts/contactsearch.h"
#include "db/queryops.h"
#include "util/flowlayout.h"
#include "util/inifile.h"
#include "util/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <QValidator>

namespace {

struct GridColumn
{
    const char* field;
    const char* title;
    int width; // characters
};

// Columns of the contact grid in grid order.
const GridColumn kAdrColumns[] = {
    {"ANZAHL", "Anz.Dok.", 8},
    {"KURZNAME", "Kurzname", 20},
    {"LANDKENNZ", "Land", 5},
    {"PLZ", "PLZ", 8},
    {"ORT", "Ort", 15},
    {"STR", "Str.", 15},
    {"ANSCHRIFT", "Name/Firma", 30},
    {"TELGESCH", "Tel.gesch.", 20},
    {"TELEFAX", "Fax", 20},
    {"TELPRIV", "Tel.priv.", 21},
    {"TELMOBIL", "Tel.mobil", 20},
    {"BEMERKUNG", "Bem.", 20},
    {"HOMEPAGE", "Internet", 25},
    {"STICHWORT", "Stichwort", 20},
    {"KUNDENNR", "KundenNr.", 8},
    {"LIEFERNR", "Lief.Nr.", 8},
    {"MAIL", "MAIL", 30},
    {"ADRNR", "Adr.~Nr.", 6},
};

// Columns of the document grid in grid order; ID and D_DOKUMENTENART are not shown.
const GridColumn kDokColumns[] = {
    {"D_DATEINAME", "Dok.-Name", 24},
    {"D_PFAD", "Dok.-Pfad", 31},
    {"D_BEZUG_AUFTRNR", "Zu Auftr.Nr.", 9},
    {"D_BETREFF", "Betreff", 29},
    {"D_BEMERKUNG", "Bemerkung", 25},
    {"ERFDATUM", "Erf.-Datum", 12},
    {"ERFUSER", "Benutzer", 7},
    {"D_BEZUG_BESTELLNR", "Zu Best.Nr.", 10},
    {"D_BEZUG_RECHNNR", "Zu Rech.Nr.", 10},
};

const QString kAdrSection = QStringLiteral("frmAuftragwwDBGrid1");
const QString kDokSection = QStringLiteral("FrmMaingrdDok");

template <size_t N> QHash<QString, QString> titlesOf(const GridColumn (&cols)[N])
{
    QHash<QString, QString> h;
    for (const GridColumn& c : cols)
        h.insert(QString::fromLatin1(c.field), QString::fromUtf8(c.title));
    return h;
}

template <size_t N> QHash<QString, int> widthsOf(const GridColumn (&cols)[N])
{
    QHash<QString, int> h;
    for (const GridColumn& c : cols)
        h.insert(QString::fromLatin1(c.field), c.width);
    return h;
}

// Writes the grid's default layout (order, widths, titles) when the layout file has none yet, so
// that the grid shows its columns in their order from the start.
template <size_t N> void ensureLayoutSection(const QString& section, const GridColumn (&cols)[N])
{
    IniFile ini(GridLayoutStore::layoutFilePath());
    if (ini.sectionExists(section))
        return;
    QList<QPair<QString, QString>> values;
    for (const GridColumn& c : cols)
        values << qMakePair(QString::fromLatin1(c.field), QString::number(c.width) + QStringLiteral(";;") +
                                                              QString::fromUtf8(c.title) +
                                                              QStringLiteral(";;F"));
    ini.writeSection(section, values);
}

// Column titles where "~" breaks the title into two lines; room for two title lines.
class TwoLineHeader : public QHeaderView
{
public:
    explicit TwoLineHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override
    {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        option->text.replace(u'~', u'\n');
    }
    QSize sectionSizeFromContents(int logicalIndex) const override
    {
        QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
        const int twoLines = 2 * fontMetrics().lineSpacing() + 8;
        size.setHeight(std::max(size.height(), twoLines));
        return size;
    }
};

// Upper-case input of the search box.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = UpperCaseChars(input);
        return Acceptable;
    }
};

QString formatDateValue(const QVariant& value)
{
    QDateTime dt;
    if (value.typeId() == QMetaType::QDateTime) {
        dt = value.toDateTime();
    } else if (value.typeId() == QMetaType::QDate) {
        dt = QDateTime(value.toDate(), QTime(0, 0));
    } else {
        const QString s = value.toString().trimmed();
        dt = QDateTime::fromString(s, Qt::ISODate);
        if (!dt.isValid())
            dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid()) {
            const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
            if (d.isValid() && s.size() == 10)
                dt = QDateTime(d, QTime(0, 0));
        }
        if (!dt.isValid())
            return value.toString();
    }
    if (!dt.isValid())
        return QString();
    if (dt.time() == QTime(0, 0))
        return dt.date().toString(QStringLiteral("dd.MM.yyyy"));
    return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

// Cells of the document grid: the marking of invalid links and the date column's format.
class DokCellDelegate : public QStyledItemDelegate
{
public:
    DokCellDelegate(const ContactPage* page, QObject* parent) : QStyledItemDelegate(parent), page_(page) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const auto* model = qobject_cast<const QSqlQueryModel*>(index.model())) {
            if (model->record().fieldName(index.column()) == u"ERFDATUM")
                option->text = formatDateValue(index.data(Qt::EditRole));
        }
        QColor text, background;
        const bool highlighted = option->state.testFlag(QStyle::State_Selected);
        if (page_->grdDokCalcCellColors(index.row(), highlighted, &text, &background)) {
            if (highlighted) {
                option->palette.setColor(QPalette::Highlight, background);
                option->palette.setColor(QPalette::HighlightedText, text);
            } else {
                option->palette.setColor(QPalette::Text, text);
            }
        }
    }

private:
    const ContactPage* page_;
};

// Enables a query's bound controls again on every way out of a rebuild.
class ControlsDisabled
{
public:
    explicit ControlsDisabled(Query* query) : query_(query) { query_->disableControls(); }
    ~ControlsDisabled() { query_->enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Query* query_;
};

void setupGrid(QTableView* grid)
{
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(true);
    grid->setShowGrid(true);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setSectionsMovable(true);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->horizontalHeader()->setMaximumSectionSize(-1);
}

// Sets the grid's current cell to the query's current row (keeping the column).
void syncGridRow(QTableView* grid, Query* query, bool wholeRow)
{
    QAbstractItemModel* model = grid->model();
    const int row = query->isOpen() ? query->currentRow() : -1;
    if (!model || row < 0 || row >= model->rowCount())
        return;
    const QModelIndex current = grid->currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    int column = current.isValid() ? current.column() : grid->horizontalHeader()->logicalIndex(0);
    if (column < 0)
        column = 0;
    const QModelIndex index = model->index(row, column);
    QItemSelectionModel::SelectionFlags flags = QItemSelectionModel::ClearAndSelect;
    if (wholeRow)
        flags |= QItemSelectionModel::Rows;
    grid->selectionModel()->setCurrentIndex(index, flags);
    grid->scrollTo(index);
}

} // namespace

ContactPage::ContactPage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("ContactPage"));
    qryAdrSearch = new Query(QStringLiteral("qryAdrSearch"), this, ctx_.connectionName);
    qryDokument = new Query(QStringLiteral("qryDokument"), this, ctx_.connectionName);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("splKontakte"));
    splitter_->setChildrenCollapsible(false);
    buildSearchPane();
    buildDocumentPane();
    // The list pane keeps room for its search controls and the document pane for its check box
    // (its buttons wrap), so that a small main window narrows the grids rather than cutting
    // captions.
    panKontakteGrid->setMinimumWidth(std::max(200, panKontakteGrid->layout()->minimumSize().width()));
    panKontakteDokumente->setMinimumWidth(std::max(200, chkKontakteUngueltVerknMark->sizeHint().width() + 4));
    splitter_->addWidget(panKontakteGrid);
    splitter_->addWidget(panKontakteDokumente);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({gridPaneWidth_, 400});
    connect(splitter_, &QSplitter::splitterMoved, this,
            [this] { gridPaneWidth_ = splitter_->sizes().value(0); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);
}

ContactPage::~ContactPage() = default;

void ContactPage::buildSearchPane()
{
    panKontakteGrid = new QWidget;
    panKontakteGrid->setObjectName(QStringLiteral("panKontakteGrid"));

    editSearchKontakte = new QLineEdit;
    editSearchKontakte->setObjectName(QStringLiteral("editSearchKontakte"));
    editSearchKontakte->setValidator(new UpperCaseValidator(editSearchKontakte));
    {
        QPalette p = editSearchKontakte->palette();
        p.setColor(QPalette::Base, Qt::cyan);
        editSearchKontakte->setPalette(p);
    }
    editSearchKontakte->setToolTip(QStringLiteral("Suchbegriff eingeben, bezieht sich auf die Angabe "
                                                  "\"Sortierung\" rechts! Jokerzeichen ist das \"%\""));
    editSearchKontakte->installEventFilter(this);

    btnKontakteRefresh = new QPushButton;
    btnKontakteRefresh->setObjectName(QStringLiteral("btnKontakteRefresh"));
    btnKontakteRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btnKontakteRefresh->setToolTip(QStringLiteral("Anzeige aktualisieren"));

    chkKontakteNurMitDoks = new QCheckBox(QStringLiteral("Nur Kontakte mit Dok's."));
    chkKontakteNurMitDoks->setObjectName(QStringLiteral("chkKontakteNurMitDoks"));

    cboSearchKontaktArt = new QComboBox;
    cboSearchKontaktArt->setObjectName(QStringLiteral("cboSearchKontaktArt"));
    cboSearchKontaktArt->addItems(
        {QStringLiteral("Alle"), QStringLiteral("Nur Kunden"), QStringLiteral("Nur Lieferanten")});
    cboSearchKontaktArt->setCurrentIndex(-1);

    cboFilterStatus = new QComboBox;
    cboFilterStatus->setObjectName(QStringLiteral("cboFilterStatus"));
    cboFilterStatus->addItems({QStringLiteral("Aktiv"), QStringLiteral("Inaktiv"),
                               QStringLiteral("Marketing"), QStringLiteral("Storno")});
    cboFilterStatus->setCurrentIndex(-1);

    labOrderByKontakte = new QLabel(QStringLiteral("KURZNAME"));
    labOrderByKontakte->setObjectName(QStringLiteral("labOrderByKontakte"));
    labOrderByKontakte->setToolTip(
        QStringLiteral("Sortierung wählen durch Klick auf die Tabellen-Überschrift"));

    auto* search = new QGroupBox(QStringLiteral("Suchen:"));
    auto* searchLayout = new QGridLayout(search);
    searchLayout->addWidget(editSearchKontakte, 0, 0);
    searchLayout->addWidget(btnKontakteRefresh, 0, 1);
    searchLayout->addWidget(chkKontakteNurMitDoks, 0, 2);
    auto* artLabel = new QLabel(QStringLiteral("Kontakt-Art:"));
    artLabel->setBuddy(cboSearchKontaktArt);
    auto* statusLabel = new QLabel(QStringLiteral("Kontakt-Status:"));
    statusLabel->setBuddy(cboFilterStatus);
    auto* lists = new QHBoxLayout;
    lists->addWidget(artLabel);
    lists->addWidget(cboSearchKontaktArt);
    lists->addWidget(statusLabel);
    lists->addWidget(cboFilterStatus);
    lists->addStretch();
    searchLayout->addLayout(lists, 1, 0, 1, 3);

    auto* sort = new QGroupBox(QStringLiteral("Sortieren:"));
    auto* sortLayout = new QVBoxLayout(sort);
    sortLayout->addWidget(labOrderByKontakte);

    auto* top = new QHBoxLayout;
    top->addWidget(search, 1);
    top->addWidget(sort);

    grdAdrSearch = new QTableView;
    grdAdrSearch->setObjectName(QStringLiteral("grdAdrSearch"));
    grdAdrSearch->setHorizontalHeader(new TwoLineHeader(grdAdrSearch));
    setupGrid(grdAdrSearch);
    grdAdrSearch->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdAdrSearch->horizontalHeader()->setSectionsClickable(true);
    grdAdrSearch->horizontalHeader()->setHighlightSections(false);
    grdAdrSearch->setModel(qryAdrSearch->model());

    auto* layout = new QVBoxLayout(panKontakteGrid);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addWidget(grdAdrSearch, 1);

    adrLayout_ = new GridLayoutStore(grdAdrSearch, qryAdrSearch, kAdrSection, this);
    adrLayout_->setDefaultTitles(titlesOf(kAdrColumns));
    adrLayout_->setDefaultWidths(widthsOf(kAdrColumns));

    connect(btnKontakteRefresh, &QPushButton::clicked, this, &ContactPage::btnKontakteRefreshClick);
    connect(chkKontakteNurMitDoks, &QCheckBox::clicked, this, &ContactPage::chkKontakteNurMitDoksClick);
    connect(cboSearchKontaktArt, &QComboBox::activated, this, &ContactPage::cboSearchKontaktArtClick);
    connect(cboFilterStatus, &QComboBox::activated, this, &ContactPage::cboFilterStatusClick);
    connect(grdAdrSearch->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ContactPage::grdAdrSearchTitleButtonClick);
    connect(grdAdrSearch->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!syncing_ && current.isValid())
                    qryAdrSearch->setCurrentRow(current.row());
            });
    connect(qryAdrSearch, &Query::currentChanged, this, &ContactPage::qryAdrSearchCurrentChanged);
    connect(qryAdrSearch, &Query::controlsEnabledChanged, grdAdrSearch, &QWidget::setUpdatesEnabled);
}

void ContactPage::buildDocumentPane()
{
    panKontakteDokumente = new QWidget;
    panKontakteDokumente->setObjectName(QStringLiteral("panKontakteDokumente"));

    auto* title = new QLabel(QStringLiteral("Dokumente"));
    {
        QFont f = title->font();
        f.setBold(true);
        title->setFont(f);
        QPalette p = title->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        title->setPalette(p);
    }

    chkKontakteUngueltVerknMark = new QCheckBox(QStringLiteral("Ungültige Verknüpfungen prüfen/markieren"));
    chkKontakteUngueltVerknMark->setObjectName(QStringLiteral("chkKontakteUngueltVerknMark"));

    panKontakteButtons = new QWidget;
    panKontakteButtons->setObjectName(QStringLiteral("panKontakteButtons"));
    auto makeButton = [this](const char* name, const QString& text, const QString& hint) {
        auto* b = new QPushButton(text, panKontakteButtons);
        b->setObjectName(QString::fromLatin1(name));
        if (!hint.isEmpty())
            b->setToolTip(hint);
        return b;
    };
    btnKontaktDokuNeu = makeButton("btnKontaktDokuNeu", QStringLiteral("Neu verkn."),
                                   QStringLiteral("Dokument neu verknüpfen"));
    btnDokuKontaktLoeschen = makeButton("btnDokuKontaktLoeschen", QStringLiteral("Löschen"),
                                        QStringLiteral("Verknüpfung mit Dokument löschen"));
    btnKontaktOpenDok =
        makeButton("btnKontaktOpenDok", QStringLiteral("Öffnen"), QStringLiteral("Dokument öffnen"));
    btnKontaktViewDok = makeButton("btnKontaktViewDok", QStringLiteral("Anzeigen"),
                                   QStringLiteral("Dokument anzeigen (Geht nicht bei allen Datei-Typen!)"));
    btnKontaktDokuUmbenennen =
        makeButton("btnKontaktDokuUmbenennen", QStringLiteral("Datei umbenennen"), QString());
    // In a narrow pane the bar wraps into a second row rather than cutting captions.
    auto* buttons = new FlowLayout(panKontakteButtons);
    for (QPushButton* b : {btnKontaktDokuNeu, btnDokuKontaktLoeschen, btnKontaktOpenDok, btnKontaktViewDok,
                           btnKontaktDokuUmbenennen})
        buttons->addWidget(b);

    grdDok = new QTableView;
    grdDok->setObjectName(QStringLiteral("grdDok"));
    setupGrid(grdDok);
    grdDok->setSelectionBehavior(QAbstractItemView::SelectItems);
    grdDok->horizontalHeader()->setSectionsClickable(false);
    grdDok->setItemDelegate(new DokCellDelegate(this, grdDok));
    grdDok->setModel(qryDokument->model());

    auto* layout = new QVBoxLayout(panKontakteDokumente);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(title);
    layout->addWidget(chkKontakteUngueltVerknMark);
    layout->addWidget(panKontakteButtons);
    layout->addWidget(grdDok, 1);

    dokLayout_ = new GridLayoutStore(grdDok, qryDokument, kDokSection, this);
    dokLayout_->setDefaultTitles(titlesOf(kDokColumns));
    dokLayout_->setDefaultWidths(widthsOf(kDokColumns));
    // After the layout store has arranged the columns: the key and the kind are not shown.
    connect(qryDokument, &Query::afterOpen, this, [this] {
        // Hiding is no change of the layout by the user: keep the store's flag as it was, or every
        // requery would write the layout file.
        const bool changed = dokLayout_->layoutChanged();
        const QSqlRecord rec = qryDokument->model()->record();
        for (const char* hidden : {"ID", "D_DOKUMENTENART"}) {
            const int col = rec.indexOf(QString::fromLatin1(hidden));
            if (col >= 0)
                grdDok->horizontalHeader()->setSectionHidden(col, true);
        }
        dokLayout_->setLayoutChanged(changed);
    });

    connect(btnKontaktDokuNeu, &QPushButton::clicked, this, &ContactPage::btnKontaktDokuNeuClick);
    connect(btnDokuKontaktLoeschen, &QPushButton::clicked, this, &ContactPage::btnDokuKontaktLoeschenClick);
    connect(btnKontaktOpenDok, &QPushButton::clicked, this, &ContactPage::btnKontaktOpenDokClick);
    connect(btnKontaktViewDok, &QPushButton::clicked, this, &ContactPage::btnKontaktViewDokClick);
    connect(btnKontaktDokuUmbenennen, &QPushButton::clicked, this,
            &ContactPage::btnKontaktDokuUmbenennenClick);
    connect(grdDok, &QTableView::doubleClicked, this, &ContactPage::btnKontaktOpenDokClick);
    connect(grdDok->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!syncing_ && current.isValid())
                    qryDokument->setCurrentRow(current.row());
            });
    connect(qryDokument, &Query::currentChanged, this, &ContactPage::qryDokumentCurrentChanged);
    connect(qryDokument, &Query::controlsEnabledChanged, grdDok, &QWidget::setUpdatesEnabled);
}

// ---------------------------------------------------------------------------------------------
// Settings and page life

void ContactPage::loadSettings()
{
    const UserSettings& s = ctx_.settings;
    chkKontakteNurMitDoks->setChecked(s.chkKontakteNurMitDoks);
    chkKontakteUngueltVerknMark->setChecked(s.chkKontakteUngueltVerknMark);
    gridPaneWidth_ = s.panKontakteGridWidth;
    const QList<int> sizes = splitter_->sizes();
    int total = sizes.value(0) + sizes.value(1);
    if (total <= gridPaneWidth_)
        total = gridPaneWidth_ + 400;
    splitter_->setSizes({gridPaneWidth_, total - gridPaneWidth_});
}

void ContactPage::storeSettings()
{
    UserSettings& s = ctx_.settings;
    s.chkKontakteNurMitDoks = chkKontakteNurMitDoks->isChecked();
    s.chkKontakteUngueltVerknMark = chkKontakteUngueltVerknMark->isChecked();
    s.panKontakteGridWidth = gridPaneWidth_;
}

void ContactPage::pageEntered()
{
    // The list stays as it is (closed until the user first searches).
    editSearchKontakte->setFocus();
}

void ContactPage::closeQueries()
{
    CloseQuery(*qryDokument);
    CloseQuery(*qryAdrSearch);
}

void ContactPage::ensureDefaultLayouts()
{
    if (layoutsChecked_)
        return;
    layoutsChecked_ = true;
    ensureLayoutSection(kAdrSection, kAdrColumns);
    ensureLayoutSection(kDokSection, kDokColumns);
}

// ---------------------------------------------------------------------------------------------
// Contact search

qint64 ContactPage::currentAdrnr() const
{
    if (!qryAdrSearch->isOpen() || qryAdrSearch->currentRow() < 0)
        return 0;
    return qryAdrSearch->value(QStringLiteral("ADRNR")).toLongLong();
}

QString ContactPage::currentKurzname() const
{
    if (!qryAdrSearch->isOpen() || qryAdrSearch->currentRow() < 0)
        return QString();
    return qryAdrSearch->text(QStringLiteral("KURZNAME"));
}

qint64 ContactPage::currentAdrnrIfOpen() const
{
    return qryAdrSearch->isOpen() ? currentAdrnr() : 0;
}

void ContactPage::RefreshContactList(qint64 adrnr)
{
    if (labOrderByKontakte->text().isEmpty())
        labOrderByKontakte->setText(QStringLiteral("KURZNAME"));

    ContactFilter filter;
    filter.searchText = editSearchKontakte->text();
    filter.statusIndex = cboFilterStatus->currentIndex();
    filter.kindIndex = cboSearchKontaktArt->currentIndex();
    filter.onlyWithDocs = chkKontakteNurMitDoks->isChecked();
    filter.orderBy = labOrderByKontakte->text();

    ensureDefaultLayouts();
    ControlsDisabled disabled(qryAdrSearch);
    try {
        CloseQuery(*qryAdrSearch);
        qryAdrSearch->setSql(BuildContactListSql(filter, db::databaseType()));
        OpenQuery(*qryAdrSearch, true);
        if (adrnr > 0) {
            // Return to the contact: search the rows, fetching more as needed.
            QSqlQueryModel* model = qryAdrSearch->model();
            const int col = model->record().indexOf(QStringLiteral("ADRNR"));
            for (int row = 0; col >= 0; ++row) {
                if (row >= model->rowCount()) {
                    if (!model->canFetchMore())
                        break;
                    model->fetchMore();
                    if (row >= model->rowCount())
                        break;
                }
                if (model->data(model->index(row, col), Qt::EditRole).toLongLong() == adrnr) {
                    qryAdrSearch->setCurrentRow(row);
                    break;
                }
            }
        }
    } catch (const AbortSignal&) {
        msg().playSound(Messages::Sound::Question);
        msg().warning(AbortSignal::text());
    }
}

void ContactPage::qryAdrSearchCurrentChanged()
{
    syncing_ = true;
    syncGridRow(grdAdrSearch, qryAdrSearch, true);
    syncing_ = false;
    datAdrSearchDataChange();
}

void ContactPage::datAdrSearchDataChange()
{
    RefreshContactLinks();
}

void ContactPage::btnKontakteRefreshClick()
{
    RefreshContactList(currentAdrnrIfOpen());
}

void ContactPage::chkKontakteNurMitDoksClick()
{
    RefreshContactList(currentAdrnrIfOpen());
}

void ContactPage::searchTextRule()
{
    // A list choice with an empty search box searches for "*": the contacts that have at least
    // one of the five text columns filled.
    if (editSearchKontakte->text().isEmpty())
        editSearchKontakte->setText(QStringLiteral("*"));
}

void ContactPage::cboSearchKontaktArtClick()
{
    searchTextRule();
    RefreshContactList(currentAdrnrIfOpen());
}

void ContactPage::cboFilterStatusClick()
{
    searchTextRule();
    RefreshContactList(currentAdrnrIfOpen());
}

void ContactPage::grdAdrSearchTitleButtonClick(int logicalIndex)
{
    const QString field = qryAdrSearch->model()->record().fieldName(logicalIndex);
    if (field.isEmpty())
        return;
    labOrderByKontakte->setText(field);
    RefreshContactList(0);
}

void ContactPage::moveContactRows(int delta)
{
    if (!qryAdrSearch->isOpen() || qryAdrSearch->currentRow() < 0)
        return;
    QSqlQueryModel* model = qryAdrSearch->model();
    int target = std::max(0, qryAdrSearch->currentRow() + delta);
    while (target >= model->rowCount() && model->canFetchMore())
        model->fetchMore();
    target = std::min(target, model->rowCount() - 1);
    if (target >= 0)
        qryAdrSearch->setCurrentRow(target);
}

bool ContactPage::editSearchKontakteKeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
        moveContactRows(-10);
        return true;
    case Qt::Key_PageDown:
        moveContactRows(10);
        return true;
    case Qt::Key_Up:
        moveContactRows(-1);
        return true;
    case Qt::Key_Down:
        moveContactRows(1);
        return true;
    default:
        return false;
    }
}

void ContactPage::editSearchKontakteKeyUp(QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    if (SearchKeyRequeries(WindowsVirtualKey(event->key(), event->modifiers(), event->text())))
        RefreshContactList(0);
}

bool ContactPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editSearchKontakte) {
        if (event->type() == QEvent::KeyPress) {
            if (editSearchKontakteKeyDown(static_cast<QKeyEvent*>(event)))
                return true;
        } else if (event->type() == QEvent::KeyRelease) {
            editSearchKontakteKeyUp(static_cast<QKeyEvent*>(event));
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Document links

void ContactPage::RefreshContactLinks()
{
    ControlsDisabled disabled(qryDokument);
    const qint64 adrnr = currentAdrnr();
    if (adrnr <= 0)
        return; // no current contact: the list keeps its rows
    try {
        CloseQuery(*qryDokument);
        qryDokument->setSql(BuildContactLinksSql(adrnr));
        OpenQuery(*qryDokument, true);
    } catch (const AbortSignal&) {
        msg().playSound(Messages::Sound::Question);
        msg().warning(AbortSignal::text());
    }
}

void ContactPage::qryDokumentCurrentChanged()
{
    syncing_ = true;
    syncGridRow(grdDok, qryDokument, false);
    syncing_ = false;
}

bool ContactPage::hasCurrentDocument() const
{
    return qryDokument->isOpen() && qryDokument->currentRow() >= 0;
}

QString ContactPage::currentDocumentPath() const
{
    return qryDokument->text(QStringLiteral("D_PFAD")) + qryDokument->text(QStringLiteral("D_DATEINAME"));
}

void ContactPage::btnKontaktDokuNeuClick()
{
    try {
        const qint64 adrnr = currentAdrnr();
        if (adrnr <= 0)
            return;
        const QString fileName = msg().openFileName(
            this, QStringLiteral("Öffnen"), ctx_.settings.OpenDialog2InitialDir,
            QStringLiteral("Alle Dateien (*.*);;Word Dokumente (*.doc);;Excel-Dateien (*.xls);;"
                           "Bilder (*.bmp *.jpg *.tif *.gif)"));
        if (fileName.isEmpty())
            return;
        InsertContactLink(ctx_, adrnr, currentKurzname(), fileName);
        ctx_.settings.OpenDialog2InitialDir = InitialDirFromFile(fileName);
        RefreshContactLinks();
    } catch (const AbortSignal&) {
    }
}

void ContactPage::btnDokuKontaktLoeschenClick()
{
    try {
        if (!hasCurrentDocument())
            return;
        if (DeleteContactLink(ctx_, qryDokument->value(QStringLiteral("ID")).toLongLong()))
            RefreshContactLinks();
    } catch (const AbortSignal&) {
    }
}

void ContactPage::btnKontaktOpenDokClick()
{
    if (!hasCurrentDocument() || qryDokument->text(QStringLiteral("D_DATEINAME")).isEmpty())
        return;
    msg().openUrl(QUrl::fromLocalFile(currentDocumentPath()));
}

void ContactPage::btnKontaktViewDokClick()
{
    if (!hasCurrentDocument())
        return;
    if (ctx_.viewDocument)
        ctx_.viewDocument(currentDocumentPath());
}

void ContactPage::btnKontaktDokuUmbenennenClick()
{
    try {
        if (!hasCurrentDocument())
            return;
        const qint64 id = qryDokument->value(QStringLiteral("ID")).toLongLong();
        const QString folder = qryDokument->text(QStringLiteral("D_PFAD"));
        const QString oldName = qryDokument->text(QStringLiteral("D_DATEINAME"));

        QString newName;
        {
            TDlgInputPara dlg(this);
            dlg.setWindowTitle(QStringLiteral("Dokument umbenennen"));
            dlg.labText->setText(QStringLiteral("Dokument ") + folder + oldName +
                                 QStringLiteral(" umbenennen"));
            dlg.Label1->setText(QStringLiteral("Neuer Name:"));
            dlg.Label2->setText(QString());
            dlg.Label3->setText(QString());
            dlg.Label4->setText(QString());
            dlg.fldInput1->setText(oldName);
            if (msg().execDialog(dlg) != QDialog::Accepted) {
                RefreshContactLinks();
                return;
            }
            newName = dlg.fldInput1->text();
        }
        if (!msg().askYesNo(ContactRenameQuestion(folder, oldName, newName)))
            return;
        RenameContactLink(ctx_, id, folder, oldName, newName);
        RefreshContactLinks();
    } catch (const AbortSignal&) {
    }
}

bool ContactPage::grdDokCalcCellColors(int row, bool highlighted, QColor* text, QColor* background) const
{
    if (!chkKontakteUngueltVerknMark->isChecked() || !qryDokument->isOpen())
        return false;
    QSqlQueryModel* model = qryDokument->model();
    const QSqlRecord rec = model->record();
    const int pathCol = rec.indexOf(QStringLiteral("D_PFAD"));
    const int nameCol = rec.indexOf(QStringLiteral("D_DATEINAME"));
    if (pathCol < 0 || nameCol < 0 || row < 0 || row >= model->rowCount())
        return false;
    const QString folder = model->data(model->index(row, pathCol), Qt::EditRole).toString();
    const QString name = model->data(model->index(row, nameCol), Qt::EditRole).toString();
    if (ContactLinkFileExists(folder, name))
        return false;
    if (highlighted) {
        *background = QColor(255, 0, 0);
        *text = QColor(Qt::white);
    } else {
        *text = QColor(255, 0, 0);
        *background = QColor();
    }
    return true;
}
