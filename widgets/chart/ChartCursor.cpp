#include "widgets/chart/ChartCursor.h"

namespace {

// Cursor ids are unique across every chart, counted apart from the series.
unsigned g_nextCursorId = 0;

}  // namespace

CChartCursor::CChartCursor(CChartCtrl* parent) : m_pParentCtrl(parent), m_uCursorId(g_nextCursorId++) {}
