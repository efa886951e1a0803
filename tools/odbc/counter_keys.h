/* Turns the auto-numbered keys of a CREATE statement written for Jet into
   SQLite's. */
#ifndef PELLAM_COUNTER_KEYS_H
#define PELLAM_COUNTER_KEYS_H

#include <stddef.h>

/* In a CREATE statement, every column "COUNTER ... PRIMARY KEY" becomes
   "INTEGER ... PRIMARY KEY AUTOINCREMENT": SQLite numbers only an INTEGER
   PRIMARY KEY itself, and AUTOINCREMENT never reuses a number, as Jet's
   counters do. Names in brackets and quoted texts are left alone.
   Returns the rewritten text (the caller frees it), or NULL when the
   statement needs no change or no memory is left. */
char* RewriteCounterKeys(const char* text, size_t length);

#endif
