#pragma once
// The packet structure dialog: one row per element of every field of a packet's payload, each
// with its label, an edit box holding the value and the field's comment. OK writes the edited
// values back into the payload in place; cancel leaves the payload alone.
//
// All packet types share one window (CPacketFieldsDialog) over the row model; the family
// COptionsDialog<PacketDataStructure<N>, Converter> names the packet type by its structure.
//
// A packet with more rows than the screen can show (a channel read-out has about two thousand)
// keeps every row, with its id and order, in an area that scrolls inside a dialog no taller
// than the screen.

#include "core/protocol/PacketData.h"
#include "packetview/Converter.h"
#include "packetview/PacketRows.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialog.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CPacketFieldsDialog : public CDialog {
public:
    static constexpr int kRowHeight = 22;
    static constexpr int kEditWidth = 140;

    // The payload starts at data_id; `available` bytes of it may be read and written.
    CPacketFieldsDialog(int type, std::uint8_t* payload, std::size_t available, CWnd* parent = nullptr);
    ~CPacketFieldsDialog() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    int GetPacketType() const { return type_; }
    int GetRowCount() const { return static_cast<int>(edits_.size()); }
    // The edit box and the label of row r (0-based); null outside the rows.
    CEdit* GetRowEdit(int r);
    CStatic* GetRowLabel(int r);
    // True when the rows sit in the scrolling area.
    bool IsScrolling() const { return pane_ != nullptr; }
    int GetScrollPosition() const { return scrollPos_; }

protected:
    afx_msg void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
    DECLARE_MESSAGE_MAP()

private:
    void CreateScrollingArea(const CRect& client, int rowsHeight);
    void ScrollTo(int position);
    void KeepFocusVisible();

    int type_;
    std::uint8_t* payload_;
    std::size_t available_;
    std::vector<PacketRow> rows_;

    CFont font_;
    std::vector<std::unique_ptr<CStatic>> labels_;
    std::vector<std::unique_ptr<CStatic>> comments_;
    std::vector<std::unique_ptr<CEdit>> edits_;
    CButton ok_;
    CButton cancel_;

    // The scrolling area: a clipping view with the rows' pane inside, and its scroll bar.
    std::unique_ptr<CWnd> view_;
    std::unique_ptr<CWnd> pane_;
    CScrollBar scrollBar_;
    int scrollPos_ = 0;
    int paneHeight_ = 0;
    int viewHeight_ = 0;
};

template <typename S>
struct PacketTypeOf;
template <int N>
struct PacketTypeOf<PacketDataStructure<N>> {
    static constexpr int value = N;
};

template <typename S, typename C>
class COptionsDialog : public CPacketFieldsDialog {
public:
    // The payload must hold at least `available` bytes (the whole structure by default).
    explicit COptionsDialog(std::uint8_t* payload, std::size_t available = sizeof(S), CWnd* parent = nullptr)
        : CPacketFieldsDialog(PacketTypeOf<S>::value, payload, available, parent)
    {
    }
};

// Shows the payload of a packet of the given type in its dialog, modally; nothing for a type
// outside 0..45. `available` is the number of payload bytes from data_id on.
void ShowPacketDialog(std::uint8_t* payload, int type, std::size_t available);
