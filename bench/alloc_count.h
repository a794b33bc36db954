// A count of every heap allocation the process makes, from any library.
#pragma once

// Calls of malloc, calloc, realloc and the aligned forms since the process started.
long allocationCount();
