// The chart on paper and in image files. Both lay the chart out anew for their own surface and
// redraw the screen image afterwards, so the window is left as it was.

#include "widgets/chart/ChartCtrl.h"

#include "platform/ui/PrintDialog.h"

#include <algorithm>
#include <memory>

namespace {

// Screen resolution assumed when the chart has not drawn on screen yet.
constexpr int kScreenDpi = 96;
// Largest image side SaveImage makes (the widest coordinate a drawing call keeps exactly).
constexpr int kMaxImageSide = 32767;

}  // namespace

bool CChartCtrl::Print(const std::string& title, CPrintDialog* printDialog)
{
    std::unique_ptr<CPrintDialog> own;
    CPrintDialog* dialog = printDialog;
    if (dialog == nullptr) {
        own = std::make_unique<CPrintDialog>(FALSE,
                                             PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS |
                                                 PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                                             this);
        if (own->DoModal() != IDOK) return false;
        dialog = own.get();
    }
    CDC* dc = CDC::FromHandle(dialog->GetPrinterDC());
    if (dc == nullptr || dc->StartDoc(title.c_str()) <= 0) {
        Redraw();
        return false;
    }
    CPrintInfo info;
    info.m_rectDraw = CRect(0, 0, dc->GetDeviceCaps(HORZRES), dc->GetDeviceCaps(VERTRES));
    BeginPrinting(dc, &info);
    bool refused = false;
    for (info.m_nCurPage = info.GetMinPage(); info.m_nCurPage <= info.GetMaxPage() && info.m_bContinuePrinting;
         ++info.m_nCurPage) {
        if (dc->StartPage() <= 0) {
            refused = true;
            break;
        }
        PrintPage(dc, &info);
        if (dc->EndPage() <= 0) {
            refused = true;
            break;
        }
    }
    EndPrinting(dc, &info);
    if (refused) {
        dc->AbortDoc();
        return false;
    }
    return dc->EndDoc() > 0;
}

void CChartCtrl::BeginPrinting(CDC* dc, CPrintInfo* info)
{
    m_PrinterFont.DeleteObject();
    m_PrinterFont.CreateFont(-10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
    m_PaperSize = CSize(dc->GetDeviceCaps(HORZRES), dc->GetDeviceCaps(VERTRES));
    const int screenX = m_bMemoryDCReady ? m_BackgroundDC.GetDeviceCaps(LOGPIXELSX) : kScreenDpi;
    const int screenY = m_bMemoryDCReady ? m_BackgroundDC.GetDeviceCaps(LOGPIXELSY) : kScreenDpi;
    const long long printerX = std::max(dc->GetDeviceCaps(LOGPIXELSX), 1);
    const long long printerY = std::max(dc->GetDeviceCaps(LOGPIXELSY), 1);
    // Three quarters of what the page would be in screen pixels: one logical unit is a point.
    m_LogicalPageSize = CSize(static_cast<int>(screenX * static_cast<long long>(m_PaperSize.cx) / printerX * 3 / 4),
                              static_cast<int>(screenY * static_cast<long long>(m_PaperSize.cy) / printerY * 3 / 4));
    info->SetMaxPage(1);
}

void CChartCtrl::PrintPage(CDC* dc, CPrintInfo* info)
{
    CFont* oldFont = dc->SelectObject(&m_PrinterFont);
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(m_LogicalPageSize);
    dc->SetViewportExt(m_PaperSize);
    dc->SetWindowOrg(0, 0);
    info->m_rectDraw = CRect(0, 0, m_LogicalPageSize.cx, m_LogicalPageSize.cy);
    DrawChart(dc, info->m_rectDraw);
    dc->SelectObject(oldFont);
}

void CChartCtrl::EndPrinting(CDC*, CPrintInfo*)
{
    m_PrinterFont.DeleteObject();
    Redraw();
}

bool CChartCtrl::SaveImage(const std::string& fileName, CRect rect, const GUID& format, HRESULT* result)
{
    HRESULT ignored = S_OK;
    HRESULT& saved = result != nullptr ? *result : ignored;
    saved = E_FAIL;
    if (rect.IsRectEmpty()) {
        if (GetSafeHwnd() == nullptr) return false;
        GetClientRect(&rect);
    }
    const int width = rect.Width();
    const int height = rect.Height();
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
    CImage image;
    if (!image.Create(width, height, 32)) return false;
    if (CDC* dc = CDC::FromHandle(image.GetDC())) {
        CRect area(0, 0, width, height);
        DrawBackground(dc, area);
        area.DeflateRect(InnerMargin, InnerMargin);
        DrawChart(dc, area);
        image.ReleaseDC();
        saved = image.Save(fileName.c_str(), format);
    }
    Redraw();
    return SUCCEEDED(saved);
}
