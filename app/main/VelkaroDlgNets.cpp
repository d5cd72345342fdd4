// The names of the 16 logic nets and which of them are drawn.

#include "app/main/VelkaroDlg.h"
#include "widgets/chart/ChartBiLineSerie.h"

namespace {

constexpr int kLines = 8;

bool IsNet(int channel, int line)
{
    return channel >= 0 && channel < 2 && line >= 0 && line < kLines;
}

}  // namespace

std::string CVelkaroDlg::GetNetName(int channel, int line) const
{
    if (!IsNet(channel, line))
        return {};
    return la_net_name[static_cast<std::size_t>(channel * kLines + line)];
}

void CVelkaroDlg::SetNetName(const std::string& name, int channel, int line)
{
    if (!IsNet(channel, line))
        return;
    std::string& stored = la_net_name[static_cast<std::size_t>(channel * kLines + line)];
    if (stored == name)
        return;
    stored = name;
    NetRenamed(channel, line, name);
}

int CVelkaroDlg::GetNetRowOffset(int channel, int line) const
{
    if (channel < 0 || channel > 1 || line < 1 || line >= kLines)
        return 0;
    int drawn = 0;
    for (int i = 0; i < line; ++i)
        if (la_net_display[static_cast<std::size_t>(channel * kLines + i)] != 0)
            ++drawn;
    return 10 * drawn;
}

// The series keeps the name whatever the channel shows now, so that it is right when the
// channel turns to logic later. Only the bus display names its series itself.
void CVelkaroDlg::OnNetRenamed(int channel, int line, const std::string& name)
{
    if (!IsNet(channel, line) || digital_bus[static_cast<std::size_t>(channel)])
        return;
    if (CChartBiLineSerie* s = logic_[0][static_cast<std::size_t>(channel)][static_cast<std::size_t>(line)])
        s->SetName(name);
}
