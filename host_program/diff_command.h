// dravik-host diff: compares two initialization strings as the driver reads
// them: the tags added, removed, moved to another table or data set and
// probably renamed, the warnings that appear or disappear, and, for the
// items of the given cases, every binding that changes.
#pragma once

// Runs `dravik-host diff`; argv[0] is "diff". Returns the exit status.
int run_diff(int argc, char** argv);
