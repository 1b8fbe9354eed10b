#pragma once

namespace me {

class SceneObject;

// The script methods a scene calls on its objects' instances.
namespace scene_callbacks {
inline constexpr const char* kMoveEnd = "on_move_end";
inline constexpr const char* kRotateEnd = "on_rotate_end";
inline constexpr const char* kFadeAlphaEnd = "on_fade_alpha_end";
inline constexpr const char* kOutOfArea = "on_out_of_area";
inline constexpr const char* kAnimationEnd = "on_animation_end";
inline constexpr const char* kCollision = "on_collision";
}  // namespace scene_callbacks

bool has_script_instance(SceneObject& object);

// Calls the named method of the object's script instance, with the other
// object's instance as the argument when given. False when there is no
// instance or no such method; a failing call ends the process.
bool call_scene_callback(SceneObject& object, const char* name, SceneObject* other = nullptr);

}  // namespace me
