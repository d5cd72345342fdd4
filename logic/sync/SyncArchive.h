#pragma once
// Settings-file records of objects a window owns through pointers: each is written inside an
// element "ptr" of its own element, and an array of them as "count" and one "item" per object.
// Loading fills the objects that exist; it never makes new ones (a null slot reads its record
// into a scratch object that is thrown away), and a stored count above the array's size is an
// archive error rather than a write past its end.

#include <boost/archive/archive_exception.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/throw_exception.hpp>

#include <array>
#include <cstddef>
#include <memory>

template <class T>
struct OwnedElementRef {
    std::unique_ptr<T>* owner;

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        if (*owner != nullptr) {
            const T& object = **owner;
            archive << boost::serialization::make_nvp("ptr", object);
        } else {
            const T scratch{};
            archive << boost::serialization::make_nvp("ptr", scratch);
        }
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        if (*owner != nullptr) {
            archive >> boost::serialization::make_nvp("ptr", **owner);
        } else {
            T scratch{};
            archive >> boost::serialization::make_nvp("ptr", scratch);
        }
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()
};

template <class T, std::size_t N>
struct OwnedArrayRef {
    std::array<std::unique_ptr<T>, N>* owners;

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        const std::size_t count = N;
        archive << boost::serialization::make_nvp("count", count);
        for (std::unique_ptr<T>& owner : *owners) {
            const OwnedElementRef<T> item{&owner};
            archive << boost::serialization::make_nvp("item", item);
        }
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        std::size_t count = 0;
        archive >> boost::serialization::make_nvp("count", count);
        if (count > N)
            boost::throw_exception(
                boost::archive::archive_exception(boost::archive::archive_exception::array_size_too_short));
        for (std::size_t i = 0; i < count; ++i) {
            OwnedElementRef<T> item{&(*owners)[i]};
            archive >> boost::serialization::make_nvp("item", item);
        }
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()
};


// The wrappers are written by value; name them before handing them to make_nvp.
template <class T>
OwnedElementRef<T> OwnedElement(std::unique_ptr<T>& owner)
{
    return {&owner};
}
template <class T, std::size_t N>
OwnedArrayRef<T, N> OwnedArray(std::array<std::unique_ptr<T>, N>& owners)
{
    return {&owners};
}
