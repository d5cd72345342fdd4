// Text output and measuring. Text is UTF-8; positions and counts are those of characters.

#include "platform/gdi/DC.h"

#include "platform/gdi/DCImpl.h"

#include <QFontMetrics>

#include <cmath>
#include <cstring>

using namespace gdi;

namespace {

QString Decode(const char* text, int length)
{
    if (text == nullptr) return QString();
    const std::size_t n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
    return QString::fromUtf8(text, static_cast<qsizetype>(n));
}

QFont FontOfDC(const CDC::Impl& dc)
{
    if (dc.s.font) return FontOf(dc.s.font->font);
    EnsureGuiApplication();
    return QFont("Liberation Sans");
}

int EscapementOf(const CDC::Impl& dc)
{
    return dc.s.font ? dc.s.font->font.lf.lfEscapement : 0;
}

int Advance(const QFontMetrics& fm, const QString& s)
{
    return fm.horizontalAdvance(s);
}

// Extra room SetTextJustification gives the n-th space (0-based): the extra is spread over the
// announced number of breaks, the first ones taking the remainder.
int BreakExtra(const CDC::Impl& dc, int n)
{
    if (dc.s.breakCount <= 0 || dc.s.breakExtra == 0) return 0;
    const int count = dc.s.breakCount;
    return dc.s.breakExtra / count + (n < std::abs(dc.s.breakExtra % count) ? (dc.s.breakExtra < 0 ? -1 : 1) : 0);
}

// Width of a run including the extra room of its spaces.
int RunWidth(const CDC::Impl& dc, const QFontMetrics& fm, const QString& s)
{
    int w = Advance(fm, s);
    if (dc.s.breakCount > 0 && dc.s.breakExtra != 0) {
        const int spaces = static_cast<int>(s.count(' '));
        for (int i = 0; i < spaces; ++i) w += BreakExtra(dc, i);
    }
    return w;
}

// Draws one run of text with its reference point at (x, y), honouring the alignment, the
// escapement, the background mode and per-character advances (dx, may be null).
void DrawRun(const CDC::Impl& dc, PaintScope& p, int x, int y, const QString& s, UINT align, const int* dx,
             std::size_t dxCount)
{
    const QFont font = FontOfDC(dc);
    const QFontMetrics fm(font);
    const QList<uint> chars = s.toUcs4();
    int width = 0;
    if (dx != nullptr) {
        for (std::size_t i = 0; i < dxCount && i < static_cast<std::size_t>(chars.size()); ++i) width += dx[i];
    } else {
        width = RunWidth(dc, fm, s);
    }
    int left = 0;
    if ((align & TA_CENTER) == TA_CENTER) left = -width / 2;
    else if (align & TA_RIGHT) left = -width;
    int baseline = fm.ascent();
    if ((align & TA_BASELINE) == TA_BASELINE) baseline = 0;
    else if (align & TA_BOTTOM) baseline = -fm.descent();

    const int radius = width + fm.height() + 2;
    p.Touch(QRect(x - radius, y - radius, 2 * radius, 2 * radius));
    p->translate(x, y);
    const int escapement = EscapementOf(dc);
    if (escapement != 0) p->rotate(-escapement / 10.0);
    if (dc.s.bkMode == OPAQUE) p->fillRect(QRect(left, baseline - fm.ascent(), width, fm.height()), ToQColor(dc.s.bkColor));
    p->setFont(font);
    p->setPen(ToQColor(dc.s.textColor));
    p->setBrush(Qt::NoBrush);
    if (dx != nullptr) {
        int pos = left;
        for (qsizetype i = 0; i < chars.size(); ++i) {
            const char32_t c = chars[i];
            p->drawText(QPoint(pos, baseline), QString::fromUcs4(&c, 1));
            pos += static_cast<std::size_t>(i) < dxCount ? dx[i] : fm.horizontalAdvance(QString::fromUcs4(&c, 1));
        }
    } else if (dc.s.breakCount > 0 && dc.s.breakExtra != 0) {
        // Each space is widened by its share of the extra room.
        const QStringList words = s.split(' ');
        const int spaces = static_cast<int>(words.size()) - 1;
        int pos = left;
        for (int i = 0; i < words.size(); ++i) {
            p->drawText(QPoint(pos, baseline), words[i]);
            pos += Advance(fm, words[i]);
            if (i < spaces) pos += fm.horizontalAdvance(' ') + BreakExtra(dc, i);
        }
    } else {
        p->drawText(QPoint(left, baseline), s);
    }
}

struct Line {
    QString text;
    int underline = -1;  // index of the character marked with '&'
};

// Removes the '&' prefixes of a line, remembering the marked character ("&&" is one '&').
Line StripPrefix(const QString& s, bool hideOnly)
{
    Line line;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != '&' && !hideOnly && line.underline < 0) line.underline = static_cast<int>(line.text.size());
        } else if (s[i] == '&') {
            continue;
        }
        line.text += s[i];
    }
    return line;
}

QString ExpandTabs(const QString& s)
{
    QString out;
    for (QChar c : s) {
        if (c == '\t') {
            do out += ' '; while (out.size() % 8 != 0);
        } else {
            out += c;
        }
    }
    return out;
}

// Cuts text at its end so that, followed by "...", it fits the width.
QString EndEllipsis(const QFontMetrics& fm, const QString& s, int width)
{
    if (fm.horizontalAdvance(s) <= width) return s;
    const QList<uint> chars = s.toUcs4();
    qsizetype lo = 0, hi = chars.size();
    // The longest prefix that fits together with the ellipsis.
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        const QString candidate = QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), mid) + "...";
        if (fm.horizontalAdvance(candidate) <= width) lo = mid;
        else hi = mid - 1;
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(chars.constData()), lo) + "...";
}

// Shortens a path in its middle, keeping the last component: "C:\dir\...\file.txt".
QString PathEllipsis(const QFontMetrics& fm, const QString& s, int width)
{
    if (fm.horizontalAdvance(s) <= width) return s;
    const qsizetype slash = std::max(s.lastIndexOf('\\'), s.lastIndexOf('/'));
    if (slash <= 0) return EndEllipsis(fm, s, width);
    const QString tail = s.mid(slash);
    QString head = s.left(slash);
    while (!head.isEmpty()) {
        head.chop(1);
        const QString candidate = head + "..." + tail;
        if (fm.horizontalAdvance(candidate) <= width) return candidate;
    }
    return EndEllipsis(fm, "..." + tail, width);
}

QStringList WrapWords(const QFontMetrics& fm, const QString& paragraph, int width)
{
    QStringList lines;
    const QStringList words = paragraph.split(' ');
    QString current;
    for (const QString& word : words) {
        const QString candidate = current.isEmpty() ? word : current + ' ' + word;
        if (!current.isEmpty() && fm.horizontalAdvance(candidate) > width) {
            lines << current;
            current = word;
        } else {
            current = candidate;
        }
    }
    lines << current;
    return lines;
}

}  // namespace

BOOL CDC::TextOut(int x, int y, const char* text, int length)
{
    const QString s = Decode(text, length);
    GdiRecord r = d->MakeRecord("TextOut");
    r.points = {CPoint(x, y)};
    r.text = s.toStdString();
    r.flags = d->s.textAlign;
    d->Record(std::move(r));
    if (d->s.textAlign & TA_UPDATECP) {
        x = d->s.position.x;
        y = d->s.position.y;
        d->s.position.x += GetTextExtent(text, length).cx;
    }
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    DrawRun(*d, p, x, y, s, d->s.textAlign, nullptr, 0);
    return TRUE;
}

BOOL CDC::TextOut(int x, int y, const std::string& text)
{
    return TextOut(x, y, text.data(), static_cast<int>(std::min<std::size_t>(text.size(), 1u << 30)));
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT length, const int* dx)
{
    const QString s = Decode(text, static_cast<int>(std::min<UINT>(length, 1u << 30)));
    GdiRecord r = d->MakeRecord("ExtTextOut");
    r.points = {CPoint(x, y)};
    r.text = s.toStdString();
    r.flags = options;
    if (rect != nullptr) r.rect = *rect;
    d->Record(std::move(r));
    PaintScope p(*d);
    if (!p.ok()) return FALSE;
    if (rect != nullptr) {
        const int l = Coord(rect->left), t = Coord(rect->top), r = Coord(rect->right), b = Coord(rect->bottom);
        const QRect box(QPoint(std::min(l, r), std::min(t, b)), QPoint(std::max(l, r) - 1, std::max(t, b) - 1));
        if ((options & ETO_OPAQUE) && !box.isEmpty()) {
            p.Touch(box);
            p->fillRect(box, ToQColor(d->s.bkColor));
        }
        if (options & ETO_CLIPPED) {
            if (box.isEmpty()) return TRUE;
            p->setClipRect(box, p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        }
    }
    if (s.isEmpty()) return TRUE;
    UINT align = d->s.textAlign;
    if (align & TA_UPDATECP) {
        x = d->s.position.x;
        y = d->s.position.y;
    }
    // One advance per character at most; the caller's array may be shorter than the text.
    const std::size_t count = dx != nullptr ? static_cast<std::size_t>(s.toUcs4().size()) : 0;
    DrawRun(*d, p, x, y, s, align, dx, count);
    if (align & TA_UPDATECP) {
        int w = 0;
        if (dx != nullptr) for (std::size_t i = 0; i < count; ++i) w += dx[i];
        else w = GetTextExtent(text, static_cast<int>(std::min<UINT>(length, 1u << 30))).cx;
        d->s.position.x += w;
    }
    return TRUE;
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const std::string& text, const int* dx)
{
    return ExtTextOut(x, y, options, rect, text.data(), static_cast<UINT>(std::min<std::size_t>(text.size(), 1u << 30)), dx);
}

int CDC::DrawText(const std::string& text, RECT* rect, UINT format)
{
    return DrawText(text.data(), static_cast<int>(std::min<std::size_t>(text.size(), 1u << 30)), rect, format);
}

int CDC::DrawText(const char* text, int length, RECT* rect, UINT format)
{
    if (text == nullptr || rect == nullptr) return 0;
    const QString all = Decode(text, length);
    if (!(format & DT_CALCRECT)) {
        GdiRecord r = d->MakeRecord("DrawText");
        r.text = all.toStdString();
        r.rect = *rect;
        r.flags = format;
        d->Record(std::move(r));
    }
    // Pinned coordinates: every sum below stays inside an int.
    const int left = Coord(rect->left), top = Coord(rect->top), right = Coord(rect->right), bottom = Coord(rect->bottom);
    const QFont font = FontOfDC(*d);
    const QFontMetrics fm(font);
    const int boxWidth = right - left;
    const int lineHeight = fm.height() + ((format & DT_EXTERNALLEADING) ? std::max(fm.leading(), 0) : 0);

    // Split into lines.
    QStringList paragraphs;
    if (format & DT_SINGLELINE) {
        QString one = all;
        one.remove('\r');
        one.remove('\n');
        paragraphs << one;
    } else {
        QString norm = all;
        norm.replace("\r\n", "\n");
        norm.replace('\r', '\n');
        paragraphs = norm.split('\n');
    }
    std::vector<Line> lines;
    for (QString para : paragraphs) {
        if (format & DT_EXPANDTABS) para = ExpandTabs(para);
        const Line stripped = (format & DT_NOPREFIX) ? Line{para, -1} : StripPrefix(para, (format & DT_HIDEPREFIX) != 0);
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
            const QStringList wrapped = WrapWords(fm, stripped.text, boxWidth);
            for (qsizetype i = 0; i < wrapped.size(); ++i)
                lines.push_back(Line{wrapped[i], i == 0 && stripped.underline < wrapped[i].size() ? stripped.underline : -1});
        } else {
            lines.push_back(stripped);
        }
    }
    for (Line& line : lines) {
        const int before = static_cast<int>(line.text.size());
        if (format & DT_PATH_ELLIPSIS) line.text = PathEllipsis(fm, line.text, boxWidth);
        else if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS)) line.text = EndEllipsis(fm, line.text, boxWidth);
        if (static_cast<int>(line.text.size()) != before && line.underline >= static_cast<int>(line.text.size()) - 3)
            line.underline = -1;
    }

    int maxWidth = 0;
    for (const Line& line : lines) maxWidth = std::max(maxWidth, fm.horizontalAdvance(line.text));
    const int total = lineHeight * static_cast<int>(lines.size());

    if (format & DT_CALCRECT) {
        rect->right = left + maxWidth;
        rect->bottom = top + total;
        return total;
    }

    int y = top;
    int result = total;
    if (format & DT_SINGLELINE) {
        const int boxHeight = bottom - top;
        if (format & DT_VCENTER) y = top + (boxHeight - lineHeight) / 2;
        else if (format & DT_BOTTOM) y = bottom - lineHeight;
        if (format & (DT_VCENTER | DT_BOTTOM)) result = y - top + lineHeight;
    }

    PaintScope p(*d);
    if (!p.ok()) return 0;
    const QRect box(QPoint(left, top), QPoint(right - 1, bottom - 1));
    if (!(format & DT_NOCLIP)) {
        if (box.isEmpty()) return result;
        p->setClipRect(box, p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    p.Touch(box.united(QRect(left, y, maxWidth, total)));
    p->setFont(font);
    for (const Line& line : lines) {
        const int w = fm.horizontalAdvance(line.text);
        int x = left;
        if (format & DT_CENTER) x = left + (boxWidth - w) / 2;
        else if (format & DT_RIGHT) x = right - w;
        if (d->s.bkMode == OPAQUE) p->fillRect(QRect(x, y, w, lineHeight), ToQColor(d->s.bkColor));
        p->setPen(ToQColor(d->s.textColor));
        p->drawText(QPoint(x, y + fm.ascent()), line.text);
        if (line.underline >= 0 && line.underline < line.text.size()) {
            const int ux = x + fm.horizontalAdvance(line.text.left(line.underline));
            const int uw = fm.horizontalAdvance(line.text.mid(line.underline, 1));
            p->fillRect(QRect(ux, y + fm.ascent() + 1, uw, 1), ToQColor(d->s.textColor));
        }
        y += lineHeight;
    }
    return result;
}

CSize CDC::GetTextExtent(const char* text, int length) const
{
    const QString s = Decode(text, length);
    const QFontMetrics fm(FontOfDC(*d));
    return CSize(RunWidth(*d, fm, s), fm.height());
}

CSize CDC::GetTextExtent(const std::string& text) const
{
    return GetTextExtent(text.data(), static_cast<int>(std::min<std::size_t>(text.size(), 1u << 30)));
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* metrics) const
{
    if (metrics == nullptr) return FALSE;
    const QFont font = FontOfDC(*d);
    const QFontMetrics fm(font);
    TEXTMETRIC tm{};
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max(0, tm.tmHeight - font.pixelSize());
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmAveCharWidth = fm.horizontalAdvance('x');
    tm.tmMaxCharWidth = fm.maxWidth();
    tm.tmWeight = d->s.font && d->s.font->font.lf.lfWeight != 0 ? d->s.font->font.lf.lfWeight : FW_NORMAL;
    tm.tmDigitizedAspectX = 96;
    tm.tmDigitizedAspectY = 96;
    tm.tmFirstChar = ' ';
    tm.tmLastChar = '~';
    tm.tmDefaultChar = '?';
    tm.tmBreakChar = ' ';
    tm.tmItalic = font.italic() ? 1 : 0;
    tm.tmUnderlined = font.underline() ? 1 : 0;
    tm.tmStruckOut = font.strikeOut() ? 1 : 0;
    // As on Windows, the low bit set means a variable-pitch font.
    tm.tmPitchAndFamily = static_cast<BYTE>((fm.horizontalAdvance('i') != fm.horizontalAdvance('W') ? 1 : 0) | 0x06);
    tm.tmCharSet = d->s.font ? d->s.font->font.lf.lfCharSet : DEFAULT_CHARSET;
    *metrics = tm;
    return TRUE;
}

std::string CDC::CompactPath(const std::string& path, int width) const
{
    const QFontMetrics fm(FontOfDC(*d));
    return PathEllipsis(fm, QString::fromStdString(path), std::max(width, 0)).toStdString();
}

int CDC::GetTextFace(int count, char* face) const
{
    if (!d->s.font) return 0;
    const char* name = d->s.font->font.lf.lfFaceName;
    const int n = static_cast<int>(strnlen(name, LF_FACESIZE));
    if (face == nullptr || count <= 0) return n + 1;
    int m = std::min(n, count - 1);
    while (m > 0 && m < n && (static_cast<unsigned char>(name[m]) & 0xC0) == 0x80) --m;
    std::memcpy(face, name, static_cast<std::size_t>(m));
    face[m] = '\0';
    return m;
}
