#pragma once

#include "app/game_controllers.h"

namespace me {

extern GameControllers* g_game_controllers;

}  // namespace me
