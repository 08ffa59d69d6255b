// SPDX-License-Identifier: GPL-3.0-or-later
// The update notice: file ages, the dialog's outcomes, UpdateAge and the updater's command line.
#include "app/config.h"
#include "app/updatecheck.h"
#include "scriptedmessages.h"
#include "util/inifile.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class TestUpdateCheck : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedMessages> sm_;
    Config config_;
    UpdateFiles files_;

    QString path(const QString& name) const { return dir_->filePath(name); }

    static bool touch(const QString& file, const QDateTime& time)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadWrite))
            return false;
        return f.setFileTime(time, QFileDevice::FileModificationTime);
    }

    int updateAge() const
    {
        return IniFile(config_.iniFilePath)
            .readInteger(QStringLiteral("Options"), QStringLiteral("UpdateAge"), -99);
    }

    // Answers the update dialog with one of its buttons.
    void answerDialog(const char* button)
    {
        const QString name = QString::fromLatin1(button);
        sm_->dialogHandlers.enqueue([name](QDialog& d) {
            auto* b = d.findChild<QPushButton*>(name);
            if (!b || !qobject_cast<TDlgShowUpdateTip*>(&d))
                return -1;
            d.show();
            QTest::mouseClick(b, Qt::LeftButton);
            return d.result();
        });
    }

    const QDateTime t1 = QDateTime(QDate(2013, 10, 1), QTime(8, 0, 0));
    const QDateTime t2 = QDateTime(QDate(2013, 10, 15), QTime(14, 30, 42));
    const QDateTime t3 = QDateTime(QDate(2014, 2, 3), QTime(9, 15, 0));

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        sm_ = std::make_unique<ScriptedMessages>();
        config_ = Config();
        config_.iniFilePath = path(QStringLiteral("KORVAN.INI"));
        config_.updateFolder = path(QStringLiteral("Update"));
        QDir().mkpath(config_.updateFolder);
        files_.installedProgram = path(QStringLiteral("prog/KvDokMan.EXE"));
        files_.newProgram = config_.updateFolder + QStringLiteral("/KvDokMan.EXE");
        files_.updater = config_.updateFolder + QStringLiteral("/AUTOUP.EXE");
        QDir().mkpath(path(QStringLiteral("prog")));
        QVERIFY(touch(files_.installedProgram, t1));
    }

    void cleanup()
    {
        sm_.reset();
        dir_.reset();
    }

    void packedFileAge()
    {
        // 15.10.2013 14:30:42: date (33 << 9 | 10 << 5 | 15), time (14 << 11 | 30 << 5 | 21).
        QVERIFY(touch(files_.newProgram, t2));
        const qint32 expected = qint32((33u << 9 | 10u << 5 | 15u) << 16 | (14u << 11 | 30u << 5 | 21u));
        QCOMPARE(DosFileAge(files_.newProgram), expected);
        QCOMPARE(DosFileAge(path(QStringLiteral("missing"))), -1);
        QVERIFY(DosFileAge(files_.installedProgram) < DosFileAge(files_.newProgram));
        // From 2044 on the top bit makes the number negative.
        QVERIFY(DosDateTime(QDateTime(QDate(2044, 1, 1), QTime(0, 0))) < 0);
        QVERIFY(DosDateTime(QDateTime(QDate(2043, 12, 31), QTime(23, 59, 58))) > 0);
    }

    void commandLine()
    {
        QCOMPARE(UpdaterCommandLine(files_), "\"" + config_.updateFolder + "/AUTOUP.EXE\" /ZMN /CP /A=\"" +
                                                 path("prog/KvDokMan.EXE") + "\" /N=\"" +
                                                 config_.updateFolder + "/KvDokMan.EXE\" ");
        const UpdateFiles d = DefaultUpdateFiles(QStringLiteral("/opt/kv/Update"));
        QCOMPARE(d.installedProgram, QCoreApplication::applicationFilePath());
        QCOMPARE(d.newProgram,
                 "/opt/kv/Update/" + QFileInfo(QCoreApplication::applicationFilePath()).fileName());
        QCOMPARE(d.updater, QStringLiteral("/opt/kv/Update/autoup"));
    }

    void nothingOffered_data()
    {
        QTest::addColumn<QString>("newFile"); // "" = no new program file
        QTest::addColumn<QDateTime>("time");
        QTest::newRow("no new file") << QString() << QDateTime();
        QTest::newRow("older") << "new" << QDateTime(QDate(2013, 9, 1), QTime(8, 0, 0));
        QTest::newRow("equally old") << "new" << QDateTime(QDate(2013, 10, 1), QTime(8, 0, 1));
    }

    void nothingOffered()
    {
        QFETCH(QString, newFile);
        QFETCH(QDateTime, time);
        if (!newFile.isEmpty())
            QVERIFY(touch(files_.newProgram, time));
        QVERIFY(!CheckForUpdate(config_, files_));
        QCOMPARE(sm_->dialogsRun, 0);
        QVERIFY(sm_->shown.isEmpty());
        QCOMPARE(updateAge(), -99);
    }

    void emptyUpdateFolderChecksNothing()
    {
        QVERIFY(touch(files_.newProgram, t2));
        config_.updateFolder.clear();
        QVERIFY(!CheckForUpdate(config_, files_));
        QCOMPARE(sm_->dialogsRun, 0);
        QVERIFY(sm_->sounds.isEmpty());
    }

    void missingUpdateFolderIsCreated()
    {
        config_.updateFolder = path(QStringLiteral("neu/Update"));
        QVERIFY(!CheckForUpdate(config_, files_));
        QVERIFY(QFileInfo(config_.updateFolder).isDir());
        QCOMPARE(sm_->dialogsRun, 0);
    }

    void acceptedStartsUpdater()
    {
        QVERIFY(touch(files_.newProgram, t2));
        IniFile(config_.iniFilePath)
            .writeInteger(QStringLiteral("Options"), QStringLiteral("UpdateAge"), 12345);
        answerDialog("btnOK");
        QVERIFY(CheckForUpdate(config_, files_));
        QCOMPARE(sm_->dialogsRun, 1);
        QVERIFY(sm_->shown.isEmpty());
        QCOMPARE(updateAge(), -1);
        QCOMPARE(sm_->started.size(), 1);
        QCOMPARE(sm_->started.first().first, files_.updater);
        QCOMPARE(sm_->started.first().second,
                 (QStringList{"/ZMN", "/CP", "/A=" + files_.installedProgram, "/N=" + files_.newProgram}));
        QCOMPARE(sm_->cursors.last(), Messages::Cursor::Normal);
    }

    void acceptedEndsEvenWhenUpdaterFails()
    {
        QVERIFY(touch(files_.newProgram, t2));
        sm_->startResult = false;
        answerDialog("btnOK");
        QVERIFY(CheckForUpdate(config_, files_));
        QVERIFY(sm_->shown.isEmpty());
    }

    void declinedForGood()
    {
        QVERIFY(touch(files_.newProgram, t2));
        answerDialog("btnAbort");
        sm_->answers.enqueue(Messages::Answer::No);
        QVERIFY(!CheckForUpdate(config_, files_));
        QCOMPARE(sm_->texts(),
                 QStringList{"Wollen Sie weiterhin auf die neuere Programmversion\naufmerksam gemacht "
                             "werden?"});
        QCOMPARE(sm_->shown.first().kind, Messages::Kind::Question);
        QCOMPARE(updateAge(), DosFileAge(files_.newProgram));
        QVERIFY(sm_->started.isEmpty());

        // The same file is not offered again ...
        QVERIFY(!CheckForUpdate(config_, files_));
        QCOMPARE(sm_->dialogsRun, 1);

        // ... a still newer one is.
        QVERIFY(touch(files_.newProgram, t3));
        answerDialog("btnAbort");
        sm_->answers.enqueue(Messages::Answer::No);
        QVERIFY(!CheckForUpdate(config_, files_));
        QCOMPARE(sm_->dialogsRun, 2);
        QCOMPARE(updateAge(), DosFileAge(files_.newProgram));
    }

    void declinedForNow()
    {
        QVERIFY(touch(files_.newProgram, t2));
        answerDialog("btnAbort");
        sm_->answers.enqueue(Messages::Answer::Yes);
        QVERIFY(!CheckForUpdate(config_, files_));
        QCOMPARE(updateAge(), -99);
        // Offered again at the next start; Escape answers No as well.
        sm_->dialogHandlers.enqueue([](QDialog& d) {
            d.show();
            QTest::keyClick(&d, Qt::Key_Escape);
            return d.result();
        });
        sm_->answers.enqueue(Messages::Answer::Yes);
        QVERIFY(!CheckForUpdate(config_, files_));
        QCOMPARE(sm_->dialogsRun, 2);
        QCOMPARE(sm_->shown.size(), 2);
    }

    void dialogClosesOnlyByItsButtons()
    {
        TDlgShowUpdateTip d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Hinweise zum Update"));
        QVERIFY(!(d.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(d.btnOK->text(), QStringLiteral("&Ja"));
        QCOMPARE(d.btnAbort->text(), QStringLiteral("&Nein"));
        QCOMPARE(d.labEmpfehlung->text(),
                 QStringLiteral("Wählen Sie \"Ja\", um das Update durchzuführen (Empfohlen)."));
        QCOMPARE(d.panInfoFile->text(),
                 QStringLiteral("Einzelheiten bitte der jeweiligen Update-Beschreibung entnehmen."));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        if (const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR"); !dir.isEmpty())
            d.grab().save(dir + "/update.png");
        d.close();
        QVERIFY(d.isVisible());
        QTest::keyClick(&d, Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        // Every text fits: the dialog is at least as wide as its widest line.
        QVERIFY(d.width() >= d.labUpdateHinweis->sizeHint().width());
    }
};

QTEST_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
