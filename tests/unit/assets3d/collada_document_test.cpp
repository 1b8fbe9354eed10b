#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "assets3d/anim_resource.h"
#include "assets3d/collada_report.h"
#include "assets3d/mesh_resource.h"
#include "collada_test_documents.h"

namespace me {
namespace {

using test::kAnimDocument;
using test::kQuadDocument;
using test::replaced;

std::optional<LogLevel> level_of(const ColladaReport& report, const std::string& text) {
    for (const ColladaReport::Message& message : report.messages())
        if (message.text == text)
            return message.level;
    return std::nullopt;
}

std::string all_messages(const ColladaReport& report) {
    std::string text;
    for (const ColladaReport::Message& message : report.messages())
        text += message.text + "\n";
    return text;
}

struct MeshLoad {
    ResourceRef<MeshResource> mesh{new MeshResource()};
    ColladaReport report;
    bool loaded = false;
};

MeshLoad load_mesh(const std::string& document, bool generate_tangents = true) {
    MeshLoad load;
    load.loaded = load.mesh->load_document(document, generate_tangents, load.report);
    return load;
}

struct AnimLoad {
    ResourceRef<AnimResource> anim{new AnimResource()};
    ColladaReport report;
    bool loaded = false;
};

AnimLoad load_anim(const std::string& document) {
    AnimLoad load;
    load.loaded = load.anim->load_document(document, load.report);
    return load;
}

std::string polygons_document(const std::string& polygons) {
    std::string document = replaced(kQuadDocument, "<triangles material=\"SYM\" count=\"2\">", "<polygons material=\"SYM\">");
    document = replaced(document, "</triangles>", "</polygons>");
    return replaced(document, "<p>0 0 0 1 0 1 2 0 2 0 0 0 2 0 2 3 0 3</p>", polygons);
}

const std::string kTwoTrianglePolygons = "<p>0 0 0 1 0 1 2 0 2</p><p>0 0 0 2 0 2 3 0 3</p>";

TEST(ColladaMeshTest, TrianglesAndPolygonsBecomePartsPlacedByTheirNodes) {
    struct Case {
        const char* name;
        std::string document;
        Vec3 placed_origin;
    };
    const std::vector<Case> cases{
        {"triangles", kQuadDocument, {1, 2, 3}},
        {"polygons", polygons_document(kTwoTrianglePolygons), {1, 2, 3}},
        // Y up: the document's y is the world's z and its z the world's -y.
        {"y up", replaced(kQuadDocument, "Z_UP", "Y_UP"), {1, -3, 2}},
        {"x up", replaced(kQuadDocument, "Z_UP", "X_UP"), {-3, 2, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MeshLoad load = load_mesh(c.document);
        ASSERT_TRUE(load.loaded) << all_messages(load.report);
        EXPECT_TRUE(load.report.messages().empty()) << all_messages(load.report);
        ASSERT_EQ(load.mesh->parts().size(), 1u);
        const MeshPart& part = load.mesh->parts()[0];
        EXPECT_EQ(part.material_symbol, "red");
        EXPECT_EQ(part.vertex_count(), 4u) << "corners shared by both triangles are one vertex";
        EXPECT_EQ(part.indices, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
        EXPECT_EQ(part.texcoords[2], (Vec2{1, 1}));
        EXPECT_EQ(part.normals[3], (Vec3{0, 0, 1}));
        ASSERT_EQ(part.tangents.size(), 4u);
        EXPECT_NEAR(part.tangents[0].x, 1.0f, 1e-5f);
        EXPECT_NEAR(part.binormals[0].y, 1.0f, 1e-5f);
        ASSERT_EQ(load.mesh->placements().size(), 1u);
        const PartPlacement& placement = load.mesh->placements()[0];
        EXPECT_EQ(placement.node_name, "Quad");
        EXPECT_EQ(placement.parts, std::vector<size_t>{0});
        const Vec3 origin = transform_point(placement.transform, {0, 0, 0});
        EXPECT_NEAR(origin.x, c.placed_origin.x, 1e-5f);
        EXPECT_NEAR(origin.y, c.placed_origin.y, 1e-5f);
        EXPECT_NEAR(origin.z, c.placed_origin.z, 1e-5f);
    }
}

TEST(ColladaMeshTest, DocumentsOutsideTheSubsetAreRefusedWithTheirReason) {
    struct Case {
        std::string document;
        std::string message;
    };
    const std::string quad = kQuadDocument;
    std::vector<Case> cases{
        {"this is not a COLLADA document", "COLLADA document is not valid XML"},
        {quad.substr(0, quad.size() / 2), "COLLADA document is not valid XML"},
        {"", "COLLADA document is not valid XML"},
        {"<?xml version=\"1.0\"?><scene/>", "COLLADA element not found."},
        {std::string(300, '<') + "COLLADA/>", "COLLADA document nests elements deeper than 256 levels."},
        {replaced(replaced(quad, "<mesh>", "<spline>"), "</mesh>", "</spline>"), "Geometry mesh 'quad' not found."},
        {replaced(quad, "<source id=\"quad-normals\">", "<source>"), "Source doesn't have valid id."},
        {replaced(replaced(quad, "<float_array id=\"quad-normals-array\"", "<int_array"), "0 0 1</float_array>",
                  "0 0 1</int_array>"),
         "Only <float_array> and <Name_array> supported for <source>."},
        {replaced(replaced(quad, "<float_array id=\"quad-normals-array\"", "<Name_array"), "0 0 1</float_array>",
                  "0 0 1</Name_array>"),
         "Only <float_array> and <Name_array> supported for <source>."},
        {replaced(quad, "<accessor source=\"#quad-normals-array\" count=\"1\" stride=\"3\"/>", ""),
         "Accessor element not found for source."},
        {replaced(quad, "count=\"1\" stride=\"3\"", "count=\"1\" stride=\"0\""),
         "Invalid accessor's stride value for source."},
        {replaced(quad, "count=\"3\">0 0 1", "count=\"4\">0 0 1"),
         "Source float_array count doesn't match number of float values."},
        {replaced(quad, "count=\"3\">0 0 1", "count=\"3\">0 0 x"),
         "Source float_array count doesn't match number of float values."},
        {replaced(quad, "count=\"3\">0 0 1", "count=\"4\">0 0 1 0"), "Source float_array count doesn't match stride."},
        {replaced(quad, "</p>", "</p><p>0 0 0</p>"), "Two or more <p> child nodes of <triangles>."},
        {replaced(quad, "count=\"2\">", "count=\"3\">"), "Invalid number of triangle indices."},
        {replaced(quad, " 3 0 3</p>", " 3 0</p>"), "Invalid number of triangle indices."},
        {polygons_document("<p>0 0 0 1 0 1 2 0 2 3 0 3</p>"),
         "Each child node <p> of <polygons> must be a single triangle."},
        {polygons_document(kTwoTrianglePolygons + "<ph><p>0 0 0 1 0 1 2 0 2</p><h>3 0 3</h></ph>"),
         "Polygons with holes (<ph>) not supported."},
        {replaced(quad, "<input semantic=\"NORMAL\"", "<input semantic=\"VERTEX\" source=\"#quad-vertices\" offset=\"0\"/><input semantic=\"NORMAL\""),
         "Two or more position inputs!"},
        {replaced(quad, " 3 0 3</p>", " 4 0 3</p>"), "Input index out of range."},
        {replaced(quad, " 3 0 3</p>", " 3 0 -1</p>"), "Input index out of range."},
        {replaced(quad, "offset=\"1\"", "offset=\"-1\""), "Invalid offset or set of mesh part input."},
        {replaced(quad, "set=\"0\"", "set=\"-2\""), "Invalid offset or set of mesh part input."},
        {replaced(quad, "url=\"#scene\"", "url=\"scene.dae#scene\""),
         "Only relative URI fragmet id supported for visual scene instance."},
        {replaced(quad, "url=\"#scene\"", "url=\"#other\""), "Visual scene 'other' not found."},
        {replaced(quad, "<scene><instance_visual_scene url=\"#scene\"/></scene>", ""),
         "No visual scene found in COLLADA file."},
        {replaced(quad, "<instance_geometry", "<instance_node url=\"#elsewhere\"/><instance_geometry"),
         "<instance_node> not supported."},
        {replaced(quad, "url=\"#quad\"", "url=\"parts.dae#quad\""),
         "Only local instances supported for <instance_geometry> url of <node>."},
        {replaced(quad, "url=\"#quad\"", "url=\"#circle\""), "Geometry 'circle' not found."},
        {replaced(quad, "symbol=\"SYM\" ", ""), "Missing symbol in <instance_material>."},
        {replaced(quad, "target=\"#red-material\"", "target=\"red-material\""),
         "Only relative URI material target supported for <instance_material>."},
        {replaced(quad, "target=\"#red-material\"", "target=\"#blue\""),
         "Material with id 'blue' referenced by geometry material symbol 'SYM' not found."},
        {replaced(quad, "<translate sid=\"location\">1 2 3</translate>", "<matrix>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0</matrix>"),
         "Invalid number of <matrix> values."},
        {replaced(quad, "<translate sid=\"location\">1 2 3</translate>", "<skew>45 0 1 0 1 0 0</skew>"),
         "<skew> and <lookat> transformations not supported."},
        {replaced(quad, "<translate sid=\"location\">1 2 3</translate>", "<lookat>0 0 1 0 0 0 0 1 0</lookat>"),
         "<skew> and <lookat> transformations not supported."},
        {replaced(quad, "semantic=\"TEXCOORD\"", "semantic=\"COLOR\""),
         "Can't generate tangents and binormals because the mesh doesn't have normals and/or texture coordinates."},
    };
    for (const char* refused : {"lines", "linestrips", "polylist", "trifans", "tristrips"})
        cases.push_back({replaced(quad, "<triangles material", std::string("<") + refused + " count=\"0\"/><triangles material"),
                         std::string("Mesh part <") + refused + "> not supported."});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ASSERT_NE(c.document, quad) << "the variant must differ from the accepted document";
        const MeshLoad load = load_mesh(c.document);
        EXPECT_FALSE(load.loaded);
        ASSERT_FALSE(load.report.messages().empty());
        const ColladaReport::Message& last = load.report.messages().back();
        EXPECT_EQ(last.level, LogLevel::Error);
        EXPECT_EQ(last.text.substr(0, c.message.size()), c.message) << all_messages(load.report);
        EXPECT_TRUE(load.mesh->parts().empty()) << "a refused document leaves no parts behind";
    }
}

TEST(ColladaMeshTest, DoubtfulDocumentsLoadWithAWarning) {
    struct Case {
        std::string document;
        bool generate_tangents;
        std::string warning;
    };
    const std::string quad = kQuadDocument;
    const std::vector<Case> cases{
        {replaced(quad, "</visual_scene>", "<node id=\"twin\" name=\"Quad\"/></visual_scene>"), true,
         "Mesh: Two or more COLLADA nodes have the same name 'Quad', this may break animations."},
        {replaced(quad, "<instance_material symbol=\"SYM\"", "<instance_material symbol=\"OTHER\""), true,
         "Mesh part 0 of geometry 'quad' has no material bound."},
        {replaced(quad, "name=\"red\"/>", "/>"), true,
         "Material with id 'red-material' has no name, its mesh parts get an empty symbol."},
        {replaced(quad, "<input semantic=\"NORMAL\"", "<input semantic=\"TEXTANGENT\" source=\"#quad-normals\" offset=\"1\"/><input semantic=\"NORMAL\""),
         true,
         "Mesh: Tangents/binormals are available but normals/binormals/tangents are not. Tangents/binormals will be "
         "ignored."},
        // The second triangle mirrors its texture: the corner both share
        // cannot have one tangent frame for both.
        {replaced(quad, "2 0 2 3 0 3</p>", "2 0 3 3 0 2</p>"), true,
         "Vertex at position (0, 0, 0) is shared by adjacent polygons with different tangent space handedness. "
         "Normal map lighting will be wrong. Duplicate texture coordinate of the vertex for each of the polygons to "
         "fix it for now."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning);
        ASSERT_NE(c.document, quad);
        const MeshLoad load = load_mesh(c.document, c.generate_tangents);
        EXPECT_TRUE(load.loaded) << all_messages(load.report);
        EXPECT_EQ(level_of(load.report, c.warning), LogLevel::Warning) << all_messages(load.report);
        EXPECT_EQ(load.report.messages().size(), 1u) << all_messages(load.report);
    }
    const MeshLoad unnamed = load_mesh(cases[2].document);
    EXPECT_EQ(unnamed.mesh->parts().at(0).material_symbol, "");
    const MeshLoad without_uvs =
        load_mesh(replaced(quad, "semantic=\"TEXCOORD\"", "semantic=\"COLOR\""),
                  false);
    EXPECT_TRUE(without_uvs.loaded) << "no tangents asked for, none needed";
    EXPECT_TRUE(without_uvs.mesh->parts().at(0).tangents.empty());
}

// A scene placing the quad geometry once per node.
std::string placements_document(int count) {
    std::string nodes;
    for (int i = 0; i < count; ++i)
        nodes += "<node id=\"n" + std::to_string(i) + "\" name=\"N" + std::to_string(i) +
                 "\"><instance_geometry url=\"#quad\"><bind_material><technique_common><instance_material "
                 "symbol=\"SYM\" target=\"#red-material\"/></technique_common></bind_material></instance_geometry>"
                 "</node>";
    const std::string quad = kQuadDocument;
    const size_t first = quad.find("<node id=\"quad-node\"");
    const size_t last = quad.find("</visual_scene>");
    return quad.substr(0, first) + nodes + quad.substr(last);
}

// One part of `count` triangles whose corners are all distinct points.
std::string distinct_vertices_document(int triangles) {
    const int corners = triangles * 3;
    std::string positions;
    std::string indices;
    for (int i = 0; i < corners; ++i) {
        positions += std::to_string(i) + " 0 0 ";
        indices += std::to_string(i) + " ";
    }
    std::string document = kQuadDocument;
    document = replaced(document, "count=\"12\">0 0 0 1 0 0 1 1 0 0 1 0", "count=\"" + std::to_string(corners * 3) + "\">" + positions);
    document = replaced(document, "count=\"2\">", "count=\"" + std::to_string(triangles) + "\">");
    document = replaced(document, "<input semantic=\"NORMAL\" source=\"#quad-normals\" offset=\"1\"/>", "");
    document = replaced(document, "<input semantic=\"TEXCOORD\" source=\"#quad-uvs\" offset=\"2\" set=\"0\"/>", "");
    return replaced(document, "0 0 0 1 0 1 2 0 2 0 0 0 2 0 2 3 0 3", indices);
}

// `count` named nodes, each with its own translation channel.
std::string tracks_document(int count) {
    std::string channels;
    std::string nodes;
    for (int i = 0; i < count; ++i) {
        const std::string id = "b" + std::to_string(i);
        channels += "<channel source=\"#x-sampler\" target=\"" + id + "/translate.X\"/>";
        nodes += "<node id=\"" + id + "\" name=\"B" + std::to_string(i) + "\"><translate sid=\"translate\">0 0 0</translate></node>";
    }
    std::string document = replaced(kAnimDocument, "<channel source=\"#x-sampler\" target=\"box/translate.X\"/>", channels);
    return replaced(document, "<node id=\"box\"", nodes + "<node id=\"box\"");
}

TEST(ColladaLimitsTest, PlacementsVerticesAndTracksStopAtTheirLimits) {
    struct Case {
        const char* name;
        int at_limit;
        std::string (*document)(int);
        bool is_mesh;
        std::string message;
    };
    const std::vector<Case> cases{
        {"placements", 127, placements_document, true, "Too many mesh part placements, only 127 allowed at maximum."},
        {"vertices", 65535 / 3, distinct_vertices_document, true, "More than 65k vertices."},
        // The box of the document animates too: 255 more nodes make 256 tracks.
        {"tracks", 255, tracks_document, false, "Too many animation tracks, only 256 allowed at maximum."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const int count : {c.at_limit, c.at_limit + 1}) {
            const std::string document = c.document(count);
            ColladaReport report;
            bool loaded = false;
            if (c.is_mesh) {
                MeshLoad load = load_mesh(document, false);
                loaded = load.loaded;
                report = load.report;
            } else {
                AnimLoad load = load_anim(document);
                loaded = load.loaded;
                report = load.report;
                if (loaded) {
                    EXPECT_EQ(load.anim->tracks().size(), static_cast<size_t>(count) + 1) << "plus the box";
                }
            }
            const bool over = count > c.at_limit;
            EXPECT_EQ(loaded, !over) << count << ": " << all_messages(report);
            EXPECT_EQ(level_of(report, c.message) == LogLevel::Error, over) << count;
        }
    }
}

TEST(ColladaAnimTest, LinearChannelsAnimateTheirNodesComponents) {
    const AnimLoad load = load_anim(kAnimDocument);
    ASSERT_TRUE(load.loaded) << all_messages(load.report);
    ASSERT_EQ(load.anim->tracks().size(), 1u);
    const AnimTrack& track = *load.anim->track_for("Box");
    EXPECT_EQ(track.components, kAnimTranslateX | kAnimRotateZ);
    EXPECT_EQ(track.rest_translation, (Vec3{5, 6, 7}));
    EXPECT_NEAR(track.rest_rotation.z, std::sin(15.0f * 3.14159265f / 180.0f), 1e-5f);
    EXPECT_FLOAT_EQ(load.anim->duration(), 2.0f);
    struct Sample {
        float time;
        float x;
        float degrees;
    };
    for (const Sample& s : {Sample{-1, 0, 0}, Sample{0.5f, 5, 45}, Sample{1.5f, 20, 135}, Sample{3, 30, 180}}) {
        SCOPED_TRACE(s.time);
        EXPECT_EQ(track.translation_at(s.time), (Vec3{s.x, 6, 7}));
        const Quaternion q = track.rotation_at(s.time);
        const float half = s.degrees * 3.14159265f / 360.0f;
        EXPECT_NEAR(q.z, std::sin(half), 1e-5f);
        EXPECT_NEAR(q.w, std::cos(half), 1e-5f);
    }
}

TEST(ColladaAnimTest, BrokenChannelsAreRefusedAndOddOnesSkipped) {
    struct Case {
        std::string document;
        LogLevel level;
        std::string message;
    };
    const std::string anim = kAnimDocument;
    const std::string x = "box/translate.X";
    const std::vector<Case> cases{
        {replaced(anim, "<channel source=\"#x-sampler\" ", "<channel "), LogLevel::Error,
         "Source sampler not specified for animation channel."},
        {replaced(anim, "source=\"#x-sampler\" target", "source=\"x-sampler\" target"), LogLevel::Error,
         "Only local source samplers supported for animation channel."},
        {replaced(anim, "source=\"#x-sampler\" target", "source=\"#y-sampler\" target"), LogLevel::Error,
         "Can't find animation channel sampler 'y-sampler'."},
        {replaced(anim, " target=\"box/translate.X\"", ""), LogLevel::Error, "Target of animation channel not specified."},
        {replaced(anim, "box/translate.X", "box-translate"), LogLevel::Error,
         "Invalid target of animation channel, expected 'box/translate.X' format."},
        {replaced(anim, "box/translate.X", "box/translate."), LogLevel::Error,
         "Invalid target of animation channel, expected 'box/translate.X' format."},
        {replaced(anim, "box/translate.X", "boxy/translate.X"), LogLevel::Error,
         "Can't find animation channel target node 'boxy'."},
        {replaced(anim, "<input semantic=\"OUTPUT\" source=\"#xs\"/>", ""), LogLevel::Error,
         "Missing INPUT and/or OUTPUT source for animation channel '" + x + "'."},
        {replaced(anim, "<input semantic=\"INTERPOLATION\" source=\"#kinds\"/>", ""), LogLevel::Error,
         "Missing INTERPOLATION source for animation channel '" + x + "'."},
        {replaced(anim, "count=\"3\"/></technique_common></source>\n      <source id=\"xs\">",
                  "count=\"1\" stride=\"3\"/></technique_common></source>\n      <source id=\"xs\">"),
         LogLevel::Error, "Invalid number of INPUT source values for animation channel '" + x + "'."},
        {replaced(anim, "count=\"3\">0 10 30", "count=\"2\">0 10"), LogLevel::Error,
         "Invalid number of OUTPUT source values for animation channel '" + x + "'."},
        {replaced(anim, "count=\"3\">LINEAR LINEAR LINEAR", "count=\"2\">LINEAR LINEAR"), LogLevel::Error,
         "Invalid number of INTERPOLATION source values for animation channel '" + x + "'."},
        {replaced(anim, "LINEAR LINEAR LINEAR", "LINEAR BEZIER LINEAR"), LogLevel::Error,
         "Unsupported interpolation BEZIER for animation channel '" + x + "'."},
        {replaced(anim, ">0 1 2<", ">2 1 0<"), LogLevel::Error, "Negative duration for animation channel '" + x + "'."},
        {replaced(anim, " name=\"Box\"", ""), LogLevel::Warning,
         "Anim: Animation channel target node 'box' has no name, channel ignored."},
        {replaced(anim, "<rotate sid", "<scale sid=\"size\">2 2 2</scale><rotate sid"), LogLevel::Warning,
         "Anim: Ignoring unsupported transformations from COLLADA node 'Box'."},
        {replaced(anim, "box/translate.X", "box/translate.W"), LogLevel::Warning,
         "Anim: Ignoring unsupported transformations from COLLADA node 'Box'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        ASSERT_NE(c.document, anim);
        const AnimLoad load = load_anim(c.document);
        EXPECT_EQ(load.loaded, c.level == LogLevel::Warning);
        EXPECT_EQ(level_of(load.report, c.message), c.level) << all_messages(load.report);
    }
}

}  // namespace
}  // namespace me
