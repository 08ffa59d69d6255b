// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/messages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

namespace {
Messages* g_installed = nullptr;
} // namespace

Messages& Messages::instance()
{
    if (g_installed)
        return *g_installed;
    static GuiMessages gui;
    return gui;
}

void Messages::setInstance(Messages* messages)
{
    g_installed = messages;
}

Messages::Answer GuiMessages::show(Kind kind, const QString& text, Buttons buttons, const QString& caption)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
    case Kind::Plain:
        break;
    case Kind::Information:
        icon = QMessageBox::Information;
        break;
    case Kind::Warning:
        icon = QMessageBox::Warning;
        break;
    case Kind::Error:
        icon = QMessageBox::Critical;
        break;
    case Kind::Question:
        icon = QMessageBox::Question;
        break;
    }
    QMessageBox::StandardButtons sb = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok:
        sb = QMessageBox::Ok;
        break;
    case Buttons::YesNo:
        sb = QMessageBox::Yes | QMessageBox::No;
        break;
    case Buttons::OkCancel:
        sb = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case Buttons::YesNoCancel:
        sb = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    }
    // A message box must never show under a wait cursor.
    const int depth = cursorDepth_;
    for (int i = 0; i < depth; ++i)
        QApplication::restoreOverrideCursor();
    QMessageBox box(icon, caption.isEmpty() ? QApplication::applicationName() : caption, text, sb,
                    QApplication::activeWindow());
    const int r = box.exec();
    for (int i = 0; i < depth; ++i)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    switch (r) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return Answer::Ok;
    }
}

void GuiMessages::playSound(Sound)
{
    QApplication::beep();
}

QString GuiMessages::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                  const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString GuiMessages::existingDirectory(QWidget* parent, const QString& caption, const QString& dir)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}

QString GuiMessages::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                  const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

int GuiMessages::execDialog(QDialog& dialog)
{
    return dialog.exec();
}

bool GuiMessages::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool GuiMessages::startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

void GuiMessages::setCursor(Cursor cursor)
{
    // Like a global screen cursor: the last setting wins, Normal clears it.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (cursor == Cursor::Normal) {
        if (cursorDepth_ > 0) {
            cursorDepth_ = 0;
            QApplication::restoreOverrideCursor();
        }
        return;
    }
    if (cursorDepth_ == 0) {
        cursorDepth_ = 1;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::changeOverrideCursor(Qt::WaitCursor);
    }
}
