// The steps of message retrieval that the waits and the thread loop share,
// for the platform layer's own use.
#pragma once

#include "platform/user32/MessageQueue.h"

namespace platform::detail {

// Moves what waits in the thread's window sockets into its queue: posted
// datagrams become posted messages, sent ones sent messages.
void CollectInput(MessageQueue& queue);

// Runs every message sent to the calling thread's windows (the thread must
// own the queue) and completes it. True when at least one ran.
bool ServeSentMessages(MessageQueue& queue);

}  // namespace platform::detail
