#include "launcher/DialogCentring.h"

void CentreOnScreen(platform::Window& window)
{
    platform::Rect rect = window.GetWindowRect();
    int x = (platform::GetScreenWidth() - rect.Width()) / 2;
    int y = (platform::GetScreenHeight() - rect.Height()) / 2;
    window.Move(x, y, rect.Width(), rect.Height(), true);
}
