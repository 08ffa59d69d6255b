// SPDX-License-Identifier: GPL-3.0-or-later
#include "printing/printdialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>

// ---------------------------------------------------------------------------------------------
// TPrnStatusForm

TPrnStatusForm::TPrnStatusForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PrnStatusForm"));
    setWindowTitle(QStringLiteral("Druck-Status"));
    setWindowModality(Qt::ApplicationModal);
    StatusLabel = new QLabel(QStringLiteral("Status"), this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setAlignment(Qt::AlignCenter);
    StatusLabel->setMinimumWidth(220);
    CancelButton = new QPushButton(QStringLiteral("Abbruch"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StatusLabel);
    layout->addWidget(CancelButton, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
    connect(CancelButton, &QPushButton::clicked, this, &TPrnStatusForm::CancelButtonClick);
}

void TPrnStatusForm::CancelButtonClick()
{
    canceled_ = true;
}

void TPrnStatusForm::ViewerPrintProgress(int page, bool& stop)
{
    if (canceled_) {
        stop = true;
    } else {
        StatusLabel->setText(page != 0 ? QStringLiteral("Page Number ") + QString::number(page)
                                       : QStringLiteral("Formating"));
    }
    if (isVisible()) {
        StatusLabel->repaint();
        // Lets "Abbruch" be pressed while the work goes on; the window is modal meanwhile.
        QCoreApplication::processEvents();
    }
}

template<typename Work>
void TPrnStatusForm::run(Work&& work, bool& cancelled)
{
    show();
    try {
        work([this](int page, bool& stop) { ViewerPrintProgress(page, stop); });
    } catch (...) {
        hide();
        cancelled = canceled_;
        throw;
    }
    hide();
    cancelled = canceled_;
}

void TPrnStatusForm::DoPreview(PrintSource& viewer, QPrinter& printer, PageRecorder& recorder, bool& cancelled)
{
    run([&](const PrintProgress& progress) { viewer.layoutPages(printer, recorder, progress); }, cancelled);
}

void TPrnStatusForm::DoPrint(PrintSource& viewer, QPrinter& printer, int from, int to, bool& cancelled)
{
    run([&](const PrintProgress& progress) { viewer.printPages(printer, from, to, progress); }, cancelled);
}

// ---------------------------------------------------------------------------------------------
// RadioGroup

RadioGroup::RadioGroup(const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(parent), group_(new QButtonGroup(this))
{
    auto* layout = new QGridLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        layout->addWidget(b, i / qMax(1, columns), i % qMax(1, columns));
    }
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit changed(id);
    });
}

int RadioGroup::itemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (QAbstractButton* b = group_->button(index))
        b->setChecked(true);
}

QRadioButton* RadioGroup::button(int index) const
{
    return qobject_cast<QRadioButton*>(group_->button(index));
}

// ---------------------------------------------------------------------------------------------
// TDlgSeiteEinrichten

namespace {
QDoubleSpinBox* marginField(QWidget* parent, const char* name)
{
    auto* f = new QDoubleSpinBox(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setDecimals(2);
    f->setSingleStep(0.2);
    f->setMinimum(0.0);
    f->setMaximum(5.0);
    f->setValue(1.0);
    return f;
}

QLabel* fieldLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}
} // namespace

TDlgSeiteEinrichten::TDlgSeiteEinrichten(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgSeiteEinrichten"));
    setWindowTitle(QStringLiteral("Seite einrichten"));
    rgrpSeiteOrientation = new RadioGroup({QStringLiteral("&Hochformat"), QStringLiteral("&Querformat")}, 2, this);
    rgrpSeiteOrientation->setObjectName(QStringLiteral("rgrpSeiteOrientation"));
    rgrpSeiteOrientation->setGeometry(16, 8, 424, 52);
    rgrpSeiteOrientation->setItemIndex(0);

    seditSeiteRandOben = marginField(this, "seditSeiteRandOben");
    seditSeiteRandLinks = marginField(this, "seditSeiteRandLinks");
    seditSeiteRandRechts = marginField(this, "seditSeiteRandRechts");
    seditSeiteRandUnten = marginField(this, "seditSeiteRandUnten");
    // The labels stand around the sample sheet on the side of their margin.
    fieldLabel(QStringLiteral("Rand &oben:"), seditSeiteRandOben, this)->setGeometry(150, 70, 80, 22);
    seditSeiteRandOben->setGeometry(232, 70, 70, 24);
    fieldLabel(QStringLiteral("Rand &links:"), seditSeiteRandLinks, this)->setGeometry(16, 160, 120, 22);
    seditSeiteRandLinks->setGeometry(16, 184, 70, 24);
    fieldLabel(QStringLiteral("Rand &rechts:"), seditSeiteRandRechts, this)->setGeometry(310, 160, 120, 22);
    seditSeiteRandRechts->setGeometry(310, 184, 70, 24);
    fieldLabel(QStringLiteral("Rand &unten:"), seditSeiteRandUnten, this)->setGeometry(150, 258, 80, 22);
    seditSeiteRandUnten->setGeometry(232, 258, 70, 24);

    panSeitenFmtBsp = new QFrame(this);
    panSeitenFmtBsp->setObjectName(QStringLiteral("panSeitenFmtBsp"));
    panSeitenFmtBsp->setFrameShape(QFrame::Box);
    panSeitenFmtBsp->setAutoFillBackground(true);
    QPalette pal = panSeitenFmtBsp->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panSeitenFmtBsp->setPalette(pal);

    Label77 = new QLabel(QStringLiteral("Alle Angaben in cm"), this);
    Label77->setObjectName(QStringLiteral("Label77"));
    Label77->setGeometry(16, 300, 200, 22);

    btnSeitenFmtOK = new QPushButton(QStringLiteral("OK"), this);
    btnSeitenFmtOK->setObjectName(QStringLiteral("btnSeitenFmtOK"));
    btnSeitenFmtOK->setDefault(true);
    btnSeitenFmtOK->setGeometry(270, 296, 80, 28);
    btnSeitenFmtAbbruch = new QPushButton(QStringLiteral("Abbruch"), this);
    btnSeitenFmtAbbruch->setObjectName(QStringLiteral("btnSeitenFmtAbbruch"));
    btnSeitenFmtAbbruch->setGeometry(360, 296, 80, 28);
    setFixedSize(456, 336);

    connect(btnSeitenFmtOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnSeitenFmtAbbruch, &QPushButton::clicked, this, &QDialog::reject);
    connect(rgrpSeiteOrientation, &RadioGroup::changed, this, &TDlgSeiteEinrichten::rgrpSeiteOrientationChange);
    rgrpSeiteOrientationChange();
}

void TDlgSeiteEinrichten::setMargins(const PrintMargins& m)
{
    seditSeiteRandLinks->setValue(m.left);
    seditSeiteRandRechts->setValue(m.right);
    seditSeiteRandOben->setValue(m.top);
    seditSeiteRandUnten->setValue(m.bottom);
}

PrintMargins TDlgSeiteEinrichten::margins() const
{
    PrintMargins m;
    m.left = seditSeiteRandLinks->value();
    m.right = seditSeiteRandRechts->value();
    m.top = seditSeiteRandOben->value();
    m.bottom = seditSeiteRandUnten->value();
    return m;
}

int TDlgSeiteEinrichten::orientation() const
{
    return qMax(0, rgrpSeiteOrientation->itemIndex());
}

void TDlgSeiteEinrichten::setOrientation(int index)
{
    rgrpSeiteOrientation->setItemIndex(index == 0 ? 0 : 1);
    rgrpSeiteOrientationChange();
}

void TDlgSeiteEinrichten::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TDlgSeiteEinrichten::FormShow()
{
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    rgrpSeiteOrientationChange();
}

void TDlgSeiteEinrichten::rgrpSeiteOrientationChange()
{
    if (orientation() == 0)
        panSeitenFmtBsp->setGeometry(176, 116, 100, 130);
    else
        panSeitenFmtBsp->setGeometry(160, 128, 130, 100);
}

// ---------------------------------------------------------------------------------------------
// TDlgGoPage

PageNumberBox::PageNumberBox(QWidget* parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    // The typed number is taken over on Enter or when the field is left, not with each key.
    setKeyboardTracking(false);
}

QValidator::State PageNumberBox::validate(QString& text, int&) const
{
    static const QRegularExpression number(QStringLiteral("^\\s*[-+]?\\d{0,9}\\s*$"));
    if (!number.match(text).hasMatch())
        return QValidator::Invalid;
    bool ok = false;
    text.trimmed().toInt(&ok);
    return ok ? QValidator::Acceptable : QValidator::Intermediate;
}

int PageNumberBox::valueFromText(const QString& text) const
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : minimum();
}

TDlgGoPage::TDlgGoPage(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgGoPage"));
    setWindowTitle(QStringLiteral("Zur Seite gehen"));
    QFont f(QStringLiteral("Tahoma"));
    f.setBold(true);
    setFont(f);
    PageNum = new PageNumberBox(this);
    PageNum->setObjectName(QStringLiteral("PageNum"));
    PageNum->setRange(1, 1);
    PageNum->setValue(1);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Abbruch"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Seite:"), this), 0, 0);
    layout->addWidget(PageNum, 0, 1, 1, 2);
    layout->addWidget(OKBtn, 1, 1);
    layout->addWidget(CancelBtn, 1, 2);
    setFixedSize(sizeHint());
    connect(OKBtn, &QPushButton::clicked, this, &TDlgGoPage::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    PageNum->installEventFilter(this);
    PageNum->findChild<QLineEdit*>()->installEventFilter(this);
    PageNum->setFocus();
}

void TDlgGoPage::setPageRange(int pageCount, int current)
{
    PageNum->setRange(1, qMax(1, pageCount));
    PageNum->setValue(current);
}

int TDlgGoPage::pageNumber() const
{
    return qBound(PageNum->minimum(), PageNum->value(), PageNum->maximum());
}

void TDlgGoPage::PageNumEnter()
{
    PageNum->selectAll();
}

bool TDlgGoPage::PageNumKeyDown(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    OKBtn->click();
    return true;
}

void TDlgGoPage::accept()
{
    // Takes over what was typed: outside the range gives the first or the last page.
    PageNum->interpretText();
    QDialog::accept();
}

bool TDlgGoPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        QMetaObject::invokeMethod(this, &TDlgGoPage::PageNumEnter, Qt::QueuedConnection);
    if (event->type() == QEvent::KeyPress && PageNumKeyDown(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

#include "moc_printdialogs.cpp"
