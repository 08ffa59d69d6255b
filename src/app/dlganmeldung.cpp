// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dlganmeldung.h"

#include "app/appcontext.h"
#include "app/appinfo.h"
#include "app/handlerguard.h"
#include "db/literals.h"
#include "db/queryops.h"
#include "util/helpers.h"
#include "util/messages.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>
#include <QValidator>
#include <memory>

namespace {

const int kClientWidth = 650;
const int kClientHeight = 523;

// Turns typed letters into capitals as they are typed.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

QPixmap backgroundPicture()
{
    QPixmap pm(kClientWidth, kClientHeight);
    QPainter p(&pm);
    QLinearGradient g(0, 0, kClientWidth, kClientHeight);
    g.setColorAt(0.0, QColor(0xdc, 0xe8, 0xf5));
    g.setColorAt(0.55, QColor(0xf7, 0xfa, 0xfd));
    g.setColorAt(1.0, QColor(0xc9, 0xd9, 0xec));
    p.fillRect(pm.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x8c, 28));
    p.drawEllipse(QPoint(kClientWidth - 60, 40), 190, 190);
    p.setBrush(QColor(0x1f, 0x4e, 0x8c, 18));
    p.drawEllipse(QPoint(40, kClientHeight - 20), 150, 150);
    p.fillRect(QRect(0, 0, kClientWidth, 6), QColor(0x1f, 0x4e, 0x8c));
    return pm;
}

QString userLookup(const QString& shortName)
{
    return QStringLiteral("Select * FROM ~MRLUSER WHERE KURZNAME=") + SqlStr(shortName);
}

} // namespace

TDlgAnmeldung::TDlgAnmeldung(AppContext& ctx, const QString& versionPanelText, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("DlgAnmeldung"));
    // Modal to the main window only, so that a help window opened from here can be used.
    setWindowModality(Qt::WindowModal);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    LMDNImage1 = new QLabel(this);
    LMDNImage1->setObjectName(QStringLiteral("LMDNImage1"));
    LMDNImage1->setPixmap(backgroundPicture());
    LMDNImage1->setScaledContents(true);
    LMDNImage1->setGeometry(0, 0, kClientWidth, kClientHeight);
    LMDNImage1->lower();

    LMDLabel1 = new QLabel(QStringLiteral("KORVAN DokumentenManager"), this);
    LMDLabel1->setObjectName(QStringLiteral("LMDLabel1"));
    QFont title = bold;
    title.setPointSizeF(bold.pointSizeF() * 2.0);
    LMDLabel1->setFont(title);
    LMDLabel1->setStyleSheet(QStringLiteral("color: #1f4e8c;"));

    Label1 = new QLabel(QStringLiteral("Version:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    labVersion = new QLabel(this);
    labVersion->setObjectName(QStringLiteral("labVersion"));
    labBeta = new QLabel(QStringLiteral("Beta"), this);
    labBeta->setObjectName(QStringLiteral("labBeta"));
    QFont beta = bold;
    beta.setPointSizeF(bold.pointSizeF() * 2.4);
    beta.setItalic(true);
    labBeta->setFont(beta);
    labBeta->setStyleSheet(QStringLiteral("color: #c0392b;"));
    labBeta->setVisible(false);

    Label2 = new QLabel(QStringLiteral("Melden Sie sich mit Ihrem Kurznamen an das Programm an."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setWordWrap(true);

    RxLabel1 = new QLabel(QStringLiteral("Name:"), this);
    RxLabel1->setObjectName(QStringLiteral("RxLabel1"));
    fldKurzname = new QLineEdit(this);
    fldKurzname->setObjectName(QStringLiteral("fldKurzname"));
    fldKurzname->setValidator(new UpperCaseValidator(fldKurzname));
    fldKurzname->setToolTip(QStringLiteral("Geben Sie hier Ihr Namenskürzel ein. Mit der TAB-Taste weiter."));
    RxLabel1->setBuddy(fldKurzname);

    RxLabel2 = new QLabel(QStringLiteral("Kennwort:"), this);
    RxLabel2->setObjectName(QStringLiteral("RxLabel2"));
    fldPasswort = new QLineEdit(this);
    fldPasswort->setObjectName(QStringLiteral("fldPasswort"));
    fldPasswort->setEchoMode(QLineEdit::Password);
    fldPasswort->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    fldPasswort->setToolTip(QStringLiteral("Geben Sie hier Ihr Passwort ein. Mit [Ok] weiter.\n"
                                           "(Erst NACH der Passwort-Eingabe wird OK bzw. ENTER möglich!)"));
    RxLabel2->setBuddy(fldPasswort);
    for (QLineEdit* e : {fldKurzname, fldPasswort})
        e->setMinimumWidth(220);

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnHelp = new QPushButton(QStringLiteral("Hilfe"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    // The buttons never take the focus: a click leaves it where it was.
    for (QPushButton* b : {btnOk, btnCancel, btnHelp}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setMinimumWidth(b->sizeHint().width() + 24);
    }

    labCopyright = new QLabel(appinfo::rightsNotice(), this);
    labCopyright->setObjectName(QStringLiteral("labCopyright"));
    QFont small = font();
    small.setBold(false);
    labCopyright->setFont(small);

    EditDatabase = new QLineEdit(this);
    EditDatabase->setObjectName(QStringLiteral("EditDatabase"));
    EditDatabase->setReadOnly(true);
    EditDatabase->setFocusPolicy(Qt::NoFocus);
    EditDatabase->setToolTip(QStringLiteral("Mit dieser Datenbank arbeiten Sie."));
    EditDatabase->setVisible(false);

    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(Label1);
    versionRow->addWidget(labVersion);
    versionRow->addSpacing(24);
    versionRow->addWidget(labBeta);
    versionRow->addStretch();

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(10);
    fields->addWidget(RxLabel1, 0, 0, Qt::AlignRight);
    fields->addWidget(fldKurzname, 0, 1);
    fields->addWidget(RxLabel2, 1, 0, Qt::AlignRight);
    fields->addWidget(fldPasswort, 1, 1);
    fields->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHelp);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 30, 36, 18);
    layout->addWidget(LMDLabel1);
    layout->addLayout(versionRow);
    layout->addStretch(2);
    layout->addWidget(Label2);
    layout->addSpacing(12);
    layout->addLayout(fields);
    layout->addSpacing(18);
    layout->addLayout(buttons);
    layout->addStretch(3);
    layout->addWidget(labCopyright);

    setFixedSize(kClientWidth, kClientHeight);
    setTabOrder(fldKurzname, fldPasswort);
    fldKurzname->setFocus();

    connect(fldPasswort, &QLineEdit::textChanged, this, &TDlgAnmeldung::fldPasswortChange);
    connect(btnOk, &QPushButton::clicked, this, [this] { RunAction([this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, &TDlgAnmeldung::btnCancelClick);
    connect(btnHelp, &QPushButton::clicked, this, &TDlgAnmeldung::btnHelpClick);
    fldKurzname->installEventFilter(this);
    fldPasswort->installEventFilter(this);

    FormCreate(versionPanelText);
}

void TDlgAnmeldung::FormCreate(const QString& versionPanelText)
{
    setWindowTitle(appinfo::applicationTitle() + QStringLiteral(" - Anmelden..."));
    labBeta->setVisible(versionPanelText.contains(u'B'));
}

void TDlgAnmeldung::FormShow()
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{fldKurzname, fldPasswort, btnOk, btnCancel, btnHelp, EditDatabase})
        w->update();
}

void TDlgAnmeldung::FormActivate()
{
    if (!ctx_.config.commandLineUser.isEmpty()) {
        fldKurzname->setText(ctx_.config.commandLineUser.toUpper());
        if (fldPasswort->isEnabled() && fldPasswort->isVisible())
            fldPasswort->setFocus(Qt::OtherFocusReason);
    }
    EditDatabase->setText(ctx_.config.databaseAlias);
}

void TDlgAnmeldung::fldPasswortChange()
{
    btnOk->setEnabled(!fldPasswort->text().isEmpty());
}

void TDlgAnmeldung::fldPasswortExit()
{
    if (fldPasswort->text().isEmpty())
        return;
    Query& q = *ctx_.qry1;
    try {
        OpenSql(q, {userLookup(fldKurzname->text().left(10))});
        if (q.eof()) {
            msg().error(QStringLiteral("\"") + fldKurzname->text() +
                        QStringLiteral("\" ist kein gültiger Benutzer. Bitte korrekten Kurznamen angeben!"));
            fldKurzname->clear();
            fldKurzname->setFocus(Qt::OtherFocusReason);
        } else if (q.text(QStringLiteral("Passwort")) != EncodePassword(fldPasswort->text())) {
            msg().error(QStringLiteral("Das Kennwort ist falsch, bitte korrekt eingeben!"));
            fldPasswort->clear();
            fldPasswort->setFocus(Qt::OtherFocusReason);
        }
    } catch (...) {
        CloseQuery(q);
        throw;
    }
    CloseQuery(q);
}

void TDlgAnmeldung::btnOkClick()
{
    Query& q = *ctx_.qry1;
    CloseQuery(q);
    q.setSql({QStringLiteral("SELECT * FROM ~MRLUSER"),
              QStringLiteral("WHERE UPPER(KURZNAME)=") + SqlStr(fldKurzname->text().toUpper().left(10))});
    OpenQuery(q, true);
    // Moving the focus back into a field is part of this check, not a reason for the early one.
    inOkCheck_ = true;
    const auto done = qScopeGuard([this] { inOkCheck_ = false; });
    if (q.eof()) {
        msg().error(QStringLiteral("Das Kennwort oder der Benutzer ist falsch!\nBitte Kurzname (") +
                    fldKurzname->text() + QStringLiteral(") und Passwort überprüfen!"));
        fldKurzname->clear();
        fldKurzname->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (q.text(QStringLiteral("Passwort")) != EncodePassword(fldPasswort->text())) {
        msg().error(QStringLiteral("Das Kennwort ist falsch, bitte korrekt eingeben!"));
        fldPasswort->clear();
        fldPasswort->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}

void TDlgAnmeldung::btnCancelClick()
{
    reject();
}

void TDlgAnmeldung::btnHelpClick()
{
    if (ctx_.showHelp)
        ctx_.showHelp();
    fldKurzname->setFocus(Qt::OtherFocusReason);
}

bool TDlgAnmeldung::FormKeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F1:
        btnHelpClick();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!btnOk->isEnabled())
            return false;
        RunAction([this] { btnOkClick(); });
        return true;
    default:
        return false;
    }
}

bool TDlgAnmeldung::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TDlgAnmeldung::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TDlgAnmeldung::keyPressEvent(QKeyEvent* event)
{
    if (FormKeyDown(event))
        return;
    // Enter with OK disabled does nothing (there is no default button).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

void TDlgAnmeldung::done(int result)
{
    closing_ = true;
    QDialog::done(result);
    closing_ = false;
}

bool TDlgAnmeldung::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == fldKurzname || watched == fldPasswort)) {
        if (FormKeyDown(static_cast<QKeyEvent*>(event)))
            return true;
    }
    if (event->type() == QEvent::FocusOut && watched == fldPasswort && !inOkCheck_ && !closing_ &&
        isVisible()) {
        // Only a move to another control of the dialog counts, not the dialog losing the
        // activation (a message box, another window) or closing.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            reason != Qt::MenuBarFocusReason)
            RunAction([this] { fldPasswortExit(); });
    }
    return QDialog::eventFilter(watched, event);
}

bool LoginUser(AppContext& ctx, QWidget* owner, const QString& versionPanelText)
{
    Query& q = *ctx.qry1;
    const QString user = ctx.config.commandLineUser;
    const QString password = ctx.config.commandLinePassword;
    bool success = true;
    auto dialog = std::make_unique<TDlgAnmeldung>(ctx, versionPanelText, owner);
    try {
        dialog->labVersion->setText(appinfo::programVersion());
        if (!user.isEmpty())
            dialog->fldKurzname->setText(user.toUpper());
        if (!password.isEmpty()) {
            OpenSql(q, {userLookup(user)});
            if (q.eof()) {
                msg().error(QStringLiteral("Falsche Anmeldung!\nBitte Kurznamen überprüfen!"));
                success = false;
            } else if (q.text(QStringLiteral("Passwort")) != EncodePassword(password)) {
                msg().error(QStringLiteral("Falsche Anmeldung!\nBitte korrektes Passwort angeben!"));
                success = false;
            }
        } else {
            OpenSql(q, {userLookup(user)});
            if (msg().execDialog(*dialog) != QDialog::Accepted)
                success = false;
        }
        if (success) {
            ctx.shortName = q.text(QStringLiteral("Kurzname")).left(10);
            ctx.fullName =
                QString(q.text(QStringLiteral("Vorname")) + u' ' + q.text(QStringLiteral("Nachname")))
                    .left(100);
        }
    } catch (...) {
        dialog.reset();
        CloseQuery(q);
        throw;
    }
    dialog.reset();
    CloseQuery(q);
    return success;
}
