#include "support/FakeSettingsWindow.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>
#include <boost/serialization/version.hpp>

#include <sstream>

using boost::serialization::make_nvp;

namespace boost::serialization {
template <class Archive>
void serialize(Archive& archive, SavedVersion& saved, unsigned int)
{
    archive & make_nvp("version", saved.version);
    archive & make_nvp("hw_version", saved.hwVersion);
}
}  // namespace boost::serialization

FakeWindowState::FakeWindowState()
{
    for (char channel : {'A', 'B'})
        for (int line = 0; line < 8; ++line)
            la_net_name.push_back(std::string(1, channel) + std::to_string(line));
    la_net_display.assign(16, 1);
}

namespace {

// Elements up to "la_net_display_labels", common to every class version.
template <class Archive>
void HeadElements(Archive& archive, FakeWindowState& s, unsigned version)
{
    archive & make_nvp("x", s.x);
    archive & make_nvp("y", s.y);
    archive & make_nvp("hotkeys", s.hotkeys);
    archive & make_nvp("check_digital_bus", s.check_digital_bus);
    archive & make_nvp("last_saved_version", s.last_saved_version);
    archive & make_nvp("def_save_type", s.def_save_type);
    archive & make_nvp("minmax", s.minmax);
    archive & make_nvp("not_hide_trigger_level", s.not_hide_trigger_level);
    if (version >= 1)
        archive & make_nvp("not_hide_trigger_offset", s.not_hide_trigger_offset);
    archive & make_nvp("minmax_draw_type", s.minmax_draw_type);
    archive & make_nvp("show_legend", s.show_legend);
    archive & make_nvp("show_cross", s.show_cross);
    archive & make_nvp("extra_tick_full_time", s.extra_tick_full_time);
    archive & make_nvp("la_net_name", s.la_net_name);
    archive & make_nvp("la_net_display", s.la_net_display);
    archive & make_nvp("la_net_display_labels", s.la_net_display_labels);
    archive & make_nvp("measure_dlg", s.measure_dlg);
    archive & make_nvp("marker_dlg", s.marker_dlg);
    archive & make_nvp("properties_dlg", s.properties_dlg);
    archive & make_nvp("service_dlg", s.service_dlg);
    archive & make_nvp("math_dlg", s.math_dlg);
}

// A class-version-1 writer: one more "measure_dlg" after "math_dlg", no "lgenerator_dlg".
struct VersionOneWindow {
    FakeWindowState* state;
    void save(boost::archive::xml_oarchive& archive, unsigned int version) const
    {
        HeadElements(archive, *state, version);
        archive << make_nvp("measure_dlg", state->measure_dlg);
        archive << make_nvp("lanalyzer_dlg", state->lanalyzer_dlg);
    }
    void load(boost::archive::xml_iarchive&, unsigned int) {}
    BOOST_SERIALIZATION_SPLIT_MEMBER()
};

}  // namespace

BOOST_CLASS_VERSION(VersionOneWindow, 1)
BOOST_CLASS_TRACKING(VersionOneWindow, boost::serialization::track_never)

void FakeSettingsWindow::SaveSettings(boost::archive::xml_oarchive& archive)
{
    if (failSaving)
        throw boost::archive::archive_exception(boost::archive::archive_exception::output_stream_error);
    HeadElements(archive, state, kWindowSettingsVersion);
    archive << make_nvp("lanalyzer_dlg", state.lanalyzer_dlg);
    archive << make_nvp("lgenerator_dlg", state.lgenerator_dlg);
}

void FakeSettingsWindow::LoadSettings(boost::archive::xml_iarchive& archive, unsigned version)
{
    loadedVersion = version;
    HeadElements(archive, state, version);
    if (version < 2) {
        // Older windows wrote the measurement window twice; the second copy wins.
        archive >> make_nvp("measure_dlg", state.measure_dlg);
    }
    archive >> make_nvp("lanalyzer_dlg", state.lanalyzer_dlg);
    if (version >= 2)
        archive >> make_nvp("lgenerator_dlg", state.lgenerator_dlg);
}

std::string WriteVersionOneArchive(const FakeWindowState& state, const std::string& name)
{
    FakeWindowState copy = state;
    std::ostringstream out;
    {
        boost::archive::xml_oarchive archive(out);
        const VersionOneWindow window{&copy};
        archive << make_nvp(name.c_str(), window);
    }
    return out.str();
}
