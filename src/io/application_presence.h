#pragma once

namespace lustrelab {

// Takes the application's windows off the screen before a capture and brings
// the main window back to the front afterwards, so the picture never shows
// the application itself. The main window implements it; without one a
// capture simply leaves the windows alone.
class ApplicationPresence
{
  public:
    virtual ~ApplicationPresence() = default;
    virtual void hideApplication() = 0;
    virtual void showApplication() = 0;
    // Whether the last hideApplication took anything off the screen; when it
    // did not, there is no repaint for a capture to wait for.
    virtual bool hidSomething() const { return true; }
};

} // namespace lustrelab
