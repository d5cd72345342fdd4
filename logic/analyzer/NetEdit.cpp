#include "logic/analyzer/NetEdit.h"

#include "app/main/VelkaroDlg.h"
#include "widgets/reportlist/ReportCtrl.h"

BEGIN_MESSAGE_MAP(CNetEdit, CEditReportItem)
    ON_CONTROL_REFLECT(EN_CHANGE, &CNetEdit::OnTextChange)
END_MESSAGE_MAP()

const CNetEdit::Net* CNetEdit::EditedNet() const
{
    const int row = EditRow();
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
    if (list_ != nullptr && row >= list_->GetItemCount()) return nullptr;
    return &rows_[static_cast<std::size_t>(row)];
}

void CNetEdit::Rename(const std::string& name, const Net& net)
{
    if (MainDialog != nullptr) MainDialog->SetNetName(name, net.channel, net.line);
}

void CNetEdit::OnBeginEdit()
{
    const Net* net = EditedNet();
    if (net == nullptr || MainDialog == nullptr) return;
    text_ = MainDialog->GetNetName(net->channel, net->line);
    original_ = text_;
}

void CNetEdit::OnEndEdit(bool commit)
{
    const Net* net = EditedNet();
    if (net == nullptr) return;
    if (commit) {
        if (m_hWnd != nullptr) {
            CString shown;
            GetWindowText(shown);
            text_ = shown;
        }
        Rename(text_, *net);
    } else {
        // The keystrokes renamed the net already; the list keeps the old text, so must the net.
        text_ = original_;
        Rename(original_, *net);
    }
}

void CNetEdit::OnTextChange()
{
    if (!IsEditingCell()) return;
    const Net* net = EditedNet();
    if (net == nullptr) return;
    CString shown;
    GetWindowText(shown);
    text_ = shown;
    Rename(text_, *net);
}
