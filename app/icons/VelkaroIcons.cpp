#include "app/icons/VelkaroIcons.h"

#include "platform/gdi/GdiObjects.h"
#include "platform/ui/App.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

using namespace velkaro_icons;

namespace {

// Each pixel is the mean of 4 x 4 samples, so edges come out smooth.
constexpr int SUB = 4;
constexpr int GRID = ICON_SIZE * SUB;

struct Colour {
    double r, g, b, a;
};

constexpr Colour Rgb(int r, int g, int b, double a = 1.0)
{
    return {r / 255.0, g / 255.0, b / 255.0, a};
}

// A drawing in icon coordinates (0..32 across, y down); shapes are painted over each other.
class Canvas {
public:
    Canvas() : samples_(static_cast<std::size_t>(GRID) * GRID, Colour{0, 0, 0, 0}) {}

    void Paint(const std::function<bool(double, double)>& inside, Colour c)
    {
        for (int sy = 0; sy < GRID; ++sy)
            for (int sx = 0; sx < GRID; ++sx) {
                const double x = (sx + 0.5) / SUB;
                const double y = (sy + 0.5) / SUB;
                if (!inside(x, y)) continue;
                Colour& d = samples_[static_cast<std::size_t>(sy) * GRID + sx];
                const double a = c.a + d.a * (1 - c.a);
                if (a <= 0) continue;
                d.r = (c.r * c.a + d.r * d.a * (1 - c.a)) / a;
                d.g = (c.g * c.a + d.g * d.a * (1 - c.a)) / a;
                d.b = (c.b * c.a + d.b * d.a * (1 - c.a)) / a;
                d.a = a;
            }
    }

    void RoundRect(double l, double t, double r, double b, double radius, Colour c)
    {
        Paint([=](double x, double y) {
            if (x < l || x > r || y < t || y > b) return false;
            const double cx = std::clamp(x, l + radius, r - radius);
            const double cy = std::clamp(y, t + radius, b - radius);
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
        }, c);
    }

    // A polyline of the given width with round joins and ends.
    void Lines(const std::vector<std::pair<double, double>>& pts, double width, Colour c)
    {
        const double h = width / 2;
        Paint([=](double x, double y) {
            for (std::size_t i = 0; i + 1 < pts.size(); ++i)
                if (SegmentDistance(x, y, pts[i], pts[i + 1]) <= h) return true;
            return false;
        }, c);
    }

    // A filled convex polygon, corners in either order.
    void Polygon(const std::vector<std::pair<double, double>>& pts, Colour c)
    {
        Paint([=](double x, double y) {
            int sign = 0;
            for (std::size_t i = 0; i < pts.size(); ++i) {
                const auto& p = pts[i];
                const auto& q = pts[(i + 1) % pts.size()];
                const double cross = (q.first - p.first) * (y - p.second) - (q.second - p.second) * (x - p.first);
                const int s = cross > 0 ? 1 : (cross < 0 ? -1 : 0);
                if (s == 0) continue;
                if (sign == 0) sign = s;
                if (s != sign) return false;
            }
            return true;
        }, c);
    }

    // 0xAARRGGBB words, top row first.
    std::vector<std::uint32_t> Pixels() const
    {
        std::vector<std::uint32_t> out(static_cast<std::size_t>(ICON_SIZE) * ICON_SIZE);
        for (int y = 0; y < ICON_SIZE; ++y)
            for (int x = 0; x < ICON_SIZE; ++x) {
                double r = 0, g = 0, b = 0, a = 0;
                for (int j = 0; j < SUB; ++j)
                    for (int i = 0; i < SUB; ++i) {
                        const Colour& s = samples_[static_cast<std::size_t>(y * SUB + j) * GRID + x * SUB + i];
                        r += s.r * s.a;
                        g += s.g * s.a;
                        b += s.b * s.a;
                        a += s.a;
                    }
                std::uint32_t word = 0;
                if (a > 0) {
                    const auto channel = [](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
                    word = channel(a / (SUB * SUB)) << 24 | channel(r / a) << 16 | channel(g / a) << 8 | channel(b / a);
                }
                out[static_cast<std::size_t>(y) * ICON_SIZE + x] = word;
            }
        return out;
    }

private:
    static double SegmentDistance(double x, double y, std::pair<double, double> a, std::pair<double, double> b)
    {
        const double dx = b.first - a.first;
        const double dy = b.second - a.second;
        const double len = dx * dx + dy * dy;
        double t = len > 0 ? ((x - a.first) * dx + (y - a.second) * dy) / len : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double px = a.first + t * dx - x;
        const double py = a.second + t * dy - y;
        return std::sqrt(px * px + py * py);
    }

    std::vector<Colour> samples_;
};

const Colour SCREEN = Rgb(0x10, 0x30, 0x18);
const Colour SCREEN_EDGE = Rgb(0x60, 0x68, 0x70);
const Colour GRID_LINE = Rgb(0x40, 0x70, 0x48);
const Colour TRACE_A = Rgb(0xFF, 0x40, 0x40);
const Colour TRACE_B = Rgb(0x40, 0xF0, 0x40);
const Colour INK = Rgb(0x20, 0x20, 0x28);
const Colour ARROW = Rgb(0x20, 0x60, 0xE0);
const Colour GO = Rgb(0x20, 0xA0, 0x30);
const Colour HALT = Rgb(0xD0, 0x28, 0x20);
const Colour DIM = Rgb(0x80, 0x80, 0x88);
const Colour LIT = Rgb(0xF0, 0x90, 0x10);

void ProgramIcon(Canvas& c)
{
    c.RoundRect(1, 3, 31, 29, 4, SCREEN_EDGE);
    c.RoundRect(3, 5, 29, 27, 2.5, SCREEN);
    for (double x : {9.5, 16.0, 22.5}) c.Lines({{x, 6}, {x, 26}}, 0.6, GRID_LINE);
    for (double y : {11.0, 16.0, 21.0}) c.Lines({{4, y}, {28, y}}, 0.6, GRID_LINE);
    std::vector<std::pair<double, double>> sine;
    for (int i = 0; i <= 40; ++i) {
        const double x = 4.5 + 23.0 * i / 40;
        sine.push_back({x, 13.5 - 6 * std::sin((x - 4.5) / 23.0 * 2 * M_PI)});
    }
    c.Lines(sine, 2.0, TRACE_A);
    c.Lines({{4.5, 24.5}, {10, 24.5}, {10, 21}, {16, 21}, {16, 24.5}, {22, 24.5}, {22, 21}, {27.5, 21}}, 1.4, TRACE_B);
}

// Trigger edge: a step of the signal with an arrow that says which way it must cross. With no
// edge bit sent (the reset state) the instrument takes a rising edge: the same step with a
// hollow, grey arrow.
void EdgeIcon(Canvas& c, int edge)
{
    const bool rising = edge != 2;
    const double low = 25;
    const double high = 7;
    c.Lines({{3, rising ? low : high}, {16, rising ? low : high}, {16, rising ? high : low}, {29, rising ? high : low}}, 2.4, INK);
    // The arrow on the edge, pointing the way the signal goes.
    const double tipY = rising ? 10.5 : 21.5;
    const double baseY = rising ? 18.5 : 13.5;
    c.Polygon({{16, tipY}, {10, baseY}, {22, baseY}}, edge == 0 ? DIM : ARROW);
}

void RunIcon(Canvas& c, bool running)
{
    if (running)
        c.Polygon({{9, 5}, {27, 16}, {9, 27}}, GO);
    else
        c.RoundRect(7, 7, 25, 25, 2.5, HALT);
}

// Single shot: one pulse, grey while off, lit while armed.
void SingleIcon(Canvas& c, bool on)
{
    const Colour pulse = on ? LIT : DIM;
    if (on) c.RoundRect(11, 8, 21, 25, 1.5, Rgb(0xF0, 0x90, 0x10, 0.35));
    c.Lines({{3, 25}, {11, 25}, {11, 8}, {21, 8}, {21, 25}, {29, 25}}, 2.6, pulse);
}

HICON MakeIcon(const Canvas& canvas)
{
    const std::vector<std::uint32_t> pixels = canvas.Pixels();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = ICON_SIZE;
    info.bmiHeader.biHeight = ICON_SIZE;  // bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HBITMAP colour = CreateDIBSection(&info, DIB_RGB_COLORS, &bits);
    if (colour == 0 || bits == nullptr) return 0;
    auto* words = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < ICON_SIZE; ++y)
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * ICON_SIZE, ICON_SIZE,
                    words + static_cast<std::ptrdiff_t>(ICON_SIZE - 1 - y) * ICON_SIZE);
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = colour;
    const HICON made = CreateIconIndirect(&icon);
    DeleteObject(colour);
    return made;
}

HICON DrawIcon(UINT id)
{
    Canvas c;
    switch (id) {
    case IDR_MAINFRAME: ProgramIcon(c); break;
    case IDI_EDGE_NONE: EdgeIcon(c, 0); break;
    case IDI_EDGE_1: EdgeIcon(c, 1); break;
    case IDI_EDGE_2: EdgeIcon(c, 2); break;
    case IDI_RUNNING: RunIcon(c, true); break;
    case IDI_STOPPED: RunIcon(c, false); break;
    case IDI_SINGLE_OFF: SingleIcon(c, false); break;
    case IDI_SINGLE_ON: SingleIcon(c, true); break;
    default: return 0;
    }
    return MakeIcon(c);
}

}  // namespace

bool RegisterVelkaroIcons()
{
    static bool done = false;
    if (done) return true;
    bool ok = true;
    for (UINT id : ALL) {
        const HICON icon = DrawIcon(id);
        if (icon == 0) {
            ok = false;
            continue;
        }
        RegisterIconResource(id, icon);
    }
    done = ok;
    return ok;
}
