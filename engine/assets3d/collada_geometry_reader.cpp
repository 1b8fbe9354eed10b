#include "assets3d/collada_geometry_reader.h"

#include <tinyxml.h>

#include <array>
#include <charconv>
#include <cstring>
#include <deque>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "assets3d/collada_report.h"
#include "assets3d/collada_source.h"
#include "assets3d/collada_text.h"
#include "core/log_format.h"

namespace me {

namespace {

enum Stream { kPosition, kNormal, kTexcoord, kTangent, kBinormal, kStreamCount };

// Fewest values per element each stream reads.
constexpr std::array<size_t, kStreamCount> kMinComponents{3, 3, 2, 3, 3};

constexpr std::array<const char*, 5> kRefusedParts{"lines", "linestrips", "polylist", "trifans", "tristrips"};

std::optional<Stream> stream_of(std::string_view semantic) {
    static const std::array<std::pair<std::string_view, Stream>, 5> kSemantics{{{"POSITION", kPosition},
                                                                                 {"NORMAL", kNormal},
                                                                                 {"TEXCOORD", kTexcoord},
                                                                                 {"TEXTANGENT", kTangent},
                                                                                 {"TEXBINORMAL", kBinormal}}};
    for (const auto& [name, stream] : kSemantics)
        if (name == semantic)
            return stream;
    return std::nullopt;
}

struct StreamInput {
    const ColladaSource* source = nullptr;
    size_t offset = 0;
    int64_t set = -1;
};

// The sources of one <mesh> and the streams its <vertices> element names.
struct MeshSources {
    std::deque<ColladaSource> sources;
    std::string vertices_id;
    std::array<const ColladaSource*, kStreamCount> vertex_streams{};

    const ColladaSource* find(std::string_view reference, ColladaReport& report) const {
        const std::optional<std::string> id = fragment_id(reference);
        if (!id) {
            report.error("Only relative URI fragment id supported for <input> source.");
            return nullptr;
        }
        for (const ColladaSource& source : sources)
            if (source.id() == *id)
                return &source;
        report.error(format_message("Input source '%1' not found.", *id));
        return nullptr;
    }
};

struct PartLayout {
    std::array<StreamInput, kStreamCount> streams;
    size_t index_stride = 1;
};

// A non-negative integer attribute, 0 when absent; nothing when negative or
// not a number.
std::optional<int64_t> index_attribute(const TiXmlElement& element, const char* name) {
    const std::string_view text = attribute(element, name);
    if (text.empty())
        return 0;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return std::nullopt;
    return value;
}

bool read_sources(const TiXmlElement& mesh, MeshSources& sources, ColladaReport& report) {
    for (const TiXmlElement* element = mesh.FirstChildElement("source"); element != nullptr;
         element = element->NextSiblingElement("source")) {
        std::optional<ColladaSource> source = ColladaSource::read(*element, false, report);
        if (!source)
            return false;
        sources.sources.push_back(std::move(*source));
    }
    return true;
}

bool read_vertices(const TiXmlElement& mesh, MeshSources& sources, ColladaReport& report) {
    const TiXmlElement* vertices = mesh.FirstChildElement("vertices");
    if (vertices == nullptr) {
        report.error("Mesh <vertices> element not found.");
        return false;
    }
    sources.vertices_id = std::string(attribute(*vertices, "id"));
    if (sources.vertices_id.empty()) {
        report.error("Vertices element doesn't have valid id.");
        return false;
    }
    for (const TiXmlElement* input = vertices->FirstChildElement("input"); input != nullptr;
         input = input->NextSiblingElement("input")) {
        const std::optional<Stream> stream = stream_of(attribute(*input, "semantic"));
        if (!stream)
            continue;
        const ColladaSource* source = sources.find(attribute(*input, "source"), report);
        if (source == nullptr)
            return false;
        sources.vertex_streams[*stream] = source;
    }
    if (sources.vertex_streams[kPosition] == nullptr) {
        report.error("Vertices element has no POSITION input.");
        return false;
    }
    return true;
}

// The streams a VERTEX input brings: those of <vertices>, at its offset.
bool take_vertex_input(const TiXmlElement& input, const MeshSources& sources, size_t offset, PartLayout& layout,
                       ColladaReport& report) {
    if (fragment_id(attribute(input, "source")) != sources.vertices_id) {
        report.error("Mesh part VERTEX input must reference the mesh's <vertices>.");
        return false;
    }
    if (layout.streams[kPosition].source != nullptr) {
        report.error("Two or more position inputs!");
        return false;
    }
    for (int stream = 0; stream < kStreamCount; ++stream)
        if (sources.vertex_streams[stream] != nullptr && layout.streams[stream].source == nullptr)
            layout.streams[stream] = {sources.vertex_streams[stream], offset, -1};
    return true;
}

// A part input that names a stream directly. Of several texture coordinate
// sets the lowest one is read; of any other stream, the first.
bool take_stream_input(const TiXmlElement& input, Stream stream, const MeshSources& sources, size_t offset,
                       int64_t set, PartLayout& layout, ColladaReport& report) {
    if (stream == kPosition) {
        report.error("Two or more position inputs!");
        return false;
    }
    const ColladaSource* source = sources.find(attribute(input, "source"), report);
    if (source == nullptr)
        return false;
    StreamInput& taken = layout.streams[stream];
    if (taken.source == nullptr || (stream == kTexcoord && set < taken.set))
        taken = {source, offset, set};
    return true;
}

bool read_part_inputs(const TiXmlElement& part, const MeshSources& sources, PartLayout& layout,
                      ColladaReport& report) {
    for (const TiXmlElement* input = part.FirstChildElement("input"); input != nullptr;
         input = input->NextSiblingElement("input")) {
        const std::optional<int64_t> offset = index_attribute(*input, "offset");
        const std::optional<int64_t> set = index_attribute(*input, "set");
        if (!offset || !set) {
            report.error("Invalid offset or set of mesh part input.");
            return false;
        }
        const auto at = static_cast<size_t>(*offset);
        layout.index_stride = std::max(layout.index_stride, at + 1);
        const std::string_view semantic = attribute(*input, "semantic");
        if (semantic == "VERTEX") {
            if (!take_vertex_input(*input, sources, at, layout, report))
                return false;
        } else if (const std::optional<Stream> stream = stream_of(semantic)) {
            if (!take_stream_input(*input, *stream, sources, at, *set, layout, report))
                return false;
        }
    }
    if (layout.streams[kPosition].source == nullptr) {
        report.error("Mesh part has no position input.");
        return false;
    }
    for (int stream = 0; stream < kStreamCount; ++stream) {
        const ColladaSource* source = layout.streams[stream].source;
        if (source != nullptr && source->stride() < kMinComponents[stream]) {
            report.error("Invalid accessor's stride value for source.");
            return false;
        }
    }
    return true;
}

bool read_triangles_indices(const TiXmlElement& part, size_t per_triangle, std::vector<int64_t>& indices,
                            ColladaReport& report) {
    const TiXmlElement* p = part.FirstChildElement("p");
    if (p != nullptr && p->NextSiblingElement("p") != nullptr) {
        report.error("Two or more <p> child nodes of <triangles>.");
        return false;
    }
    if (p != nullptr)
        indices = parse_integer_list(element_text(*p));
    const std::optional<int64_t> count = index_attribute(part, "count");
    const bool wrong_length = count && part.Attribute("count") != nullptr
                                  ? indices.size() != static_cast<uint64_t>(*count) * per_triangle
                                  : indices.size() % per_triangle != 0;
    if (!count || wrong_length) {
        report.error("Invalid number of triangle indices.");
        return false;
    }
    return true;
}

bool read_polygons_indices(const TiXmlElement& part, size_t per_triangle, std::vector<int64_t>& indices,
                           ColladaReport& report) {
    if (part.FirstChildElement("ph") != nullptr) {
        report.error("Polygons with holes (<ph>) not supported.");
        return false;
    }
    for (const TiXmlElement* p = part.FirstChildElement("p"); p != nullptr; p = p->NextSiblingElement("p")) {
        const std::vector<int64_t> polygon = parse_integer_list(element_text(*p));
        if (polygon.size() != per_triangle) {
            report.error("Each child node <p> of <polygons> must be a single triangle.");
            return false;
        }
        indices.insert(indices.end(), polygon.begin(), polygon.end());
    }
    return true;
}

using VertexKey = std::array<uint32_t, kStreamCount>;

struct VertexKeyHash {
    size_t operator()(const VertexKey& key) const {
        size_t hash = 14695981039346656037ull;
        for (uint32_t value : key)
            hash = (hash ^ value) * 1099511628211ull;
        return hash;
    }
};

void append_vertex(const PartLayout& layout, const VertexKey& key, MeshPart& part) {
    const auto vec3 = [&](Stream stream) {
        const ColladaSource& source = *layout.streams[stream].source;
        return Vec3{source.value(key[stream], 0), source.value(key[stream], 1), source.value(key[stream], 2)};
    };
    part.positions.push_back(vec3(kPosition));
    if (layout.streams[kNormal].source != nullptr)
        part.normals.push_back(vec3(kNormal));
    if (const ColladaSource* texcoords = layout.streams[kTexcoord].source)
        part.texcoords.push_back({texcoords->value(key[kTexcoord], 0), texcoords->value(key[kTexcoord], 1)});
    if (layout.streams[kTangent].source != nullptr)
        part.tangents.push_back(vec3(kTangent));
    if (layout.streams[kBinormal].source != nullptr)
        part.binormals.push_back(vec3(kBinormal));
}

// Every distinct combination of stream indices becomes one vertex.
bool build_vertices(const std::vector<int64_t>& indices, const PartLayout& layout, MeshPart& part,
                    ColladaReport& report) {
    std::unordered_map<VertexKey, uint16_t, VertexKeyHash> vertices;
    part.indices.reserve(indices.size() / layout.index_stride);
    for (size_t corner = 0; corner < indices.size(); corner += layout.index_stride) {
        VertexKey key{};
        for (int stream = 0; stream < kStreamCount; ++stream) {
            const StreamInput& input = layout.streams[stream];
            if (input.source == nullptr)
                continue;
            const int64_t index = indices[corner + input.offset];
            if (index < 0 || static_cast<uint64_t>(index) >= input.source->element_count()) {
                report.error("Input index out of range.");
                return false;
            }
            key[stream] = static_cast<uint32_t>(index);
        }
        auto [found, inserted] = vertices.try_emplace(key, static_cast<uint16_t>(part.positions.size()));
        if (inserted) {
            if (part.positions.size() >= MeshPart::kMaxVertices) {
                report.error("More than 65k vertices.");
                return false;
            }
            append_vertex(layout, key, part);
        }
        part.indices.push_back(found->second);
    }
    return true;
}

bool read_part(const TiXmlElement& element, const MeshSources& sources, MeshPart& part, ColladaReport& report) {
    part.source_symbol = std::string(attribute(element, "material"));
    part.material_symbol = part.source_symbol;
    PartLayout layout;
    if (!read_part_inputs(element, sources, layout, report))
        return false;
    const size_t per_triangle = 3 * layout.index_stride;
    std::vector<int64_t> indices;
    const bool is_triangles = std::strcmp(element.Value(), "triangles") == 0;
    if (!(is_triangles ? read_triangles_indices(element, per_triangle, indices, report)
                       : read_polygons_indices(element, per_triangle, indices, report)))
        return false;
    return build_vertices(indices, layout, part, report);
}

bool is_refused_part(const char* name) {
    for (const char* refused : kRefusedParts)
        if (std::strcmp(name, refused) == 0)
            return true;
    return false;
}

bool read_mesh(const TiXmlElement& mesh, const std::string& geometry_id, std::vector<MeshPart>& parts,
               ColladaReport& report) {
    MeshSources sources;
    if (!read_sources(mesh, sources, report) || !read_vertices(mesh, sources, report))
        return false;
    int index_in_geometry = 0;
    for (const TiXmlElement* element = mesh.FirstChildElement(); element != nullptr;
         element = element->NextSiblingElement()) {
        const char* name = element->Value();
        if (is_refused_part(name)) {
            report.error(format_message("Mesh part <%1> not supported.", name));
            return false;
        }
        if (std::strcmp(name, "triangles") != 0 && std::strcmp(name, "polygons") != 0)
            continue;
        MeshPart part;
        part.geometry_id = geometry_id;
        part.index_in_geometry = index_in_geometry++;
        if (!read_part(*element, sources, part, report))
            return false;
        parts.push_back(std::move(part));
    }
    return true;
}

}  // namespace

bool read_collada_geometries(const TiXmlElement* library, std::vector<MeshPart>& parts, ColladaReport& report) {
    if (library == nullptr)
        return true;
    for (const TiXmlElement* geometry = library->FirstChildElement("geometry"); geometry != nullptr;
         geometry = geometry->NextSiblingElement("geometry")) {
        const std::string id(attribute(*geometry, "id"));
        const TiXmlElement* mesh = geometry->FirstChildElement("mesh");
        if (mesh == nullptr)
            mesh = geometry->FirstChildElement("convex_mesh");
        if (mesh == nullptr) {
            report.error(format_message("Geometry mesh '%1' not found.", id));
            return false;
        }
        if (!read_mesh(*mesh, id, parts, report))
            return false;
    }
    return true;
}

}  // namespace me
