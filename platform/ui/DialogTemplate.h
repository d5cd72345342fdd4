#pragma once
// Dialog templates: a dialog's frame and controls in dialog units, built into a window by
// CDialog. Templates come from resources/ as readable text (one file per dialog), from the
// binary in-memory layout some dialogs build themselves, or directly as a DialogTemplate.
//
// Text format (UTF-8; '#' starts a comment outside quotes; one statement per line):
//
//   DIALOG 102                              the template id
//   CAPTION "Durmitt"
//   STYLE WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME
//   EXSTYLE 0                               optional
//   SIZE 320 200                            width and height in dialog units
//   POSITION 0 0                            optional; x and y in dialog units
//   FONT 8 "MS Shell Dlg"                   optional; point size and face
//   CONTROL Button IDOK "OK" BS_DEFPUSHBUTTON | WS_TABSTOP  7 180 50 14
//           ^class ^id  ^text ^style (WS_CHILD | WS_VISIBLE implied;  ^x y width height
//                                     "NOT WS_VISIBLE" removes a bit)
//   CONTROLEX ... same as CONTROL, then the extended style before the rectangle
//
// Ids are numbers (decimal or 0x hex) or IDOK, IDCANCEL, IDYES, IDNO, IDC_STATIC (0xFFFF).
// Styles are the documented names or numbers joined with '|'. Strings use C escapes
// (\n, \", \\).

#include "platform/gdi/GdiTypes.h"
#include "platform/kernel/CString.h"
#include "platform/ui/UiTypes.h"

#include <optional>
#include <string>
#include <vector>

// A control of a template. The style is taken as it is (WS_CHILD is added): a control without
// WS_VISIBLE stays hidden, as on Windows; only the text format implies WS_VISIBLE.
struct DialogItemTemplate {
    std::string className;
    int id = 0;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    CRect rect;  // dialog units: left, top, left + width, top + height
};

struct DialogTemplate {
    UINT id = 0;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    DWORD exStyle = 0;
    CRect rect;  // dialog units
    std::string caption;
    std::string fontFace = "MS Shell Dlg";
    int fontPoints = 8;
    std::vector<DialogItemTemplate> items;
};

// Parses the text format; on failure returns nullopt and describes the first error
// ("line N: ...") in *error.
std::optional<DialogTemplate> ParseDialogTemplateText(const std::string& text, std::string* error = nullptr);

// Parses the binary layout of an in-memory template (DLGTEMPLATE, caption and font as UTF-16,
// then DLGITEMTEMPLATE records), reading no byte at or beyond size. Captions are converted to
// UTF-8; an unterminated string ends the template with a failure.
std::optional<DialogTemplate> ParseDialogTemplateBinary(const void* data, std::size_t size);

// The template table the dialogs are built from. Registering an id again replaces it.
void RegisterDialogTemplate(const DialogTemplate& dialogTemplate);
// Parses and registers; false (and a message on stderr) when the text does not parse.
bool RegisterDialogTemplateText(const char* text);
const DialogTemplate* FindDialogTemplate(UINT id);

// String table: LoadString's source.
void RegisterString(UINT id, const char* text);
// Lines of the form   101 "&О программе..."   ('#' comments, C escapes in the text).
bool RegisterStringTableText(const char* text, std::string* error = nullptr);
BOOL AfxLoadString(UINT id, CString& text);

// Dialog base units of a font face and size: the average width of the Latin letters and the
// line height, in pixels; x pixels = dlu * baseX / 4, y pixels = dlu * baseY / 8.
CSize GetDialogBaseUnits(const std::string& face, int points);
CRect DialogUnitsToPixels(const CRect& dlu, CSize baseUnits);
