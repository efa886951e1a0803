// The selected board's row of table Main as the program holds it: five
// header columns and five relay groups, every field a terminated text.
#pragma once

struct RelaySettings {
    char notes[512];
    char name[32];
    char nc_label[32];
    char no_label[32];
    char confirm[4]; // "YES" when switching asks first
};

struct BoardRecord {
    char header[5][32]; // columns 1-5: row id, VID, PID, registration time, DEFAULT
    RelaySettings relays[5];
};
static_assert(sizeof(RelaySettings) == 612, "a relay group is 612 bytes");
