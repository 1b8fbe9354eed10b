#pragma once

#include <cstddef>
#include <cstdint>

namespace me::lobby {

// What one client may hold, so that no client can exhaust the service.
inline constexpr size_t kMaxLobbiesPerUser = 8;
inline constexpr size_t kMaxInvitationsPerLobby = 256;
// A client whose unsent output grows past this is cut off: it is not reading.
inline constexpr size_t kMaxQueuedBytesPerClient = 4 * 1024 * 1024;
// Bytes read from one client in one loop turn, so a fast sender cannot
// starve the others.
inline constexpr size_t kMaxReadBytesPerTurn = 256 * 1024;
inline constexpr size_t kMaxLobbiesPerService = 1'000'000;

}  // namespace me::lobby
