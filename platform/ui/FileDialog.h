#pragma once
// The common save and open dialogs. Filters use the original's form "desc|pattern;pattern|...||".
// An open dialog accepts a name that does not exist yet unless OFN_FILEMUSTEXIST; a save dialog
// with OFN_OVERWRITEPROMPT asks before replacing a file and shows itself again on "no". A name
// given without an extension takes the extension of the chosen type, or the default extension
// when that type names none.

#include "platform/kernel/CString.h"
#include "platform/ui/UiTypes.h"

#include <string>
#include <vector>

class CWnd;

inline constexpr DWORD OFN_READONLY = 0x1;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x2;
inline constexpr DWORD OFN_HIDEREADONLY = 0x4;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x8;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;
inline constexpr DWORD OFN_EXPLORER = 0x80000;

struct OPENFILENAME {
    DWORD Flags = 0;
    DWORD nFilterIndex = 1;
    const char* lpstrInitialDir = nullptr;
    const char* lpstrTitle = nullptr;
};

class CFileDialog {
public:
    explicit CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr, const char* fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                         CWnd* parent = nullptr);
    virtual ~CFileDialog() = default;

    virtual INT_PTR DoModal();

    CString GetPathName() const { return path_; }
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    CString GetFolderPath() const;

    OPENFILENAME m_ofn;

    // "desc|pat;pat|desc2|pat||" as Qt name filters ("desc (pat pat)").
    static std::vector<std::string> TranslateFilter(const char* filter);
    // The extension of the first pattern of filter `index` (from 0): "jpg" for "*.jpg;*.jpeg",
    // empty for a pattern that names no one type ("*.*") and for an index outside the filter.
    static std::string FilterExtension(const char* filter, int index);

private:
    bool open_;
    std::string defaultExt_;
    std::string fileName_;
    std::string filter_;
    CWnd* parent_;
    CString path_;
};
