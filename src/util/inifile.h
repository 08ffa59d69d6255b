// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A Windows-style profile file: "[Section]" headers and "Key=Value" lines. Section and key names
// are matched without regard to case; a missing file, section or key gives the default. Every call
// reads the file afresh, and writing one key rewrites that key's line only (or appends it), keeping
// every other line as it was. Files in Windows-1252 (as the ERP writes them) are read and written
// back in Windows-1252; valid UTF-8 files stay UTF-8.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString& path() const { return path_; }

    QString readString(const QString& section, const QString& key, const QString& def = {}) const;
    // Whole numbers; a missing or non-numeric value gives the default.
    int readInteger(const QString& section, const QString& key, int def) const;
    // On/off values: 0 is off, any other number on; missing or non-numeric gives the default.
    bool readBool(const QString& section, const QString& key, bool def) const;
    // Decimal numbers in the user's number format (the C notation is accepted as well).
    double readFloat(const QString& section, const QString& key, double def) const;

    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);
    bool writeBool(const QString& section, const QString& key, bool value);
    bool writeFloat(const QString& section, const QString& key, double value);

    bool sectionExists(const QString& section) const;
    // Key/value pairs of a section in file order.
    QList<QPair<QString, QString>> readSection(const QString& section) const;
    // Replaces a whole section by the given pairs (creates it when missing).
    bool writeSection(const QString& section, const QList<QPair<QString, QString>>& values);
    bool eraseSection(const QString& section);

    // Windows-1252 helpers, also used for the single-byte password shift.
    static QString fromWindows1252(const QByteArray& bytes);
    static QByteArray toWindows1252(const QString& text);
    // Code of a character in Windows-1252 (-1 when it has none).
    static int windows1252Code(QChar c);
    static QChar windows1252Char(unsigned char code);

private:
    struct Content
    {
        QStringList lines;
        bool utf8 = true;
        bool bom = false;
        QString eol = QStringLiteral("\n");
        bool exists = false;
    };
    Content load() const;
    bool save(const Content& content) const;
    static bool isSectionLine(const QString& line, QString* name);
    static bool splitKeyLine(const QString& line, QString* key, QString* value);
    // Index range [begin, end) of the section's body lines; begin = -1 when missing.
    static void findSection(const QStringList& lines, const QString& section, int* header, int* end);

    QString path_;
};
