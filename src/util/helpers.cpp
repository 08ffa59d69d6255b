// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/helpers.h"

#include "util/inifile.h"
#include "util/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QOperatingSystemVersion>
#include <QUrl>

bool EnsureDirectory(const QString& input)
{
    QString path = input;
#ifdef Q_OS_WIN
    if (QOperatingSystemVersion::current() >= QOperatingSystemVersion::WindowsVista) {
        const qsizetype i = path.indexOf(QStringLiteral(":\\Programme"));
        if (i >= 0)
            path.replace(i, 11, QStringLiteral(":\\Program Files"));
    }
#endif
    if (!path.trimmed().isEmpty() && QFileInfo(path).isDir())
        return true;
    msg().playSound(Messages::Sound::Question);
    const bool created = !path.trimmed().isEmpty() && QDir().mkpath(path.trimmed());
    if (!created) {
        msg().playSound(Messages::Sound::Question);
        msg().show(Messages::Kind::Warning,
                   QStringLiteral("Das Verzeichnis ") + path + QStringLiteral("\n") +
                       QStringLiteral(" konnte nicht angelegt werden!"));
        return false;
    }
    return true;
}

void OpenInBrowser(const QString& input)
{
    QString address = input.trimmed();
    if (address.isEmpty())
        return;
    if (!address.contains(QStringLiteral("http://")))
        address.prepend(QStringLiteral("http://"));
    msg().setCursor(Messages::Cursor::SqlWait);
    const bool ok = msg().openUrl(QUrl(address));
    msg().setCursor(Messages::Cursor::Normal);
    if (!ok)
        msg().show(Messages::Kind::Error, QStringLiteral("Standard-Web-Browser kann nicht geöffnet werden..."));
}

QString TextBeforeParenthesis(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'(' || text[i] == u')')
            return text.left(i);
    return text;
}

namespace {
QString shift(const QString& text, bool encode)
{
    const qsizetype n = text.size();
    if (n > 20)
        return {};
    QString r;
    r.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        QChar c = text[i];
        if (encode && c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
        int code = IniFile::windows1252Code(c);
        if (code < 0)
            code = '?';
        const int p = int(i) + 1;
        const int delta = int(n) + p + 10;
        const int out = ((encode ? code + delta : code - delta) % 256 + 256) % 256;
        r.append(IniFile::windows1252Char(static_cast<unsigned char>(out)));
    }
    return r;
}
} // namespace

QString EncodePassword(const QString& text)
{
    return shift(text, true);
}

QString DecodePassword(const QString& text)
{
    return shift(text, false);
}

QString pathSeparator()
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\");
#else
    return QStringLiteral("/");
#endif
}

void SplitFilePath(const QString& fullPath, QString* folder, QString* fileName)
{
    const qsizetype i = std::max(fullPath.lastIndexOf(u'/'), fullPath.lastIndexOf(u'\\'));
    if (folder)
        *folder = fullPath.left(i + 1);
    if (fileName)
        *fileName = fullPath.mid(i + 1);
}
