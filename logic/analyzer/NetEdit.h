#pragma once
// CNetEdit: the in-place editor of the logic analyser's net-name column. Every change of its
// text renames the net in the main window at once, so the net combos and the chart legend
// follow each keystroke; Esc puts back the name the net had when the edit began.
//
// It knows which net each row of its list stands for from the table it is given with the rows;
// a row outside that table (or outside the list) edits nothing.

#include "widgets/reportlist/EditReportItem.h"

#include <string>
#include <vector>

class CReportCtrl;

class CNetEdit : public CEditReportItem {
public:
    struct Net {
        int channel;
        int line;
    };

    CNetEdit() = default;

    void SetList(CReportCtrl* list) { list_ = list; }
    CReportCtrl* GetList() const { return list_; }
    // Appends the net of the next row.
    void AddRow(int channel, int line) { rows_.push_back({channel, line}); }
    const std::vector<Net>& GetRows() const { return rows_; }
    const std::string& GetText() const { return text_; }

    void OnBeginEdit() override;
    void OnEndEdit(bool commit) override;

protected:
    afx_msg void OnTextChange();
    DECLARE_MESSAGE_MAP()

private:
    // The net of the row being edited, or null.
    const Net* EditedNet() const;
    static void Rename(const std::string& name, const Net& net);

    CReportCtrl* list_ = nullptr;
    std::string text_;
    // The name when the edit began, put back by Esc.
    std::string original_;
    std::vector<Net> rows_;
};
