// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

struct AppContext;
class QLabel;
class QLineEdit;
class QPushButton;

// The login dialog: short name and password of an ERP user, checked against the user table. The
// dialog sees every key first (F1 help, Escape cancel, Enter OK while OK is enabled). Accepted
// means logged in; the general query qry1 then stands on the user's row.
class TDlgAnmeldung : public QDialog
{
    Q_OBJECT
public:
    // versionPanelText: the version shown in the main window's status bar (a "B" in it shows the
    // beta badge).
    TDlgAnmeldung(AppContext& ctx, const QString& versionPanelText, QWidget* parent = nullptr);

    QLabel* LMDNImage1;
    QLabel* LMDLabel1;
    QLabel* Label1;
    QLabel* labVersion;
    QLabel* labBeta;
    QLabel* RxLabel1;
    QLineEdit* fldKurzname;
    QLabel* RxLabel2;
    QLineEdit* fldPasswort;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
    QLabel* Label2;
    QLabel* labCopyright;
    QLineEdit* EditDatabase;

public slots:
    void FormShow();
    void FormActivate();
    void fldPasswortChange();
    void fldPasswortExit();
    void btnOkClick();
    void btnCancelClick();
    void btnHelpClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const QString& versionPanelText);
    // Returns true when the key was handled (and is to be swallowed).
    bool FormKeyDown(QKeyEvent* event);

    AppContext& ctx_;
    bool inOkCheck_ = false;
    bool closing_ = false;
};

// Logs the user in: with a password on the command line once and without the dialog, otherwise
// with the login dialog (owned by owner). On success ShortName and FullName of ctx are set and
// true is returned; a wrong automatic login or a cancelled dialog returns false. A database error
// in the lookups before the dialog ends the login with the abort signal. qry1 is reset in every
// case.
bool LoginUser(AppContext& ctx, QWidget* owner, const QString& versionPanelText);
