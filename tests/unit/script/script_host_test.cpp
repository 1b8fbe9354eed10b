#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "core/log.h"
#include "core/paths.h"
#include "script/interned_name.h"
#include "script/script_host.h"
#include "script/script_root.h"
#include "script_test_vm.h"

namespace me {
namespace {

namespace fs = std::filesystem;

// Names the tests call by; their slots are kept clear of the engine's own.
InternedName g_missing_callback("no_such_callback", 160);
InternedName g_answer_callback("answer", 161);
InternedName g_sum_callback("sum", 162);
InternedName g_constant_callback("constant", 163);

std::string read_text(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

void write_text(const fs::path& path, const std::string& text) {
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A VM with the engine's configuration, working in a fresh directory, with
// the log written to a file of its own.
class ScriptHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("QUILLMOOR_NO_MESSAGE_BOX", "1", 1);
        char pattern[] = "/tmp/quillmoor_script_host_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_directory = pattern;
        m_previous_directory = fs::current_path();
        fs::current_path(m_directory);
        ASSERT_TRUE(m_log.open_file((m_directory / "log.txt").string()));
        g_log = &m_log;
        g_script_root = &m_root;
        m_host = std::make_unique<ScriptHost>();
        m_host->create_vm();
        m_names = std::make_unique<NameTable>();
        g_name_table = m_names.get();
        m_host->intern_names();
    }

    void TearDown() override {
        m_root.root.reset();
        m_root.deferred_calls.clear();
        g_name_table = nullptr;
        m_names.reset();
        m_host.reset();
        g_script_root = nullptr;
        g_log = nullptr;
        fs::current_path(m_previous_directory);
        fs::remove_all(m_directory);
    }

    HSQUIRRELVM vm() const { return m_host->vm(); }

    ScriptObject evaluate(const std::string& code) { return testing_support::evaluate(vm(), code); }
    std::string evaluate_string(const std::string& code) { return testing_support::evaluate_string(vm(), code); }

    // Runs code that must fail with an error no script catches.
    void run_failing(const std::string& code) {
        const SQInteger top = sq_gettop(vm());
        ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(vm(), code.data(), static_cast<SQInteger>(code.size()), "test",
                                                  SQTrue)));
        sq_pushroottable(vm());
        EXPECT_TRUE(SQ_FAILED(sq_call(vm(), 1, SQFalse, SQTrue))) << code;
        sq_settop(vm(), top);
    }

    void set_root(const std::string& code) { m_root.root = evaluate(code); }
    std::string log_text() const { return read_text(m_directory / "log.txt"); }

    fs::path m_directory;
    fs::path m_previous_directory;
    Log m_log;
    ScriptRoot m_root;
    std::unique_ptr<ScriptHost> m_host;
    std::unique_ptr<NameTable> m_names;
};

constexpr const char* kTracingRoot = R"(
    ::trace <- "";
    return {
        init = function() { ::trace += "init;"; }
        update = function(dt) { ::trace += "update(" + dt + ");"; }
        key_up = function(code) { ::trace += "key_up(" + code + ");"; }
        answer = function(value) { ::trace += "answer;"; return value; }
        sum = function(a, b, c) { return a + b + c; }
    };
)";

TEST_F(ScriptHostTest, CreatingTheVmRegistersTheEngineLibrariesButNotIo) {
    EXPECT_EQ(evaluate_string("return typeof ::System.run_script"), "function");
    EXPECT_EQ(evaluate_string("return typeof ::blob"), "class");
    EXPECT_EQ(evaluate_string("return typeof ::sqrt"), "function");
    EXPECT_EQ(evaluate_string("return typeof ::format"), "function");
    EXPECT_EQ(evaluate_string("return typeof ::getenv"), "function");
    EXPECT_EQ(evaluate_string("return (\"file\" in getroottable()) + \"\" + (\"dofile\" in getroottable())"),
              "falsefalse");
}

TEST_F(ScriptHostTest, PrintAndErrorOutputBecomeInfoLines) {
    evaluate("print(\"hello\"); error(\"oops\");");
    EXPECT_NE(log_text().find("hello\noops\n"), std::string::npos) << log_text();
}

TEST_F(ScriptHostTest, PrintedLinesAreCutAt1023Characters) {
    evaluate("local s = \"\"; for (local i = 0; i < 2000; i++) s += \"x\"; print(s);");
    EXPECT_NE(log_text().find(std::string(1023, 'x') + "\n"), std::string::npos);
    EXPECT_EQ(log_text().find(std::string(1024, 'x')), std::string::npos);
}

TEST_F(ScriptHostTest, InterningFillsTheSlotsOfEveryName) {
    EXPECT_EQ(root_names::update.index(), root_names::update.slot());
    const ScriptObject& name = m_names->get(root_names::update.index());
    EXPECT_EQ(std::string(sq_objtostring(&name.handle())), "update");
    EXPECT_TRUE(m_names->get(-1).is_null());
    EXPECT_TRUE(m_names->get(NameTable::kSlotCount).is_null());
}

TEST_F(ScriptHostTest, InterningRefusesASlotThatIsTaken) {
    EXPECT_FALSE(m_names->intern(vm(), root_names::render));
    EXPECT_NE(log_text().find("error: Script name 'render' has an unusable slot 4."), std::string::npos);
    EXPECT_EQ(root_names::render.index(), 4);
}

TEST_F(ScriptHostTest, ANullRootSkipsEveryCallback) {
    EXPECT_FALSE(m_host->call_root(root_names::init));
    EXPECT_TRUE(m_host->call_root_bool(g_answer_callback, {false}));
    EXPECT_EQ(log_text().find("warning"), std::string::npos);
}

TEST_F(ScriptHostTest, CallsRootCallbacksWithTheRootAsThis) {
    set_root(R"(
        return { name = "root", init = function() { ::seen <- this.name; } };
    )");
    EXPECT_TRUE(m_host->call_root(root_names::init));
    EXPECT_EQ(evaluate_string("return ::seen"), "root");
}

TEST_F(ScriptHostTest, MissingCallbacksAreSkippedSilently) {
    set_root(kTracingRoot);
    EXPECT_FALSE(m_host->call_root(g_missing_callback));
    EXPECT_FALSE(m_host->call_root(root_names::render));
    EXPECT_EQ(log_text().find("warning"), std::string::npos);
}

TEST_F(ScriptHostTest, ANullMemberCountsAsMissing) {
    set_root("return { init = null };");
    EXPECT_FALSE(m_host->call_root(root_names::init));
}

TEST_F(ScriptHostTest, ARootThatIsNotAnObjectSkipsEveryCallback) {
    for (const char* code : {"return 5;", "return \"update\";", "return [1, 2];"}) {
        set_root(code);
        EXPECT_FALSE(m_host->call_root(root_names::update, {0.1f})) << code;
        EXPECT_TRUE(m_host->call_root_bool(g_answer_callback)) << code;
    }
}

TEST_F(ScriptHostTest, NamesNotYetInternedAreLookedUpByText) {
    set_root(kTracingRoot);
    g_name_table = nullptr;
    EXPECT_TRUE(m_host->call_root(root_names::init));
    EXPECT_EQ(evaluate_string("return ::trace"), "init;");
}

TEST_F(ScriptHostTest, CallbacksReceiveArgumentsAndGiveResults) {
    set_root(kTracingRoot);
    EXPECT_TRUE(m_host->call_root(root_names::update, {0.5f}));
    EXPECT_TRUE(m_host->call_root(root_names::key_up, {SQInteger{42}}));
    EXPECT_EQ(evaluate_string("return ::trace"), "update(0.5);key_up(42);");

    ScriptObject result;
    EXPECT_TRUE(m_host->call_root(g_sum_callback, {SQInteger{1}, SQInteger{2}, SQInteger{39}}, &result));
    EXPECT_EQ(sq_objtointeger(&result.handle()), 42);
    EXPECT_TRUE(m_host->call_root(g_sum_callback, {std::string("a"), std::string("b"), std::string("c")}, &result));
    EXPECT_EQ(std::string(sq_objtostring(&result.handle())), "abc");
}

TEST_F(ScriptHostTest, CallsLeaveTheStackAsTheyFoundIt) {
    set_root(kTracingRoot);
    const SQInteger top = sq_gettop(vm());
    ScriptObject result;
    m_host->call_root(root_names::update, {1.0f});
    m_host->call_root(g_answer_callback, {true}, &result);
    m_host->call_root(g_missing_callback);
    EXPECT_EQ(sq_gettop(vm()), top);
}

TEST_F(ScriptHostTest, AnswerCallbacksGiveTheTruthOfTheResult) {
    set_root(kTracingRoot);
    EXPECT_FALSE(m_host->call_root_bool(g_answer_callback, {false}));
    EXPECT_TRUE(m_host->call_root_bool(g_answer_callback, {SQInteger{7}}));
    EXPECT_FALSE(m_host->call_root_bool(g_answer_callback, {std::monostate{}}));
}

TEST_F(ScriptHostTest, AMissingAnswerCallbackWarnsAndAnswersTrue) {
    set_root(kTracingRoot);
    EXPECT_TRUE(m_host->call_root_bool(g_missing_callback));
    EXPECT_NE(log_text().find("warning: Failed to call script function no_such_callback, behaving as if it "
                              "returned 1\n"),
              std::string::npos);
}

TEST_F(ScriptHostTest, CallRunsAnyClosureOnAnyObject) {
    const ScriptObject closure = evaluate("return function(x) { return this.offset + x; }");
    const ScriptObject self = evaluate("return { offset = 40 };");
    ScriptObject result;
    m_host->call(closure, self, {SQInteger{2}}, &result);
    EXPECT_EQ(sq_objtointeger(&result.handle()), 42);
}

TEST_F(ScriptHostTest, ARuntimeErrorInACallbackEndsTheProcess) {
    set_root(R"(
        return {
            function update(dt) {
                local zero = 0;
                return 1 / zero;
            }
        };
    )");
    EXPECT_EXIT(m_host->call_root(root_names::update, {0.1f}), ::testing::ExitedWithCode(1),
                "Error: .*\nWhile running test:5:update\\(\\)\\.");
}

TEST_F(ScriptHostTest, ARuntimeErrorLeavesItsMessageAndCallStackInTheLog) {
    set_root(R"(
        return {
            function update(dt) { throw "broken update"; }
        };
    )");
    EXPECT_EXIT(
        {
            m_host->call_root(root_names::update, {0.1f});
            std::fputs("not reached\n", stderr);
        },
        ::testing::ExitedWithCode(1), "Error: broken update\nWhile running test:3:update\\(\\)\\.");
    const std::string log = log_text();
    EXPECT_NE(log.find("AN ERROR HAS OCCURED [broken update]"), std::string::npos) << log;
    EXPECT_NE(log.find("CALLSTACK"), std::string::npos) << log;
    EXPECT_NE(log.find("*FUNCTION [update()] test line [3]"), std::string::npos) << log;
    EXPECT_NE(log.find("error: broken update\nWhile running test:3:update()."), std::string::npos) << log;
}

TEST_F(ScriptHostTest, EachReportedErrorNamesItsOwnLocation) {
    EXPECT_FALSE(m_host->error_location_captured());
    run_failing("function first() {\n  throw \"one\";\n}\nfirst();");
    EXPECT_TRUE(m_host->error_location_captured());
    EXPECT_EQ(m_host->last_error_text(), "one\nWhile running test:2:first().");
    run_failing("function second() { throw \"two\"; }\nsecond();");
    EXPECT_EQ(m_host->last_error_text(), "two\nWhile running test:1:second().");
}

TEST_F(ScriptHostTest, ACaughtErrorCapturesNoLocation) {
    evaluate("try { throw \"caught\"; } catch (e) {}");
    EXPECT_FALSE(m_host->error_location_captured());
}

TEST_F(ScriptHostTest, AScriptObjectHoldsItsOwnReference) {
    sq_newtable(vm());
    HSQOBJECT raw;
    sq_getstackobj(vm(), -1, &raw);
    ScriptObject held(vm(), -1);
    sq_pop(vm(), 1);
    EXPECT_EQ(sq_getvmrefcount(vm(), &raw), 1u);
    {
        ScriptObject copy = held;
        EXPECT_EQ(sq_getvmrefcount(vm(), &raw), 2u);
        ScriptObject moved = std::move(copy);
        EXPECT_TRUE(copy.is_null());
        EXPECT_EQ(sq_getvmrefcount(vm(), &raw), 2u);
        moved = held;
        EXPECT_EQ(sq_getvmrefcount(vm(), &raw), 2u);
    }
    EXPECT_EQ(sq_getvmrefcount(vm(), &raw), 1u);
    held = held;
    EXPECT_EQ(sq_getvmrefcount(vm(), &raw), 1u);
    EXPECT_EQ(held.type(), OT_TABLE);
}

TEST_F(ScriptHostTest, AnEmptyScriptObjectPushesNull) {
    const ScriptObject empty;
    empty.push(vm());
    EXPECT_EQ(sq_gettype(vm(), -1), OT_NULL);
    sq_pop(vm(), 1);
}

TEST_F(ScriptHostTest, ANonStringErrorIsUnknown) {
    sq_pushinteger(vm(), 5);
    sq_throwobject(vm());
    EXPECT_EQ(m_host->last_error_text(), "Unknown error.\n");
}

TEST_F(ScriptHostTest, CompileErrorsAreRecordedAndLoggedAsWarnings) {
    const std::string code = "local x = ;";
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(vm(), code.data(), static_cast<SQInteger>(code.size()), "bad.nut",
                                           SQTrue)));
    EXPECT_EQ(m_host->compile_error_line(), 1);
    EXPECT_GT(m_host->compile_error_column(), 0);
    const std::string text = m_host->compile_error_text();
    EXPECT_EQ(text.rfind("Compile error in 'bad.nut', line 1, column ", 0), 0u) << text;
    EXPECT_NE(log_text().find("warning: " + text + "\n"), std::string::npos);
    EXPECT_EQ(evaluate_string("return ::System.get_last_script_compile_error_line_numer() + \",\" + "
                              "::System.get_last_script_compile_error_column_numer()"),
              "1," + std::to_string(m_host->compile_error_column()));
}

SQInteger record_call_stack(HSQUIRRELVM vm) {
    const std::string text = g_script_host->call_stack_text();
    sq_pushstring(vm, text.data(), static_cast<SQInteger>(text.size()));
    return 1;
}

TEST_F(ScriptHostTest, CallStackTextListsEveryLevel) {
    sq_pushroottable(vm());
    sq_pushstring(vm(), "record_call_stack", -1);
    sq_newclosure(vm(), record_call_stack, 0);
    sq_setnativeclosurename(vm(), -1, "record_call_stack");
    sq_newslot(vm(), -3, SQFalse);
    sq_pop(vm(), 1);
    const std::string text = evaluate_string(R"(
        function outer() {
            local text = record_call_stack();
            return text;
        }
        local text = outer();
        return text + "";
    )");
    EXPECT_EQ(text.rfind("CALLSTACK\n*FUNCTION [record_call_stack()] NATIVE line [-1]\n"
                         "*FUNCTION [outer()] test line [3]\n*FUNCTION [main()] test line [6]",
                         0),
              0u)
        << text;
}

TEST_F(ScriptHostTest, LoadScriptCompilesTheFileWithItsPathAsSource) {
    write_text("scripts/a.nut", "return ::System.run_script;");
    write_text("scripts/b.nut", "return 7;");
    write_text("scripts/c.nut", "function where() { throw \"here\"; }\nwhere();");
    EXPECT_EQ(evaluate_string("return typeof ::System.load_script(\"scripts/a.nut\")"), "function");
    EXPECT_EQ(evaluate_string("return ::System.run_script(\"scripts/b.nut\") + \"\""), "7");
    run_failing("::System.run_script(\"scripts/c.nut\");");
    EXPECT_EQ(m_host->last_error_text(), "here\nWhile running scripts/c.nut:1:where().");
}

TEST_F(ScriptHostTest, RunScriptPassesExtraArgumentsAndTheRootTable) {
    write_text("args.nut", "return vargv.len() + \":\" + vargv[0] + vargv[1] + \":\" + (this == getroottable());");
    EXPECT_EQ(evaluate_string("return ::System.run_script(\"args.nut\", \"a\", 5)"), "2:a5:true");
}

TEST_F(ScriptHostTest, ACompileErrorInAScriptFileIsAScriptErrorOfTheCaller) {
    write_text("broken.nut", "function (");
    const std::string result = evaluate_string(R"(
        try { ::System.run_script("broken.nut"); } catch (e) { return e; }
        return "no error";
    )");
    EXPECT_EQ(result.rfind("Compile error in 'broken.nut', line 1, column ", 0), 0u) << result;
}

// "lib:" scripts lie in lib/ beside the running executable, wherever the
// game folder is.
TEST_F(ScriptHostTest, ALibraryScriptIsReadBesideTheExecutable) {
    const fs::path library = fs::path(paths::executable_dir()) / "lib";
    const std::string name = "script_host_test_" + std::to_string(getpid()) + ".nut";
    write_text(library / name, "return \"from the library\";");
    write_text(name, "return \"from the game folder\";");
    EXPECT_EQ(evaluate_string("return ::System.run_script(\"lib:" + name + "\")"), "from the library");
    EXPECT_EQ(evaluate_string("return ::System.run_script(\"" + name + "\")"), "from the game folder");
    fs::remove(library / name);
    EXPECT_EQ(evaluate_string("try { ::System.run_script(\"lib:" + name + "\"); } catch (e) { return e; }"),
              "Can't load '" + (library / name).string() + "' file.");
}

TEST_F(ScriptHostTest, AMissingScriptNamesThePathWithoutTheBinarySuffix) {
    const std::string result = evaluate_string(R"(
        try { ::System.load_script("scripts/none.nut"); } catch (e) { return e; }
        return "no error";
    )");
    EXPECT_EQ(result, "Can't load 'scripts/none.nut' file.");
}

TEST_F(ScriptHostTest, AFileThatIsNotACompiledClosureIsRefused) {
    for (const std::string& bytes : {std::string(), std::string("not a closure at all"),
                                    std::string("\xFA\xFA\x00\x00\x01", 5)}) {
        write_text("odd.nut.bin", bytes);
        const std::string result = evaluate_string(R"(
            try { ::System.load_script("odd.nut"); } catch (e) { return e; }
            return "no error";
        )");
        EXPECT_EQ(result, "Can't load 'odd.nut' binary file.");
    }
}

SQInteger write_to_string(SQUserPointer destination, SQUserPointer data, SQInteger size) {
    static_cast<std::string*>(destination)->append(static_cast<const char*>(data), static_cast<size_t>(size));
    return size;
}

TEST_F(ScriptHostTest, ACompiledClosureStandsInForAMissingSourceFile) {
    const std::string code = "return \"compiled \" + vargv[0];";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(vm(), code.data(), static_cast<SQInteger>(code.size()), "c.nut",
                                              SQTrue)));
    std::string bytes;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_writeclosure(vm(), write_to_string, &bytes)));
    sq_pop(vm(), 1);
    write_text("scripts/c.nut.bin", bytes);
    EXPECT_EQ(evaluate_string("return ::System.run_script(\"scripts/c.nut\", \"closure\")"), "compiled closure");
}

TEST_F(ScriptHostTest, TheSourceFileWinsOverTheCompiledOne) {
    write_text("s.nut", "return \"source\";");
    write_text("s.nut.bin", "garbage");
    EXPECT_EQ(evaluate_string("return ::System.run_script(\"s.nut\")"), "source");
}

TEST_F(ScriptHostTest, LoadAndRunScriptRequireAStringPath) {
    EXPECT_EQ(evaluate_string("try { ::System.run_script(5); } catch (e) { return e; } return \"none\";"),
              "Expecting string.");
    EXPECT_EQ(evaluate_string("try { ::System.load_script(); } catch (e) { return e; } return \"none\";"),
              "Expecting string.");
}

TEST_F(ScriptHostTest, TheBootScriptRunsConstantsThenMainAndYieldsTheRoot) {
    write_text("scripts/constants.nut", "::order <- \"constants;\"; const ANSWER = 42;");
    write_text("scripts/main.nut", "::order += \"main;\"; return { constant = function() { return ANSWER; } };");
    m_root.root = m_host->run_boot_script();
    ASSERT_FALSE(m_root.root.is_null());
    EXPECT_EQ(evaluate_string("return ::order"), "constants;main;");
    ScriptObject result;
    m_host->call_root(g_constant_callback, {}, &result);
    EXPECT_EQ(sq_objtointeger(&result.handle()), 42);
}

TEST_F(ScriptHostTest, AMainScriptReturningNothingLeavesANullRoot) {
    write_text("scripts/constants.nut", "");
    write_text("scripts/main.nut", "local unused = 1;");
    EXPECT_TRUE(m_host->run_boot_script().is_null());
    EXPECT_EQ(log_text().find("error"), std::string::npos) << log_text();
}

TEST_F(ScriptHostTest, AMissingMainScriptEndsTheProcess) {
    write_text("scripts/constants.nut", "");
    EXPECT_EXIT(m_host->run_boot_script(), ::testing::ExitedWithCode(1),
                "Error: Can't load 'scripts/main.nut' file\\.\nWhile running");
    EXPECT_NE(log_text().find("error: Error running boot script.\n"), std::string::npos) << log_text();
}

TEST_F(ScriptHostTest, ASyntaxErrorInMainIsReportedInOrder) {
    write_text("scripts/constants.nut", "");
    write_text("scripts/main.nut", "return {\n  update = function( {}\n};");
    EXPECT_EXIT(m_host->run_boot_script(), ::testing::ExitedWithCode(1), "Error: Compile error in 'scripts/main.nut'");
    const std::string log = log_text();
    const size_t warning = log.find("warning: Compile error in 'scripts/main.nut', line 2");
    const size_t runtime = log.find("AN ERROR HAS OCCURED [Compile error in 'scripts/main.nut'");
    const size_t boot = log.find("error: Error running boot script.");
    ASSERT_NE(warning, std::string::npos) << log;
    ASSERT_NE(runtime, std::string::npos) << log;
    ASSERT_NE(boot, std::string::npos) << log;
    EXPECT_LT(warning, runtime);
    EXPECT_LT(runtime, boot);
}

TEST_F(ScriptHostTest, RequestQuitWithoutAnApplicationDoesNothing) {
    EXPECT_EQ(evaluate_string("return ::System.request_quit() + \"\""), "null");
}

}  // namespace
}  // namespace me
