#pragma once
// The print dialog: Qt's dialog over the CUPS printers, with printing into a PDF file offered
// beside them. A program that already knows where to print names a CUPS queue or a PDF file
// instead and shows nothing. Either way the dialog then holds a printer DC for the document.

#include "platform/gdi/DC.h"
#include "platform/kernel/CString.h"
#include "platform/ui/UiTypes.h"

#include <memory>

class CWnd;

inline constexpr DWORD PD_ALLPAGES = 0x0;
inline constexpr DWORD PD_SELECTION = 0x1;
inline constexpr DWORD PD_PAGENUMS = 0x2;
inline constexpr DWORD PD_NOSELECTION = 0x4;
inline constexpr DWORD PD_NOPAGENUMS = 0x8;
inline constexpr DWORD PD_PRINTTOFILE = 0x20;
inline constexpr DWORD PD_PRINTSETUP = 0x40;
inline constexpr DWORD PD_RETURNDC = 0x100;
inline constexpr DWORD PD_USEDEVMODECOPIESANDCOLLATE = 0x40000;
// Kept for callers; printing into a PDF file stays offered, the only "file" Linux users print to.
inline constexpr DWORD PD_HIDEPRINTTOFILE = 0x100000;

inline constexpr short DMORIENT_PORTRAIT = 1;
inline constexpr short DMORIENT_LANDSCAPE = 2;

struct PRINTDLG {
    DWORD Flags = 0;
    HDC hDC = 0;  // the printer DC once chosen; a caller may also put its own here
    WORD nCopies = 1;
    // The page orientation the printer starts with (0: the printer's own default), as a
    // printer's device mode would carry it.
    short dmOrientation = 0;
};

class CPrintDialog {
public:
    explicit CPrintDialog(BOOL printSetupOnly,
                          DWORD flags = PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                        PD_NOSELECTION,
                          CWnd* parent = nullptr);
    virtual ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // Shows the dialog; IDOK when the user chose a printer (or a PDF file) and confirmed.
    virtual INT_PTR DoModal();
    // Without showing anything: a CUPS queue by name (FALSE when there is no such queue), or a
    // PDF file to print into.
    BOOL SelectPrinter(const char* queue);
    BOOL SelectPdfFile(const char* path);

    HDC GetPrinterDC() const { return m_pd.hDC; }
    // The chosen queue's name, or the PDF file's path.
    CString GetDeviceName() const;

    PRINTDLG m_pd;

private:
    struct Impl;
    void Adopt();
    std::unique_ptr<Impl> d;
    bool setupOnly_;
    CWnd* parent_;
};
