#pragma once

class ListSession;

// The list on disk was saved under a master password changed on another
// machine: asks for that password until it opens the list (then the two
// are merged and the list goes on under it) or the user cancels.
namespace OtherPassword {

bool adopt(ListSession& session);

} // namespace OtherPassword
