#include "platform/ui/DialogTemplate.h"

#include "platform/gdi/GdiInternal.h"
#include "platform/ui/WndImpl.h"

#include <QFontMetrics>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

namespace {

const std::unordered_map<std::string, DWORD>& StyleNames()
{
    static const std::unordered_map<std::string, DWORD> names = {
        {"WS_OVERLAPPED", WS_OVERLAPPED}, {"WS_POPUP", WS_POPUP}, {"WS_CHILD", WS_CHILD},
        {"WS_MINIMIZE", WS_MINIMIZE}, {"WS_VISIBLE", WS_VISIBLE}, {"WS_DISABLED", WS_DISABLED},
        {"WS_CLIPSIBLINGS", WS_CLIPSIBLINGS}, {"WS_CLIPCHILDREN", WS_CLIPCHILDREN}, {"WS_MAXIMIZE", WS_MAXIMIZE},
        {"WS_CAPTION", WS_CAPTION}, {"WS_BORDER", WS_BORDER}, {"WS_DLGFRAME", WS_DLGFRAME},
        {"WS_VSCROLL", WS_VSCROLL}, {"WS_HSCROLL", WS_HSCROLL}, {"WS_SYSMENU", WS_SYSMENU},
        {"WS_THICKFRAME", WS_THICKFRAME}, {"WS_GROUP", WS_GROUP}, {"WS_TABSTOP", WS_TABSTOP},
        {"WS_MINIMIZEBOX", WS_MINIMIZEBOX}, {"WS_MAXIMIZEBOX", WS_MAXIMIZEBOX},
        {"WS_OVERLAPPEDWINDOW", WS_OVERLAPPEDWINDOW},
        {"WS_EX_DLGMODALFRAME", WS_EX_DLGMODALFRAME}, {"WS_EX_NOPARENTNOTIFY", WS_EX_NOPARENTNOTIFY},
        {"WS_EX_TOPMOST", WS_EX_TOPMOST}, {"WS_EX_TOOLWINDOW", WS_EX_TOOLWINDOW},
        {"WS_EX_CLIENTEDGE", WS_EX_CLIENTEDGE}, {"WS_EX_STATICEDGE", WS_EX_STATICEDGE},
        {"WS_EX_NOACTIVATE", WS_EX_NOACTIVATE},
        {"DS_SETFONT", DS_SETFONT}, {"DS_MODALFRAME", DS_MODALFRAME}, {"DS_FIXEDSYS", DS_FIXEDSYS},
        {"DS_CENTER", DS_CENTER}, {"DS_SHELLFONT", DS_SETFONT | DS_FIXEDSYS},
        {"BS_PUSHBUTTON", BS_PUSHBUTTON}, {"BS_DEFPUSHBUTTON", BS_DEFPUSHBUTTON}, {"BS_CHECKBOX", BS_CHECKBOX},
        {"BS_AUTOCHECKBOX", BS_AUTOCHECKBOX}, {"BS_RADIOBUTTON", BS_RADIOBUTTON}, {"BS_3STATE", BS_3STATE},
        {"BS_AUTO3STATE", BS_AUTO3STATE}, {"BS_GROUPBOX", BS_GROUPBOX}, {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON},
        {"BS_ICON", BS_ICON}, {"BS_BITMAP", BS_BITMAP}, {"BS_MULTILINE", BS_MULTILINE}, {"BS_PUSHLIKE", BS_PUSHLIKE},
        {"SS_LEFT", SS_LEFT}, {"SS_CENTER", SS_CENTER}, {"SS_RIGHT", SS_RIGHT}, {"SS_ICON", SS_ICON},
        {"SS_NOTIFY", SS_NOTIFY}, {"SS_CENTERIMAGE", SS_CENTERIMAGE}, {"SS_SUNKEN", SS_SUNKEN},
        {"ES_LEFT", ES_LEFT}, {"ES_CENTER", ES_CENTER}, {"ES_RIGHT", ES_RIGHT}, {"ES_MULTILINE", ES_MULTILINE},
        {"ES_UPPERCASE", ES_UPPERCASE}, {"ES_PASSWORD", ES_PASSWORD}, {"ES_AUTOVSCROLL", ES_AUTOVSCROLL},
        {"ES_AUTOHSCROLL", ES_AUTOHSCROLL}, {"ES_READONLY", ES_READONLY}, {"ES_WANTRETURN", ES_WANTRETURN},
        {"ES_NUMBER", ES_NUMBER},
        {"LBS_NOTIFY", LBS_NOTIFY}, {"LBS_SORT", LBS_SORT}, {"LBS_NOINTEGRALHEIGHT", LBS_NOINTEGRALHEIGHT},
        {"LBS_DISABLENOSCROLL", LBS_DISABLENOSCROLL},
        {"CBS_SIMPLE", CBS_SIMPLE}, {"CBS_DROPDOWN", CBS_DROPDOWN}, {"CBS_DROPDOWNLIST", CBS_DROPDOWNLIST},
        {"CBS_SORT", CBS_SORT},
        {"TVS_HASBUTTONS", TVS_HASBUTTONS}, {"TVS_HASLINES", TVS_HASLINES}, {"TVS_LINESATROOT", TVS_LINESATROOT},
        {"TVS_SHOWSELALWAYS", TVS_SHOWSELALWAYS},
        {"UDS_WRAP", UDS_WRAP}, {"UDS_SETBUDDYINT", UDS_SETBUDDYINT}, {"UDS_ALIGNRIGHT", UDS_ALIGNRIGHT},
        {"UDS_ALIGNLEFT", UDS_ALIGNLEFT}, {"UDS_AUTOBUDDY", UDS_AUTOBUDDY}, {"UDS_ARROWKEYS", UDS_ARROWKEYS},
        {"UDS_HORZ", UDS_HORZ},
        {"PBS_SMOOTH", PBS_SMOOTH}, {"PBS_VERTICAL", PBS_VERTICAL},
        {"SBS_HORZ", SBS_HORZ}, {"SBS_VERT", SBS_VERT}, {"SBS_TOPALIGN", SBS_TOPALIGN}, {"SBS_LEFTALIGN", SBS_LEFTALIGN},
        {"SBS_BOTTOMALIGN", SBS_BOTTOMALIGN}, {"SBS_RIGHTALIGN", SBS_RIGHTALIGN},
        {"LVS_REPORT", LVS_REPORT}, {"LVS_SINGLESEL", LVS_SINGLESEL}, {"LVS_SHOWSELALWAYS", LVS_SHOWSELALWAYS},
        {"LVS_ALIGNLEFT", LVS_ALIGNLEFT}, {"LVS_NOCOLUMNHEADER", LVS_NOCOLUMNHEADER}, {"LVS_NOSORTHEADER", LVS_NOSORTHEADER},
        {"LVS_EDITLABELS", LVS_EDITLABELS}, {"LVS_OWNERDRAWFIXED", LVS_OWNERDRAWFIXED},
        {"TCS_BOTTOM", TCS_BOTTOM}, {"TCS_RIGHT", TCS_RIGHT}, {"TCS_VERTICAL", TCS_VERTICAL}, {"TCS_MULTILINE", TCS_MULTILINE},
        {"LBS_STANDARD", LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER},
    };
    return names;
}

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits one line into tokens; '|' is a token of its own. False on an unterminated string.
bool Tokenize(const std::string& line, std::vector<Token>& out, std::string& error)
{
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        if (c == '|') {
            out.push_back({"|", false});
            ++i;
            continue;
        }
        if (c == '"') {
            std::string s;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i < line.size()) {
                    const char e = line[i++];
                    d = e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                }
                s += d;
            }
            if (!closed) {
                error = "unterminated string";
                return false;
            }
            out.push_back({s, true});
            continue;
        }
        std::string s;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '|' && line[i] != '"' && line[i] != '\r' && line[i] != '#')
            s += line[i++];
        out.push_back({s, false});
    }
    return true;
}

bool ParseNumber(const std::string& s, long long& value)
{
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(s.c_str(), &end, 0);
    return errno == 0 && end != nullptr && *end == '\0';
}

bool ParseInt(const std::string& s, int& value)
{
    long long v = 0;
    if (!ParseNumber(s, v) || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseId(const std::string& s, int& id)
{
    if (s == "IDOK") id = IDOK;
    else if (s == "IDCANCEL") id = IDCANCEL;
    else if (s == "IDYES") id = IDYES;
    else if (s == "IDNO") id = IDNO;
    else if (s == "IDC_STATIC") id = 0xFFFF;
    else {
        long long v = 0;
        if (!ParseNumber(s, v) || v < -1 || v > 0xFFFF) return false;
        id = v == -1 ? 0xFFFF : static_cast<int>(v);
    }
    return true;
}

// Parses "A | B | NOT C" starting at tokens[pos]; stops before the first token that is
// neither a style nor '|' nor NOT (the rectangle's numbers follow a style expression, so a
// plain number is a style only right after '|' or at the very start).
bool ParseStyle(const std::vector<Token>& t, std::size_t& pos, std::size_t stopBefore, DWORD initial, DWORD& style, std::string& error)
{
    style = initial;
    bool expectTerm = true;
    while (pos < stopBefore) {
        const Token& tok = t[pos];
        if (tok.quoted) break;
        if (tok.text == "|") {
            expectTerm = true;
            ++pos;
            continue;
        }
        if (!expectTerm) break;
        bool remove = false;
        std::string name = tok.text;
        if (name == "NOT") {
            if (pos + 1 >= stopBefore) {
                error = "NOT without a style";
                return false;
            }
            remove = true;
            name = t[++pos].text;
        }
        DWORD bits = 0;
        auto it = StyleNames().find(name);
        if (it != StyleNames().end()) bits = it->second;
        else {
            long long v = 0;
            if (!ParseNumber(name, v) || v < 0 || v > 0xFFFFFFFFLL) {
                error = "unknown style '" + name + "'";
                return false;
            }
            bits = static_cast<DWORD>(v);
        }
        style = remove ? (style & ~bits) : (style | bits);
        expectTerm = false;
        ++pos;
    }
    return true;
}

std::map<UINT, DialogTemplate>& Templates()
{
    static auto* table = new std::map<UINT, DialogTemplate>();
    return *table;
}

std::map<UINT, std::string>& Strings()
{
    static auto* table = new std::map<UINT, std::string>();
    return *table;
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplateText(const std::string& text, std::string* errorOut)
{
    DialogTemplate t;
    bool haveId = false;
    bool haveSize = false;
    int lineNo = 0;
    std::size_t start = 0;
    auto fail = [&](const std::string& message) -> std::optional<DialogTemplate> {
        if (errorOut != nullptr) *errorOut = "line " + std::to_string(lineNo) + ": " + message;
        return std::nullopt;
    };
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        std::vector<Token> tok;
        std::string error;
        if (!Tokenize(line, tok, error)) return fail(error);
        if (tok.empty()) continue;
        const std::string& key = tok[0].text;
        const std::size_t n = tok.size();
        if (key == "DIALOG") {
            int id = 0;
            if (n != 2 || !ParseInt(tok[1].text, id) || id < 0) return fail("DIALOG needs one id");
            t.id = static_cast<UINT>(id);
            haveId = true;
        } else if (key == "CAPTION") {
            if (n != 2 || !tok[1].quoted) return fail("CAPTION needs one quoted text");
            t.caption = tok[1].text;
        } else if (key == "STYLE" || key == "EXSTYLE") {
            std::size_t pos = 1;
            DWORD style = 0;
            if (!ParseStyle(tok, pos, n, 0, style, error)) return fail(error);
            if (pos != n) return fail("unexpected '" + tok[pos].text + "'");
            (key == "STYLE" ? t.style : t.exStyle) = style;
        } else if (key == "SIZE" || key == "POSITION") {
            int a = 0;
            int b = 0;
            if (n != 3 || !ParseInt(tok[1].text, a) || !ParseInt(tok[2].text, b) || a < 0 || b < 0 || a > 4000 || b > 4000)
                return fail(key + " needs two numbers from 0 to 4000");
            if (key == "SIZE") {
                t.rect.right = t.rect.left + a;
                t.rect.bottom = t.rect.top + b;
                haveSize = true;
            } else {
                t.rect.MoveToXY(a, b);
            }
        } else if (key == "FONT") {
            int points = 0;
            if (n != 3 || !ParseInt(tok[1].text, points) || points <= 0 || points > 72 || !tok[2].quoted)
                return fail("FONT needs a point size and a quoted face");
            t.fontPoints = points;
            t.fontFace = tok[2].text;
        } else if (key == "CONTROL" || key == "CONTROLEX") {
            // class id "text" style... x y cx cy   (CONTROLEX: style... exstyle... x y cx cy)
            if (n < 9) return fail("CONTROL needs class, id, text, style and four numbers");
            DialogItemTemplate item;
            item.className = tok[1].text;
            if (!ParseId(tok[2].text, item.id)) return fail("bad control id '" + tok[2].text + "'");
            if (!tok[3].quoted) return fail("control text must be quoted");
            item.text = tok[3].text;
            int r[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4; ++k)
                if (!ParseInt(tok[n - 4 + static_cast<std::size_t>(k)].text, r[k]) || r[k] < -4000 || r[k] > 4000)
                    return fail("bad control rectangle");
            if (r[2] < 0 || r[3] < 0) return fail("negative control size");
            std::size_t pos = 4;
            if (!ParseStyle(tok, pos, n - 4, WS_CHILD | WS_VISIBLE, item.style, error)) return fail(error);
            if (key == "CONTROLEX") {
                if (!ParseStyle(tok, pos, n - 4, 0, item.exStyle, error)) return fail(error);
            }
            if (pos != n - 4) return fail("unexpected '" + tok[pos].text + "'");
            item.rect = CRect(r[0], r[1], r[0] + r[2], r[1] + r[3]);
            t.items.push_back(std::move(item));
        } else {
            return fail("unknown statement '" + key + "'");
        }
    }
    if (!haveId) return fail("no DIALOG statement");
    if (!haveSize) return fail("no SIZE statement");
    return t;
}

namespace {

// Reads the binary layout with every read checked against the end.
class BinaryReader {
public:
    BinaryReader(const void* data, std::size_t size) : p_(static_cast<const unsigned char*>(data)), size_(size) {}
    bool Word(WORD& v)
    {
        if (pos_ + 2 > size_) return false;
        v = static_cast<WORD>(p_[pos_] | (p_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool Dword(DWORD& v)
    {
        WORD lo = 0;
        WORD hi = 0;
        if (!Word(lo) || !Word(hi)) return false;
        v = static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16);
        return true;
    }
    bool Short(int& v)
    {
        WORD w = 0;
        if (!Word(w)) return false;
        v = static_cast<short>(w);
        return true;
    }
    // A zero-terminated UTF-16 string, converted to UTF-8.
    bool String(std::string& out)
    {
        std::u16string s;
        for (;;) {
            WORD c = 0;
            if (!Word(c)) return false;
            if (c == 0) break;
            s += static_cast<char16_t>(c);
        }
        out = QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())).toStdString();
        return true;
    }
    // Menu or class: 0 (none), 0xFFFF + ordinal, or a string.
    bool SzOrOrd(std::string& text, int& ordinal)
    {
        WORD first = 0;
        ordinal = -1;
        text.clear();
        if (!Word(first)) return false;
        if (first == 0) return true;
        if (first == 0xFFFF) {
            WORD ord = 0;
            if (!Word(ord)) return false;
            ordinal = ord;
            return true;
        }
        pos_ -= 2;
        return String(text);
    }
    void AlignDword() { pos_ = (pos_ + 3) & ~std::size_t(3); }

private:
    const unsigned char* p_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplateBinary(const void* data, std::size_t size)
{
    if (data == nullptr) return std::nullopt;
    BinaryReader in(data, size);
    DialogTemplate t;
    WORD count = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    if (!in.Dword(t.style) || !in.Dword(t.exStyle) || !in.Word(count) || !in.Short(x) || !in.Short(y) || !in.Short(cx) ||
        !in.Short(cy))
        return std::nullopt;
    t.rect = CRect(x, y, x + cx, y + cy);
    std::string menu;
    std::string cls;
    int ordinal = 0;
    if (!in.SzOrOrd(menu, ordinal) || !in.SzOrOrd(cls, ordinal) || !in.String(t.caption)) return std::nullopt;
    if ((t.style & DS_SETFONT) != 0) {
        WORD points = 0;
        if (!in.Word(points) || !in.String(t.fontFace)) return std::nullopt;
        t.fontPoints = points;
    }
    for (WORD k = 0; k < count; ++k) {
        in.AlignDword();
        DialogItemTemplate item;
        WORD id = 0;
        if (!in.Dword(item.style) || !in.Dword(item.exStyle) || !in.Short(x) || !in.Short(y) || !in.Short(cx) ||
            !in.Short(cy) || !in.Word(id))
            return std::nullopt;
        item.id = id;
        item.rect = CRect(x, y, x + cx, y + cy);
        if (!in.SzOrOrd(item.className, ordinal)) return std::nullopt;
        switch (ordinal) {
        case 0x80: item.className = "Button"; break;
        case 0x81: item.className = "Edit"; break;
        case 0x82: item.className = "Static"; break;
        case 0x83: item.className = "ListBox"; break;
        case 0x84: item.className = "ScrollBar"; break;
        case 0x85: item.className = "ComboBox"; break;
        default: break;
        }
        int titleOrdinal = 0;
        WORD extra = 0;
        if (!in.SzOrOrd(item.text, titleOrdinal) || !in.Word(extra)) return std::nullopt;
        for (WORD e = 0; e < (extra + 1) / 2; ++e) {
            WORD skip = 0;
            if (!in.Word(skip)) return std::nullopt;
        }
        t.items.push_back(std::move(item));
    }
    return t;
}

void RegisterDialogTemplate(const DialogTemplate& dialogTemplate) { Templates()[dialogTemplate.id] = dialogTemplate; }

bool RegisterDialogTemplateText(const char* text)
{
    std::string error;
    auto t = ParseDialogTemplateText(text != nullptr ? text : "", &error);
    if (!t) {
        std::fprintf(stderr, "dialog template: %s\n", error.c_str());
        return false;
    }
    RegisterDialogTemplate(*t);
    return true;
}

const DialogTemplate* FindDialogTemplate(UINT id)
{
    auto it = Templates().find(id);
    return it == Templates().end() ? nullptr : &it->second;
}

void RegisterString(UINT id, const char* text) { Strings()[id] = text != nullptr ? text : ""; }

bool RegisterStringTableText(const char* text, std::string* errorOut)
{
    const std::string all = text != nullptr ? text : "";
    std::vector<std::pair<UINT, std::string>> entries;
    std::size_t start = 0;
    int lineNo = 0;
    while (start <= all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos) end = all.size();
        const std::string line = all.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        std::vector<Token> tok;
        std::string error;
        int id = 0;
        if (!Tokenize(line, tok, error) || (!tok.empty() && (tok.size() != 2 || !ParseInt(tok[0].text, id) || id < 0 || !tok[1].quoted))) {
            const std::string message = "line " + std::to_string(lineNo) + ": " + (error.empty() ? "expected: id \"text\"" : error);
            if (errorOut != nullptr) *errorOut = message;
            std::fprintf(stderr, "string table: %s\n", message.c_str());
            return false;
        }
        if (!tok.empty()) entries.emplace_back(static_cast<UINT>(id), tok[1].text);
    }
    for (auto& [id, s] : entries) Strings()[id] = s;
    return true;
}

BOOL AfxLoadString(UINT id, CString& text)
{
    auto it = Strings().find(id);
    if (it == Strings().end()) {
        text.Empty();
        return FALSE;
    }
    text = CString(it->second);
    return TRUE;
}

namespace uiimpl {
QFont TemplateFont(const std::string& face, int points)
{
    QString lower = QString::fromStdString(face).toLower();
    if (lower == QLatin1String("ms shell dlg") || lower == QLatin1String("ms shell dlg 2")) {
        QFont f = DialogFont();
        f.setPixelSize((points * 96 + 36) / 72);
        return f;
    }
    QFont f(gdi::MapFaceName(QString::fromStdString(face)));
    f.setPixelSize((points * 96 + 36) / 72);
    return f;
}
}  // namespace uiimpl

CSize GetDialogBaseUnits(const std::string& face, int points)
{
    const QFontMetrics fm(uiimpl::TemplateFont(face, points));
    const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return CSize((width / 26 + 1) / 2, fm.height());
}

CRect DialogUnitsToPixels(const CRect& dlu, CSize base)
{
    return CRect(MulDiv(dlu.left, base.cx, 4), MulDiv(dlu.top, base.cy, 8), MulDiv(dlu.right, base.cx, 4),
                 MulDiv(dlu.bottom, base.cy, 8));
}
