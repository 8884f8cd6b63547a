// The pictures of the user guide (docs/guide/使用說明.md), one per step of the month's job.
#pragma once

#include <QString>

namespace tessaro::testing {

// Drives the real window through the month's job on the bundled example and writes one PNG
// per step into `folder`. Gives false, after naming on standard error what went otherwise
// than the guide says, when a step did not show what its picture is meant to show.
bool makeGuidePictures(const QString& folder);

}  // namespace tessaro::testing
