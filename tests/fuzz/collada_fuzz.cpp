// Fuzz target for the COLLADA document loader: every input is read as a
// mesh document (tangents generated where the parts allow) and as an
// animation document. A loader may refuse an input but must say why, and
// what it accepts must hold together: indices inside their part's vertices,
// every stream as long as the positions, no more placements or tracks than
// allowed, as many keys as values in every channel.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "assets3d/anim_resource.h"
#include "assets3d/collada_report.h"
#include "assets3d/mesh_resource.h"

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

void check_part(const me::MeshPart& part) {
    require(part.vertex_count() <= me::MeshPart::kMaxVertices);
    require(part.indices.size() % 3 == 0);
    for (const uint16_t index : part.indices)
        require(index < part.vertex_count());
    for (const size_t size : {part.normals.size(), part.texcoords.size(), part.tangents.size(), part.binormals.size()})
        require(size == 0 || size == part.vertex_count());
}

void check_mesh(std::string_view text) {
    me::ResourceRef<me::MeshResource> mesh(new me::MeshResource());
    me::ColladaReport report;
    if (!mesh->load_document(text, true, report)) {
        require(report.has_errors());
        return;
    }
    require(mesh->placements().size() <= me::MeshResource::kMaxPlacements);
    for (const me::MeshPart& part : mesh->parts())
        check_part(part);
    for (const me::PartPlacement& placement : mesh->placements())
        for (const size_t part : placement.parts)
            require(part < mesh->parts().size());
}

void check_anim(std::string_view text) {
    me::ResourceRef<me::AnimResource> anim(new me::AnimResource());
    me::ColladaReport report;
    if (!anim->load_document(text, report)) {
        require(report.has_errors());
        return;
    }
    require(anim->tracks().size() <= me::AnimTrack::kMaxTracks);
    for (const me::AnimTrack& track : anim->tracks()) {
        for (const me::AnimChannel& channel : track.channels)
            require(channel.times.size() == channel.values.size());
        track.translation_at(track.duration() / 2);
        track.rotation_at(track.duration() / 2);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check_mesh(text);
    check_anim(text);
    return 0;
}
