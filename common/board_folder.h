#pragma once
// The folder where simulated boards publish the links to their lines. It is per user: in a
// folder that others can write to, anyone could put a board of their own under a name that
// Torvel offers and connects to.

#include <QString>

namespace torvel {

// $XDG_RUNTIME_DIR/torvel-boards when that variable is set, else /tmp/torvel-boards-<uid>.
QString DefaultBoardFolder();

// True when `path` is a folder itself (not a link to one), owned by this user and writable
// by nobody else; otherwise false with the reason in `why`.
bool IsPrivateFolder(const QString& path, QString* why = nullptr);

// Creates the folder with mode 0700 when it is missing (its parent must exist), then checks
// it as IsPrivateFolder does: a folder someone else made first is refused, not used.
bool MakePrivateFolder(const QString& path, QString* error = nullptr);

}  // namespace torvel
