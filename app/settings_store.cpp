#include "app/settings_store.h"

#include "app/store_fault_notice.h"
#include "store/associations.h"
#include "store/reg_def.h"

namespace {

QString readText(TRegDef& reg, const char* name, const QString& defaultText)
{
    return QString::fromStdString(reg.ReadTextOr(name, defaultText.toStdString()));
}

} // namespace

MainSettings loadMainSettings()
{
    MainSettings settings;
    TRegDef reg;
    if (!openSettingsKey(reg))
        return settings;
    settings.autoInclude = reg.ReadFlagOr("AutoInclude", true);
    settings.calType = reg.ReadNumberOr("CalType", 4);
    settings.delimitMode = reg.ReadNumberOr("DelimitMode", 0);
    settings.delimitChar = readText(reg, "DelimitChar", QStringLiteral(","));
    settings.delimitCode = readText(reg, "DelimitCode", QStringLiteral("32"));
    // Checked only when the key opens: a first start gets transposed output.
    settings.transpose = reg.ReadFlagOr("Transpose", true);
    settings.binary = reg.ReadFlagOr("Binary", false);
    settings.debug = reg.ReadFlagOr("Debug", false);
    const int32_t top = reg.ReadNumberOr("Top", 4);
    const int32_t left = reg.ReadNumberOr("Left", 4);
    settings.topLeft = QPoint(left, top);
    return settings;
}

void saveMainSettings(const MainSettings& settings)
{
    TRegDef reg;
    if (!beginSettingsUpdate(reg))
        return;
    reg.WriteFlag("AutoInclude", settings.autoInclude);
    reg.WriteNumber("CalType", settings.calType);
    reg.WriteNumber("DelimitMode", settings.delimitMode);
    reg.WriteText("DelimitChar", settings.delimitChar.toStdString());
    reg.WriteText("DelimitCode", settings.delimitCode.toStdString());
    reg.WriteFlag("Transpose", settings.transpose);
    reg.WriteFlag("Binary", settings.binary);
    reg.WriteFlag("Debug", settings.debug);
    const QPoint topLeft = settings.topLeft.value_or(QPoint(113, 134));
    reg.WriteNumber("Top", topLeft.y());
    reg.WriteNumber("Left", topLeft.x());
    finishSettingsUpdate(reg);
}

bool openSettingsKey(TRegDef& reg)
{
    reg.SelectRoot(HKEY_CURRENT_USER);
    if (reg.OpenPath(SettingsKey, true))
        return true;
    tellStoreFault(reg);
    return false;
}

bool beginSettingsUpdate(TRegDef& reg)
{
    reg.SelectRoot(HKEY_CURRENT_USER);
    if (reg.BeginUpdate() && reg.OpenPath(SettingsKey, true))
        return true;
    tellStoreFault(reg);
    return false;
}

void finishSettingsUpdate(TRegDef& reg)
{
    if (!reg.CommitUpdate())
        tellStoreFault(reg);
}
