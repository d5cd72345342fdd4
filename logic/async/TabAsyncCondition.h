#pragma once
// The asynchronous decoder's "Условия" page: the packet timeout in bit intervals and whether
// processing covers the whole buffer or only the stretch between the vertical markers.

#include "widgets/tabs/TabPageSSL.h"

#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>

class CTabAsyncCondition : public CTabPageSSL {
public:
    enum { IDD = 191 };
    static constexpr int kEditId = 1126;
    static constexpr int kSpinId = 1144;
    static constexpr int kWholeId = 1145;
    static constexpr int kMarkersId = 1146;
    static constexpr int kTimeoutMax = 100;

    CTabAsyncCondition() = default;

    // What the controls show, or the stored values while the page has no window.
    int GetTimeout() const;
    int GetUseMarkers() const;
    void SetValues(int timeout, int useMarkers);
    // Puts the stored values into the controls.
    void ShowValues();

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        const int timeout = GetTimeout(), markers = GetUseMarkers();
        archive << boost::serialization::make_nvp("timeout_bit", timeout);
        archive << boost::serialization::make_nvp("use_markers", markers);
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        int timeout = 0, markers = 0;
        archive >> boost::serialization::make_nvp("timeout_bit", timeout);
        archive >> boost::serialization::make_nvp("use_markers", markers);
        SetValues(timeout, markers);
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()

protected:
    BOOL OnInitDialog() override;

private:
    int timeout_bit_ = 0;
    int use_markers_ = 0;
};
