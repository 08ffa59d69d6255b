// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "util/messages.h"

#include <QList>
#include <QQueue>
#include <QUrl>
#include <functional>

// Records every message and answers from queues, so that no test blocks on a modal box.
// Installs itself on construction and uninstalls on destruction.
class ScriptedMessages : public Messages
{
public:
    struct Shown
    {
        Kind kind;
        QString text;
        Buttons buttons;
    };

    ScriptedMessages();
    ~ScriptedMessages() override;

    // Answers for the next questions (Yes/No/Ok/Cancel); when the queue is empty a question is
    // answered with defaultAnswer.
    QQueue<Answer> answers;
    Answer defaultAnswer = Answer::No;
    // Answers for file dialogs; empty queue gives an empty name (cancelled).
    QQueue<QString> fileNames;
    // Handlers for modal dialogs; each gets the dialog and returns its result code. Empty queue:
    // the dialog is rejected.
    QQueue<std::function<int(QDialog&)>> dialogHandlers;

    QList<Shown> shown;
    QList<Sound> sounds;
    QList<QUrl> openedUrls;
    bool openUrlResult = true;
    QList<QPair<QString, QStringList>> started;
    bool startResult = true;
    QList<Cursor> cursors;
    int dialogsRun = 0;

    QStringList texts() const;
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear();

    Answer show(Kind kind, const QString& text, Buttons buttons, const QString& caption) override;
    void playSound(Sound sound) override { sounds << sound; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override;
    QString existingDirectory(QWidget*, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override;
    int execDialog(QDialog& dialog) override;
    bool openUrl(const QUrl& url) override
    {
        openedUrls << url;
        return openUrlResult;
    }
    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        started << qMakePair(program, arguments);
        return startResult;
    }
    void setCursor(Cursor cursor) override { cursors << cursor; }
};
