// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/updatecheck.h"

#include "app/config.h"
#include "util/helpers.h"
#include "util/inifile.h"
#include "util/messages.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

qint32 DosDateTime(const QDateTime& localTime)
{
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    if (!d.isValid() || d.year() < 1980 || d.year() > 2107)
        return -1;
    const quint32 date = quint32(d.year() - 1980) << 9 | quint32(d.month()) << 5 | quint32(d.day());
    const quint32 time = quint32(t.hour()) << 11 | quint32(t.minute()) << 5 | quint32(t.second() / 2);
    return static_cast<qint32>(date << 16 | time);
}

qint32 DosFileAge(const QString& path)
{
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.exists() || fi.isDir())
        return -1;
    return DosDateTime(fi.lastModified().toLocalTime());
}

UpdateFiles DefaultUpdateFiles(const QString& updateFolder)
{
    UpdateFiles f;
#ifdef Q_OS_WIN
    f.installedProgram = programFileFolder() + QStringLiteral("KvDokMan.EXE");
    f.newProgram = updateFolder + QStringLiteral("\\KvDokMan.EXE");
    f.updater = updateFolder + QStringLiteral("\\AUTOUP.EXE");
#else
    f.installedProgram = QCoreApplication::applicationFilePath();
    f.newProgram = updateFolder + u'/' + QFileInfo(f.installedProgram).fileName();
    f.updater = updateFolder + QStringLiteral("/autoup");
#endif
    return f;
}

QString UpdaterCommandLine(const UpdateFiles& files)
{
    const QString q = QStringLiteral("\"");
    return q + files.updater + q + QStringLiteral(" ") + QStringLiteral("/ZMN ") + QStringLiteral("/CP ") +
           QStringLiteral("/A=") + q + files.installedProgram + q + QStringLiteral(" ") +
           QStringLiteral("/N=") + q + files.newProgram + q + QStringLiteral(" ");
}

bool CheckForUpdate(const Config& config)
{
    return CheckForUpdate(config, DefaultUpdateFiles(config.updateFolder));
}

bool CheckForUpdate(const Config& config, const UpdateFiles& files)
{
    if (config.updateFolder.isEmpty())
        return false;
    EnsureDirectory(config.updateFolder);

    const qint32 installedAge = DosFileAge(files.installedProgram);
    const qint32 newAge = DosFileAge(files.newProgram);
    if (installedAge >= newAge)
        return false;

    IniFile ini(config.iniFilePath);
    const QString options = QStringLiteral("Options");
    const QString key = QStringLiteral("UpdateAge");
    const int declinedAge = ini.readInteger(options, key, -1);
    if (declinedAge > 0 && declinedAge == newAge)
        return false;

    int result = QDialog::Rejected;
    {
        TDlgShowUpdateTip dialog;
        result = msg().execDialog(dialog);
    }
    msg().setCursor(Messages::Cursor::Normal);

    if (result == QDialog::Accepted) {
        const QString commandLine = UpdaterCommandLine(files);
        ini.writeInteger(options, key, -1);
        QStringList parts = QProcess::splitCommand(commandLine);
        const QString program = parts.isEmpty() ? QString() : parts.takeFirst();
        // Whether the updater could be started or not, this program ends so that it can be replaced.
        msg().startDetached(program, parts);
        return true;
    }

    if (!msg().askYesNo(QStringLiteral("Wollen Sie weiterhin auf die neuere Programmversion\n"
                                       "aufmerksam gemacht werden?")))
        ini.writeInteger(options, key, newAge);
    return false;
}

TDlgShowUpdateTip::TDlgShowUpdateTip(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("DlgShowUpdateTip"));
    setWindowTitle(QStringLiteral("Hinweise zum Update"));

    labUpdateHinweis = new QLabel(QStringLiteral("Es gibt eine neuere Programmversion im Update-Ordner!\n"
                                                 "Soll Ihre Programmversion jetzt automatisch aktualisiert "
                                                 "werden?"),
                                  this);
    labUpdateHinweis->setObjectName(QStringLiteral("labUpdateHinweis"));
    labUpdateHinweis->setAlignment(Qt::AlignCenter);
    QFont big = labUpdateHinweis->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    labUpdateHinweis->setFont(big);

    btnOK = new QPushButton(QStringLiteral("&Ja"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnAbort = new QPushButton(QStringLiteral("&Nein"), this);
    btnAbort->setObjectName(QStringLiteral("btnAbort"));
    btnAbort->setAutoDefault(false);
    for (QPushButton* b : {btnOK, btnAbort})
        b->setMinimumWidth(b->sizeHint().width() * 3 / 2);

    labEmpfehlung =
        new QLabel(QStringLiteral("Wählen Sie \"Ja\", um das Update durchzuführen (Empfohlen)."), this);
    labEmpfehlung->setObjectName(QStringLiteral("labEmpfehlung"));
    labEmpfehlung->setAlignment(Qt::AlignCenter);

    panInfoFile =
        new QLabel(QStringLiteral("Einzelheiten bitte der jeweiligen Update-Beschreibung entnehmen."), this);
    panInfoFile->setObjectName(QStringLiteral("panInfoFile"));
    panInfoFile->setFrameShape(QFrame::Panel);
    panInfoFile->setFrameShadow(QFrame::Sunken);
    panInfoFile->setMargin(4);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addSpacing(24);
    buttons->addWidget(btnAbort);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 8);
    layout->addWidget(labUpdateHinweis);
    layout->addSpacing(16);
    layout->addLayout(buttons);
    layout->addSpacing(8);
    layout->addWidget(labEmpfehlung);
    layout->addSpacing(8);
    layout->addWidget(panInfoFile);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAbort, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlgShowUpdateTip::closeEvent(QCloseEvent* event)
{
    // Only the two buttons (and Enter / Escape) close the dialog.
    if (isVisible())
        event->ignore();
    else
        QDialog::closeEvent(event);
}
