#include "shell/shell_state.h"

const char* const TEXTURE_FILES[TEXTURE_SLOT_COUNT] = {"texture1.dds", "title.qmd", "bg.qmd"};

ShellState shellState;
