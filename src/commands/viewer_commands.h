#pragma once

// The command handlers of the viewer's own settings: stereo, the overlay, quitting.
void ChangeEyeSpacing(float amount);
void ChangeFocalDistance(float amount);
void ToggleStereo(float unused = 0.0f);
void ToggleHelp(float unused = 0.0f);
void ToggleStatusDisplay(float unused = 0.0f);
void Quit(float unused = 0.0f);
