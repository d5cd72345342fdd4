#include "app/hotkeys/HotkeyTable.h"

#include "platform/ui/Wnd.h"

#include <boost/serialization/nvp.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>

namespace boost::serialization {
template <class Archive>
void serialize(Archive& archive, Hotkey& key, unsigned int)
{
    archive & make_nvp("name", key.name);
    archive & make_nvp("vkey", key.vkey);
    archive & make_nvp("mod", key.mod);
}
}  // namespace boost::serialization

namespace {

HotkeyCommands* hotkey_target = nullptr;

template <class F>
std::function<void()> OnTarget(F f)
{
    return [f] {
        if (HotkeyCommands* target = GetHotkeyTarget())
            f(*target);
    };
}

}  // namespace

void SetHotkeyTarget(HotkeyCommands* target) { hotkey_target = target; }
HotkeyCommands* GetHotkeyTarget() { return hotkey_target; }

void HotkeyList::SetDefaults()
{
    bindings.clear();
    bindings.push_back({"Увеличить горизонтальную развертку", OnTarget([](HotkeyCommands& t) { t.HotkeyStepTimebase(1); }),
                        VK_UP, kHotkeyExtended});
    bindings.push_back({"Уменьшить горизонтальную развертку", OnTarget([](HotkeyCommands& t) { t.HotkeyStepTimebase(-1); }),
                        VK_DOWN, kHotkeyExtended});
    bindings.push_back({"Сдвинуть влево", OnTarget([](HotkeyCommands& t) { t.HotkeyShiftView(1); }), VK_LEFT,
                        kHotkeyExtended});
    bindings.push_back({"Сдвинуть вправо", OnTarget([](HotkeyCommands& t) { t.HotkeyShiftView(-1); }), VK_RIGHT,
                        kHotkeyExtended});
    bindings.push_back({"Старт/стоп", OnTarget([](HotkeyCommands& t) { t.HotkeyToggleRun(); }), VK_SPACE, 0});
}

void HotkeyList::Save(boost::archive::xml_oarchive& archive) const
{
    std::vector<Hotkey> records;
    records.reserve(bindings.size());
    for (const HotkeyBinding& b : bindings)
        records.push_back({b.name, b.vkey, b.mod});
    archive & boost::serialization::make_nvp("hotkeys", records);
}

void HotkeyList::Load(boost::archive::xml_iarchive& archive)
{
    std::vector<Hotkey> records;
    archive & boost::serialization::make_nvp("hotkeys", records);
    Apply(records);
}

void HotkeyList::Apply(const std::vector<Hotkey>& records)
{
    for (const Hotkey& record : records)
        for (HotkeyBinding& b : bindings)
            if (b.name == record.name)
            {
                b.vkey = record.vkey;
                b.mod = record.mod;
            }
}

bool FindAndRunHotkey(std::uint16_t mod, HotkeyList& table, std::uint16_t vkey)
{
    if ((GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0)
        mod |= kHotkeyShift;
    if ((GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0)
        mod |= kHotkeyCtrl;
    for (HotkeyBinding& b : table.bindings)
        if (b.vkey == vkey && b.mod == mod)
        {
            // A copy: the action may edit the table.
            const std::function<void()> action = b.action;
            if (action)
                action();
            return true;
        }
    return false;
}
