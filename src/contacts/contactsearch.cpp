// SPDX-License-Identifier: GPL-3.0-or-later
#include "contacts/contactsearch.h"

QString UpperCaseChars(const QString& text)
{
    QString result = text;
    for (QChar& c : result)
        c = c.toUpper();
    return result;
}

QString ContactSearchText(const QString& typed)
{
    QString text = typed;
    text.replace(u'*', u'%');
    return UpperCaseChars(text);
}

QString LikePatternText(const QString& searchText, DatabaseType type)
{
    QString text = searchText;
    if (type == DatabaseType::MYSQL) {
        // In the literal "\\\\" reads as "\\", which the pattern reads as one literal backslash.
        text.replace(u'\\', QStringLiteral("\\\\\\\\"));
    }
    text.replace(u'\'', QStringLiteral("''"));
    return text;
}

QStringList BuildContactListSql(const ContactFilter& filter, DatabaseType type)
{
    const QString search = ContactSearchText(filter.searchText);
    QStringList sql;
    sql << QStringLiteral("select ADRNR,KURZNAME,ORT,TELGESCH,TELPRIV,TELMOBIL,TELEFAX,")
        << QStringLiteral("MAIL,ANSCHRIFT,BEMERKUNG,HOMEPAGE,LANDKENNZ,PLZ,STR,STICHWORT,KUNDENNR,LIEFERNR,")
        << QStringLiteral(
               "(select COUNT(*) from ~DOKUMENT DOKUMENT where ADR.ADRNR = DOKUMENT.D_BEZUG_ADRNR) "
               "as ANZAHL")
        // The sub-queries name the outer table ADR. A MySQL/MariaDB server on a case-sensitive
        // file system does not know "ADR" for the lower-case table "adr" unless it is its alias.
        << (type == DatabaseType::MYSQL ? QStringLiteral("from ~ADR ADR where ADRNR > 0")
                                        : QStringLiteral("from ~ADR where ADRNR > 0"));

    if (!search.isEmpty()) {
        const QString pattern = QStringLiteral("%") + LikePatternText(search, type) + QStringLiteral("%");
        sql << QStringLiteral(" AND (")
            << QStringLiteral("   UPPER(KURZNAME) LIKE('") + pattern + QStringLiteral("')")
            << QStringLiteral("or UPPER(ORT) LIKE('") + pattern + QStringLiteral("')")
            << QStringLiteral("or UPPER(ANSCHRIFT) LIKE('") + pattern + QStringLiteral("')")
            << QStringLiteral("or UPPER(PLZ) LIKE('") + pattern + QStringLiteral("')")
            << QStringLiteral("or UPPER(STR) LIKE('") + pattern + QStringLiteral("')")
            << QStringLiteral(" )");
    }

    switch (filter.statusIndex) {
    case 0:
        sql << QStringLiteral(" AND (INAKTIV = 0 or INAKTIV is null)");
        break;
    case 1:
        sql << QStringLiteral(" AND (INAKTIV = 1)");
        break;
    case 2:
        sql << QStringLiteral(" AND (INAKTIV = 2)");
        break;
    case 3:
        sql << QStringLiteral(" AND (INAKTIV = 3)");
        break;
    default:
        break;
    }

    switch (filter.kindIndex) {
    case 1:
        sql << QStringLiteral(" AND KUNDENNR > 0");
        break;
    case 2:
        sql << QStringLiteral(" AND LIEFERNR > 0");
        break;
    default:
        break;
    }

    if (filter.onlyWithDocs)
        sql << QStringLiteral(" and (select COUNT(*) from ~DOKUMENT DOKUMENT where ADR.ADRNR = "
                              "DOKUMENT.D_BEZUG_ADRNR) > 0");

    if (!filter.orderBy.isEmpty())
        sql << QStringLiteral("ORDER BY ") + filter.orderBy.toUpper();
    return sql;
}

QStringList BuildContactLinksSql(qint64 adrnr)
{
    return {QStringLiteral("select"),
            QStringLiteral("ID,D_DOKUMENTENART,D_BEZUG_AUFTRNR,D_BEZUG_BESTELLNR,D_BEZUG_RECHNNR,D_PFAD,"
                           "D_DATEINAME,D_BETREFF,D_BEMERKUNG,ERFDATUM,ERFUSER FROM ~DOKUMENT"),
            QStringLiteral("WHERE D_BEZUG_ADRNR = ") + QString::number(adrnr),
            QStringLiteral("ORDER BY ERFDATUM DESC")};
}

int WindowsVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return 96 + (qtKey - Qt::Key_0);
        switch (qtKey) {
        case Qt::Key_Asterisk:
            return 106;
        case Qt::Key_Plus:
            return 107;
        case Qt::Key_Minus:
            return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return 110;
        case Qt::Key_Slash:
            return 111;
        default:
            break;
        }
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return 48 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 65 + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return 112 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Clear:
        return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_CapsLock:
        return 20;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Print:
        return 44;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return 91;
    case Qt::Key_Super_R:
        return 92;
    case Qt::Key_Menu:
        return 93;
    case Qt::Key_NumLock:
        return 144;
    case Qt::Key_ScrollLock:
        return 145;
    default:
        break;
    }
    // Dead keys (accents) sit on OEM keys.
    if (qtKey >= Qt::Key_Dead_Grave && qtKey <= Qt::Key_Dead_Longsolidusoverlay)
        return 220;
    // Any other character key (umlauts, punctuation, symbols) is an OEM key, all of which have
    // codes from 186 upwards; 186 stands for them.
    if ((qtKey > Qt::Key_Space && qtKey < Qt::Key_Escape) ||
        (!text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace()))
        return 186;
    return 0;
}

bool SearchKeyRequeries(int virtualKey)
{
    if (virtualKey >= 118 && virtualKey <= 120)
        return false;
    return virtualKey >= 48 || virtualKey == 8 || virtualKey == 46;
}
