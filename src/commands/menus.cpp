#include "commands/menus.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "commands/command_table.h"
#include "lighting/lights.h"
#include "lighting/materials.h"
#include "state/viewer_state.h"

namespace {

// The material the Material menu stars: -1 for none (no model).
int markedMaterial = -1;
// What a command's menu entry calls with its row.
void (*commandSelected)(int row) = nullptr;

void KeyPart(const CommandEntry& row, char* part, size_t size)
{
    switch (row.key) {
    case 10: case 13: snprintf(part, size, " 'Enter'"); return;
    case 8: case 127: snprintf(part, size, " 'Del'"); return;
    case 27: snprintf(part, size, " 'Esc'"); return;
    case 0: break;
    default: snprintf(part, size, " '%c'", row.key); return;
    }
    switch (row.specialKey) {
    case GLUT_KEY_LEFT: snprintf(part, size, " 'Left'"); return;
    case GLUT_KEY_RIGHT: snprintf(part, size, " 'Right'"); return;
    case GLUT_KEY_UP: snprintf(part, size, " 'Up'"); return;
    case GLUT_KEY_DOWN: snprintf(part, size, " 'Down'"); return;
    case GLUT_KEY_PAGE_UP: snprintf(part, size, " 'PgUp'"); return;
    case GLUT_KEY_PAGE_DOWN: snprintf(part, size, " 'PgDn'"); return;
    case GLUT_KEY_HOME: snprintf(part, size, " 'Home'"); return;
    case GLUT_KEY_END: snprintf(part, size, " 'End'"); return;
    default: part[0] = '\0';
    }
}

void Light0Menu(int value) { LightMenuChoice(&viewer.lights[0], value); }
void Light1Menu(int value) { LightMenuChoice(&viewer.lights[1], value); }
void Light2Menu(int value) { LightMenuChoice(&viewer.lights[2], value); }
void Light3Menu(int value) { LightMenuChoice(&viewer.lights[3], value); }
void Light4Menu(int value) { LightMenuChoice(&viewer.lights[4], value); }

int CommandMenu(std::initializer_list<unsigned char> rows)
{
    int menu = glutCreateMenu(commandSelected);
    for (unsigned char row : rows)
        AddCommandMenuEntry(row);
    return menu;
}

}  // namespace

void FormatCommandMenuLabel(int row, char* label, size_t size)
{
    char part[30];
    KeyPart(commandTable[row], part, sizeof part);
    snprintf(label, size, "%.63s%.29s", commandTable[row].name, part);
}

void AddCommandMenuEntry(unsigned char row)
{
    char label[94];
    FormatCommandMenuLabel(row, label, sizeof label);
    glutAddMenuEntry(label, row);
}

void AddLightMenuEntries()
{
    const struct {
        const char* label;
        int value;
    } entries[] = {{"Toggle Light On/Off", 'o'},   {"Make light Positional", 'p'},
                   {"Make light Directional", 'd'}, {"Make light Spot Light", 's'},
                   {"Color White", 'w'},           {"Color Red", 'r'},
                   {"Color Blue", 'b'},            {"Color Green", 'g'},
                   {"Brightest", 'f'},             {"Scale Brighter", '+'},
                   {"Scale Darker", '-'}};
    for (const auto& entry : entries)
        glutAddMenuEntry(entry.label, entry.value);
}

void FormatMaterialMenuLabel(int index, char* label, size_t size)
{
    const ModelObject* model = viewer.currentModel;
    bool current = model && model->materialIndex == index;
    int written = snprintf(label, size, "%s%.62s", current ? "*" : "", materialTable[index].name);
    (void)written;  // names are short; a longer one would only be cut
}

void MaterialMenuSelect(int value)
{
    if (!viewer.currentModel || value < 0 || value >= kNumMaterials)
        return;
    viewer.currentModel->materialIndex = static_cast<uint8_t>(value);
    UpdateMaterialMenu();
}

void UpdateMaterialMenu()
{
    if (viewer.materialMenu == 0)
        return;  // no menus yet (tests, or before start-up made them)
    int current = viewer.currentModel ? viewer.currentModel->materialIndex : -1;
    if (current == markedMaterial)
        return;  // the labels show it already
    markedMaterial = current;
    int previous = glutGetMenu();
    glutSetMenu(viewer.materialMenu);
    for (int i = 0; i < kNumMaterials; ++i) {
        char label[64];
        FormatMaterialMenuLabel(i, label, sizeof label);
        glutChangeToMenuEntry(i + 1, label, i);
    }
    if (previous)
        glutSetMenu(previous);
}

void CreateMenus(void (*selected)(int row))
{
    commandSelected = selected;
    int models = CommandMenu({84, 85, 105, 110, 111, 112, 86, 87, 100, 101, 102, 103, 104});
    int skins = CommandMenu({64, 65, 66, 67, 68});
    int texturing = CommandMenu({60, 61, 62, 63});
    int rendering = CommandMenu({57, 58, 59, 69, 70, 71});
    int stereo = CommandMenu({8, 0, 1, 4, 5});
    int animation = CommandMenu({39, 40, 41, 44, 45, 46, 47, 48, 49, 50, 51, 53, 54, 56, 106, 107, 108, 109});
    int control = CommandMenu({10, 9, 11, 12, 13, 14, 17, 18, 21, 22, 25, 26, 29, 30, 33, 34, 99});
    int ambient = CommandMenu({74, 75, 76, 77, 78, 79});

    void (*lightCallbacks[5])(int) = {Light0Menu, Light1Menu, Light2Menu, Light3Menu, Light4Menu};
    int lightMenus[5];
    for (int i = 0; i < 5; ++i) {
        lightMenus[i] = glutCreateMenu(lightCallbacks[i]);
        AddLightMenuEntries();
    }
    int lighting = CommandMenu({80, 72, 73, 81});
    glutAddSubMenu("Ambient Light", ambient);
    const char* lightNames[5] = {"Light 0", "Light 1", "Light 2", "Light 3", "Light 4"};
    for (int i = 0; i < 5; ++i)
        glutAddSubMenu(lightNames[i], lightMenus[i]);

    viewer.materialMenu = glutCreateMenu(MaterialMenuSelect);
    for (int i = 0; i < kNumMaterials; ++i)
        glutAddMenuEntry(materialTable[i].name, i);
    markedMaterial = -1;
    int background = CommandMenu({88, 89, 90, 91, 92, 93, 94, 95});
    int misc = CommandMenu({96, 97, 37, 38});

    glutCreateMenu(commandSelected);
    const struct {
        const char* label;
        int menu;
    } subMenus[] = {{"Models", models},       {"Skins", skins},         {"Texturing", texturing},
                    {"Rendering", rendering}, {"Stereo", stereo},       {"Animation", animation},
                    {"Control", control},     {"Lighting", lighting},   {"Material", viewer.materialMenu},
                    {"BG Color", background}, {"Misc", misc}};
    for (const auto& sub : subMenus)
        glutAddSubMenu(sub.label, sub.menu);
    AddCommandMenuEntry(98);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}
