// Loading cost of COLLADA meshes on generated documents: seconds per
// megabyte of document and per 100 000 triangles (processor time), and the
// peak of heap memory the load holds above what was live before it, in
// megabytes and as a multiple of the document's size.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "assets3d/collada_report.h"
#include "assets3d/mesh_resource.h"

namespace {

constexpr int kGridSide = 100;  // quads per side of one part's grid

// `parts` grids of kGridSide x kGridSide quads, each in its own geometry,
// with normals and texture coordinates shared through one index per corner,
// placed by one node each.
std::string grid_document(int parts) {
    const int side = kGridSide + 1;
    std::string positions, normals, uvs, indices;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            positions += std::to_string(x * 0.1) + " " + std::to_string(y * 0.1) + " " + std::to_string((x * y % 7) * 0.01) + " ";
            normals += "0 0 1 ";
            uvs += std::to_string(x / double(kGridSide)) + " " + std::to_string(y / double(kGridSide)) + " ";
        }
    }
    for (int y = 0; y < kGridSide; ++y) {
        for (int x = 0; x < kGridSide; ++x) {
            const int a = y * side + x, b = a + 1, c = a + side + 1, d = a + side;
            for (const int corner : {a, b, c, a, c, d})
                indices += std::to_string(corner) + " ";
        }
    }
    const std::string count = std::to_string(side * side);
    std::string geometries, nodes;
    for (int part = 0; part < parts; ++part) {
        const std::string id = "grid" + std::to_string(part);
        geometries += "<geometry id=\"" + id + "\"><mesh>"
            "<source id=\"" + id + "-p\"><float_array id=\"" + id + "-pa\" count=\"" + std::to_string(side * side * 3) + "\">" + positions +
            "</float_array><technique_common><accessor source=\"#" + id + "-pa\" count=\"" + count + "\" stride=\"3\"/></technique_common></source>"
            "<source id=\"" + id + "-n\"><float_array id=\"" + id + "-na\" count=\"" + std::to_string(side * side * 3) + "\">" + normals +
            "</float_array><technique_common><accessor source=\"#" + id + "-na\" count=\"" + count + "\" stride=\"3\"/></technique_common></source>"
            "<source id=\"" + id + "-t\"><float_array id=\"" + id + "-ta\" count=\"" + std::to_string(side * side * 2) + "\">" + uvs +
            "</float_array><technique_common><accessor source=\"#" + id + "-ta\" count=\"" + count + "\" stride=\"2\"/></technique_common></source>"
            "<vertices id=\"" + id + "-v\"><input semantic=\"POSITION\" source=\"#" + id + "-p\"/>"
            "<input semantic=\"NORMAL\" source=\"#" + id + "-n\"/><input semantic=\"TEXCOORD\" source=\"#" + id + "-t\"/></vertices>"
            "<triangles material=\"M\" count=\"" + std::to_string(kGridSide * kGridSide * 2) + "\">"
            "<input semantic=\"VERTEX\" source=\"#" + id + "-v\" offset=\"0\"/><p>" + indices + "</p></triangles></mesh></geometry>";
        nodes += "<node id=\"n" + id + "\" name=\"" + id + "\"><translate>" + std::to_string(part) + " 0 0</translate>"
            "<instance_geometry url=\"#" + id + "\"><bind_material><technique_common><instance_material symbol=\"M\" "
            "target=\"#m\"/></technique_common></bind_material></instance_geometry></node>";
    }
    return "<?xml version=\"1.0\"?><COLLADA version=\"1.4.1\"><library_materials><material id=\"m\" name=\"grid\"/>"
           "</library_materials><library_geometries>" + geometries + "</library_geometries><library_visual_scenes>"
           "<visual_scene id=\"s\">" + nodes + "</visual_scene></library_visual_scenes>"
           "<scene><instance_visual_scene url=\"#s\"/></scene></COLLADA>";
}

// Live heap bytes, counted by the replaced global allocation functions
// below, and the highest count since the last reset.
std::atomic<int64_t> g_live_bytes{0};
std::atomic<int64_t> g_peak_bytes{0};

void count_allocation(void* pointer) {
    const int64_t live = g_live_bytes += static_cast<int64_t>(malloc_usable_size(pointer));
    int64_t peak = g_peak_bytes.load();
    while (live > peak && !g_peak_bytes.compare_exchange_weak(peak, live)) {
    }
}

void load_grid_mesh(benchmark::State& state) {
    const std::string document = grid_document(static_cast<int>(state.range(0)));
    const double megabytes = static_cast<double>(document.size()) / (1024.0 * 1024.0);
    const double triangles = static_cast<double>(state.range(0)) * kGridSide * kGridSide * 2;
    int64_t peak_bytes = 0;
    for (auto _ : state) {
        const int64_t before = g_live_bytes.load();
        g_peak_bytes = before;
        me::ResourceRef<me::MeshResource> mesh(new me::MeshResource());
        me::ColladaReport report;
        if (!mesh->load_document(document, true, report)) {
            state.SkipWithError("the generated document was refused");
            return;
        }
        benchmark::DoNotOptimize(mesh->parts().data());
        peak_bytes = std::max(peak_bytes, g_peak_bytes.load() - before);
    }
    using benchmark::Counter;
    state.counters["document_MB"] = megabytes;
    state.counters["s_per_MB"] = Counter(megabytes, Counter::kIsIterationInvariantRate | Counter::kInvert);
    state.counters["s_per_100k_triangles"] =
        Counter(triangles / 100000.0, Counter::kIsIterationInvariantRate | Counter::kInvert);
    const double peak_megabytes = static_cast<double>(peak_bytes) / (1024.0 * 1024.0);
    state.counters["peak_heap_MB"] = peak_megabytes;
    state.counters["peak_heap_per_document_MB"] = peak_megabytes / megabytes;
}

}  // namespace

void* operator new(size_t size) {
    void* pointer = std::malloc(size == 0 ? 1 : size);
    if (pointer == nullptr)
        throw std::bad_alloc();
    count_allocation(pointer);
    return pointer;
}

void operator delete(void* pointer) noexcept {
    if (pointer == nullptr)
        return;
    g_live_bytes -= static_cast<int64_t>(malloc_usable_size(pointer));
    std::free(pointer);
}

void operator delete(void* pointer, size_t) noexcept { operator delete(pointer); }

BENCHMARK(load_grid_mesh)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
