// The acorn command: runs a Squirrel script (source or compiled closure),
// compiles one to a closure file, or evaluates lines typed at a prompt.
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sqstdaux.h"
#include "sqstdblob.h"
#include "sqstdio.h"
#include "sqstdmath.h"
#include "sqstdstring.h"
#include "sqstdsystem.h"
#include "squirrel.h"

namespace {

constexpr SQInteger kInitialStackSize = 1024;
constexpr const char *kDefaultCompiledName = "out.cnut";

enum class Action { Run, Compile, Prompt, Version, Help };

struct Options {
    Action action = Action::Prompt;
    bool debug_info = false;
    std::string output = kDefaultCompiledName;
    std::string script;
    std::vector<std::string> arguments;
};

void print_to_stdout(HSQUIRRELVM, const SQChar *format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
}

void print_to_stderr(HSQUIRRELVM, const SQChar *format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

void print_usage(std::FILE *to) {
    std::fprintf(to,
                 "usage: acorn [options] [script.nut [args...]]\n"
                 "  (no script)  read lines and run each; a line \"= expression\" prints its value,\n"
                 "               a line ending in \\ continues on the next\n"
                 "  -c           compile the script to a closure file instead of running it\n"
                 "  -o FILE      name the compiled file (default %s)\n"
                 "  -d           keep debug information\n"
                 "  -v           print the version\n"
                 "  -h           print this help\n",
                 kDefaultCompiledName);
}

// Returns false on a malformed command line, after saying why.
bool parse_options(int argc, char **argv, Options &options) {
    bool compile = false;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i) {
        const std::string option = argv[i];
        if (option == "-c") {
            compile = true;
        } else if (option == "-d") {
            options.debug_info = true;
        } else if (option == "-v") {
            options.action = Action::Version;
            return true;
        } else if (option == "-h" || option == "--help") {
            options.action = Action::Help;
            return true;
        } else if (option == "-o" && i + 1 < argc) {
            options.output = argv[++i];
        } else {
            std::fprintf(stderr, "acorn: unknown or incomplete option '%s'\n", option.c_str());
            return false;
        }
    }
    if (i < argc) {
        options.script = argv[i++];
        options.action = compile ? Action::Compile : Action::Run;
        options.arguments.assign(argv + i, argv + argc);
    } else if (compile) {
        std::fprintf(stderr, "acorn: -c needs a script\n");
        return false;
    }
    return true;
}

HSQUIRRELVM open_vm(bool debug_info) {
    HSQUIRRELVM v = sq_open(kInitialStackSize);
    if (v == nullptr) return nullptr;
    sq_setprintfunc(v, print_to_stdout, print_to_stderr);
    sq_enabledebuginfo(v, debug_info ? SQTrue : SQFalse);
    sq_pushroottable(v);
    sqstd_register_bloblib(v);
    sqstd_register_iolib(v);
    sqstd_register_systemlib(v);
    sqstd_register_mathlib(v);
    sqstd_register_stringlib(v);
    sq_poptop(v);
    sqstd_seterrorhandlers(v);
    return v;
}

// Reports why a file could not be loaded or written; a compile error has
// already been printed in full by the compiler's error handler.
void report_last_error(HSQUIRRELVM v, const std::string &file) {
    sq_getlasterror(v);
    const SQChar *message = nullptr;
    if (sq_gettype(v, -1) == OT_STRING && SQ_SUCCEEDED(sq_getstring(v, -1, &message))) {
        std::fprintf(stderr, "acorn: %s: %s\n", file.c_str(), message);
    }
    sq_poptop(v);
}

int run_script(HSQUIRRELVM v, const Options &options) {
    if (SQ_FAILED(sqstd_loadfile(v, options.script.c_str(), SQTrue))) {
        report_last_error(v, options.script);
        return 1;
    }
    sq_pushroottable(v);
    for (const std::string &argument : options.arguments) {
        sq_pushstring(v, argument.c_str(), static_cast<SQInteger>(argument.size()));
    }
    const auto parameters = static_cast<SQInteger>(options.arguments.size() + 1);
    if (SQ_FAILED(sq_call(v, parameters, SQFalse, SQTrue))) return 1;  // the error handler reported it
    // Nothing outside the script could ever wake it, so the rest would be
    // skipped without a word.
    if (sq_getvmstate(v) == SQ_VMSTATE_SUSPENDED) {
        std::fprintf(stderr, "acorn: %s: suspend() outside a thread stops the script for good\n",
                     options.script.c_str());
        return 1;
    }
    return 0;
}

int compile_script(HSQUIRRELVM v, const Options &options) {
    if (SQ_FAILED(sqstd_loadfile(v, options.script.c_str(), SQTrue))) {
        report_last_error(v, options.script);
        return 1;
    }
    if (SQ_FAILED(sqstd_writeclosuretofile(v, options.output.c_str()))) {
        report_last_error(v, options.output);
        return 1;
    }
    return 0;
}

void print_value(HSQUIRRELVM v) {
    if (SQ_FAILED(sq_tostring(v, -1))) return;
    const SQChar *text = "";
    SQInteger size = 0;
    sq_getstringandsize(v, -1, &text, &size);
    std::fputs("= ", stdout);
    std::fwrite(text, 1, static_cast<std::size_t>(size), stdout);
    std::fputc('\n', stdout);
    sq_poptop(v);
}

// A line "= expression" prints the expression's value; any other line runs
// as statements.
void evaluate_line(HSQUIRRELVM v, const std::string &line) {
    const bool show = !line.empty() && line[0] == '=';
    const std::string source = show ? "return (" + line.substr(1) + ")" : line;
    const SQInteger top = sq_gettop(v);
    if (SQ_SUCCEEDED(sq_compilebuffer(v, source.c_str(), static_cast<SQInteger>(source.size()), "interactive", SQTrue))) {
        sq_pushroottable(v);
        if (SQ_SUCCEEDED(sq_call(v, 1, show ? SQTrue : SQFalse, SQTrue)) && show) print_value(v);
    }
    sq_settop(v, top);
    std::fflush(stdout);
}

// Reads one line without its newline; false at the end of input.
bool read_line(std::string &line) {
    line.clear();
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
    return c != EOF || !line.empty();
}

// A line ending in a backslash continues on the next one.
bool read_statement(std::string &statement) {
    if (!read_line(statement)) return false;
    std::string more;
    while (!statement.empty() && statement.back() == '\\' && read_line(more)) {
        statement.back() = '\n';
        statement += more;
    }
    return true;
}

int run_prompt(HSQUIRRELVM v) {
    const bool interactive = isatty(STDIN_FILENO) != 0;
    if (interactive) std::printf("%s\n", ACORN_VERSION_STRING);
    std::string statement;
    while (true) {
        if (interactive) {
            std::fputs("acorn> ", stdout);
            std::fflush(stdout);
        }
        if (!read_statement(statement)) break;
        if (!statement.empty()) evaluate_line(v, statement);
    }
    return 0;
}

int perform(const Options &options) {
    HSQUIRRELVM v = open_vm(options.debug_info);
    if (v == nullptr) {
        std::fprintf(stderr, "acorn: cannot create the virtual machine\n");
        return 1;
    }
    int status = 0;
    switch (options.action) {
    case Action::Run: status = run_script(v, options); break;
    case Action::Compile: status = compile_script(v, options); break;
    default: status = run_prompt(v); break;
    }
    sq_close(v);
    return status;
}

}  // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parse_options(argc, argv, options)) {
        print_usage(stderr);
        return 1;
    }
    int status = 0;
    if (options.action == Action::Version) {
        std::printf("%s\n", ACORN_VERSION_STRING);
    } else if (options.action == Action::Help) {
        print_usage(stdout);
    } else {
        status = perform(options);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    return status;
}
