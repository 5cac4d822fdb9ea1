#include "messages.h"

#include <cstring>

#include "platform.h"

namespace adconv {

namespace {

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

// The bytes of a control character at p (C0, DEL, or C1 as UTF-8 or as a
// lone byte), or 0 where p holds something else.
std::size_t control_length(const unsigned char* p)
{
    const std::size_t n = utf8_length(p);
    if (p[0] < 0x20 || p[0] == 0x7F || (n == 0 && p[0] >= 0x80 && p[0] < 0xA0))
        return 1;
    return n == 2 && p[0] == 0xC2 && p[1] < 0xA0 ? 2 : 0;
}

bool has_control(const unsigned char* p)
{
    for (; *p != '\0'; ++p)
        if (control_length(p) > 0)
            return true;
    return false;
}

// Writes text with its controls escaped, a small block at a time; blocks
// end between characters, so a console never gets half of one.
bool write_escaped(std::FILE* stream, const unsigned char* p)
{
    static const char hex[] = "0123456789ABCDEF";
    char block[256];
    std::size_t used = 0;
    bool written = true;
    while (*p != '\0') {
        if (used + 8 >= sizeof block) {  // room for the longest step
            block[used] = '\0';
            written = write_text(stream, block) && written;
            used = 0;
        }
        std::size_t n = control_length(p);
        if (n > 0) {
            for (std::size_t i = 0; i < n; ++i, ++p) {
                block[used++] = '\\';
                block[used++] = 'x';
                block[used++] = hex[*p >> 4];
                block[used++] = hex[*p & 0xF];
            }
            continue;
        }
        if (*p == '\\')
            block[used++] = '\\';
        n = utf8_length(p);
        for (std::size_t i = 0; i < (n > 0 ? n : 1); ++i)
            block[used++] = static_cast<char>(*p++);
    }
    block[used] = '\0';
    return write_text(stream, block) && written;
}

}  // namespace

bool say(std::FILE* stream, std::initializer_list<const char*> pieces)
{
    const bool terminal = is_terminal(stream);
    bool written = true;
    for (const char* piece : pieces) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(piece);
        written = (terminal && has_control(bytes) ? write_escaped(stream, bytes) : write_text(stream, piece)) &&
                  written;
    }
    return write_text(stream, "\n") && written;
}

void report(int error, const char* prefix)
{
    const char* text = std::strerror(error);
    if (*prefix == '\0')
        say(stderr, {text});
    else
        say(stderr, {prefix, ": ", text});
}

}  // namespace adconv
