// Fuzz target for the configuration file reader and writer and the path
// helpers. Any bytes may be a game_config.txt: loading them must not fail
// badly, and what is saved must be a fixed point (saved again after a reload
// it is byte for byte the same), with every line in the one form the writer
// uses. The same bytes, read as a path, must normalise idempotently.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>

#include "core/cvar_registry.h"
#include "core/paths.h"

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

// A folder of this process's own, removed again when the process ends.
struct ScratchFolder {
    std::string path;
    ScratchFolder() {
        const auto folder = std::filesystem::temp_directory_path() /
                            ("config_paths_fuzz_" + std::to_string(static_cast<long>(getpid())));
        std::filesystem::create_directories(folder);
        path = folder.string();
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const std::string& scratch_folder() {
    static const ScratchFolder folder;
    return folder.path;
}

std::string config_path() { return scratch_folder() + "/game_config.txt"; }

void write_config(std::string_view bytes) {
    std::ofstream out(config_path(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_config() {
    std::ifstream in(config_path(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads the user configuration and saves it again. The save folder is set
// again after loading, so that a file naming its own save_dir cannot send the
// save anywhere else.
std::string load_and_save() {
    me::CVarRegistry registry;
    registry.register_defaults();
    me::g_cvar_registry = &registry;
    const std::string save_dir = "root:" + scratch_folder();
    registry.set_text("system::save_dir", save_dir);
    registry.load_user();
    registry.set_text("system::save_dir", save_dir);
    registry.save_user();
    me::g_cvar_registry = nullptr;
    return read_config();
}

void require_writer_form(std::string_view saved) {
    size_t start = 0;
    while (start < saved.size()) {
        const size_t end = saved.find("\r\n", start);
        require(end != std::string_view::npos);
        const std::string_view line = saved.substr(start, end - start);
        require(line.find_first_of("\r\n") == std::string_view::npos);
        require(line.find(" = \"") != std::string_view::npos && line.back() == '"');
        start = end + 2;
    }
}

void check_config(std::string_view bytes) {
    write_config(bytes);
    const std::string saved = load_and_save();
    require_writer_form(saved);
    require(load_and_save() == saved);
}

void check_paths(std::string_view bytes) {
    const std::string normal = me::paths::normalise(bytes);
    require(normal.find('\\') == std::string::npos);
    require(me::paths::normalise(normal) == normal);
    const std::string os = me::paths::os_form(bytes);
    require(os.size() == bytes.size() && os.find('\\') == std::string::npos);
    require(me::paths::resolve("root:" + std::string(bytes)) == std::string(bytes));
    const size_t half = bytes.size() / 2;
    const std::string joined = me::paths::join(bytes.substr(0, half), bytes.substr(half));
    require(me::paths::normalise(joined) == joined);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check_paths(bytes);
    check_config(bytes);
    return 0;
}
