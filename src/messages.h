// adconv's words to the user, in the manner of the BSD warn(3) family: a
// printf format and its arguments make one line, formatted whole and
// written at once, so lines of runs side by side never mix within a line.
// On a terminal a line that holds control characters (a name may hold
// any: ESC, BEL, C1 controls) shows each of their bytes as \xHH and each of
// its backslashes as \\, so that no name can move the cursor, clear the
// screen or set the title; to a file or a pipe every byte goes out as it is.
#ifndef ADCONV_MESSAGES_H
#define ADCONV_MESSAGES_H

#if defined(__GNUC__)
#define ADCONV_PRINTF(format_index) __attribute__((format(printf, format_index, format_index + 1)))
#else
#define ADCONV_PRINTF(format_index)
#endif

namespace adconv {

// The line on standard error.
void warnx(const char* format, ...) ADCONV_PRINTF(1);

// The line, ": " and the system's text for `error` on standard error, as
// perror writes it: an empty line gives the system's text alone.
void warnc(int error, const char* format, ...) ADCONV_PRINTF(2);

// The line on standard output; false when it could not be written whole.
bool say(const char* format, ...) ADCONV_PRINTF(1);

}  // namespace adconv

#endif
