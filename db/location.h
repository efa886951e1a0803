// Where the database lies: the installation record names the executable,
// and the database is that path with its last three characters replaced by
// "MDB" (D:\Tools\Pellam.exe -> D:\Tools\Pellam.MDB).
#pragma once

// Rewrites path in place; false when it is shorter than three characters.
bool DatabasePathFromInstallRecord(char* path);
