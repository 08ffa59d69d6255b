// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "util/messages.h"

#include <QStringList>

class QTextStream;

// The invalid-link report from the command line, for administrators:
//
//   kvdokman /K:<ini without .INI> --report FILE [--auto-correct]
//
// runs the report's scan without any window and without a login, writes the page (the lines of the
// report page's buffer, UTF-8, each ending with CR LF) to FILE and prints one summary line. Exit
// code 0: no invalid link; 1: invalid links listed; 2: an error (the message on standard error).
// "--auto-correct" applies the "P-" correction as the report page's "Auto-Korr. LT" does.

// True when the arguments (without the program name) ask for the command-line report.
bool IsReportCommand(const QStringList& arguments);
// Runs it and returns the exit code. Creates a QCoreApplication when none exists. out and err
// default to standard output and standard error.
int runReportCommand(const QStringList& arguments, QTextStream* out = nullptr, QTextStream* err = nullptr);

// Messages without windows: every text goes to standard error (or the given stream); questions
// are answered No / Cancel, dialogs are rejected, nothing is opened or started.
class ConsoleMessages : public Messages
{
public:
    explicit ConsoleMessages(QTextStream* err = nullptr) : err_(err) {}
    Answer show(Kind kind, const QString& text, Buttons buttons, const QString& caption) override;
    void playSound(Sound) override {}
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString existingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    int execDialog(QDialog& dialog) override;
    bool openUrl(const QUrl&) override { return false; }
    bool startDetached(const QString&, const QStringList&) override { return false; }
    void setCursor(Cursor) override {}

    // Writes one message line (line breaks inside become spaces).
    void write(const QString& text);

private:
    QTextStream* err_;
};
