#pragma once

// The Lua scripts that keep the shared lobby state in Redis. Each runs
// atomically inside Redis, so two service processes never see a lobby half
// changed, and the notices a script publishes leave in one order for all.
//
// Keys ("<user>" is the user id as 8 little-endian bytes, as on the wire, so
// scripts can put ids into frames without Lua's floating-point numbers):
//   qml:next_node, qml:next_lobby       counters
//   qml:alive:<node>                    heartbeat of a running service process, expires
//   qml:nodes, qml:node:<node>:users    the nodes, and the users each one serves
//   qml:user:<user>                     the node (service process) serving a connected user
//   qml:user:<user>:lobbies             set of lobby ids (decimal) the user is in
//   qml:lobby:<id>                      hash: type, max, owner (<user>), chat (last chat id)
//   qml:lobby:<id>:members              list of <user> in join order
//   qml:lobby:<id>:data, :invited       lobby data hash, set of invited <user>
//   qml:public                          set of public lobby ids
// Channel qml:node:<node> carries, for users of that node, <user> followed by one frame.

namespace me::lobby::redis_scripts {

// Shared by every script below: publish a frame to every member of a lobby.
inline constexpr const char* kFanout = R"lua(
local function fanout(lobby, frame)
  for _, member in ipairs(redis.call('LRANGE', 'qml:lobby:' .. lobby .. ':members', 0, -1)) do
    local node = redis.call('GET', 'qml:user:' .. member)
    if node then redis.call('PUBLISH', 'qml:node:' .. node, member .. frame) end
  end
end
local function is_member(lobby, user)
  return redis.call('LPOS', 'qml:lobby:' .. lobby .. ':members', user) ~= false
end
)lua";

// ARGV: user, node. 1 when the user was not connected anywhere, 2 when it
// was, but through a node that stopped without saying so (its heartbeat key
// expired), 0 when it is connected through a live node.
inline constexpr const char* kConnect = R"lua(
local key = 'qml:user:' .. ARGV[1]
local holder = redis.call('GET', key)
if holder and redis.call('EXISTS', 'qml:alive:' .. holder) == 1 then return 0 end
if holder then redis.call('SREM', 'qml:node:' .. holder .. ':users', ARGV[1]) end
redis.call('SET', key, ARGV[2])
redis.call('SADD', 'qml:node:' .. ARGV[2] .. ':users', ARGV[1])
return holder and 2 or 1
)lua";

// ARGV: user, node. Forgets the user's presence if that node still holds
// it: 1 when it did.
inline constexpr const char* kRelease = R"lua(
local key = 'qml:user:' .. ARGV[1]
if redis.call('GET', key) ~= ARGV[2] then return 0 end
redis.call('DEL', key)
return 1
)lua";

// ARGV: user, type, max members, per-user lobby limit. The new lobby id, or 0 at the limit.
inline constexpr const char* kCreate = R"lua(
local lobbies = 'qml:user:' .. ARGV[1] .. ':lobbies'
if redis.call('SCARD', lobbies) >= tonumber(ARGV[4]) then return 0 end
local id = redis.call('INCR', 'qml:next_lobby')
redis.call('HSET', 'qml:lobby:' .. id, 'type', ARGV[2], 'max', ARGV[3], 'owner', ARGV[1], 'chat', 0)
redis.call('RPUSH', 'qml:lobby:' .. id .. ':members', ARGV[1])
redis.call('SADD', lobbies, id)
if ARGV[2] == '2' then redis.call('SADD', 'qml:public', id) end
return id
)lua";

// ARGV: user, lobby, per-user lobby limit, MemberChanged(entered) frame.
// The lobby entry response (1 success ... 5 error).
inline constexpr const char* kJoin = R"lua(
local lobby = 'qml:lobby:' .. ARGV[2]
if redis.call('EXISTS', lobby) == 0 then return 2 end
if is_member(ARGV[2], ARGV[1]) then return 1 end
local info = redis.call('HMGET', lobby, 'type', 'max')
if info[1] == '0' and redis.call('SISMEMBER', lobby .. ':invited', ARGV[1]) == 0 then return 3 end
if redis.call('LLEN', lobby .. ':members') >= tonumber(info[2]) then return 4 end
local lobbies = 'qml:user:' .. ARGV[1] .. ':lobbies'
if redis.call('SCARD', lobbies) >= tonumber(ARGV[3]) then return 5 end
fanout(ARGV[2], ARGV[4])
redis.call('RPUSH', lobby .. ':members', ARGV[1])
redis.call('SREM', lobby .. ':invited', ARGV[1])
redis.call('SADD', lobbies, ARGV[2])
return 1
)lua";

// ARGV: user, lobby, MemberChanged frame, OwnerChanged frame without its
// last 8 bytes (the new owner). 0 when the user was not a member.
inline constexpr const char* kLeave = R"lua(
local lobby = 'qml:lobby:' .. ARGV[2]
if redis.call('LREM', lobby .. ':members', 0, ARGV[1]) == 0 then return 0 end
redis.call('SREM', 'qml:user:' .. ARGV[1] .. ':lobbies', ARGV[2])
if redis.call('LLEN', lobby .. ':members') == 0 then
  redis.call('DEL', lobby, lobby .. ':members', lobby .. ':data', lobby .. ':invited')
  redis.call('SREM', 'qml:public', ARGV[2])
  return 1
end
if redis.call('HGET', lobby, 'owner') == ARGV[1] then
  local owner = redis.call('LINDEX', lobby .. ':members', 0)
  redis.call('HSET', lobby, 'owner', owner)
  fanout(ARGV[2], ARGV[4] .. owner)
end
fanout(ARGV[2], ARGV[3])
return 1
)lua";

// ARGV: user, lobby, key, value, entry limit, LobbyDataChanged frame.
// 1, or -1 no such lobby, -2 not a member, -3 not the owner, -4 too many keys.
inline constexpr const char* kSetData = R"lua(
local lobby = 'qml:lobby:' .. ARGV[2]
if redis.call('EXISTS', lobby) == 0 then return -1 end
if not is_member(ARGV[2], ARGV[1]) then return -2 end
if redis.call('HGET', lobby, 'owner') ~= ARGV[1] then return -3 end
if ARGV[4] == '' then
  redis.call('HDEL', lobby .. ':data', ARGV[3])
elseif redis.call('HEXISTS', lobby .. ':data', ARGV[3]) == 0 and
       redis.call('HLEN', lobby .. ':data') >= tonumber(ARGV[5]) then
  return -4
else
  redis.call('HSET', lobby .. ':data', ARGV[3], ARGV[4])
end
fanout(ARGV[2], ARGV[6])
return 1
)lua";

// ARGV: user, lobby, ChatEntry frame whose chat id (bytes 22 to 25) the
// script fills in. 1, -1 no such lobby, -2 not a member.
inline constexpr const char* kChat = R"lua(
local lobby = 'qml:lobby:' .. ARGV[2]
if redis.call('EXISTS', lobby) == 0 then return -1 end
if not is_member(ARGV[2], ARGV[1]) then return -2 end
local id = redis.call('HINCRBY', lobby, 'chat', 1)
fanout(ARGV[2], string.sub(ARGV[3], 1, 21) .. struct.pack('<I4', id) .. string.sub(ARGV[3], 26))
return 1
)lua";

// ARGV: user, lobby, invitee, invitation limit, JoinRequested frame.
// 1, -1 no such lobby, -2 not a member, -4 too many invitations, -5 invitee not connected.
inline constexpr const char* kInvite = R"lua(
local lobby = 'qml:lobby:' .. ARGV[2]
if redis.call('EXISTS', lobby) == 0 then return -1 end
if not is_member(ARGV[2], ARGV[1]) then return -2 end
local node = redis.call('GET', 'qml:user:' .. ARGV[3])
if not node then return -5 end
if redis.call('SCARD', lobby .. ':invited') >= tonumber(ARGV[4]) then return -4 end
redis.call('SADD', lobby .. ':invited', ARGV[3])
redis.call('PUBLISH', 'qml:node:' .. node, ARGV[3] .. ARGV[5])
return 1
)lua";

// ARGV: sender, receiver, frame. Publishes the frame to the receiver when
// the two share a lobby: 0 sent, 1 receiver not connected, 2 no shared lobby.
inline constexpr const char* kRelay = R"lua(
local node = redis.call('GET', 'qml:user:' .. ARGV[2])
if not node then return 1 end
for _, lobby in ipairs(redis.call('SMEMBERS', 'qml:user:' .. ARGV[1] .. ':lobbies')) do
  if is_member(lobby, ARGV[2]) then
    redis.call('PUBLISH', 'qml:node:' .. node, ARGV[2] .. ARGV[3])
    return 0
  end
end
return 2
)lua";

// ARGV: max results, then key and value of each filter. A flat list of
// lobby id, owner, member count, max members for public lobbies with room
// whose data matches every filter.
inline constexpr const char* kFind = R"lua(
local found = {}
local wanted = tonumber(ARGV[1])
for _, id in ipairs(redis.call('SMEMBERS', 'qml:public')) do
  if #found >= wanted * 4 then break end
  local lobby = 'qml:lobby:' .. id
  local info = redis.call('HMGET', lobby, 'max', 'owner')
  local count = redis.call('LLEN', lobby .. ':members')
  local matches = count < tonumber(info[1])
  for i = 2, #ARGV, 2 do
    if matches and (redis.call('HGET', lobby .. ':data', ARGV[i]) or '') ~= ARGV[i + 1] then matches = false end
  end
  if matches then
    found[#found + 1] = id
    found[#found + 1] = info[2]
    found[#found + 1] = count
    found[#found + 1] = info[1]
  end
end
return found
)lua";

// ARGV: lobby. {type, max, owner, members (list), data (flat list)}, or nil.
inline constexpr const char* kSnapshot = R"lua(
local lobby = 'qml:lobby:' .. ARGV[1]
local info = redis.call('HMGET', lobby, 'type', 'max', 'owner')
if not info[1] then return nil end
return {info[1], info[2], info[3], redis.call('LRANGE', lobby .. ':members', 0, -1),
        redis.call('HGETALL', lobby .. ':data')}
)lua";

}  // namespace me::lobby::redis_scripts
