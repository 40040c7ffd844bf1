#pragma once

#include <cstddef>

// Builds the whole pop-up tree and attaches it to the right button.
// The menus, each command entry calling selected with its row of the table.
void CreateMenus(void (*selected)(int row));
// The label of a command row: its name and the key that runs it.
void FormatCommandMenuLabel(int row, char* label, size_t size);
void AddCommandMenuEntry(unsigned char row);
void AddLightMenuEntries();
void MaterialMenuSelect(int value);
// Stars the current model's material in the Material menu, when another is
// starred; the commands call it after each command, since any may change
// the current model.
void UpdateMaterialMenu();
// The label of Material entry i for the current model.
void FormatMaterialMenuLabel(int index, char* label, size_t size);
