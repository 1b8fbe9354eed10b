#include "app/main_window_libraries.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>

namespace me {

namespace {

int add_library(dl_phdr_info* info, size_t, void* libraries) {
    if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
        static_cast<std::vector<std::string>*>(libraries)->emplace_back(info->dlpi_name);
    return 0;
}

}  // namespace

std::vector<std::string> loaded_libraries() {
    std::vector<std::string> libraries;
    dl_iterate_phdr(add_library, &libraries);
    return libraries;
}

void keep_libraries_loaded_since(const std::vector<std::string>& earlier) {
    for (const std::string& library : loaded_libraries()) {
        if (std::find(earlier.begin(), earlier.end(), library) != earlier.end())
            continue;
        // RTLD_NOLOAD only finds the library; RTLD_NODELETE makes it stay.
        if (void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
            dlclose(handle);
    }
}

}  // namespace me
