// What one conversation with a brain has of its own, apart from the brain
// as written: facts, the current mode, state and procedure with each
// procedure's step and the call stack, the input and output histories, the
// last-name registers, every clause's hit count and volition mark, the
// input time, the random generator, and the collections the conversation
// changed or made. Many conversations can thus take turns with one brain:
// each turn restores its session, answers, and saves it again.
//
// A session is saved as a blob: "VXSESS", a format version (2 bytes), the
// payload's length (8) and a checksum of it (8), then the payload. Version
// 2's checksum reads the payload eight bytes at a time in four lanes (see
// session.cpp); version 1, read still, has the same payload with an FNV-1a
// checksum of it byte by byte, which cost more than the rest of a turn.
// Numbers are little-endian; a text is its length (4 bytes) and its bytes;
// a list is its count (4) and its items. The payload, in order:
//   registers   CurrentMode, CurrentState, CurrentProc (4 each), LastInput (8, a double)
//   last names  pattern, step pattern, fragment, response, task, mode (texts)
//   histories   inputs, outputs (lists of texts, newest first)
//   facts       names, values (lists of texts)
//   states      the state names (a list of texts)
//   calls       the call stack's procedure names and steps (two lists)
//   steps       each procedure's current step: count, then name and step (texts)
//   hits        count, then mode number, clause number (4 each), hit count
//               (4) and last volition (8) of each clause whose hit count or
//               mark is not 0
//   random      the generator's four words (4 each)
//   collections count, then name, made-while-running (1), sorted (1),
//               members (a list), member cache time (8), member cache,
//               member-sub cache time (8), member-sub cache: each collection
//               the conversation changed or made
// A blob of another version, or whose checksum or length do not hold, is
// refused with a SessionError; nothing in the brain changes then.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/records/brain.h"

namespace varnex {

class SessionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr uint16_t kSessionVersion = 2;  // written; version 1 is read too

// Marks the brain as read: its collections as they are now are what a new
// conversation starts from. Call once after reading (and again after
// reading more, as Make Code does, for changes meant for everyone).
void MarkBrainAsRead(BrainClass& brain);

// The brain's conversation as a blob. It leaves the conversation as it is,
// but keeps a cache of clause positions in the modes: like everything done
// with one brain, on one thread at a time.
std::string SaveSession(const BrainClass& brain);
// Makes the brain's conversation the one saved. Throws SessionError for a
// blob it cannot read, before changing anything.
void RestoreSession(BrainClass& brain, std::string_view blob);

}  // namespace varnex
