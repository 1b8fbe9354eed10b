// Splits Squirrel source text into tokens. Works on a byte buffer that may
// contain anything, NUL bytes included; malformed text ends in a LexError.
#pragma once

#include <stdexcept>
#include <string>

#include "squirrel.h"

enum TokenKind : int {
    TK_EOF = 256,
    TK_IDENTIFIER,
    TK_STRING,
    TK_INTEGER,
    TK_FLOAT,
    // keywords
    TK_BASE, TK_BREAK, TK_CASE, TK_CATCH, TK_CLASS, TK_CLONE, TK_CONTINUE, TK_CONST,
    TK_DEFAULT, TK_DELETE, TK_DO, TK_ELSE, TK_ENUM, TK_EXTENDS, TK_FALSE, TK_FOR,
    TK_FOREACH, TK_FUNCTION, TK_IF, TK_IN, TK_INSTANCEOF, TK_LOCAL, TK_NULL, TK_RESUME,
    TK_RETURN, TK_STATIC, TK_SWITCH, TK_THIS, TK_THROW, TK_TRUE, TK_TRY, TK_TYPEOF,
    TK_WHILE, TK_YIELD, TK_LINE, TK_FILE,
    // multi-character operators
    TK_EQ, TK_NE, TK_LE, TK_GE, TK_CMP3, TK_AND, TK_OR, TK_SHL, TK_SHR, TK_USHR,
    TK_PLUSPLUS, TK_MINUSMINUS, TK_PLUSEQ, TK_MINUSEQ, TK_MULEQ, TK_DIVEQ, TK_MODEQ,
    TK_SHLEQ, TK_SHREQ, TK_USHREQ, TK_ANDEQ, TK_OREQ, TK_XOREQ, TK_NEWSLOT,
    TK_DOUBLECOLON, TK_VARPARAMS, TK_ATTR_OPEN, TK_ATTR_CLOSE,
};

struct LexError : std::runtime_error {
    SQInteger line, column;
    LexError(const std::string &msg, SQInteger l, SQInteger c) : std::runtime_error(msg), line(l), column(c) {}
};

struct Token {
    int kind = TK_EOF;
    std::string text;      // identifier name or string bytes
    SQInteger ival = 0;    // TK_INTEGER
    SQFloat fval = 0;      // TK_FLOAT
    SQInteger line = 1;
    SQInteger column = 1;
    bool newline_before = false;  // a line break separates it from the previous token
};

class Lexer {
   public:
    Lexer(const char *src, size_t len);
    // Reads the next token into `tok`; throws LexError on malformed input.
    void next(Token &tok);

   private:
    int peek(size_t ahead = 0) const;
    int advance();
    bool skip_space_and_comments();  // true if a line break was crossed
    void read_identifier(Token &tok);
    void read_number(Token &tok);
    void read_string(Token &tok, int quote, bool verbatim);
    void read_escape(std::string &out);
    int simple_escape(int c) const;
    uint32_t read_hex(int max_digits);
    void read_operator(Token &tok);
    [[noreturn]] void fail(const std::string &msg) const;

    const char *src_;
    size_t len_;
    size_t pos_ = 0;
    SQInteger line_ = 1;
    SQInteger column_ = 1;
};

// Printable form of a token kind, for error messages.
std::string token_text(int kind);
