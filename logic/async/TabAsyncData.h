#pragma once
// The asynchronous decoder's "Данные" page: the number of data nets (1..4) and, per net, the
// net, bit order, number of data bits (4..8) and parity. Rows beyond the number of nets are
// disabled.

#include "logic/netcombo/ComboNet.h"
#include "widgets/tabs/TabPageSSL.h"

#include <boost/archive/archive_exception.hpp>
#include <boost/serialization/array.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>

#include <array>
#include <memory>

class CTabAsyncData : public CTabPageSSL {
public:
    enum { IDD = 192 };
    static constexpr int kRows = 4;
    static constexpr int kCountId = 1131;
    static constexpr int kNetId = 1122;     // + row
    static constexpr int kMsbId = 1132;     // + row
    static constexpr int kBitsId = 1136;    // + row
    static constexpr int kParityId = 1140;  // + row
    static constexpr int kMinBits = 4;
    static constexpr int kMaxBits = 8;

    CTabAsyncData();
    ~CTabAsyncData() override;

    // The stored values; the controls' handlers keep them current.
    int num_data_nets = 1;
    std::array<std::unique_ptr<CComboNet>, kRows> data_net;
    std::array<int, kRows> msb{};
    std::array<int, kRows> num_data{8, 8, 8, 8};
    std::array<int, kRows> parity{};

    CComboNet& Net(int row) { return *data_net[static_cast<std::size_t>(row)]; }

    // Refills the net combos and puts the stored values into the controls.
    void ShowValues(bool fillNets);
    // Enables the rows in use and disables the others.
    void EnableRows();

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        using boost::serialization::make_nvp;
        archive << make_nvp("num_data_nets", num_data_nets);
        const NetRef refs[kRows] = {{data_net[0].get()}, {data_net[1].get()}, {data_net[2].get()}, {data_net[3].get()}};
        archive << make_nvp("data_net", refs);
        int m[kRows], b[kRows], p[kRows];
        for (int i = 0; i < kRows; ++i) {
            m[i] = msb[static_cast<std::size_t>(i)];
            b[i] = num_data[static_cast<std::size_t>(i)];
            p[i] = parity[static_cast<std::size_t>(i)];
        }
        const auto& cm = m;
        const auto& cb = b;
        const auto& cp = p;
        archive << make_nvp("msb", cm);
        archive << make_nvp("num_data", cb);
        archive << make_nvp("parity", cp);
    }
    // A stored array longer than four rows is an archive error (the array reader refuses it).
    // Values out of their lists are brought back into them.
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        using boost::serialization::make_nvp;
        int count = 1;
        archive >> make_nvp("num_data_nets", count);
        NetRef refs[kRows] = {{data_net[0].get()}, {data_net[1].get()}, {data_net[2].get()}, {data_net[3].get()}};
        archive >> make_nvp("data_net", refs);
        int m[kRows] = {}, b[kRows] = {8, 8, 8, 8}, p[kRows] = {};
        archive >> make_nvp("msb", m);
        archive >> make_nvp("num_data", b);
        archive >> make_nvp("parity", p);
        num_data_nets = count;
        for (int i = 0; i < kRows; ++i) {
            msb[static_cast<std::size_t>(i)] = m[i];
            num_data[static_cast<std::size_t>(i)] = b[i];
            parity[static_cast<std::size_t>(i)] = p[i];
        }
        Sanitize();
        if (GetSafeHwnd() != 0)
            ShowValues(false);
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()
    afx_msg void OnCountChange();
    afx_msg void OnRowChange(UINT id);
    afx_msg void OnMsbClicked(UINT id);

private:
    // Each combo is stored inside a "ptr" element.
    struct NetRef {
        CComboNet* combo;
        template <class Archive>
        void serialize(Archive& archive, unsigned int /*version*/)
        {
            archive & boost::serialization::make_nvp("ptr", *combo);
        }
    };
    void Sanitize();
};
