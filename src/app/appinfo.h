// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Fixed texts and addresses of the program.
namespace appinfo {

// The application title: main window caption, task-bar text, base of the login dialog's caption.
inline QString applicationTitle()
{
    return QStringLiteral("KORVAN-DokumentenManager");
}
inline QString organisationName()
{
    return QStringLiteral("KvDokMan");
}
inline QString programVersion()
{
    return QStringLiteral("2.0.131015");
}
// Every date shown or turned into text uses this format.
inline QString shortDateFormat()
{
    return QStringLiteral("dd.MM.yyyy");
}
// The maker's web site, support mail address and rights notice.
inline QString makerWebAddress()
{
    return QStringLiteral("http://www.morella.de/");
}
inline QString supportMailAddress()
{
    return QStringLiteral("mailto:support@morella.de");
}
inline QString rightsNotice()
{
    return QStringLiteral("Copyright © MORELLA Software. Alle Rechte vorbehalten.");
}
// The online help: base address on the maker's web site and the manual's file name.
inline QString onlineHelpBaseAddress()
{
    return QStringLiteral("http://www.morella.de/hilfe/");
}
inline QString onlineHelpAddress()
{
    return onlineHelpBaseAddress() + QStringLiteral("bed_anleitung_dokman.mht");
}

} // namespace appinfo
