#include "afuncproto.h"

#include <algorithm>

SQInteger SQFunctionProto::line_of(SQInteger op) const {
    auto after = std::upper_bound(lineinfos.begin(), lineinfos.end(), op,
                                  [](SQInteger o, const SQLineInfo &li) { return o < li.op; });
    if (after == lineinfos.begin()) return 0;
    return std::prev(after)->line;
}
