#pragma once

#include <string>

#include "model/model.h"
#include "rig/player_files.h"

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
