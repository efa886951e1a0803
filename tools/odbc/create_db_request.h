/* Reads the database path out of a request to create an Access database. */
#ifndef PELLAM_CREATE_DB_REQUEST_H
#define PELLAM_CREATE_DB_REQUEST_H

#include <stddef.h>

/* attributes: the list a setup library's ConfigDSN receives, "KEY=value"
   pairs each ending in a zero byte, the list in an empty one. The request is
   the pair CREATE_DB (or CREATE_DBV2, V3, V4), whose value is the path,
   quoted or up to the first blank, then the sort order.
   Returns 1 with the path in out; 0 when the list asks for no database;
   -1 when the value names no path or the path does not fit. */
int FindCreateDbPath(const char* attributes, char* out, size_t capacity);

#endif
