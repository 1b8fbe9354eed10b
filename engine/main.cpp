#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "app/application_lifecycle.h"

int main(int argc, char** argv) { return me::run_application(argc, argv); }
