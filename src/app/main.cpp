#include "app/setting_app.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    CTesselSettingApp app;
    return app.Run(instance);
}
