// tarnivel-thumbnailer -s SIZE INPUT OUTPUT: a file manager's picture of a
// model, made with no display server.
#include "batch/thumbnailer.h"

int main(int argc, char** argv)
{
    return RunThumbnailer(argc, argv);
}
