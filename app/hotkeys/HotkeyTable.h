#pragma once
// The key combinations of the main window's keyboard actions: one process-wide ordered table,
// filled with the defaults on first use, edited in CDialogHotkeys and kept in the settings file.

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <loki/Singleton.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Modifier bits of a binding, the values the hot-key control uses.
inline constexpr std::uint16_t kHotkeyShift = 1;
inline constexpr std::uint16_t kHotkeyCtrl = 2;
inline constexpr std::uint16_t kHotkeyAlt = 4;
inline constexpr std::uint16_t kHotkeyExtended = 8;

// What the default actions do; the main window implements it.
class HotkeyCommands {
public:
    virtual ~HotkeyCommands() = default;
    // +1: a longer time/div, -1: a shorter one.
    virtual void HotkeyStepTimebase(int delta) = 0;
    // +1 moves the view left, -1 right.
    virtual void HotkeyShiftView(int delta) = 0;
    virtual void HotkeyToggleRun() = 0;
};

// The window the default actions reach; null while there is none (the actions then do nothing).
void SetHotkeyTarget(HotkeyCommands* target);
HotkeyCommands* GetHotkeyTarget();

struct HotkeyBinding {
    std::string name;
    std::function<void()> action;
    std::uint16_t vkey = 0;
    std::uint16_t mod = 0;
};

// One stored record.
struct Hotkey {
    std::string name;
    std::uint16_t vkey = 0;
    std::uint16_t mod = 0;
};

class HotkeyList {
public:
    HotkeyList() { SetDefaults(); }

    void SetDefaults();
    void Save(boost::archive::xml_oarchive& archive) const;
    // Records are matched by name; unknown names are ignored, unmatched bindings keep their keys.
    void Load(boost::archive::xml_iarchive& archive);
    void Apply(const std::vector<Hotkey>& records);

    std::vector<HotkeyBinding> bindings;
};

using HotkeyTable = Loki::SingletonHolder<HotkeyList>;

// mod: 8 for an extended key, plus 4 with Alt; Shift and Ctrl are added from the key state now.
// Runs the first binding with equal key and modifiers; true when one ran.
bool FindAndRunHotkey(std::uint16_t mod, HotkeyList& table, std::uint16_t vkey);
