#include "remote_window_presence.h"

#include "io/instance_channel.h"

namespace lustrelab {

void RemoteWindowPresence::hideApplication()
{
    m_hidden = InstanceChannel::hideRunningWindow();
}

void RemoteWindowPresence::showApplication()
{
    if (m_hidden)
        InstanceChannel::showRunningWindow();
    m_hidden = false;
}

} // namespace lustrelab
