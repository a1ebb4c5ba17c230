#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>

class QObject;

namespace lustrelab {

// Asks the desktop portal on `bus` whether it offers `interface`, by reading
// that interface's "version" property, without waiting for the answer:
// `answer` runs later on the event loop of context's thread, with true when
// the portal answered within `timeoutMs`. No bus, no portal, an error or
// silence past the timeout all give false; a portal that starts on demand
// takes a moment, and one slower than the timeout would not be usable for an
// interactive capture anyway. Nothing runs once `context` is gone.
void probePortalInterface(const QDBusConnection& bus, const QString& interface, QObject* context,
                          std::function<void(bool available)> answer, int timeoutMs = 3000);

} // namespace lustrelab
