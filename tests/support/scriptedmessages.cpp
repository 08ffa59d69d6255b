// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedmessages.h"

#include <QDialog>

ScriptedMessages::ScriptedMessages()
{
    Messages::setInstance(this);
}

ScriptedMessages::~ScriptedMessages()
{
    Messages::setInstance(nullptr);
}

QStringList ScriptedMessages::texts() const
{
    QStringList r;
    for (const Shown& s : shown)
        r << s.text;
    return r;
}

void ScriptedMessages::clear()
{
    answers.clear();
    fileNames.clear();
    dialogHandlers.clear();
    shown.clear();
    sounds.clear();
    openedUrls.clear();
    started.clear();
    cursors.clear();
    dialogsRun = 0;
}

Messages::Answer ScriptedMessages::show(Kind kind, const QString& text, Buttons buttons, const QString&)
{
    shown << Shown{kind, text, buttons};
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (!answers.isEmpty())
        return answers.dequeue();
    return defaultAnswer;
}

QString ScriptedMessages::openFileName(QWidget*, const QString&, const QString&, const QString&)
{
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedMessages::existingDirectory(QWidget*, const QString&, const QString&)
{
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedMessages::saveFileName(QWidget*, const QString&, const QString&, const QString&)
{
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

int ScriptedMessages::execDialog(QDialog& dialog)
{
    ++dialogsRun;
    if (dialogHandlers.isEmpty())
        return QDialog::Rejected;
    return dialogHandlers.dequeue()(dialog);
}
