#pragma once
// CToolDialog: the base of every modeless tool window of the main window (measurements,
// markers, settings, service, mathematics, logic analyser, logic generator, the protocol
// analysers). The main window resets, shows, hides and refreshes them all the same way, and
// each stores its place and visibility in the configuration file as its "base" record.
//
// A tool window's close command (Esc or the close box) hides it and reports OnShowTool(false).
// Windows built with forwarding send every other command to their parent, the main window,
// before their own message map sees it, so that the main window's map serves controls that
// sit in the tool window; the command keeps its control handle, so one id in two windows is
// told apart. IDOK and IDCANCEL are never forwarded: in the main window they would close the
// program (none of the forwarding windows has a control with either id; Enter sends IDOK).

#include "platform/ui/Dialog.h"

#include <boost/archive/xml_iarchive.hpp>
#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/base_object.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/split_member.hpp>

#include <cstdint>

class CToolDialog : public CDialog {
public:
    enum class Forwarding {
        None,                      // commands stay in the window
        Commands,                  // commands go to the parent first
        CommandsAndNotifications,  // and so do the notifications of the math controls
    };

    explicit CToolDialog(UINT templateId = 0, CWnd* parent = nullptr,
                         Forwarding forwarding = Forwarding::None);

    // Back to the start state. Default: a window that exists is hidden and told so.
    virtual void Reset();
    // Called right after the window was shown or hidden by the main window, the stored
    // configuration or its own close command.
    virtual void OnShowTool(bool shown);
    // Called on every tick of the main window.
    virtual void Refresh();

    // The stored record: "x", "y" (screen position), "cx", "cy" (size), "is_visible".
    struct Placement {
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::int32_t cx = 0;
        std::int32_t cy = 0;
        bool is_visible = false;
    };
    // The record of the window as it is now (all zero when it does not exist).
    Placement GetPlacement() const;
    // Applies a loaded record: the position only when all four numbers are non-zero and the
    // window's centre there lies on the desktop (the stored size is never applied); then the
    // window is shown or hidden and told so. A window that does not exist ignores the record.
    void ApplyPlacement(const Placement& placement);

    template <class Archive>
    void save(Archive& archive, unsigned int /*version*/) const
    {
        const Placement p = GetPlacement();
        archive << boost::serialization::make_nvp("x", p.x);
        archive << boost::serialization::make_nvp("y", p.y);
        archive << boost::serialization::make_nvp("cx", p.cx);
        archive << boost::serialization::make_nvp("cy", p.cy);
        archive << boost::serialization::make_nvp("is_visible", p.is_visible);
    }
    template <class Archive>
    void load(Archive& archive, unsigned int /*version*/)
    {
        Placement p;
        archive >> boost::serialization::make_nvp("x", p.x);
        archive >> boost::serialization::make_nvp("y", p.y);
        archive >> boost::serialization::make_nvp("cx", p.cx);
        archive >> boost::serialization::make_nvp("cy", p.cy);
        archive >> boost::serialization::make_nvp("is_visible", p.is_visible);
        ApplyPlacement(p);
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()

    // The window's record in the main window's settings under `name`. A window with a record
    // of its own overrides both with VELKARO_TOOL_RECORD, so that the archive sees its class
    // (its members and its class version); the base writes the "base" record alone.
    virtual void SaveRecord(boost::archive::xml_oarchive& archive, const char* name) const;
    virtual void LoadRecord(boost::archive::xml_iarchive& archive, const char* name);

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // A modeless window that ends itself only hides; the close command has done that already
    // and told the window, and Enter must not hide it behind the main window's back.
    void OnOK() override;
    void OnCancel() override;

private:
    CWnd* CommandTarget() const;

    Forwarding forwarding_;
};

// Inside the class body of a tool window with its own record: the two overrides that hand the
// archive the window's own class.
#define VELKARO_TOOL_RECORD()                                                                      \
    void SaveRecord(boost::archive::xml_oarchive& archive, const char* name) const override       \
    {                                                                                              \
        archive << boost::serialization::make_nvp(name, *this);                                    \
    }                                                                                              \
    void LoadRecord(boost::archive::xml_iarchive& archive, const char* name) override             \
    {                                                                                              \
        archive >> boost::serialization::make_nvp(name, *this);                                    \
    }

// Inside the class body of a tool window whose record is its base record alone, in an element
// "base" of the window's own class.
#define VELKARO_TOOL_RECORD_OF_BASE()                                                              \
    template <class Archive>                                                                       \
    void serialize(Archive& archive, unsigned int /*version*/)                                     \
    {                                                                                              \
        archive & boost::serialization::make_nvp("base", boost::serialization::base_object<CToolDialog>(*this)); \
    }                                                                                              \
    VELKARO_TOOL_RECORD()
