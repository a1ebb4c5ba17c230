#include "user_preferences.h"

#include <QSettings>

namespace lustrelab {

namespace {

QSettings store()
{
    return QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab"));
}

const QString autoClipboardKey = QStringLiteral("autoClipboard");
const QString defaultScaleKey = QStringLiteral("defaultScale");

} // namespace

bool autoPasteOnLaunch()
{
    return store().value(autoClipboardKey, true).toBool();
}

void setAutoPasteOnLaunch(bool enabled)
{
    store().setValue(autoClipboardKey, enabled);
}

double defaultExportScale()
{
    bool ok = false;
    const double scale = store().value(defaultScaleKey, 2.0).toDouble(&ok);
    return ok && (scale == 1 || scale == 2 || scale == 3) ? scale : 2.0;
}

void setDefaultExportScale(double scale)
{
    store().setValue(defaultScaleKey, scale);
}

} // namespace lustrelab
