// SPDX-License-Identifier: GPL-3.0-or-later
// The input dialog: rows without a label disappear, Enter accepts, Escape cancels, help.
#include "app/dlginputpara.h"
#include "scriptedmessages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestDlgInputPara : public QObject
{
    Q_OBJECT

    // Shows the dialog as the rename commands use it, lets act run on it and returns the result.
    static int run(TDlgInputPara& d, const std::function<void(TDlgInputPara&)>& act)
    {
        ScriptedMessages sm;
        sm.dialogHandlers.enqueue([&](QDialog&) {
            d.show();
            if (!QTest::qWaitForWindowActive(&d))
                return -1;
            act(d);
            const int r = d.result();
            d.hide();
            return r;
        });
        return msg().execDialog(d);
    }

    static void setUpRename(TDlgInputPara& d)
    {
        d.setWindowTitle(QStringLiteral("Dokument umbenennen"));
        d.labText->setText(QStringLiteral("Dokument Zeichnung 4711.pdf umbenennen"));
        d.Label1->setText(QStringLiteral("Neuer Name:"));
        d.fldInput1->setText(QStringLiteral("Zeichnung 4711.pdf"));
        d.Label2->setText(QString());
        d.Label3->setText(QString());
        d.Label4->setText(QString());
    }

private slots:
    void defaults()
    {
        TDlgInputPara d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Eingabe"));
        QCOMPARE(d.labText->text(), QStringLiteral("Text"));
        QCOMPARE(d.fldInput1->width(), 350);
    }

    void onlyLabelledRowsShow_data()
    {
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("first only") << QStringList{"Neuer Name:", "", "", ""};
        QTest::newRow("first and third") << QStringList{"Name:", "", "Pfad:", ""};
        QTest::newRow("all four") << QStringList{"A:", "B:", "C:", "D:"};
    }

    void onlyLabelledRowsShow()
    {
        QFETCH(QStringList, labels);
        TDlgInputPara d;
        QLabel* l[] = {d.Label1, d.Label2, d.Label3, d.Label4};
        QLineEdit* f[] = {d.fldInput1, d.fldInput2, d.fldInput3, d.fldInput4};
        for (int i = 0; i < 4; ++i)
            l[i]->setText(labels.at(i));
        run(d, [&](TDlgInputPara&) {
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(l[i]->isVisible(), !labels.at(i).isEmpty());
                QCOMPARE(f[i]->isVisible(), !labels.at(i).isEmpty());
            }
            QVERIFY(d.fldInput1->hasFocus());
        });
    }

    void enterAccepts()
    {
        TDlgInputPara d;
        setUpRename(d);
        const int r = run(d, [](TDlgInputPara& dlg) {
            dlg.fldInput1->selectAll();
            QTest::keyClicks(dlg.fldInput1, QStringLiteral("Zeichnung 4712.pdf"));
            QTest::keyClick(dlg.fldInput1, Qt::Key_Return);
        });
        QCOMPARE(r, int(QDialog::Accepted));
        QCOMPARE(d.fldInput1->text(), QStringLiteral("Zeichnung 4712.pdf"));
    }

    void escapeCancels()
    {
        TDlgInputPara d;
        setUpRename(d);
        bool hiddenRows = false;
        const int r = run(d, [&](TDlgInputPara& dlg) {
            hiddenRows = !dlg.fldInput2->isVisible() && !dlg.Label4->isVisible();
            QTest::keyClick(dlg.fldInput1, Qt::Key_Escape);
        });
        QVERIFY(hiddenRows);
        QCOMPARE(r, int(QDialog::Rejected));
    }

    void helpButtonKeepsDialogOpen()
    {
        int helps = 0;
        TDlgInputPara::setHelpHandler([&] { ++helps; });
        TDlgInputPara d;
        setUpRename(d);
        run(d, [&](TDlgInputPara& dlg) {
            QTest::mouseClick(dlg.btnHelp, Qt::LeftButton);
            QVERIFY(dlg.isVisible());
            QTest::mouseClick(dlg.btnCancel, Qt::LeftButton);
        });
        TDlgInputPara::setHelpHandler({});
        QCOMPARE(helps, 1);
    }
};

QTEST_MAIN(TestDlgInputPara)
#include "tst_dlginputpara.moc"
