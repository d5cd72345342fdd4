#pragma once
// Change watchers of the main window's tick: each remembers the value it saw last and runs its
// control update only when the value differs, and always on its first call, so that the first
// tick after start-up brings every mirrored control in line with the model whatever it showed.
//
// A watcher's update is chosen by its tag type alone; the tags carry no data. The window owns
// the watchers (one slot per tag, made on the first tick that reaches it), so a second window
// in the same process starts with watchers of its own.

#include <cstddef>
#include <memory>

class CVelkaroDlg;

namespace OnChangeFun {

// Slot of each watcher in the window's table, in the order the tick calls them.
struct ModeStop { static constexpr std::size_t kSlot = 0; };
struct ModeSingle { static constexpr std::size_t kSlot = 1; };
struct ShowLegend { static constexpr std::size_t kSlot = 2; };
struct ShowCross { static constexpr std::size_t kSlot = 3; };
struct Interpolation { static constexpr std::size_t kSlot = 4; };
template <int C>
struct ChDigital { static constexpr std::size_t kSlot = 5 + C; };
template <int C>
struct ChDigitalBus { static constexpr std::size_t kSlot = 7 + C; };
template <int C>
struct Ch { static constexpr std::size_t kSlot = 9 + C; };
struct Connected { static constexpr std::size_t kSlot = 11; };
struct MathOp { static constexpr std::size_t kSlot = 12; };

inline constexpr std::size_t kWatcherCount = 13;

// The updates (VelkaroDlgWatchers.cpp), one per tag.
void Apply(CVelkaroDlg& w, ModeStop*, bool stopped);
void Apply(CVelkaroDlg& w, ModeSingle*, bool single);
void Apply(CVelkaroDlg& w, ShowLegend*, int shown);
void Apply(CVelkaroDlg& w, ShowCross*, int shown);
void Apply(CVelkaroDlg& w, Interpolation*, bool interpolated);
void Apply(CVelkaroDlg& w, ChDigital<0>*, bool logic);
void Apply(CVelkaroDlg& w, ChDigital<1>*, bool logic);
void Apply(CVelkaroDlg& w, ChDigitalBus<0>*, bool bus);
void Apply(CVelkaroDlg& w, ChDigitalBus<1>*, bool bus);
void Apply(CVelkaroDlg& w, Ch<0>*, bool enabled);
void Apply(CVelkaroDlg& w, Ch<1>*, bool enabled);
void Apply(CVelkaroDlg& w, Connected*, bool linked);
void Apply(CVelkaroDlg& w, MathOp*, int operation);

}  // namespace OnChangeFun

namespace COnChange {

class PreHolder {
public:
    virtual ~PreHolder() = default;
    // `value` points to the watched value of the holder's own type. True when the update ran.
    virtual bool Check(const void* value) = 0;
};

template <class T, class TagPtr>
class Holder : public PreHolder {
public:
    explicit Holder(CVelkaroDlg* owner) : owner_(owner) {}

    bool Check(const void* value) override
    {
        const T v = *static_cast<const T*>(value);
        if (!first_ && v == last_)
            return false;
        last_ = v;
        first_ = false;
        OnChangeFun::Apply(*owner_, TagPtr{}, v);
        return true;
    }

private:
    bool first_ = true;
    T last_{};
    CVelkaroDlg* owner_;
};

// The creator of each watcher: the holder of the tag's value type, bound to the window.
template <class Tag>
std::unique_ptr<PreHolder> MakeHolder(CVelkaroDlg* owner);

#define VELKARO_WATCHER(TagType, ValueType)                                          \
    template <>                                                                      \
    inline std::unique_ptr<PreHolder> MakeHolder<TagType>(CVelkaroDlg * owner)       \
    {                                                                                \
        return std::make_unique<Holder<ValueType, TagType*>>(owner);                 \
    }
VELKARO_WATCHER(OnChangeFun::ModeStop, bool)
VELKARO_WATCHER(OnChangeFun::ModeSingle, bool)
VELKARO_WATCHER(OnChangeFun::ShowLegend, int)
VELKARO_WATCHER(OnChangeFun::ShowCross, int)
VELKARO_WATCHER(OnChangeFun::Interpolation, bool)
VELKARO_WATCHER(OnChangeFun::ChDigital<0>, bool)
VELKARO_WATCHER(OnChangeFun::ChDigital<1>, bool)
VELKARO_WATCHER(OnChangeFun::ChDigitalBus<0>, bool)
VELKARO_WATCHER(OnChangeFun::ChDigitalBus<1>, bool)
VELKARO_WATCHER(OnChangeFun::Ch<0>, bool)
VELKARO_WATCHER(OnChangeFun::Ch<1>, bool)
VELKARO_WATCHER(OnChangeFun::Connected, bool)
VELKARO_WATCHER(OnChangeFun::MathOp, int)
#undef VELKARO_WATCHER

}  // namespace COnChange
