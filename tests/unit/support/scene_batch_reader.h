#pragma once

#include <span>

#include "gpu/quad_batch.h"

namespace me::test {

// The vertices of the quads a batch without a GL context has gathered so
// far. The batch writes them into client memory one after another, so the
// slot it hands out next lies right after them.
inline std::span<const QuadVertex> gathered_vertices(QuadBatch& batch) {
    const int quads = batch.pending_quads();
    if (quads == 0 || quads == QuadBatch::kMaxQuads)
        return {};
    const std::span<QuadVertex> next = batch.reserve(batch.pending_texture(), 1);
    return {next.data() - 4 * quads, static_cast<size_t>(4 * quads)};
}

}  // namespace me::test
