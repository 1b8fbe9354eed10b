#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "binding.h"
#include "sqstdsystem.h"

namespace acorn::stdlib {

namespace {

SQInteger system_getenv(HSQUIRRELVM v) {
    std::string name;
    if (SQ_FAILED(c_string_argument(v, 2, name))) return SQ_ERROR;
    const char *value = std::getenv(name.c_str());
    if (value == nullptr) {
        sq_pushnull(v);
    } else {
        sq_pushstring(v, value, -1);
    }
    return 1;
}

SQInteger system_system(HSQUIRRELVM v) {
    std::string command;
    if (SQ_FAILED(c_string_argument(v, 2, command))) return SQ_ERROR;
    sq_pushinteger(v, static_cast<SQInteger>(std::system(command.c_str())));
    return 1;
}

SQInteger system_clock(HSQUIRRELVM v) {
    sq_pushfloat(v, static_cast<SQFloat>(static_cast<double>(std::clock()) / CLOCKS_PER_SEC));
    return 1;
}

SQInteger system_time(HSQUIRRELVM v) {
    sq_pushinteger(v, static_cast<SQInteger>(std::time(nullptr)));
    return 1;
}

SQInteger system_remove(HSQUIRRELVM v) {
    std::string path;
    if (SQ_FAILED(c_string_argument(v, 2, path))) return SQ_ERROR;
    if (std::remove(path.c_str()) != 0) return sq_throwerror(v, "remove() failed");
    return 0;
}

SQInteger system_rename(HSQUIRRELVM v) {
    std::string from;
    std::string to;
    if (SQ_FAILED(c_string_argument(v, 2, from)) || SQ_FAILED(c_string_argument(v, 3, to))) return SQ_ERROR;
    if (std::rename(from.c_str(), to.c_str()) != 0) return sq_throwerror(v, "rename() failed");
    return 0;
}

void set_integer_slot(HSQUIRRELVM v, const SQChar *name, int value) {
    sq_pushstring(v, name, -1);
    sq_pushinteger(v, value);
    sq_newslot(v, -3, SQFalse);
}

SQInteger system_date(HSQUIRRELVM v) {
    std::time_t when = std::time(nullptr);
    SQInteger format = 'l';
    if (sq_gettop(v) >= 2) {
        SQInteger seconds = 0;
        sq_getinteger(v, 2, &seconds);
        when = static_cast<std::time_t>(seconds);
    }
    if (sq_gettop(v) >= 3) sq_getinteger(v, 3, &format);
    if (format != 'l' && format != 'u') return sq_throwerror(v, "invalid format");
    std::tm parts{};
    const bool ok = format == 'u' ? gmtime_r(&when, &parts) != nullptr : localtime_r(&when, &parts) != nullptr;
    if (!ok) return sq_throwerror(v, "date out of range");
    sq_newtable(v);
    set_integer_slot(v, "sec", parts.tm_sec);
    set_integer_slot(v, "min", parts.tm_min);
    set_integer_slot(v, "hour", parts.tm_hour);
    set_integer_slot(v, "day", parts.tm_mday);
    set_integer_slot(v, "month", parts.tm_mon);
    set_integer_slot(v, "year", parts.tm_year + 1900);
    set_integer_slot(v, "wday", parts.tm_wday);
    set_integer_slot(v, "yday", parts.tm_yday);
    return 1;
}

const SQRegFunction kSystemFunctions[] = {
    {"getenv", system_getenv, 2, ".s"},
    {"system", system_system, 2, ".s"},
    {"clock", system_clock, 0, nullptr},
    {"time", system_time, 1, nullptr},
    {"date", system_date, -1, ".nn"},
    {"remove", system_remove, 2, ".s"},
    {"rename", system_rename, 3, ".ss"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

}  // namespace acorn::stdlib

extern "C" SQRESULT sqstd_register_systemlib(HSQUIRRELVM v) {
    SQInteger target = 0;
    if (SQ_FAILED(acorn::stdlib::registration_target(v, target))) return SQ_ERROR;
    acorn::stdlib::add_functions(v, acorn::stdlib::kSystemFunctions);
    return SQ_OK;
}
