#include "launcher/LauncherSettings.h"

#include <memory>

#include "core/GameSettings.h"
#include "core/Log.h"
#include "core/Settings.h"
#include "core/SettingsFile.h"
#include "launcher/LauncherDialog.h"

const char* const kSettingsFileName = "config.cfg";

namespace {

std::unique_ptr<CPSettings> g_launcherStore;

void BindLauncherSettings(CPSettings& store)
{
    GameSettings& settings = GetGameSettings();
    store.SetValue("Bloom", std::make_unique<CPIntSetting>(settings.bloom));
    store.SetValue("MotionBlur", std::make_unique<CPIntSetting>(settings.motionBlur));
    store.SetValue("LensFlare", std::make_unique<CPIntSetting>(settings.lensFlare));
    store.SetValue("Smoke", std::make_unique<CPIntSetting>(settings.smoke));
    store.SetValue(kFullscreenKey, std::make_unique<CPIntSetting>(FullscreenChoice));
    store.SetValue(kScreenWidthKey, std::make_unique<CPIntSetting>(settings.screenWidth));
    store.SetValue(kScreenHeightKey, std::make_unique<CPIntSetting>(settings.screenHeight));
}

CPSettings& LauncherStore()
{
    if (CPSettings* store = GetSettings())
        return *store;
    g_launcherStore = std::make_unique<CPSettings>();
    BindLauncherSettings(*g_launcherStore);
    SetSettings(g_launcherStore.get());
    return *g_launcherStore;
}

} // namespace

HResult WriteLauncherSettings()
{
    HResult result = LauncherStore().WriteSettingsFile(kSettingsFileName);
    if (Failed(result))
        LogLine(std::string("Launcher: the settings were not written to ") + kSettingsFileName);
    return result;
}

void LoadLauncherSettings(const std::string& path)
{
    ReadSettingsFile(path, GetGameSettings(), &FullscreenChoice);
}

void ReleaseLauncherSettings()
{
    if (!g_launcherStore)
        return;
    if (GetSettings() == g_launcherStore.get())
        SetSettings(nullptr);
    g_launcherStore.reset();
}
