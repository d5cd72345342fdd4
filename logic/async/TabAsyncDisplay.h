#pragma once
// The asynchronous decoder's "Отображение" page: how the frames are drawn over the chart.

#include "widgets/tabs/TabPageSSL.h"

#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>

class CTabAsyncDisplay : public CTabPageSSL {
public:
    enum { IDD = 193 };
    static constexpr int kComboId = 1129;
    enum Mode { NONE = 0, START_STOP = 1, BOUNDS = 2, BOUNDS_AND_VALUE = 3 };

    CTabAsyncDisplay() = default;

    int GetMode() const;
    void SetMode(int mode);
    void ShowValues();

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        const int mode = GetMode();
        archive << boost::serialization::make_nvp("display_data", mode);
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        int mode = BOUNDS_AND_VALUE;
        archive >> boost::serialization::make_nvp("display_data", mode);
        SetMode(mode);
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()

protected:
    BOOL OnInitDialog() override;

private:
    int display_data_ = BOUNDS_AND_VALUE;
};
