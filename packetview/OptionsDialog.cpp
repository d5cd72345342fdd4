#include "packetview/OptionsDialog.h"

#include "platform/ui/PaintDC.h"

#include <algorithm>
#include <array>
#include <utility>

BEGIN_MESSAGE_MAP(CPacketFieldsDialog, CDialog)
    ON_WM_VSCROLL()
END_MESSAGE_MAP()

namespace {

const char* const kPaneClass = "PacketRowsPane";

DialogTemplate FieldsTemplate(int type)
{
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.rect = CRect(0, 0, 20, 70);
    // The whole type name: a caption cut short would hide which packet this is.
    t.caption = GetPacketCaption(type);
    return t;
}

void RegisterPaneClass()
{
    WNDCLASS wc;
    wc.lpszClassName = kPaneClass;
    AfxRegisterClass(&wc);
}

} // namespace

CPacketFieldsDialog::CPacketFieldsDialog(int type, std::uint8_t* payload, std::size_t available, CWnd* parent)
    : type_(type), payload_(payload), available_(payload != nullptr ? available : 0)
{
    InitModalIndirect(FieldsTemplate(type), parent);
}

CPacketFieldsDialog::~CPacketFieldsDialog() = default;

CEdit* CPacketFieldsDialog::GetRowEdit(int r)
{
    return r >= 0 && r < GetRowCount() ? edits_[static_cast<std::size_t>(r)].get() : nullptr;
}

CStatic* CPacketFieldsDialog::GetRowLabel(int r)
{
    return r >= 0 && r < GetRowCount() ? labels_[static_cast<std::size_t>(r)].get() : nullptr;
}

BOOL CPacketFieldsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    rows_ = BuildPacketRows(type_, payload_, available_);

    font_.CreatePointFont(80, "MS Shell Dlg");
    int labelWidth = 0;
    int commentWidth = 0;
    {
        CClientDC dc(this);
        CFont* old = dc.SelectObject(&font_);
        TEXTMETRIC tm{};
        dc.GetTextMetrics(&tm);
        for (const PacketRow& row : rows_)
        {
            labelWidth = std::max(labelWidth, static_cast<int>(dc.GetTextExtent(row.label).cx));
            commentWidth = std::max(commentWidth, static_cast<int>(dc.GetTextExtent(row.comment).cx));
        }
        labelWidth += tm.tmAveCharWidth;
        commentWidth += tm.tmAveCharWidth;
        dc.SelectObject(old);
    }

    const int rowCount = static_cast<int>(rows_.size());
    const int rowsHeight = kRowHeight * rowCount;
    int width = labelWidth + commentWidth + 166;
    int height = rowsHeight + 74;

    // No taller than the screen: the rows then scroll, and the scroll bar takes its width.
    CRect screen;
    GetDesktopWindow()->GetWindowRect(&screen);
    const int maxHeight = std::max(200, static_cast<int>(screen.Height()) - 40);
    const bool scrolling = height > maxHeight;
    if (scrolling)
    {
        height = maxHeight;
        width += GetSystemMetrics(SM_CXVSCROLL);
    }
    SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);

    CRect client;
    GetClientRect(&client);
    if (scrolling)
        CreateScrollingArea(client, rowsHeight);
    CWnd* rowParent = scrolling ? pane_.get() : this;

    // Rows keep the dialog's inset of 10 pixels inside whichever window holds them.
    const int left = 10;
    const int top = 10;
    labels_.reserve(rows_.size());
    edits_.reserve(rows_.size());
    comments_.reserve(rows_.size());
    for (int k = 1; k <= rowCount; ++k)
    {
        const PacketRow& row = rows_[static_cast<std::size_t>(k - 1)];
        const int rowTop = top + kRowHeight * k;

        auto label = std::make_unique<CStatic>();
        label->Create(row.label.c_str(), WS_CHILD | WS_VISIBLE,
                      CRect(left, rowTop - 20, left + labelWidth, rowTop - 5), rowParent);
        label->SetFont(&font_, FALSE);

        auto edit = std::make_unique<CEdit>();
        edit->CreateEx(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, "EDIT", row.text.c_str(),
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                       CRect(left + labelWidth, rowTop - 22, left + labelWidth + kEditWidth, rowTop - 4), rowParent,
                       static_cast<UINT>(row.id));
        edit->SetFont(&font_, FALSE);

        auto comment = std::make_unique<CStatic>();
        const int commentLeft = left + labelWidth + kEditWidth;
        comment->Create(row.comment.c_str(), WS_CHILD | WS_VISIBLE,
                        CRect(commentLeft, rowTop - 20, commentLeft + commentWidth, rowTop - 5), rowParent);
        comment->SetFont(&font_, FALSE);

        labels_.push_back(std::move(label));
        edits_.push_back(std::move(edit));
        comments_.push_back(std::move(comment));
    }

    ok_.Create("OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
               CRect(client.left + 10, client.bottom - 32, client.left + 80, client.bottom - 10), this, IDOK);
    cancel_.Create("Отмена", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                   CRect(client.right - 80, client.bottom - 32, client.right - 10, client.bottom - 10), this, IDCANCEL);
    ok_.SetFont(&font_, FALSE);
    cancel_.SetFont(&font_, FALSE);

    SetForegroundWindow();
    return TRUE;
}

void CPacketFieldsDialog::CreateScrollingArea(const CRect& client, int rowsHeight)
{
    RegisterPaneClass();
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    // The buttons keep the bottom 42 pixels; the rows get the rest.
    viewHeight_ = std::max(kRowHeight, static_cast<int>(client.Height()) - 42);
    const int viewWidth = std::max(1, static_cast<int>(client.Width()) - barWidth);
    paneHeight_ = rowsHeight + 20;

    view_ = std::make_unique<CWnd>();
    view_->Create(kPaneClass, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, viewWidth, viewHeight_), this, 0xFFFF);
    pane_ = std::make_unique<CWnd>();
    pane_->Create(kPaneClass, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, viewWidth, paneHeight_), view_.get(), 0xFFFF);

    scrollBar_.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(viewWidth, 0, viewWidth + barWidth, viewHeight_), this,
                      0xFFFF);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = paneHeight_ - 1;
    info.nPage = static_cast<UINT>(viewHeight_);
    info.nPos = 0;
    scrollBar_.SetScrollInfo(&info);
    scrollPos_ = 0;
}

void CPacketFieldsDialog::ScrollTo(int position)
{
    if (pane_ == nullptr)
        return;
    position = std::clamp(position, 0, std::max(0, paneHeight_ - viewHeight_));
    if (position == scrollPos_)
        return;
    scrollPos_ = position;
    scrollBar_.SetScrollPos(position);
    CRect pane;
    pane_->GetClientRect(&pane);
    pane_->MoveWindow(0, -position, pane.Width(), paneHeight_);
}

void CPacketFieldsDialog::OnVScroll(UINT code, UINT, CScrollBar* bar)
{
    if (pane_ == nullptr || bar == nullptr || bar->m_hWnd != scrollBar_.m_hWnd)
        return;
    switch (code)
    {
    case SB_LINEUP: ScrollTo(scrollPos_ - kRowHeight); break;
    case SB_LINEDOWN: ScrollTo(scrollPos_ + kRowHeight); break;
    case SB_PAGEUP: ScrollTo(scrollPos_ - viewHeight_); break;
    case SB_PAGEDOWN: ScrollTo(scrollPos_ + viewHeight_); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(paneHeight_); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
    {
        // The full 32-bit position: the pane is taller than a 16-bit position can say.
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        scrollBar_.GetScrollInfo(&info, SIF_TRACKPOS);
        ScrollTo(info.nTrackPos);
        break;
    }
    default: break;
    }
}

void CPacketFieldsDialog::KeepFocusVisible()
{
    CWnd* focus = GetFocus();
    if (pane_ == nullptr || focus == nullptr)
        return;
    for (std::size_t r = 0; r < edits_.size(); ++r)
    {
        if (edits_[r]->m_hWnd != focus->m_hWnd)
            continue;
        const int rowTop = 10 + kRowHeight * static_cast<int>(r);
        if (rowTop < scrollPos_)
            ScrollTo(rowTop - 10);
        else if (rowTop + kRowHeight > scrollPos_ + viewHeight_)
            ScrollTo(rowTop + kRowHeight + 10 - viewHeight_);
        return;
    }
}

BOOL CPacketFieldsDialog::PreTranslateMessage(MSG* msg)
{
    if (msg != nullptr && pane_ != nullptr)
    {
        const bool mine = msg->hwnd == m_hWnd || IsChild(CWnd::FromHandle(msg->hwnd));
        if (mine && msg->message == WM_MOUSEWHEEL)
        {
            const int delta = GET_WHEEL_DELTA_WPARAM(msg->wParam);
            ScrollTo(scrollPos_ - delta / 120 * 3 * kRowHeight);
            return TRUE;
        }
        // Tabbing into a row below or above the visible ones brings it into view.
        if (mine && msg->message == WM_KEYUP && msg->wParam == VK_TAB)
            KeepFocusVisible();
    }
    return CDialog::PreTranslateMessage(msg);
}

void CPacketFieldsDialog::OnOK()
{
    std::vector<CString> texts;
    texts.reserve(edits_.size());
    for (const auto& edit : edits_)
    {
        CString text;
        edit->GetWindowText(text);
        texts.push_back(std::move(text));
    }
    // A text that does not parse leaves its element as it was.
    ApplyPacketRows(type_, payload_, available_, texts);
    EndDialog(IDOK);
}

namespace {

using ShowFunction = void (*)(std::uint8_t*, std::size_t);

template <int N>
void ShowMember(std::uint8_t* payload, std::size_t available)
{
    COptionsDialog<PacketDataStructure<N>, Converter> dialog(payload, available);
    dialog.DoModal();
}

template <std::size_t... N>
constexpr std::array<ShowFunction, sizeof...(N)> MakeShowTable(std::index_sequence<N...>)
{
    return {{&ShowMember<static_cast<int>(N)>...}};
}

constexpr auto kShowTable = MakeShowTable(std::make_index_sequence<PACKET_DATA_TYPE_COUNT>());

} // namespace

void ShowPacketDialog(std::uint8_t* payload, int type, std::size_t available)
{
    if (payload == nullptr || !HasPacketDialog(type))
        return;
    kShowTable[static_cast<std::size_t>(type)](payload, available);
}
