// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/config.h"

#include "util/helpers.h"
#include "util/inifile.h"

#include <QCoreApplication>
#include <QDir>

QString programFileFolder()
{
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    dir = QDir::toNativeSeparators(dir);
    if (!dir.endsWith(pathSeparator()))
        dir += pathSeparator();
    return dir;
}

QString defaultIniFilePath(const QString& programFolderWithSeparator)
{
    return QString(programFolderWithSeparator + QStringLiteral("KORVAN.INI")).left(255);
}

void ParseCommandLine(const QStringList& arguments, Config& config)
{
    for (const QString& arg : arguments) {
        const QString upper = arg.toUpper();
        const QString value = arg.mid(3);
        if (upper.startsWith(QStringLiteral("/K")))
            config.iniFilePath = value.left(255) + QStringLiteral(".INI");
        if (upper.startsWith(QStringLiteral("/U")))
            config.commandLineUser = value.left(10);
        if (upper.startsWith(QStringLiteral("/P")))
            config.commandLinePassword = value.isEmpty() ? QStringLiteral(" ") : value.left(10);
    }
}

namespace {
bool endsWithSeparator(const QString& s)
{
    return s.endsWith(u'\\') || s.endsWith(u'/');
}
} // namespace

void ReadKorvanIni(Config& c, const QString& programFolderWithSeparator)
{
    const IniFile ini(c.iniFilePath);
    const QString path = QStringLiteral("Path");
    const QString options = QStringLiteral("Options");
    const QString sep = pathSeparator();

    c.programFolder = ini.readString(path, QStringLiteral("Prog"), programFolderWithSeparator);
    if (endsWithSeparator(c.programFolder))
        c.programFolder.chop(1);
    c.helpFolder = ini.readString(path, QStringLiteral("Help"), c.programFolder + sep + QStringLiteral("Hilfe"));
    c.userFolder = ini.readString(path, QStringLiteral("User"), c.programFolder + sep + QStringLiteral("User"));
    // Collapse doubled separators everywhere, a leading pair included.
    while (c.userFolder.contains(QStringLiteral("\\\\")))
        c.userFolder.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    while (c.userFolder.contains(QStringLiteral("//")))
        c.userFolder.replace(QStringLiteral("//"), QStringLiteral("/"));
    c.updateFolder =
        ini.readString(path, QStringLiteral("Update"), c.programFolder + sep + QStringLiteral("Update"));
    c.databaseAlias = ini.readString(options, QStringLiteral("Database"), QStringLiteral("KORVAN"));
    c.useSqlUser = ini.readBool(options, QStringLiteral("UseSQLUser"), false);
    c.databaseType =
        db::InitDatabaseType(ini.readString(options, QStringLiteral("DatabaseDriverName"), QStringLiteral("MSSQL")).toUpper());
    c.databaseServerName = ini.readString(options, QStringLiteral("DatabaseServerName"));
    c.tablePrefix = db::InitTablePrefix(ini.readString(options, QStringLiteral("DatabaseTblPrefix")));
    c.databaseName = ini.readString(options, QStringLiteral("DatabaseName"), QStringLiteral("KORVAN"));
    c.databaseUser = ini.readString(options, QStringLiteral("DatabaseUser"), QStringLiteral("KORVAN"));
    c.databasePassword = DecodePassword(ini.readString(options, QStringLiteral("DPW")));
    if (c.databasePassword.isEmpty())
        c.databasePassword = ini.readString(options, QStringLiteral("DatabasePW"));
}

QString MakeSettingsFileName(const QString& userFolder, const QString& shortName)
{
    return QString(userFolder + pathSeparator() + shortName + QStringLiteral(".CFG")).left(255);
}

namespace {
const QString kMain = QStringLiteral("KvDokMan");
const QString kFileManager = QStringLiteral("KvDokManDatMan");
const QString kPreview = QStringLiteral("PreviewForm");
} // namespace

void UserSettings::load(const QString& file)
{
    const IniFile ini(file);
    chkArtikelNurMitDoks = ini.readBool(kMain, QStringLiteral("chkArtikelNurMitDoks"), false);
    chkArtUngueltVerknMark = ini.readBool(kMain, QStringLiteral("chkArtUngueltVerknMark"), false);
    chkArtUngueltVerknAutoRefesh = ini.readBool(kMain, QStringLiteral("chkArtUngueltVerknAutoRefesh"), false);
    panArtikelTreeWidth = ini.readInteger(kMain, QStringLiteral("panArtikelTreeWidth"), 200);
    panArtikelDokumenteWidth = ini.readInteger(kMain, QStringLiteral("panArtikelDokumenteWidth"), 430);
    panKontakteGridWidth = ini.readInteger(kMain, QStringLiteral("panKontakteGridWidth"), 600);
    chkKontakteNurMitDoks = ini.readBool(kMain, QStringLiteral("chkKontakteNurMitDoks"), false);
    chkKontakteUngueltVerknMark = ini.readBool(kMain, QStringLiteral("chkKontakteUngueltVerknMark"), false);
    OpenDialog1InitialDir = ini.readString(kMain, QStringLiteral("OpenDialog1InitialDir"));
    OpenDialog2InitialDir = ini.readString(kMain, QStringLiteral("OpenDialog2InitialDir"));
}

void UserSettings::save(const QString& file) const
{
    IniFile ini(file);
    ini.writeBool(kMain, QStringLiteral("chkArtikelNurMitDoks"), chkArtikelNurMitDoks);
    ini.writeBool(kMain, QStringLiteral("chkArtUngueltVerknMark"), chkArtUngueltVerknMark);
    ini.writeBool(kMain, QStringLiteral("chkArtUngueltVerknAutoRefesh"), chkArtUngueltVerknAutoRefesh);
    ini.writeInteger(kMain, QStringLiteral("panArtikelTreeWidth"), panArtikelTreeWidth);
    ini.writeInteger(kMain, QStringLiteral("panArtikelDokumenteWidth"), panArtikelDokumenteWidth);
    ini.writeInteger(kMain, QStringLiteral("panKontakteGridWidth"), panKontakteGridWidth);
    ini.writeBool(kMain, QStringLiteral("chkKontakteNurMitDoks"), chkKontakteNurMitDoks);
    ini.writeBool(kMain, QStringLiteral("chkKontakteUngueltVerknMark"), chkKontakteUngueltVerknMark);
    ini.writeString(kMain, QStringLiteral("OpenDialog1InitialDir"), OpenDialog1InitialDir);
    ini.writeString(kMain, QStringLiteral("OpenDialog2InitialDir"), OpenDialog2InitialDir);
}

void FileManagerSettings::load(const QString& file)
{
    const IniFile ini(file);
    cboAnsichtItemIndex = ini.readInteger(kFileManager, QStringLiteral("cboAnsichtItemIndex"), 0);
    chkSucheDateiInDok = ini.readBool(kFileManager, QStringLiteral("chkSucheDateiInDok"), false);
    RootFolder = ini.readString(kFileManager, QStringLiteral("RootFolder"), QStringLiteral("sfMyComputer"));
}

void FileManagerSettings::save(const QString& file) const
{
    IniFile ini(file);
    ini.writeInteger(kFileManager, QStringLiteral("cboAnsichtItemIndex"), cboAnsichtItemIndex);
    ini.writeBool(kFileManager, QStringLiteral("chkSucheDateiInDok"), chkSucheDateiInDok);
    ini.writeString(kFileManager, QStringLiteral("RootFolder"), RootFolder);
}

void PreviewSettings::load(const QString& file)
{
    const IniFile ini(file);
    PrintMarginLeft = ini.readFloat(kPreview, QStringLiteral("PrintMarginLeft"), 1.5);
    PrintMarginRight = ini.readFloat(kPreview, QStringLiteral("PrintMarginRight"), 1.0);
    PrintMarginTop = ini.readFloat(kPreview, QStringLiteral("PrintMarginTop"), 0.5);
    PrintMarginBottom = ini.readFloat(kPreview, QStringLiteral("PrintMarginBottom"), 0.5);
    SeiteOrientation = ini.readInteger(kPreview, QStringLiteral("SeiteOrientation"), 0);
}

void PreviewSettings::save(const QString& file) const
{
    IniFile ini(file);
    ini.writeFloat(kPreview, QStringLiteral("PrintMarginLeft"), PrintMarginLeft);
    ini.writeFloat(kPreview, QStringLiteral("PrintMarginRight"), PrintMarginRight);
    ini.writeFloat(kPreview, QStringLiteral("PrintMarginTop"), PrintMarginTop);
    ini.writeFloat(kPreview, QStringLiteral("PrintMarginBottom"), PrintMarginBottom);
    ini.writeInteger(kPreview, QStringLiteral("SeiteOrientation"), SeiteOrientation);
}
