// Kavrin: the program's entry point.
#include "app/startup/program.h"

int main(int argc, char **argv)
{
    // The main window joins here once it is built; until then an ordinary start ends after the
    // instance check, and render and viewer mode run whole.
    return runProgram(argc, argv, MainFormFactory{});
}
