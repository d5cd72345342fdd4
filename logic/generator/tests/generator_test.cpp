// The logic generator in its slot of the running main window: the start-up pattern, what a
// click toggles (and what it must not), scrolling, panning and resizing, all by the user's
// input.

#include "logic/generator/LGeneratorDialog.h"

#include "app/main/testing/MainWindowFixture.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>

#include <sstream>
#include <vector>

namespace {

using Bus = CDigitalBusCtrl;

class GeneratorTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        CVelkaroDlg::SetToolWindowFactory([](CToolDialogList::Slot slot, CVelkaroDlg& main) -> std::unique_ptr<CToolDialog> {
            return slot == CToolDialogList::LGENERATOR ? std::make_unique<CLGeneratorDialog>(&main) : nullptr;
        });
    }
    void TearDown() override
    {
        CVelkaroDlg::SetToolWindowFactory({});
        MainWindowTest::TearDown();
    }

    // The generator shown with a client area of cx x cy pixels.
    static CLGeneratorDialog& Shown(CVelkaroDlg& d, int cx, int cy)
    {
        auto* w = dynamic_cast<CLGeneratorDialog*>(d.GetToolDialog(CToolDialogList::LGENERATOR));
        EXPECT_NE(w, nullptr);
        w->ShowWindow(SW_SHOW);
        CRect frame, client;
        w->GetWindowRect(&frame);
        w->GetClientRect(&client);
        w->SetWindowPos(nullptr, 0, 0, cx + frame.Width() - client.Width(), cy + frame.Height() - client.Height(),
                        SWP_NOMOVE | SWP_NOZORDER);
        uitest::ProcessEvents();
        return *w;
    }

    // The middle of cell (column, row) of the view, in the control's client pixels.
    static CPoint Cell(Bus& bus, int column, int row)
    {
        const CRect g = bus.GetGridRect();
        return CPoint(g.left + column * Bus::CELL_WIDTH + Bus::CELL_WIDTH / 2,
                      g.top + row * Bus::CELL_HEIGHT + Bus::CELL_HEIGHT - Bus::LEVEL_HEIGHT / 2);
    }

    static std::vector<bool> Bits(Bus& bus)
    {
        std::vector<bool> bits;
        for (int r = 0; r < bus.GetRowCount(); ++r)
            for (int j = 0; j < bus.GetRow(r).bits; ++j)
                bits.push_back(bus.GetBit(r, j));
        return bits;
    }

    static void Pan(Bus& bus, CPoint from, CPoint to)
    {
        uitest::MouseDown(&bus, from, true);
        uitest::MouseMove(&bus, to, false, true);
        uitest::MouseUp(&bus, to, true);
    }

    static void ClickRightArrow(CScrollBar& bar, int times)
    {
        CRect r;
        bar.GetClientRect(&r);
        for (int i = 0; i < times; ++i)
            uitest::ClickAt(&bar, CPoint(r.right - 4, r.Height() / 2));
    }
};

}  // namespace

TEST_F(GeneratorTest, StartsWithACounterOverEightLinesOfGrowingLength)
{
    RunWindow([](CVelkaroDlg& d) {
        auto* created = dynamic_cast<CLGeneratorDialog*>(d.GetToolDialog(CToolDialogList::LGENERATOR));
        ASSERT_NE(created, nullptr);
        EXPECT_FALSE(created->IsWindowVisible());
        created->ShowWindow(SW_SHOW);
        uitest::ProcessEvents();
        EXPECT_TRUE(uitest::RenderToPng(created, uitest::OutputPath("logic_generator_start.png")));

        CLGeneratorDialog& w = Shown(d, 600, 300);
        Bus& bus = w.GetBus();
        ASSERT_EQ(bus.GetRowCount(), 8);
        EXPECT_EQ(bus.GetLongestRow(), 22);
        EXPECT_EQ(bus.GetShortestRow(), 8);
        for (int k = 0; k < 8; ++k) {
            SCOPED_TRACE(k);
            EXPECT_EQ(bus.GetRow(k).bits, 8 + 2 * k);
            EXPECT_EQ(bus.GetRow(k).bytes, w.GetRowBytes(k));
            for (int j = 0; j < bus.GetRow(k).bits; ++j)
                EXPECT_EQ(bus.GetBit(k, j), ((j >> k) & 1) != 0) << "bit " << j;
            // Past its length a line holds nothing.
            for (int byte = (bus.GetRow(k).bits + 7) / 8; byte < CLGeneratorDialog::kRowBytes; ++byte)
                EXPECT_EQ(w.GetRowBytes(k)[byte], 0);
        }
        // Everything fits: no bar, and the grid ends inside the content.
        EXPECT_EQ(bus.GetVisibleColumns(), 22);
        EXPECT_EQ(bus.GetVisibleRows(), 8);
        EXPECT_FALSE(bus.GetHorzScrollBar().IsWindowVisible());
        EXPECT_FALSE(bus.GetVertScrollBar().IsWindowVisible());
        // Line 2's bits 4..7 are high: its level is drawn at the high level there.
        const CPoint high = Cell(bus, 5, 2) + CPoint(0, -Bus::LEVEL_HEIGHT / 2);
        EXPECT_EQ(bus.GetShownPixel(high.x, high.y), bus.line_color);
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("logic_generator.png")));
    });
}

TEST_F(GeneratorTest, WhatFitsLeavesOutTheLabelBandAndTheBarsReachTheLastBit)
{
    RunWindow([](CVelkaroDlg& d) {
        CLGeneratorDialog& w = Shown(d, 300, 160);
        Bus& bus = w.GetBus();
        CRect client, bar;
        bus.GetClientRect(&client);
        bus.GetVertScrollBar().GetWindowRect(&bar);
        const int inner = client.Width() - 2 * Bus::CONTENT_INSET - bar.Width();
        EXPECT_EQ(bus.GetVisibleColumns(), (inner - Bus::LABEL_BAND) / Bus::CELL_WIDTH);
        EXPECT_LT(bus.GetVisibleColumns(), 22);
        EXPECT_LE(bus.GetGridRect().right, client.right - Bus::CONTENT_INSET);
        EXPECT_LT(bus.GetVisibleRows(), 8);
        EXPECT_LE(bus.GetGridRect().bottom, client.bottom - Bus::CONTENT_INSET);
        ASSERT_TRUE(bus.GetHorzScrollBar().IsWindowVisible());
        ASSERT_TRUE(bus.GetVertScrollBar().IsWindowVisible());

        // The bars lie along the bottom and right edges, each clear of the other.
        CRect h, v;
        bus.GetHorzScrollBar().GetWindowRect(&h);
        bus.GetVertScrollBar().GetWindowRect(&v);
        bus.ScreenToClient(&h);
        bus.ScreenToClient(&v);
        EXPECT_EQ(h.bottom, client.bottom);
        EXPECT_EQ(v.right, client.right);
        EXPECT_LE(h.right, v.left);
        EXPECT_LE(v.bottom, h.top);

        // The right arrow scrolls up to the last position that fills the view, never past it.
        ClickRightArrow(bus.GetHorzScrollBar(), 40);
        EXPECT_EQ(bus.GetFirstColumn(), 22 - bus.GetVisibleColumns());
        EXPECT_EQ(bus.GetHorzScrollBar().GetScrollPos(), bus.GetFirstColumn());
        EXPECT_TRUE(uitest::RenderToPng(&w, uitest::OutputPath("logic_generator_scrolled.png")));
    });
}

TEST_F(GeneratorTest, AClickTogglesTheBitUnderThePointerOfTheScrolledView)
{
    RunWindow([](CVelkaroDlg& d) {
        CLGeneratorDialog& w = Shown(d, 280, 330);
        Bus& bus = w.GetBus();
        ASSERT_TRUE(bus.GetHorzScrollBar().IsWindowVisible());
        ClickRightArrow(bus.GetHorzScrollBar(), 3);
        ASSERT_EQ(bus.GetFirstColumn(), 3);

        // A line owns the band from its high level down to the next line's high level.
        constexpr int highLevel = Bus::CELL_HEIGHT - Bus::LEVEL_HEIGHT;
        struct Case {
            int row;
            int dy;  // below the line's top grid line
        } cases[] = {
            {4, Bus::CELL_HEIGHT - Bus::LEVEL_HEIGHT / 2},
            {5, highLevel},
            {6, Bus::CELL_HEIGHT + highLevel - 1},
        };
        const CRect g = bus.GetGridRect();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.row);
            const CPoint p(g.left + Bus::CELL_WIDTH / 2, g.top + c.row * Bus::CELL_HEIGHT + c.dy);
            const bool before = bus.GetBit(c.row, 3);
            uitest::ClickAt(&bus, p);
            EXPECT_NE(bus.GetBit(c.row, 3), before);
            EXPECT_EQ((w.GetRowBytes(c.row)[0] & 0x10) != 0, !before);
            uitest::ClickAt(&bus, p);
            EXPECT_EQ(bus.GetBit(c.row, 3), before);
        }
    });
}

TEST_F(GeneratorTest, ClicksThatAreNoBitToggleNothing)
{
    RunWindow([](CVelkaroDlg& d) {
        CLGeneratorDialog& w = Shown(d, 600, 300);
        Bus& bus = w.GetBus();
        const std::vector<bool> start = Bits(bus);
        const CRect g = bus.GetGridRect();

        // A release away from the press is a band, not a click.
        uitest::MouseDown(&bus, Cell(bus, 2, 2));
        uitest::MouseMove(&bus, Cell(bus, 2, 2) + CPoint(30, 10), true);
        EXPECT_TRUE(bus.IsBandActive());
        uitest::MouseUp(&bus, Cell(bus, 2, 2) + CPoint(30, 10));
        EXPECT_FALSE(bus.IsBandActive());
        EXPECT_EQ(bus.GetCapture(), nullptr);
        uitest::MouseDown(&bus, Cell(bus, 2, 2));
        uitest::MouseUp(&bus, Cell(bus, 2, 2) + CPoint(1, 0));

        const CPoint noBit[] = {
            {g.left + 3, g.top + 2},                    // above line 0's high level
            {g.left + 40, g.top + 5},
            Cell(bus, 9, 0),                            // past line 0's eight bits
            Cell(bus, 21, 6),                           // past line 6's twenty bits
            {g.left - 10, Cell(bus, 1, 1).y},           // the label band
            {Cell(bus, 1, 1).x, g.top - 10},
            {g.right + 2, Cell(bus, 1, 1).y},           // right of the grid
        };
        for (const CPoint& p : noBit)
            uitest::ClickAt(&bus, p);
        EXPECT_EQ(Bits(bus), start);
    });
}

TEST_F(GeneratorTest, PanningFollowsThePointerInWholeCellsWithinTheView)
{
    RunWindow([](CVelkaroDlg& d) {
        CLGeneratorDialog& w = Shown(d, 280, 180);
        Bus& bus = w.GetBus();
        const int maxColumn = 22 - bus.GetVisibleColumns();
        const int maxRow = 8 - bus.GetVisibleRows();
        ASSERT_GT(maxColumn, 2);
        ASSERT_GT(maxRow, 0);
        const CPoint mid = Cell(bus, 1, 0);

        // Dragging the content left shows later bits; far beyond the end it stops at the last.
        Pan(bus, mid, mid + CPoint(-2 * Bus::CELL_WIDTH, 0));
        EXPECT_EQ(bus.GetFirstColumn(), 2);
        Pan(bus, mid, mid + CPoint(-1000, -1000));
        EXPECT_EQ(bus.GetFirstColumn(), maxColumn);
        EXPECT_EQ(bus.GetFirstRow(), maxRow);
        EXPECT_EQ(bus.GetHorzScrollBar().GetScrollPos(), maxColumn);
        Pan(bus, mid, mid + CPoint(1000, 1000));
        EXPECT_EQ(bus.GetFirstColumn(), 0);
        EXPECT_EQ(bus.GetFirstRow(), 0);

        // Half a cell twice is one cell: the rest waits for the next move.
        uitest::MouseDown(&bus, mid, true);
        uitest::MouseMove(&bus, mid + CPoint(-Bus::CELL_WIDTH / 2, 0), false, true);
        EXPECT_EQ(bus.GetFirstColumn(), 0);
        uitest::MouseMove(&bus, mid + CPoint(-Bus::CELL_WIDTH, 0), false, true);
        EXPECT_EQ(bus.GetFirstColumn(), 1);
        uitest::MouseUp(&bus, mid + CPoint(-Bus::CELL_WIDTH, 0), true);
        // With the button up, moves pan nothing.
        uitest::MouseMove(&bus, mid + CPoint(-5 * Bus::CELL_WIDTH, 0));
        EXPECT_EQ(bus.GetFirstColumn(), 1);
    });
}

TEST_F(GeneratorTest, ResizingKeepsTheControlAndItsBarsAtTheEdges)
{
    RunWindow([](CVelkaroDlg& d) {
        CLGeneratorDialog& w = Shown(d, 600, 300);
        Bus& bus = w.GetBus();
        CRect dialogClient, busRect;
        w.GetClientRect(&dialogClient);
        bus.GetWindowRect(&busRect);
        const CSize margin(dialogClient.Width() - busRect.Width(), dialogClient.Height() - busRect.Height());
        // The window manager is told how small the window goes.
        CRect frame;
        w.GetWindowRect(&frame);
        EXPECT_EQ(uitest::SmallestClientSize(&w),
                  CSize(CLGeneratorDialog::kMinWidth, CLGeneratorDialog::kMinHeight) - (frame.Size() - dialogClient.Size()));

        // Narrower than one cell beside the labels (the window goes no smaller than its minimum;
        // the control does): no bit shows and the bar covers the line.
        bus.SetWindowPos(nullptr, 0, 0, 60 - margin.cx, 300 - margin.cy, SWP_NOMOVE | SWP_NOZORDER);
        uitest::ProcessEvents();
        bus.GetWindowRect(&busRect);
        EXPECT_EQ(busRect.Width(), 60 - margin.cx);
        EXPECT_EQ(bus.GetVisibleColumns(), 0);
        EXPECT_TRUE(bus.GetHorzScrollBar().IsWindowVisible());
        EXPECT_EQ(bus.GetMaxFirstColumn(), 22);
        ClickRightArrow(bus.GetHorzScrollBar(), 30);
        EXPECT_EQ(bus.GetFirstColumn(), 22);

        // Made large again, the view starts where it still fills, and the bars hide.
        Shown(d, 600, 320);
        CRect client, h;
        bus.GetClientRect(&client);
        bus.GetHorzScrollBar().GetWindowRect(&h);
        bus.ScreenToClient(&h);
        EXPECT_EQ(h.bottom, client.bottom);
        EXPECT_EQ(bus.GetFirstColumn(), 0);
        EXPECT_FALSE(bus.GetHorzScrollBar().IsWindowVisible());
        EXPECT_EQ(bus.GetMaxFirstColumn(), 0);
    });
}

TEST_F(GeneratorTest, TheStoredRecordIsTheWindowsPlaceAndVisibility)
{
    RunWindow([](CVelkaroDlg& d) {
        CLGeneratorDialog& w = Shown(d, 400, 300);
        w.SetWindowPos(nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        uitest::ProcessEvents();
        std::ostringstream out;
        {
            boost::archive::xml_oarchive archive(out);
            // As the main window writes it: through the tool-window base's record call.
            const CToolDialog& tool = w;
            tool.SaveRecord(archive, "lgenerator_dlg");
        }
        EXPECT_NE(out.str().find("<lgenerator_dlg class_id=\"0\" tracking_level=\"0\" version=\"0\">"), std::string::npos)
            << out.str();
        EXPECT_NE(out.str().find("<base"), std::string::npos) << "the window's own class, its base inside";
        w.ShowWindow(SW_HIDE);
        w.SetWindowPos(nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::istringstream in(out.str());
        {
            boost::archive::xml_iarchive archive(in);
            archive >> boost::serialization::make_nvp("lgenerator_dlg", w);
        }
        CRect frame;
        w.GetWindowRect(&frame);
        EXPECT_EQ(frame.TopLeft(), CPoint(120, 90));
        EXPECT_TRUE(w.IsWindowVisible());
    });
}

TEST_F(GeneratorTest, EscapeHidesTheWindowAndKeepsThePattern)
{
    RunWindow([](CVelkaroDlg& d) {
        CLGeneratorDialog& w = Shown(d, 600, 300);
        Bus& bus = w.GetBus();
        uitest::ClickAt(&bus, Cell(bus, 0, 0));
        ASSERT_TRUE(bus.GetBit(0, 0));
        uitest::PressEscape(&w);
        EXPECT_FALSE(w.IsWindowVisible());
        EXPECT_TRUE(d.ContinueModal());
        w.ShowWindow(SW_SHOW);
        EXPECT_TRUE(bus.GetBit(0, 0));
    });
}
