#pragma once

#include <vector>

#include "assets3d/anim_track.h"

class TiXmlElement;

namespace me {

class ColladaReport;
struct ColladaScene;

// Reads the channels of <library_animations> (nested animations included)
// into one track per animated node of the scene. False after reporting the
// first problem, including more than AnimTrack::kMaxTracks tracks.
bool read_collada_animations(const TiXmlElement& root, const ColladaScene& scene, std::vector<AnimTrack>& tracks,
                             ColladaReport& report);

}  // namespace me
