// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/htmldocument.h"

#include <QHash>
#include <QVarLengthArray>

namespace reportview {

QString Style::key() const
{
    return families.join(u',') + u'|' + QString::number(fontPx) + u'|' + QString::number(weight) + u'|'
           + QString::number(int(italic)) + QString::number(int(underline))
           + QString::number(int(borderBottom)) + u'|' + color.name(QColor::HexArgb) + u'|'
           + (background.isValid() ? background.name(QColor::HexArgb) : QString());
}

int Table::columnCount() const
{
    int columns = 0;
    for (const Row& row : rows) {
        int n = 0;
        for (const Cell& cell : row.cells)
            n += qMax<int>(1, cell.colspan);
        columns = qMax(columns, n);
    }
    return columns;
}

namespace {

QString visibleText(const QString& text)
{
    QString out = text;
    out.replace(QChar(0x00A0), u' ');
    out.replace(QChar(0x2028), u'\n');
    return out;
}

} // namespace

QString Document::plainText() const
{
    QStringList lines;
    for (const Block& block : blocks) {
        if (block.kind == Block::Kind::Text) {
            lines << visibleText(block.text);
            continue;
        }
        for (const Row& row : tables[block.table].rows) {
            QStringList cells;
            for (const Cell& cell : row.cells)
                cells << visibleText(cell.text);
            lines << cells.join(u'\t');
        }
    }
    return lines.join(u'\n');
}

int Document::rowCount() const
{
    int n = 0;
    for (const Table& table : tables)
        n += int(table.rows.size());
    return n;
}

namespace {

struct NamedEntity
{
    const char16_t* name;
    char16_t ch;
};

const NamedEntity kEntities[] = {
    {u"nbsp", 0x00A0}, {u"amp", u'&'},     {u"lt", u'<'},      {u"gt", u'>'},      {u"quot", u'"'},
    {u"apos", u'\''},  {u"auml", 0x00E4},  {u"ouml", 0x00F6},  {u"uuml", 0x00FC},  {u"Auml", 0x00C4},
    {u"Ouml", 0x00D6}, {u"Uuml", 0x00DC},  {u"szlig", 0x00DF}, {u"euro", 0x20AC},  {u"copy", 0x00A9},
    {u"reg", 0x00AE},  {u"deg", 0x00B0},   {u"sect", 0x00A7},  {u"shy", 0x00AD},   {u"middot", 0x00B7},
    {u"eacute", 0x00E9}, {u"egrave", 0x00E8}, {u"acute", 0x00B4}, {u"ndash", 0x2013}, {u"mdash", 0x2014},
};

// Decodes the reference that starts at text[pos] == '&'. On success appends the character(s) and
// returns the position after the ';'; otherwise returns -1.
int decodeEntityAt(const QString& text, int pos, QString& out)
{
    const int end = text.indexOf(u';', pos + 1);
    if (end < 0 || end - pos > 12)
        return -1;
    const QStringView name = QStringView(text).mid(pos + 1, end - pos - 1);
    if (name.isEmpty())
        return -1;
    if (name.at(0) == u'#') {
        bool ok = false;
        uint code = 0;
        if (name.size() > 1 && (name.at(1) == u'x' || name.at(1) == u'X'))
            code = name.mid(2).toUInt(&ok, 16);
        else
            code = name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF)
            return -1;
        // Windows-1252 pages write 128..159 for the characters of that code page.
        static const char16_t cp1252[32] = {0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                            0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
        if (code >= 128 && code < 160)
            code = cp1252[code - 128];
        const char32_t c32 = code;
        out += QString::fromUcs4(&c32, 1);
        return end + 1;
    }
    for (const NamedEntity& e : kEntities) {
        if (name == QStringView(e.name)) {
            out += QChar(e.ch);
            return end + 1;
        }
    }
    return -1;
}

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

// The element and attribute names the page uses, shared instead of allocated for every tag.
QString internName(QStringView raw)
{
    static const QStringList known = {
        QStringLiteral("td"), QStringLiteral("tr"), QStringLiteral("th"), QStringLiteral("table"),
        QStringLiteral("a"), QStringLiteral("p"), QStringLiteral("br"), QStringLiteral("h1"), QStringLiteral("h2"),
        QStringLiteral("h3"), QStringLiteral("h4"), QStringLiteral("h5"), QStringLiteral("h6"),
        QStringLiteral("body"), QStringLiteral("head"), QStringLiteral("html"), QStringLiteral("style"),
        QStringLiteral("title"), QStringLiteral("script"), QStringLiteral("div"), QStringLiteral("li"),
        QStringLiteral("ul"), QStringLiteral("ol"), QStringLiteral("hr"), QStringLiteral("center"),
        QStringLiteral("b"), QStringLiteral("i"), QStringLiteral("strong"), QStringLiteral("em"),
        QStringLiteral("span"), QStringLiteral("font"), QStringLiteral("tbody"), QStringLiteral("thead"),
        QStringLiteral("class"), QStringLiteral("width"), QStringLiteral("align"), QStringLiteral("valign"),
        QStringLiteral("href"), QStringLiteral("border"), QStringLiteral("cellspacing"),
        QStringLiteral("cellpadding"), QStringLiteral("bordercolorlight"), QStringLiteral("bordercolordark"),
        QStringLiteral("colspan"), QStringLiteral("rowspan"), QStringLiteral("bgcolor"), QStringLiteral("type"),
        QStringLiteral("cell"), QStringLiteral("kleinnormal"), QStringLiteral("left"), QStringLiteral("top"),
        QStringLiteral("center")};
    for (const QString& k : known)
        if (raw.size() == k.size() && raw.compare(k, Qt::CaseInsensitive) == 0)
            return k;
    return raw.toString().toLower();
}

struct ResolveKey
{
    int parent;
    QString tag;
    QString cls;
    bool operator==(const ResolveKey& o) const { return parent == o.parent && tag == o.tag && cls == o.cls; }
};

size_t qHash(const ResolveKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.parent, k.tag, k.cls);
}

struct Declaration
{
    QString property;
    QString value;
};

// A parsed style sheet: selector (lower case) -> declarations in order.
class StyleSheet
{
public:
    void parse(const QString& css)
    {
        int pos = 0;
        while (pos < css.size()) {
            const int open = css.indexOf(u'{', pos);
            if (open < 0)
                break;
            const int close = css.indexOf(u'}', open);
            if (close < 0)
                break;
            QString selectors = css.mid(pos, open - pos);
            // Drop comments in front of the selector.
            while (selectors.contains(QStringLiteral("/*"))) {
                const int a = selectors.indexOf(QStringLiteral("/*"));
                const int b = selectors.indexOf(QStringLiteral("*/"), a + 2);
                selectors.remove(a, b < 0 ? selectors.size() - a : b + 2 - a);
            }
            QVector<Declaration> decls;
            const QStringList parts = css.mid(open + 1, close - open - 1).split(u';');
            for (const QString& part : parts) {
                const int colon = part.indexOf(u':');
                if (colon < 0)
                    continue;
                decls.append({part.left(colon).trimmed().toLower(), part.mid(colon + 1).trimmed()});
            }
            for (const QString& sel : selectors.split(u',')) {
                const QString s = sel.trimmed().toLower();
                if (!s.isEmpty())
                    rules_[s] += decls;
            }
            pos = close + 1;
        }
    }
    const QVector<Declaration>* find(const QString& selector) const
    {
        const auto it = rules_.constFind(selector);
        return it == rules_.cend() ? nullptr : &it.value();
    }
    bool isEmpty() const { return rules_.isEmpty(); }

private:
    QHash<QString, QVector<Declaration>> rules_;
};

struct Attribute
{
    QString name; // lower case
    QString value;
};

struct Tag
{
    QString name; // lower case, without '/'
    bool closing = false;
    QVarLengthArray<Attribute, 8> attributes;

    QString attr(const char16_t* n) const
    {
        for (const Attribute& a : attributes)
            if (a.name == QStringView(n))
                return a.value;
        return {};
    }
    bool has(const char16_t* n) const
    {
        for (const Attribute& a : attributes)
            if (a.name == QStringView(n))
                return true;
        return false;
    }
};

qreal parseLength(const QString& value, qreal parentPx, bool* ok)
{
    QString v = value.trimmed().toLower();
    qreal factor = 1.0;
    bool percent = false;
    if (v.endsWith(u'%')) {
        percent = true;
        v.chop(1);
    } else if (v.endsWith(QStringLiteral("px"))) {
        v.chop(2);
    } else if (v.endsWith(QStringLiteral("pt"))) {
        v.chop(2);
        factor = 96.0 / 72.0;
    } else if (v.endsWith(QStringLiteral("em"))) {
        v.chop(2);
        factor = parentPx;
    }
    const qreal n = v.trimmed().toDouble(ok);
    if (!*ok)
        return 0;
    return percent ? parentPx * n / 100.0 : n * factor;
}

struct Sink
{
    QString* text = nullptr;
    QVector<Anchor>* anchors = nullptr;
    bool lastSpace = true;
};

class Parser
{
public:
    Parser(const QString& html, qreal defaultPx, const QStringList& families) : s_(html)
    {
        Style root;
        root.fontPx = defaultPx;
        root.families = families;
        addStyle(root);
    }

    Document run()
    {
        const int n = int(s_.size());
        while (pos_ < n) {
            const QChar c = s_.at(pos_);
            if (c == u'<' && pos_ + 1 < n) {
                const QChar d = s_.at(pos_ + 1);
                if (d == u'!' || d == u'?') {
                    skipDeclaration();
                    continue;
                }
                if (d.isLetter() || d == u'/') {
                    Tag tag;
                    if (readTag(tag)) {
                        handleTag(tag);
                        continue;
                    }
                }
            }
            // Text up to the next '<'.
            int end = int(s_.indexOf(u'<', pos_ + (c == u'<' ? 1 : 0)));
            if (end < 0)
                end = n;
            if (skipDepth_ == 0)
                appendText(pos_, end);
            pos_ = end;
        }
        while (!tables_.isEmpty())
            endTable();
        endTextBlock();
        if (bodyStyle_ >= 0)
            doc_.background = doc_.styles[bodyStyle_].background;
        return std::move(doc_);
    }

private:
    struct TableBuilder
    {
        Table table;
        bool inRow = false;
        Row row;
        bool inCell = false;
        Cell cell;
        bool cellHasNested = false;
        bool rowHasNested = false;
        Sink sink;
        int anchorOpen = -1;
    };

    int addStyle(const Style& st)
    {
        const QString key = st.key();
        const auto it = styleIndex_.constFind(key);
        if (it != styleIndex_.cend())
            return it.value();
        const int idx = int(doc_.styles.size());
        doc_.styles.append(st);
        styleIndex_.insert(key, idx);
        return idx;
    }

    void applyDeclarations(Style& st, const QVector<Declaration>& decls, const Style& parent, bool isBody)
    {
        for (const Declaration& d : decls) {
            const QString v = d.value.toLower();
            if (d.property == u"font-family") {
                QStringList fams;
                for (QString f : d.value.split(u',')) {
                    f = f.trimmed();
                    if (f.size() > 1 && (f.startsWith(u'"') || f.startsWith(u'\'')))
                        f = f.mid(1, f.size() - 2);
                    if (!f.isEmpty())
                        fams << f;
                }
                if (!fams.isEmpty())
                    st.families = fams;
            } else if (d.property == u"font-size") {
                bool ok = false;
                const qreal px = parseLength(v, parent.fontPx, &ok);
                if (ok && px > 0)
                    st.fontPx = px;
            } else if (d.property == u"font-weight") {
                if (v == u"bold")
                    st.weight = 700;
                else if (v == u"bolder")
                    st.weight = parent.weight >= 600 ? 900 : 700;
                else if (v == u"normal" || v == u"lighter")
                    st.weight = 400;
                else {
                    bool ok = false;
                    const int w = v.toInt(&ok);
                    if (ok)
                        st.weight = qBound(100, w, 900);
                }
            } else if (d.property == u"font-style") {
                st.italic = v == u"italic" || v == u"oblique";
            } else if (d.property == u"color") {
                const QColor col = QColor::fromString(v);
                if (col.isValid())
                    st.color = col;
            } else if (d.property == u"background-color" || d.property == u"background") {
                const QColor col = QColor::fromString(v);
                if (col.isValid())
                    st.background = col;
            } else if (d.property == u"border-bottom") {
                st.borderBottom = !v.isEmpty() && !v.startsWith(QStringLiteral("none"));
            } else if (d.property == u"text-decoration") {
                st.underline = v.contains(QStringLiteral("underline"));
            } else if (isBody && d.property.startsWith(QStringLiteral("margin"))) {
                bool ok = false;
                const qreal px = parseLength(v, parent.fontPx, &ok);
                if (!ok)
                    continue;
                if (d.property == u"margin-left")
                    doc_.marginLeft = px;
                else if (d.property == u"margin-right")
                    doc_.marginRight = px;
                else if (d.property == u"margin-top")
                    doc_.marginTop = px;
                else if (d.property == u"margin-bottom")
                    doc_.marginBottom = px;
                else if (d.property == u"margin")
                    doc_.marginLeft = doc_.marginRight = doc_.marginTop = doc_.marginBottom = px;
            }
        }
    }

    int resolve(int parentIdx, const QString& tag, const QString& cls)
    {
        const ResolveKey key{parentIdx, tag, cls};
        const auto it = resolveCache_.constFind(key);
        if (it != resolveCache_.cend())
            return it.value();
        const Style parent = doc_.styles[parentIdx];
        Style st = parent;
        st.background = QColor();
        st.borderBottom = false;
        st.underline = false;
        static const struct
        {
            const char16_t* tag;
            qreal scale;
        } headings[] = {{u"h1", 2.0}, {u"h2", 1.5}, {u"h3", 1.17}, {u"h4", 1.0}, {u"h5", 0.83}, {u"h6", 0.67}};
        for (const auto& h : headings) {
            if (tag == QStringView(h.tag)) {
                st.fontPx = parent.fontPx * h.scale;
                st.weight = 700;
            }
        }
        if (tag == u"th" || tag == u"b" || tag == u"strong")
            st.weight = 700;
        if (tag == u"i" || tag == u"em")
            st.italic = true;
        if (tag == u"a") {
            st.underline = true;
            st.color = QColor(0, 0, 0xEE);
        }
        const bool isBody = tag == u"body";
        if (const auto* d = sheet_.find(tag))
            applyDeclarations(st, *d, parent, isBody);
        if (!cls.isEmpty()) {
            if (const auto* d = sheet_.find(u'.' + cls))
                applyDeclarations(st, *d, parent, isBody);
            if (const auto* d = sheet_.find(tag + u'.' + cls))
                applyDeclarations(st, *d, parent, isBody);
        }
        const int idx = addStyle(st);
        resolveCache_.insert(key, idx);
        return idx;
    }

    int bodyStyle()
    {
        if (bodyStyle_ < 0)
            bodyStyle_ = resolve(0, QStringLiteral("body"), QString());
        return bodyStyle_;
    }

    void skipDeclaration()
    {
        if (s_.mid(pos_, 4) == u"<!--") {
            const int end = int(s_.indexOf(QStringLiteral("-->"), pos_ + 4));
            if (end >= 0) {
                pos_ = end + 3;
                return;
            }
        }
        const int end = int(s_.indexOf(u'>', pos_));
        pos_ = end < 0 ? int(s_.size()) : end + 1;
    }

    bool readTag(Tag& tag)
    {
        const int n = int(s_.size());
        int p = pos_ + 1;
        if (s_.at(p) == u'/') {
            tag.closing = true;
            ++p;
        }
        const int nameStart = p;
        while (p < n && (s_.at(p).isLetterOrNumber()))
            ++p;
        if (p == nameStart)
            return false;
        tag.name = internName(QStringView(s_).mid(nameStart, p - nameStart));
        // Attributes.
        while (p < n) {
            while (p < n && isHtmlSpace(s_.at(p)))
                ++p;
            if (p >= n)
                break;
            const QChar c = s_.at(p);
            if (c == u'>') {
                ++p;
                break;
            }
            if (c == u'/') {
                ++p;
                continue;
            }
            const int aStart = p;
            while (p < n && !isHtmlSpace(s_.at(p)) && s_.at(p) != u'=' && s_.at(p) != u'>')
                ++p;
            Attribute attr;
            attr.name = internName(QStringView(s_).mid(aStart, p - aStart));
            while (p < n && isHtmlSpace(s_.at(p)))
                ++p;
            if (p < n && s_.at(p) == u'=') {
                ++p;
                while (p < n && isHtmlSpace(s_.at(p)))
                    ++p;
                if (p < n && (s_.at(p) == u'"' || s_.at(p) == u'\'')) {
                    const QChar q = s_.at(p);
                    const int vEnd = int(s_.indexOf(q, p + 1));
                    const int stop = vEnd < 0 ? n : vEnd;
                    attr.value = DecodeEntities(s_.mid(p + 1, stop - p - 1));
                    p = vEnd < 0 ? n : vEnd + 1;
                } else {
                    const int vStart = p;
                    while (p < n && !isHtmlSpace(s_.at(p)) && s_.at(p) != u'>')
                        ++p;
                    attr.value = DecodeEntities(s_.mid(vStart, p - vStart));
                }
            }
            if (!attr.name.isEmpty())
                tag.attributes.append(attr);
        }
        pos_ = p;
        return true;
    }

    // The sink of the open cell (its pointers are refreshed: the builders move when tables nest).
    static Sink* tableSink(TableBuilder& t)
    {
        t.sink.text = &t.cell.text;
        t.sink.anchors = &t.cell.anchors;
        return &t.sink;
    }

    Sink* currentSink()
    {
        if (!tables_.isEmpty()) {
            TableBuilder& t = tables_.last();
            return t.inCell ? tableSink(t) : nullptr;
        }
        if (!inTextBlock_) {
            // Text directly in the body makes an anonymous block.
            beginTextBlock(bodyStyle(), 0, 0, HAlign::Left);
        }
        return &blockSink_;
    }

    void appendText(int from, int to)
    {
        // Quick exit for white space between tags.
        bool allSpace = true;
        for (int i = from; i < to && allSpace; ++i)
            allSpace = isHtmlSpace(s_.at(i));
        if (allSpace) {
            if (!tables_.isEmpty()) {
                TableBuilder& t = tables_.last();
                if (t.inCell)
                    appendSpace(*tableSink(t));
                return;
            }
            if (inTextBlock_)
                appendSpace(blockSink_);
            return;
        }
        Sink* sink = currentSink();
        if (!sink)
            return;
        QString& out = *sink->text;
        out.reserve(out.size() + (to - from));
        for (int i = from; i < to; ++i) {
            const QChar c = s_.at(i);
            if (isHtmlSpace(c)) {
                if (!sink->lastSpace) {
                    out += u' ';
                    sink->lastSpace = true;
                }
                continue;
            }
            if (c == u'&') {
                const int next = decodeEntityAt(s_, i, out);
                if (next > 0) {
                    i = next - 1;
                    sink->lastSpace = false;
                    continue;
                }
            }
            out += c;
            sink->lastSpace = false;
        }
    }

    // A single collapsible space (only after some text).
    static void appendSpace(Sink& sink)
    {
        if (!sink.text->isEmpty() && !sink.text->endsWith(u' ') && !sink.text->endsWith(QChar(0x2028)))
            *sink.text += u' ';
        sink.lastSpace = true;
    }

    static void trimSink(QString& text, QVector<Anchor>& anchors)
    {
        while (text.endsWith(u' '))
            text.chop(1);
        const int n = int(text.size());
        for (Anchor& a : anchors) {
            a.start = qMin(a.start, n);
            a.length = qMax(0, qMin(a.start + a.length, n) - a.start);
        }
    }

    void beginTextBlock(int style, qreal marginTop, qreal marginBottom, HAlign align)
    {
        endTextBlock();
        inTextBlock_ = true;
        block_ = Block();
        block_.style = style;
        block_.marginTop = marginTop;
        block_.marginBottom = marginBottom;
        block_.align = align;
        blockSink_ = Sink{&block_.text, &block_.anchors, true};
        blockAnchorOpen_ = -1;
    }

    void endTextBlock()
    {
        if (!inTextBlock_)
            return;
        inTextBlock_ = false;
        trimSink(block_.text, block_.anchors);
        if (!block_.text.isEmpty() || doc_.styles[block_.style].borderBottom)
            doc_.blocks.append(std::move(block_));
        block_ = Block();
        blockSink_ = Sink();
    }

    static HAlign alignOf(const QString& v, HAlign def)
    {
        const QString a = v.toLower();
        if (a == u"left")
            return HAlign::Left;
        if (a == u"center" || a == u"middle")
            return HAlign::Center;
        if (a == u"right")
            return HAlign::Right;
        return def;
    }
    static VAlign valignOf(const QString& v, VAlign def)
    {
        const QString a = v.toLower();
        if (a == u"top")
            return VAlign::Top;
        if (a == u"center" || a == u"middle")
            return VAlign::Middle;
        if (a == u"bottom")
            return VAlign::Bottom;
        return def;
    }
    static void parseWidth(const QString& v, qint16& percent, qint16& pixels)
    {
        QString w = v.trimmed();
        bool ok = false;
        if (w.endsWith(u'%')) {
            w.chop(1);
            const double d = w.toDouble(&ok);
            if (ok)
                percent = qint16(qBound(0.0, d, 1000.0));
        } else {
            if (w.endsWith(QStringLiteral("px")))
                w.chop(2);
            const int d = w.toInt(&ok);
            if (ok)
                pixels = qint16(qBound(0, d, 30000));
        }
    }

    void beginTable(const Tag& tag)
    {
        endTextBlock();
        if (!tables_.isEmpty()) {
            // A table inside a cell: what the outer table holds so far comes first.
            TableBuilder& outer = tables_.last();
            if (outer.inCell)
                outer.cellHasNested = true;
            flushTableSegment(outer);
        }
        TableBuilder t;
        bool ok = false;
        const QString border = tag.attr(u"border");
        if (tag.has(u"border"))
            t.table.border = border.isEmpty() ? 1 : qBound(0, border.toInt(&ok), 20);
        const int spacing = tag.attr(u"cellspacing").toInt(&ok);
        if (ok)
            t.table.cellSpacing = qBound(0, spacing, 50);
        const int padding = tag.attr(u"cellpadding").toInt(&ok);
        if (ok)
            t.table.cellPadding = qBound(0, padding, 50);
        qint16 pct = -1, px = -1;
        parseWidth(tag.attr(u"width"), pct, px);
        t.table.widthPercent = pct;
        t.table.widthPixels = px;
        const QColor light = QColor::fromString(tag.attr(u"bordercolorlight"));
        if (light.isValid())
            t.table.borderLight = light;
        const QColor dark = QColor::fromString(tag.attr(u"bordercolordark"));
        if (dark.isValid())
            t.table.borderDark = dark;
        tables_.append(std::move(t));
    }

    void flushTableSegment(TableBuilder& t)
    {
        if (t.table.rows.isEmpty())
            return;
        const int idx = int(doc_.tables.size());
        doc_.tables.append(t.table);
        Block b;
        b.kind = Block::Kind::Table;
        b.table = idx;
        doc_.blocks.append(b);
        t.table.rows.clear();
    }

    void endCell(TableBuilder& t)
    {
        if (!t.inCell)
            return;
        t.inCell = false;
        if (t.anchorOpen >= 0) {
            Anchor& a = t.cell.anchors[t.anchorOpen];
            a.length = int(t.cell.text.size()) - a.start;
            t.anchorOpen = -1;
        }
        trimSink(t.cell.text, t.cell.anchors);
        if (t.cellHasNested)
            t.rowHasNested = true;
        t.row.cells.append(std::move(t.cell));
        t.cell = Cell();
        t.sink = Sink();
        t.cellHasNested = false;
    }

    void endRow(TableBuilder& t)
    {
        endCell(t);
        if (!t.inRow)
            return;
        t.inRow = false;
        bool keep = !t.row.cells.isEmpty();
        if (t.rowHasNested) {
            // The row only framed a nested table: drop it unless it holds text of its own.
            keep = false;
            for (const Cell& c : t.row.cells)
                keep = keep || !c.text.isEmpty();
        }
        if (keep)
            t.table.rows.append(std::move(t.row));
        t.row = Row();
        t.rowHasNested = false;
    }

    void endTable()
    {
        TableBuilder& t = tables_.last();
        endRow(t);
        flushTableSegment(t);
        tables_.removeLast();
    }

    void beginCell(const Tag& tag, bool header)
    {
        TableBuilder& t = tables_.last();
        endCell(t);
        if (!t.inRow) {
            t.inRow = true;
            t.row = Row();
        }
        t.inCell = true;
        Cell& c = t.cell;
        c = Cell();
        c.style = resolve(bodyStyle(), header ? QStringLiteral("th") : QStringLiteral("td"),
                          internName(tag.attr(u"class").trimmed()));
        c.align = alignOf(tag.attr(u"align"), header ? HAlign::Center : HAlign::Left);
        c.valign = valignOf(tag.attr(u"valign"), VAlign::Middle);
        parseWidth(tag.attr(u"width"), c.widthPercent, c.widthPixels);
        bool ok = false;
        const int colspan = tag.attr(u"colspan").toInt(&ok);
        if (ok && colspan > 1)
            c.colspan = quint16(qMin(colspan, 1000));
        const QString style = tag.attr(u"style");
        const int bg = int(style.indexOf(QStringLiteral("background-color:"), 0, Qt::CaseInsensitive));
        if (bg >= 0) {
            QString v = style.mid(bg + 17);
            const int semi = int(v.indexOf(u';'));
            if (semi >= 0)
                v.truncate(semi);
            c.background = QColor::fromString(v.trimmed());
        }
        const QColor bgcolor = QColor::fromString(tag.attr(u"bgcolor"));
        if (!c.background.isValid() && bgcolor.isValid())
            c.background = bgcolor;
        t.sink = Sink{&c.text, &c.anchors, true};
        t.anchorOpen = -1;
    }

    void handleTag(const Tag& tag)
    {
        const QString& name = tag.name;
        if (name == u"style") {
            if (!tag.closing) {
                const int end = int(s_.indexOf(QStringLiteral("</style"), pos_, Qt::CaseInsensitive));
                const int stop = end < 0 ? int(s_.size()) : end;
                sheet_.parse(s_.mid(pos_, stop - pos_));
                pos_ = stop;
            }
            return;
        }
        if (name == u"script" || name == u"head" || name == u"title") {
            skipDepth_ = qMax(0, skipDepth_ + (tag.closing ? -1 : 1));
            return;
        }
        if (name == u"body") {
            if (!tag.closing) {
                skipDepth_ = 0;
                bodyStyle_ = resolve(0, QStringLiteral("body"), tag.attr(u"class").toLower());
            }
            return;
        }
        if (name == u"table") {
            if (!tag.closing)
                beginTable(tag);
            else if (!tables_.isEmpty())
                endTable();
            return;
        }
        if (!tables_.isEmpty()) {
            TableBuilder& t = tables_.last();
            if (name == u"tr") {
                endRow(t);
                if (!tag.closing) {
                    t.inRow = true;
                    t.row = Row();
                    t.row.cells.reserve(8);
                }
                return;
            }
            if (name == u"td" || name == u"th") {
                if (tag.closing)
                    endCell(t);
                else
                    beginCell(tag, name == u"th");
                return;
            }
            if (!t.inCell)
                return;
            if (name == u"a") {
                if (!tag.closing && tag.has(u"href")) {
                    if (t.anchorOpen >= 0)
                        t.cell.anchors[t.anchorOpen].length = int(t.cell.text.size()) - t.cell.anchors[t.anchorOpen].start;
                    Anchor a;
                    a.start = int(t.cell.text.size());
                    a.href = tag.attr(u"href");
                    a.style = resolve(t.cell.style, QStringLiteral("a"), tag.attr(u"class").toLower());
                    t.cell.anchors.append(a);
                    t.anchorOpen = int(t.cell.anchors.size()) - 1;
                } else if (tag.closing && t.anchorOpen >= 0) {
                    Anchor& a = t.cell.anchors[t.anchorOpen];
                    a.length = int(t.cell.text.size()) - a.start;
                    t.anchorOpen = -1;
                }
                return;
            }
            if (name == u"br") {
                t.cell.text += QChar(0x2028);
                t.sink.lastSpace = true;
                return;
            }
            if (isBlockTag(name))
                appendSpace(*tableSink(t));
            return;
        }
        // Outside tables.
        if (isBlockTag(name)) {
            if (tag.closing) {
                endTextBlock();
                return;
            }
            static const struct
            {
                const char16_t* tag;
                qreal em;
            } margins[] = {{u"p", 1.0},   {u"h1", 0.67}, {u"h2", 0.83}, {u"h3", 1.0},
                           {u"h4", 1.33}, {u"h5", 1.67}, {u"h6", 2.33}};
            const int style = resolve(bodyStyle(), name, tag.attr(u"class").toLower());
            qreal em = 0;
            for (const auto& m : margins)
                if (name == QStringView(m.tag))
                    em = m.em;
            const qreal margin = em * doc_.styles[style].fontPx;
            beginTextBlock(style, margin, margin, alignOf(tag.attr(u"align"), HAlign::Left));
            return;
        }
        if (name == u"br") {
            Sink* sink = currentSink();
            if (sink) {
                *sink->text += QChar(0x2028);
                sink->lastSpace = true;
            }
            return;
        }
        if (name == u"a" && inTextBlock_) {
            if (!tag.closing && tag.has(u"href")) {
                Anchor a;
                a.start = int(block_.text.size());
                a.href = tag.attr(u"href");
                a.style = resolve(block_.style, QStringLiteral("a"), tag.attr(u"class").toLower());
                block_.anchors.append(a);
                blockAnchorOpen_ = int(block_.anchors.size()) - 1;
            } else if (tag.closing && blockAnchorOpen_ >= 0) {
                Anchor& a = block_.anchors[blockAnchorOpen_];
                a.length = int(block_.text.size()) - a.start;
                blockAnchorOpen_ = -1;
            }
        }
    }

    static bool isBlockTag(const QString& name)
    {
        return name == u"p" || name == u"div" || name == u"li" || name == u"h1" || name == u"h2"
               || name == u"h3" || name == u"h4" || name == u"h5" || name == u"h6" || name == u"ul"
               || name == u"ol" || name == u"hr" || name == u"center";
    }

    const QString& s_;
    int pos_ = 0;
    int skipDepth_ = 0;
    Document doc_;
    StyleSheet sheet_;
    QHash<QString, int> styleIndex_;
    QHash<ResolveKey, int> resolveCache_;
    int bodyStyle_ = -1;
    QVector<TableBuilder> tables_;
    bool inTextBlock_ = false;
    Block block_;
    Sink blockSink_;
    int blockAnchorOpen_ = -1;
};

} // namespace

QString DecodeEntities(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&') {
            const int next = decodeEntityAt(text, i, out);
            if (next > 0) {
                i = next - 1;
                continue;
            }
        }
        out += text.at(i);
    }
    return out;
}

Document ParseHtml(const QString& html, qreal defaultFontPx, const QStringList& defaultFamilies)
{
    Parser parser(html, defaultFontPx, defaultFamilies);
    return parser.run();
}

} // namespace reportview
