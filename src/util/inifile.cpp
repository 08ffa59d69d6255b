// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/inifile.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>

namespace {
// Windows-1252 characters 0x80..0x9F; 0 marks the five unassigned codes (kept as C1 controls).
const char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString unquote(QString v)
{
    v = v.trimmed();
    if (v.size() >= 2 && ((v.startsWith(u'"') && v.endsWith(u'"')) || (v.startsWith(u'\'') && v.endsWith(u'\''))))
        v = v.mid(1, v.size() - 2);
    return v;
}
} // namespace

QChar IniFile::windows1252Char(unsigned char code)
{
    if (code >= 0x80 && code <= 0x9F && kCp1252High[code - 0x80] != 0)
        return QChar(kCp1252High[code - 0x80]);
    return QChar(static_cast<char16_t>(code));
}

int IniFile::windows1252Code(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    if (u >= 0x80 && u <= 0x9F) // unassigned codes travel as C1 controls
        return kCp1252High[u - 0x80] == 0 ? int(u) : -1;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == u)
            return 0x80 + i;
    return -1;
}

QString IniFile::fromWindows1252(const QByteArray& bytes)
{
    QString s;
    s.reserve(bytes.size());
    for (char ch : bytes)
        s.append(windows1252Char(static_cast<unsigned char>(ch)));
    return s;
}

QByteArray IniFile::toWindows1252(const QString& text)
{
    QByteArray b;
    b.reserve(text.size());
    for (QChar c : text) {
        const int code = windows1252Code(c);
        b.append(code < 0 ? '?' : static_cast<char>(code));
    }
    return b;
}

IniFile::IniFile(QString path) : path_(std::move(path)) {}

IniFile::Content IniFile::load() const
{
    Content c;
#ifdef Q_OS_WIN
    c.eol = QStringLiteral("\r\n");
#endif
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly))
        return c;
    c.exists = true;
    QByteArray data = f.readAll();
    if (data.startsWith("\xEF\xBB\xBF")) {
        c.bom = true;
        data.remove(0, 3);
    }
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = dec.decode(data);
    if (dec.hasError()) {
        c.utf8 = false;
        text = fromWindows1252(data);
    }
    if (text.contains(QStringLiteral("\r\n")))
        c.eol = QStringLiteral("\r\n");
    else if (text.contains(u'\n'))
        c.eol = QStringLiteral("\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    c.lines = text.split(u'\n');
    if (!c.lines.isEmpty() && c.lines.last().isEmpty())
        c.lines.removeLast();
    return c;
}

bool IniFile::save(const Content& c) const
{
    QString text;
    for (const QString& l : c.lines)
        text += l + c.eol;
    QByteArray data = c.utf8 ? text.toUtf8() : toWindows1252(text);
    if (c.bom)
        data.prepend("\xEF\xBB\xBF");
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(data);
    return f.commit();
}

bool IniFile::isSectionLine(const QString& line, QString* name)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return false;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return false;
    if (name)
        *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool IniFile::splitKeyLine(const QString& line, QString* key, QString* value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';'))
        return false;
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0)
        return false;
    *key = t.left(eq).trimmed();
    if (value)
        *value = unquote(t.mid(eq + 1));
    return true;
}

void IniFile::findSection(const QStringList& lines, const QString& section, int* header, int* end)
{
    *header = -1;
    *end = -1;
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (!isSectionLine(lines[i], &name))
            continue;
        if (*header >= 0) {
            *end = i;
            return;
        }
        if (name.compare(section, Qt::CaseInsensitive) == 0)
            *header = i;
    }
    if (*header >= 0)
        *end = int(lines.size());
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    const Content c = load();
    int header, end;
    findSection(c.lines, section, &header, &end);
    if (header < 0)
        return def;
    for (int i = header + 1; i < end; ++i) {
        QString k, v;
        if (splitKeyLine(c.lines[i], &k, &v) && k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    }
    return def;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    const QString v = readString(section, key).trimmed();
    bool ok = false;
    int n = v.toInt(&ok);
    if (!ok && v.startsWith(u'$'))
        n = v.mid(1).toInt(&ok, 16);
    if (!ok && v.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
        n = v.mid(2).toInt(&ok, 16);
    return ok ? n : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::readFloat(const QString& section, const QString& key, double def) const
{
    const QString v = readString(section, key).trimmed();
    bool ok = false;
    double d = QLocale().toDouble(v, &ok);
    if (!ok)
        d = QLocale::c().toDouble(v, &ok);
    return ok ? d : def;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    Content c = load();
    int header, end;
    findSection(c.lines, section, &header, &end);
    if (header < 0) {
        if (!c.lines.isEmpty() && !c.lines.last().trimmed().isEmpty())
            c.lines << QString();
        c.lines << u'[' + section + u']' << key + u'=' + value;
        return save(c);
    }
    int lastKey = header;
    for (int i = header + 1; i < end; ++i) {
        QString k;
        if (!splitKeyLine(c.lines[i], &k, nullptr))
            continue;
        if (k.compare(key, Qt::CaseInsensitive) == 0) {
            c.lines[i] = k + u'=' + value;
            return save(c);
        }
        lastKey = i;
    }
    c.lines.insert(lastKey + 1, key + u'=' + value);
    return save(c);
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::writeFloat(const QString& section, const QString& key, double value)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return writeString(section, key, loc.toString(value, 'g', 15));
}

bool IniFile::sectionExists(const QString& section) const
{
    const Content c = load();
    int header, end;
    findSection(c.lines, section, &header, &end);
    return header >= 0;
}

QList<QPair<QString, QString>> IniFile::readSection(const QString& section) const
{
    QList<QPair<QString, QString>> r;
    const Content c = load();
    int header, end;
    findSection(c.lines, section, &header, &end);
    if (header < 0)
        return r;
    for (int i = header + 1; i < end; ++i) {
        QString k, v;
        if (splitKeyLine(c.lines[i], &k, &v))
            r << qMakePair(k, v);
    }
    return r;
}

bool IniFile::writeSection(const QString& section, const QList<QPair<QString, QString>>& values)
{
    Content c = load();
    int header, end;
    findSection(c.lines, section, &header, &end);
    QStringList body;
    for (const auto& kv : values)
        body << kv.first + u'=' + kv.second;
    if (header < 0) {
        if (!c.lines.isEmpty() && !c.lines.last().trimmed().isEmpty())
            c.lines << QString();
        c.lines << u'[' + section + u']';
        c.lines += body;
        return save(c);
    }
    // Keep blank lines that separate this section from the next one.
    int bodyEnd = end;
    while (bodyEnd > header + 1 && c.lines[bodyEnd - 1].trimmed().isEmpty())
        --bodyEnd;
    c.lines.erase(c.lines.begin() + header + 1, c.lines.begin() + bodyEnd);
    for (int i = 0; i < body.size(); ++i)
        c.lines.insert(header + 1 + i, body[i]);
    return save(c);
}

bool IniFile::eraseSection(const QString& section)
{
    Content c = load();
    int header, end;
    findSection(c.lines, section, &header, &end);
    if (header < 0)
        return true;
    c.lines.erase(c.lines.begin() + header, c.lines.begin() + end);
    return save(c);
}
