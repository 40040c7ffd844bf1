#pragma once

#include <string>

#include "model/model.h"

// A Quake III player folder: lower.md3, upper.md3, head.md3 and
// animation.cfg, loose or inside an archive.
bool IsQ3PlayerFolder(const std::string& path);

// Loads the three parts, hangs the torso on the legs' tag_torso and the
// head on the torso's tag_head, gives legs and torso their animations
// (idle legs, a standing torso) and the default skin set; the legs become
// current. Null after a report, nothing loaded.
ModelObject* AddQ3Player(const std::string& folder);

// A model file, or a Quake III player folder (the player's legs).
ModelObject* AddModelOrPlayer(const std::string& path);

// The parts of the player a model belongs to: legs (the one carrying the
// others) and torso; null when the model is no player's.
ModelObject* PlayerLegs(const ModelObject* model);
ModelObject* PlayerTorso(const ModelObject* model);

// Command handlers: ask for a player folder; step the legs' or the torso's
// animation.
void LoadQ3Player(float unused = 0.0f);
void ChangeLegsAnimation(float step);
void ChangeTorsoAnimation(float step);
