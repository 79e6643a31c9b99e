// SPDX-License-Identifier: GPL-3.0-or-later
// Progress of long work, reported to whatever the front end shows (a status-bar bar, a bar on
// the terminal).
#pragma once

#include <QtGlobal>

#include <functional>

namespace varnolite {

/// Called with the steps done so far and the total number of steps.
using ProgressHook = std::function<void(qsizetype done, qsizetype total)>;

} // namespace varnolite
