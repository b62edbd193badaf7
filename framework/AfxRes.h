#pragma once

// The framework's own command ids.
#define ID_HELP 0xE146
