#pragma once

// Prints one diagnostic line (printf format) to standard output and flushes
// it, so that lines from the receive thread and the main thread appear as
// they happen even when standard output is a pipe or a file.
void diagnostic(const char* format, ...) __attribute__((format(printf, 1, 2)));
