#pragma once

#include <squirrel.h>

namespace me {

class Sprite;

// Pushes the sprite's script instance (made on first use), or null.
void push_sprite(HSQUIRRELVM vm, Sprite* sprite);
// The sprite bound to the Sprite instance at idx, or null for anything else.
Sprite* sprite_at(HSQUIRRELVM vm, SQInteger idx);

}  // namespace me
