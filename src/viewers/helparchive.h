// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// One page of the manual: its file name ("artikel.htm") and its HTML text (UTF-8).
struct HelpPage
{
    QString name;
    QByteArray html;
};

// The manual as one web page in a web archive (MHTML, "multipart/related" with a single "text/html"
// part, as browsers save a page), to be shown by the help window without the help folder's other
// files. The pages follow each other in the given order, each body in a <section> whose id is the
// page's name without its extension; the style sheet comes from the first page, the <nav> bars of
// the pages are left out. Links between the pages become links within the page: "artikel.htm"
// becomes "#artikel" and "artikel.htm#suche" becomes "#suche" (so ids must be unique over all pages).
// Other links stay as they are. (Qt WebEngine 6.4 shows archives without letting them navigate,
// not even within the page: InstallInPageLinks makes these links jump.)
// The archive names its page by the address it is shown from (location): the browser resolves the
// in-page links against that address, and they stay within the page only when it is the address
// the archive is opened at.
QByteArray BuildHelpArchive(const QList<HelpPage>& pages, const QString& title, const QUrl& location);

// Reads the pages (file names in the folder, in this order) and writes their archive to the target
// file, named by the target's own file address. A page's link to a style sheet in the folder
// (<link rel="stylesheet" href="hilfe.css">) is replaced by the sheet's text. False, with a reason in error,
// when a page cannot be read or the target cannot be written.
bool WriteHelpArchive(const QString& folder, const QStringList& pageNames, const QString& title,
                      const QString& target, QString* error);

class QWebEnginePage;
// Makes the in-page links ("#artikel") of the page shown jump to their targets, where the browser
// itself would not move (an archive is shown without navigation and without its own scripts). Call it
// after every completed load; it handles the clicks in the application's own script world.
void InstallInPageLinks(QWebEnginePage* page);

// Quoted-printable encoding of a text (RFC 2045): lines end in CR LF, none longer than 76 characters.
QByteArray EncodeQuotedPrintable(const QByteArray& text);
