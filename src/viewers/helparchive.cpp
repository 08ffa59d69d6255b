// SPDX-License-Identifier: GPL-3.0-or-later
#include "viewers/helparchive.h"

#include <QWebEnginePage>
#include <QWebEngineScript>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

namespace {

const QRegularExpression::PatternOptions kHtml =
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption;

QString baseName(const QString& fileName)
{
    return QFileInfo(fileName).completeBaseName();
}

QString bodyOf(const QString& html)
{
    static const QRegularExpression body(QStringLiteral("<body[^>]*>(.*)</body>"), kHtml);
    const QRegularExpressionMatch m = body.match(html);
    return m.hasMatch() ? m.captured(1) : html;
}

QString stylesOf(const QString& html)
{
    static const QRegularExpression style(QStringLiteral("<style[^>]*>.*?</style>"), kHtml);
    QStringList styles;
    for (auto it = style.globalMatch(html); it.hasNext();)
        styles << it.next().captured(0);
    return styles.join(u'\n');
}

QString escapeHtml(const QString& text)
{
    return text.toHtmlEscaped();
}

} // namespace

QByteArray EncodeQuotedPrintable(const QByteArray& text)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(text.size() + text.size() / 8);
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype l = 0; l < lines.size(); ++l) {
        QByteArray line = lines[l];
        if (line.endsWith('\r'))
            line.chop(1);
        if (l == lines.size() - 1 && line.isEmpty())
            break; // the text ended with a line break
        int column = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool last = i == line.size() - 1;
            char piece[3] = {char(c), 0, 0};
            int size = 1;
            if (!((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last))) {
                piece[0] = '=';
                piece[1] = hex[c >> 4];
                piece[2] = hex[c & 15];
                size = 3;
            }
            // A soft line break ("=" at the end) keeps every line within 76 characters.
            if (column + size > (last ? 76 : 75)) {
                out += "=\r\n";
                column = 0;
            }
            out.append(piece, size);
            column += size;
        }
        out += "\r\n";
    }
    return out;
}

QByteArray BuildHelpArchive(const QList<HelpPage>& pages, const QString& title, const QUrl& location)
{
    QSet<QString> names;
    for (const HelpPage& p : pages)
        names.insert(p.name.toLower());

    static const QRegularExpression nav(QStringLiteral("<nav\\b[^>]*>.*?</nav>\\s*"), kHtml);
    static const QRegularExpression link(QStringLiteral("href=\"([^\"#]+)(#[^\"]*)?\""),
                                         QRegularExpression::CaseInsensitiveOption);
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n<title>") +
        escapeHtml(title) + QStringLiteral("</title>\n");
    if (!pages.isEmpty())
        html += stylesOf(QString::fromUtf8(pages.first().html)) + u'\n';
    html += QStringLiteral("</head>\n<body>\n");
    for (const HelpPage& page : pages) {
        QString body = bodyOf(QString::fromUtf8(page.html));
        body.remove(nav);
        QString rewritten;
        qsizetype from = 0;
        for (auto it = link.globalMatch(body); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            rewritten += body.mid(from, m.capturedStart() - from);
            from = m.capturedEnd();
            if (!names.contains(m.captured(1).toLower())) {
                rewritten += m.captured(0);
                continue;
            }
            const QString target = m.captured(2).size() > 1 ? m.captured(2) : u'#' + baseName(m.captured(1));
            rewritten += QStringLiteral("href=\"") + target + u'"';
        }
        rewritten += body.mid(from);
        html += QStringLiteral("<section id=\"") + baseName(page.name) + QStringLiteral("\">\n") +
                rewritten.trimmed() + QStringLiteral("\n</section>\n");
    }
    html += QStringLiteral("</body>\n</html>\n");

    // The boundary holds "=_", which quoted-printable text never contains.
    const QByteArray boundary = "----=_KvDokMan_Hilfe_Part";
    const QByteArray address = location.toEncoded();
    QByteArray out;
    out += "From: <Saved by KvDokMan>\r\n";
    out += "Snapshot-Content-Location: " + address + "\r\n";
    out += "Subject: =?utf-8?B?" + title.toUtf8().toBase64() + "?=\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"" + boundary + "\"\r\n";
    out += "\r\n";
    out += "--" + boundary + "\r\n";
    out += "Content-Type: text/html; charset=\"utf-8\"\r\n";
    out += "Content-Transfer-Encoding: quoted-printable\r\n";
    out += "Content-Location: " + address + "\r\n";
    out += "\r\n";
    out += EncodeQuotedPrintable(html.toUtf8());
    out += "\r\n--" + boundary + "--\r\n";
    return out;
}

namespace {
// The pages share a style sheet file beside them; the archive carries no other files, so a link to a
// local style sheet becomes the sheet's text in a <style> element. A sheet that cannot be read is
// reported.
bool InlineStyleSheets(const QString& folder, QByteArray& html, QString* error)
{
    static const QRegularExpression sheet(
        QStringLiteral("<link\\s[^>]*rel=\"stylesheet\"[^>]*href=\"([^\":]+)\"[^>]*>"), kHtml);
    QString text = QString::fromUtf8(html);
    QString result;
    qsizetype from = 0;
    for (auto it = sheet.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QFile f(QDir(folder).filePath(m.captured(1)));
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = f.fileName() + QStringLiteral(": ") + f.errorString();
            return false;
        }
        result += text.mid(from, m.capturedStart() - from) + QStringLiteral("<style>\n") +
                  QString::fromUtf8(f.readAll()).trimmed() + QStringLiteral("\n</style>");
        from = m.capturedEnd();
    }
    result += text.mid(from);
    html = result.toUtf8();
    return true;
}
} // namespace

bool WriteHelpArchive(const QString& folder, const QStringList& pageNames, const QString& title,
                      const QString& target, QString* error)
{
    QList<HelpPage> pages;
    for (const QString& name : pageNames) {
        QFile f(QDir(folder).filePath(name));
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = f.fileName() + QStringLiteral(": ") + f.errorString();
            return false;
        }
        HelpPage page{name, f.readAll()};
        if (!InlineStyleSheets(folder, page.html, error))
            return false;
        pages << page;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(BuildHelpArchive(pages, title, QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()))) <
            0 ||
        !out.commit()) {
        if (error)
            *error = target + QStringLiteral(": ") + out.errorString();
        return false;
    }
    return true;
}

void InstallInPageLinks(QWebEnginePage* page)
{
    // Runs in the application's world, which the archive's sandbox leaves alone; it sees the same
    // document and its click events. Installed once per document.
    static const QString script = QStringLiteral(
        "(function(){"
        "if (window.__kvInPageLinks) return; window.__kvInPageLinks = true;"
        "document.addEventListener('click', function(e){"
        " var a = e.target && e.target.closest ? e.target.closest('a[href^=\"#\"]') : null;"
        " if (!a) return;"
        " var id = decodeURIComponent(a.getAttribute('href').substring(1));"
        " var t = id ? (document.getElementById(id) || document.getElementsByName(id)[0]) : document.body;"
        " if (!t) return;"
        " e.preventDefault(); t.scrollIntoView();"
        "}, true);"
        "})();");
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}
