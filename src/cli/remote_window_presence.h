#pragma once

#include "io/application_presence.h"

namespace lustrelab {

// What the window's own capture does with its windows, done for a capture
// command started from outside it (a key binding, a desktop action): the
// running window, if any, leaves the screen before the picture is taken and
// comes back afterwards.
class RemoteWindowPresence : public ApplicationPresence
{
  public:
    void hideApplication() override;
    void showApplication() override;
    bool hidSomething() const override { return m_hidden; }

  private:
    bool m_hidden = false;
};

} // namespace lustrelab
