#include "commands/viewer_commands.h"

#include <cstdlib>

#include "state/viewer_state.h"

void ChangeEyeSpacing(float amount)
{
    viewer.eyeSpacing += amount;
}

void ChangeFocalDistance(float amount)
{
    viewer.focalDistance += amount;
}

void ToggleStereo(float)
{
    viewer.stereo = !viewer.stereo;
}

void ToggleHelp(float)
{
    viewer.showHelp = !viewer.showHelp;
}

void ToggleStatusDisplay(float)
{
    viewer.showOverlay = !viewer.showOverlay;
}

void Quit(float)
{
    exit(0);
}
