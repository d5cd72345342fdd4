#pragma once
// The report list's in-place editor: an edit control the list shows over the cell being edited.
// Keys typed into it reach the list's PreTranslateMessage first (Tab, Enter, Esc, Up, Down end
// or move the edit). Subclasses hook the start and the end of an edit.

#include "platform/ui/Controls.h"

class CEditReportItem : public CEdit {
public:
    CEditReportItem() = default;
    ~CEditReportItem() override = default;

    // Called after the editor is shown on a cell.
    virtual void OnBeginEdit() {}
    // Called when the edit ends, before the list reads the text.
    virtual void OnEndEdit(bool commit) { (void)commit; }

    bool IsEditingCell() const { return editing_; }
    int EditRow() const { return row_; }
    int EditColumn() const { return column_; }

private:
    friend class CReportCtrl;
    bool editing_ = false;
    int row_ = -1;
    int column_ = -1;
};
