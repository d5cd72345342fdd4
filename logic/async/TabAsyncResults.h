#pragma once
// The asynchronous decoder's "Результаты" page: the decoded text. It stores nothing.

#include "widgets/tabs/TabPageSSL.h"

#include <boost/serialization/nvp.hpp>

#include <string>

class CTabAsyncResults : public CTabPageSSL {
public:
    enum { IDD = 194 };
    static constexpr int kEditId = 1126;

    CTabAsyncResults() = default;

    // Shown at once when the page has its window.
    void SetText(const std::string& text);
    const std::string& GetText() const { return text_; }

    template <class Archive>
    void serialize(Archive& /*archive*/, unsigned int /*version*/)
    {
    }

protected:
    BOOL OnInitDialog() override;

private:
    std::string text_;
};
