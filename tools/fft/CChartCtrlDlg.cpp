#include "tools/fft/CChartCtrlDlg.h"

#include "widgets/chart/ChartStandardAxis.h"

#include <algorithm>

BEGIN_MESSAGE_MAP(CChartCtrlDlg, CDialog)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_GETMINMAXINFO()
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {

// The window's size in dialog units before OnInitDialog sets it in pixels.
constexpr int kTemplateWidth = 300;
constexpr int kTemplateHeight = 180;

class TemplateWriter {
public:
    explicit TemplateWriter(std::uint8_t* data, std::size_t size) : p_(data), size_(size) {}
    void Word(std::uint16_t v)
    {
        if (pos_ + 2 > size_) return;
        p_[pos_++] = static_cast<std::uint8_t>(v & 0xFF);
        p_[pos_++] = static_cast<std::uint8_t>(v >> 8);
    }
    void Dword(std::uint32_t v)
    {
        Word(static_cast<std::uint16_t>(v & 0xFFFF));
        Word(static_cast<std::uint16_t>(v >> 16));
    }

private:
    std::uint8_t* p_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The next code point of UTF-8 text at i; malformed or overlong sequences give U+FFFD and
// skip one byte.
char32_t NextCodePoint(const std::string& s, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    int extra = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (c < 0x80) {
        ++i;
        return c;
    } else if ((c & 0xE0) == 0xC0) {
        extra = 1, cp = c & 0x1F, least = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2, cp = c & 0x0F, least = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3, cp = c & 0x07, least = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char t = byte(i + static_cast<std::size_t>(k));
        if ((t & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

}  // namespace

std::u16string CChartCtrlDlg::TemplateCaption(const std::string& caption)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < caption.size()) {
        const char32_t cp = NextCodePoint(caption, i);
        if (cp >= 0x10000) {
            if (out.size() + 2 > kCaptionLimit) break;
            const char32_t v = cp - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            if (out.size() + 1 > kCaptionLimit) break;
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

CChartCtrlDlg::CChartCtrlDlg(const std::string& caption, CWnd* parent)
{
    m_pParentWnd = parent;
    // The buffer is zero-filled, so the caption's terminator and the empty menu and class
    // fields need no writing.
    TemplateWriter w(template_.data(), template_.size());
    w.Dword(kTemplateStyle);
    w.Dword(0);  // extended style
    w.Word(0);   // no controls: the chart is made in OnInitDialog
    w.Word(0);   // x
    w.Word(0);   // y
    w.Word(kTemplateWidth);
    w.Word(kTemplateHeight);
    w.Word(0);  // menu
    w.Word(0);  // window class
    for (const char16_t c : TemplateCaption(caption)) w.Word(static_cast<std::uint16_t>(c));
    w.Word(0);
    // Made now, hidden, so that the caller can reach the chart and its axes before running it.
    CreateIndirect(template_.data(), template_.size(), parent);
}

CChartCtrlDlg::~CChartCtrlDlg()
{
    if (m_hWnd != nullptr) DestroyWindow();
}

INT_PTR CChartCtrlDlg::DoModal()
{
    if (m_hWnd == nullptr) return -1;
    const INT_PTR result = RunModalLoop();
    DestroyWindow();
    return result;
}

void CChartCtrlDlg::OnOK()
{
    EndModalLoop(IDOK);
    CDialog::OnOK();
}

void CChartCtrlDlg::OnCancel()
{
    EndModalLoop(IDCANCEL);
    CDialog::OnCancel();
}

BOOL CChartCtrlDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CRect client;
    GetClientRect(&client);
    chart_.Create("ChartCtrl", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, client, this, IDC_CHART);
    SetWindowPos(nullptr, 0, 0, kMinWidth, kMinHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    chart_.SetEdgeType(0);
    auto* bottom = new CChartStandardAxis();
    chart_.AttachAxis(CChartCtrl::BottomAxis, bottom);
    bottom->SetAutomatic(true);
    auto* left = new CChartStandardAxis();
    chart_.AttachAxis(CChartCtrl::LeftAxis, left);
    left->SetAutomatic(true);
    FitChart();
    return TRUE;
}

void CChartCtrlDlg::OnWindowPosChanging(WINDOWPOS* pos)
{
    CDialog::OnWindowPosChanging(pos);
    if ((pos->flags & SWP_NOSIZE) != 0) return;
    pos->cx = std::max(pos->cx, kMinWidth);
    pos->cy = std::max(pos->cy, kMinHeight);
}

// The window manager is told the minimum too, so that it refuses smaller frames.
void CChartCtrlDlg::OnGetMinMaxInfo(MINMAXINFO* info)
{
    CDialog::OnGetMinMaxInfo(info);
    info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
}

// The chart is sized once the new frame has taken effect.
void CChartCtrlDlg::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    FitChart();
}

// The chart fills the client area: the frame and caption the window system draws around it
// differ from one desktop to the next, so they are not guessed from the window's size.
void CChartCtrlDlg::FitChart()
{
    if (chart_.m_hWnd == nullptr) return;
    CRect client;
    GetClientRect(&client);
    chart_.MoveWindow(0, 0, client.Width(), client.Height());
}
