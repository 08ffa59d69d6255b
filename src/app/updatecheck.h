// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

struct Config;
class QDateTime;
class QLabel;
class QPushButton;

// The age of a file: its last-write time in local time, packed as MS-DOS date and time (years
// since 1980, month, day in the upper 16 bits; hours, minutes, seconds / 2 in the lower 16 bits),
// as a signed 32-bit number; -1 when the file does not exist (or its time has no packed form).
qint32 DosFileAge(const QString& path);
// The packed form of a local date and time (without the existence check).
qint32 DosDateTime(const QDateTime& localTime);

// The three files of an update.
struct UpdateFiles
{
    QString installedProgram; // the program file now running
    QString newProgram;       // the waiting program file in the update folder
    QString updater;          // the updater program in the update folder
};

// The files for an update folder. On Windows the program file is "KvDokMan.EXE" in the folder of
// the running program and in the update folder, the updater "AUTOUP.EXE" in the update folder.
// Elsewhere the installed program file is the running executable, the new one carries the same
// file name in the update folder, and the updater is "autoup" in the update folder.
UpdateFiles DefaultUpdateFiles(const QString& updateFolder);

// The updater's command line: the updater in double quotes, "/ZMN", "/CP", "/A=" with the
// installed program file and "/N=" with the new one, each in double quotes, each piece followed by
// one blank (so the line ends with a blank).
QString UpdaterCommandLine(const UpdateFiles& files);

// Offers a program file in the update folder that is newer than the installed one. Returns true
// when the user accepted the update: the updater has then been started and the program must end.
bool CheckForUpdate(const Config& config, const UpdateFiles& files);
bool CheckForUpdate(const Config& config);

// "Hinweise zum Update": asks whether the newer program version is to be installed now.
// Accepted means Yes ("&Ja"), rejected No ("&Nein"); no other way to close it.
class TDlgShowUpdateTip : public QDialog
{
    Q_OBJECT
public:
    explicit TDlgShowUpdateTip(QWidget* parent = nullptr);

    QLabel* labUpdateHinweis;
    QPushButton* btnOK;
    QPushButton* btnAbort;
    QLabel* labEmpfehlung;
    QLabel* panInfoFile;

protected:
    void closeEvent(QCloseEvent* event) override;
};
