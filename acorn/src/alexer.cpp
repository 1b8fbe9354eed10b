#include "alexer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Keyword {
    const char *name;
    int kind;
};

constexpr Keyword kKeywords[] = {
    {"base", TK_BASE},         {"break", TK_BREAK},     {"case", TK_CASE},
    {"catch", TK_CATCH},       {"class", TK_CLASS},     {"clone", TK_CLONE},
    {"continue", TK_CONTINUE}, {"const", TK_CONST},     {"default", TK_DEFAULT},
    {"delete", TK_DELETE},     {"do", TK_DO},           {"else", TK_ELSE},
    {"enum", TK_ENUM},         {"extends", TK_EXTENDS}, {"false", TK_FALSE},
    {"for", TK_FOR},           {"foreach", TK_FOREACH}, {"function", TK_FUNCTION},
    {"if", TK_IF},             {"in", TK_IN},           {"instanceof", TK_INSTANCEOF},
    {"local", TK_LOCAL},       {"null", TK_NULL},       {"resume", TK_RESUME},
    {"return", TK_RETURN},     {"static", TK_STATIC},   {"switch", TK_SWITCH},
    {"this", TK_THIS},         {"throw", TK_THROW},     {"true", TK_TRUE},
    {"try", TK_TRY},           {"typeof", TK_TYPEOF},   {"while", TK_WHILE},
    {"yield", TK_YIELD},       {"__LINE__", TK_LINE},   {"__FILE__", TK_FILE},
};

struct Operator {
    const char *text;
    int kind;
};

// Longest first, so that a prefix never shadows a longer operator.
constexpr Operator kOperators[] = {
    {">>>=", TK_USHREQ}, {"<=>", TK_CMP3},      {">>>", TK_USHR},       {"<<=", TK_SHLEQ},
    {">>=", TK_SHREQ},   {"...", TK_VARPARAMS}, {"==", TK_EQ},          {"!=", TK_NE},
    {"<=", TK_LE},       {">=", TK_GE},         {"&&", TK_AND},         {"||", TK_OR},
    {"<<", TK_SHL},      {">>", TK_SHR},        {"++", TK_PLUSPLUS},    {"--", TK_MINUSMINUS},
    {"+=", TK_PLUSEQ},   {"-=", TK_MINUSEQ},    {"*=", TK_MULEQ},       {"/=", TK_DIVEQ},
    {"%=", TK_MODEQ},    {"&=", TK_ANDEQ},      {"|=", TK_OREQ},        {"^=", TK_XOREQ},
    {"<-", TK_NEWSLOT},  {"::", TK_DOUBLECOLON}, {"</", TK_ATTR_OPEN},  {"/>", TK_ATTR_CLOSE},
};

constexpr const char kSingleCharOperators[] = "+-*/%=<>!~&|^?:.,;()[]{}@";

bool is_ident_start(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_ident_char(int c) { return is_ident_start(c) || is_digit(c); }
int hex_value(int c) {
    if (is_digit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

Lexer::Lexer(const char *src, size_t len) : src_(src), len_(len) {}

int Lexer::peek(size_t ahead) const {
    return pos_ + ahead < len_ ? static_cast<unsigned char>(src_[pos_ + ahead]) : -1;
}

int Lexer::advance() {
    int c = peek();
    if (c < 0) return c;
    ++pos_;
    if (c == '\n') {
        ++line_;
        column_ = 1;
    } else {
        ++column_;
    }
    return c;
}

void Lexer::fail(const std::string &msg) const { throw LexError(msg, line_, column_); }

bool Lexer::skip_space_and_comments() {
    bool newline = false;
    for (;;) {
        int c = peek();
        if (c == '\n') {
            newline = true;
            advance();
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            advance();
        } else if (c == '#' || (c == '/' && peek(1) == '/')) {
            while (peek() >= 0 && peek() != '\n') advance();
        } else if (c == '/' && peek(1) == '*') {
            advance();
            advance();
            while (!(peek() == '*' && peek(1) == '/')) {
                if (peek() < 0) fail("missing \"*/\" in comment");
                if (peek() == '\n') newline = true;
                advance();
            }
            advance();
            advance();
        } else {
            return newline;
        }
    }
}

void Lexer::next(Token &tok) {
    tok.newline_before = skip_space_and_comments();
    tok.line = line_;
    tok.column = column_;
    tok.text.clear();
    int c = peek();
    if (c < 0) {
        tok.kind = TK_EOF;
    } else if (is_ident_start(c)) {
        read_identifier(tok);
    } else if (is_digit(c)) {
        read_number(tok);
    } else if (c == '"') {
        read_string(tok, '"', false);
    } else if (c == '@' && peek(1) == '"') {
        advance();
        read_string(tok, '"', true);
    } else if (c == '\'') {
        read_string(tok, '\'', false);
    } else {
        read_operator(tok);
    }
}

void Lexer::read_identifier(Token &tok) {
    while (is_ident_char(peek())) tok.text.push_back(static_cast<char>(advance()));
    tok.kind = TK_IDENTIFIER;
    for (const Keyword &k : kKeywords) {
        if (tok.text == k.name) {
            tok.kind = k.kind;
            return;
        }
    }
}

// Integer literals wrap in the script's integer width, as two's complement.
void Lexer::read_number(Token &tok) {
    SQUnsignedInteger value = 0;
    if (peek() == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
        advance();
        advance();
        // A bare "0x" is 0, as in the reference lexer.
        while (hex_value(peek()) >= 0) value = value * 16 + static_cast<SQUnsignedInteger>(hex_value(advance()));
    } else if (peek() == '0' && peek(1) >= '0' && peek(1) <= '7') {
        while (is_digit(peek())) {
            int d = advance() - '0';
            if (d > 7) fail("invalid octal number");
            value = value * 8 + static_cast<SQUnsignedInteger>(d);
        }
    } else {
        size_t start = pos_;
        while (is_digit(peek())) advance();
        bool is_float = false;
        // `100.` is a float, and like the reference lexer this one keeps
        // reading digits and dots: "1..5" converts as far as it parses.
        if (peek() == '.') {
            is_float = true;
            advance();
            while (is_digit(peek()) || peek() == '.') advance();
        }
        if (peek() == 'e' || peek() == 'E') {
            int sign_or_digit = peek(1);
            bool has_sign = sign_or_digit == '+' || sign_or_digit == '-';
            if (!is_digit(has_sign ? peek(2) : sign_or_digit)) fail("exponent expected");
            is_float = true;
            advance();
            if (has_sign) advance();
            // Dots and digits after the exponent belong to the number too
            // ("1e5.5" is 1e5), as the reference reads them.
            while (is_digit(peek()) || peek() == '.') advance();
        }
        std::string digits(src_ + start, pos_ - start);
        if (is_float) {
            tok.kind = TK_FLOAT;
            tok.fval = static_cast<SQFloat>(std::strtod(digits.c_str(), nullptr));
            return;
        }
        for (char d : digits) value = value * 10 + static_cast<SQUnsignedInteger>(d - '0');
    }
    if (is_ident_start(peek())) fail("invalid character in number");
    tok.kind = TK_INTEGER;
    tok.ival = static_cast<SQInteger>(value);
}

// Code points from \u and \U escapes are stored as UTF-8.
static void append_utf8(std::string &out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | ((cp >> 18) & 0x07)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

uint32_t Lexer::read_hex(int max_digits) {
    if (hex_value(peek()) < 0) fail("hexadecimal number expected");
    uint32_t value = 0;
    for (int i = 0; i < max_digits && hex_value(peek()) >= 0; ++i)
        value = value * 16 + static_cast<uint32_t>(hex_value(advance()));
    return value;
}

void Lexer::read_escape(std::string &out) {
    int c = advance();
    switch (c) {
        case 'x': out.push_back(static_cast<char>(read_hex(2))); return;
        case 'u': append_utf8(out, read_hex(4)); return;
        case 'U': append_utf8(out, read_hex(8)); return;
        default: out.push_back(static_cast<char>(simple_escape(c))); return;
    }
}

int Lexer::simple_escape(int c) const {
    switch (c) {
        case 't': return '\t';
        case 'a': return '\a';
        case 'b': return '\b';
        case 'n': return '\n';
        case 'r': return '\r';
        case 'v': return '\v';
        case 'f': return '\f';
        case '0': return '\0';
        case '\\': return '\\';
        case '"': return '"';
        case '\'': return '\'';
        default: fail("unrecognised escaper char");
    }
}

void Lexer::read_string(Token &tok, int quote, bool verbatim) {
    advance();
    for (;;) {
        int c = peek();
        if (c < 0) fail("unfinished string");
        if (c == '\n' && !verbatim) fail("newline in a constant");
        advance();
        if (c == quote) {
            if (!(verbatim && peek() == quote)) break;
            advance();
        } else if (c == '\\' && !verbatim) {
            if (peek() < 0) fail("unfinished string");
            read_escape(tok.text);
            continue;
        }
        tok.text.push_back(static_cast<char>(c));
    }
    if (quote == '"') {
        tok.kind = TK_STRING;
        return;
    }
    if (tok.text.empty()) fail("empty constant");
    if (tok.text.size() != 1) fail("constant too long");
    tok.kind = TK_INTEGER;
    tok.ival = static_cast<SQInteger>(static_cast<signed char>(tok.text[0]));
}

void Lexer::read_operator(Token &tok) {
    for (const Operator &op : kOperators) {
        size_t n = std::strlen(op.text);
        if (pos_ + n <= len_ && std::memcmp(src_ + pos_, op.text, n) == 0) {
            for (size_t i = 0; i < n; ++i) advance();
            tok.kind = op.kind;
            return;
        }
    }
    int c = peek();
    if (c == 0 || !std::strchr(kSingleCharOperators, c)) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "unexpected character (code %d)", c);
        fail(buf);
    }
    advance();
    tok.kind = c;
}

std::string token_text(int kind) {
    if (kind < 256) return std::string(1, static_cast<char>(kind));
    switch (kind) {
        case TK_EOF: return "end of file";
        case TK_IDENTIFIER: return "IDENTIFIER";
        case TK_STRING: return "STRING_LITERAL";
        case TK_INTEGER: return "INTEGER";
        case TK_FLOAT: return "FLOAT";
        default: break;
    }
    for (const Keyword &k : kKeywords)
        if (k.kind == kind) return k.name;
    for (const Operator &op : kOperators)
        if (op.kind == kind) return op.text;
    return "?";
}
