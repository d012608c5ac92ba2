// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_SHOWOPENING_H_
#define HOST_APP_SHOWOPENING_H_

#include <QString>
#include <memory>
#include <optional>

#include "host/app/inputchoice.h"
#include "host/input/showfile.h"
#include "host/input/showplayer.h"

namespace vexohost {

class ShowSource;

// A show file as --play and Open… open it, checked whole (a text show, or
// the universe of a recording: `universe`, or its first). Null when it
// cannot play, said on standard error with *why and *status set. sink sees
// the moments as the check reads them.
std::unique_ptr<ShowFile> openShowFile(const QString& path, std::optional<unsigned> universe, int* status,
                                       QString* why, const ShowFile::CheckSink& sink = {});

// The show a run starts with, the demo or --play's file, as the choice asks
// for it. Null when it cannot (a pipe looped, a universe of a text show,
// --from past its end), said on standard error with *status set. sink sees
// the moments of a file as its check reads them.
std::unique_ptr<ShowSource> openFirstShow(const InputChoice& choice, int* status,
                                          const ShowFile::CheckSink& sink = {});

// How the choice's show is played under the run's rules: a recording asked
// for (recorded) ends a demo that would loop; one that runs (onShowTime)
// takes frames at the rules' rate.
PlayerOptions playerOptions(const InputChoice& choice, const PlayRules& rules, bool recorded,
                            bool onShowTime);

}  // namespace vexohost

#endif  // HOST_APP_SHOWOPENING_H_
