#pragma once
// Storing the data model's settings in the configuration store: each device variant writes
// itself as an XML archive into its own section ("data_v1" .. "data_v5") and reads itself back.
//
// Only the variant sources include this header: it brings in the archive library.

#include "core/config/ArchiveCheck.h"
#include "core/config/ConfigSections.h"
#include "core/data/OscData.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/collection_size_type.hpp>
#include <boost/serialization/export.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/string.hpp>

#include <exception>
#include <sstream>
#include <string>

namespace data_persistence {

// One text of a text array: an "item" holding a "str" element.
struct TextItem {
    CString* text;

    template <class Archive>
    void save(Archive& archive, unsigned int) const
    {
        const std::string value = *text;
        archive << boost::serialization::make_nvp("str", value);
    }
    template <class Archive>
    void load(Archive& archive, unsigned int)
    {
        std::string value;
        archive >> boost::serialization::make_nvp("str", value);
        *text = CString(std::move(value));
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()
};

// A fixed array of texts: "count", then one "item" per text. A stored count larger than the
// array is an archive error, as for every other array.
struct TextArray {
    CString* texts;
    std::size_t size;

    template <class Archive>
    void save(Archive& archive, unsigned int) const
    {
        const boost::serialization::collection_size_type count(size);
        archive << boost::serialization::make_nvp("count", count);
        for (std::size_t i = 0; i < size; ++i) {
            const TextItem item{&texts[i]};
            archive << boost::serialization::make_nvp("item", item);
        }
    }
    template <class Archive>
    void load(Archive& archive, unsigned int)
    {
        boost::serialization::collection_size_type count(0);
        archive >> boost::serialization::make_nvp("count", count);
        if (static_cast<std::size_t>(count) > size)
            boost::serialization::throw_exception(boost::archive::archive_exception(
                boost::archive::archive_exception::array_size_too_short));
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
            TextItem item{&texts[i]};
            archive >> boost::serialization::make_nvp("item", item);
        }
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()
};

// Values that index tables or divide: a section holding others cannot be taken.
inline bool StoredValuesUsable(const OscData& data)
{
    for (std::uint32_t u : data.u_div)
        if (u >= VDIV_TABLE_SIZE) return false;
    for (std::uint8_t direction : data.trigger_dir)
        if (direction > 2) return false;
    return data.x_zoom_out_hw >= 1 && data.x_zoom_out_sw >= 1 && data.x_zoom_out_sw <= 20 &&
           data.x_zoom_in >= 1 && data.x_zoom_in <= 20;
}

// A restored model never starts recording: the recorder's files, ring position and start time
// belong to the run that saved it, and the recorder mode itself is cleared when the model is
// installed. A recorder bit left in osc_cr would ask the device for the recorder stream while
// no one reads it, and no frame would ever be shown.
inline void LeaveRecorderState(OscData& data)
{
    data.mode &= ~MODE_RECORDER;
    data.osc_cr = static_cast<std::uint16_t>(data.osc_cr & ~OSC_CR_RECORDER);
}

// Reads the variant from its section. False when the section is missing, unreadable or holds
// unusable values; the caller then returns to the defaults.
template <class Variant>
bool LoadDataSection(Variant& data)
{
    const std::string name = data.GetSectionName();
    std::string text;
    if (!RestoreSection(name, text)) return false;
    bool loaded = false;
    try {
        RequireArchiveText(text, kMaxSectionBytes);
        std::istringstream stream(text);
        boost::archive::xml_iarchive archive(stream, kArchiveReadFlags);
        archive >> boost::serialization::make_nvp(name.c_str(), data);
        loaded = StoredValuesUsable(data);
    } catch (const std::exception&) {
    }
    if (loaded) LeaveRecorderState(data);
    return loaded;
}

// Writes the variant into its section; on an archive error the section keeps its old text.
template <class Variant>
void SaveDataSection(Variant& data) noexcept
{
    try {
        const std::string name = data.GetSectionName();
        std::ostringstream stream;
        {
            boost::archive::xml_oarchive archive(stream);
            const Variant& constData = data;
            archive << boost::serialization::make_nvp(name.c_str(), constData);
        }
        StoreSection(name, stream.str());
    } catch (...) {
    }
}

}  // namespace data_persistence

BOOST_CLASS_IMPLEMENTATION(data_persistence::TextItem, boost::serialization::object_serializable)
BOOST_CLASS_TRACKING(data_persistence::TextItem, boost::serialization::track_never)
BOOST_CLASS_IMPLEMENTATION(data_persistence::TextArray, boost::serialization::object_serializable)
BOOST_CLASS_TRACKING(data_persistence::TextArray, boost::serialization::track_never)

template <class Archive>
void OscData::serialize(Archive& archive, unsigned int)
{
    using boost::serialization::make_nvp;
    archive & make_nvp("mode", mode);
    archive & make_nvp("osc_cr", osc_cr);
    archive & make_nvp("osc_sr", osc_sr);
    archive & make_nvp("analog_cr", analog_cr);
    archive & make_nvp("trigger_offset_samples", trigger_offset_samples);
    archive & make_nvp("trigger_offset_extra", trigger_offset_extra);
    archive & make_nvp("x_offset", x_offset);
    archive & make_nvp("x_zoom_out_hw", x_zoom_out_hw);
    archive & make_nvp("x_zoom_out_sw", x_zoom_out_sw);
    archive & make_nvp("x_zoom_in", x_zoom_in);
    archive & make_nvp("u_div", u_div);
    archive & make_nvp("t_div", t_div);
    archive & make_nvp("x_skip", x_skip);
    archive & make_nvp("max_x_skip", max_x_skip);
    archive & make_nvp("y_offset", y_offset);
    archive & make_nvp("trigger_level", trigger_level);
    archive & make_nvp("trigger_dir", trigger_dir);
    archive & make_nvp("out_freq", out_freq);
    archive & make_nvp("offset_dac", offset_dac);
    archive & make_nvp("trigger_digital", trigger_digital);
    data_persistence::TextArray names{str_datalogger_fn, 2};
    archive & make_nvp("str_datalogger_fn", names);
}

