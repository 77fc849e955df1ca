// The program entry: the application object titled "Veludor", the four windows, and the
// message loop until the main window closes.
#include "app/programentry.h"

int main(int argc, char** argv)
{
    return RunVeludor(argc, argv);
}
