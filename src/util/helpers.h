// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Makes sure a folder exists, creating it with its missing parents. Reports a folder that cannot
// be created in a warning box and returns false.
bool EnsureDirectory(const QString& path);
// Opens a web address in the desktop's browser ("http://" is put in front when missing).
void OpenInBrowser(const QString& address);
// The text before its first "(" or ")".
QString TextBeforeParenthesis(const QString& text);
// The reversible single-byte (Windows-1252) shift in which the ERP stores passwords.
QString EncodePassword(const QString& text);
QString DecodePassword(const QString& text);

// The platform's folder separator as the configuration uses it ("/" here, "\" on Windows).
QString pathSeparator();
// Folder (with its trailing separator) and file name of a full path; joining them gives the path
// back. Both "/" and "\" count as separators.
void SplitFilePath(const QString& fullPath, QString* folder, QString* fileName);
