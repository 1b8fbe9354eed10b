// The compile-and-run harness the Acorn unit tests share: a VM whose print
// and error output are captured, and helpers that run script text on it and
// describe the outcome as text, so that tests compare one string.
#pragma once

#include <string>

#include "squirrel.h"

namespace acorn_test {

class ScriptHarness {
   public:
    enum class Libraries { Base, Standard };  // Standard: blob, math, string, system and io too

    explicit ScriptHarness(Libraries libraries = Libraries::Base);
    ~ScriptHarness();
    ScriptHarness(const ScriptHarness &) = delete;
    ScriptHarness &operator=(const ScriptHarness &) = delete;

    HSQUIRRELVM vm() const { return v_; }
    // Closes the VM (running its release hooks) and opens a fresh one with
    // the same libraries.
    void close();
    void reopen();
    // Everything printed (print) and reported (error, error handler) so far.
    std::string &printed() { return printed_; }
    std::string &errors() { return errors_; }

    // Compiles `source` (named `name`) and calls it with the root table as
    // `this`. Returns what it printed, followed by "error: <message>" when it
    // failed, or "compile error: <message>" when it did not compile. The
    // stack is left as it was.
    std::string run(const std::string &source, const char *name = "test", bool raiseerror = false);
    // As run(), but only the error text when the script failed.
    std::string run_or_error(const std::string &source, const char *name = "test");
    // Compiles and runs `source`; whether both succeeded (errors reported
    // to the error handler when `raiseerror`).
    bool succeeds(const std::string &source, const char *name = "test", bool raiseerror = true);
    // The last error's message (or "<not a string>"); the stack is unchanged.
    std::string last_error();

   private:
    static void capture_print(HSQUIRRELVM v, const SQChar *format, ...);
    static void capture_error(HSQUIRRELVM v, const SQChar *format, ...);

    void open();

    Libraries libraries_;
    HSQUIRRELVM v_ = nullptr;
    std::string printed_;
    std::string errors_;
};

}  // namespace acorn_test
