#pragma once

#include <gtest/gtest.h>
#include <squirrel.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <utility>

#include "app/game_controllers.h"
#include "app/main_window.h"
#include "core/application.h"
#include "resources/resource_registry.h"
#include "script/class_record.h"
#include "script/script_host.h"
#include "script/script_object.h"
#include "script/script_root.h"
#include "script_test_vm.h"
#include "spine_test_environment.h"

namespace me::test {

// A fresh engine VM with every binding, an application object and a script
// root, in the spine's temporary directory with a log file of its own.
class BindingTest : public SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        setenv("QUILLMOOR_NO_MESSAGE_BOX", "1", 1);
        // No window and no controllers, whatever an earlier test left behind.
        m_previous_window = std::exchange(g_main_window, nullptr);
        m_previous_controllers = std::exchange(g_game_controllers, nullptr);
        m_application = std::make_unique<Application>();
        g_script_root = &m_root;
        m_host = std::make_unique<ScriptHost>();
        m_host->create_vm();
        start_resource_registry(m_host->vm());
    }

    void TearDown() override {
        stop_resource_registry();
        m_host.reset();
        g_script_root = nullptr;
        m_application.reset();
        g_main_window = m_previous_window;
        g_game_controllers = m_previous_controllers;
        SpineTest::TearDown();
    }

    HSQUIRRELVM vm() const { return m_host->vm(); }
    Application& application() { return *m_application; }

    ScriptObject evaluate(const std::string& code) { return testing_support::evaluate(vm(), code); }
    std::string evaluate_string(const std::string& code) { return testing_support::evaluate_string(vm(), code); }

    // The text of the error the expression raises, or "no error".
    std::string error_of(const std::string& expression) {
        return evaluate_string("try { " + expression + "; } catch (e) { return e; } return \"no error\";");
    }

    SQInteger evaluate_integer(const std::string& code) {
        SQInteger value = -12345;
        evaluate(code).push(vm());
        EXPECT_TRUE(SQ_SUCCEEDED(sq_getinteger(vm(), -1, &value))) << code;
        sq_pop(vm(), 1);
        return value;
    }

    SQFloat evaluate_float(const std::string& code) {
        SQFloat value = -12345.0f;
        evaluate(code).push(vm());
        EXPECT_EQ(sq_gettype(vm(), -1), OT_FLOAT) << code;
        sq_getfloat(vm(), -1, &value);
        sq_pop(vm(), 1);
        return value;
    }

    bool evaluate_bool(const std::string& code) {
        SQBool value = SQFalse;
        evaluate(code).push(vm());
        EXPECT_TRUE(SQ_SUCCEEDED(sq_getbool(vm(), -1, &value))) << code;
        sq_pop(vm(), 1);
        return value != SQFalse;
    }

    // The native object bound to a script instance of record's class.
    template <class T>
    T* native_of(const ScriptObject& instance) {
        instance.push(vm());
        SQUserPointer pointer = nullptr;
        const bool found = SQ_SUCCEEDED(sq_getinstanceup(vm(), -1, &pointer, T::kClassRecord.type_tag()));
        sq_pop(vm(), 1);
        return found ? static_cast<T*>(static_cast<typename T::Root*>(pointer)) : nullptr;
    }

private:
    std::unique_ptr<Application> m_application;
    ScriptRoot m_root;
    std::unique_ptr<ScriptHost> m_host;
    MainWindow* m_previous_window = nullptr;
    GameControllers* m_previous_controllers = nullptr;
};

}  // namespace me::test
