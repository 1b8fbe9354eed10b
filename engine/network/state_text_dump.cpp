#include "network/state_text_dump.h"

#include "core/log_format.h"
#include "network/state_dump_writer.h"
#include "network/state_manager.h"
#include "network/state_object.h"

namespace me {

namespace {

class TextDump {
public:
    TextDump(HSQUIRRELVM vm, const StateManager& manager) : m_vm(vm), m_manager(manager) {}

    std::string run() {
        m_writer.signed_value("static_count", m_manager.static_count());
        m_writer.signed_value("count", static_cast<int64_t>(m_manager.objects().size()));
        write_runs();
        for (const StateObject* object : m_manager.objects())
            write_object(*object);
        return m_writer.text();
    }

private:
    void write_runs() {
        const auto objects = m_manager.objects();
        for (size_t i = 0; i < objects.size();) {
            size_t run = 1;
            while (i + run < objects.size() && run < 255 &&
                   objects[i + run]->class_index() == objects[i]->class_index())
                ++run;
            m_writer.unsigned_value(m_manager.class_info(objects[i]->class_index()).name, run);
            i += run;
        }
    }

    void write_object(const StateObject& object) {
        const StateClassInfo& info = m_manager.class_info(object.class_index());
        m_writer.begin_block(format_message("%1 %2", info.name, object.object_index()));
        object.dump_native_state(m_writer);
        const SQInteger top = sq_gettop(m_vm);
        const_cast<StateObject&>(object).ownership().push_instance(m_vm);
        const SQInteger instance = sq_gettop(m_vm);
        for (const StateMemberInfo& member : info.members) {
            if (SQ_SUCCEEDED(sq_getbyhandle(m_vm, instance, &member.handle)))
                write_member(member, sq_gettop(m_vm));
            sq_settop(m_vm, instance);
        }
        sq_settop(m_vm, top);
        m_writer.end_block();
    }

    void write_member(const StateMemberInfo& member, SQInteger value) {
        if (!is_array_type(member.type)) {
            m_writer.value(member.name, value_text(member.type, value));
            return;
        }
        if (sq_gettype(m_vm, value) != OT_ARRAY) {
            m_writer.value(member.name, sq_gettype(m_vm, value) == OT_NULL ? "null" : "?");
            return;
        }
        const SQInteger size = sq_getsize(m_vm, value);
        m_writer.begin_array(member.name, static_cast<uint32_t>(size));
        for (SQInteger i = 0; i < size; ++i) {
            sq_pushinteger(m_vm, i);
            if (SQ_SUCCEEDED(sq_rawget(m_vm, value))) {
                m_writer.element(value_text(element_type(member.type), sq_gettop(m_vm)));
                sq_pop(m_vm, 1);
            }
        }
        m_writer.end_array();
    }

    std::string value_text(MemberType type, SQInteger value) {
        const SQObjectType kind = sq_gettype(m_vm, value);
        if (kind == OT_NULL)
            return "null";
        if (is_integer_type(type))
            return integer_text(type, value);
        switch (type) {
        case MemberType::Bool: {
            SQBool flag = SQFalse;
            if (kind != OT_BOOL)
                return "?";
            sq_getbool(m_vm, value, &flag);
            return flag != SQFalse ? "true" : "false";
        }
        case MemberType::String: {
            const SQChar* text = nullptr;
            return SQ_SUCCEEDED(sq_getstring(m_vm, value, &text)) && kind == OT_STRING ? text : "?";
        }
        default:
            return ref_text(value);
        }
    }

    std::string integer_text(MemberType type, SQInteger value) {
        SQInteger number = 0;
        if (SQ_FAILED(sq_getinteger(m_vm, value, &number)))
            return "?";
        const auto bits = static_cast<uint32_t>(number);
        switch (type) {
        case MemberType::Fixed:
            return StateDumpWriter::fixed_text(bits);
        case MemberType::Uint8:
        case MemberType::Uint16:
        case MemberType::Uint32:
            return format_message("%1", bits);
        default:
            return format_message("%1", static_cast<int32_t>(number));
        }
    }

    std::string ref_text(SQInteger value) {
        const SQInteger top = sq_gettop(m_vm);
        if (sq_gettype(m_vm, value) == OT_WEAKREF) {
            sq_getweakrefval(m_vm, value);
            value = sq_gettop(m_vm);
        }
        std::string text = target_text(value);
        sq_settop(m_vm, top);
        return text;
    }

    std::string target_text(SQInteger value) {
        const SQObjectType kind = sq_gettype(m_vm, value);
        if (kind == OT_NULL)
            return "null";
        SQUserPointer pointer = nullptr;
        if (kind != OT_INSTANCE ||
            SQ_FAILED(sq_getinstanceup(m_vm, value, &pointer, StateObject::kClassRecord.type_tag())) ||
            pointer == nullptr)
            return "?";
        const auto* object = static_cast<const StateObject*>(static_cast<GameObject*>(pointer));
        if (!object->is_registered())
            return "?";
        return StateDumpWriter::ref_text(m_manager.class_info(object->class_index()).name, object->object_index());
    }

    HSQUIRRELVM m_vm;
    const StateManager& m_manager;
    StateDumpWriter m_writer;
};

}  // namespace

std::string state_dump_text(HSQUIRRELVM vm, const StateManager& manager) { return TextDump(vm, manager).run(); }

}  // namespace me
