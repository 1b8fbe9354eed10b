#pragma once

#include <squirrel.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "script/interned_name.h"
#include "script/script_argument.h"
#include "script/script_object.h"

namespace me {

// The one script VM of the process, and every way the engine enters script
// code: the boot script, root callbacks, script files, and what becomes of
// their errors.
class ScriptHost {
public:
    static constexpr const char* kBootSourceName = "boot.nut";
    static constexpr const char* kBootScript =
        "::System.run_script( \"scripts/constants.nut\" ) ; return ::System.run_script( \"scripts/main.nut\" ) ;";

    ScriptHost();
    ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    // Opens and configures the VM: output, error handlers, the blob, math,
    // string and system libraries and every binding. Fatal when the VM cannot
    // be opened.
    void create_vm();
    HSQUIRRELVM vm() const { return m_vm; }
    // Fatal when a name's slot is unusable.
    void intern_names();

    // Compiles and runs the built-in boot script and returns what it returned.
    // A failure ends the process.
    ScriptObject run_boot_script();

    // False when the root is null or lacks the member; true when it was
    // called. A failing call ends the process.
    bool call_root(const InternedName& name, std::initializer_list<ScriptArgument> arguments = {},
                   ScriptObject* result = nullptr);
    // For callbacks whose answer decides something: a root without the member
    // answers true with a warning, a null root answers true silently.
    bool call_root_bool(const InternedName& name, std::initializer_list<ScriptArgument> arguments = {});
    // Calls closure with self as this. A failing call ends the process.
    void call(const ScriptObject& closure, const ScriptObject& self,
              std::initializer_list<ScriptArgument> arguments = {}, ScriptObject* result = nullptr);
    // Calls the closure pushed last but argument_count + 1 (this and the
    // arguments follow it), for callers that call often and must not take
    // handles on what they call. A failing call ends the process. Pops
    // nothing; the result, when asked for, is stored.
    void call_pushed(SQInteger argument_count, ScriptObject* result = nullptr);

    // Leaves the compiled closure of the file at path (or of path + ".bin")
    // on the stack, or raises a script error.
    SQRESULT load_script(std::string_view path);
    // Loads the file and calls it with the root table as this and, as further
    // arguments, the extra_argument_count stack values from index
    // first_extra_argument on; leaves its result on the stack.
    SQRESULT run_script(std::string_view path, SQInteger first_extra_argument, SQInteger extra_argument_count);

    std::string last_error_text() const;
    std::string compile_error_text() const;
    std::string call_stack_text() const;

    int compile_error_line() const { return m_compile_error_line; }
    int compile_error_column() const { return m_compile_error_column; }
    bool error_location_captured() const { return m_error_location_captured; }

private:
    static void print_line(HSQUIRRELVM vm, const SQChar* format, ...);
    static void on_compile_error(HSQUIRRELVM vm, const SQChar* description, const SQChar* source, SQInteger line,
                                 SQInteger column);
    static SQInteger on_runtime_error(HSQUIRRELVM vm);

    void register_libraries();
    void capture_error_location();
    bool push_root_member(const InternedName& name);
    SQRESULT compile_file_text(std::string_view path, const std::string& text);
    SQRESULT read_compiled_closure(std::string_view path);
    [[noreturn]] void fail_callback();
    [[noreturn]] void fail_boot_script();

    HSQUIRRELVM m_vm = nullptr;

    bool m_error_location_captured = false;
    std::string m_error_source;
    std::string m_error_function;
    int m_error_line = 0;

    std::string m_compile_error_source;
    std::string m_compile_error_message;
    int m_compile_error_line = 0;
    int m_compile_error_column = 0;
};

extern ScriptHost* g_script_host;

// The root object's callbacks that the application frame calls.
namespace root_names {
extern InternedName preinit;
extern InternedName preinit_render;
extern InternedName init;
extern InternedName update;
extern InternedName render;
extern InternedName key_down;
extern InternedName key_up;
extern InternedName handle_game_controller_button;
extern InternedName screen_resolution_changed;
extern InternedName application_will_terminate;
extern InternedName shutdown;
}  // namespace root_names

// Calls a member of the root object through the script host. False when there
// is no host, no root or no such member; a failing call ends the process.
bool call_root_callback(const InternedName& name, std::initializer_list<ScriptArgument> arguments = {});

}  // namespace me
