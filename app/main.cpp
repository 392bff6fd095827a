#include "framework/application.h"

int main(int argc, char **argv)
{
    fw::RuntimeInit(argc, argv);
    fw::RuntimeRun();
    return fw::RuntimeExit();
}
