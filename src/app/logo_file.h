// The program's stream on logo.txt, and following the name when a new file replaces it.
#pragma once

// Opens logo.txt in the current directory for the reader; false when it cannot be opened.
bool openLogoFile();

// Before a load: when the name logo.txt has come to stand for another file, reads that one
// from now on. Does nothing unless openLogoFile opened the stream.
void followLogoFile();
