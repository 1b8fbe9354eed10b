#include <squirrel.h>

#include <string_view>

#include "platform/http_post.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"

namespace me {

namespace {

SQInteger init(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    HTTPPost* post = nullptr;
    const SQChar* url = nullptr;
    const SQChar* body = nullptr;
    if (!arguments.instance(1, post) || !arguments.string(2, url) || !arguments.string(3, body))
        return arguments.fail();
    post->init(std::string_view(url, static_cast<size_t>(sq_getsize(vm, 2))),
               std::string_view(body, static_cast<size_t>(sq_getsize(vm, 3))));
    return 0;
}

SQInteger get_received_data(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    HTTPPost* post = nullptr;
    if (!arguments.instance(1, post))
        return arguments.fail();
    const std::string& data = post->received_data();
    sq_pushstring(vm, data.data(), static_cast<SQInteger>(data.size()));
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<HTTPPost>, 1, "x"},
    {"init", init},
    {"update", method<&HTTPPost::update>},
    {"get_received_data", get_received_data},
};

const NativeClassBinding g_http_post_binding(HTTPPost::kClassRecord, kMethods);

}  // namespace

}  // namespace me
