#pragma once
// Platform-internal: helpers shared by the standard controls' files.

#include "platform/ui/WndImpl.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <string>

namespace uiimpl {

inline QString ToQ(const std::string& s) { return QString::fromStdString(s); }
inline QString ToQ(const char* s) { return s != nullptr ? QString::fromUtf8(s) : QString(); }
inline std::string FromQ(const QString& s) { return s.toStdString(); }

// Windows shows "&x" as an underlined x and "&&" as "&"; a label shows the plain text.
inline QString WithoutMnemonics(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

// Sets a flag for the duration of a change made by code.
class Guard {
public:
    explicit Guard(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Guard() { flag_ = old_; }

private:
    bool& flag_;
    bool old_;
};

inline int Clamp(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }

inline int SortedPosition(const QStringList& items, const QString& text)
{
    int i = 0;
    while (i < items.size() && QString::compare(items[i], text, Qt::CaseInsensitive) <= 0) ++i;
    return i;
}

inline LPARAM Text(const char* s) { return reinterpret_cast<LPARAM>(s != nullptr ? s : ""); }

// Every scroll bar of the program draws its thumb so that it stands out from its groove (see
// ControlsScrollBarLook.cpp); called once the application object exists.
void UseScrollBarLook();

// One factory per control family; each returns the behaviour of a new window of its class.
std::unique_ptr<Behaviour> MakeButtonBehaviour(DWORD style);
std::unique_ptr<Behaviour> MakeStaticBehaviour(DWORD style);
std::unique_ptr<Behaviour> MakeEditBehaviour(DWORD style);
std::unique_ptr<Behaviour> MakeListBoxBehaviour(DWORD style);
std::unique_ptr<Behaviour> MakeComboBehaviour(DWORD style);
std::unique_ptr<Behaviour> MakeTreeBehaviour();
std::unique_ptr<Behaviour> MakeUpDownBehaviour(DWORD style);
std::unique_ptr<Behaviour> MakeProgressBehaviour();
std::unique_ptr<Behaviour> MakeScrollBehaviour();

}  // namespace uiimpl
