#pragma once

#include <vector>

#include "assets3d/mesh_part.h"

class TiXmlElement;

namespace me {

class ColladaReport;

// Reads every geometry of <library_geometries> into mesh parts, in document
// order. False after reporting the first problem.
bool read_collada_geometries(const TiXmlElement* library, std::vector<MeshPart>& parts, ColladaReport& report);

}  // namespace me
