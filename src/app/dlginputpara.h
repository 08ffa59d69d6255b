// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

// Small modal dialog with up to four labelled text fields. A row whose label caption is empty is
// hidden together with its field when the dialog is shown.
class TDlgInputPara : public QDialog
{
    Q_OBJECT
public:
    explicit TDlgInputPara(QWidget* parent = nullptr);

    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;
    QLabel* labText;
    QLabel* labHinweis;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* fldInput1;
    QLineEdit* fldInput2;
    QLineEdit* fldInput3;
    QLineEdit* fldInput4;

    // Help command of the main window (set by the main window; may be empty).
    static void setHelpHandler(std::function<void()> handler);

public slots:
    void FormShow();
    void btnHelpClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
