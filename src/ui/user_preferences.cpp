#include "user_preferences.h"

#include "state/preferences_store.h"

namespace lustrelab {

bool autoPasteOnLaunch()
{
    return PreferencesStore().autoPasteOnLaunch();
}

void setAutoPasteOnLaunch(bool enabled)
{
    PreferencesStore().setAutoPasteOnLaunch(enabled);
}

double defaultExportScale()
{
    return PreferencesStore().defaultExportScale();
}

void setDefaultExportScale(double scale)
{
    PreferencesStore().setDefaultExportScale(scale);
}

} // namespace lustrelab
