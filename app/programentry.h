#pragma once

// Sets up Qt and the application object, creates the windows and runs the message loop.
int RunVeludor(int argc, char** argv);

// Creates the four windows in order (the first is the main window); tests call it too.
void CreateVeludorForms();
