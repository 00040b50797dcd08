// Where a save lands: the path with every symbolic link followed as the kernel would follow it,
// under the kernel's own rule for links in shared folders.
#pragma once

#include <string>

namespace kelvane {

// path with each symbolic link on it followed (its last name too, when that is a link), and "."
// and ".." taken where the links led, as the kernel resolves them; the names from the first one
// that does not exist on are kept as they stand. A link that lies in a sticky, world-writable
// folder (/tmp) is followed only when this user or the folder's owner owns it, whatever
// fs.protected_symlinks says: another user's link there could point a save at any file this user
// may write. A link of a pseudo file system (those of /proc are descriptors, not files) is never
// followed. Throws the save error ("create") naming path.
std::string FollowSaveLinks(const std::string& path);

}  // namespace kelvane
