#include "avm.h"

SQRESULT sq_writeclosure(HSQUIRRELVM v, SQWRITEFUNC, SQUserPointer) {
    return sq_throwerror(v, "compiled-closure files are not supported yet");
}

SQRESULT sq_readclosure(HSQUIRRELVM v, SQREADFUNC, SQUserPointer) {
    return sq_throwerror(v, "compiled-closure files are not supported yet");
}
