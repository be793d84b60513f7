#pragma once
// Which node actions of a downloaded song list may be handed to the desktop. The list
// comes from the network; the desktop would open anything, a local file or a program
// included, so only web pages and mail addresses pass.

#include <QString>

namespace song_list {

// True for an absolute http or https address with a host, and for a mailto address
// that asks for no attachment. Everything else (file:, plain paths, other schemes,
// text that is no address) is false.
[[nodiscard]] bool IsOpenableAction(const QString& action);

}  // namespace song_list
