// SPDX-License-Identifier: GPL-3.0-or-later
#include "articles/articlepage.h"

#include "app/appcontext.h"
#include "app/dlginputpara.h"
#include "app/gridlayout.h"
#include "articles/articlelinks.h"
#include "articles/griddelegate.h"
#include "db/literals.h"
#include "db/queryops.h"
#include "util/flowlayout.h"
#include "util/messages.h"
#include "viewers/documentviewer.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QValidator>

namespace {

QString crlf()
{
    return QStringLiteral("\r\n");
}

// Upper-cases what is typed into the search box.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*pos*/) const override
    {
        input = UpperText(input);
        return Acceptable;
    }
};

// Enables a query's bound controls again when the scope ends.
class ControlsDisabled
{
public:
    explicit ControlsDisabled(Query* q) : q_(q) { q_->disableControls(); }
    ~ControlsDisabled() { q_->enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    Query* q_;
};

// The selected row stays visible when the grid does not have the focus.
void keepSelectionVisible(QTableView* grid)
{
    QPalette p = grid->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    grid->setPalette(p);
}

bool hasRow(const Query* q)
{
    return q->isOpen() && q->currentRow() >= 0 && !q->eof();
}

// Columns of the article list in the order of the table; INAKTIV is read but not shown.
const QStringList& articleColumns()
{
    static const QStringList c{
        QStringLiteral("ANZBILDER"),   QStringLiteral("ARTNR"),      QStringLiteral("TYP"),
        QStringLiteral("BEZEICHNUNG"), QStringLiteral("OBERGRUPPE"), QStringLiteral("GRUPPE"),
        QStringLiteral("UNTGRUPPE"),   QStringLiteral("HERSTELLER"), QStringLiteral("LAGERORT"),
        QStringLiteral("KENNZ1"),      QStringLiteral("KENNZ2"),     QStringLiteral("KENNZ3"),
        QStringLiteral("KENNZ4"),      QStringLiteral("KENNZ5"),     QStringLiteral("ARTIKELART")};
    return c;
}

const QStringList& linkColumns()
{
    static const QStringList c{QStringLiteral("DATEINAME"), QStringLiteral("PFADNAME"),
                               QStringLiteral("BILDKENNZ"), QStringLiteral("LFDNR"), QStringLiteral("ARTNR")};
    return c;
}

} // namespace

ArticlePage::ArticlePage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("ArticlePage"));
    qryArtGrupp = new Query(QStringLiteral("qryArtGrupp"), this, ctx_.connectionName);
    qryAGruppen = new Query(QStringLiteral("qryAGruppen"), this, ctx_.connectionName);
    qryAGrupp2 = new Query(QStringLiteral("qryAGrupp2"), this, ctx_.connectionName);
    qryMArt = new Query(QStringLiteral("qryMArt"), this, ctx_.connectionName);
    qryMArtBild = new Query(QStringLiteral("qryMArtBild"), this, ctx_.connectionName);

    buildUi();

    // The page's own handlers see an opened query before the layout stores do.
    bindGrid(grdArtikel, qryMArt);
    bindGrid(grdMArtBild, qryMArtBild);

    artikelLayout_ = new GridLayoutStore(grdArtikel, qryMArt, QStringLiteral("FrmMaingrdArtikel"), this);
    artikelLayout_->setDefaultTitles({{QStringLiteral("ANZBILDER"), QStringLiteral("Anz.Dok.")},
                                      {QStringLiteral("ARTNR"), QStringLiteral("Art.Nr.")},
                                      {QStringLiteral("TYP"), QStringLiteral("Typ")},
                                      {QStringLiteral("BEZEICHNUNG"), QStringLiteral("Bezeichnung")},
                                      {QStringLiteral("OBERGRUPPE"), QStringLiteral("Obergruppe")},
                                      {QStringLiteral("GRUPPE"), QStringLiteral("Gruppe")},
                                      {QStringLiteral("UNTGRUPPE"), QStringLiteral("Unt.Gruppe")},
                                      {QStringLiteral("HERSTELLER"), QStringLiteral("Hersteller")},
                                      {QStringLiteral("LAGERORT"), QStringLiteral("Lagerort")},
                                      {QStringLiteral("KENNZ1"), QStringLiteral("KENNZ1")},
                                      {QStringLiteral("KENNZ2"), QStringLiteral("KENNZ2")},
                                      {QStringLiteral("KENNZ3"), QStringLiteral("KENNZ3")},
                                      {QStringLiteral("KENNZ4"), QStringLiteral("KENNZ4")},
                                      {QStringLiteral("KENNZ5"), QStringLiteral("KENNZ5")},
                                      {QStringLiteral("ARTIKELART"), QStringLiteral("Art.art")}});
    artikelLayout_->setDefaultWidths({{QStringLiteral("ANZBILDER"), 8},
                                      {QStringLiteral("ARTNR"), 15},
                                      {QStringLiteral("TYP"), 27},
                                      {QStringLiteral("BEZEICHNUNG"), 36},
                                      {QStringLiteral("OBERGRUPPE"), 9},
                                      {QStringLiteral("GRUPPE"), 7},
                                      {QStringLiteral("UNTGRUPPE"), 10},
                                      {QStringLiteral("HERSTELLER"), 18},
                                      {QStringLiteral("LAGERORT"), 10},
                                      {QStringLiteral("KENNZ1"), 15},
                                      {QStringLiteral("KENNZ2"), 15},
                                      {QStringLiteral("KENNZ3"), 15},
                                      {QStringLiteral("KENNZ4"), 15},
                                      {QStringLiteral("KENNZ5"), 15},
                                      {QStringLiteral("ARTIKELART"), 10}});

    linkLayout_ = new GridLayoutStore(grdMArtBild, qryMArtBild, QStringLiteral("FrmMaingrdMArtBild"), this);
    linkLayout_->setDefaultTitles({{QStringLiteral("DATEINAME"), QStringLiteral("Datei")},
                                   {QStringLiteral("PFADNAME"), QStringLiteral("Pfad")},
                                   {QStringLiteral("BILDKENNZ"), QStringLiteral("Auftr.Bild?")},
                                   {QStringLiteral("LFDNR"), QStringLiteral("LfdNr")},
                                   {QStringLiteral("ARTNR"), QStringLiteral("Art.Nr.")}});
    linkLayout_->setDefaultWidths({{QStringLiteral("DATEINAME"), 49},
                                   {QStringLiteral("PFADNAME"), 61},
                                   {QStringLiteral("BILDKENNZ"), 10},
                                   {QStringLiteral("LFDNR"), 5},
                                   {QStringLiteral("ARTNR"), 20}});
}

ArticlePage::~ArticlePage() = default;

// ---------------------------------------------------------------------------------------------
// Window

void ArticlePage::buildUi()
{
    LMDPageControl2 = new QStackedWidget(this);
    LMDPageControl2->setObjectName(QStringLiteral("LMDPageControl2"));
    tsAuswahl = new QWidget(LMDPageControl2);
    tsAuswahl->setObjectName(QStringLiteral("tsAuswahl"));
    LMDPageControl2->addWidget(tsAuswahl);

    splitter_ = new QSplitter(Qt::Horizontal, tsAuswahl);
    splitter_->setObjectName(QStringLiteral("splitterArtikel"));
    splitter_->addWidget(buildTreePane());
    splitter_->addWidget(buildListPane());
    splitter_->addWidget(buildLinkPane());
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setStretchFactor(2, 0);
    splitter_->setChildrenCollapsible(false);
    // The tree may get narrow; the list keeps room for its search and filter controls and the link
    // pane for its check box (its buttons wrap), so that a small main window narrows the grids
    // rather than cutting captions.
    panArtikelTree->setMinimumWidth(60);
    panArtGrids->setMinimumWidth(std::max(200, TopPanel->minimumSizeHint().width()));
    panArtikelDokumente->setMinimumWidth(std::max(150, chkArtUngueltVerknMark->sizeHint().width() + 4));

    auto* auswahlLayout = new QVBoxLayout(tsAuswahl);
    auswahlLayout->setContentsMargins(0, 0, 0, 0);
    auswahlLayout->addWidget(splitter_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LMDPageControl2);
    LMDPageControl2->setCurrentWidget(tsAuswahl);

    loadSettings();
}

QWidget* ArticlePage::buildTreePane()
{
    panArtikelTree = new QWidget;
    panArtikelTree->setObjectName(QStringLiteral("panArtikelTree"));

    panAuswahl = new QWidget(panArtikelTree);
    panAuswahl->setObjectName(QStringLiteral("panAuswahl"));
    // The filter labels start empty, so that a requery before the first click filters nothing.
    labOBERGRUPPE = new QLabel(panAuswahl);
    labOBERGRUPPE->setObjectName(QStringLiteral("labOBERGRUPPE"));
    labGruppe = new QLabel(panAuswahl);
    labGruppe->setObjectName(QStringLiteral("labGruppe"));
    labGru2 = new QLabel(panAuswahl);
    labGru2->setObjectName(QStringLiteral("labGru2"));
    auto* labels = new QVBoxLayout(panAuswahl);
    labels->setContentsMargins(4, 4, 4, 4);
    labels->setSpacing(2);
    int indent = 0;
    for (QLabel* l : {labOBERGRUPPE, labGruppe, labGru2}) {
        l->setIndent(indent);
        l->setMinimumHeight(l->fontMetrics().height());
        labels->addWidget(l);
        indent += 12;
    }

    TreeView1 = new QTreeWidget(panArtikelTree);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    TreeView1->setFont(QFont(QStringLiteral("Arial"), 9));
    TreeView1->setIndentation(19);
    TreeView1->setFrameShape(QFrame::NoFrame);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setIconSize(QSize(0, 0));
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this] { TreeView1Click(); });

    auto* layout = new QVBoxLayout(panArtikelTree);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panAuswahl);
    layout->addWidget(TreeView1, 1);
    return panArtikelTree;
}

QWidget* ArticlePage::buildListPane()
{
    panArtGrids = new QWidget;
    panArtGrids->setObjectName(QStringLiteral("panArtGrids"));

    TopPanel = new QWidget(panArtGrids);
    TopPanel->setObjectName(QStringLiteral("TopPanel"));

    LMDGroupBox1 = new QGroupBox(QStringLiteral("Suchen:"), TopPanel);
    LMDGroupBox1->setObjectName(QStringLiteral("LMDGroupBox1"));
    EditSearch = new QLineEdit(LMDGroupBox1);
    EditSearch->setObjectName(QStringLiteral("EditSearch"));
    EditSearch->setValidator(new UpperCaseValidator(EditSearch));
    EditSearch->setToolTip(
        QStringLiteral("Suchbegriff eingeben, bezieht sich auf die Angabe \"Sortierung\" rechts! "
                       "Jokerzeichen ist das \"%\""));
    QPalette pal = EditSearch->palette();
    pal.setColor(QPalette::Base, Qt::cyan);
    EditSearch->setPalette(pal);
    EditSearch->installEventFilter(this);
    btnArtikelRefresh = new QPushButton(LMDGroupBox1);
    btnArtikelRefresh->setObjectName(QStringLiteral("btnArtikelRefresh"));
    btnArtikelRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btnArtikelRefresh->setToolTip(QStringLiteral("Anzeige aktualisieren"));
    btnArtikelRefresh->setAutoDefault(false);
    chkArtikelNurMitDoks = new QCheckBox(QStringLiteral("Nur Art. mit Dok's."), LMDGroupBox1);
    chkArtikelNurMitDoks->setObjectName(QStringLiteral("chkArtikelNurMitDoks"));
    // The edit and its refresh button on the first line, the switch below: the group box is as
    // tall as the kind group beside it anyway, and the edit keeps room for a search term.
    EditSearch->setMinimumWidth(EditSearch->fontMetrics().horizontalAdvance(u'W') * 12);
    auto* g1 = new QGridLayout(LMDGroupBox1);
    g1->addWidget(EditSearch, 0, 0);
    g1->addWidget(btnArtikelRefresh, 0, 1);
    g1->addWidget(chkArtikelNurMitDoks, 1, 0, 1, 2, Qt::AlignLeft);
    g1->setColumnStretch(0, 1);

    LMDGroupBox2 = new QGroupBox(QStringLiteral("Sortieren:"), TopPanel);
    LMDGroupBox2->setObjectName(QStringLiteral("LMDGroupBox2"));
    labOrderBy = new QLabel(QStringLiteral("ARTNR"), LMDGroupBox2);
    labOrderBy->setObjectName(QStringLiteral("labOrderBy"));
    labOrderBy->setToolTip(QStringLiteral("Sortierung wählen durch Klick auf die Tabellen-Überschrift"));
    auto* g2 = new QHBoxLayout(LMDGroupBox2);
    g2->addWidget(labOrderBy);

    rgrpArtikelart = new QGroupBox(QStringLiteral("Artikelart:"), TopPanel);
    rgrpArtikelart->setObjectName(QStringLiteral("rgrpArtikelart"));
    rgrpArtikelart->setToolTip(
        QStringLiteral("Filter für die Artikelart Miete/Verkauf/Arb.zeit/Dienstleistungen oder Alle"));
    rgrpArtikelartButtons = new QButtonGroup(rgrpArtikelart);
    auto* g3 = new QGridLayout(rgrpArtikelart);
    const QStringList kinds{QStringLiteral("Alle"), QStringLiteral("Miete"), QStringLiteral("Verkauf"),
                            QStringLiteral("Diensteistungen"), QStringLiteral("Arbeitszeit")};
    for (int i = 0; i < kinds.size(); ++i) {
        auto* rb = new QRadioButton(kinds.at(i), rgrpArtikelart);
        rb->setObjectName(QStringLiteral("rgrpArtikelart%1").arg(i));
        rgrpArtikelartButtons->addButton(rb, i);
        g3->addWidget(rb, i % 3, i / 3); // two columns, filled top to bottom
    }
    rgrpArtikelartButtons->button(0)->setChecked(true);
    connect(rgrpArtikelartButtons, &QButtonGroup::idClicked, this, [this] { rgrpArtikelartClick(); });

    auto* top = new QHBoxLayout(TopPanel);
    top->setContentsMargins(2, 2, 2, 2);
    top->addWidget(LMDGroupBox1, 1);
    top->addWidget(LMDGroupBox2);
    top->addWidget(rgrpArtikelart);

    grdArtikel = new QTableView(panArtGrids);
    grdArtikel->setObjectName(QStringLiteral("grdArtikel"));
    grdArtikel->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdArtikel->setSelectionMode(QAbstractItemView::SingleSelection);
    grdArtikel->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdArtikel->setShowGrid(true);
    keepSelectionVisible(grdArtikel);
    grdArtikel->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grdArtikel->verticalHeader()->setVisible(false);
    grdArtikel->verticalHeader()->setDefaultSectionSize(grdArtikel->fontMetrics().height() + 6);
    QHeaderView* header = grdArtikel->horizontalHeader();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setFont(QFont(QStringLiteral("Segoe UI"), 11));
    header->setHighlightSections(false);
    connect(header, &QHeaderView::sectionClicked, this, [this](int logical) {
        auto* m = qobject_cast<QSqlQueryModel*>(grdArtikel->model());
        if (m)
            grdArtikelTitleButtonClick(m->record().fieldName(logical));
    });
    artikelDelegate_ = new GridCellDelegate(
        [this](QStyleOptionViewItem& o, const QModelIndex& index) {
            CellColors colors;
            grdArtikelCalcCellColors(index, o.state & QStyle::State_Selected, colors);
            GridCellDelegate::applyColors(o, colors);
            if (index.column() == columnOf(index, QStringLiteral("ARTIKELART")))
                o.text = ArticleKindText(index.data());
        },
        grdArtikel);
    grdArtikel->setItemDelegate(artikelDelegate_);

    auto* layout = new QVBoxLayout(panArtGrids);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(TopPanel);
    layout->addWidget(grdArtikel, 1);

    connect(btnArtikelRefresh, &QPushButton::clicked, this, &ArticlePage::btnArtikelRefreshClick);
    connect(chkArtikelNurMitDoks, &QCheckBox::clicked, this, &ArticlePage::chkArtikelNurMitDoksClick);
    return panArtGrids;
}

QWidget* ArticlePage::buildLinkPane()
{
    panArtikelDokumente = new QWidget;
    panArtikelDokumente->setObjectName(QStringLiteral("panArtikelDokumente"));

    auto* title = new QLabel(QStringLiteral("Dokumente"), panArtikelDokumente);
    title->setObjectName(QStringLiteral("labDokumente"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    QPalette red = title->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    title->setPalette(red);

    chkArtUngueltVerknMark =
        new QCheckBox(QStringLiteral("Ungültige Verknüpfungen prüfen/markieren"), panArtikelDokumente);
    chkArtUngueltVerknMark->setObjectName(QStringLiteral("chkArtUngueltVerknMark"));

    panArtikelButtons = new QWidget(panArtikelDokumente);
    panArtikelButtons->setObjectName(QStringLiteral("panArtikelButtons"));
    // The six captions need more than the pane's default width: the bar wraps into a second row.
    auto* bar = new FlowLayout(panArtikelButtons);
    auto button = [&](QPushButton*& b, const char* name, const QString& text, const QString& hint) {
        b = new QPushButton(text, panArtikelButtons);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        bar->addWidget(b);
    };
    button(btnDokuNeu, "btnDokuNeu", QStringLiteral("Neue Verkn."),
           QStringLiteral("Neue Dokumenten-Verknüpfung erstellen"));
    button(btnArtikelVerknAendern, "btnArtikelVerknAendern", QStringLiteral("V. ändern"),
           QStringLiteral("Dokumenten-Verknüpfung ändern"));
    button(btnDokuLoeschen, "btnDokuLoeschen", QStringLiteral("Löschen"),
           QStringLiteral("Verknüpfung mit Dokument löschen"));
    button(btnArtikelOpenDok, "btnArtikelOpenDok", QStringLiteral("Öffnen"),
           QStringLiteral("Dokument öffnen"));
    button(btnArtikelViewDok, "btnArtikelViewDok", QStringLiteral("Anzeigen"),
           QStringLiteral("Dokument anzeigen (Geht nicht bei allen Datei-Typen!)"));
    button(btnArtikelDokuUmbenennen, "btnArtikelDokuUmbenennen", QStringLiteral("Datei umbenennen"),
           QString());

    grdMArtBild = new QTableView(panArtikelDokumente);
    grdMArtBild->setObjectName(QStringLiteral("grdMArtBild"));
    grdMArtBild->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMArtBild->setSelectionMode(QAbstractItemView::SingleSelection);
    grdMArtBild->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdMArtBild->setWordWrap(true);
    grdMArtBild->setTabKeyNavigation(false);
    grdMArtBild->verticalHeader()->setVisible(false);
    grdMArtBild->horizontalHeader()->setSectionsClickable(false);
    grdMArtBild->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette white = grdMArtBild->palette();
    white.setColor(QPalette::Base, Qt::white);
    grdMArtBild->setPalette(white);
    keepSelectionVisible(grdMArtBild);
    grdMArtBild->viewport()->installEventFilter(this);
    linkDelegate_ = new GridCellDelegate(
        [this](QStyleOptionViewItem& o, const QModelIndex& index) {
            CellColors colors;
            grdMArtBildCalcCellColors(index, o.state & QStyle::State_Selected, colors);
            GridCellDelegate::applyColors(o, colors);
            if (index.column() == columnOf(index, QStringLiteral("BILDKENNZ"))) {
                o.features |= QStyleOptionViewItem::HasCheckIndicator;
                o.checkState = index.data().toInt() == 1 ? Qt::Checked : Qt::Unchecked;
                o.text.clear();
            }
        },
        grdMArtBild);
    grdMArtBild->setItemDelegate(linkDelegate_);
    connect(grdMArtBild, &QTableView::doubleClicked, this, [this] { btnArtikelViewDokClick(); });

    auto* layout = new QVBoxLayout(panArtikelDokumente);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(title);
    layout->addWidget(chkArtUngueltVerknMark);
    layout->addWidget(panArtikelButtons);
    layout->addWidget(grdMArtBild, 1);

    connect(btnDokuNeu, &QPushButton::clicked, this, &ArticlePage::btnDokuNeuClick);
    connect(btnArtikelVerknAendern, &QPushButton::clicked, this, &ArticlePage::btnArtikelVerknAendernClick);
    connect(btnDokuLoeschen, &QPushButton::clicked, this, &ArticlePage::btnDokuLoeschenClick);
    connect(btnArtikelOpenDok, &QPushButton::clicked, this, &ArticlePage::btnArtikelOpenDokClick);
    connect(btnArtikelViewDok, &QPushButton::clicked, this, &ArticlePage::btnArtikelViewDokClick);
    connect(btnArtikelDokuUmbenennen, &QPushButton::clicked, this,
            &ArticlePage::btnArtikelDokuUmbenennenClick);
    return panArtikelDokumente;
}

// A grid follows its query: the grid shows the query's model, the grid's current row is the query's
// current row (both ways), and the grid does not repaint while the query's controls are disabled.
void ArticlePage::bindGrid(QTableView* grid, Query* query)
{
    connect(query, &Query::afterOpen, this, [this, grid, query] { queryOpened(grid, query); });
    connect(query, &Query::currentChanged, this, [this, grid, query] {
        syncGridToQuery(grid, query);
        if (query == qryMArt && !query->controlsDisabled())
            datMArtDataChange();
    });
    // Enabling the controls also signals currentChanged, which brings the grid and the links along.
    connect(query, &Query::controlsEnabledChanged, grid, [grid](bool enabled) {
        grid->setUpdatesEnabled(enabled);
        if (enabled)
            grid->viewport()->update();
    });
    // The cell colours depend on the row: a new top row repaints the whole grid.
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, grid->viewport(),
            qOverload<>(&QWidget::update));
}

void ArticlePage::queryOpened(QTableView* grid, Query* query)
{
    if (grid->model() != query->model()) {
        grid->setModel(query->model());
        connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this, query](const QModelIndex& current) {
                    if (syncing_ || !current.isValid() || !query->isOpen())
                        return;
                    if (current.row() != query->currentRow())
                        query->setCurrentRow(current.row());
                });
    }
    if (grid == grdMArtBild)
        linkValidCache_.clear();
    auto* model = query->model();
    if (!model)
        return;
    // The default column order and the hidden columns; a stored layout is applied on top of it.
    const QSqlRecord rec = model->record();
    QHash<QString, int>& columns = grid == grdArtikel ? articleColumns_ : linkColumns_;
    columns.clear();
    for (int i = 0; i < rec.count(); ++i)
        columns.insert(rec.fieldName(i), i);
    const QStringList& order = grid == grdArtikel ? articleColumns() : linkColumns();
    QHeaderView* h = grid->horizontalHeader();
    int visual = 0;
    for (const QString& field : order) {
        const int logical = rec.indexOf(field);
        if (logical < 0)
            continue;
        h->setSectionHidden(logical, false);
        if (h->visualIndex(logical) != visual)
            h->moveSection(h->visualIndex(logical), visual);
        ++visual;
    }
    for (int i = 0; i < rec.count(); ++i)
        if (!order.contains(rec.fieldName(i)))
            h->setSectionHidden(i, true);
}

void ArticlePage::syncGridToQuery(QTableView* grid, Query* query)
{
    auto* sel = grid->selectionModel();
    if (!sel || grid->model() != query->model())
        return;
    syncing_ = true;
    const int row = query->isOpen() ? query->currentRow() : -1;
    auto* model = grid->model();
    if (row >= 0) {
        while (row >= model->rowCount() && model->canFetchMore(QModelIndex()))
            model->fetchMore(QModelIndex());
        // Keep the current column, so that the grid does not scroll sideways.
        int column = grid->currentIndex().isValid() ? grid->currentIndex().column() : -1;
        if (column < 0 || grid->isColumnHidden(column)) {
            const QHeaderView* h = grid->horizontalHeader();
            for (int visual = 0; visual < h->count() && column < 0; ++visual)
                if (!h->isSectionHidden(h->logicalIndex(visual)))
                    column = h->logicalIndex(visual);
        }
        const QModelIndex idx = model->index(row, std::max(column, 0));
        if (idx.isValid()) {
            sel->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            grid->scrollTo(idx);
        }
    } else {
        sel->clear();
    }
    syncing_ = false;
}

bool ArticlePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EditSearch) {
        if (event->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(event);
            if (EditSearchKeyDown(ke->key()))
                return true;
        } else if (event->type() == QEvent::KeyRelease) {
            auto* ke = static_cast<QKeyEvent*>(event);
            if (!ke->isAutoRepeat())
                EditSearchKeyUp(ke->key(), ke->modifiers(), ke->text());
        }
    } else if (watched == grdMArtBild->viewport() && event->type() == QEvent::Paint) {
        // Each repaint tests each visible row's file once.
        linkValidCache_.clear();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Settings

void ArticlePage::loadSettings()
{
    const UserSettings& s = ctx_.settings;
    chkArtikelNurMitDoks->setChecked(s.chkArtikelNurMitDoks);
    chkArtUngueltVerknMark->setChecked(s.chkArtUngueltVerknMark);
    treeWidth_ = s.panArtikelTreeWidth;
    documentsWidth_ = s.panArtikelDokumenteWidth;
    widthsApplied_ = false;
    if (isVisible())
        applyPaneWidths();
}

void ArticlePage::storeSettings()
{
    UserSettings& s = ctx_.settings;
    s.chkArtikelNurMitDoks = chkArtikelNurMitDoks->isChecked();
    s.chkArtUngueltVerknMark = chkArtUngueltVerknMark->isChecked();
    // The pane widths as the user left them; a page never shown keeps the stored ones.
    const QList<int> sizes = splitter_->sizes();
    if (widthsApplied_ && sizes.size() == 3 && sizes.at(0) > 0 && sizes.at(2) > 0) {
        treeWidth_ = sizes.at(0);
        documentsWidth_ = sizes.at(2);
    }
    s.panArtikelTreeWidth = treeWidth_;
    s.panArtikelDokumenteWidth = documentsWidth_;
}

void ArticlePage::applyPaneWidths()
{
    const int total = std::max(splitter_->width(), treeWidth_ + documentsWidth_ + 200);
    splitter_->setSizes({treeWidth_, total - treeWidth_ - documentsWidth_, documentsWidth_});
    widthsApplied_ = true;
}

void ArticlePage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!widthsApplied_)
        applyPaneWidths();
}

void ArticlePage::pageEntered()
{
    LMDPageControl2->setCurrentWidget(tsAuswahl);
    BuildArticleGroupTree();
}

void ArticlePage::closeQueries()
{
    for (Query* q : {qryMArtBild, qryMArt, qryAGrupp2, qryAGruppen, qryArtGrupp})
        CloseQuery(*q);
}

// ---------------------------------------------------------------------------------------------
// Article group tree

QTreeWidgetItem* ArticlePage::addNode(QTreeWidgetItem* parent, const QString& text, NodeKind kind)
{
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TreeView1);
    node->setText(0, text);
    node->setData(0, Qt::UserRole, static_cast<int>(kind));
    TreeView1CalcNodeAttributes(node);
    return node;
}

void ArticlePage::TreeView1CalcNodeAttributes(QTreeWidgetItem* node)
{
    const QString text = node->text(0);
    QFont f = TreeView1->font();
    f.setBold(text.startsWith(u'-') || text.startsWith(u'+'));
    node->setFont(0, f);
}

void ArticlePage::BuildArticleGroupTree()
{
    // Built once per run, also when an earlier build stopped half way.
    if (TreeView1->topLevelItemCount() > 0)
        return;

    if (ctx_.showWaitPanel)
        ctx_.showWaitPanel(QStringLiteral("Artikelgruppen werden erstellt..."), 100);
    if (ctx_.setWaitProgress)
        ctx_.setWaitProgress(0);
    TreeView1->setUpdatesEnabled(false);
    TreeView1->clear();

    struct Cleanup
    {
        ArticlePage* page;
        ~Cleanup()
        {
            for (Query* q : {page->qryAGruppen, page->qryArtGrupp, page->qryAGrupp2})
                CloseQuery(*q);
            page->TreeView1->setUpdatesEnabled(true);
            if (page->ctx_.hideWaitPanel)
                page->ctx_.hideWaitPanel();
        }
    } cleanup{this};

    buildGroupTreeRows();
}

void ArticlePage::buildGroupTreeRows()
{
    QTreeWidgetItem* root = addNode(nullptr, QStringLiteral("*"), NodeKind::Root);

    if (!ctx_.qry1)
        throw std::logic_error("general query qry1 missing");
    Query& q1 = *ctx_.qry1;
    OpenSql(q1, {QStringLiteral("SELECT count(*) as N FROM ~ARTGRUPP")});
    const int count = q1.eof() ? 0 : q1.value(QStringLiteral("N")).toInt();
    CloseQuery(q1);
    // With no main group there is nothing to advance; with more than 100 the bar stands still.
    const int step = count > 0 ? 100 / count : 0;

    CloseQuery(*qryArtGrupp);
    qryArtGrupp->addLine(QStringLiteral("SELECT * FROM ~ARTGRUPP ORDER BY SORTKENNZ"));
    OpenQuery(*qryArtGrupp, true);

    QTreeWidgetItem* heading = nullptr;
    QTreeWidgetItem* mainGroup = root;
    int progress = 0;
    while (!qryArtGrupp->eof()) {
        progress += step;
        if (ctx_.setWaitProgress)
            ctx_.setWaitProgress(progress);

        const QString code = qryArtGrupp->text(QStringLiteral("GRUPPENBEZ"));
        // A heading owns the groups filed under its own code, so that a click on such a group
        // filters on the main group those groups belong to.
        QTreeWidgetItem* owner = nullptr;
        if (code.startsWith(u'+') || code.startsWith(u'-')) {
            heading = addNode(nullptr, code, NodeKind::Heading);
            owner = heading;
        } else {
            mainGroup = addNode(heading, code, NodeKind::MainGroup);
            owner = mainGroup;
        }

        // Group codes are compared as exact literals: a code with an apostrophe finds its rows.
        CloseQuery(*qryAGruppen);
        qryAGruppen->addLine(QStringLiteral("SELECT * FROM ~AGRUPPEN WHERE OBERGRUPPE=") + SqlExact(code) +
                             QStringLiteral(" ORDER BY SORTKENNZ"));
        OpenQuery(*qryAGruppen, true);
        while (!qryAGruppen->eof()) {
            const QString group = qryAGruppen->text(QStringLiteral("GRUPPE"));
            QTreeWidgetItem* groupNode = addNode(owner, group, NodeKind::Group);

            CloseQuery(*qryAGrupp2);
            qryAGrupp2->addLine(QStringLiteral("SELECT * FROM ~AGRUPP2"));
            qryAGrupp2->addLine(QStringLiteral("WHERE OBERGRUPPE=") + SqlExact(code));
            qryAGrupp2->addLine(QStringLiteral("AND   UPPER(GRUPPE)=") + SqlExact(UpperText(group)) +
                                QStringLiteral("  ORDER BY SORTKENNZ"));
            OpenQuery(*qryAGrupp2, true);
            while (!qryAGrupp2->eof()) {
                const QString sub = qryAGrupp2->text(QStringLiteral("UNTGRUPPE"));
                if (!sub.isEmpty())
                    addNode(groupNode, sub, NodeKind::SubGroup);
                qryAGrupp2->next();
            }
            qryAGruppen->next();
        }
        qryArtGrupp->next();
    }
}

void ArticlePage::TreeView1Click()
{
    QTreeWidgetItem* node = TreeView1->currentItem();
    if (!node)
        return;
    const auto kind = static_cast<NodeKind>(node->data(0, Qt::UserRole).toInt());
    switch (kind) {
    case NodeKind::Heading:
        return;
    case NodeKind::Root:
        labOBERGRUPPE->clear();
        labGruppe->clear();
        labGru2->clear();
        break;
    case NodeKind::MainGroup:
        labOBERGRUPPE->setText(node->text(0));
        labGruppe->clear();
        labGru2->clear();
        break;
    case NodeKind::Group:
        labOBERGRUPPE->setText(node->parent() ? node->parent()->text(0) : QString());
        labGruppe->setText(node->text(0));
        labGru2->clear();
        break;
    case NodeKind::SubGroup: {
        QTreeWidgetItem* group = node->parent();
        QTreeWidgetItem* mainGroup = group ? group->parent() : nullptr;
        labOBERGRUPPE->setText(mainGroup ? mainGroup->text(0) : QString());
        labGruppe->setText(group ? group->text(0) : QString());
        labGru2->setText(node->text(0));
        break;
    }
    }
    ControlsDisabled disabled(qryMArt);
    RefreshArticleList();
}

// ---------------------------------------------------------------------------------------------
// Article list

void ArticlePage::RefreshArticleList()
{
    const QString search = ArticleSearchText(EditSearch->text());
    WaitCursor cursor(Messages::Cursor::Wait);
    labOrderBy->setText(ArticleOrderColumn(labOrderBy->text()));

    ControlsDisabled disabled(qryMArt);
    try {
        CloseQuery(*qryMArt);
        ArticleListFilter filter;
        filter.searchText = search;
        filter.orderBy = labOrderBy->text();
        filter.mainGroup = labOBERGRUPPE->text();
        filter.group = labGruppe->text();
        filter.subGroup = labGru2->text();
        filter.kindIndex = std::max(0, rgrpArtikelartButtons->checkedId());
        filter.onlyWithDocuments = chkArtikelNurMitDoks->isChecked();
        for (const QString& line : BuildArticleListSql(filter))
            qryMArt->addLine(line);
        OpenQuery(*qryMArt, true);
    } catch (const AbortSignal&) {
        msg().playSound(Messages::Sound::Question);
        msg().show(Messages::Kind::Error,
                   QStringLiteral("Die Artikel-Datenbank-Abfrage war nicht erfolgreich:") + crlf() +
                       AbortSignal::text());
    }
}

void ArticlePage::btnArtikelRefreshClick()
{
    RefreshArticleList();
}

void ArticlePage::chkArtikelNurMitDoksClick()
{
    RefreshArticleList();
}

void ArticlePage::rgrpArtikelartClick()
{
    RefreshArticleList();
}

void ArticlePage::grdArtikelTitleButtonClick(const QString& fieldName)
{
    labOrderBy->setText(fieldName);
    RefreshArticleList();
}

bool ArticlePage::EditSearchKeyDown(int key)
{
    const int step = SearchKeyRowStep(key);
    if (step == 0)
        return false;
    moveArticleRow(step);
    return true;
}

void ArticlePage::EditSearchKeyUp(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    if (SearchKeyRequeries(key, modifiers, text))
        RefreshArticleList();
}

void ArticlePage::moveArticleRow(int delta)
{
    if (!qryMArt->isOpen() || !qryMArt->model())
        return;
    QAbstractItemModel* model = qryMArt->model();
    const int current = std::max(0, qryMArt->currentRow());
    int target = std::max(0, current + delta);
    while (target >= model->rowCount() && model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    target = std::min(target, model->rowCount() - 1);
    if (target >= 0 && target != qryMArt->currentRow())
        qryMArt->setCurrentRow(target);
}

void ArticlePage::datMArtDataChange()
{
    RefreshArticleLinks();
}

int ArticlePage::columnOf(const QModelIndex& index, const QString& field) const
{
    // Column numbers are looked up once per open of the query (each painted cell asks).
    const QHash<QString, int>* columns = nullptr;
    if (index.model() == qryMArt->model())
        columns = &articleColumns_;
    else if (index.model() == qryMArtBild->model())
        columns = &linkColumns_;
    if (!columns)
        return -1;
    return columns->value(field, -1);
}

QVariant ArticlePage::cellValue(const QModelIndex& index, const QString& field) const
{
    const int column = columnOf(index, field);
    return column < 0 ? QVariant() : index.model()->data(index.model()->index(index.row(), column));
}

void ArticlePage::grdArtikelCalcCellColors(const QModelIndex& index, bool highlighted, CellColors& colors)
{
    ArticleCellColors(cellValue(index, QStringLiteral("ARTIKELART")),
                      cellValue(index, QStringLiteral("INAKTIV")),
                      cellValue(index, QStringLiteral("ANZBILDER")), highlighted, colors);
}

bool ArticlePage::hasCurrentArticle() const
{
    return hasRow(qryMArt) && !qryMArt->text(QStringLiteral("ARTNR")).isEmpty();
}

QString ArticlePage::currentArtNr() const
{
    return hasRow(qryMArt) ? qryMArt->text(QStringLiteral("ARTNR")) : QString();
}

bool ArticlePage::hasCurrentLink() const
{
    return hasRow(qryMArtBild);
}

// ---------------------------------------------------------------------------------------------
// Links of the current article

void ArticlePage::RefreshArticleLinks()
{
    ControlsDisabled disabled(qryMArtBild);
    // Without a current article the list shows no links (rather than those of an earlier article).
    const QString artnr = currentArtNr();
    if (artnr.isEmpty()) {
        CloseQuery(*qryMArtBild);
        return;
    }
    try {
        CloseQuery(*qryMArtBild);
        qryMArtBild->addLine(
            QStringLiteral("select ARTNR,LFDNR,DATEINAME,PFADNAME,TEXT, BILDKENNZ FROM ~MARTBILD"));
        qryMArtBild->addLine(QStringLiteral("WHERE ARTNR=") + SqlStr(artnr));
        qryMArtBild->addLine(QStringLiteral("ORDER BY ARTNR,DATEINAME"));
        OpenQuery(*qryMArtBild, true);
    } catch (const AbortSignal&) {
        msg().playSound(Messages::Sound::Question);
        msg().show(Messages::Kind::Warning, QStringLiteral("Die Dokumenten-Abfrage war nicht erfolgreich:") +
                                                crlf() + AbortSignal::text());
    }
}

bool ArticlePage::linkRowValid(int row)
{
    const auto it = linkValidCache_.constFind(row);
    if (it != linkValidCache_.constEnd())
        return it.value();
    const QModelIndex any = qryMArtBild->model() ? qryMArtBild->model()->index(row, 0) : QModelIndex();
    ++fileTests_;
    const bool valid = LinkFileExists(cellValue(any, QStringLiteral("PFADNAME")).toString(),
                                      cellValue(any, QStringLiteral("DATEINAME")).toString());
    linkValidCache_.insert(row, valid);
    return valid;
}

void ArticlePage::grdMArtBildCalcCellColors(const QModelIndex& index, bool highlighted, CellColors& colors)
{
    if (!chkArtUngueltVerknMark->isChecked() || !index.isValid())
        return;
    if (!linkRowValid(index.row()))
        InvalidLinkCellColors(highlighted, colors);
}

void ArticlePage::btnArtikelOpenDokClick()
{
    if (!hasCurrentLink())
        return;
    const QString name = qryMArtBild->text(QStringLiteral("DATEINAME"));
    if (name.isEmpty())
        return;
    // The desktop's answer is not looked at: a missing file gives no message from here.
    msg().openUrl(QUrl::fromLocalFile(ResolveLinkPath(qryMArtBild->text(QStringLiteral("PFADNAME")), name)));
}

void ArticlePage::btnArtikelViewDokClick()
{
    if (!hasCurrentLink())
        return;
    const QString path = ResolveLinkPath(qryMArtBild->text(QStringLiteral("PFADNAME")),
                                         qryMArtBild->text(QStringLiteral("DATEINAME")));
    if (ctx_.viewDocument)
        ctx_.viewDocument(path);
    else
        TDlgDokView::showFile(ctx_, path);
}

void ArticlePage::btnDokuLoeschenClick()
{
    if (!hasCurrentLink() || !hasCurrentArticle())
        return;
    try {
        DeleteArticleLink(ctx_, currentArtNr(), qryMArtBild->value(QStringLiteral("LFDNR")).toInt(), true);
        RefreshArticleLinks();
    } catch (const AbortSignal&) {
    }
}

void ArticlePage::btnDokuNeuClick()
{
    if (!hasCurrentArticle())
        return;
    const QString file = AskArticleFile(ctx_, this);
    if (file.isEmpty())
        return;
    try {
        InsertArticleLink(ctx_, currentArtNr(), file);
        RememberArticleFileFolder(ctx_, file);
        RefreshArticleLinks();
    } catch (const AbortSignal&) {
    }
}

void ArticlePage::btnArtikelVerknAendernClick()
{
    if (!hasCurrentLink() || !hasCurrentArticle())
        return;
    try {
        if (ChangeArticleLink(ctx_, currentArtNr(), qryMArtBild->value(QStringLiteral("LFDNR")).toInt(),
                              this))
            RefreshArticleLinks();
    } catch (const AbortSignal&) {
    }
}

void ArticlePage::btnArtikelDokuUmbenennenClick()
{
    if (!hasCurrentLink())
        return;
    const QString folder = qryMArtBild->text(QStringLiteral("PFADNAME"));
    const QString name = qryMArtBild->text(QStringLiteral("DATEINAME"));
    const QString artnr = qryMArtBild->text(QStringLiteral("ARTNR"));
    const int lfdnr = qryMArtBild->value(QStringLiteral("LFDNR")).toInt();

    QString newName;
    {
        TDlgInputPara dlg(this);
        dlg.setWindowTitle(QStringLiteral("Dokument umbenennen"));
        dlg.labText->setText(QStringLiteral("Dokument ") + folder + name + QStringLiteral(" umbenennen"));
        dlg.Label1->setText(QStringLiteral("Neuer Name:"));
        for (QLabel* unused : {dlg.Label2, dlg.Label3, dlg.Label4})
            unused->clear();
        dlg.fldInput1->setText(name);
        if (msg().execDialog(dlg) != QDialog::Accepted) {
            RefreshArticleLinks();
            return;
        }
        newName = dlg.fldInput1->text();
    }

    const QString twoBreaks = crlf() + crlf();
    const QString question = QStringLiteral("Wollen Sie die Datei") + twoBreaks + folder + name + twoBreaks +
                             QStringLiteral("wirklich nach") + twoBreaks + folder + newName + twoBreaks +
                             QStringLiteral(" umbenennen? ");
    if (!msg().askYesNo(question))
        return;

    // A failed rename on disk leaves file and link as they were; a failed link update puts the file
    // back and says so.
    RenameArticleLinkFile(ctx_, artnr, lfdnr, folder, name, newName);
    RefreshArticleLinks();
}
