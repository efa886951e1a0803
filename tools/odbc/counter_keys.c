#include "tools/odbc/counter_keys.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

enum TokenKind { kWord, kOther, kEnd };

struct Token {
    enum TokenKind kind;
    size_t start, end;
};

/* The token at pos: a word, or anything else; blanks, bracketed names and
   quoted texts count as "anything else" and are skipped over whole. */
static struct Token NextToken(const char* s, size_t n, size_t pos) {
    struct Token t = {kEnd, pos, pos};
    while (pos < n && isspace((unsigned char)s[pos]))
        ++pos;
    t.start = pos;
    if (pos >= n) return t;
    const char c = s[pos];
    if (isalnum((unsigned char)c) || c == '_') {
        while (pos < n && (isalnum((unsigned char)s[pos]) || s[pos] == '_'))
            ++pos;
        t.kind = kWord;
    } else if (c == '[' || c == '\'' || c == '"') {
        const char close = c == '[' ? ']' : c;
        ++pos;
        while (pos < n && s[pos] != close)
            ++pos;
        if (pos < n) ++pos;
        t.kind = kOther;
    } else {
        ++pos;
        t.kind = kOther;
    }
    t.end = pos;
    return t;
}

static int IsWord(const char* s, struct Token t, const char* word) {
    return t.kind == kWord && t.end - t.start == strlen(word) &&
           strncasecmp(s + t.start, word, t.end - t.start) == 0;
}

/* The end of "PRIMARY KEY" within the column definition that starts at
   pos, or 0 when the definition has none. */
static size_t PrimaryKeyEnd(const char* s, size_t n, size_t pos) {
    int depth = 0;
    for (struct Token t = NextToken(s, n, pos); t.kind != kEnd; t = NextToken(s, n, t.end)) {
        const char c = s[t.start];
        if (t.kind == kOther && c == '(') ++depth;
        if (t.kind == kOther && c == ')' && depth-- == 0) return 0;
        if (t.kind == kOther && c == ',' && depth == 0) return 0;
        if (IsWord(s, t, "PRIMARY")) {
            const struct Token key = NextToken(s, n, t.end);
            if (IsWord(s, key, "KEY")) return key.end;
        }
    }
    return 0;
}

char* RewriteCounterKeys(const char* text, size_t length) {
    struct Token t = NextToken(text, length, 0);
    if (!IsWord(text, t, "CREATE")) return NULL;
    static const char kSuffix[] = " AUTOINCREMENT";
    char* out = NULL;
    size_t used = 0, copied = 0;
    for (; t.kind != kEnd; t = NextToken(text, length, t.end)) {
        if (!IsWord(text, t, "COUNTER")) continue;
        const size_t key_end = PrimaryKeyEnd(text, length, t.end);
        if (!key_end) continue;
        if (!out) {
            /* Each rewrite adds the suffix and needs "COUNTER PRIMARY KEY"
               (19 characters) of the text, so length / 8 + 1 bounds them. */
            out = malloc(length + (length / 8 + 1) * sizeof kSuffix + 1);
            if (!out) return NULL;
        }
        memcpy(out + used, text + copied, t.start - copied);
        used += t.start - copied;
        memcpy(out + used, "INTEGER", 7);
        used += 7;
        memcpy(out + used, text + t.end, key_end - t.end);
        used += key_end - t.end;
        memcpy(out + used, kSuffix, sizeof kSuffix - 1);
        used += sizeof kSuffix - 1;
        copied = key_end;
        t.end = key_end;
    }
    if (!out) return NULL;
    memcpy(out + used, text + copied, length - copied);
    out[used + length - copied] = 0;
    return out;
}
