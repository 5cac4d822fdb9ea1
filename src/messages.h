// adconv's words to the user: one line each, on standard output or
// standard error, in the style of perror.
#ifndef ADCONV_MESSAGES_H
#define ADCONV_MESSAGES_H

#include <cstdio>
#include <initializer_list>

namespace adconv {

// Writes the pieces, then the line end; false when any of it is lost. On a
// terminal a piece that holds control characters (a name may hold any:
// ESC, BEL, C1 controls) shows each of their bytes as \xHH and each of its
// backslashes as \\, so that no name can move the cursor, clear the screen
// or set the title; to a file or a pipe every byte goes out as it is.
bool say(std::FILE* stream, std::initializer_list<const char*> pieces);

// As perror writes it, on standard error: "PREFIX: " (nothing for an empty
// prefix), then the system's text for the error.
void report(int error, const char* prefix);

}  // namespace adconv

#endif
