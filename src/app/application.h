// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

// The application object: discards an abort signal that no handler caught (the failure behind it
// has been reported already), so that it never ends the program.
class KvApplication : public QApplication
{
    Q_OBJECT
public:
    KvApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Program entry: sets the application title, creates the main window (first start-up phase), runs
// the second start-up phase and, unless the start-up ended the program, the event loop.
int runApplication(int argc, char* argv[]);
