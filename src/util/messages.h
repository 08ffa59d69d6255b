// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;
class QUrl;

// Every message box, question, file dialog, modal dialog, system sound, shell "open" and wait
// cursor of the program goes through this interface. The program installs GuiMessages; tests
// install a scripted implementation that records the texts and answers from a queue.
class Messages
{
public:
    enum class Kind { Plain, Information, Warning, Error, Question };
    enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };
    enum class Sound { Default, Question, Error, Beep };
    enum class Cursor { Normal, Wait, SqlWait };

    virtual ~Messages() = default;

    // A message box. Returns the button pressed (Ok for a plain box).
    virtual Answer show(Kind kind, const QString& text, Buttons buttons = Buttons::Ok,
                        const QString& caption = {}) = 0;
    virtual void playSound(Sound sound) = 0;
    // File dialogs: an empty result means cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    // Runs a modal dialog (QDialog::exec in the program; a scripted handler in tests).
    virtual int execDialog(QDialog& dialog) = 0;
    // Opens a file, folder, mail or web address with the desktop's associated program.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts another program without waiting for it.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
    // Global mouse cursor: Wait / SqlWait push an override cursor, Normal removes it.
    virtual void setCursor(Cursor cursor) = 0;

    // Convenience wrappers.
    void warning(const QString& text) { show(Kind::Warning, text); }
    void error(const QString& text) { show(Kind::Error, text); }
    void information(const QString& text) { show(Kind::Information, text); }
    bool askYesNo(const QString& text, Kind kind = Kind::Question)
    {
        return show(kind, text, Buttons::YesNo) == Answer::Yes;
    }

    // The installed instance (a GuiMessages until something else is installed).
    static Messages& instance();
    // Installs an instance (not owned); nullptr restores the default.
    static void setInstance(Messages* messages);
};

inline Messages& msg()
{
    return Messages::instance();
}

// Sets the SQL-wait cursor for its lifetime (not nestable: the end sets the normal cursor).
class WaitCursor
{
public:
    explicit WaitCursor(Messages::Cursor cursor = Messages::Cursor::SqlWait) { msg().setCursor(cursor); }
    ~WaitCursor() { msg().setCursor(Messages::Cursor::Normal); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The real implementation on Qt's widgets.
class GuiMessages : public Messages
{
public:
    Answer show(Kind kind, const QString& text, Buttons buttons, const QString& caption) override;
    void playSound(Sound sound) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    int execDialog(QDialog& dialog) override;
    bool openUrl(const QUrl& url) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;
    void setCursor(Cursor cursor) override;

private:
    int cursorDepth_ = 0;
};
