#include "viewer/startup.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <ctime>

#include "commands/dispatch.h"
#include "commands/menus.h"
#include "lighting/lights.h"
#include "model/model_formats.h"
#include "looks/palettes.h"
#include "platform/chooser.h"
#include "platform/error_log.h"
#include "platform/quit_signals.h"
#include "render/textures.h"
#include "scene/model_list.h"
#include "scene/q3_player.h"
#include "state/viewer_state.h"
#include "view/mouse.h"
#include "view/projection.h"
#include "viewer/display.h"

void SeedRandom()
{
    srand(static_cast<unsigned>(time(nullptr)));
}

void InitWindow()
{
    glutInitWindowPosition(5, 5);
    glutInitWindowSize(640, 480);
    viewer.windowWidth = 640;
    viewer.windowHeight = 480;
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Tarnivel");
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glutDisplayFunc(Display);
    glutReshapeFunc(Reshape);
    glutMotionFunc(MouseMotion);
    glutMouseFunc(MouseButton);
    glutKeyboardFunc(Keyboard);
    glutSpecialFunc(SpecialKey);
    glutIdleFunc(Idle);
}

void InitGL()
{
    glClearColor(0, 0, 0, 0);
    glFrontFace(GL_CW);
    glPolygonMode(GL_FRONT, GL_FILL);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glLineWidth(1.0f);
    glPointSize(3.0f);
}

void Reshape(int width, int height)
{
    glViewport(0, 0, width, height);
    viewer.windowWidth = width;
    viewer.windowHeight = height;
    SetProjection();
}

int RunViewer(int argc, char** argv)
{
    // Console lines go out as they are printed, also into a file or a pipe.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    OpenErrorLog();
    InstallQuitSignals();
    SeedRandom();
    glutInit(&argc, argv);
    InitDefaults();
    SetModelFileFilters(ModelFileFilters());
    LoadMDLPalette();
    LoadMD2Palette();
    InitWindow();
    InitGL();
    InitLighting();
    InitTextureEnvironment();
    CreateMenus(MenuSelect);
    CheckGLError("main()");
    // Model files named on the command line, the last one current; players
    // after "--weapon NAME" hold that weapon.
    std::string weapon;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--weapon") == 0 && i + 1 < argc) {
            weapon = argv[++i];
            continue;
        }
        ModelObject* model = OpenModel(argv[i]);
        if (model && !weapon.empty() && PlayerLegs(model))
            GiveQ3Weapon(model, weapon);
    }
    UpdateMaterialMenu();
    UpdateWindowTitle();
    glutMainLoop();
    return 0;
}
