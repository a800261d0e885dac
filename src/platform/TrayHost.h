#pragma once

#include <QObject>

#include <functional>

namespace zarvo {

// Asks the session bus, without waiting for it, whether a StatusNotifierItem watcher runs there.
// Where one does, Qt shows the tray item through that protocol instead of an XEmbed icon, and the
// item's host reports clicks as activations. The answer comes later on the user-interface thread,
// false when there is no session bus; nothing is answered once `context` is gone.
void askStatusNotifierWatcher(QObject* context, std::function<void(bool)> answer);

} // namespace zarvo
