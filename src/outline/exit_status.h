// The exit statuses of every logotipo-outline command, check and format as well as import.
#pragma once

constexpr int exitDone = 0;     // check: no warning; format and import: the file written
constexpr int exitRefused = 1;  // check: warnings; format: input refused; import: nothing visible,
                                // too detailed to fit, or below the fidelity floor
constexpr int exitBadInput = 2; // usage errors, files that cannot be read, malformed input,
                                // a missing font or glyph
