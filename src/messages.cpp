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
        const Character c = character_at(p);
        for (std::size_t i = 0; i < c.size; ++i, ++p) {
            if (c.control) {
                block[used++] = '\\';
                block[used++] = 'x';
                block[used++] = hex[*p >> 4];
                block[used++] = hex[*p & 0xF];
            } else {
                if (*p == '\\')
                    block[used++] = '\\';
                block[used++] = static_cast<char>(*p);
            }
        }
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
