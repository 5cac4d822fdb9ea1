// Writing messages: one line formatted whole, escaped for a terminal, written at once.
#include "messages.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform.h"

namespace adconv {

namespace {

// Room for the longest path a system takes, and the longest message.
constexpr std::size_t kLineSize = 1 << 16;

// The length of the UTF-8 sequence at p, or 0 where none starts.
std::size_t utf8_length(const unsigned char* p)
{
    const std::size_t n = p[0] >= 0xC2 && p[0] <= 0xDF ? 2 : p[0] >= 0xE0 && p[0] <= 0xEF ? 3
                                                        : p[0] >= 0xF0 && p[0] <= 0xF4 ? 4
                                                                                       : 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return n;
}

// The character at p: its size in bytes (a whole UTF-8 sequence, or one
// byte), and whether it is a control: C0, DEL, C1 as UTF-8, or a lone byte
// 0x80-0x9F, which some terminals take as C1 too.
struct Character {
    std::size_t size;
    bool control;
};

Character character_at(const unsigned char* p)
{
    const std::size_t n = utf8_length(p);
    if (n == 0)
        return {1, p[0] < 0x20 || p[0] == 0x7F || (p[0] >= 0x80 && p[0] < 0xA0)};
    return {n, n == 2 && p[0] == 0xC2 && p[1] < 0xA0};
}

bool has_control(const unsigned char* p)
{
    for (Character c{0, false}; *p != '\0'; p += c.size)
        if ((c = character_at(p)).control)
            return true;
    return false;
}

// Writes text with its controls escaped into out, which has room for four
// times the text; returns the length written.
std::size_t escape(const unsigned char* p, char* out)
{
    static const char hex[] = "0123456789ABCDEF";
    std::size_t used = 0;
    while (*p != '\0') {
        const Character c = character_at(p);
        for (std::size_t i = 0; i < c.size; ++i, ++p) {
            if (c.control) {
                out[used++] = '\\';
                out[used++] = 'x';
                out[used++] = hex[*p >> 4];
                out[used++] = hex[*p & 0xF];
            } else {
                if (*p == '\\')
                    out[used++] = '\\';
                out[used++] = static_cast<char>(*p);
            }
        }
    }
    return used;
}

// How much of n characters that printf-style output wanted fit in a room
// of `room` bytes, its terminator included.
std::size_t fitted(int n, std::size_t room)
{
    return n < 0 ? 0 : static_cast<std::size_t>(n) < room ? static_cast<std::size_t>(n) : room - 1;
}

// Formats the line, adds the system's text for `error` (unless 0) and the
// line end, and writes it in one go.
bool write_message(std::FILE* stream, int error, const char* format, std::va_list args)
{
    static char line[kLineSize];
    static char escaped[4 * kLineSize];
    const std::size_t room = sizeof line - 1;  // the line end always fits
    std::size_t size = fitted(std::vsnprintf(line, room, format, args), room);
    if (error != 0)
        size += fitted(std::snprintf(line + size, room - size, "%s%s", size > 0 ? ": " : "", std::strerror(error)),
                       room - size);
    char* text = line;
    const auto* bytes = reinterpret_cast<const unsigned char*>(line);
    if (is_terminal(stream) && has_control(bytes)) {
        size = escape(bytes, escaped);
        text = escaped;
    }
    text[size] = '\n';
    return write_line(stream, text, size + 1);
}

}  // namespace

void warnx(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    write_message(stderr, 0, format, args);
    va_end(args);
}

void warnc(int error, const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    write_message(stderr, error, format, args);
    va_end(args);
}

bool say(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    const bool written = write_message(stdout, 0, format, args);
    va_end(args);
    return written;
}

}  // namespace adconv
