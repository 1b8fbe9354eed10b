#include <string>
#include <string_view>

#include "core/log.h"
#include "core/log_format.h"
#include "platform/url_encoding.h"
#include "platform/web_page.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

SQInteger open_url(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* url = nullptr;
    if (!arguments.string(2, url))
        return arguments.fail();
    const bool opened = platform::open_web_page(url);
    if (!opened)
        log_error(format_message("Failed to open url %1.", url));
    sq_pushbool(vm, opened);
    return 1;
}

SQInteger encode_for_url(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* text = nullptr;
    if (!arguments.string(2, text))
        return arguments.fail();
    const std::string encoded = url_encoded(std::string_view(text, static_cast<size_t>(sq_getsize(vm, 2))));
    sq_pushstring(vm, encoded.c_str(), static_cast<SQInteger>(encoded.size()));
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"open_url", open_url},
    {"encode_for_url", encode_for_url},
};

void bind_web_page_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_web_page_functions(bind_web_page_functions);

}  // namespace

}  // namespace me
