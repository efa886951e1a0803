// The statements on table RelayScripts, composed as plain text (values
// quoted and their quotes doubled, as for every statement).
#pragma once

#include <cstddef>

bool ComposeSelectScripts(char* out, size_t capacity, const char* board_id_text);
bool ComposeInsertScript(char* out, size_t capacity, const char* board_id_text, const char* name,
                         const char* description, const char* commands);
// ID must be a number (it stands unquoted in the statement).
bool ComposeUpdateScript(char* out, size_t capacity, const char* board_id_text, const char* name,
                         const char* description, const char* commands, const char* id);
bool ComposeDeleteScript(char* out, size_t capacity, const char* id);
