#include "pellamdb/schema_statements.h"

std::vector<std::string> SplitStatements(const char* sql) {
    std::vector<std::string> statements;
    std::string current;
    char closing = 0; // inside a quoted text or a bracketed name
    auto finish = [&] {
        while (!current.empty() && current.back() == ' ')
            current.pop_back();
        if (!current.empty()) statements.push_back(current);
        current.clear();
    };
    for (const char* p = sql; *p; ++p) {
        const char c = *p;
        if (closing) {
            current += c;
            if (c == closing) closing = 0;
        } else if (c == ';') {
            finish();
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!current.empty() && current.back() != ' ') current += ' ';
        } else {
            if (c == '\'' || c == '"') closing = c;
            if (c == '[') closing = ']';
            current += c;
        }
    }
    finish();
    return statements;
}
