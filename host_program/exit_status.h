// The exit statuses of dravik-host, for a run and for a check.
#pragma once

enum ExitStatus {
  kRan = 0,          // a run ran; a check found nothing to warn about
  kBadInput = 1,     // a file or an argument could not be used, or an output not written
  kLinkRefused = 2,  // the driver refused the link
  kNoDriver = 3,     // the driver library could not be loaded
  kWarnings = 4,     // a check found warnings; a --strict run left items or rules unmatched
  kUnusable = 5,     // a check found that the driver would load no tag at all
};
