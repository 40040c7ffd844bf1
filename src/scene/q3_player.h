#pragma once

#include <string>

#include "model/model.h"
#include "model/q3_player_files.h"

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
// The player's folder (its legs' folder, ending in "/"); empty for a model that is no player's.
std::string PlayerFolder(const ModelObject* model);
// The weapon the player holds; null for none.
ModelObject* PlayerWeapon(const ModelObject* model);

// Puts the weapon (a name of the game's, or a path) in the player's hand:
// on the torso's tag_weapon, its barrel on its tag_barrel, its flash on its
// tag_flash (shown while the torso attacks). False after a report, the
// player then holding none.
bool GiveQ3Weapon(ModelObject* player, const std::string& weapon);
void TakeQ3Weapon(ModelObject* player);

// Removes the player the model belongs to whole (or the model itself).
void RemovePlayerOf(ModelObject* model);

// Command handlers: ask for a player folder or one of the game's weapons;
// take the weapon away; step the legs' or the torso's animation.
void LoadQ3Player(float unused = 0.0f);
void LoadQ3Weapon(float unused = 0.0f);
void RemoveQ3Weapon(float unused = 0.0f);
void ChangeLegsAnimation(float step);
void ChangeTorsoAnimation(float step);
