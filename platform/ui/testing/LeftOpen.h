#pragma once
// For modal handlers of tests: a loop the test's actions should have ended and did not (a
// button that stayed disabled, a cancel that was swallowed) fails the test and is ended from
// outside, so that a regression shows in seconds instead of as a hung test.

#include "platform/ui/UiHooks.h"
#include "platform/ui/Wnd.h"

#include <gtest/gtest.h>

#include <string>

namespace uitest {

// Call where the handler's actions should have ended its loop; `after` says what they were.
inline void EndIfLeftOpen(uihooks::ModalContext& m, const std::string& after)
{
    if (m.window == nullptr || !m.window->ContinueModal()) return;
    ADD_FAILURE() << "\"" << m.caption << "\" still open after " << after << "; ended from outside";
    m.End(IDABORT);
}

}  // namespace uitest
