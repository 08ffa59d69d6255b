// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "printing/printsource.h"

#include <QDialog>
#include <QGroupBox>
#include <QSpinBox>

class QButtonGroup;
class QDoubleSpinBox;
class QFrame;
class QLabel;
class QPrinter;
class QPushButton;
class QRadioButton;

// "Druck-Status": runs the viewer's page layout or printing and shows its progress, with a button
// that stops the work at the next page.
class TPrnStatusForm : public QDialog
{
    Q_OBJECT
public:
    explicit TPrnStatusForm(QWidget* parent = nullptr);

    // Lays the viewer's document out into the recorder; cancelled tells whether the user stopped it.
    void DoPreview(PrintSource& viewer, QPrinter& printer, PageRecorder& recorder, bool& cancelled);
    // Prints the pages from..to of the viewer's document on the printer.
    void DoPrint(PrintSource& viewer, QPrinter& printer, int from, int to, bool& cancelled);
    // The progress report of the viewer: page 0 before the first page.
    void ViewerPrintProgress(int page, bool& stop);

    bool isCanceled() const { return canceled_; }
    QLabel* StatusLabel = nullptr;
    QPushButton* CancelButton = nullptr;

public slots:
    void CancelButtonClick();

private:
    template<typename Work>
    void run(Work&& work, bool& cancelled);
    bool canceled_ = false;
};

// A radio group with an item index, as the page setup uses it.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QStringList& items, int columns, QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* button(int index) const;

signals:
    void changed(int index);

private:
    QButtonGroup* group_;
};

// "Seite einrichten": margins (cm) and orientation.
class TDlgSeiteEinrichten : public QDialog
{
    Q_OBJECT
public:
    explicit TDlgSeiteEinrichten(QWidget* parent = nullptr);

    void setMargins(const PrintMargins& margins);
    PrintMargins margins() const;
    // 0 Hochformat (portrait), 1 Querformat (landscape).
    int orientation() const;
    void setOrientation(int index);

    QPushButton* btnSeitenFmtOK = nullptr;
    QPushButton* btnSeitenFmtAbbruch = nullptr;
    RadioGroup* rgrpSeiteOrientation = nullptr;
    QDoubleSpinBox* seditSeiteRandOben = nullptr;
    QDoubleSpinBox* seditSeiteRandLinks = nullptr;
    QDoubleSpinBox* seditSeiteRandRechts = nullptr;
    QDoubleSpinBox* seditSeiteRandUnten = nullptr;
    QLabel* Label77 = nullptr;
    QFrame* panSeitenFmtBsp = nullptr;

public slots:
    void FormShow();
    void rgrpSeiteOrientationChange();

protected:
    void showEvent(QShowEvent* event) override;
};

// The page number field of the go-to-page dialog: any whole number may be typed; the value is
// kept within the field's range (0 gives the first page, a number above the last page the last).
class PageNumberBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit PageNumberBox(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;
};

// "Zur Seite gehen".
class TDlgGoPage : public QDialog
{
    Q_OBJECT
public:
    explicit TDlgGoPage(QWidget* parent = nullptr);

    // The highest page and the page shown at start.
    void setPageRange(int pageCount, int current);
    // The chosen page, within 1 ... page count.
    int pageNumber() const;

    PageNumberBox* PageNum = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

public slots:
    void PageNumEnter();
    // Enter in the field acts as a click on OK; returns whether the key was taken.
    bool PageNumKeyDown(int key);
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
