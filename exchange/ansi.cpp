#include "exchange/ansi.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace exchange {

namespace {

// Code points of the bytes 0x80-0x9F; the five undefined bytes map to themselves.
constexpr char16_t kAltos[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The UTF-8 form of every byte, precomputed: length and up to 3 bytes.
struct FormaUtf8 {
    unsigned char largo;
    char bytes[3];
};

constexpr std::array<FormaUtf8, 256> CrearFormas() {
    std::array<FormaUtf8, 256> t{};
    for (int b = 0; b < 256; ++b) {
        char32_t cp = b < 0x80 ? char32_t(b)
                      : b < 0xA0 ? char32_t(kAltos[b - 0x80])
                                 : char32_t(b);
        FormaUtf8 f{};
        if (cp < 0x80) {
            f.largo = 1;
            f.bytes[0] = char(cp);
        } else if (cp < 0x800) {
            f.largo = 2;
            f.bytes[0] = char(0xC0 | (cp >> 6));
            f.bytes[1] = char(0x80 | (cp & 0x3F));
        } else {
            f.largo = 3;
            f.bytes[0] = char(0xE0 | (cp >> 12));
            f.bytes[1] = char(0x80 | ((cp >> 6) & 0x3F));
            f.bytes[2] = char(0x80 | (cp & 0x3F));
        }
        t[b] = f;
    }
    return t;
}

constexpr std::array<FormaUtf8, 256> kFormas = CrearFormas();

// True when the 8 bytes at p are all ASCII.
inline bool OchoAscii(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return (w & 0x8080808080808080ULL) == 0;
}

}  // namespace

char32_t AnsiACodigo(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return kAltos[c - 0x80];
    return c;
}

int CodigoAAnsi(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return int(cp);
    switch (cp) {
        case 0x0081: case 0x008D: case 0x008F: case 0x0090: case 0x009D: return int(cp);
        case 0x20AC: return 0x80;
        case 0x201A: return 0x82;
        case 0x0192: return 0x83;
        case 0x201E: return 0x84;
        case 0x2026: return 0x85;
        case 0x2020: return 0x86;
        case 0x2021: return 0x87;
        case 0x02C6: return 0x88;
        case 0x2030: return 0x89;
        case 0x0160: return 0x8A;
        case 0x2039: return 0x8B;
        case 0x0152: return 0x8C;
        case 0x017D: return 0x8E;
        case 0x2018: return 0x91;
        case 0x2019: return 0x92;
        case 0x201C: return 0x93;
        case 0x201D: return 0x94;
        case 0x2022: return 0x95;
        case 0x2013: return 0x96;
        case 0x2014: return 0x97;
        case 0x02DC: return 0x98;
        case 0x2122: return 0x99;
        case 0x0161: return 0x9A;
        case 0x203A: return 0x9B;
        case 0x0153: return 0x9C;
        case 0x017E: return 0x9E;
        case 0x0178: return 0x9F;
        default: return -1;
    }
}

std::string Utf8AAnsi(std::string_view utf8) {
    const char* p = utf8.data();
    const char* const fin = p + utf8.size();
    // Most values are plain ASCII: copy them as they are.
    while (fin - p >= 8 && OchoAscii(p)) p += 8;
    while (p < fin && static_cast<unsigned char>(*p) < 0x80) ++p;
    if (p == fin) return std::string(utf8);

    std::string out;
    out.resize(utf8.size());  // never longer than the input
    const std::size_t hecho = static_cast<std::size_t>(p - utf8.data());
    std::memcpy(out.data(), utf8.data(), hecho);
    char* o = out.data() + hecho;
    while (p < fin) {
        while (fin - p >= 8 && OchoAscii(p)) {
            std::memcpy(o, p, 8);
            p += 8;
            o += 8;
        }
        if (p >= fin) break;
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x80) {
            *o++ = char(c);
            ++p;
            continue;
        }
        // A multi-byte sequence: its length and the range its second byte
        // must lie in (no overlong forms, no surrogates, nothing past U+10FFFF).
        int largo;
        unsigned char min2 = 0x80, max2 = 0xBF;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            largo = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            largo = 3;
            cp = c & 0x0F;
            if (c == 0xE0) min2 = 0xA0;
            if (c == 0xED) max2 = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            largo = 4;
            cp = c & 0x07;
            if (c == 0xF0) min2 = 0x90;
            if (c == 0xF4) max2 = 0x8F;
        } else {
            *o++ = '?';
            ++p;
            continue;
        }
        // Consume the longest valid prefix; a broken sequence becomes one '?'.
        int i = 1;
        for (; i < largo && p + i < fin; ++i) {
            const unsigned char d = static_cast<unsigned char>(p[i]);
            const unsigned char lo = (i == 1) ? min2 : 0x80;
            const unsigned char hi = (i == 1) ? max2 : 0xBF;
            if (d < lo || d > hi) break;
            cp = (cp << 6) | (d & 0x3F);
        }
        p += i;
        if (i < largo) {
            *o++ = '?';
            continue;
        }
        const int b = CodigoAAnsi(cp);
        *o++ = b < 0 ? '?' : char(b);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string AnsiAUtf8(std::string_view ansi) {
    if (ansi.empty()) return {};
    std::size_t largo = ansi.size();
    for (unsigned char c : ansi)
        if (c >= 0x80) largo += kFormas[c].largo - 1;
    std::string out;
    out.resize(largo);
    if (largo == ansi.size()) {
        std::memcpy(out.data(), ansi.data(), ansi.size());
        return out;
    }
    char* o = out.data();
    for (unsigned char c : ansi) {
        if (c < 0x80) {
            *o++ = char(c);
        } else {
            const FormaUtf8& f = kFormas[c];
            for (int i = 0; i < f.largo; ++i) *o++ = f.bytes[i];
        }
    }
    return out;
}

}  // namespace exchange
