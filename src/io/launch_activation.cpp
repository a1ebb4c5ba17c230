#include "launch_activation.h"

namespace lustrelab {

namespace {

const QString tokenKey = QStringLiteral("activation-token");
const QString startupIdKey = QStringLiteral("desktop-startup-id");

} // namespace

LaunchActivation launchActivationFromEnvironment()
{
    return {qEnvironmentVariable("XDG_ACTIVATION_TOKEN"), qEnvironmentVariable("DESKTOP_STARTUP_ID")};
}

void clearLaunchActivation()
{
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("DESKTOP_STARTUP_ID");
}

QVariantMap platformData(const LaunchActivation& activation)
{
    QVariantMap data;
    if (!activation.activationToken.isEmpty())
        data.insert(tokenKey, activation.activationToken);
    if (!activation.startupId.isEmpty())
        data.insert(startupIdKey, activation.startupId);
    return data;
}

LaunchActivation activationFromPlatformData(const QVariantMap& data)
{
    // A caller may send anything under these keys: only strings count.
    const auto text = [&data](const QString& key) {
        const QVariant value = data.value(key);
        return value.typeId() == QMetaType::QString ? value.toString() : QString();
    };
    return {text(tokenKey), text(startupIdKey)};
}

} // namespace lustrelab
