// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/dialect.h"

#include <QString>
#include <QStringList>

// The configuration of one run: command-line values and the values read from KORVAN.INI.
struct Config
{
    // Command line
    QString commandLineUser;     // at most 10 characters
    QString commandLinePassword; // at most 10 characters; non-empty means automatic login

    // KORVAN.INI
    QString iniFilePath;
    QString programFolder;
    QString helpFolder;
    QString userFolder;
    QString updateFolder;
    QString databaseAlias = QStringLiteral("KORVAN");
    DatabaseType databaseType = DatabaseType::None;
    bool useSqlUser = false;
    QString databaseServerName;
    QString tablePrefix;
    QString databaseName = QStringLiteral("KORVAN");
    QString databaseUser = QStringLiteral("KORVAN");
    QString databasePassword;
};

// The folder of the program file with its trailing separator.
QString programFileFolder();
// Default INI path: the program folder followed by "KORVAN.INI".
QString defaultIniFilePath(const QString& programFolderWithSeparator);

// Reads the switches /K, /U and /P (arguments without the program name).
void ParseCommandLine(const QStringList& arguments, Config& config);
// Reads KORVAN.INI (config.iniFilePath) in the documented order; sets the database type and the
// table prefix through InitDatabaseType / InitTablePrefix. programFolderWithSeparator is the
// default of Path/Prog.
void ReadKorvanIni(Config& config, const QString& programFolderWithSeparator);

// The per-user settings file: UserFolder, separator, short name, ".CFG".
QString MakeSettingsFileName(const QString& userFolder, const QString& shortName);

// Section "KvDokMan" of the per-user settings.
struct UserSettings
{
    bool chkArtikelNurMitDoks = false;
    bool chkArtUngueltVerknMark = false;
    bool chkArtUngueltVerknAutoRefesh = false;
    int panArtikelTreeWidth = 200;
    int panArtikelDokumenteWidth = 430;
    int panKontakteGridWidth = 600;
    bool chkKontakteNurMitDoks = false;
    bool chkKontakteUngueltVerknMark = false;
    QString OpenDialog1InitialDir;
    QString OpenDialog2InitialDir;

    void load(const QString& settingsFile);
    // Writes all ten keys.
    void save(const QString& settingsFile) const;
};

// Section "KvDokManDatMan" (file manager).
struct FileManagerSettings
{
    int cboAnsichtItemIndex = 0;
    bool chkSucheDateiInDok = false;
    QString RootFolder = QStringLiteral("sfMyComputer");

    void load(const QString& settingsFile);
    void save(const QString& settingsFile) const;
};

// Section "PreviewForm" (print preview); margins in cm.
struct PreviewSettings
{
    double PrintMarginLeft = 1.5;
    double PrintMarginRight = 1.0;
    double PrintMarginTop = 0.5;
    double PrintMarginBottom = 0.5;
    int SeiteOrientation = 0; // 0 portrait, other landscape

    void load(const QString& settingsFile);
    void save(const QString& settingsFile) const;
};
