// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The link a running virtual controller makes for its end of the line, as Tessivar finds it.
// Widget-free: the settings dialog lists what it finds, the tests check it against the
// controller's own choice of place.
namespace VirtualLink {

// Where a virtual controller started without --link puts its link: ttyTessivar0 in tessivar/
// of the user's runtime directory. QStandardPaths gives the directory, as it does to the
// controller, so that both agree also where XDG_RUNTIME_DIR is unset (Qt then falls back to
// a directory of the user's own under /tmp). Empty when there is no runtime directory.
QString defaultPath();

// The pseudo-terminal that the link at `path` leads to while its controller runs, or empty.
// A controller that ends removes its link; one that was killed leaves it behind, pointing at a
// pseudo-terminal that is gone, or, once the number has been given out again, at someone
// else's terminal (a shell's, say). So the link counts only when it leads to a pseudo-terminal
// that already existed when the link was made.
QString liveDevice(const QString &path);

} // namespace VirtualLink
