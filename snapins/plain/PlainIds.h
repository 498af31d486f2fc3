// Resource numbers of the plain snap-in. Only #define lines: the resource
// compiler reads this file.
// Block: 1101
#pragma once

#define IDS_SELECT_TOOL_HINT      1101
