// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dlginputpara.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <functional>

namespace {
std::function<void()>& helpHandler()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void TDlgInputPara::setHelpHandler(std::function<void()> handler)
{
    helpHandler() = std::move(handler);
}

TDlgInputPara::TDlgInputPara(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DlgInputPara"));
    setWindowTitle(QStringLiteral("Eingabe"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnHelp = new QPushButton(this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    btnHelp->setToolTip(QStringLiteral("Hilfe"));
    btnHelp->setAutoDefault(false);

    auto* bar = new QHBoxLayout;
    bar->addWidget(btnOK);
    bar->addWidget(btnCancel);
    bar->addStretch();
    bar->addWidget(btnHelp);

    labText = new QLabel(QStringLiteral("Text"), this);
    labText->setObjectName(QStringLiteral("labText"));
    labText->setAlignment(Qt::AlignCenter);
    labText->setWordWrap(true);
    labHinweis = new QLabel(this);
    labHinweis->setObjectName(QStringLiteral("labHinweis"));
    labHinweis->setWordWrap(true);

    auto* grid = new QGridLayout;
    QLabel** labels[] = {&Label1, &Label2, &Label3, &Label4};
    QLineEdit** fields[] = {&fldInput1, &fldInput2, &fldInput3, &fldInput4};
    for (int i = 0; i < 4; ++i) {
        *labels[i] = new QLabel(QStringLiteral("Label%1").arg(i + 1), this);
        (*labels[i])->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        (*labels[i])->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        *fields[i] = new QLineEdit(this);
        (*fields[i])->setObjectName(QStringLiteral("fldInput%1").arg(i + 1));
        (*fields[i])->setFixedWidth(350);
        (*labels[i])->setBuddy(*fields[i]);
        grid->addWidget(*labels[i], i, 0);
        grid->addWidget(*fields[i], i, 1);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(labText);
    layout->addWidget(labHinweis);
    layout->addLayout(grid);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, &TDlgInputPara::btnHelpClick);
}

void TDlgInputPara::FormShow()
{
    QLabel* labels[] = {Label1, Label2, Label3, Label4};
    QLineEdit* fields[] = {fldInput1, fldInput2, fldInput3, fldInput4};
    for (int i = 0; i < 4; ++i) {
        const bool used = !labels[i]->text().isEmpty();
        labels[i]->setVisible(used);
        fields[i]->setVisible(used);
    }
    labHinweis->setVisible(!labHinweis->text().isEmpty());
    fldInput1->setFocus();
}

void TDlgInputPara::btnHelpClick()
{
    if (helpHandler())
        helpHandler()();
}

void TDlgInputPara::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TDlgInputPara::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    if (event->key() == Qt::Key_F1) {
        btnHelpClick();
        return;
    }
    QDialog::keyPressEvent(event);
}
